#pragma once
// The simulator's tables: many matches counted into shares with their 95%
// intervals, played by several processes at once when asked. Every match
// of a table is a function of its set-up and seed, so a table comes out the
// same whatever the number of processes: each process plays the items whose
// number it owns and the counts are put back together by item.

#include <cstdint>
#include <functional>
#include <vector>

// What one item of a table (a match, or a run of matches) added up to.
struct MatchTally {
  int32_t matches = 0;
  int32_t unfinished = 0;
  // Matches and points won by the team of slot 0 (and 2), and by the other.
  int32_t matchesWon[2] = {0, 0};
  int32_t pointsWon[2] = {0, 0};

  MatchTally& operator+=(const MatchTally& o);
};

// Plays items 0 .. count - 1 with `play`, in `jobs` processes (one: in this
// one), and gives the tallies in item order. `play` must print nothing on
// standard output. Empty when a process could not be started or died.
std::vector<MatchTally> playItems(int32_t count, int32_t jobs, const std::function<MatchTally(int32_t)>& play);

// A share of `hits` in `trials`, in percent, with the bounds of its 95%
// interval (Wilson's score interval, sound near 0 and 100 too).
struct Share {
  double percent = 0.0;
  double low = 0.0;
  double high = 0.0;
};
Share shareOf(int32_t hits, int32_t trials);
