#include "engine/AnimationPlayer.h"

void AnimationPlayer::addAnimation(std::shared_ptr<Animation> animation) { clips.push_back(std::move(animation)); }

void AnimationPlayer::restoreBlend(const AnimationBlend& saved) {
  blendStart = saved.blendStart;
  fromPos = saved.fromPos;
  fromRot = saved.fromRot;
  current = saved.current;
  lastPos = saved.lastPos;
  lastRot = saved.lastRot;
  lastTime = saved.lastTime;
}

Matrix AnimationPlayer::animationMatrix(uint32_t i) const {
  if (i < clips.size() && clips[i]) return clips[i]->matrix();
  return Matrix();
}

namespace {

Matrix compose(const Vector3& position, const Vector3& scaling, const Quaternion& rotation) {
  Matrix pose = translate(Matrix(), position);
  pose = scale(pose, scaling.x, scaling.y, scaling.z);
  return multiply(toMatrix(rotation), pose);
}

ClipPose sampleClip(const Animation& clip, uint32_t timeMs, Matrix& textureMatrix) {
  Vector3 position;
  Quaternion rotation;
  clip.sample(timeMs, position, rotation, textureMatrix);

  Matrix local = translate(clip.matrix(), position);
  local = multiply(toMatrix(rotation), local);

  ClipPose pose{translation(local), toQuaternion(local), scaleOf(local), Matrix()};
  // Broken keys or base matrices must not poison the blend state and every
  // later frame; such a pose counts as the rest pose.
  if (!isFinite(pose.position)) pose.position = Vector3();
  if (!isFinite(pose.rotation)) pose.rotation = Quaternion();
  if (!isFinite(pose.scaling)) pose.scaling = Vector3(1.0f, 1.0f, 1.0f);
  pose.transform = compose(pose.position, pose.scaling, pose.rotation);
  return pose;
}

// The time within the clip's loop that samples as timeMs does.
uint32_t loopTime(const Animation& clip, uint32_t timeMs) {
  const uint64_t loopMs = uint64_t(clip.msPerFrame()) * clip.frameCount();
  return loopMs == 0 ? 0 : uint32_t(timeMs % loopMs);
}

}  // namespace

const ClipPose& AnimationPlayer::clipPose(uint32_t index, const Animation& clip, uint32_t timeMs,
                                          Matrix& textureMatrix) {
  // A texture offset is applied to the texture matrix while sampling: such
  // clips are sampled every time.
  if (!clip.textureOffsetKeys().empty()) {
    uncachedPose = sampleClip(clip, timeMs, textureMatrix);
    return uncachedPose;
  }
  const uint32_t inLoop = loopTime(clip, timeMs);
  const uint64_t key = (uint64_t(index) << 32 | inLoop) + 1;
  if (poseSlots.empty()) poseSlots.resize(kPoseSlots);
  PoseSlot& slot = poseSlots[(inLoop / 16 + index * 31) & (kPoseSlots - 1)];
  if (slot.key != key) {
    slot.pose = sampleClip(clip, inLoop, textureMatrix);
    slot.key = key;
  }
  return slot.pose;
}

void AnimationPlayer::animate(uint32_t timeMs, uint32_t animationIndex, Matrix& world, Matrix& textureMatrix) {
  const uint32_t index = animationIndex < clips.size() ? animationIndex : 0;
  if (index >= clips.size() || !clips[index]) return;
  const Animation& clip = *clips[index];

  // A clip change, or time going backwards (the model's clock was reset),
  // starts a blend from the pose that was showing. Comparing with the
  // previous time rather than with the blend's start also catches a reset
  // that lands at or after the last blend's start (a stroke clip restarted
  // right after it began).
  const int32_t now = static_cast<int32_t>(timeMs);
  if (index != current || now < blendStart || now < lastTime) {
    fromPos = lastPos;
    fromRot = lastRot;
    blendStart = now;
  }

  const ClipPose& sampled = clipPose(index, clip, timeMs, textureMatrix);
  Vector3 position = sampled.position;
  Quaternion rotation = sampled.rotation;
  const double blend = blendMs == 0 ? 1.0 : (double(now) - double(blendStart)) / double(blendMs);
  if (blend < 1.0) {
    position = lerp(fromPos, position, float(blend));
    rotation = slerp(fromRot, rotation, float(blend));
    world = multiply(compose(position, sampled.scaling, rotation), world);
  } else {
    world = multiply(sampled.transform, world);
  }

  lastPos = position;
  lastRot = rotation;
  current = index;
  lastTime = now;
}
