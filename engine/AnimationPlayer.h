#pragma once
// Plays the clips of one mesh: every update samples the selected clip at the
// model's clock, blends for kBlendMs from the pose that was showing when the
// clip changed (or when the clock went backwards), and multiplies the local
// transform onto the object's world matrix. Each SceneObject holds one player
// by value; the model reader fills it with one Animation per clip.
//
// Sampling a clip and taking its key matrix apart cost more than the rest of
// a step, and a clip played in 16 ms steps comes back to the same times of
// its loop over and over; so the player remembers the unblended poses it
// worked out in a small table of its own (kPoseSlots entries, the newest
// wins a slot). A remembered pose is the very same numbers, so the picture
// and the match are exactly as without it.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Animation.h"
#include "engine/Matrix.h"
#include "engine/Quaternion.h"
#include "engine/Vector3.h"

constexpr uint32_t kBlendMs = 100;
// Entries of a player's table of remembered poses (a power of two).
constexpr size_t kPoseSlots = 128;

// A clip's local pose at one time of its loop, before any blending.
struct ClipPose {
  Vector3 position;
  Quaternion rotation;
  Vector3 scaling{1.0f, 1.0f, 1.0f};
  // translate(position) * scale(scaling) * rotation, as one matrix.
  Matrix transform;
};

// What the next pose depends on besides the clip and the clock: the blend
// under way, the pose it started from and the last pose shown.
struct AnimationBlend {
  int32_t blendStart = 0;
  Vector3 fromPos;
  Quaternion fromRot;
  uint32_t current = 0;
  Vector3 lastPos;
  Quaternion lastRot;
  int32_t lastTime = 0;
};

class AnimationPlayer {
 public:
  AnimationPlayer() = default;
  virtual ~AnimationPlayer() = default;

  // timeMs: the model clock; animationIndex: the clip (out of range: clip 0).
  // world comes in as the parent's world and leaves as local * parent;
  // textureMatrix comes in as identity and may take the clip's texture offset.
  // A player without clips leaves both unchanged.
  virtual void animate(uint32_t timeMs, uint32_t animationIndex, Matrix& world, Matrix& textureMatrix);

  void addAnimation(std::shared_ptr<Animation> animation);
  // Base matrix of clip i; the identity for a clip that does not exist.
  Matrix animationMatrix(uint32_t i) const;

  const std::vector<std::shared_ptr<Animation>>& animations() const { return clips; }
  size_t animationCount() const { return clips.size(); }
  uint32_t currentIndex() const { return current; }
  int32_t blendStartMs() const { return blendStart; }
  const Vector3& lastPosition() const { return lastPos; }
  const Quaternion& lastRotation() const { return lastRot; }
  // The remembered poses are the same numbers worked out again: a saved
  // game keeps only the blend.
  AnimationBlend blend() const { return {blendStart, fromPos, fromRot, current, lastPos, lastRot, lastTime}; }
  void restoreBlend(const AnimationBlend& saved);

 private:
  struct PoseSlot {
    // (clip << 32 | time in the loop) + 1; 0 marks an empty slot.
    uint64_t key = 0;
    ClipPose pose;
  };
  // The clip's pose at timeMs, from the table when it is there.
  const ClipPose& clipPose(uint32_t index, const Animation& clip, uint32_t timeMs, Matrix& textureMatrix);

  std::vector<std::shared_ptr<Animation>> clips;
  // Empty until the first pose is remembered.
  std::vector<PoseSlot> poseSlots;
  ClipPose uncachedPose;
  uint32_t blendMs = kBlendMs;
  // -blendMs: the first update shows its pose at once, unblended.
  int32_t blendStart = -static_cast<int32_t>(kBlendMs);
  Vector3 fromPos;
  Quaternion fromRot;
  uint32_t current = 0;
  Vector3 lastPos;
  Quaternion lastRot;
  // The time of the previous animate: a smaller one means the model's clock
  // was reset.
  int32_t lastTime = 0;
};
