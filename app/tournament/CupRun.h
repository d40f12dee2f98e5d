#pragma once
// One cup as a player plays it: what they entered with (singles or doubles,
// their character, their key set, the games a set), the drawn bracket, the
// round under way and how the player stands. It says what each match of
// the round is (its slots and its seed) and takes the results as they come;
// once every match of a round is in, the next round begins, unless the
// player is out or has won the cup. A match the player left before its end
// is a match lost.
//
// Playing the matches is others' business: the player's in the window (or
// the simulator's modelled person), the rest without one (OtherMatches).

#include <array>
#include <cstdint>

#include "app/match/MatchSetup.h"
#include "app/tournament/Bracket.h"
#include "app/tournament/MatchOutcome.h"

struct CupEntry {
  bool doubles = false;
  // A set-up character index, 1..kCharacterCount.
  int32_t character = 1;
  // The player's key set (a pad plays on the key set it drives).
  int32_t keySet = 0;
  int32_t gamesPerSet = 6;
  bool operator==(const CupEntry&) const = default;
};

enum class CupStanding { Playing, Out, Champion };

class CupRun {
 public:
  CupRun(int32_t cup, const CupEntry& entry, uint32_t seed);

  int32_t cup() const { return cupIndex; }
  const CupEntry& entry() const { return entered; }
  const Bracket& bracket() const { return draw; }
  uint32_t seed() const { return drawSeed; }
  // The round under way; once the cup is over, the round it ended in.
  int32_t round() const { return currentRound; }
  CupStanding standing() const;
  // The player's match of this round, and whether it has been played.
  int32_t playerMatch() const { return draw.playerMatch(currentRound); }
  bool playerMatchPlayed() const { return draw.match(currentRound, playerMatch()).played(); }
  // The next match of this round that is the computers' alone and still to
  // be played; -1 when none is left.
  int32_t nextOtherMatch() const;
  // Every match of this round has been played.
  bool roundComplete() const;

  // Match `index` of this round, one set of the entry's games: in the
  // player's match the player is slot 0 on their key set (and the computer
  // partner slot 2), in any other the match's first entrant is slots 0 and 2.
  MatchSetup setupOf(int32_t index) const;
  uint32_t seedOf(int32_t index) const { return draw.match(currentRound, index).seed; }
  // Match `index` of this round is over, its outcome by team as setupOf
  // placed them; an undecided outcome is the player's match left, lost.
  void record(int32_t index, const MatchOutcome& outcome);

 private:
  // The player is the second entrant of this match: the teams are turned.
  bool playerSecondIn(int32_t index) const;

  int32_t cupIndex;
  CupEntry entered;
  uint32_t drawSeed;
  Bracket draw;
  int32_t currentRound = QuarterFinal;
};
