#pragma once
// What a lesson asks of a person's next shot, as its instruction says it:
// the stroke to play (any, the low fast drive, the lob, the smash, a dive
// volley) and the side of the far half to aim at, left or right as the
// player sees the court (left is +z for a player on the near, +x half).
// The lessons say it; a modelled person reads it as a person reads the
// instruction on the screen (HumanModel).

#include <cstdint>

enum class AskedStroke : int32_t { Any, Drive, Lob, Smash, Dive };
enum class AskedSide : int32_t { Any, Left, Right };

struct ShotRequest {
  AskedStroke stroke = AskedStroke::Any;
  AskedSide side = AskedSide::Any;
  bool operator==(const ShotRequest&) const = default;
};
