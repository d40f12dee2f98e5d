#pragma once
// Comparisons with a tolerance for the engine's math types in tests, and a
// way to make the game's generator give a chosen value next.

#include <gtest/gtest.h>

#include <cstdint>

#include "engine/Matrix.h"
#include "engine/Quaternion.h"
#include "engine/Vector3.h"

inline testing::AssertionResult vectorNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f) {
  if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
      std::fabs(actual.z - expected.z) <= tolerance) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not ("
                                     << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

inline testing::AssertionResult quaternionNear(const Quaternion& actual, const Quaternion& expected,
                                               float tolerance = 1e-5f) {
  if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
      std::fabs(actual.z - expected.z) <= tolerance && std::fabs(actual.w - expected.w) <= tolerance) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ", " << actual.w
                                     << ") is not (" << expected.x << ", " << expected.y << ", " << expected.z
                                     << ", " << expected.w << ")";
}

// The same rotation: q and -q both qualify.
inline testing::AssertionResult sameRotation(const Quaternion& actual, const Quaternion& expected,
                                             float tolerance = 1e-5f) {
  if (quaternionNear(actual, expected, tolerance)) return testing::AssertionSuccess();
  return quaternionNear(actual, expected * -1.0f, tolerance);
}

inline testing::AssertionResult matrixNear(const Matrix& actual, const Matrix& expected, float tolerance = 1e-5f) {
  for (int i = 0; i < 16; ++i) {
    if (!(std::fabs(actual.m[i] - expected.m[i]) <= tolerance)) {
      return testing::AssertionFailure() << "element " << i << " is " << actual.m[i] << ", expected "
                                         << expected.m[i];
    }
  }
  return testing::AssertionSuccess();
}

// The generator state whose next draw is `value`: the runtime's rule,
// state * 214013 + 2531011 = value << 16 (mod 2^32), solved with the
// multiplier's inverse modulo 2^32.
inline uint32_t stateBefore(int32_t value) {
  uint32_t inverse = 214013u;  // Newton's iteration doubles the correct bits each round
  for (int i = 0; i < 5; ++i) inverse *= 2u - 214013u * inverse;
  return ((static_cast<uint32_t>(value) << 16) - 2531011u) * inverse;
}
