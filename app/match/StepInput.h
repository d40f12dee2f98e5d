#pragma once
// The commands of one fixed step of a match: one PlayerCommand a player slot
// and the two keys the match itself listens to (Enter and Escape, which skip
// the introduction and leave the final table). Everything the simulation
// learns from the people in front of the screen, from a recording or from
// the other game over the network passes through a StepInput, so the same
// commands replay the match exactly. The keyboard and the pads make them
// (KeySampler); the match only reads them.

#include <array>
#include <cstdint>

#include "app/match/MatchSetup.h"
#include "tennis/PlayerCommand.h"

// A match advances in steps of this many milliseconds, whatever the frames.
constexpr uint32_t kFixedStepMs = 16;

enum MatchKey : uint8_t { kMatchKeyEnter = 1, kMatchKeyEscape = 2 };

struct StepInput {
  std::array<PlayerCommand, kPlayerSlotCount> slots{};
  uint8_t matchKeys = 0;  // MatchKey bits held when the step began

  bool matchKeyHeld(MatchKey key) const { return (matchKeys & key) != 0; }
  bool operator==(const StepInput&) const = default;
};
