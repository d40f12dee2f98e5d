#include "engine/BoneObject.h"

#include <typeinfo>

void BoneObject::updateTree(uint32_t timeMs, const Matrix& parentWorld, uint32_t animationIndex) {
  SceneObject::updateTree(timeMs, parentWorld, animationIndex);
  world = multiply(pivotMatrix, world);
}

void BoneObject::draw(const Matrix&) {}

bool BoneObject::updateOnlyPoses() const { return typeid(*this) == typeid(BoneObject); }
