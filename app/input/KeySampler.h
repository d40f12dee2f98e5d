#pragma once
// The keyboard and the gamepads read once at the start of every fixed step of
// a match: one PlayerCommand for each player slot, from the key set the slot
// plays with and the pad that drives that key set together, and the two keys
// the match itself listens to (Enter and Escape, which skip the introduction
// and leave the final table; a pad's A and Start hold them too). Everything the simulation
// learns from the people in front of the screen passes through a StepInput,
// so a recording of them replays the match exactly.
//
// Key codes are compared as the keyboard tables hold them: a binding of 'a'
// is not held by Shift+A, and a letter's release frees both cases. Two slots
// on one key set get the same command.

#include <array>
#include <cstdint>

#include "app/input/Gamepads.h"
#include "app/input/Keyboard.h"
#include "app/match/MatchSetup.h"
#include "app/match/StepInput.h"
#include "tennis/PlayerCommand.h"

// The key set each slot plays with; kNoKeySet for the computer.
constexpr int32_t kNoKeySet = -1;
using SlotKeySets = std::array<int32_t, kPlayerSlotCount>;

class KeySampler {
 public:
  // Presses made before the sampler exists (the Enter that started the
  // match) are not reported as pressed. `pads`, when given, must outlive
  // the sampler.
  explicit KeySampler(const Gamepads* pads = nullptr);

  StepInput sample(const SlotKeySets& slotKeySets, const std::array<KeySet, kKeySetCount>& keySets);

 private:
  PlayerCommand commandOf(const KeySet& codes) const;
  PlayerCommand padCommandOf(int32_t keySet) const;

  const Gamepads* pads;
  // The keyboard's and the pads' press counts at the previous sample.
  std::array<uint32_t, kKeyCodeCount> seenPresses{};
  std::array<PadControls, kKeySetCount> seenPads{};
};
