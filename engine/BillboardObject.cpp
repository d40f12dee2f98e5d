#include "engine/BillboardObject.h"

#include <typeinfo>

void BillboardObject::faceViewer(const Matrix& view) {
  const float viewScale = length(Vector3(view.m[0], view.m[1], view.m[2]));
  const float kept[4] = {world.m[12], world.m[13], world.m[14], world.m[15]};
  world = inverse(view);
  for (int i = 0; i < 4; ++i) world.m[12 + i] = kept[i];
  world = scale(world, viewScale);
}

void BillboardObject::draw(const Matrix& view) {
  faceViewer(view);
  SceneObject::draw(view);
}

bool BillboardObject::updateOnlyPoses() const { return typeid(*this) == typeid(BillboardObject); }
