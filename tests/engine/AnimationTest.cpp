// Sampling of keyframe clips and the player's choice of clip and 100 ms blend.

#include "engine/Animation.h"

#include <gtest/gtest.h>

#include "MathExpect.h"
#include "engine/AnimationPlayer.h"

namespace {
const Matrix kQuarterTurn = rotate(Matrix(), 90, 0, 0, 1);

// A clip of `frames` frames of `ms` whose position track moves along x.
std::shared_ptr<Animation> clipAlongX(uint32_t frames, uint32_t ms, std::initializer_list<std::pair<uint32_t, float>> keys) {
  auto clip = std::make_shared<Animation>(frames, ms);
  PositionKeys list;
  for (const auto& [frame, x] : keys) list.emplace_back(frame, Vector3(x, 0, 0));
  clip->setPositionKeys(list);
  return clip;
}

std::shared_ptr<Animation> turnedClip(float degrees) {
  auto clip = std::make_shared<Animation>(1, 32);
  clip->setRotationKeys({RotationKey(0, fromAxisAngle(degrees, Vector3(0, 1, 0)))});
  return clip;
}

float sampledX(const Animation& clip, uint32_t t) {
  Vector3 position;
  Quaternion rotation;
  Matrix texture;
  clip.sample(t, position, rotation, texture);
  return position.x;
}

float animatedX(AnimationPlayer& player, uint32_t t, uint32_t clip, Matrix world = Matrix()) {
  Matrix texture;
  player.animate(t, clip, world, texture);
  return translation(world).x;
}

TEST(AnimationSample, LoopsInterpolatesWithinAFrameAndHoldsSparseKeysUntilTheFrameBefore) {
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
  for (const auto& c : cases) EXPECT_NEAR(sampledX(*c.clip, c.t), c.x, 1e-4f) << &c - cases;
  const PositionKeys keys = {{0, {}}, {2, {}}, {3, {}}, {7, {}}};
  for (auto [frame, index] : {std::pair<uint32_t, size_t>{0, 0}, {1, 0}, {2, 1}, {5, 2}, {7, 3}, {1000, 3}}) {
    EXPECT_EQ(keyIndexAt(keys, frame), index) << frame;
  }
  EXPECT_EQ(keyIndexAt(PositionKeys(), 4), 0u);
  // Without frames or without a frame length a clip stands on its first key.
  for (auto [frames, ms] : {std::pair<uint32_t, uint32_t>{0, 32}, {10, 0}, {0, 0}}) {
    for (uint32_t t : {0u, 1u, 4294967295u}) EXPECT_EQ(sampledX(*clipAlongX(frames, ms, {{0, 7}, {1, 9}}), t), 7) << frames << " " << ms << " " << t;
  }
}

TEST(AnimationSample, RotationsAreSlerpedTextureOffsetsStepAndEmptyTracksLeaveTheGivenValues) {
  Animation clip(4, 100);
  clip.setRotationKeys({RotationKey(0, Quaternion()), RotationKey(1, fromAxisAngle(90, Vector3(0, 0, 1)))});
  clip.setTextureOffsetKeys({PositionKey(0, {0.25f, 0, 0}), PositionKey(1, {0.5f, 0.5f, 0})});
  Vector3 position(1, 2, 3);
  Quaternion rotation;
  Matrix texture;
  clip.sample(50, position, rotation, texture);
  EXPECT_TRUE(quaternionNear(rotation, fromAxisAngle(45, Vector3(0, 0, 1)), 1e-6f));
  EXPECT_TRUE(position == Vector3(1, 2, 3));
  EXPECT_TRUE(vectorNear(translation(texture), Vector3(0.25f, 0, 0), 0));
  texture = Matrix();
  clip.sample(150, position, rotation, texture);
  EXPECT_TRUE(vectorNear(translation(texture), Vector3(0.5f, 0.5f, 0), 0));
  rotation = Quaternion(0, 1, 0, 0);
  texture = Matrix();
  Animation(10, 32).sample(77, position, rotation, texture);
  EXPECT_TRUE(rotation == Quaternion(0, 1, 0, 0));
  EXPECT_TRUE(equals(texture, Matrix()));
}

TEST(AnimationPlayerBlend, TheFirstPoseShowsAtOnceAndAChangeOfClipBlendsForOneHundredMs) {
  AnimationPlayer player;
  player.addAnimation(clipAlongX(10, 32, {{0, 100}}));
  player.addAnimation(clipAlongX(10, 32, {{0, 0}}));
  EXPECT_EQ(player.blendStartMs(), -100);
  EXPECT_EQ(animatedX(player, 500, 0), 100);
  // An index out of range plays clip 0 without blending.
  EXPECT_EQ(animatedX(player, 516, 7), 100);
  EXPECT_EQ(player.currentIndex(), 0u);
  EXPECT_EQ(player.blendStartMs(), -100);
  EXPECT_EQ(animatedX(player, 1000, 1), 100);
  EXPECT_EQ(player.currentIndex(), 1u);
  EXPECT_EQ(player.blendStartMs(), 1000);
  EXPECT_NEAR(animatedX(player, 1050, 1), 50, 1e-4f);
  EXPECT_NEAR(animatedX(player, 1099, 1), 1, 1e-4f);
  EXPECT_EQ(animatedX(player, 1100, 1), 0);

  AnimationPlayer turning;
  turning.addAnimation(turnedClip(0));
  turning.addAnimation(turnedClip(90));
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

TEST(AnimationPlayerPose, KeysActInTheBaseMatrixAxesWithItsScaleAndTheParentComesLast) {
  // Base: a quarter turn about z placed at (5, 0, 0). The key offset (1, 0, 0)
  // runs along the base's own x, which points along world y.
  Matrix base = kQuarterTurn;
  base.m[12] = 5.0f;
  auto clip = clipAlongX(1, 32, {{0, 1}});
  clip->setMatrix(base);
  clip->setTextureOffsetKeys({PositionKey(0, {0.5f, 0.25f, 0})});
  auto scaled = std::make_shared<Animation>(1, 32);
  scaled->setMatrix(scale(translate(Matrix(), 1, 2, 3), 2, 3, 4));
  AnimationPlayer player;
  player.addAnimation(clip);
  player.addAnimation(scaled);
  Matrix world = translate(Matrix(), 0, 0, 7), texture;
  player.animate(0, 0, world, texture);
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(0, 0, 0), world), Vector3(5, 1, 7)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 0, 0), world), Vector3(5, 2, 7)));
  EXPECT_TRUE(vectorNear(translation(texture), Vector3(0.5f, 0.25f, 0), 0));
  player.animate(1000, 1, world, texture);  // past the blend at 1100
  player.animate(1100, 1, world = Matrix(), texture);
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 1, 1), world), Vector3(3, 5, 7)));
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
  EXPECT_TRUE(isFinite(world));
  EXPECT_TRUE(isFinite(player.lastPosition()) && isFinite(player.lastRotation()));
}

}  // namespace
