#pragma once
// Network play that feels local: each game plays its own people's commands
// after a short fixed input delay, and the other game's people as predicted
// (their last held controls, nothing newly pressed) until their real
// commands come. When a real command differs from what was predicted, the
// match is restored to the state saved before that step, the steps since are
// played again with what is now known, and play carries on from the present.
//
// At most kMaxPredictedSteps steps are played ahead of the other game's
// commands; beyond that the match waits for them.
// The computer's players follow from the shared seed, as in any match.
//
// Every step played (and played again) is told with its outcome and whether
// it replaces one told before; a step is certain once every command up to it
// is real. After every certain step the hash of the match is compared with
// the other game's now and then (NetSession).
//
// The game that runs ahead of the other holds a step now and then until the
// two are level, so that neither keeps predicting further than it must.

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "app/match/MatchSimulation.h"
#include "app/match/StepInput.h"
#include "app/net/NetSession.h"

constexpr int32_t kMaxPredictedSteps = 10;
// Ahead of the other game by this many steps or more, a game holds one step
// in every kHoldEvery until they are level.
constexpr double kAheadToHold = 1.5;
constexpr int64_t kHoldEvery = 6;

// A step just played, or played again with corrected commands.
struct PlayedStep {
  StepOutcome outcome;
  // Every slot's command as the step was played.
  StepInput input;
  bool again = false;
};

class NetRollback {
 public:
  enum class Advance {
    // A step was played (and maybe others again before it).
    Played,
    // The other game's commands are awaited.
    Waiting,
    // This game runs ahead: the step's time passes without a step.
    Holding,
  };

  struct Stats {
    int64_t rollbacks = 0;
    int64_t stepsPlayedAgain = 0;
    int32_t deepest = 0;
    int64_t predictedSteps = 0;
    int64_t heldSteps = 0;
  };

  NetRollback(NetSession& session, MatchSimulation& match);

  // Plays the next step if it can. `sampleLocal` reads this game's people for
  // the step one input delay ahead; `played` receives every step simulated,
  // in order, those played again first.
  Advance advance(const std::function<StepInput()>& sampleLocal, std::vector<PlayedStep>& played);
  // Steps before this one are certain: every command up to them is real.
  int64_t certain() const { return certainSteps; }
  // The state after the last certain step: the same on both games.
  const MatchSnapshot& certainState() const { return saved.front(); }
  // The match is over at a step that is certain: both games end there.
  bool overForCertain() const { return match.isFinished() && certainSteps >= match.stepsTaken(); }
  // How far this game runs ahead of the other, in steps (negative: behind):
  // half the difference between what this game sees of the other and what
  // the other sees of it.
  double ahead() const;
  const Stats& stats() const { return counts; }

 private:
  struct Step {
    StepInput local;
    StepInput remote;
    bool predicted = false;
  };

  // The other game's command for the step, real or predicted.
  StepInput remoteFor(int64_t step, bool& predicted) const;
  // The step the other game plays now, as this one sees it, against this
  // game's own: latency misjudged shows here, on both games alike.
  double aheadSeen() const;
  StepInput merged(const Step& step) const;
  // The first step played with a prediction that the real command now
  // contradicts; -1 when none. Predictions the real commands bear out are
  // marked real on the way.
  int64_t firstMispredicted();
  void playAgainFrom(int64_t step, std::vector<PlayedStep>& played);
  void playStep(int64_t step, bool again, std::vector<PlayedStep>& played);
  void becomeCertain();

  NetSession& session;
  MatchSimulation& match;
  uint8_t remoteSlots = 0;
  // From step firstKept on: each step's commands as played, and the state
  // saved before it (saved[i] is the state before step firstKept + i).
  std::deque<Step> steps;
  std::deque<MatchSnapshot> saved;
  int64_t firstKept = 0;
  int64_t certainSteps = 0;
  StepInput lastRealRemote;
  int64_t lastHeld = -kHoldEvery;
  Stats counts;
};
