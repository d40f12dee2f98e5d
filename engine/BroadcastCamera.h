#pragma once
// The match camera ("OnGameCamera"): the stadium's own camera, read from the
// stadium model ("Camera01"), that pitches down by up to three degrees as the
// ball travels towards the far end of the court, as a broadcast camera would
// follow play. It copies the source camera's lens and resting placement once;
// it only looks at the ball (a weak link) and keeps its last placement when
// the ball is gone.

#include <cstdint>
#include <memory>

#include "engine/AnimatedGroup.h"
#include "engine/Camera.h"
#include "engine/Matrix.h"

constexpr const char* kBroadcastCameraName = "OnGameCamera";
// Pitch in degrees: none with the ball beyond +kTiltEndX, kMaxTilt beyond
// -kTiltEndX, and kTiltPerUnit per unit of -x in between.
constexpr float kTiltEndX = 1090.0f;
constexpr float kMaxTilt = 3.0f;
constexpr float kTiltPerUnit = -0.0027272727f;

// The pitch for a ball at x.
float broadcastTilt(float ballX);

class BroadcastCamera : public Camera {
 public:
  // Takes the source camera's near and far planes, field of view and the
  // base matrix of its first clip.
  BroadcastCamera(std::weak_ptr<AnimatedGroup> ball, const Camera& source);
  ~BroadcastCamera() override = default;

  // world = mount * parentWorld, pitched by broadcastTilt of the ball's x.
  void update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) override;

  const Matrix& mount() const { return mountMatrix; }

 private:
  std::weak_ptr<AnimatedGroup> followed;
  Matrix mountMatrix;
};
