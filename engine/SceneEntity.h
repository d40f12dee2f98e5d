#pragma once
// Anything in the scene tree that the scene updates every fixed step: the
// model roots (AnimatedGroup, and the game entities built on it) and the
// meshes (SceneObject and its kinds).
//
// update places the entity itself; updateTree updates it and then its
// subtree. Times are u32 milliseconds; the animation index is the clip that
// the model's root has selected.

#include <cstdint>

#include "engine/Matrix.h"
#include "engine/SceneNode.h"

class SceneEntity : public SceneNode {
 public:
  using SceneNode::SceneNode;
  ~SceneEntity() override = default;

  // The entity's current world transform.
  virtual const Matrix& worldMatrix() const = 0;
  virtual void update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) = 0;
  virtual void updateTree(uint32_t timeMs, const Matrix& parentWorld, uint32_t animationIndex) = 0;
  // The half of the court the entity plays on, 0 or 1, for the cameras that
  // frame it; anything that is not a player is on side 0.
  virtual int32_t courtSide() const { return 0; }

 protected:
  SceneEntity* asEntity() override { return this; }
};
