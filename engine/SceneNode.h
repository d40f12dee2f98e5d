#pragma once
// A named node of the scene tree. A node owns its children through shared
// pointers, in insertion order; the link back to the parent is a plain
// pointer. Game code finds nodes by their names from the model files
// ("Pelota", "Cabeza", "TennisPlayerHolder[0]") with findNode.
//
// A scene that is never drawn (the match simulator) need not pose what only
// the eye would see. Each node therefore knows whether it must be posed
// anyway: when the game reads it (findReadNode), when its update does more
// than pose a mesh for drawing, or when such a node hangs below it. Subtrees
// set to pose only what is read skip every other node's update; the rest is
// posed exactly as in a drawn scene.

#include <list>
#include <memory>
#include <string>
#include <vector>

class SceneEntity;

class SceneNode {
 public:
  SceneNode() = default;
  explicit SceneNode(std::string name) : nodeName(std::move(name)) {}
  // Remaining children lose their parent link before they are released.
  virtual ~SceneNode();
  SceneNode(const SceneNode&) = delete;
  SceneNode& operator=(const SceneNode&) = delete;

  // Appends the child and makes this node its parent. The child takes this
  // node's posing mode, and a child that must be posed makes every node
  // above it posed too.
  void addChild(std::shared_ptr<SceneNode> child);
  // Unlinks the first child that is `child`; nothing when none is. The
  // removed child's parent link is cleared.
  void removeChild(const SceneNode* child);
  // First node named `name` (same bytes) in a depth-first, pre-order walk of
  // the descendants; this node itself is never compared. Empty when none.
  std::shared_ptr<SceneNode> findNode(const std::string& name) const;
  // findNode for a node whose pose the game reads (a racket point, a held
  // ball): it is marked read before it is returned. Call it when the model
  // is built, so that the node is posed from the first step on.
  std::shared_ptr<SceneNode> findReadNode(const std::string& name);
  // This node and every node above it are posed even where the subtree
  // poses only what is read.
  void markRead();
  // Sets the whole subtree to skip the posing of nodes that nothing reads
  // (true), or to pose everything (false, the default).
  void setPoseOnlyWhatIsRead(bool on);
  // True when the update may skip this node and everything below it.
  bool posingSkipped() const { return poseOnlyWhatIsRead && !posedAnyway && onlyPoses; }
  // Read, above a node that is read, or more than a pose for drawing: what
  // a saved game must keep of this node (SceneEntity::saveState).
  bool holdsGameState() const { return mustBePosed(); }

  const std::string& name() const { return nodeName; }
  void setName(const std::string& name) { nodeName = name; }
  SceneNode* parent() const { return parentNode; }
  const std::list<std::shared_ptr<SceneNode>>& children() const { return childNodes; }
  // The children that the scene updates, in the order of children().
  const std::vector<SceneEntity*>& entityChildren() const { return childEntities; }

 protected:
  // The entity this node is, for the update's walk; nullptr for a plain node.
  virtual SceneEntity* asEntity() { return nullptr; }
  // True for a node whose update only poses it for drawing, so that skipping
  // it changes nothing but the picture.
  virtual bool updateOnlyPoses() const { return false; }

 private:
  bool mustBePosed() const { return posedAnyway || !onlyPoses; }
  void rebuildEntityChildren();

  std::list<std::shared_ptr<SceneNode>> childNodes;
  std::vector<SceneEntity*> childEntities;
  std::string nodeName;
  SceneNode* parentNode = nullptr;
  // Read, or above a node that is read or must be updated.
  bool posedAnyway = false;
  bool poseOnlyWhatIsRead = false;
  // updateOnlyPoses, asked once when the node joins a parent: the update
  // asks every step.
  bool onlyPoses = false;
};
