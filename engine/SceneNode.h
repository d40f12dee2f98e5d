#pragma once
// A named node of the scene tree. A node owns its children through shared
// pointers, in insertion order; the link back to the parent is a plain
// pointer. Game code finds nodes by their names from the model files
// ("Pelota", "Cabeza", "TennisPlayerHolder[0]") with findNode.

#include <list>
#include <memory>
#include <string>

class SceneNode {
 public:
  SceneNode() = default;
  explicit SceneNode(std::string name) : nodeName(std::move(name)) {}
  // Remaining children lose their parent link before they are released.
  virtual ~SceneNode();
  SceneNode(const SceneNode&) = delete;
  SceneNode& operator=(const SceneNode&) = delete;

  // Appends the child and makes this node its parent.
  void addChild(std::shared_ptr<SceneNode> child);
  // Unlinks the first child that is `child`; nothing when none is. The
  // removed child's parent link is cleared.
  void removeChild(const SceneNode* child);
  // First node named `name` (same bytes) in a depth-first, pre-order walk of
  // the descendants; this node itself is never compared. Empty when none.
  std::shared_ptr<SceneNode> findNode(const std::string& name) const;

  const std::string& name() const { return nodeName; }
  void setName(const std::string& name) { nodeName = name; }
  SceneNode* parent() const { return parentNode; }
  const std::list<std::shared_ptr<SceneNode>>& children() const { return childNodes; }

 private:
  std::list<std::shared_ptr<SceneNode>> childNodes;
  std::string nodeName;
  SceneNode* parentNode = nullptr;
};
