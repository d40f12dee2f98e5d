#include "app/tournament/OtherMatches.h"

#include <algorithm>

bool OtherMatches::play(CupRun& cup, int64_t steps) {
  int64_t left = steps;
  while (left > 0) {
    if (!match) {
      matchIndex = cup.nextOtherMatch();
      if (matchIndex < 0) return true;
      match = std::make_unique<UnseenMatch>(cup.setupOf(matchIndex), cup.seedOf(matchIndex), texts);
      --left;
      continue;
    }
    const int64_t before = match->stepsTaken();
    const bool over = match->play(left);
    left -= std::max<int64_t>(match->stepsTaken() - before, 1);
    if (!over) return false;
    cup.record(matchIndex, match->outcome());
    match.reset();
  }
  return !match && cup.nextOtherMatch() < 0;
}
