#pragma once
// The winner's camera ("FixedRotateCamera"): the framing of TrackingCamera,
// slowly circling the targets instead of keeping the framing's heading, one
// full turn every 10.8 seconds of game time.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/TrackingCamera.h"

// Degrees turned per millisecond of orbit.
constexpr float kOrbitDegreesPerMs = 0.033333335f;

class OrbitCamera : public TrackingCamera {
 public:
  using TrackingCamera::TrackingCamera;
  ~OrbitCamera() override = default;

  // Advances the orbit by the step (its time is the step's length: the
  // camera is a parentless object of the scene) and places the eye.
  void update(uint32_t dtMs, const Matrix& parentWorld, uint32_t* animationIndex) override;

  // Milliseconds of orbit so far; the heading is this times
  // kOrbitDegreesPerMs.
  float orbitDegrees() const { return orbit; }

 private:
  float orbit = 0.0f;
};
