// The conventions everything else depends on (row vectors, left operand
// applied first, axis-angle construction, the interpolation that blends
// poses), the sampling of keyframe clips and the player's 100 ms blend.

#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/Animation.h"
#include "engine/AnimationPlayer.h"

namespace {
const Matrix kTurn = rotate(Matrix(), 90, 0, 0, 1);

TEST(MatrixTest, EachBuilderActsBeforeTheMatrixRotationsAreRightHandedAndProductsStayAffine) {
  const struct {
    Matrix m;
    Vector3 point, expected;
  } cases[] = {
      {rotate(Matrix(), 90, 1, 0, 0), {0, 1, 0}, {0, 0, 1}},
      {rotate(Matrix(), 90, 0, 1, 0), {0, 0, 1}, {1, 0, 0}},
      // An axis of length 2 is not normalised: rows (0, 2, 0), (-2, 0, 0), (0, 0, 4).
      {rotate(Matrix(), 90, 0, 0, 2), {1, 0, 1}, {0, 2, 4}},
      {rotate(translate(Matrix(), 5, 0, 0), 90, 0, 0, 1), {1, 0, 0}, {5, 1, 0}},
      {translate(kTurn, 1, 0, 0), {0, 0, 0}, {0, 1, 0}},
      {translate(scale(Matrix(), 2.0f), 1, 0, 0), {0, 0, 0}, {2, 0, 0}},
      {scale(translate(Matrix(), 5, 0, 0), 2.0f), {1, 0, 0}, {7, 0, 0}},
      {scale(Matrix(), 2, 3, 4), {1, 1, 1}, {2, 3, 4}},
      {multiply(kTurn, translate(Matrix(), 1, 0, 0)), {1, 0, 0}, {1, 1, 0}},
  };
  for (const auto& c : cases) EXPECT_TRUE(vectorNear(transformPoint(c.point, c.m), c.expected)) << &c - cases;
  EXPECT_TRUE(vectorNear(scaleOf(scale(Matrix(), 2, 3, 4)), Vector3(2, 3, 4)));
  EXPECT_TRUE(vectorNear(transformVector(Vector3(1, 0, 0), translate(kTurn, 10, 20, 30)), Vector3(0, 1, 0)));
  EXPECT_TRUE(determinant3(scale(Matrix(), 2, 3, 4)) == 24 && determinant3(Matrix(-1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 5, 5)) == -1);
  Matrix s;
  s.m[3] = 5.0f;  // the product forces the affine column
  s.m[15] = 3.0f;
  EXPECT_TRUE(allNear<2>({multiply(s, Matrix()).m[3], multiply(s, Matrix()).m[15]}, {0, 1}, 0));
  EXPECT_FALSE(equals(Matrix(), s));
}

TEST(QuaternionTest, InversesAndQuaternionsRoundTripProductsTurnByTheRightOperandFirstAndSlerpTakesTheShorterArc) {
  const Matrix m = multiply(scale(rotate(Matrix(), 33, 1, 2, 3), 2, 0.5f, 3), translate(Matrix(), 4, -5, 6));
  EXPECT_TRUE(matrixNear(multiply(m, inverse(m)), Matrix()) && matrixNear(multiply(inverse(m), m), Matrix()));
  for (const Vector3& axis : {Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1), Vector3(1, 2, -3)}) {
    for (float degrees : {0.0f, 30.0f, 90.0f, 150.0f, 170.0f, 179.0f, 180.0f, 250.0f}) {
      const Quaternion q = fromAxisAngle(degrees, axis);
      EXPECT_TRUE(sameRotation(toQuaternion(toMatrix(q)), q, 2e-5f)) << degrees;
      EXPECT_TRUE(sameRotation(toQuaternion(scale(toMatrix(q), 2, 3, 0.5f)), q, 2e-5f)) << degrees;
    }
  }
  EXPECT_TRUE(isFinite(toQuaternion(Matrix(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0))));
  EXPECT_TRUE(isFinite(toQuaternion(Matrix(1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0))));
  const Vector3 axis = normalise(Vector3(1, -2, 0.5f));
  const Quaternion turn = fromAxisAngle(63, axis);
  EXPECT_TRUE(matrixNear(toMatrix(turn), rotate(Matrix(), 63, axis.x, axis.y, axis.z)));
  EXPECT_TRUE(matrixNear(toMatrix(turn * 3.0f), toMatrix(turn), 1e-6f));
  EXPECT_TRUE(equals(toMatrix(Quaternion(0, 0, 0, 0)), Matrix()));
  // fromAxisAngle normalises its axis.
  EXPECT_TRUE(quaternionNear(fromAxisAngle(90, Vector3(0, 0, 2)), Quaternion(0, 0, 0.70710677f, 0.70710677f), 1e-7f));

  // Slerp takes the shorter arc and copes with equal, opposite and broken ends.
  const Quaternion a = fromAxisAngle(90, Vector3(1, 0, 0));
  const Quaternion b = fromAxisAngle(90, Vector3(0, 1, 0));
  // a (x) b turns by b, then by a: as row-vector matrices, M(b) then M(a).
  EXPECT_TRUE(matrixNear(toMatrix(product(a, b)), multiply(toMatrix(b), toMatrix(a)), 1e-6f));
  const Quaternion quarter = fromAxisAngle(90, Vector3(0, 0, 1));
  const Quaternion eighth(0, 0, 0.38268343f, 0.92387953f);
  EXPECT_TRUE(quaternionNear(slerp(Quaternion(), quarter, 0.5f), eighth, 1e-6f));
  EXPECT_TRUE(quaternionNear(slerp(Quaternion(), quarter * -1.0f, 0.5f), eighth, 1e-6f));
  EXPECT_TRUE(quaternionNear(slerp(a, b, 0.0f), a, 1e-6f) && quaternionNear(slerp(a, b, 1.0f), b, 1e-6f));
  EXPECT_TRUE(quaternionNear(slerp(a, a, 0.3f), a, 0));
  for (float t : {0.0f, 0.4f, 1.0f}) EXPECT_TRUE(matrixNear(toMatrix(slerp(b, b * -1.0f, t)), toMatrix(b))) << t;
  EXPECT_TRUE(std::isnan(slerp(Quaternion(), Quaternion(NAN, 0, 0, 1), 0.5f).x));
}

// A clip of `frames` frames of `ms` whose position track moves along x.
std::shared_ptr<Animation> clipAlongX(uint32_t frames, uint32_t ms, std::initializer_list<std::pair<uint32_t, float>> keys) {
  auto clip = std::make_shared<Animation>(frames, ms);
  PositionKeys list;
  for (const auto& [frame, x] : keys) list.emplace_back(frame, Vector3(x, 0, 0));
  clip->setPositionKeys(list);
  return clip;
}

struct Pose {
  Vector3 position;
  Quaternion rotation;
  Matrix texture;
};

Pose sampled(const Animation& clip, uint32_t t, Pose pose = {}) {
  clip.sample(t, pose.position, pose.rotation, pose.texture);
  return pose;
}

float animatedX(AnimationPlayer& player, uint32_t t, uint32_t clip, Matrix world = Matrix()) {
  Matrix texture;
  player.animate(t, clip, world, texture);
  return translation(world).x;
}

TEST(AnimationSample, LoopsInterpolatesWithinAFrameAndHoldsSparseKeysUntilTheFrameBeforeAndSlerpsRotations) {
  const auto everyFrame = clipAlongX(10, 32, {{0, 0}, {1, 32}, {2, 64}});
  const auto sparse = clipAlongX(10, 10, {{0, 0}, {5, 50}});
  const auto lastFrame = clipAlongX(10, 10, {{0, 0}, {9, 90}});
  // 65536 frames of 65536 ms: a loop of 2^32 ms must not divide by zero.
  const auto huge = clipAlongX(65536, 65536, {{0, 0}, {1, 65536}});
  const struct {
    const Animation* clip;
    uint32_t t;
    float x;
  } cases[] = {
      {everyFrame.get(), 10, 10}, {everyFrame.get(), 48, 48}, {everyFrame.get(), 330, 10},  // 330: 10 ms into loop 2
      {sparse.get(), 39, 0},      {sparse.get(), 45, 25},     {sparse.get(), 57, 50},
      {lastFrame.get(), 95, 90},  {lastFrame.get(), 100, 0},  // the last frame does not wrap to the first key
      {huge.get(), 5, 5},
  };
  for (const auto& c : cases) EXPECT_NEAR(sampled(*c.clip, c.t).position.x, c.x, 1e-4f) << &c - cases;
  const PositionKeys keys = {{0, {}}, {2, {}}, {3, {}}, {7, {}}};
  for (auto [frame, index] : {std::pair<uint32_t, size_t>{0, 0}, {1, 0}, {2, 1}, {5, 2}, {7, 3}, {1000, 3}}) {
    EXPECT_EQ(keyIndexAt(keys, frame), index) << frame;
  }
  EXPECT_EQ(keyIndexAt(PositionKeys(), 4), 0u);
  // Without frames or without a frame length a clip stands on its first key.
  for (auto [frames, ms] : {std::pair<uint32_t, uint32_t>{0, 32}, {10, 0}, {0, 0}}) {
    for (uint32_t t : {0u, 1u, 4294967295u}) {
      EXPECT_EQ(sampled(*clipAlongX(frames, ms, {{0, 7}, {1, 9}}), t).position.x, 7) << frames << " " << ms << " " << t;
    }
  }

  // Rotations are slerped, texture offsets step, empty tracks leave the given values.
  Animation clip(4, 100);
  clip.setRotationKeys({RotationKey(0, Quaternion()), RotationKey(1, fromAxisAngle(90, Vector3(0, 0, 1)))});
  clip.setTextureOffsetKeys({PositionKey(0, {0.25f, 0, 0}), PositionKey(1, {0.5f, 0.5f, 0})});
  const Pose half = sampled(clip, 50, {{1, 2, 3}, {}, {}});
  EXPECT_TRUE(quaternionNear(half.rotation, fromAxisAngle(45, Vector3(0, 0, 1)), 1e-6f));
  EXPECT_TRUE(half.position == Vector3(1, 2, 3));
  EXPECT_TRUE(vectorNear(translation(half.texture), Vector3(0.25f, 0, 0), 0));
  EXPECT_TRUE(vectorNear(translation(sampled(clip, 150).texture), Vector3(0.5f, 0.5f, 0), 0));
  const Pose untouched = sampled(Animation(10, 32), 77, {{}, Quaternion(0, 1, 0, 0), {}});
  EXPECT_TRUE(untouched.rotation == Quaternion(0, 1, 0, 0) && equals(untouched.texture, Matrix()));
}

TEST(AnimationPlayerBlend, TheFirstPoseShowsAtOnceAndAChangeOfClipBlendsForOneHundredMs) {
  AnimationPlayer player;
  player.addAnimation(clipAlongX(10, 32, {{0, 100}}));
  player.addAnimation(clipAlongX(10, 32, {{0, 0}}));
  EXPECT_EQ(player.blendStartMs(), -100);
  EXPECT_EQ(animatedX(player, 500, 0), 100);
  // An index out of range plays clip 0 without blending.
  EXPECT_EQ(animatedX(player, 516, 7), 100);
  EXPECT_TRUE(player.currentIndex() == 0 && player.blendStartMs() == -100);
  EXPECT_EQ(animatedX(player, 1000, 1), 100);
  EXPECT_TRUE(player.currentIndex() == 1 && player.blendStartMs() == 1000);
  EXPECT_NEAR(animatedX(player, 1050, 1), 50, 1e-4f);
  EXPECT_NEAR(animatedX(player, 1099, 1), 1, 1e-4f);
  EXPECT_EQ(animatedX(player, 1100, 1), 0);

  // Rotations blend too: from no turn to a quarter turn about y, half way.
  AnimationPlayer turning;
  for (float degrees : {0.0f, 90.0f}) turning.addAnimation(clipWithBase(rotate(Matrix(), degrees, 0, 1, 0)));
  Matrix world, texture;
  turning.animate(0, 0, world, texture);
  turning.animate(200, 1, world = Matrix(), texture);
  turning.animate(250, 1, world = Matrix(), texture);
  EXPECT_TRUE(sameRotation(turning.lastRotation(), fromAxisAngle(45, Vector3(0, 1, 0))));
  EXPECT_TRUE(sameRotation(toQuaternion(world), fromAxisAngle(45, Vector3(0, 1, 0))));
}

TEST(AnimationPlayerBlend, AClockGoingBackOrAStrokeRestartedAtItsFirstStepBlendsAgain) {
  // 10 ms frames over 10 frames: x = 90 on the last frame, 0 elsewhere.
  AnimationPlayer player;
  player.addAnimation(clipAlongX(10, 10, {{0, 0}, {9, 90}}));
  EXPECT_EQ(animatedX(player, 95, 0), 90);
  EXPECT_EQ(animatedX(player, 0, 0), 90);
  EXPECT_EQ(player.blendStartMs(), 0);
  EXPECT_NEAR(animatedX(player, 50, 0), 45, 1e-4f);
  EXPECT_EQ(animatedX(player, 100, 0), 0);
  // The game restarts a stroke with resetClock; the first update after the
  // reset comes one 16 ms step later, the same time as the previous start.
  AnimationPlayer stroke;
  stroke.addAnimation(clipAlongX(10, 10, {}));
  stroke.addAnimation(clipAlongX(10, 10, {{0, 0}, {9, 90}}));
  animatedX(stroke, 0, 0);
  animatedX(stroke, 16, 1);
  EXPECT_EQ(stroke.blendStartMs(), 16);
  EXPECT_EQ(animatedX(stroke, 1095, 1), 90);
  EXPECT_EQ(animatedX(stroke, 16, 1), 90);
  EXPECT_NEAR(animatedX(stroke, 66, 1), 45, 1e-4f);
}

// The player remembers the poses it worked out; a remembered pose must be the
// one sampling gives, whichever clip and time filled its slot.
TEST(AnimationPlayerBlend, RememberedPosesAreTheSampledOnesAcrossClipsLoopsAndSharedSlots) {
  // Loops of 330 ms and 2,048 ms: times of either clip fall on the same slots.
  const std::shared_ptr<Animation> clips[] = {clipAlongX(10, 33, {{0, 3}, {5, 40}, {9, -7}}),
                                              clipAlongX(64, 32, {{0, -20}, {20, 60}, {63, 11}})};
  AnimationPlayer played;
  for (const auto& clip : clips) played.addAnimation(clip);
  for (uint32_t t = 0, clipIndex = 0; t < 20'000; t += 16) {
    if (t % 1'504 == 0) clipIndex = 1 - clipIndex;
    const float x = animatedX(played, t, clipIndex, translate(Matrix(), 5, 0, 0));
    if (t - played.blendStartMs() < kBlendMs) continue;
    ASSERT_FLOAT_EQ(x, sampled(*clips[clipIndex], t).position.x + 5) << t;
  }
}

TEST(AnimationPlayerSafety, NoClipsANullClipAndNotANumberKeysLeaveAFiniteWorld) {
  AnimationPlayer empty, withNull;
  withNull.addAnimation(nullptr);
  EXPECT_EQ(animatedX(empty, 40, 3, translate(Matrix(), 4, 0, 0)), 4);
  EXPECT_EQ(animatedX(withNull, 0, 0, translate(Matrix(), 4, 0, 0)), 4);
  EXPECT_TRUE(equals(empty.animationMatrix(0), Matrix()));
  auto clip = clipAlongX(2, 10, {{0, NAN}});
  clip->setRotationKeys({RotationKey(0, Quaternion(NAN, 0, 0, 1))});
  AnimationPlayer player;
  player.addAnimation(clip);
  Matrix world, texture;
  player.animate(5, 0, world, texture);
  EXPECT_TRUE(isFinite(world) && isFinite(player.lastPosition()) && isFinite(player.lastRotation()));
}

}  // namespace
