#include "engine/BroadcastCamera.h"

float broadcastTilt(float ballX) {
  if (ballX > kTiltEndX) return 0.0f;
  if (ballX < -kTiltEndX) return kMaxTilt;
  const float tilt = ballX * kTiltPerUnit;
  return tilt < 0.0f ? 0.0f : tilt;
}

BroadcastCamera::BroadcastCamera(std::weak_ptr<AnimatedGroup> ball, const Camera& source)
    : followed(std::move(ball)), mountMatrix(source.animationMatrix(0)) {
  setName(kBroadcastCameraName);
  // The planes were read as single-precision values; narrowing them back is exact.
  setNearPlane(float(source.nearPlane()));
  setFarPlane(float(source.farPlane()));
  setFovY(float(source.fovY()));
}

void BroadcastCamera::update(uint32_t, const Matrix& parentWorld, uint32_t*) {
  const std::shared_ptr<AnimatedGroup> ball = followed.lock();
  if (!ball) return;
  world = multiply(mountMatrix, parentWorld);
  world = rotate(world, broadcastTilt(translation(ball->transform()).x), 1.0f, 0.0f, 0.0f);
}
