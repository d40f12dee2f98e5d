#pragma once
// Rotation quaternions of the keyframe animation. The vector part comes first
// (x, y, z), then w; the default is the identity (0, 0, 0, 1). Conversions to
// and from matrices live with Matrix (engine/Matrix.h).

#include <cmath>

#include "engine/Vector3.h"

struct Quaternion {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 1.0f;

  constexpr Quaternion() = default;
  constexpr Quaternion(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}
  constexpr Quaternion(const Vector3& v, float w) : x(v.x), y(v.y), z(v.z), w(w) {}

  constexpr Vector3 vector() const { return {x, y, z}; }
};

constexpr bool operator==(const Quaternion& a, const Quaternion& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}
constexpr Quaternion operator+(const Quaternion& a, const Quaternion& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
constexpr Quaternion operator*(const Quaternion& a, float s) { return {a.x * s, a.y * s, a.z * s, a.w * s}; }

constexpr Quaternion add(const Quaternion& a, const Quaternion& b) { return a + b; }
constexpr Quaternion scale(const Quaternion& a, float s) { return a * s; }

// Hamilton product a (x) b: vector = a.v x b.v + b.v * a.w + a.v * b.w,
// w = a.w * b.w - a.v . b.v. Inline, like fromAxisAngle, because the model
// reader runs both once per rotation sample.
inline Quaternion product(const Quaternion& a, const Quaternion& b) {
  const Vector3 av = a.vector();
  const Vector3 bv = b.vector();
  const Vector3 v = cross(av, bv) + bv * a.w + av * b.w;
  return {v, a.w * b.w - dot(av, bv)};
}

// Rotation by `degrees` about `axis` (normalised here). The half angle uses
// the single-precision constants 2 pi = 6.2831855 and 1/360 = 0.0027777778,
// as the model files' tracks were built with them.
inline Quaternion fromAxisAngle(float degrees, const Vector3& axis) {
  constexpr float kTwoPiSingle = 6.2831855f;
  constexpr float kOneOver360 = 0.0027777778f;
  const float half = degrees * 0.5f * kTwoPiSingle * kOneOver360;
  return {normalise(axis) * std::sin(half), std::cos(half)};
}

// Spherical interpolation from a (t = 0) to b (t = 1) along the shorter arc,
// without renormalising. Identical or parallel inputs give b exactly.
Quaternion slerp(const Quaternion& a, const Quaternion& b, float t);

bool isFinite(const Quaternion& q);
