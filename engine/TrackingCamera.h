#pragma once
// The camera of the set and match sequences ("FixedCamera"): it frames one
// entity, or two at once, from a point 100 units above them. One target is
// seen across the court from the net's side of it; two are seen side on, far
// enough back for both to fit the field of view. The camera holds its targets
// (the sequence that aims it swaps them as it goes on); the orbiting variant
// is OrbitCamera.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/Camera.h"
#include "engine/SceneEntity.h"
#include "engine/Vector3.h"

// Closest the framing cameras come to what they frame, in scene units.
constexpr float kFramingMinDistance = 400.0f;
// The point looked at is this far above the targets.
constexpr float kFramingLift = 100.0f;

// What the framing cameras aim at: the point, the heading about y in degrees
// and the eye's distance back from the point.
struct Framing {
  Vector3 focus;
  float yaw = 0.0f;
  float distance = 0.0f;
};

class TrackingCamera : public Camera {
 public:
  TrackingCamera(std::shared_ptr<SceneEntity> targetA, const std::string& name);
  ~TrackingCamera() override = default;

  // Places the eye from the framing; the step's time plays no part.
  void update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) override;

  // One target (the second is dropped), or two.
  void setTarget(std::shared_ptr<SceneEntity> a);
  void setTargets(std::shared_ptr<SceneEntity> a, std::shared_ptr<SceneEntity> b);
  const std::shared_ptr<SceneEntity>& targetA() const { return first; }
  const std::shared_ptr<SceneEntity>& targetB() const { return second; }

  // No target: the origin, heading 0, distance 0. One target: its position,
  // 90 degrees (-90 for a target on side 1), kFramingMinDistance. Two: their
  // midpoint, the heading of the line between them, and the distance at
  // which that line fills the vertical field of view, at least
  // kFramingMinDistance.
  Framing framing() const;

 protected:
  // world = identity, moved to kFramingLift above the focus, turned by
  // `degrees` about y, then moved back by `distance` along its own z.
  void placeEye(const Framing& framing, float degrees);

 private:
  std::shared_ptr<SceneEntity> first;
  std::shared_ptr<SceneEntity> second;
};
