// Network play that feels local, in one process over 127.0.0.1: two games
// play one match with a person on each side, one of them hearing the other
// late, so that predictions are wrong now and then and corrected; both must
// reach the same certain states (they compare them as they play), the same
// as the match played straight from the commands they agreed on. And the presentation of corrected
// steps: a sound is heard once, a sound the correction no longer has is
// stopped, and a camera waits for its step to be certain.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "app/play/MatchPresentation.h"
#include "app/Settings.h"
#include "app/match/MatchSimulation.h"
#include "app/match/MatchState.h"
#include "app/menus/Language.h"
#include "app/net/NetRollback.h"
#include "app/net/NetSession.h"
#include "engine/Random.h"
#include "engine/Sound.h"
#include "engine/TextureFactory.h"
#include "support/RecordingSound.h"
#include "support/TempDirectory.h"

namespace {

const char* builtRunFolder() {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  const bool built = run && std::filesystem::is_regular_file(std::filesystem::path(run) / "models/stadium/pista.ASZ");
  return built ? run : nullptr;
}

// Slot 0 a person (the host's), slot 1 a person (the joiner's), one game.
MatchSetup twoPeople() {
  MatchSetup setup;
  setup.setsToPlay = 1;
  setup.gamesPerSet = 1;
  setup.slots = {{{1, 0}, {4, 1}, {2, 2}, {3, 3}}};
  return setup;
}

std::unique_ptr<MatchSimulation> build(const MatchSetup& setup, uint32_t seed) {
  setRandomState(seed);
  MatchMaking making{SceneDisplay::None, std::make_shared<RecordingTextureFactory>(), matchTexts(), nullptr,
                     settings.keySets, {}};
  return std::make_unique<MatchSimulation>(setup, std::move(making));
}

// A person who steps about now and then and swings often, the same for the
// same step (its points are short: it serves, and seldom returns a ball);
// Enter held through the introduction and at the table.
StepInput personAt(int32_t slot, int64_t step, const MatchSimulation& match) {
  StepInput input;
  const uint32_t mixed = static_cast<uint32_t>(step / 23) * 2654435761u + static_cast<uint32_t>(slot) * 40503u;
  const uint8_t walk = (mixed >> 5) % 4 == 0 ? static_cast<uint8_t>((mixed >> 7) & 0x0f) : 0;
  const bool swing = (step + slot * 11) % 37 < 3;
  input.slots[slot].held = static_cast<uint8_t>(walk | (swing ? playerKeyBit(KeyHit) : 0));
  input.slots[slot].pressed = (step + slot * 11) % 37 == 0 ? playerKeyBit(KeyHit) : 0;
  const int32_t phase = match.state()->phase();
  if (phase == IntroPlaying || phase == FinalScore) input.matchKeys = kMatchKeyEnter;
  return input;
}

TEST(NetRollbackTest, TwoGamesHearingEachOtherLateReachTheStatesOfTheMatchPlayedStraight) {
  const char* run = builtRunFolder();
  if (!run) GTEST_SKIP() << "the game's data is not built";
  const ScopedWorkingDirectory inside(run);
  settings = Settings::defaults();
  std::unique_ptr<NetSession> host = NetSession::host(NetAddress{"127.0.0.1", 0});
  ASSERT_TRUE(host);
  std::unique_ptr<NetSession> joiner = NetSession::join(NetAddress{"127.0.0.1", host->localPort()});
  ASSERT_TRUE(joiner);
  for (int i = 0; i < 1000 && host->phase() != NetPhase::Greeted; ++i) host->pump(1), joiner->pump(1);
  ASSERT_EQ(host->phase(), NetPhase::Greeted);
  const MatchSetup setup = twoPeople();
  host->offer(NetSetup{false, 1, 1, setup.slots, 7, 0, 0x2, 40}, 0);
  for (int i = 0; i < 1000 && joiner->phase() != NetPhase::Ready; ++i) host->pump(1), joiner->pump(1);
  ASSERT_EQ(joiner->phase(), NetPhase::Ready);
  EXPECT_EQ(joiner->setup().inputDelay, kRollbackInputDelay);

  const auto hostMatch = build(setup, 7);
  const auto joinerMatch = build(setup, 7);
  NetRollback hostPlay(*host, *hostMatch);
  NetRollback joinerPlay(*joiner, *joinerMatch);
  std::vector<PlayedStep> played;
  // The joiner hears the host (and speaks to it) only every fourth round.
  // Both compare the hash of their certain states every second of play: a
  // state that differs ends the session.
  for (int round = 0; round < 8'000 && !hostPlay.overForCertain(); ++round) {
    played.clear();
    hostPlay.advance([&] { return personAt(0, host->nextLocalStep(), *hostMatch); }, played);
    played.clear();
    joinerPlay.advance([&] { return personAt(1, joiner->nextLocalStep(), *joinerMatch); }, played);
    host->pump(0);
    if (round % 4 == 0) joiner->pump(1);
  }
  ASSERT_NE(host->phase(), NetPhase::Ended) << host->endMessage();
  ASSERT_NE(joiner->phase(), NetPhase::Ended) << joiner->endMessage();
  EXPECT_GT(hostPlay.certain(), 4 * kStepsPerStateHash);
  EXPECT_GT(joinerPlay.certain(), 4 * kStepsPerStateHash);
  EXPECT_GT(hostPlay.stats().rollbacks, 0);
  EXPECT_LE(hostPlay.stats().deepest, kMaxPredictedSteps);

  // Straight, from the commands both played: the very same match.
  const auto straight = build(setup, 7);
  while (straight->stepsTaken() < hostPlay.certain()) {
    const int64_t step = straight->stepsTaken();
    StepInput input;
    if (step >= kRollbackInputDelay) {
      input = personAt(0, step, *straight);
      const StepInput other = personAt(1, step, *straight);
      input.slots[1] = other.slots[1];
      input.matchKeys |= other.matchKeys;
    }
    straight->step(input);
  }
  MatchSnapshot straightState;
  straight->save(straightState);
  EXPECT_EQ(straightState.bytes, hostPlay.certainState().bytes);
}

TEST(NetPresentationTest, ACorrectedStepIsHeardOnceWhatItNoLongerHasStopsAndItsCameraWaitsUntilCertain) {
  const char* run = builtRunFolder();
  if (!run) GTEST_SKIP() << "the game's data is not built";
  const ScopedWorkingDirectory inside(run);
  settings = Settings::defaults();
  const auto match = build(twoPeople(), 7);
  MatchPresentation presentation;
  presentation.attach(*match);
  const auto heard = std::make_shared<RecordingSound>();
  const std::shared_ptr<SoundOutput> previous = setSoundOutput(heard);
  const auto sound = [](int32_t index) { return PlayEvent{PlayEventKind::Sound, index, {}, 0}; };
  const auto step = [](int64_t number, std::vector<PlayEvent> events, bool again) {
    return PlayedStep{StepOutcome{number, std::move(events), {}}, StepInput{}, again};
  };
  const struct {
    const char* what;
    PlayedStep given;
    std::vector<size_t> heard;
    std::vector<std::pair<int32_t, size_t>> stopped;
  } steps[] = {
      {"first played", step(10, {sound(3)}, false), {3}, {}},
      {"played again alike", step(10, {sound(3)}, true), {3}, {}},
      {"corrected: another sound", step(10, {sound(4)}, true), {3, 4}, {{1, 3}}},
      {"corrected: none", step(10, {}, true), {3, 4}, {{1, 3}, {2, 4}}},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.what);
    presentation.carryOutPlayed(s.given, *match);
    EXPECT_EQ(heard->played, s.heard);
    EXPECT_EQ(heard->stopped, s.stopped);
  }
  const std::string before = match->scene()->camera()->name();
  presentation.carryOutPlayed(step(11, {PlayEvent{PlayEventKind::Camera, kNoSide, kFixedCameraName, 0}}, false),
                              *match);
  presentation.carryOutCertain(10, *match);
  EXPECT_EQ(match->scene()->camera()->name(), before);
  presentation.carryOutCertain(11, *match);
  EXPECT_EQ(match->scene()->camera()->name(), kFixedCameraName);
  setSoundOutput(previous);
}

}  // namespace
