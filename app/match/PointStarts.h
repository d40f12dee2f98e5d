#pragma once
// The points of a match as they are played, each with the saved state of a
// moment before its first serve was struck: where "watch the point again"
// and a replay's jump to a point begin. A server may stand for a long time
// before it tosses; the point is taken up about a second before the strike,
// never earlier than the point was set up.
//
// It watches a MatchSimulation after every step and saves it now and then
// while a serve waits (a few states, a fraction of a second apart), keeping
// the one that lies far enough before the strike.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "app/match/MatchSimulation.h"

// While a first serve waits, a state is saved this often (steps), and this
// many are kept; the point starts from the newest one at least
// kPointLeadSteps before the strike.
constexpr int64_t kServeWaitSaveSteps = 16;
constexpr size_t kServeWaitSaves = 8;
constexpr int64_t kPointLeadSteps = 60;

struct PlayedPoint {
  MatchSnapshot start;
  // The step of the saved state (MatchSimulation::stepsTaken), and the step
  // of the point's call; -1 while the point goes on.
  int64_t startStep = 0;
  int64_t callStep = -1;
};

class PointStarts {
 public:
  // Keeps every point (a replay's jumps), or only the last two (watching
  // the last point again).
  explicit PointStarts(bool keepEvery) : keepEvery(keepEvery) {}

  // After every step of the match (and once before the first).
  void afterStep(const MatchSimulation& match);

  // Points whose first serve has been struck, in order.
  const std::vector<PlayedPoint>& points() const { return played; }
  // The last point whose call has been made; null before any.
  const PlayedPoint* lastDecided() const;
  // Forget what was seen after `step`: the match was restored to it.
  void forgetAfter(int64_t step);

 private:
  struct Waiting {
    MatchSnapshot state;
    int64_t step = 0;
  };

  bool keepEvery;
  bool inPoint = false;
  bool serveWaiting = false;
  std::deque<Waiting> waits;
  std::vector<PlayedPoint> played;
};
