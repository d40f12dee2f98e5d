#include "app/MatchSimulator.h"

#include <chrono>
#include <memory>
#include <thread>

#include "app/Keyboard.h"
#include "engine/Random.h"
#include "engine/Sound.h"
#include "engine/TextureFactory.h"

namespace {

constexpr uint32_t kGoodbyeWaitMs = 10;
constexpr int kGoodbyeWaits = static_cast<int>(2 * kLingerMs / kGoodbyeWaitMs);

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
  Simulation(const SimulatedMatch& wanted, const std::function<void(const SimulatedRally&)>& onRally,
             std::unique_ptr<NetSession> session = nullptr)
      : wanted(wanted), onRally(onRally), session(std::move(session)) {}

  SimulationResult run() {
    setMenuTextureFactory(textures);
    setMatchTextureFactory(textures);
    releaseAllKeys();
    stepAccumulator = 0;
    app = std::make_unique<Application>(clock, wanted.poseEverything ? SceneDisplay::PosingAll : SceneDisplay::None);
    app->setRecordingFolder(wanted.recordingFolder);
    const std::shared_ptr<SoundOutput> heard = setSoundOutput(nullptr);
    const bool networked = session != nullptr;
    startMatch();
    firstStep = app->stepsTaken();
    const auto started = std::chrono::steady_clock::now();
    for (size_t frame = 0; app->currentPhase() == InMatch && result.steps < wanted.stepLimit; ++frame) {
      holdEnterWhereAsked(*app);
      const uint32_t frameMs = wanted.frameMs.empty() ? kFixedStepMs : wanted.frameMs[frame % wanted.frameMs.size()];
      clock->advance(frameMs);
      if (wanted.realTime) std::this_thread::sleep_for(std::chrono::milliseconds(frameMs));
      app->frame();
      const int64_t before = result.steps;
      result.steps = app->stepsTaken() - firstStep;
      // Held still by the other game: wait for its packets, do not spin.
      if (networked && result.steps == before) app->waitForNetwork(1);
    }
    result.finished = match && match->isFinished();
    if (match) {
      result.finalScore = describeScore(*match->shared().scoreboard);
      result.stateHash = match->stateHash();
    }
    if (networked) noteNetwork(std::chrono::steady_clock::now() - started);
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
  void noteNetwork(std::chrono::steady_clock::duration played) {
    // The goodbye, bounded by the session's own patience.
    for (int wait = 0; app->netSession() && wait < kGoodbyeWaits; ++wait) app->waitForNetwork(kGoodbyeWaitMs);
    SimulationResult::Network network;
    if (const auto& report = app->lastNetReport()) {
      network.inputDelay = report->inputDelay;
      network.roundTripMs = report->roundTripMs;
      network.bytesSent = report->bytesSent;
      network.bytesReceived = report->bytesReceived;
      network.ended = report->ended;
    }
    network.seconds = std::chrono::duration<double>(played).count();
    result.network = network;
  }

  void startMatch() {
    if (session) {
      app->startNetMatch(std::move(session));
    } else if (wanted.replay) {
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
  std::unique_ptr<NetSession> session;
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

SimulationResult simulateNetMatch(std::unique_ptr<NetSession> session, const SimulatedMatch& pacing,
                                  const std::function<void(const SimulatedRally&)>& onRally) {
  return Simulation(pacing, onRally, std::move(session)).run();
}
