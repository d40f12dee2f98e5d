#include "engine/Quaternion.h"

#include <cmath>

namespace {
// 2 pi and 1/360 as single-precision constants.
constexpr float kTwoPi = 6.2831855f;
constexpr float kOneOver360 = 0.0027777778f;
}  // namespace

Quaternion product(const Quaternion& a, const Quaternion& b) {
  const Vector3 av = a.vector();
  const Vector3 bv = b.vector();
  const Vector3 v = cross(av, bv) + bv * a.w + av * b.w;
  return {v, a.w * b.w - dot(av, bv)};
}

Quaternion fromAxisAngle(float degrees, const Vector3& axis) {
  const float half = degrees * 0.5f * kTwoPi * kOneOver360;
  return {normalise(axis) * std::sin(half), std::cos(half)};
}

Quaternion slerp(const Quaternion& a, const Quaternion& b, float t) {
  if (a == b) return b;
  double d = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z + double(a.w) * b.w;
  double sign = 1.0;
  if (d < 0.0) {
    sign = -1.0;
    d = -d;
  }
  // d > 1 (rounding) or NaN would make acos fail; both mean "no arc to follow".
  if (!(d < 1.0)) return b;
  const double theta = std::acos(d);
  if (theta == 0.0) return b;
  const double sinTheta = std::sin(theta);
  const double wa = std::sin((1.0 - t) * theta) / sinTheta;
  const double wb = sign * std::sin(t * theta) / sinTheta;
  return {float(a.x * wa + b.x * wb), float(a.y * wa + b.y * wb), float(a.z * wa + b.z * wb),
          float(a.w * wa + b.w * wb)};
}

bool isFinite(const Quaternion& q) {
  return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w);
}
