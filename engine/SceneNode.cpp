#include "engine/SceneNode.h"

SceneNode::~SceneNode() {
  for (const auto& child : childNodes) {
    if (child) child->parentNode = nullptr;
  }
}

void SceneNode::addChild(std::shared_ptr<SceneNode> child) {
  if (!child) return;
  child->parentNode = this;
  child->onlyPoses = child->updateOnlyPoses();
  if (poseOnlyWhatIsRead != child->poseOnlyWhatIsRead) child->setPoseOnlyWhatIsRead(poseOnlyWhatIsRead);
  if (child->mustBePosed()) markRead();
  if (SceneEntity* entity = child->asEntity()) childEntities.push_back(entity);
  childNodes.push_back(std::move(child));
}

void SceneNode::removeChild(const SceneNode* child) {
  for (auto it = childNodes.begin(); it != childNodes.end(); ++it) {
    if (it->get() == child) {
      if ((*it)->parentNode == this) (*it)->parentNode = nullptr;
      childNodes.erase(it);
      rebuildEntityChildren();
      return;
    }
  }
}

void SceneNode::rebuildEntityChildren() {
  childEntities.clear();
  for (const auto& child : childNodes) {
    if (SceneEntity* entity = child->asEntity()) childEntities.push_back(entity);
  }
}

std::shared_ptr<SceneNode> SceneNode::findNode(const std::string& name) const {
  for (const auto& child : childNodes) {
    if (!child) continue;
    if (child->nodeName == name) return child;
    if (auto found = child->findNode(name)) return found;
  }
  return nullptr;
}

std::shared_ptr<SceneNode> SceneNode::findReadNode(const std::string& name) {
  std::shared_ptr<SceneNode> found = findNode(name);
  if (found) found->markRead();
  return found;
}

void SceneNode::markRead() {
  // Every node above a posed node is posed already, so the walk stops there.
  for (SceneNode* node = this; node && !node->posedAnyway; node = node->parentNode) node->posedAnyway = true;
}

void SceneNode::setPoseOnlyWhatIsRead(bool on) {
  poseOnlyWhatIsRead = on;
  for (const auto& child : childNodes) child->setPoseOnlyWhatIsRead(on);
}
