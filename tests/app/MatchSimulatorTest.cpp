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

TEST(MatchSimulatorTest, OneGameMatchesEndBackInTheMenusAndRepeatRallyForRally) {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  if (!run || !std::filesystem::is_regular_file(std::filesystem::path(run) / "models/stadium/pista.ASZ")) {
    GTEST_SKIP() << "the game's data is not built";
  }
  const ScopedWorkingDirectory inside(run);
  settings = Settings::defaults();
  const struct {
    int32_t level;
    bool doubles;
    bool playedTwice;
  } cases[] = {
      {5, false, true},
      // Four computers, the net players volleying each other: their strokes
      // stray more as a rally grows, so the game ends, and ends the same way again.
      {5, true, true},
      // Two level 4 players reach every ball; without the stray of a long
      // rally their first rally never ended.
      {4, false, false},
      {0, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level << (c.doubles ? " doubles" : " singles"));
    // One game: short, and still every phase from the intro to the table.
    SimulatedMatch match;
    match.doubles = c.doubles;
    match.gamesPerSet = 1;
    match.stepLimit = 200'000;
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
      match.slots[slot] = PlayerSlot{slot + 1, kKeySetCount + c.level};
    }
    std::vector<std::string> logs[2];
    SimulationResult results[2];
    for (int play = 0; play < (c.playedTwice ? 2 : 1); ++play) {
      results[play] = simulateMatch(match, [&log = logs[play]](const SimulatedRally& ended) {
        const RallyReport& r = ended.rally;
        log.push_back(r.serverName + " " + std::to_string(int(r.call)) + " " + std::to_string(r.shots) + " " +
                      r.winnerName + " " + ended.score);
      });
    }
    const SimulationResult& result = results[0];
    ASSERT_TRUE(result.finished);
    EXPECT_GE(result.points, 4);
    EXPECT_GE(result.shots, result.points);
    ASSERT_GE(logs[0].size(), static_cast<size_t>(result.points));
    // The last point wins the match for the side that won the game's last point.
    EXPECT_NE(logs[0].back().find(result.winnerName), std::string::npos);
    EXPECT_FALSE(result.loserName.empty());
    EXPECT_NE(result.winnerName, result.loserName);
    if (c.playedTwice) {
      EXPECT_EQ(logs[0], logs[1]);
      EXPECT_EQ(result.steps, results[1].steps);
    }
  }
}

}  // namespace
