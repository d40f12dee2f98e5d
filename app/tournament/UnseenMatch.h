#pragma once
// A match between computer players played without a window: the real
// match (MatchSimulation) built with nothing drawn and textures only
// named, stepped directly, a number of steps at a time, with Enter held
// where the match waits for a person (the introduction, the final table).
// It starts from its own seed and keeps its generator to itself, so it
// plays the same whether it is played in one go or a few steps a frame,
// and however its steps are interleaved with others'.
//
// It owns its simulation and texture recorder; the caller keeps the
// result.

#include <cstdint>
#include <memory>

#include "app/match/MatchSetup.h"
#include "app/match/MatchSimulation.h"
#include "app/match/MatchTexts.h"
#include "app/tournament/MatchOutcome.h"

// Far more steps than a one-set match lasts: a match still going after it
// is given up and decided by the games.
constexpr int64_t kUnseenStepLimit = 500'000;

class UnseenMatch {
 public:
  // Every playing slot of `setup` must be a computer.
  UnseenMatch(const MatchSetup& setup, uint32_t seed, MatchTexts texts);

  // Plays at most `steps` more steps; true once the match is over.
  bool play(int64_t steps);
  bool over() const;
  // Decided even when given up: the team with more games, else team 0.
  MatchOutcome outcome() const;
  int64_t stepsTaken() const { return simulation->stepsTaken(); }

 private:
  std::unique_ptr<MatchSimulation> simulation;
};
