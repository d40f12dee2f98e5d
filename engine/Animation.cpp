#include "engine/Animation.h"

#include <algorithm>

namespace {
template <typename Keys>
size_t searchKey(const Keys& keys, uint32_t frame) {
  if (keys.empty()) return 0;
  // Key i is never later than frame i, so the search stops at index `frame`.
  size_t lo = 0;
  size_t hi = std::min<size_t>(frame, keys.size() - 1);
  while (lo != hi) {
    const size_t mid = lo + (hi - lo + 1) / 2;
    const uint32_t midFrame = keys[mid].frame;
    if (midFrame == frame) return mid;
    if (midFrame < frame) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  return lo;
}

template <typename Keys, typename Value>
void valueAt(const Keys& keys, uint32_t frame, Value& value) {
  if (keys.empty()) return;
  value = keys[searchKey(keys, frame)].value;
}
}  // namespace

size_t keyIndexAt(const PositionKeys& keys, uint32_t frame) { return searchKey(keys, frame); }
size_t keyIndexAt(const RotationKeys& keys, uint32_t frame) { return searchKey(keys, frame); }

Animation::Animation(uint32_t frameCount, uint32_t msPerFrame) : frames(frameCount), frameMs(msPerFrame) {}

void Animation::setMatrix(const Matrix& base) { baseMatrix = base; }

const Matrix& Animation::matrix() const { return baseMatrix; }

void Animation::setPositionKeys(PositionKeys keys) { positions = std::move(keys); }
void Animation::setRotationKeys(RotationKeys keys) { rotations = std::move(keys); }
void Animation::setTextureOffsetKeys(PositionKeys keys) { textureOffsets = std::move(keys); }

void Animation::sample(uint32_t timeMs, Vector3& position, Quaternion& rotation, Matrix& textureMatrix) const {
  // A clip without frames or without frame length stands still on frame 0.
  uint32_t frame = 0;
  float fraction = 0.0f;
  if (frames != 0 && frameMs != 0) {
    const uint64_t t = timeMs;
    const uint64_t loopMs = uint64_t(frameMs) * frames;
    frame = uint32_t((t / frameMs) % frames);
    fraction = float(t % loopMs - uint64_t(frame) * frameMs) / float(frameMs);
  }
  // The last frame interpolates towards the last key, never back to frame 0.
  const uint32_t nextFrame = frame == UINT32_MAX ? frame : frame + 1;

  Vector3 p0 = position, p1 = position;
  valueAt(positions, frame, p0);
  valueAt(positions, nextFrame, p1);
  Quaternion r0 = rotation, r1 = rotation;
  valueAt(rotations, frame, r0);
  valueAt(rotations, nextFrame, r1);
  position = lerp(p0, p1, fraction);
  rotation = slerp(r0, r1, fraction);

  if (!textureOffsets.empty()) {
    Vector3 offset;
    valueAt(textureOffsets, frame, offset);
    textureMatrix = translate(textureMatrix, offset);
  }
}
