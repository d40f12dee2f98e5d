#pragma once
// The ball's shadow: a flat mesh ("Sombra" in the ball model) that always
// lies on the ground under the ball. It takes only the ball's x and z from
// its parent and hangs at a fixed height, so it never rises or tilts with
// the ball; its own transform and clip from the file still apply on top.

#include "engine/SceneObject.h"

class GroundShadow : public SceneObject {
 public:
  using SceneObject::SceneObject;

  // parentWorld is the ball's transform.
  void update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) override;
};
