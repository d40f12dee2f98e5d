// The matrix conventions everything else depends on: row vectors, left
// operand applied first, OpenGL memory order, and inverses that never fail.

#include "engine/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>

#include "MathExpect.h"

namespace {
const Matrix kZero(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

TEST(MatrixLayout, RowsOfFourInOpenGlOrderWithTheTranslationInElementsTwelveToFourteen) {
  const Matrix m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
  const float expected[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 1};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], expected[i]) << i;
  const Matrix t = translate(Matrix(), 1.0f, 2.0f, 3.0f);
  EXPECT_EQ(t.m[12], 1.0f);
  EXPECT_EQ(t.m[13], 2.0f);
  EXPECT_EQ(t.m[14], 3.0f);
  EXPECT_EQ(get(t, 3, 1), 2.0f);
  EXPECT_TRUE(vectorNear(translation(t), Vector3(1, 2, 3), 0.0f));
  Matrix s;
  set(s, 2, 1, 7.5f);
  EXPECT_EQ(s.m[9], 7.5f);
}

TEST(MatrixProduct, TheLeftOperandIsAppliedFirstAndTheAffineColumnIsForced) {
  const Matrix turn = rotate(Matrix(), 90, 0, 0, 1);
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(0, 0, 0), multiply(translate(Matrix(), 1, 0, 0), turn)),
                         Vector3(0, 1, 0)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 0, 0), multiply(turn, translate(Matrix(), 1, 0, 0))),
                         Vector3(1, 1, 0)));
  Matrix a;
  a.m[3] = 5.0f;
  a.m[15] = 3.0f;
  const Matrix r = multiply(a, Matrix());
  EXPECT_EQ(r.m[3], 0.0f);
  EXPECT_EQ(r.m[15], 1.0f);
}

TEST(MatrixRotate, IsRightHandedLikeGlRotateWithTheAxisUnnormalisedAndActsBeforeTheMatrix) {
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(0, 1, 0), rotate(Matrix(), 90, 1, 0, 0)), Vector3(0, 0, 1)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(0, 0, 1), rotate(Matrix(), 90, 0, 1, 0)), Vector3(1, 0, 0)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 0, 0), rotate(Matrix(), 90, 0, 0, 1)), Vector3(0, 1, 0)));
  // About (0, 0, 2) by 90 degrees: rows (0, 2, 0), (-2, 0, 0), (0, 0, 4).
  const Matrix doubled = rotate(Matrix(), 90, 0, 0, 2);
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 0, 0), doubled), Vector3(0, 2, 0)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(0, 0, 1), doubled), Vector3(0, 0, 4)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 0, 0), rotate(translate(Matrix(), 5, 0, 0), 90, 0, 0, 1)),
                         Vector3(5, 1, 0)));
}

TEST(MatrixTranslateAndScale, ActInTheMatrixOwnAxesBeforeIt) {
  EXPECT_TRUE(vectorNear(translation(translate(rotate(Matrix(), 90, 0, 0, 1), 1, 0, 0)), Vector3(0, 1, 0)));
  EXPECT_TRUE(vectorNear(translation(translate(scale(Matrix(), 2.0f), 1, 0, 0)), Vector3(2, 0, 0)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 0, 0), scale(translate(Matrix(), 5, 0, 0), 2.0f)),
                         Vector3(7, 0, 0)));
  const Matrix n = scale(Matrix(), 2, 3, 4);
  EXPECT_TRUE(vectorNear(scaleOf(n), Vector3(2, 3, 4)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 1, 1), n), Vector3(2, 3, 4)));
}

TEST(MatrixInverse, UndoesAGeneralAffineTransform) {
  Matrix m = rotate(Matrix(), 33, 1, 2, 3);
  m = scale(m, 2, 0.5f, 3);
  m = multiply(m, translate(Matrix(), 4, -5, 6));
  EXPECT_TRUE(matrixNear(multiply(m, inverse(m)), Matrix(), 1e-5f));
  EXPECT_TRUE(matrixNear(multiply(inverse(m), m), Matrix(), 1e-5f));
  const Vector3 p(1, 2, 3);
  EXPECT_TRUE(vectorNear(transformPoint(transformPoint(p, m), inverse(m)), p, 1e-4f));
}

TEST(MatrixInverse, SingularMatricesScaleTheAdjugateByTenMillionAndStayFinite) {
  // Row 1 is zero. Adjugate of rows (1,2,3), (0,0,0), (4,5,6): only column 1
  // survives, with 3, -6, 3.
  const Matrix r = inverse(Matrix(1, 2, 3, 0, 0, 0, 4, 5, 6, 7, 8, 9));
  EXPECT_TRUE(isFinite(r));
  EXPECT_EQ(r.m[1], 3.0f * kSingularReciprocal);
  EXPECT_EQ(r.m[5], -6.0f * kSingularReciprocal);
  EXPECT_EQ(r.m[9], 3.0f * kSingularReciprocal);
  EXPECT_EQ(r.m[0], 0.0f);
  EXPECT_EQ(r.m[10], 0.0f);
  // -(7, 8, 9) times column 1: -(21 - 48 + 27) * 1e7 = 0.
  EXPECT_EQ(r.m[13], 0.0f);
  EXPECT_EQ(r.m[15], 1.0f);
  const Matrix z = inverse(kZero);
  EXPECT_TRUE(isFinite(z));
  for (int i = 0; i < 15; ++i) EXPECT_EQ(z.m[i], 0.0f) << i;
}

TEST(MatrixOperations, TransposeDeterminantTransformVectorAndEquals) {
  const Matrix m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
  const Matrix t = transpose(m);
  EXPECT_EQ(t.m[1], 4.0f);
  EXPECT_EQ(t.m[3], 10.0f);
  EXPECT_EQ(t.m[12], 0.0f);
  EXPECT_TRUE(equals(transpose(t), m));
  EXPECT_FLOAT_EQ(determinant3(scale(Matrix(), 2, 3, 4)), 24.0f);
  EXPECT_FLOAT_EQ(determinant3(Matrix(-1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 5, 5)), -1.0f);
  EXPECT_TRUE(vectorNear(transformVector(Vector3(1, 0, 0), translate(rotate(Matrix(), 90, 0, 0, 1), 10, 20, 30)),
                         Vector3(0, 1, 0)));
  Matrix b;
  b.m[15] = 2.0f;
  EXPECT_FALSE(equals(Matrix(), b));
}

TEST(MatrixQuaternion, HalfTurnAboutYTakesTheDiagonalBranch) {
  const Quaternion q = toQuaternion(rotate(Matrix(), 180, 0, 1, 0));
  EXPECT_NEAR(q.x, 0.0f, 1e-6f);
  EXPECT_NEAR(std::fabs(q.y), 1.0f, 1e-6f);
  EXPECT_NEAR(q.z, 0.0f, 1e-6f);
  EXPECT_NEAR(q.w, 0.0f, 1e-6f);
}

TEST(MatrixQuaternion, RoundTripsRotationsOnBothSidesOfTheThresholdWhateverTheRowScales) {
  const Vector3 axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 2, -3}};
  for (const Vector3& axis : axes) {
    for (float degrees : {0.0f, 30.0f, 90.0f, 150.0f, 170.0f, 179.0f, 180.0f, 250.0f}) {
      const Quaternion q = fromAxisAngle(degrees, axis);
      EXPECT_TRUE(sameRotation(toQuaternion(toMatrix(q)), q, 2e-5f)) << degrees;
      EXPECT_TRUE(sameRotation(toQuaternion(scale(toMatrix(q), 2, 3, 0.5f)), q, 2e-5f)) << degrees;
    }
  }
  EXPECT_TRUE(isFinite(toQuaternion(kZero)));
  EXPECT_TRUE(isFinite(toQuaternion(Matrix(1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0))));
}

TEST(MatrixQuaternion, ToMatrixIsTheRotationOfRotateForQuaternionsOfAnyLength) {
  const Vector3 axis = normalise(Vector3(1, -2, 0.5f));
  const Quaternion q = fromAxisAngle(63, axis);
  EXPECT_TRUE(matrixNear(toMatrix(q), rotate(Matrix(), 63, axis.x, axis.y, axis.z), 1e-5f));
  EXPECT_TRUE(matrixNear(toMatrix(q * 3.0f), toMatrix(q), 1e-6f));
  EXPECT_TRUE(equals(toMatrix(Quaternion(0, 0, 0, 0)), Matrix()));
}

TEST(Vector3Math, NormaliseLeavesZeroAloneAndCrossIsRightHanded) {
  EXPECT_TRUE(normalise(Vector3(0, 0, 0)) == Vector3(0, 0, 0));
  Vector3 v(0, 0, 0);
  v.normalise();
  EXPECT_TRUE(v == Vector3(0, 0, 0));
  EXPECT_TRUE(vectorNear(normalise(Vector3(3, 0, 4)), Vector3(0.6f, 0, 0.8f)));
  EXPECT_TRUE(cross(Vector3(1, 0, 0), Vector3(0, 1, 0)) == Vector3(0, 0, 1));
  EXPECT_TRUE(cross(Vector3(0, 1, 0), Vector3(1, 0, 0)) == Vector3(0, 0, -1));
  // between(a, b) is b - a: the direction from a to b.
  EXPECT_TRUE(between(Vector3(1, 1, 1), Vector3(4, 5, 1)) == Vector3(3, 4, 0));
  EXPECT_FLOAT_EQ(distance(Vector3(1, 1, 1), Vector3(4, 5, 1)), 5.0f);
}
