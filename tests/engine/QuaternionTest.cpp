// Quaternion products, axis-angle construction and the interpolation that
// blends animation poses.

#include "engine/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "MathExpect.h"
#include "engine/Matrix.h"

namespace {
// sin and cos of 22.5 degrees, for a 45-degree rotation.
const float kSin225 = 0.38268343f;
const float kCos225 = 0.92387953f;
}  // namespace

TEST(QuaternionFromAxisAngle, NormalisesTheAxis) {
  const Quaternion q = fromAxisAngle(90, Vector3(0, 0, 2));
  EXPECT_EQ(q.x, 0.0f);
  EXPECT_EQ(q.y, 0.0f);
  EXPECT_FLOAT_EQ(q.z, 0.70710677f);
  EXPECT_FLOAT_EQ(q.w, 0.70710677f);
}

TEST(QuaternionFromAxisAngle, DefaultIsIdentity) {
  const Quaternion q;
  EXPECT_TRUE(q == Quaternion(0, 0, 0, 1));
  EXPECT_TRUE(equals(toMatrix(q), Matrix()));
}

TEST(QuaternionProduct, QuarterTurnsComposeToAHalfTurn) {
  const Quaternion quarter = fromAxisAngle(90, Vector3(0, 0, 1));
  EXPECT_TRUE(quaternionNear(product(quarter, quarter), Quaternion(0, 0, 1, 0), 1e-6f));
}

TEST(QuaternionProduct, RightOperandIsAppliedFirst) {
  const Quaternion a = fromAxisAngle(90, Vector3(1, 0, 0));
  const Quaternion b = fromAxisAngle(90, Vector3(0, 1, 0));
  // a (x) b rotates by b, then by a: as row-vector matrices, M(b) then M(a).
  EXPECT_TRUE(matrixNear(toMatrix(product(a, b)), multiply(toMatrix(b), toMatrix(a)), 1e-6f));
  EXPECT_FALSE(matrixNear(toMatrix(product(a, b)), multiply(toMatrix(a), toMatrix(b)), 1e-3f));
}

TEST(QuaternionSlerp, IdenticalInputsGiveTheSecondOperandExactly) {
  const Quaternion a = fromAxisAngle(37, Vector3(1, 2, 3));
  const Quaternion b = a;
  const Quaternion r = slerp(a, b, 0.3f);
  EXPECT_EQ(r.x, b.x);
  EXPECT_EQ(r.y, b.y);
  EXPECT_EQ(r.z, b.z);
  EXPECT_EQ(r.w, b.w);
}

TEST(QuaternionSlerp, OppositeSignsAreTheSameRotation) {
  const Quaternion q = fromAxisAngle(70, Vector3(0, 1, 0));
  for (float t : {0.0f, 0.4f, 1.0f}) {
    const Quaternion r = slerp(q, q * -1.0f, t);
    EXPECT_TRUE(isFinite(r));
    EXPECT_TRUE(matrixNear(toMatrix(r), toMatrix(q), 1e-5f)) << t;
  }
}

TEST(QuaternionSlerp, HalfwayBetweenIdentityAndQuarterTurn) {
  const Quaternion r = slerp(Quaternion(), fromAxisAngle(90, Vector3(0, 0, 1)), 0.5f);
  EXPECT_TRUE(quaternionNear(r, Quaternion(0, 0, kSin225, kCos225), 1e-6f));
}

TEST(QuaternionSlerp, TakesTheShorterArcWhenTheDotIsNegative) {
  const Quaternion negatedQuarter = fromAxisAngle(90, Vector3(0, 0, 1)) * -1.0f;
  const Quaternion r = slerp(Quaternion(), negatedQuarter, 0.5f);
  EXPECT_TRUE(quaternionNear(r, Quaternion(0, 0, kSin225, kCos225), 1e-6f));
}

TEST(QuaternionSlerp, EndsAreTheOperands) {
  const Quaternion a = fromAxisAngle(10, Vector3(1, 0, 0));
  const Quaternion b = fromAxisAngle(80, Vector3(0, 1, 0));
  EXPECT_TRUE(quaternionNear(slerp(a, b, 0.0f), a, 1e-6f));
  EXPECT_TRUE(quaternionNear(slerp(a, b, 1.0f), b, 1e-6f));
}

TEST(QuaternionSlerp, NotANumberInputDoesNotLoop) {
  const Quaternion bad(NAN, 0, 0, 1);
  const Quaternion r = slerp(Quaternion(), bad, 0.5f);
  // The result is b; what matters is that nothing traps or hangs.
  EXPECT_TRUE(std::isnan(r.x));
}
