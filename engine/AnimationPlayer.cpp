#include "engine/AnimationPlayer.h"

void AnimationPlayer::addAnimation(std::shared_ptr<Animation> animation) { clips.push_back(std::move(animation)); }

Matrix AnimationPlayer::animationMatrix(uint32_t i) const {
  if (i < clips.size() && clips[i]) return clips[i]->matrix();
  return Matrix();
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

  Vector3 position;
  Quaternion rotation;
  clip.sample(timeMs, position, rotation, textureMatrix);

  Matrix local = translate(clip.matrix(), position);
  local = multiply(toMatrix(rotation), local);

  position = translation(local);
  rotation = toQuaternion(local);
  Vector3 scaling = scaleOf(local);
  // Broken keys or base matrices must not poison the blend state and every
  // later frame; such a pose counts as the rest pose.
  if (!isFinite(position)) position = Vector3();
  if (!isFinite(rotation)) rotation = Quaternion();
  if (!isFinite(scaling)) scaling = Vector3(1.0f, 1.0f, 1.0f);

  if (blendMs != 0) {
    const double blend = (double(now) - double(blendStart)) / double(blendMs);
    if (blend < 1.0) {
      position = lerp(fromPos, position, float(blend));
      rotation = slerp(fromRot, rotation, float(blend));
    }
  }

  Matrix pose = translate(Matrix(), position);
  pose = scale(pose, scaling.x, scaling.y, scaling.z);
  pose = multiply(toMatrix(rotation), pose);
  world = multiply(pose, world);

  lastPos = position;
  lastRot = rotation;
  current = index;
  lastTime = now;
}
