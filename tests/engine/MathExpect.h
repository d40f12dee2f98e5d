#pragma once
// Comparisons with a tolerance for the engine's math types in tests.

#include <gtest/gtest.h>

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
