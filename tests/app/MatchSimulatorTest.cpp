// Whole matches played by the simulator on the game's own data: the same
// players, options and seed give the same match rally for rally, singles and
// doubles; computers that reach every ball still finish; and a match between
// computer players gets from the main menu to its end and back.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/MatchSimulator.h"
#include "app/Settings.h"
#include "support/TempDirectory.h"

namespace {

class MatchSimulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* run = std::getenv("ZUMBOLO_RUN_DIR");
    if (!run || !std::filesystem::is_regular_file(std::filesystem::path(run) / "models/stadium/pista.ASZ")) {
      GTEST_SKIP() << "the game's data is not built";
    }
    inside = std::make_unique<ScopedWorkingDirectory>(run);
    settings = Settings::defaults();
  }

  // One game: short, and still every phase from the intro to the table.
  static SimulatedMatch oneGame(int32_t level, bool doubles = false) {
    SimulatedMatch match;
    match.doubles = doubles;
    match.gamesPerSet = 1;
    match.stepLimit = 200'000;
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
      match.slots[slot] = PlayerSlot{slot + 1, kKeySetCount + level};
    }
    return match;
  }

  static std::vector<std::string> rallyLog(const SimulatedMatch& match, SimulationResult& result) {
    std::vector<std::string> log;
    result = simulateMatch(match, [&log](const SimulatedRally& ended) {
      const RallyReport& r = ended.rally;
      log.push_back(r.serverName + " " + std::to_string(static_cast<int>(r.call)) + " " + std::to_string(r.shots) +
                    " " + r.winnerName + " " + ended.score);
    });
    return log;
  }

  // Plays the match twice from the same start: it finishes, and rally for
  // rally the same way.
  static void expectFinishedTheSameTwice(const SimulatedMatch& match) {
    SimulationResult first;
    SimulationResult second;
    const std::vector<std::string> a = rallyLog(match, first);
    const std::vector<std::string> b = rallyLog(match, second);
    ASSERT_TRUE(first.finished);
    EXPECT_GE(first.points, 4);
    EXPECT_EQ(a, b);
    EXPECT_EQ(first.steps, second.steps);
  }

  std::unique_ptr<ScopedWorkingDirectory> inside;
};

TEST_F(MatchSimulatorTest, SamePairingAndSeedGiveTheSameMatchRallyForRally) {
  expectFinishedTheSameTwice(oneGame(5));
}

TEST_F(MatchSimulatorTest, DoublesGameEndsAndRepeatsRallyForRally) {
  // Four computers, the net players volleying each other: their strokes stray
  // more as a rally grows, so the game ends, and ends the same way again.
  expectFinishedTheSameTwice(oneGame(5, true));
}

TEST_F(MatchSimulatorTest, ComputersThatReachEveryBallStillEndTheirRallies) {
  // Two level 4 players reach every ball; without the stray of a long rally
  // their first rally never ended.
  SimulationResult result;
  const std::vector<std::string> log = rallyLog(oneGame(4), result);
  ASSERT_TRUE(result.finished);
  EXPECT_GE(result.points, 4);
  EXPECT_GE(static_cast<int32_t>(log.size()), result.points);
}

TEST_F(MatchSimulatorTest, MatchGoesFromTheMenusThroughEveryPointBackToTheMenus) {
  SimulationResult result;
  const std::vector<std::string> log = rallyLog(oneGame(0), result);
  ASSERT_TRUE(result.finished);
  ASSERT_FALSE(log.empty());
  // The last point wins the match for the side that won the game's last point.
  EXPECT_NE(log.back().find(result.winnerName), std::string::npos);
  EXPECT_FALSE(result.loserName.empty());
  EXPECT_NE(result.winnerName, result.loserName);
  EXPECT_GE(result.points, 4);
  EXPECT_GE(result.shots, result.points);
}

}  // namespace
