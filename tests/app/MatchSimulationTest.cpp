// The match as a steppable simulation on the game's own data: a saved state
// restored into the same match plays on exactly as the match did; bytes that
// are not its state are refused without harm; each point is taken up a
// moment before its serve; a replay jumps from point to point; and the
// recording is read from any step on as from its start.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "app/play/ReplayPlayer.h"
#include "app/Settings.h"
#include "app/match/MatchRecording.h"
#include "app/match/MatchSimulation.h"
#include "app/match/PointStarts.h"
#include "app/menus/Language.h"
#include "engine/Random.h"
#include "engine/TextureFactory.h"
#include "support/TempDirectory.h"

namespace {

const char* builtRunFolder() {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  const bool built = run && std::filesystem::is_regular_file(std::filesystem::path(run) / "models/stadium/pista.ASZ");
  return built ? run : nullptr;
}

// Enter is held where the match waits for a person: the introduction, the table.
StepInput inputFor(const MatchSimulation& match) {
  StepInput input;
  const int32_t phase = match.state()->phase();
  if (phase == IntroPlaying || phase == FinalScore) input.matchKeys = kMatchKeyEnter;
  return input;
}

class MatchSimulationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    run = builtRunFolder();
    if (!run) GTEST_SKIP() << "the game's data is not built";
    inside = std::make_unique<ScopedWorkingDirectory>(run);
    settings = Settings::defaults();
  }

  std::unique_ptr<MatchSimulation> build(bool doubles, int32_t level = 5) {
    MatchSetup setup;
    setup.doublesFlag = doubles ? 1 : 0;
    setup.setsToPlay = 1;
    setup.gamesPerSet = 1;
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) setup.slots[slot] = {slot + 1, kKeySetCount + level};
    setRandomState(kUnseededRandomState);
    MatchMaking making{SceneDisplay::None, std::make_shared<RecordingTextureFactory>(), matchTexts(), nullptr,
                       settings.keySets, {}};
    return std::make_unique<MatchSimulation>(setup, std::move(making));
  }
  // Steps on, noting each step's input, until `until` holds or `limit` steps.
  template <typename Until>
  void play(MatchSimulation& match, MatchRecording& recording, Until until, int limit = 100'000) {
    for (int i = 0; i < limit && !until(match) && !match.isFinished(); ++i) {
      const StepInput input = inputFor(match);
      recording.append(input);
      match.step(input);
    }
  }

  const char* run = nullptr;
  std::unique_ptr<ScopedWorkingDirectory> inside;
};

// Saved in the introduction, in a rally and between points; restored after
// the match had gone on (past the introduction's end, into other points),
// the very same steps follow, hash for hash, with the same events.
TEST_F(MatchSimulationTest, ARestoredStatePlaysOnAsTheMatchDidFromThatMoment) {
  for (const bool doubles : {false, true}) {
    SCOPED_TRACE(doubles ? "doubles" : "singles");
    const auto match = build(doubles);
    MatchRecording recording;
    const auto at = [](int32_t phase) { return [phase](const MatchSimulation& m) { return m.state()->phase() == phase; }; };
    const auto rallying = [](const MatchSimulation& m) {
      return m.state()->phase() == AfterGoodBounce && m.state()->shared().ball->hitCount() >= 3;
    };
    for (const auto& moment : std::vector<std::function<bool(const MatchSimulation&)>>{
             [](const MatchSimulation& m) { return m.stepsTaken() == 40; }, rallying, at(ShowingScore)}) {
      play(*match, recording, moment);
      ASSERT_FALSE(match->isFinished());
      MatchSnapshot saved;
      match->save(saved);
      const int64_t from = match->stepsTaken();
      std::vector<uint64_t> hashes;
      std::vector<std::vector<PlayEvent>> events;
      play(*match, recording, [&](const MatchSimulation& m) { return m.stepsTaken() >= from + 700; });
      // Again from the saved state, with the same inputs.
      MatchSnapshot after;
      match->save(after);
      ASSERT_TRUE(match->restore(saved));
      EXPECT_EQ(match->stepsTaken(), from);
      RecordingCursor inputs(recording);
      inputs.seek(from);
      MatchSimulation& again = *match;
      StepInput input;
      while (again.stepsTaken() < from + 700 && inputs.next(input)) again.step(input);
      MatchSnapshot replayed;
      again.save(replayed);
      EXPECT_EQ(replayed.bytes, after.bytes);
    }
  }
}

TEST_F(MatchSimulationTest, BytesThatAreNotThisMatchsStateAreRefusedAndTheMatchStillPlays) {
  const auto singles = build(false);
  const auto doubles = build(true);
  MatchRecording recording;
  play(*singles, recording, [](const MatchSimulation& m) { return m.stepsTaken() == 2000; });
  MatchSnapshot saved;
  singles->save(saved);
  MatchSnapshot truncated{std::vector<uint8_t>(saved.bytes.begin(), saved.bytes.begin() + saved.bytes.size() / 2)};
  MatchSnapshot longer = saved;
  longer.bytes.push_back(0);
  MatchSnapshot empty;
  for (const MatchSnapshot* wrong : {&truncated, &longer, &empty}) EXPECT_FALSE(singles->restore(*wrong));
  EXPECT_FALSE(doubles->restore(saved));
  // Put back whole, it plays on.
  ASSERT_TRUE(singles->restore(saved));
  play(*singles, recording, [](const MatchSimulation& m) { return m.stepsTaken() == 2500; });
  EXPECT_EQ(singles->stepsTaken(), 2500);
}

// Each point is taken up about a second before its serve was struck, never
// before it was set up; a point decided counts its call.
TEST_F(MatchSimulationTest, EachPointIsTakenUpAMomentBeforeItsServeWasStruck) {
  const auto match = build(false);
  MatchRecording recording;
  PointStarts starts(true);
  int64_t setUpAt = -1;
  std::vector<int64_t> setUps;
  std::vector<int64_t> strikes;
  bool serving = false;
  for (int i = 0; i < 60'000 && starts.points().size() < 3; ++i) {
    const StepInput input = inputFor(*match);
    recording.append(input);
    match->step(input);
    const MatchState& state = *match->state();
    if (state.phase() == ServeInFlight && !serving && setUpAt < 0) setUpAt = match->stepsTaken();
    serving = state.phase() == ServeInFlight;
    const size_t before = starts.points().size();
    starts.afterStep(*match);
    if (starts.points().size() > before) {
      setUps.push_back(setUpAt);
      strikes.push_back(match->stepsTaken());
      setUpAt = -1;
    }
    if (state.phase() == PointOver) setUpAt = -1;
  }
  ASSERT_EQ(starts.points().size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const PlayedPoint& point = starts.points()[i];
    SCOPED_TRACE(i);
    EXPECT_GE(point.startStep, setUps[i]);
    const int64_t lead = strikes[i] - point.startStep;
    EXPECT_TRUE(lead >= kPointLeadSteps || point.startStep == setUps[i]) << lead;
    EXPECT_LT(lead, kPointLeadSteps + kServeWaitSaveSteps);
  }
  EXPECT_GT(starts.points()[1].callStep, starts.points()[1].startStep);
  ASSERT_TRUE(starts.lastDecided());
  EXPECT_EQ(starts.lastDecided(), &starts.points()[1]);
}

TEST_F(MatchSimulationTest, AReplayJumpsToTheNextPointAndBackToThisOnesStartOrTheOneBefore) {
  // The recording of a match played straight.
  const auto recorded = build(false);
  MatchRecording recording;
  recording.slots = {{{1, kKeySetCount + 5}, {2, kKeySetCount + 5}, {3, kKeySetCount + 5}, {4, kKeySetCount + 5}}};
  play(*recorded, recording, [](const MatchSimulation&) { return false; });
  ASSERT_TRUE(recorded->isFinished());

  const auto match = build(false);
  ReplayPlayer replay(recording);
  replay.afterStep(*match);
  const auto playStep = [&] {
    StepInput input;
    if (!replay.nextInput(*match, input)) return false;
    match->step(input);
    replay.afterStep(*match);
    return true;
  };
  ASSERT_TRUE(replay.jumpForward(*match, playStep));
  const int64_t first = match->stepsTaken();
  EXPECT_EQ(match->state()->shared().ball->hitCount(), 0);  // before the serve
  ASSERT_TRUE(replay.jumpForward(*match, playStep));
  const int64_t second = match->stepsTaken();
  EXPECT_GT(second, first);
  // A moment into the second point: back to its own start; at once, to the first.
  for (int i = 0; i < int(kReplayBackGraceSteps) + 10; ++i) playStep();
  ASSERT_TRUE(replay.jumpBack(*match));
  EXPECT_EQ(match->stepsTaken(), second);
  ASSERT_TRUE(replay.jumpBack(*match));
  EXPECT_EQ(match->stepsTaken(), first);
  EXPECT_FALSE(replay.jumpBack(*match));
}

TEST(RecordingCursorTest, FromAnyStepTheInputsAreThoseOfAReadingFromTheStart) {
  MatchRecording recording;
  for (int32_t run = 0; run < 5; ++run) {
    StepInput input;
    input.slots[0].held = static_cast<uint8_t>(run);
    recording.append(input, 1 + run * 3);
  }
  std::vector<uint8_t> straight;
  RecordingCursor cursor(recording);
  StepInput input;
  while (cursor.next(input)) straight.push_back(input.slots[0].held);
  ASSERT_EQ(int64_t(straight.size()), recording.stepCount());
  for (const int64_t from : {int64_t(0), int64_t(1), int64_t(4), int64_t(5), int64_t(17), recording.stepCount() - 1,
                             recording.stepCount(), recording.stepCount() + 3, int64_t(-2)}) {
    SCOPED_TRACE(from);
    cursor.seek(from);
    std::vector<uint8_t> read;
    while (cursor.next(input)) read.push_back(input.slots[0].held);
    const size_t skipped = static_cast<size_t>(std::clamp<int64_t>(from, 0, int64_t(straight.size())));
    EXPECT_EQ(read, std::vector<uint8_t>(straight.begin() + skipped, straight.end()));
  }
}

}  // namespace
