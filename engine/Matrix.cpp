#include "engine/Matrix.h"

#include <cmath>

namespace {
// Element (r, c) of the row-vector layout.
constexpr int at(int r, int c) { return 4 * r + c; }

Matrix withAffineColumn(Matrix m) {
  m.m[3] = 0.0f;
  m.m[7] = 0.0f;
  m.m[11] = 0.0f;
  m.m[15] = 1.0f;
  return m;
}

// Threshold on 1 + trace below which toQuaternion picks the largest diagonal
// element instead of the trace formula.
constexpr float kTraceThreshold = 0.1f;
}  // namespace

bool equals(const Matrix& a, const Matrix& b) {
  for (int i = 0; i < 16; ++i) {
    if (a.m[i] != b.m[i]) return false;
  }
  return true;
}

Matrix multiply(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int row = 0; row < 4; ++row) {
    for (int c = 0; c < 3; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 3; ++k) sum += double(a.m[at(row, k)]) * b.m[at(k, c)];
      if (row == 3) sum += b.m[at(3, c)];
      r.m[at(row, c)] = float(sum);
    }
  }
  return withAffineColumn(r);
}

float determinant3(const Matrix& m) {
  const double a = m.m[0], b = m.m[1], c = m.m[2];
  const double d = m.m[4], e = m.m[5], f = m.m[6];
  const double g = m.m[8], h = m.m[9], i = m.m[10];
  return float(a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g));
}

Matrix inverse(const Matrix& m) {
  const double a = m.m[0], b = m.m[1], c = m.m[2];
  const double d = m.m[4], e = m.m[5], f = m.m[6];
  const double g = m.m[8], h = m.m[9], i = m.m[10];
  const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  const double k = det == 0.0 ? double(kSingularReciprocal) : 1.0 / det;

  // Adjugate (transposed cofactors) times 1/det.
  const double r00 = (e * i - f * h) * k, r01 = (c * h - b * i) * k, r02 = (b * f - c * e) * k;
  const double r10 = (f * g - d * i) * k, r11 = (a * i - c * g) * k, r12 = (c * d - a * f) * k;
  const double r20 = (d * h - e * g) * k, r21 = (b * g - a * h) * k, r22 = (a * e - b * d) * k;

  const double tx = m.m[12], ty = m.m[13], tz = m.m[14];
  Matrix r(float(r00), float(r01), float(r02), float(r10), float(r11), float(r12), float(r20), float(r21),
           float(r22), float(-(tx * r00 + ty * r10 + tz * r20)), float(-(tx * r01 + ty * r11 + tz * r21)),
           float(-(tx * r02 + ty * r12 + tz * r22)));
  return r;
}

Matrix transpose(const Matrix& m) {
  Matrix r;
  for (int row = 0; row < 4; ++row) {
    for (int c = 0; c < 4; ++c) r.m[at(c, row)] = m.m[at(row, c)];
  }
  return r;
}

Matrix translate(const Matrix& m, float x, float y, float z) {
  Matrix r = m;
  for (int c = 0; c < 3; ++c) {
    r.m[at(3, c)] = float(double(m.m[at(3, c)]) + double(x) * m.m[at(0, c)] + double(y) * m.m[at(1, c)] +
                          double(z) * m.m[at(2, c)]);
  }
  return r;
}

Matrix scale(const Matrix& m, float s) { return scale(m, s, s, s); }

Matrix scale(const Matrix& m, float sx, float sy, float sz) {
  Matrix r = m;
  const float s[3] = {sx, sy, sz};
  for (int row = 0; row < 3; ++row) {
    for (int c = 0; c < 4; ++c) r.m[at(row, c)] = m.m[at(row, c)] * s[row];
  }
  return r;
}

Matrix rotate(const Matrix& m, float degrees, float x, float y, float z) {
  const double angle = double(degrees) * kDegreesToRadians;
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double t = 1.0 - c;
  const double ax = x, ay = y, az = z;
  // glRotatef's matrix, transposed into the row-vector layout.
  const Matrix r(float(ax * ax * t + c), float(ay * ax * t + az * s), float(ax * az * t - ay * s),
                 float(ax * ay * t - az * s), float(ay * ay * t + c), float(ay * az * t + ax * s),
                 float(ax * az * t + ay * s), float(ay * az * t - ax * s), float(az * az * t + c), 0.0f, 0.0f,
                 0.0f);
  return multiply(r, m);
}

Vector3 scaleOf(const Matrix& m) {
  return {length(Vector3(m.m[0], m.m[1], m.m[2])), length(Vector3(m.m[4], m.m[5], m.m[6])),
          length(Vector3(m.m[8], m.m[9], m.m[10]))};
}

Matrix toMatrix(const Quaternion& q) {
  const float norm = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
  if (!(norm > 0.0f)) return Matrix();
  const float s = 2.0f / norm;
  const float x = q.x, y = q.y, z = q.z, w = q.w;
  return Matrix(1.0f - s * (y * y + z * z), s * (x * y + w * z), s * (x * z - w * y),
                s * (x * y - w * z), 1.0f - s * (x * x + z * z), s * (y * z + w * x),
                s * (x * z + w * y), s * (y * z - w * x), 1.0f - s * (x * x + y * y), 0.0f, 0.0f, 0.0f);
}

Quaternion toQuaternion(const Matrix& source) {
  const Vector3 r0 = normalise(Vector3(source.m[0], source.m[1], source.m[2]));
  const Vector3 r1 = normalise(Vector3(source.m[4], source.m[5], source.m[6]));
  const Vector3 r2 = normalise(Vector3(source.m[8], source.m[9], source.m[10]));
  const float m00 = r0.x, m01 = r0.y, m02 = r0.z;
  const float m10 = r1.x, m11 = r1.y, m12 = r1.z;
  const float m20 = r2.x, m21 = r2.y, m22 = r2.z;

  const float trace = 1.0f + m00 + m11 + m22;
  Quaternion q;
  if (trace > kTraceThreshold) {
    const float s = 2.0f * std::sqrt(trace);
    q = {(m12 - m21) / s, (m20 - m02) / s, (m01 - m10) / s, s / 4.0f};
  } else if (m00 > m11 && m00 > m22) {
    const float s = 2.0f * std::sqrt(1.0f + m00 - m11 - m22);
    q = {s / 4.0f, (m01 + m10) / s, (m02 + m20) / s, (m12 - m21) / s};
  } else if (m11 > m22) {
    const float s = 2.0f * std::sqrt(1.0f + m11 - m00 - m22);
    q = {(m01 + m10) / s, s / 4.0f, (m12 + m21) / s, (m20 - m02) / s};
  } else {
    const float s = 2.0f * std::sqrt(1.0f + m22 - m00 - m11);
    q = {(m02 + m20) / s, (m12 + m21) / s, s / 4.0f, (m01 - m10) / s};
  }
  // Only a matrix that is no rotation at all (sheared, or rows not finite)
  // gets here without a usable result; it counts as no rotation.
  if (!isFinite(q)) return Quaternion();
  return q;
}

bool isFinite(const Matrix& m) {
  for (float v : m.m) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}
