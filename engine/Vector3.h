#pragma once
// The game's 3-vector: positions and normals in scene units, and texture
// coordinates (u, v, w; all three go to OpenGL). A plain value, copied freely.
// Length-dependent operations never divide by zero: a zero vector normalises
// to itself.

#include <cmath>

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  constexpr Vector3() = default;
  constexpr Vector3(float x, float y, float z) : x(x), y(y), z(z) {}

  Vector3& operator+=(const Vector3& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
  }
  // Divides by the length in place; a zero-length vector is left unchanged.
  Vector3& normalise();
};

constexpr Vector3 operator+(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
constexpr Vector3 operator-(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
constexpr Vector3 operator-(const Vector3& a) { return {-a.x, -a.y, -a.z}; }
constexpr Vector3 operator*(const Vector3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
constexpr Vector3 operator*(float s, const Vector3& a) { return a * s; }
// All three components compare equal (so 0 == -0, and NaN never matches).
constexpr bool operator==(const Vector3& a, const Vector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

constexpr Vector3 add(const Vector3& a, const Vector3& b) { return a + b; }
constexpr Vector3 scale(const Vector3& a, float s) { return a * s; }
// The vector from a to b: b - a.
constexpr Vector3 between(const Vector3& a, const Vector3& b) { return b - a; }
constexpr float dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
// Right-handed a x b.
constexpr Vector3 cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// length, distance and normalise are inline: the model reader and the
// skinning run them per vertex and per animation sample.
inline float length(const Vector3& a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
// Length of a - b.
inline float distance(const Vector3& a, const Vector3& b) { return length(a - b); }
// a / |a|; a zero-length vector comes back unchanged.
inline Vector3 normalise(const Vector3& a) {
  const float len = length(a);
  if (len == 0.0f) return a;
  return {a.x / len, a.y / len, a.z / len};
}
// a + (b - a) * t per component.
constexpr Vector3 lerp(const Vector3& a, const Vector3& b, float t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}
bool isFinite(const Vector3& a);

// Vertex arrays go to OpenGL as packed triples of floats.
static_assert(sizeof(Vector3) == 3 * sizeof(float));
