#pragma once
// The tournament's three cups, from the first to the last: bronze, silver
// and gold. A cup is a bracket of eight played in three rounds (the
// quarter-finals, the semi-finals and the final), each a one-set match; the
// player meets the computer at the cup's three levels in rising order, one
// level a round. The cups' words are the menus' business; their trophies
// are models of their own (kTrophyFiles).

#include <array>
#include <cstdint>
#include <string_view>

#include "tennis/ModelFiles.h"

enum Cup : int32_t { BronzeCup = 0, SilverCup = 1, GoldCup = 2 };
constexpr int32_t kCupCount = 3;
static_assert(kTrophyFiles.size() == kCupCount, "one trophy a cup");

enum CupRound : int32_t { QuarterFinal = 0, SemiFinal = 1, Final = 2 };
constexpr int32_t kRoundCount = 3;
// The player and seven computer entrants.
constexpr int32_t kEntrantCount = 1 << kRoundCount;
// Every round halves the field: four quarter-finals, two semi-finals, the final.
constexpr int32_t matchesInRound(int32_t round) { return kEntrantCount >> (round + 1); }
constexpr int32_t kBracketMatchCount = kEntrantCount - 1;
// A cup's matches are this long, whatever the match options say.
constexpr int32_t kCupSetsToPlay = 1;

struct CupRules {
  // The cup's word in the progress file and on the simulator's command line.
  const char* key;
  // The computer level the player meets in each round, in rising order.
  std::array<int32_t, kRoundCount> levels;
};

inline constexpr std::array<CupRules, kCupCount> kCups = {{
    {"bronce", {0, 1, 2}},
    {"plata", {2, 3, 4}},
    {"oro", {3, 4, 5}},
}};

// The cup of that key, or -1.
constexpr int32_t findCup(std::string_view key) {
  for (int32_t cup = 0; cup < kCupCount; ++cup) {
    if (key == kCups[cup].key) return cup;
  }
  return -1;
}

// The level of a partner the computer plays beside the player in doubles:
// the cup's top level.
constexpr int32_t partnerLevel(int32_t cup) { return kCups[cup].levels[kRoundCount - 1]; }
