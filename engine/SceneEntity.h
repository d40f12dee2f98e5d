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
#include "engine/StateBuffer.h"

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

  // What a step leaves on this entity and reads again at the next (a clock,
  // a pose the game reads, a decision under way), for a saved game:
  // restoreState reads back what saveState wrote, in the same order.
  virtual void saveState(StateWriter&) const {}
  virtual void restoreState(StateReader&) {}
  // The entity's state and that of every entity below it that holds game
  // state (SceneNode::holdsGameState), in a pre-order walk. The tree must
  // have the same shape when it is restored.
  void saveTreeState(StateWriter& out) const;
  void restoreTreeState(StateReader& in);

 protected:
  SceneEntity* asEntity() override { return this; }
};
