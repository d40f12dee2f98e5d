#include "engine/OrbitCamera.h"

void OrbitCamera::update(uint32_t dtMs, const Matrix&, uint32_t*) {
  orbit += float(dtMs);
  placeEye(framing(), orbit * kOrbitDegreesPerMs);
}
