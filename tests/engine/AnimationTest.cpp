// Sampling of keyframe clips and the player's choice of clip and 100 ms blend.

#include "engine/Animation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "MathExpect.h"
#include "engine/AnimationPlayer.h"

namespace {
PositionKeys positions(std::initializer_list<std::pair<uint32_t, Vector3>> keys) {
  PositionKeys list;
  for (const auto& [frame, value] : keys) list.emplace_back(frame, value);
  return list;
}

RotationKeys rotations(std::initializer_list<std::pair<uint32_t, Quaternion>> keys) {
  RotationKeys list;
  for (const auto& [frame, value] : keys) list.emplace_back(frame, value);
  return list;
}

Vector3 samplePosition(const Animation& clip, uint32_t t) {
  Vector3 position;
  Quaternion rotation;
  Matrix texture;
  clip.sample(t, position, rotation, texture);
  return position;
}

// A clip that stands still at `rest`.
std::shared_ptr<Animation> standingClip(const Vector3& rest) {
  auto clip = std::make_shared<Animation>(10, 32);
  clip->setPositionKeys(positions({{0, rest}}));
  return clip;
}

Vector3 animatedPosition(AnimationPlayer& player, uint32_t t, uint32_t clip) {
  Matrix world;
  Matrix texture;
  player.animate(t, clip, world, texture);
  return translation(world);
}
}  // namespace

TEST(AnimationSample, LoopsAndInterpolatesWithinAFrame) {
  // 32 ms per frame, 10 frames: t = 330 is frame 0 of the second loop, 10/32
  // of the way to frame 1.
  Animation clip(10, 32);
  clip.setPositionKeys(positions({{0, {0, 0, 0}}, {1, {32, 0, 0}}, {2, {64, 0, 0}}}));
  EXPECT_TRUE(vectorNear(samplePosition(clip, 330), Vector3(10, 0, 0)));
  EXPECT_TRUE(vectorNear(samplePosition(clip, 10), Vector3(10, 0, 0)));
  EXPECT_TRUE(vectorNear(samplePosition(clip, 48), Vector3(48, 0, 0)));
}

TEST(AnimationSample, SparseKeysHoldUntilTheFrameBeforeTheNextKey) {
  Animation clip(10, 10);
  clip.setPositionKeys(positions({{0, {0, 0, 0}}, {5, {50, 0, 0}}}));
  EXPECT_TRUE(vectorNear(samplePosition(clip, 0), Vector3(0, 0, 0)));
  EXPECT_TRUE(vectorNear(samplePosition(clip, 35), Vector3(0, 0, 0)));
  EXPECT_TRUE(vectorNear(samplePosition(clip, 39), Vector3(0, 0, 0)));
  // Between frames 4 and 5 the pose moves from the frame-0 key to the frame-5 key.
  EXPECT_TRUE(vectorNear(samplePosition(clip, 45), Vector3(25, 0, 0)));
  EXPECT_TRUE(vectorNear(samplePosition(clip, 50), Vector3(50, 0, 0)));
  EXPECT_TRUE(vectorNear(samplePosition(clip, 57), Vector3(50, 0, 0)));
}

TEST(AnimationSample, LastFrameDoesNotWrapToTheFirstKey) {
  Animation clip(10, 10);
  clip.setPositionKeys(positions({{0, {0, 0, 0}}, {9, {90, 0, 0}}}));
  EXPECT_TRUE(vectorNear(samplePosition(clip, 95), Vector3(90, 0, 0)));
  EXPECT_TRUE(vectorNear(samplePosition(clip, 100), Vector3(0, 0, 0)));
}

TEST(AnimationSample, RotationsAreSlerped) {
  Animation clip(2, 100);
  clip.setRotationKeys(rotations({{0, Quaternion()}, {1, fromAxisAngle(90, Vector3(0, 0, 1))}}));
  Vector3 position;
  Quaternion rotation;
  Matrix texture;
  clip.sample(50, position, rotation, texture);
  EXPECT_TRUE(quaternionNear(rotation, fromAxisAngle(45, Vector3(0, 0, 1)), 1e-6f));
  EXPECT_TRUE(position == Vector3());
  EXPECT_TRUE(equals(texture, Matrix()));
}

TEST(AnimationSample, TextureOffsetIsTheCurrentFrameKeyWithoutInterpolation) {
  Animation clip(4, 100);
  clip.setTextureOffsetKeys(positions({{0, {0.25f, 0, 0}}, {1, {0.5f, 0.5f, 0}}}));
  Vector3 position;
  Quaternion rotation;
  Matrix texture;
  clip.sample(90, position, rotation, texture);
  EXPECT_TRUE(vectorNear(translation(texture), Vector3(0.25f, 0, 0), 0.0f));
  texture = Matrix();
  clip.sample(150, position, rotation, texture);
  EXPECT_TRUE(vectorNear(translation(texture), Vector3(0.5f, 0.5f, 0), 0.0f));
}

TEST(AnimationSample, EmptyTracksLeaveTheGivenValues) {
  Animation clip(10, 32);
  Vector3 position(1, 2, 3);
  Quaternion rotation(0, 1, 0, 0);
  Matrix texture;
  clip.sample(77, position, rotation, texture);
  EXPECT_TRUE(position == Vector3(1, 2, 3));
  EXPECT_TRUE(rotation == Quaternion(0, 1, 0, 0));
  EXPECT_TRUE(equals(texture, Matrix()));
}

TEST(AnimationSample, ClipsWithoutFramesOrFrameLengthStandOnTheFirstKey) {
  const PositionKeys keys = positions({{0, {7, 0, 0}}, {1, {9, 0, 0}}});
  for (auto [frames, ms] : {std::pair<uint32_t, uint32_t>{0, 32}, {10, 0}, {0, 0}}) {
    Animation clip(frames, ms);
    clip.setPositionKeys(keys);
    for (uint32_t t : {0u, 1u, 1000u, 4294967295u}) {
      EXPECT_TRUE(vectorNear(samplePosition(clip, t), Vector3(7, 0, 0))) << frames << " " << ms << " " << t;
    }
  }
}

TEST(AnimationSample, LoopLengthBeyondThirtyTwoBitsDoesNotDivideByZero) {
  // 65536 frames of 65536 ms: the loop length is 2^32.
  Animation clip(65536, 65536);
  clip.setPositionKeys(positions({{0, {0, 0, 0}}, {1, {65536, 0, 0}}}));
  EXPECT_TRUE(vectorNear(samplePosition(clip, 5), Vector3(5, 0, 0)));
}

TEST(AnimationKeySearch, FindsTheLastKeyAtOrBeforeTheFrame) {
  const PositionKeys keys = positions({{0, {}}, {2, {}}, {3, {}}, {7, {}}});
  EXPECT_EQ(keyIndexAt(keys, 0), 0u);
  EXPECT_EQ(keyIndexAt(keys, 1), 0u);
  EXPECT_EQ(keyIndexAt(keys, 2), 1u);
  EXPECT_EQ(keyIndexAt(keys, 3), 2u);
  EXPECT_EQ(keyIndexAt(keys, 5), 2u);
  EXPECT_EQ(keyIndexAt(keys, 7), 3u);
  EXPECT_EQ(keyIndexAt(keys, 1000), 3u);
  EXPECT_EQ(keyIndexAt(PositionKeys(), 4), 0u);
}

TEST(AnimationPlayerBlend, FirstUpdateShowsTheSampledPoseAtOnce) {
  AnimationPlayer player;
  player.addAnimation(standingClip(Vector3(10, 0, 0)));
  EXPECT_EQ(player.blendStartMs(), -100);
  EXPECT_TRUE(vectorNear(animatedPosition(player, 0, 0), Vector3(10, 0, 0)));
}

TEST(AnimationPlayerBlend, SwitchingClipsBlendsForExactlyOneHundredMs) {
  AnimationPlayer player;
  player.addAnimation(standingClip(Vector3(0, 0, 0)));
  player.addAnimation(standingClip(Vector3(100, 0, 0)));
  EXPECT_TRUE(vectorNear(animatedPosition(player, 1000, 0), Vector3(0, 0, 0)));
  EXPECT_TRUE(vectorNear(animatedPosition(player, 1000, 1), Vector3(0, 0, 0)));
  EXPECT_EQ(player.currentIndex(), 1u);
  EXPECT_EQ(player.blendStartMs(), 1000);
  EXPECT_TRUE(vectorNear(animatedPosition(player, 1050, 1), Vector3(50, 0, 0), 1e-4f));
  EXPECT_TRUE(vectorNear(animatedPosition(player, 1099, 1), Vector3(99, 0, 0), 1e-4f));
  const Vector3 settled = animatedPosition(player, 1100, 1);
  EXPECT_EQ(settled.x, 100.0f);
}

TEST(AnimationPlayerBlend, RotationBlendsBySlerp) {
  AnimationPlayer player;
  player.addAnimation(std::make_shared<Animation>(1, 32));
  auto turned = std::make_shared<Animation>(1, 32);
  turned->setRotationKeys(rotations({{0, fromAxisAngle(90, Vector3(0, 1, 0))}}));
  player.addAnimation(turned);
  Matrix world, texture;
  player.animate(0, 0, world, texture);
  player.animate(200, 1, world = Matrix(), texture);
  player.animate(250, 1, world = Matrix(), texture);
  EXPECT_TRUE(sameRotation(player.lastRotation(), fromAxisAngle(45, Vector3(0, 1, 0)), 1e-5f));
  EXPECT_TRUE(sameRotation(toQuaternion(world), fromAxisAngle(45, Vector3(0, 1, 0)), 1e-5f));
}

TEST(AnimationPlayerBlend, ClockGoingBackwardsStartsANewBlend) {
  // 10 ms frames over 10 frames: x = 90 on the last frame, 0 elsewhere.
  auto clip = std::make_shared<Animation>(10, 10);
  clip->setPositionKeys(positions({{0, {0, 0, 0}}, {9, {90, 0, 0}}}));
  AnimationPlayer player;
  player.addAnimation(clip);
  EXPECT_TRUE(vectorNear(animatedPosition(player, 95, 0), Vector3(90, 0, 0)));
  EXPECT_TRUE(vectorNear(animatedPosition(player, 0, 0), Vector3(90, 0, 0)));
  EXPECT_EQ(player.blendStartMs(), 0);
  EXPECT_TRUE(vectorNear(animatedPosition(player, 50, 0), Vector3(45, 0, 0), 1e-4f));
  EXPECT_TRUE(vectorNear(animatedPosition(player, 100, 0), Vector3(0, 0, 0)));
}

TEST(AnimationPlayerBlend, RestartingTheSameClipAtItsFirstStepBlendsAgain) {
  // The game restarts a stroke with resetClock; the first update after the
  // reset comes one 16 ms step later, the same time as the previous start.
  auto still = std::make_shared<Animation>(10, 10);
  auto stroke = std::make_shared<Animation>(10, 10);
  stroke->setPositionKeys(positions({{0, {0, 0, 0}}, {9, {90, 0, 0}}}));
  AnimationPlayer player;
  player.addAnimation(still);
  player.addAnimation(stroke);
  animatedPosition(player, 0, 0);
  animatedPosition(player, 16, 1);
  EXPECT_EQ(player.blendStartMs(), 16);
  EXPECT_TRUE(vectorNear(animatedPosition(player, 1095, 1), Vector3(90, 0, 0)));
  EXPECT_TRUE(vectorNear(animatedPosition(player, 16, 1), Vector3(90, 0, 0)));
  EXPECT_TRUE(vectorNear(animatedPosition(player, 66, 1), Vector3(45, 0, 0), 1e-4f));
}

TEST(AnimationPlayerSelection, OutOfRangeClipPlaysClipZeroWithoutBlending) {
  AnimationPlayer player;
  player.addAnimation(standingClip(Vector3(3, 0, 0)));
  player.addAnimation(standingClip(Vector3(8, 0, 0)));
  EXPECT_TRUE(vectorNear(animatedPosition(player, 500, 0), Vector3(3, 0, 0)));
  EXPECT_TRUE(vectorNear(animatedPosition(player, 516, 7), Vector3(3, 0, 0)));
  EXPECT_EQ(player.currentIndex(), 0u);
  EXPECT_EQ(player.blendStartMs(), -100);
}

TEST(AnimationPlayerPose, KeyOffsetIsInTheBaseMatrixAxesAndParentComesLast) {
  // Base: a quarter turn about z placed at (5, 0, 0). The key offset (1, 0, 0)
  // runs along the base's own x, which points along world y.
  auto clip = std::make_shared<Animation>(1, 32);
  Matrix base = rotate(Matrix(), 90, 0, 0, 1);
  base.m[12] = 5.0f;
  clip->setMatrix(base);
  clip->setPositionKeys(positions({{0, {1, 0, 0}}}));
  AnimationPlayer player;
  player.addAnimation(clip);
  Matrix world = translate(Matrix(), 0, 0, 7);
  Matrix texture;
  player.animate(0, 0, world, texture);
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(0, 0, 0), world), Vector3(5, 1, 7)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 0, 0), world), Vector3(5, 2, 7)));
}

TEST(AnimationPlayerPose, KeepsTheBaseMatrixScale) {
  auto clip = std::make_shared<Animation>(1, 32);
  clip->setMatrix(scale(translate(Matrix(), 1, 2, 3), 2, 3, 4));
  AnimationPlayer player;
  player.addAnimation(clip);
  Matrix world, texture;
  player.animate(0, 0, world, texture);
  EXPECT_TRUE(vectorNear(scaleOf(world), Vector3(2, 3, 4)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 1, 1), world), Vector3(3, 5, 7)));
}

TEST(AnimationPlayerPose, TextureOffsetReachesTheTextureMatrix) {
  auto clip = std::make_shared<Animation>(1, 32);
  clip->setTextureOffsetKeys(positions({{0, {0.5f, 0.25f, 0}}}));
  AnimationPlayer player;
  player.addAnimation(clip);
  Matrix world, texture;
  player.animate(0, 0, world, texture);
  EXPECT_TRUE(vectorNear(translation(texture), Vector3(0.5f, 0.25f, 0), 0.0f));
}

TEST(AnimationPlayerSafety, PlayerWithoutClipsLeavesTheWorldAlone) {
  AnimationPlayer player;
  Matrix world = translate(Matrix(), 1, 2, 3);
  Matrix texture;
  player.animate(40, 3, world, texture);
  EXPECT_TRUE(equals(world, translate(Matrix(), 1, 2, 3)));
  EXPECT_TRUE(equals(player.animationMatrix(0), Matrix()));
}

TEST(AnimationPlayerSafety, NotANumberKeysGiveAFiniteWorld) {
  auto clip = std::make_shared<Animation>(2, 10);
  clip->setPositionKeys(positions({{0, {NAN, 0, 0}}}));
  clip->setRotationKeys(rotations({{0, Quaternion(NAN, 0, 0, 1)}}));
  AnimationPlayer player;
  player.addAnimation(clip);
  Matrix world, texture;
  player.animate(5, 0, world, texture);
  EXPECT_TRUE(isFinite(world));
  EXPECT_TRUE(isFinite(player.lastPosition()));
  EXPECT_TRUE(isFinite(player.lastRotation()));
}

TEST(AnimationPlayerSafety, NullClipEntryIsSkipped) {
  AnimationPlayer player;
  player.addAnimation(nullptr);
  Matrix world = translate(Matrix(), 4, 0, 0);
  Matrix texture;
  player.animate(0, 0, world, texture);
  EXPECT_TRUE(equals(world, translate(Matrix(), 4, 0, 0)));
}
