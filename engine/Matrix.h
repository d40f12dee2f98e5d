#pragma once
// 4 x 4 affine transforms of the scene. Sixteen floats in the order that
// glLoadMatrixf takes, read as four rows of four with points as ROW vectors:
// a point p maps to p * M, element (r, c) is m[4r + c], the translation sits in
// m[12..14] (row 3) and m[15] is 1. A product multiply(A, B) applies A first,
// then B, so a matrix goes to OpenGL unconverted. Every product and inverse
// forces the fourth column to (0, 0, 0, 1): only affine matrices occur.
//
// All operations return a new value; none fails. A singular matrix inverts to
// its adjugate scaled by kSingularReciprocal instead of dividing by zero.

#include "engine/Quaternion.h"
#include "engine/Vector3.h"

// The reciprocal determinant used when a 3x3 determinant is exactly 0.
constexpr float kSingularReciprocal = 10000000.0f;
// Degrees to radians as the game always converted them (a double constant).
constexpr double kDegreesToRadians = 0.017453292516666667;

struct Matrix {
  float m[16];

  // Identity.
  constexpr Matrix() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}
  // Rows 0-2 take three values each (plus 0), row 3 three values (plus 1).
  constexpr Matrix(float a00, float a01, float a02, float a10, float a11, float a12, float a20, float a21,
                   float a22, float a30, float a31, float a32)
      : m{a00, a01, a02, 0, a10, a11, a12, 0, a20, a21, a22, 0, a30, a31, a32, 1} {}

  static constexpr Matrix identity() { return Matrix(); }

  constexpr float& operator[](int i) { return m[i]; }
  constexpr float operator[](int i) const { return m[i]; }
  const float* data() const { return m; }
};

// Element-wise: all sixteen compare equal.
bool equals(const Matrix& a, const Matrix& b);
inline bool operator==(const Matrix& a, const Matrix& b) { return equals(a, b); }

inline float get(const Matrix& m, int row, int column) { return m.m[4 * row + column]; }
inline void set(Matrix& m, int row, int column, float value) { m.m[4 * row + column] = value; }

// A * B: A applied first, then B.
Matrix multiply(const Matrix& a, const Matrix& b);
// Cofactor inverse of the upper 3x3, translation -t * R^-1. A determinant of
// exactly 0 uses kSingularReciprocal as 1/det, so the result stays finite.
Matrix inverse(const Matrix& m);
// Full 4x4 transpose.
Matrix transpose(const Matrix& m);
float determinant3(const Matrix& m);

// Row 3 += x * row0 + y * row1 + z * row2: a translation in M's own axes,
// applied before M.
Matrix translate(const Matrix& m, float x, float y, float z);
inline Matrix translate(const Matrix& m, const Vector3& v) { return translate(m, v.x, v.y, v.z); }
// diag(sx, sy, sz, 1) * M: the scale is applied before M.
Matrix scale(const Matrix& m, float s);
Matrix scale(const Matrix& m, float sx, float sy, float sz);
// R * M with R the right-handed rotation of glRotatef about the (not
// normalised) axis: R is applied before M.
Matrix rotate(const Matrix& m, float degrees, float x, float y, float z);

// Elements 12, 13, 14.
inline Vector3 translation(const Matrix& m) { return {m.m[12], m.m[13], m.m[14]}; }
// Lengths of rows 0, 1 and 2.
Vector3 scaleOf(const Matrix& m);

// p * M, with the translation. Inline with transformVector: the model reader
// and the skinning call them per vertex and per sample.
inline Vector3 transformPoint(const Vector3& p, const Matrix& m) {
  return {p.x * m.m[0] + p.y * m.m[4] + p.z * m.m[8] + m.m[12],
          p.x * m.m[1] + p.y * m.m[5] + p.z * m.m[9] + m.m[13],
          p.x * m.m[2] + p.y * m.m[6] + p.z * m.m[10] + m.m[14]};
}
// v * the upper 3x3 of M, without the translation.
inline Vector3 transformVector(const Vector3& v, const Matrix& m) {
  return {v.x * m.m[0] + v.y * m.m[4] + v.z * m.m[8], v.x * m.m[1] + v.y * m.m[5] + v.z * m.m[9],
          v.x * m.m[2] + v.y * m.m[6] + v.z * m.m[10]};
}

// Row-vector rotation matrix of q; q need not be unit length (a zero
// quaternion gives the identity).
Matrix toMatrix(const Quaternion& q);
// Rotation of M's upper 3x3 after normalising its rows; for 3x3 traces near
// -1 (rotations near 180 degrees) the largest diagonal element picks the
// formula.
Quaternion toQuaternion(const Matrix& m);

bool isFinite(const Matrix& m);
