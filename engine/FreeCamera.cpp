#include "engine/FreeCamera.h"

namespace {
// Degrees per millisecond for turning, units per millisecond for rising.
constexpr double kTurnRate = 0.2;
constexpr double kRiseRate = 0.5;
}  // namespace

FreeCamera::FreeCamera(KeyQuery isKeyDown) : keyDown(std::move(isKeyDown)) {
  setName(kFreeCameraName);
  setFarPlane(kFreeCameraFarPlane);
}

void FreeCamera::update(uint32_t dtMs, const Matrix& parentWorld, uint32_t*) {
  const double turn = dtMs * kTurnRate;
  const double rise = dtMs * kRiseRate;
  if (held(kFreeCameraPitchLessKey)) pitchDegrees = float(pitchDegrees - turn);
  if (held(kFreeCameraPitchMoreKey)) pitchDegrees = float(pitchDegrees + turn);
  if (held(kFreeCameraYawLessKey)) yawDegrees = float(yawDegrees - turn);
  if (held(kFreeCameraYawMoreKey)) yawDegrees = float(yawDegrees + turn);
  if (held(kFreeCameraCloserKey)) eyeDistance -= float(dtMs);
  if (held(kFreeCameraFartherKey)) eyeDistance += float(dtMs);
  if (held(kFreeCameraLowerKey)) eyeHeight = float(eyeHeight - rise);
  if (held(kFreeCameraRaiseKey)) eyeHeight = float(eyeHeight + rise);

  Matrix eye = translate(parentWorld, 0.0f, eyeHeight, 0.0f);
  eye = rotate(eye, yawDegrees, 0.0f, 1.0f, 0.0f);
  eye = rotate(eye, pitchDegrees, 1.0f, 0.0f, 0.0f);
  world = translate(eye, 0.0f, 0.0f, eyeDistance);
}
