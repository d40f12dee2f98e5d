#pragma once
// Comparisons with a tolerance for the engine's math types in tests, and a
// way to make the game's generator give a chosen value next.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/Matrix.h"
#include "engine/Quaternion.h"
#include "engine/Vector3.h"

template <size_t N>
testing::AssertionResult allNear(const std::array<float, N>& actual, const std::array<float, N>& expected,
                                 float tolerance) {
  for (size_t i = 0; i < N; ++i) {
    if (std::fabs(actual[i] - expected[i]) <= tolerance) continue;
    testing::AssertionResult failure = testing::AssertionFailure() << "element " << i << " is not " << expected[i] << ":";
    for (float value : actual) failure << " " << value;
    return failure;
  }
  return testing::AssertionSuccess();
}

inline testing::AssertionResult vectorNear(const Vector3& a, const Vector3& e, float tolerance = 1e-5f) {
  return allNear<3>({a.x, a.y, a.z}, {e.x, e.y, e.z}, tolerance);
}
inline testing::AssertionResult vectorsNear(const std::vector<Vector3>& actual, const std::vector<Vector3>& expected,
                                            float tolerance = 1e-5f) {
  if (actual.size() != expected.size()) return testing::AssertionFailure() << actual.size() << " vectors";
  for (size_t i = 0; i < actual.size(); ++i) {
    if (!vectorNear(actual[i], expected[i], tolerance)) return vectorNear(actual[i], expected[i], tolerance) << " at " << i;
  }
  return testing::AssertionSuccess();
}
inline testing::AssertionResult quaternionNear(const Quaternion& a, const Quaternion& e, float tolerance = 1e-5f) {
  return allNear<4>({a.x, a.y, a.z, a.w}, {e.x, e.y, e.z, e.w}, tolerance);
}
// The same rotation: q and -q both qualify.
inline testing::AssertionResult sameRotation(const Quaternion& a, const Quaternion& e, float tolerance = 1e-5f) {
  return quaternionNear(a, e, tolerance) ? testing::AssertionSuccess() : quaternionNear(a, e * -1.0f, tolerance);
}
inline testing::AssertionResult matrixNear(const Matrix& a, const Matrix& e, float tolerance = 1e-5f) {
  return allNear<16>(std::to_array(a.m), std::to_array(e.m), tolerance);
}

// The generator state whose next draw is `value`: the runtime's rule,
// state * 214013 + 2531011 = value << 16 (mod 2^32), solved with the
// multiplier's inverse modulo 2^32.
inline uint32_t stateBefore(int32_t value) {
  uint32_t inverse = 214013u;  // Newton's iteration doubles the correct bits each round
  for (int i = 0; i < 5; ++i) inverse *= 2u - 214013u * inverse;
  return ((static_cast<uint32_t>(value) << 16) - 2531011u) * inverse;
}
