#include "engine/Vector3.h"

Vector3& Vector3::normalise() {
  *this = ::normalise(*this);
  return *this;
}

bool isFinite(const Vector3& a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }
