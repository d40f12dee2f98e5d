#pragma once
// How a match stands by team rather than by side of the court: the teams
// change ends during a match and the score follows the ends, while a cup
// knows its entrants by slot. Team 0 is the team of slots 0 and 2, team 1
// that of slots 1 and 3.

#include <array>
#include <cstdint>

#include "app/match/MatchState.h"

struct MatchOutcome {
  // The score says the match is won (the ceremony may still be playing).
  bool decided = false;
  // The team that won it; -1 while undecided.
  int32_t winnerTeam = -1;
  // Games of the first set, by team.
  std::array<int32_t, 2> games{};
  bool operator==(const MatchOutcome&) const = default;
};

MatchOutcome outcomeOf(const MatchState& match);
