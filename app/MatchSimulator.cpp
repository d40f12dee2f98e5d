#include "app/MatchSimulator.h"

#include <memory>

#include "app/Keyboard.h"
#include "engine/Random.h"
#include "engine/Sound.h"
#include "engine/TextureFactory.h"

namespace {

// Enter is held exactly where the match waits for a person to press it.
void holdEnterWhereAsked(const Application& app) {
  const auto match = std::dynamic_pointer_cast<MatchState>(app.currentMatch());
  const bool waiting = match && (match->phase() == IntroPlaying || match->phase() == FinalScore);
  if (waiting) {
    pressCharacterKey(kKeyEnter);
  } else {
    releaseCharacterKey(kKeyEnter);
  }
}

class Simulation {
 public:
  Simulation(const SimulatedMatch& wanted, const std::function<void(const SimulatedRally&)>& onRally)
      : wanted(wanted), onRally(onRally) {}

  SimulationResult run() {
    setMenuTextureFactory(textures);
    setMatchTextureFactory(textures);
    releaseAllKeys();
    stepAccumulator = 0;
    app = std::make_unique<Application>(clock, wanted.poseEverything ? SceneDisplay::PosingAll : SceneDisplay::None);
    const std::shared_ptr<SoundOutput> heard = setSoundOutput(nullptr);
    startMatch();
    firstStep = app->stepsTaken();
    for (size_t frame = 0; app->currentPhase() == InMatch && result.steps < wanted.stepLimit; ++frame) {
      holdEnterWhereAsked(*app);
      clock->advance(wanted.frameMs.empty() ? kFixedStepMs : wanted.frameMs[frame % wanted.frameMs.size()]);
      app->frame();
      result.steps = app->stepsTaken() - firstStep;
    }
    result.finished = match && match->isFinished();
    if (match) result.finalScore = describeScore(*match->shared().scoreboard);
    match.reset();
    if (ball) {
      result.ballAtEnd = ball->position();
      result.hitsAtEnd = ball->hitCount();
    }
    releaseAllKeys();
    setSoundOutput(heard);
    app.reset();
    setMenuTextureFactory(nullptr);
    setMatchTextureFactory(nullptr);
    return result;
  }

 private:
  void startMatch() {
    if (wanted.replay) {
      app->startReplay(*wanted.replay);
    } else {
      chooseMatch();
    }
    match = std::dynamic_pointer_cast<MatchState>(app->currentMatch());
    if (match) {
      ball = match->shared().ball;
      match->setRallyListener([this, match = match.get()](const RallyReport& rally) { record(*match, rally); });
    }
  }

  void chooseMatch() {
    // The main menu resets the slots: they are chosen after it is built.
    matchSetup.slots = wanted.slots;
    matchSetup.doublesFlag = wanted.doubles ? 1 : 0;
    matchSetup.setsToPlay = wanted.setsToPlay;
    matchSetup.gamesPerSet = wanted.gamesPerSet;
    setRandomState(wanted.seed);
    app->currentMenu()->goToScreen(wanted.doubles ? StartDoubles : StartSingles);
    app->frame();
  }

  void record(const MatchState& match, const RallyReport& rally) {
    if (rally.call == RefereeCall::Fault) ++result.faults;
    if (rally.call == RefereeCall::DoubleFault) ++result.doubleFaults;
    if (rally.winner >= 0) {
      ++result.points;
      result.shots += rally.shots;
    }
    if (rally.kind == kMatchWon) {
      result.winner = rally.winner;
      result.winnerName = rally.winnerName;
      result.loserName = match.playerName(1 - rally.winner);
    }
    if (onRally) onRally(SimulatedRally{rally, describeScore(*match.shared().scoreboard), app->stepsTaken() - firstStep});
  }

  const SimulatedMatch& wanted;
  const std::function<void(const SimulatedRally&)>& onRally;
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(0);
  std::shared_ptr<RecordingTextureFactory> textures = std::make_shared<RecordingTextureFactory>();
  std::unique_ptr<Application> app;
  std::shared_ptr<Pelota> ball;
  std::shared_ptr<MatchState> match;
  int64_t firstStep = 0;
  SimulationResult result;
};

}  // namespace

SimulationResult simulateMatch(const SimulatedMatch& match, const std::function<void(const SimulatedRally&)>& onRally) {
  return Simulation(match, onRally).run();
}
