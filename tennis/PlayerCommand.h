#pragma once
// What a person asks of a player in one fixed step: the six controls of the
// slot's key set, each a bit in PlayerKey order. `held` is what was down when
// the step began; `pressed` is what went down since the step before, so a tap
// that began and ended between two steps still shows. A match is a function
// of its set-up, its seed and one command a slot a step: this is the value
// that recordings store and that a player's controller reads.

#include <array>
#include <cstdint>

enum PlayerKey : int { KeyDown = 0, KeyUp = 1, KeyLeft = 2, KeyRight = 3, KeyHit = 4, KeyDive = 5 };
constexpr int kPlayerKeyCount = 6;

// The key codes of one key set, in PlayerKey order: down (+x), up (-x),
// left (+z), right (-z), hit, dive.
using KeySet = std::array<int, kPlayerKeyCount>;

struct PlayerCommand {
  uint8_t held = 0;
  uint8_t pressed = 0;

  bool isHeld(PlayerKey key) const { return (held >> key & 1u) != 0; }
  bool wasPressed(PlayerKey key) const { return (pressed >> key & 1u) != 0; }
  bool operator==(const PlayerCommand&) const = default;
};

constexpr uint8_t playerKeyBit(PlayerKey key) { return static_cast<uint8_t>(1u << key); }
