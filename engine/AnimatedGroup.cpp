#include "engine/AnimatedGroup.h"

void AnimatedGroup::update(uint32_t, const Matrix&, uint32_t*) {}

void AnimatedGroup::updateTree(uint32_t dtMs, const Matrix& parentWorld, uint32_t animationIndex) {
  clock += dtMs;
  update(dtMs, parentWorld, &animationIndex);
  // By index: a child's update may add to this node's children.
  for (size_t i = 0; i < entityChildren().size(); ++i) {
    SceneEntity* entity = entityChildren()[i];
    if (!entity->posingSkipped()) entity->updateTree(clock, transformMatrix, currentClip);
  }
}

void AnimatedGroup::addAnimation(uint32_t durationMs) {
  durations.push_back(durationMs);
  ++clipCount;
}

void AnimatedGroup::setAnimation(uint32_t i) {
  if (i < clipCount) currentClip = i;
}

uint32_t AnimatedGroup::currentDuration() const { return currentClip < durations.size() ? durations[currentClip] : 0; }

int64_t AnimatedGroup::timeBeyondEnd(uint32_t k) const {
  return int64_t(clock) - int64_t(currentDuration()) * int64_t(k);
}

void AnimatedGroup::saveState(StateWriter& out) const {
  out.put(currentClip);
  out.put(clock);
  out.put(transformMatrix);
}

void AnimatedGroup::restoreState(StateReader& in) {
  in.get(currentClip);
  in.get(clock);
  in.get(transformMatrix);
  if (currentClip >= clipCount && clipCount > 0) in.fail();
}
