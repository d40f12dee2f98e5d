#pragma once
// A bone of a skeleton. Its pivot is the inverse of the bone's bind-pose
// transform (set by the model reader), multiplied onto the world after the
// subtree has been updated: children see the bone's plain world, while the
// skin sees world-with-pivot, which is the identity at the bind pose. Bones
// are never drawn.

#include "engine/SceneObject.h"

class BoneObject : public SceneObject {
 public:
  using SceneObject::SceneObject;
  ~BoneObject() override = default;

  // The SceneObject update of self and subtree, then world = pivot * world.
  void updateTree(uint32_t timeMs, const Matrix& parentWorld, uint32_t animationIndex) override;
  void draw(const Matrix& view) override;

  const Matrix& pivot() const { return pivotMatrix; }
  void setPivot(const Matrix& m) { pivotMatrix = m; }

 protected:
  bool updateOnlyPoses() const override;

 private:
  Matrix pivotMatrix;
};
