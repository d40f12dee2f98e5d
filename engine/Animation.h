#pragma once
// Keyframe clips of one mesh. An Animation holds the tracks of one clip
// (position offsets, accumulated rotations, texture offsets) in frames, plus
// the clip's base matrix; sample() turns a time in milliseconds into a local
// pose. Clips loop by themselves. The AnimationPlayer (AnimationPlayer.h)
// picks the clip and blends between clips.
//
// Animations are built by the model reader and are immutable afterwards; many
// objects may share one. Keys are plain values stored in their tracks (a
// motion-capture file holds thousands). A clip with no frames or 0 ms
// per frame samples its first keys and never divides by zero.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Matrix.h"
#include "engine/Quaternion.h"
#include "engine/Vector3.h"

// A position or texture-offset key: the value at a frame.
struct PositionKey {
  uint32_t frame = 0;
  Vector3 value;

  PositionKey() = default;
  PositionKey(uint32_t frame, const Vector3& value) : frame(frame), value(value) {}
};
using TextureOffsetKey = PositionKey;

// A rotation key: the accumulated rotation at a frame.
struct RotationKey {
  uint32_t frame = 0;
  Quaternion value;

  RotationKey() = default;
  RotationKey(uint32_t frame, const Quaternion& value) : frame(frame), value(value) {}
};

using PositionKeys = std::vector<PositionKey>;
using RotationKeys = std::vector<RotationKey>;

class Animation {
 public:
  Animation(uint32_t frameCount, uint32_t msPerFrame);

  virtual void setMatrix(const Matrix& base);
  virtual const Matrix& matrix() const;
  virtual ~Animation() = default;
  // The clip's pose at timeMs (looping): position and rotation interpolated
  // between the keys at or before the current and the next frame; the texture
  // offset of the current frame, if the clip has one, is translated onto
  // textureMatrix. position and rotation are left as given when their track
  // is empty.
  virtual void sample(uint32_t timeMs, Vector3& position, Quaternion& rotation, Matrix& textureMatrix) const;

  // Each replaces the whole track; keys must come in ascending frame order.
  void setPositionKeys(PositionKeys keys);
  void setRotationKeys(RotationKeys keys);
  void setTextureOffsetKeys(PositionKeys keys);

  uint32_t frameCount() const { return frames; }
  uint32_t msPerFrame() const { return frameMs; }
  const PositionKeys& positionKeys() const { return positions; }
  const RotationKeys& rotationKeys() const { return rotations; }
  const PositionKeys& textureOffsetKeys() const { return textureOffsets; }

 private:
  uint32_t frames;
  uint32_t frameMs;
  Matrix baseMatrix;
  PositionKeys positions;
  RotationKeys rotations;
  PositionKeys textureOffsets;
};

// Index of the last key whose frame is at or before `frame`, searched over
// the first min(frame, size - 1) + 1 keys (tracks hold at most one key per
// frame, so key i is never later than frame i). 0 for an empty track.
size_t keyIndexAt(const PositionKeys& keys, uint32_t frame);
size_t keyIndexAt(const RotationKeys& keys, uint32_t frame);
