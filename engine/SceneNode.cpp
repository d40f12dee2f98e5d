#include "engine/SceneNode.h"

SceneNode::~SceneNode() {
  for (const auto& child : childNodes) {
    if (child) child->parentNode = nullptr;
  }
}

void SceneNode::addChild(std::shared_ptr<SceneNode> child) {
  if (!child) return;
  child->parentNode = this;
  childNodes.push_back(std::move(child));
}

void SceneNode::removeChild(const SceneNode* child) {
  for (auto it = childNodes.begin(); it != childNodes.end(); ++it) {
    if (it->get() == child) {
      if ((*it)->parentNode == this) (*it)->parentNode = nullptr;
      childNodes.erase(it);
      return;
    }
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
