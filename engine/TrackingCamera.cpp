#include "engine/TrackingCamera.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kFovToRadians = 0.017453292;
constexpr float kRadiansToDegrees = 57.29579f;
constexpr float kSingleTargetYaw = 90.0f;

Vector3 positionOf(const SceneEntity& entity) { return translation(entity.worldMatrix()); }
}  // namespace

TrackingCamera::TrackingCamera(std::shared_ptr<SceneEntity> targetA, const std::string& name)
    : first(std::move(targetA)) {
  setName(name);
}

void TrackingCamera::setTarget(std::shared_ptr<SceneEntity> a) {
  first = std::move(a);
  second.reset();
}

void TrackingCamera::setTargets(std::shared_ptr<SceneEntity> a, std::shared_ptr<SceneEntity> b) {
  first = std::move(a);
  second = std::move(b);
}

Framing TrackingCamera::framing() const {
  Framing result;
  // A lone second target is framed as the only one.
  const SceneEntity* a = first ? first.get() : second.get();
  const SceneEntity* b = first ? second.get() : nullptr;
  if (!a) return result;
  if (!b) {
    result.focus = positionOf(*a);
    result.yaw = a->courtSide() != 0 ? -kSingleTargetYaw : kSingleTargetYaw;
    result.distance = kFramingMinDistance;
    return result;
  }
  const Vector3 pa = positionOf(*a);
  const Vector3 pb = positionOf(*b);
  result.focus = (pa + pb) * 0.5f;
  const Vector3 d = normalise(pb - pa);
  if (d.x != 0.0f) {
    result.yaw = std::atan(d.z / d.x) * kRadiansToDegrees;
  } else if (d.z != 0.0f) {
    // The limit of the slope's angle: the line runs straight across.
    result.yaw = d.z > 0.0f ? kSingleTargetYaw : -kSingleTargetYaw;
  }
  const double halfTangent = std::tan(fovY() * kFovToRadians * 0.5);
  const double fitting = halfTangent > 0.0 ? length(pb - pa) * 0.5 / halfTangent : 0.0;
  result.distance = std::max(kFramingMinDistance, float(fitting));
  return result;
}

void TrackingCamera::placeEye(const Framing& framing, float degrees) {
  Matrix eye;
  eye = translate(eye, framing.focus.x, framing.focus.y + kFramingLift, framing.focus.z);
  eye = rotate(eye, degrees, 0.0f, 1.0f, 0.0f);
  eye = translate(eye, 0.0f, 0.0f, framing.distance);
  world = eye;
}

void TrackingCamera::update(uint32_t, const Matrix&, uint32_t*) {
  const Framing aim = framing();
  placeEye(aim, -aim.yaw);
}
