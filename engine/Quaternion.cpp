#include "engine/Quaternion.h"

#include <cmath>

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
