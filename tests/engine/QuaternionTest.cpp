// Quaternion products, axis-angle construction and the interpolation that
// blends animation poses.

#include "engine/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "MathExpect.h"
#include "engine/Matrix.h"

namespace {
// A 45-degree turn about z: sin and cos of 22.5 degrees.
const Quaternion kEighthTurn(0, 0, 0.38268343f, 0.92387953f);
}  // namespace

TEST(QuaternionFromAxisAngle, NormalisesTheAxisAndDefaultsToIdentity) {
  const Quaternion q = fromAxisAngle(90, Vector3(0, 0, 2));
  EXPECT_EQ(q.x, 0.0f);
  EXPECT_EQ(q.y, 0.0f);
  EXPECT_FLOAT_EQ(q.z, 0.70710677f);
  EXPECT_FLOAT_EQ(q.w, 0.70710677f);
  EXPECT_TRUE(Quaternion() == Quaternion(0, 0, 0, 1));
}

TEST(QuaternionProduct, ComposesWithTheRightOperandAppliedFirst) {
  const Quaternion quarter = fromAxisAngle(90, Vector3(0, 0, 1));
  EXPECT_TRUE(quaternionNear(product(quarter, quarter), Quaternion(0, 0, 1, 0), 1e-6f));
  const Quaternion a = fromAxisAngle(90, Vector3(1, 0, 0));
  const Quaternion b = fromAxisAngle(90, Vector3(0, 1, 0));
  // a (x) b rotates by b, then by a: as row-vector matrices, M(b) then M(a).
  EXPECT_TRUE(matrixNear(toMatrix(product(a, b)), multiply(toMatrix(b), toMatrix(a)), 1e-6f));
  EXPECT_FALSE(matrixNear(toMatrix(product(a, b)), multiply(toMatrix(a), toMatrix(b)), 1e-3f));
}

TEST(QuaternionSlerp, InterpolatesAlongTheShorterArcBetweenItsEnds) {
  const Quaternion quarter = fromAxisAngle(90, Vector3(0, 0, 1));
  EXPECT_TRUE(quaternionNear(slerp(Quaternion(), quarter, 0.5f), kEighthTurn, 1e-6f));
  EXPECT_TRUE(quaternionNear(slerp(Quaternion(), quarter * -1.0f, 0.5f), kEighthTurn, 1e-6f));
  const Quaternion a = fromAxisAngle(10, Vector3(1, 0, 0));
  const Quaternion b = fromAxisAngle(80, Vector3(0, 1, 0));
  EXPECT_TRUE(quaternionNear(slerp(a, b, 0.0f), a, 1e-6f));
  EXPECT_TRUE(quaternionNear(slerp(a, b, 1.0f), b, 1e-6f));
}

TEST(QuaternionSlerp, IdenticalOrOppositeInputsGiveTheSameRotationAndNotANumberDoesNotHang) {
  const Quaternion a = fromAxisAngle(37, Vector3(1, 2, 3));
  const Quaternion same = slerp(a, a, 0.3f);
  EXPECT_EQ(same.x, a.x);
  EXPECT_EQ(same.y, a.y);
  EXPECT_EQ(same.z, a.z);
  EXPECT_EQ(same.w, a.w);
  const Quaternion q = fromAxisAngle(70, Vector3(0, 1, 0));
  for (float t : {0.0f, 0.4f, 1.0f}) {
    const Quaternion r = slerp(q, q * -1.0f, t);
    EXPECT_TRUE(isFinite(r));
    EXPECT_TRUE(matrixNear(toMatrix(r), toMatrix(q), 1e-5f)) << t;
  }
  EXPECT_TRUE(std::isnan(slerp(Quaternion(), Quaternion(NAN, 0, 0, 1), 0.5f).x));
}
