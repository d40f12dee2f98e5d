#include "OrbitView.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {
constexpr float kMaxPitch = 89.0f;
constexpr double kRadiansPerDegree = M_PI / 180.0;
// Room around the model's sphere when framing.
constexpr float kFrameMargin = 1.08f;
}  // namespace

void Bounds::add(const Vector3& p) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return;
  if (empty) {
    low = high = p;
    empty = false;
    return;
  }
  low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
  high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
}

float Bounds::radius() const { return empty ? 0.0f : length(high - low) * 0.5f; }

void OrbitView::frame(const Bounds& bounds, double aspect) {
  yawDegrees = 0;
  pitchDegrees = kFramePitchDegrees;
  targetPoint = bounds.empty ? Vector3{0, 0, 0} : bounds.centre();
  // A point, or nothing at all, still gets a sensible eye.
  modelRadius = std::max(bounds.radius(), 1.0f);
  const double halfFovY = kFovYDegrees * 0.5 * kRadiansPerDegree;
  const double halfFovX = std::atan(std::tan(halfFovY) * aspect);
  const double halfFov = std::min(halfFovY, halfFovX);
  eyeDistance = float(modelRadius * kFrameMargin / std::sin(halfFov));
}

void OrbitView::orbit(float yaw, float pitch) {
  yawDegrees = std::fmod(yawDegrees + yaw, 360.0f);
  pitchDegrees = std::clamp(pitchDegrees + pitch, -kMaxPitch, kMaxPitch);
}

void OrbitView::zoom(float factor) {
  eyeDistance = std::clamp(eyeDistance * factor, modelRadius * 0.02f, modelRadius * 200.0f);
}

void OrbitView::pan(float right, float up) {
  const Matrix eye = world();
  const float visible = 2.0f * eyeDistance * float(std::tan(kFovYDegrees * 0.5 * kRadiansPerDegree));
  const Vector3 rightAxis(get(eye, 0, 0), get(eye, 0, 1), get(eye, 0, 2));
  const Vector3 upAxis(get(eye, 1, 0), get(eye, 1, 1), get(eye, 1, 2));
  targetPoint = targetPoint + rightAxis * (right * visible) + upAxis * (up * visible);
}

Vector3 OrbitView::eyePosition() const {
  const double yaw = yawDegrees * kRadiansPerDegree;
  const double pitch = pitchDegrees * kRadiansPerDegree;
  const Vector3 away(float(std::cos(pitch) * std::sin(yaw)), float(std::sin(pitch)),
                     float(std::cos(pitch) * std::cos(yaw)));
  return targetPoint + away * eyeDistance;
}

Matrix OrbitView::world() const {
  const Vector3 eye = eyePosition();
  // The eye looks along its own -z, so its z axis points from the target to it.
  const Vector3 backwards = normalise(eye - targetPoint);
  const Vector3 right = normalise(cross(Vector3(0, 1, 0), backwards));
  const Vector3 up = cross(backwards, right);
  return Matrix(right.x, right.y, right.z, up.x, up.y, up.z, backwards.x, backwards.y, backwards.z, eye.x, eye.y,
                eye.z);
}

void OrbitView::applyProjection(double aspect) const {
  const double nearPlane = std::max(eyeDistance - modelRadius * 2.0f, eyeDistance * 0.01f);
  const double farPlane = eyeDistance + modelRadius * 4.0f;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFovYDegrees, aspect, nearPlane, farPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
