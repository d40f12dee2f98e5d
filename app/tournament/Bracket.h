#pragma once
// A cup's bracket of eight: who stands where in the draw, who meets whom in
// each round, and the results as they come. Draw position 2m meets 2m + 1
// in quarter-final m; the winners of matches 2k and 2k + 1 of a round meet
// in match k of the next.
//
// The draw follows from a seed alone, through a random sequence of its own
// (never the wall clock, never the game's generator): the same cup, mode,
// character and seed always give the same bracket, the same seed for every
// match, and so the same cup. It places the player, then the computer
// entrants so that whoever wins the other matches, the player meets the
// cup's levels in rising order: beside the player an entrant of the first
// level, the other pair of the player's half two of the second, the other
// half four of the top level (in singles the four characters, one each).
// Who wins is the matches' business; the bracket only keeps the results.

#include <array>
#include <cstdint>
#include <string>

#include "app/match/MatchSetup.h"
#include "app/tournament/Cups.h"

struct Entrant {
  // Set-up character indices (1..kCharacterCount); the second only in doubles.
  std::array<int32_t, 2> characters{kNoCharacter, kNoCharacter};
  // The computer level of a computer entrant; of the computer partner beside
  // the player in doubles.
  int32_t level = 0;
  bool player = false;
  bool operator==(const Entrant&) const = default;
};

// How the bracket names an entrant: the character ("DOREDU"), in doubles
// both ("DOREDU/REVIRADE"), and for a computer its level ("DOREDU 3").
std::string entrantName(const Entrant& entrant);

struct BracketMatch {
  // The two entrants' draw positions; -1 while the match before is unplayed.
  std::array<int32_t, 2> entrants{-1, -1};
  // Which of the two won (0 or 1); -1 until played.
  int32_t winner = -1;
  // The games each won in the set, in the order of `entrants`.
  std::array<int32_t, 2> games{};
  // The random generator's state the match starts from.
  uint32_t seed = 0;

  bool ready() const { return entrants[0] >= 0 && entrants[1] >= 0; }
  bool played() const { return winner >= 0; }
  bool operator==(const BracketMatch&) const = default;
};

class Bracket {
 public:
  // The drawn bracket of `cup` for a player of `playerCharacter`; in doubles
  // every entrant is a pair, the player's partner drawn among the others.
  Bracket(int32_t cup, bool doubles, int32_t playerCharacter, uint32_t seed);

  const Entrant& entrant(int32_t position) const { return entrants[position & (kEntrantCount - 1)]; }
  // Match `index` (0 .. matchesInRound(round) - 1) of `round`.
  const BracketMatch& match(int32_t round, int32_t index) const { return matches[matchNumber(round, index)]; }
  int32_t playerPosition() const { return player; }
  // The match of `round` in the player's part of the draw.
  int32_t playerMatch(int32_t round) const { return player >> (round + 1); }
  // A played match: its winner takes its place in the next round.
  void record(int32_t round, int32_t index, int32_t winner, const std::array<int32_t, 2>& games);

  bool operator==(const Bracket&) const = default;

 private:
  static int32_t matchNumber(int32_t round, int32_t index);

  std::array<Entrant, kEntrantCount> entrants{};
  std::array<BracketMatch, kBracketMatchCount> matches{};
  int32_t player = 0;
};
