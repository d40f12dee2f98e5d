#pragma once
// The root of a loaded model and of every game entity built on one (players,
// ball, umpire). It owns the clock that drives the clips of all meshes below
// it and the index of the clip they play, so switching a character's clip is
// one setAnimation call. Its transform is absolute: it is not combined with
// the world handed to updateTree.

#include <cstdint>
#include <vector>

#include "engine/Matrix.h"
#include "engine/SceneEntity.h"

class AnimatedGroup : public SceneEntity {
 public:
  using SceneEntity::SceneEntity;
  ~AnimatedGroup() override = default;

  const Matrix& worldMatrix() const override { return transformMatrix; }
  // Nothing here; game entities override it to place themselves.
  void update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) override;
  // Advances the clock by dtMs, updates itself, then every child with the
  // clock, the own transform and the current clip.
  void updateTree(uint32_t dtMs, const Matrix& parentWorld, uint32_t animationIndex) override;

  // Adds a clip of that length.
  void addAnimation(uint32_t durationMs);
  // Ignored unless i < animationCount().
  void setAnimation(uint32_t i);
  void resetClock() { clock = 0; }
  // clockMs - duration of the current clip * k: positive once the clip has
  // played k times. A group without clips counts a duration of 0.
  int64_t timeBeyondEnd(uint32_t k) const;
  // The current clip's length in milliseconds (0 without clips).
  uint32_t currentDuration() const;

  uint32_t animationCount() const { return clipCount; }
  uint32_t currentAnimation() const { return currentClip; }
  uint32_t clockMs() const { return clock; }
  const std::vector<uint32_t>& animationDurations() const { return durations; }
  const Matrix& transform() const { return transformMatrix; }
  void setTransform(const Matrix& m) { transformMatrix = m; }

  // The clip, the clock and the transform.
  void saveState(StateWriter& out) const override;
  void restoreState(StateReader& in) override;

 private:
  uint32_t clipCount = 0;
  uint32_t currentClip = 0;
  uint32_t clock = 0;
  Matrix transformMatrix;
  std::vector<uint32_t> durations;
};
