#include "engine/SceneEntity.h"

void SceneEntity::saveTreeState(StateWriter& out) const {
  saveState(out);
  for (const SceneEntity* child : entityChildren()) {
    if (child->holdsGameState()) child->saveTreeState(out);
  }
}

void SceneEntity::restoreTreeState(StateReader& in) {
  restoreState(in);
  for (SceneEntity* child : entityChildren()) {
    if (child->holdsGameState()) child->restoreTreeState(in);
  }
}
