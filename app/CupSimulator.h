#pragma once
// A whole cup of the tournament played without a window, as the game plays
// it: the same draw from the same seed, the round's other matches played by
// OtherMatches as the bracket screen plays them, and the player's match of
// each round played by the simulator (simulateMatch) with the player's slot
// a modelled person of a skill, or the computer at a level. The same cup,
// entry, player and seed give the same cup, match for match.

#include <cstdint>
#include <functional>

#include "app/MatchSimulator.h"
#include "app/tournament/CupRun.h"
#include "tennis/HumanModel.h"

struct SimulatedCup {
  int32_t cup = 0;
  CupEntry entry;
  uint32_t seed = 1;
  // Who plays the player's slot: a modelled person of this skill, or when
  // none the computer at `level`.
  const HumanSkill* person = nullptr;
  int32_t level = 0;
  int64_t stepLimit = 2'000'000;
};

// A round just played: the cup as it stands after it (the round's results
// are in its bracket), which round it was, and how the player's match went.
struct PlayedCupRound {
  const CupRun& cup;
  int32_t round;
  const SimulationResult& playerMatch;
};

struct CupResult {
  CupStanding standing = CupStanding::Playing;
  // The player's matches won.
  int32_t roundsWon = 0;
  // Every one of the player's matches was played to its end.
  bool finished = true;
};

CupResult simulateCup(const SimulatedCup& wanted, const std::function<void(const PlayedCupRound&)>& onRound = {});
