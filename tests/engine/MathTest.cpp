// The conventions everything else depends on: row vectors, left operand
// applied first, OpenGL memory order, inverses that never fail; quaternion
// products, axis-angle construction and the interpolation that blends
// animation poses.

#include <gtest/gtest.h>

#include "MathExpect.h"

namespace {
const Matrix kZero(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
const Matrix kTurn = rotate(Matrix(), 90, 0, 0, 1);

TEST(MatrixTest, RowsOfFourInOpenGlOrderWithTheTranslationLast) {
  const Matrix m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
  EXPECT_TRUE(matrixNear(m, transpose(transpose(m)), 0));
  EXPECT_TRUE(allNear<16>(std::to_array(m.m), {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 1}, 0));
  EXPECT_TRUE(allNear<4>({transpose(m).m[1], transpose(m).m[3], transpose(m).m[12], get(m, 3, 1)}, {4, 10, 0, 11}, 0));
  Matrix s;
  set(s, 2, 1, 7.5f);
  EXPECT_EQ(s.m[9], 7.5f);
  s.m[3] = 5.0f;  // the product forces the affine column
  s.m[15] = 3.0f;
  EXPECT_TRUE(allNear<2>({multiply(s, Matrix()).m[3], multiply(s, Matrix()).m[15]}, {0, 1}, 0));
  EXPECT_FALSE(equals(Matrix(), s));
}

TEST(MatrixTest, EachBuilderActsBeforeTheMatrixAndRotationsAreRightHanded) {
  const struct {
    Matrix m;
    Vector3 point, expected;
  } cases[] = {
      {rotate(Matrix(), 90, 1, 0, 0), {0, 1, 0}, {0, 0, 1}},
      {rotate(Matrix(), 90, 0, 1, 0), {0, 0, 1}, {1, 0, 0}},
      {kTurn, {1, 0, 0}, {0, 1, 0}},
      // An axis of length 2 is not normalised: rows (0, 2, 0), (-2, 0, 0), (0, 0, 4).
      {rotate(Matrix(), 90, 0, 0, 2), {1, 0, 0}, {0, 2, 0}},
      {rotate(Matrix(), 90, 0, 0, 2), {0, 0, 1}, {0, 0, 4}},
      {rotate(translate(Matrix(), 5, 0, 0), 90, 0, 0, 1), {1, 0, 0}, {5, 1, 0}},
      {translate(kTurn, 1, 0, 0), {0, 0, 0}, {0, 1, 0}},
      {translate(scale(Matrix(), 2.0f), 1, 0, 0), {0, 0, 0}, {2, 0, 0}},
      {scale(translate(Matrix(), 5, 0, 0), 2.0f), {1, 0, 0}, {7, 0, 0}},
      {scale(Matrix(), 2, 3, 4), {1, 1, 1}, {2, 3, 4}},
      {multiply(translate(Matrix(), 1, 0, 0), kTurn), {0, 0, 0}, {0, 1, 0}},
      {multiply(kTurn, translate(Matrix(), 1, 0, 0)), {1, 0, 0}, {1, 1, 0}},
  };
  for (const auto& c : cases) EXPECT_TRUE(vectorNear(transformPoint(c.point, c.m), c.expected)) << &c - cases;
  EXPECT_TRUE(vectorNear(scaleOf(scale(Matrix(), 2, 3, 4)), Vector3(2, 3, 4)));
  EXPECT_TRUE(vectorNear(transformVector(Vector3(1, 0, 0), translate(kTurn, 10, 20, 30)), Vector3(0, 1, 0)));
  EXPECT_FLOAT_EQ(determinant3(scale(Matrix(), 2, 3, 4)), 24.0f);
  EXPECT_FLOAT_EQ(determinant3(Matrix(-1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 5, 5)), -1.0f);
}

TEST(MatrixTest, InverseUndoesAnAffineTransformAndScalesASingularAdjugateByTenMillion) {
  const Matrix m = multiply(scale(rotate(Matrix(), 33, 1, 2, 3), 2, 0.5f, 3), translate(Matrix(), 4, -5, 6));
  EXPECT_TRUE(matrixNear(multiply(m, inverse(m)), Matrix()));
  EXPECT_TRUE(matrixNear(multiply(inverse(m), m), Matrix()));
  // Row 1 is zero. Adjugate of rows (1,2,3), (0,0,0), (4,5,6): only column 1
  // survives, with 3, -6, 3; the translation row -(7, 8, 9) times it is 0.
  const Matrix r = inverse(Matrix(1, 2, 3, 0, 0, 0, 4, 5, 6, 7, 8, 9));
  const float k = kSingularReciprocal;
  EXPECT_TRUE(allNear<16>(std::to_array(r.m), {0, 3 * k, 0, 0, 0, -6 * k, 0, 0, 0, 3 * k, 0, 0, 0, 0, 0, 1}, 0));
  EXPECT_TRUE(matrixNear(inverse(kZero), Matrix(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0));
}

TEST(MatrixTest, QuaternionsRoundTripOnEveryBranchWhateverTheRowScalesAndMatchRotate) {
  for (const Vector3& axis : {Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1), Vector3(1, 2, -3)}) {
    for (float degrees : {0.0f, 30.0f, 90.0f, 150.0f, 170.0f, 179.0f, 180.0f, 250.0f}) {
      const Quaternion q = fromAxisAngle(degrees, axis);
      EXPECT_TRUE(sameRotation(toQuaternion(toMatrix(q)), q, 2e-5f)) << degrees;
      EXPECT_TRUE(sameRotation(toQuaternion(scale(toMatrix(q), 2, 3, 0.5f)), q, 2e-5f)) << degrees;
    }
  }
  EXPECT_TRUE(isFinite(toQuaternion(kZero)));
  EXPECT_TRUE(isFinite(toQuaternion(Matrix(1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0))));
  const Vector3 axis = normalise(Vector3(1, -2, 0.5f));
  const Quaternion q = fromAxisAngle(63, axis);
  EXPECT_TRUE(matrixNear(toMatrix(q), rotate(Matrix(), 63, axis.x, axis.y, axis.z)));
  EXPECT_TRUE(matrixNear(toMatrix(q * 3.0f), toMatrix(q), 1e-6f));
  EXPECT_TRUE(equals(toMatrix(Quaternion(0, 0, 0, 0)), Matrix()));
  // fromAxisAngle normalises its axis.
  EXPECT_TRUE(quaternionNear(fromAxisAngle(90, Vector3(0, 0, 2)), Quaternion(0, 0, 0.70710677f, 0.70710677f), 1e-7f));
}

TEST(QuaternionTest, ProductAppliesTheRightOperandFirstAndVectorsPointFromAToB) {
  const Quaternion a = fromAxisAngle(90, Vector3(1, 0, 0));
  const Quaternion b = fromAxisAngle(90, Vector3(0, 1, 0));
  // a (x) b rotates by b, then by a: as row-vector matrices, M(b) then M(a).
  EXPECT_TRUE(matrixNear(toMatrix(product(a, b)), multiply(toMatrix(b), toMatrix(a)), 1e-6f));
  EXPECT_FALSE(matrixNear(toMatrix(product(a, b)), multiply(toMatrix(a), toMatrix(b)), 1e-3f));
  // Vectors: normalising zero leaves it alone; between(a, b) points from a to b.
  EXPECT_TRUE(normalise(Vector3(0, 0, 0)) == Vector3(0, 0, 0));
  EXPECT_TRUE(between(Vector3(1, 1, 1), Vector3(4, 5, 1)) == Vector3(3, 4, 0));
  EXPECT_FLOAT_EQ(distance(Vector3(1, 1, 1), Vector3(4, 5, 1)), 5.0f);
}

TEST(QuaternionTest, SlerpTakesTheShorterArcAndCopesWithEqualOppositeAndBrokenEnds) {
  const Quaternion quarter = fromAxisAngle(90, Vector3(0, 0, 1));
  const Quaternion eighth(0, 0, 0.38268343f, 0.92387953f);
  EXPECT_TRUE(quaternionNear(slerp(Quaternion(), quarter, 0.5f), eighth, 1e-6f));
  EXPECT_TRUE(quaternionNear(slerp(Quaternion(), quarter * -1.0f, 0.5f), eighth, 1e-6f));
  const Quaternion a = fromAxisAngle(10, Vector3(1, 0, 0));
  const Quaternion b = fromAxisAngle(80, Vector3(0, 1, 0));
  EXPECT_TRUE(quaternionNear(slerp(a, b, 0.0f), a, 1e-6f));
  EXPECT_TRUE(quaternionNear(slerp(a, b, 1.0f), b, 1e-6f));
  EXPECT_TRUE(quaternionNear(slerp(a, a, 0.3f), a, 0));
  for (float t : {0.0f, 0.4f, 1.0f}) EXPECT_TRUE(matrixNear(toMatrix(slerp(b, b * -1.0f, t)), toMatrix(b))) << t;
  EXPECT_TRUE(std::isnan(slerp(Quaternion(), Quaternion(NAN, 0, 0, 1), 0.5f).x));
}

}  // namespace
