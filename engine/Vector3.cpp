#include "engine/Vector3.h"

Vector3& Vector3::normalise() {
  *this = ::normalise(*this);
  return *this;
}

float length(const Vector3& a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

float distance(const Vector3& a, const Vector3& b) { return length(a - b); }

Vector3 normalise(const Vector3& a) {
  const float len = length(a);
  if (len == 0.0f) return a;
  return {a.x / len, a.y / len, a.z / len};
}

bool isFinite(const Vector3& a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }
