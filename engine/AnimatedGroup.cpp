#include "engine/AnimatedGroup.h"

void AnimatedGroup::update(uint32_t, const Matrix&, uint32_t*) {}

void AnimatedGroup::updateTree(uint32_t dtMs, const Matrix& parentWorld, uint32_t animationIndex) {
  clock += dtMs;
  update(dtMs, parentWorld, &animationIndex);
  for (const auto& child : children()) {
    if (auto* entity = dynamic_cast<SceneEntity*>(child.get())) {
      entity->updateTree(clock, transformMatrix, currentClip);
    }
  }
}

void AnimatedGroup::addAnimation(uint32_t durationMs) {
  durations.push_back(durationMs);
  ++clipCount;
}

void AnimatedGroup::setAnimation(uint32_t i) {
  if (i < clipCount) currentClip = i;
}

int64_t AnimatedGroup::timeBeyondEnd(uint32_t k) const {
  const int64_t duration = currentClip < durations.size() ? durations[currentClip] : 0;
  return int64_t(clock) - duration * int64_t(k);
}
