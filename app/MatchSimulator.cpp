#include "app/MatchSimulator.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <memory>
#include <thread>

#include "app/Percentile.h"
#include "app/input/Keyboard.h"
#include "app/Settings.h"
#include "app/match/LessonMatch.h"
#include "app/tournament/MatchOutcome.h"
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

void pressKey(int code, bool down) {
  if (code < 0 || code >= kKeyCodeCount) return;
  if (code >= kSpecialKeyBase) {
    down ? pressSpecialKey(code - kSpecialKeyBase) : releaseSpecialKey(code - kSpecialKeyBase);
  } else {
    down ? pressCharacterKey(static_cast<unsigned char>(code)) : releaseCharacterKey(static_cast<unsigned char>(code));
  }
}

LastShot lastShotOf(ShotKind kind) {
  switch (kind) {
    case ShotKind::Serve: return LastShot::Serve;
    case ShotKind::Dive: return LastShot::Dive;
    case ShotKind::Net: return LastShot::Net;
    case ShotKind::Baseline: break;
  }
  return LastShot::Baseline;
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
    app->setBeforeStep([this] { beforeStep(); });
    app->setOutcomeListener([this](const StepOutcome& outcome) { follow(outcome); });
    const std::shared_ptr<SoundOutput> heard = setSoundOutput(nullptr);
    const bool networked = session != nullptr;
    startMatch();
    firstStep = app->stepsTaken();
    const auto started = std::chrono::steady_clock::now();
    const uint32_t clockAtStart = clock->milliseconds();
    for (size_t frame = 0; app->currentPhase() == InMatch && result.steps < wanted.stepLimit; ++frame) {
      holdEnterWhereAsked(*app);
      const uint32_t frameMs = wanted.frameMs.empty() ? kFixedStepMs : wanted.frameMs[frame % wanted.frameMs.size()];
      clock->advance(frameMs);
      // Each frame due at its own time, not a frame's time after the last:
      // the work of a frame does not slow the clock down.
      if (wanted.realTime) {
        std::this_thread::sleep_until(started + std::chrono::milliseconds(clock->milliseconds() - clockAtStart));
      }
      app->frame();
      const int64_t before = result.steps;
      result.steps = app->stepsTaken() - firstStep;
      if (result.steps > before && app->currentSimulation() == simulation) afterEveryStep();
      if (result.steps > before) noteFrame();
      // Held still by the other game: wait for its packets, do not spin.
      if (networked && result.steps == before) app->waitForNetwork(1);
    }
    result.finished = match && match->isFinished();
    if (match) {
      result.finalScore = describeScore(*match->shared().scoreboard);
      result.gamesWonByTeam = outcomeOf(*match).games;
      result.stateHash = simulation->stateHash();
    }
    if (networked) noteNetwork(std::chrono::steady_clock::now() - started);
    match.reset();
    simulation.reset();
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
  void noteFrame() {
    const auto now = std::chrono::steady_clock::now();
    if (lastFrame) frameMs.push_back(std::chrono::duration<double, std::milli>(now - *lastFrame).count());
    lastFrame = now;
  }

  void noteNetwork(std::chrono::steady_clock::duration played) {
    // The goodbye, bounded by the session's own patience.
    for (int wait = 0; app->netSession() && wait < kGoodbyeWaits; ++wait) app->waitForNetwork(kGoodbyeWaitMs);
    SimulationResult::Network network;
    if (const auto& report = app->lastNetReport()) static_cast<Application::NetReport&>(network) = *report;
    network.seconds = std::chrono::duration<double>(played).count();
    if (!frameMs.empty()) {
      std::sort(frameMs.begin(), frameMs.end());
      network.frameP99Ms = percentile(frameMs, 0.99);
    }
    result.network = network;
  }

  // The rollback of network play, every step, and the hash of the state.
  void afterEveryStep() {
    MatchSimulation& played = *simulation;
    if (wanted.rollbackSteps > 0 && app->currentRecording()) {
      saved.emplace_back();
      played.save(saved.back());
      if (saved.size() > size_t(wanted.rollbackSteps) + 1) saved.pop_front();
      if (saved.size() == size_t(wanted.rollbackSteps) + 1) playAgainFrom(saved.front());
    }
    if (wanted.hashEveryStep) result.stepHashes.push_back(played.stateHash());
  }

  void playAgainFrom(const MatchSnapshot& state) {
    MatchSimulation& played = *simulation;
    const int64_t now = played.stepsTaken();
    if (!played.restore(state)) result.restoreFailed = true;
    RecordingCursor inputs(*app->currentRecording());
    inputs.seek(played.stepsTaken());
    // The steps played again are told nobody: they were told already.
    StepInput input;
    while (played.stepsTaken() < now && inputs.next(input)) played.step(input);
  }

  void startMatch() {
    if (session) {
      // This side's people are modelled as asked; the other side models its own.
      const uint8_t own = session->localSlots();
      for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
        if (wanted.people[slot] && (own >> slot & 1u)) {
          models[slot].emplace(*wanted.people[slot], wanted.seed * kPlayerSlotCount + uint32_t(slot));
        }
      }
      app->startNetMatch(std::move(session));
    } else if (wanted.replay) {
      app->startReplay(*wanted.replay);
    } else {
      chooseMatch();
    }
    match = std::dynamic_pointer_cast<MatchState>(app->currentMatch());
    simulation = app->currentSimulation();
    if (match) ball = match->shared().ball;
  }

  void chooseMatch() {
    // Chosen once the main menu is built, as the players choose them.
    matchSetup.slots = wanted.slots;
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
      if (!wanted.people[slot]) continue;
      matchSetup.slots[slot].controller = slot;
      // Each person's own chance, from the match's seed and the slot.
      models[slot].emplace(*wanted.people[slot], wanted.seed * kPlayerSlotCount + uint32_t(slot));
    }
    matchSetup.doublesFlag = wanted.doubles ? 1 : 0;
    matchSetup.setsToPlay = wanted.setsToPlay;
    matchSetup.gamesPerSet = wanted.gamesPerSet;
    setRandomState(wanted.seed);
    app->currentMenu()->goToScreen(wanted.doubles ? StartDoubles : StartSingles);
    app->frame();
  }

  // Before every step of the match: the modelled people press their keys.
  void beforeStep() {
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
      const std::shared_ptr<TennisPlayer> player = app->slotPlayer(slot);
      if (!models[slot] || !player) continue;
      const PlayerCommand command = models[slot]->next(*player, kFixedStepMs);
      for (int key = 0; key < kPlayerKeyCount; ++key) {
        pressKey(settings.keySets[slot][key], command.isHeld(static_cast<PlayerKey>(key)));
      }
    }
  }

  // A step the match has told for certain: its strokes and its rallies.
  void follow(const StepOutcome& outcome) {
    for (const PlayEvent& event : outcome.events) {
      if (event.kind == PlayEventKind::Shot) lastShot = lastShotOf(static_cast<ShotKind>(event.detail));
    }
    for (const RallyReport& rally : outcome.rallies) {
      // A rally with no hit (a serve that missed its toss) was ended by no
      // stroke: the one seen before was the last point's, after its call.
      if (rally.shots == 0) lastShot = LastShot::None;
      if (match) record(*match, rally, outcome.step);
      if (rally.winner >= 0) lastShot = LastShot::None;
    }
  }

  int32_t teamOfSide(int32_t side) const {
    const std::shared_ptr<TennisPlayer> first = app->slotPlayer(0);
    if (side < 0 || !first) return -1;
    return first->courtSide() == side ? 0 : 1;
  }

  void record(const MatchState& match, const RallyReport& rally, int64_t step) {
    const int32_t team = teamOfSide(rally.winner);
    if (team >= 0) ++result.pointsWonByTeam[team];
    if (rally.call == RefereeCall::Fault) ++result.faults;
    if (rally.call == RefereeCall::DoubleFault) ++result.doubleFaults;
    if (rally.winner >= 0) {
      ++result.points;
      result.shots += rally.shots;
    }
    if (rally.kind == kMatchWon) {
      result.winner = rally.winner;
      result.winnerTeam = team;
      result.winnerName = rally.winnerName;
      result.loserName = match.playerName(1 - rally.winner);
    }
    if (onRally) {
      onRally(SimulatedRally{rally, team, lastShot, describeScore(*match.shared().scoreboard), step});
    }
  }

  const SimulatedMatch& wanted;
  const std::function<void(const SimulatedRally&)>& onRally;
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(0);
  std::shared_ptr<RecordingTextureFactory> textures = std::make_shared<RecordingTextureFactory>();
  std::unique_ptr<NetSession> session;
  std::unique_ptr<Application> app;
  std::shared_ptr<Pelota> ball;
  std::shared_ptr<MatchState> match;
  std::shared_ptr<MatchSimulation> simulation;
  int64_t firstStep = 0;
  SimulationResult result;
  std::array<std::optional<HumanModel>, kPlayerSlotCount> models;
  std::deque<MatchSnapshot> saved;
  std::optional<std::chrono::steady_clock::time_point> lastFrame;
  std::vector<double> frameMs;
  LastShot lastShot = LastShot::None;
};

}  // namespace

LessonResult simulateLesson(const SimulatedLesson& wanted) {
  const auto textures = std::make_shared<RecordingTextureFactory>();
  const auto clock = std::make_shared<ManualClock>(0);
  setMenuTextureFactory(textures);
  setMatchTextureFactory(textures);
  releaseAllKeys();
  stepAccumulator = 0;
  const std::shared_ptr<SoundOutput> heard = setSoundOutput(nullptr);
  auto app = std::make_unique<Application>(clock, SceneDisplay::None);
  app->setTrainingProgressFile({});
  constexpr int32_t kKeySet = 0;
  matchSetup.slots[0] = {wanted.character, kKeySet};
  HumanModel person(*wanted.skill, wanted.seed * kPlayerSlotCount);
  std::shared_ptr<LessonMatch> lesson;
  app->setBeforeStep([&] {
    const std::shared_ptr<TennisPlayer> player = app->slotPlayer(0);
    if (!player || !lesson) return;
    person.follow(lesson->ask());
    const PlayerCommand command = person.next(*player, kFixedStepMs);
    for (int key = 0; key < kPlayerKeyCount; ++key) {
      pressKey(settings.keySets[kKeySet][key], command.isHeld(static_cast<PlayerKey>(key)));
    }
  });
  setRandomState(wanted.seed);
  app->startLesson(wanted.lesson);
  lesson = std::dynamic_pointer_cast<LessonMatch>(app->currentMatch());
  const std::shared_ptr<MatchSimulation> played = app->currentSimulation();
  LessonResult result;
  while (lesson && app->currentSimulation() == played && played->stepsTaken() < wanted.stepLimit) {
    clock->advance(kFixedStepMs);
    app->frame();
    const LessonScore& score = lesson->score();
    if (score.passed || score.tries >= wanted.tryLimit) break;
  }
  if (lesson) {
    result.passed = lesson->score().passed;
    result.tries = lesson->score().tries;
    result.successes = lesson->score().successes;
    result.seconds = static_cast<double>(played->stepsTaken()) * kFixedStepMs / 1000.0;
  }
  lesson.reset();
  releaseAllKeys();
  app.reset();
  setSoundOutput(heard);
  setMenuTextureFactory(nullptr);
  setMatchTextureFactory(nullptr);
  return result;
}

const char* lastShotName(LastShot shot) {
  switch (shot) {
    case LastShot::Serve: return "serve";
    case LastShot::Baseline: return "baseline";
    case LastShot::Net: return "net";
    case LastShot::Dive: return "dive";
    default: return "none";
  }
}

SimulationResult simulateMatch(const SimulatedMatch& match, const std::function<void(const SimulatedRally&)>& onRally) {
  return Simulation(match, onRally).run();
}

SimulationResult simulateNetMatch(std::unique_ptr<NetSession> session, const SimulatedMatch& pacing,
                                  const std::function<void(const SimulatedRally&)>& onRally) {
  return Simulation(pacing, onRally, std::move(session)).run();
}
