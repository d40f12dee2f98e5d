#include "tennis/GroundShadow.h"

#include "tennis/Court.h"

void GroundShadow::update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) {
  Matrix onGround;
  onGround[12] = parentWorld[12];
  onGround[13] = kShadowParentY;
  onGround[14] = parentWorld[14];
  SceneObject::update(timeMs, onGround, animationIndex);
}
