#pragma once
// The score of one side of the scoreboard: the points of the game being
// played, the games of every set and the sets won, with the rule by which a
// point is added. Whether a game, set or match is won is decided by
// MatchScore, which compares two of these.
//
// Points are stored as the board shows them. An ordinary game runs 0, 15,
// 30, 40, then 50 for an advantage and 60 for the game. A tie-break runs 0
// to 5 and then joins the same ladder: 40 stands for six points, 50 and 60
// follow as in an ordinary game.

#include <array>
#include <cstdint>
#include <memory>

#include "tennis/ScoreboardPlayer.h"

enum class ScoreMode : int32_t { Ordinary = 0, TieBreak = 1 };

constexpr int32_t kMaxSets = 5;
// Points on the ladder shared by both modes.
constexpr int32_t kPointsForty = 40;
constexpr int32_t kPointsAdvantage = 50;
constexpr int32_t kPointsGame = 60;
// The tie-break's own count runs up to this before it joins the ladder at 40.
constexpr int32_t kTieBreakLastCounted = 5;
// What 40 means in a tie-break.
constexpr int32_t kTieBreakSix = 6;

struct TeamScore {
  // The points as they count in the rules: a tie-break's 40 is six points.
  int32_t value() const;
  void addPoint();
  void clearPoints() { points = 0; }

  ScoreMode mode = ScoreMode::Ordinary;
  int32_t points = 0;
  std::array<int32_t, kMaxSets> games{};
  int32_t sets = 0;
  std::weak_ptr<ScoreboardPlayer> player;
};
