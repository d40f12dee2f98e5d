#pragma once
// The matches of a cup's round that the player is not in, played by the
// real match without a window (UnseenMatch) one after another, a number of
// steps at a time: the bracket stays on the screen and answers its keys
// while they play, each result going into the cup as its match ends. The
// results do not depend on how the steps are spread: every match starts
// from the seed the draw gave it.
//
// It owns the match being played and serves one cup: a cup drawn again
// takes a new OtherMatches.

#include <cstdint>
#include <memory>
#include <utility>

#include "app/match/MatchTexts.h"
#include "app/tournament/CupRun.h"
#include "app/tournament/UnseenMatch.h"

class OtherMatches {
 public:
  explicit OtherMatches(MatchTexts texts) : texts(std::move(texts)) {}

  // Plays at most `steps` steps of the round's other matches; true when
  // none of them is left to play. Building a match counts as a step.
  bool play(CupRun& cup, int64_t steps);
  // Plays them all at once.
  void playAll(CupRun& cup) { play(cup, INT64_MAX); }

 private:
  MatchTexts texts;
  std::unique_ptr<UnseenMatch> match;
  int32_t matchIndex = -1;
};
