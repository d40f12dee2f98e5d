#include "app/tournament/UnseenMatch.h"

#include <utility>

#include "engine/Random.h"
#include "engine/TextureFactory.h"

UnseenMatch::UnseenMatch(const MatchSetup& setup, uint32_t seed, MatchTexts texts) {
  setRandomState(seed);
  MatchMaking making{SceneDisplay::None, std::make_shared<RecordingTextureFactory>(), std::move(texts), nullptr, {}, std::nullopt};
  simulation = std::make_unique<MatchSimulation>(setup, std::move(making));
}

bool UnseenMatch::over() const { return simulation->isFinished() || simulation->stepsTaken() >= kUnseenStepLimit; }

bool UnseenMatch::play(int64_t steps) {
  for (int64_t done = 0; done < steps && !over(); ++done) {
    StepInput input;
    const int32_t phase = simulation->state()->phase();
    // The introduction takes a key pressed after it began: up for its first
    // step, then held, it is skipped at once.
    const bool skipIntro = phase == IntroPlaying && simulation->stepsTaken() > 0;
    if (skipIntro || phase == FinalScore) input.matchKeys = kMatchKeyEnter;
    simulation->step(input);
  }
  return over();
}

MatchOutcome UnseenMatch::outcome() const {
  MatchOutcome outcome = outcomeOf(*simulation->state());
  if (!outcome.decided) {
    outcome.decided = true;
    outcome.winnerTeam = outcome.games[1] > outcome.games[0] ? 1 : 0;
  }
  return outcome;
}
