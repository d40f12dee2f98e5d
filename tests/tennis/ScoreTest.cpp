// The score rules and the scoreboard's layout, without a display: points,
// deuce and advantage, games, sets, the tie-break and the match with the
// codes the match flow acts on; a finished five-set match asked again; the
// flip of the numbers on fixed 16 ms steps; the rounded panel's shape.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Font.h"
#include "engine/TextureFactory.h"
#include "tennis/MatchScore.h"
#include "tennis/RoundedPanel.h"

namespace {

class FakePlayer : public ScoreboardPlayer {
 public:
  FakePlayer(std::string name, std::shared_ptr<Texture> icon) : name(std::move(name)), icon(std::move(icon)) {}
  std::shared_ptr<Texture> scoreboardIcon() const override { return icon; }
  std::string scoreboardName() const override { return name; }
  std::vector<std::shared_ptr<ScoreboardPlayer>> scoreboardPartners() const override {
    std::vector<std::shared_ptr<ScoreboardPlayer>> live;
    for (const auto& partner : partners) live.push_back(partner.lock());
    return live;
  }

  std::string name;
  std::shared_ptr<Texture> icon;
  std::vector<std::weak_ptr<ScoreboardPlayer>> partners;
};

// A font with an image name and no glyphs: the layout never needs glyphs.
std::shared_ptr<Font> quietFont() {
  std::istringstream file(std::string("toon.tga\0\0\0\0\0", 13));
  return std::make_shared<Font>(file, "fonts/toon.fnz", 0.0f, std::make_shared<RecordingTextureFactory>());
}

class ScoreTest : public ::testing::Test {
 protected:
  void start(int32_t setsInMatch, int32_t gamesInSet, bool doubles = false) {
    score = std::make_unique<MatchScore>(left, right, doubles, setsInMatch, gamesInSet, quietFont());
  }
  void SetUp() override { start(3, 6); }

  // The point goes to side A ('A') or side B ('B').
  int32_t pointFor(char side) { return score->pointLostBy(side == 'A' ? kSideB : kSideA); }
  int32_t points(const std::string& sides) {
    int32_t code = kPointPlayed;
    for (char side : sides) code = pointFor(side);
    return code;
  }
  // Four straight points, then the points cleared as the match does after
  // a game. Returns the code of the game's last point.
  int32_t game(char side) {
    const int32_t code = points(std::string(4, side));
    score->clearPoints();
    return code;
  }
  std::vector<int32_t> games(const std::string& sides) {
    std::vector<int32_t> codes;
    for (char side : sides) codes.push_back(game(side));
    return codes;
  }

  static std::vector<std::string> texts(const std::vector<ScoreboardItem>& items) {
    std::vector<std::string> out;
    for (const auto& item : items) {
      if (!item.icon) out.push_back(item.text);
    }
    return out;
  }
  // The two numbers of the score line, A's then B's.
  std::pair<ScoreboardItem, ScoreboardItem> numbers() const {
    std::vector<ScoreboardItem> numbers;
    for (const auto& item : score->scoreLine(kScoreLineX, kScoreLineY)) {
      if (!item.icon && item.text != "-") numbers.push_back(item);
    }
    EXPECT_EQ(numbers.size(), 2u);
    numbers.resize(2);
    return {numbers[0], numbers[1]};
  }

  std::shared_ptr<Texture> iconA = Texture::undecoded("A/Icon.bmp", 64, 64);
  std::shared_ptr<Texture> iconB = Texture::undecoded("B/Icon.bmp", 64, 64);
  std::shared_ptr<FakePlayer> left = std::make_shared<FakePlayer>("Doredu", iconA);
  std::shared_ptr<FakePlayer> right = std::make_shared<FakePlayer>("Revirade", iconB);
  std::unique_ptr<MatchScore> score;
};

// --- Points, deuce and advantage ---

TEST_F(ScoreTest, PointsClimbFifteenThirtyFortyThenTheGame) {
  EXPECT_EQ(pointFor('A'), kPointPlayed);
  EXPECT_EQ(score->sideA().points, 15);
  EXPECT_EQ(pointFor('A'), kPointPlayed);
  EXPECT_EQ(score->sideA().points, 30);
  EXPECT_EQ(pointFor('A'), kPointPlayed);
  EXPECT_EQ(score->sideA().points, 40);
  EXPECT_EQ(score->sideB().points, 0);
  EXPECT_EQ(pointFor('A'), kGameWon);
  EXPECT_EQ(score->sideA().games[0], 1);
  EXPECT_EQ(score->sideB().games[0], 0);
}

TEST_F(ScoreTest, ThePointArgumentNamesTheLoser) {
  score->pointLostBy(kSideA);
  EXPECT_EQ(score->sideB().points, 15);
  EXPECT_EQ(score->sideA().points, 0);
  // Anything else adds nothing.
  EXPECT_EQ(score->pointLostBy(2), kPointPlayed);
  EXPECT_EQ(score->pointLostBy(-1), kPointPlayed);
  EXPECT_EQ(score->sideA().points, 0);
  EXPECT_EQ(score->sideB().points, 15);
}

TEST_F(ScoreTest, FortyAgainstThirtyWinsWithTheNextPoint) {
  points("AAABB");
  EXPECT_EQ(pointFor('A'), kGameWon);
  score->clearPoints();
  points("BBBAA");
  EXPECT_EQ(pointFor('B'), -kGameWon);
  EXPECT_EQ(score->sideB().games[0], 1);
}

TEST_F(ScoreTest, DeuceAndAdvantageGoBackAndForth) {
  EXPECT_EQ(points("AAABBB"), kPointPlayed);
  EXPECT_EQ(texts(score->scoreLine(512, 384)), std::vector<std::string>{"DEUCE"});

  EXPECT_EQ(pointFor('A'), kPointPlayed);
  EXPECT_EQ(score->sideA().points, 50);
  EXPECT_EQ(numbers().first.text, "ADV");
  EXPECT_EQ(numbers().second.text, "40");

  EXPECT_EQ(pointFor('B'), kPointPlayed);
  EXPECT_EQ(score->sideA().points, 40);
  EXPECT_EQ(score->sideB().points, 40);
  const auto deuce = score->scoreLine(512, 384);
  ASSERT_EQ(deuce.size(), 1u);  // no icons, no numbers
  EXPECT_EQ(deuce[0].text, "DEUCE");
  EXPECT_EQ(deuce[0].scale, 2.0f);

  EXPECT_EQ(pointFor('B'), kPointPlayed);
  EXPECT_EQ(numbers().second.text, "ADV");
  EXPECT_EQ(pointFor('A'), kPointPlayed);  // deuce again
  EXPECT_EQ(pointFor('B'), kPointPlayed);
  EXPECT_EQ(pointFor('B'), -kGameWon);
  EXPECT_EQ(score->sideB().games[0], 1);
  EXPECT_EQ(score->sideA().games[0], 0);
}

// --- Games and sets, six games a set ---

TEST_F(ScoreTest, SixFourWinsTheSetSixFiveDoesNot) {
  start(5, 6);
  EXPECT_EQ(games("AAAAABBB").back(), -kGameWon);  // 5-3
  EXPECT_EQ(game('B'), -kGameWon);                 // 5-4
  EXPECT_EQ(game('A'), kSetWon);                   // 6-4
  EXPECT_EQ(score->sideA().games[0], 6);
  EXPECT_EQ(score->sideA().sets, 1);
  EXPECT_EQ(score->currentSet(), 1);

  EXPECT_EQ(games("AAAAABBBBB").back(), -kGameWon);  // 5-5
  EXPECT_EQ(game('A'), kGameWon);                     // 6-5
  EXPECT_EQ(game('A'), kSetWon);                      // 7-5
  EXPECT_EQ(score->sideA().games[1], 7);
  EXPECT_EQ(score->sideB().games[1], 5);
}

TEST_F(ScoreTest, SevenSixDoesNotWinTheSetEightSixDoes) {
  games("AAAAABBBBBAB");  // 6-6
  EXPECT_EQ(score->sideA().mode, ScoreMode::Ordinary);
  EXPECT_EQ(game('B'), -kGameWon);  // 6-7
  EXPECT_EQ(game('B'), -kSetWon);   // 6-8
  EXPECT_EQ(score->sideB().games[0], 8);
  EXPECT_EQ(score->sideB().sets, 1);
  EXPECT_EQ(score->sideA().sets, 0);
}

TEST_F(ScoreTest, WinningASetStartsTheNextOneAtLove) {
  games("AAAAA");
  points("BB");
  EXPECT_EQ(game('A'), kSetWon);
  EXPECT_EQ(score->sideA().points, 0);
  EXPECT_EQ(score->sideB().points, 0);
  EXPECT_EQ(score->sideA().games[1], 0);
  EXPECT_EQ(game('B'), -kGameWon);
  EXPECT_EQ(score->sideB().games[1], 1);
  EXPECT_EQ(score->sideB().games[0], 0);
}

// --- The tie-break ---

TEST_F(ScoreTest, TheTieBreakStartsOneGamePastTheSetLength) {
  games("AAAAABBBBBAB");              // 6-6: no tie-break yet
  EXPECT_EQ(game('A'), kGameWon);     // 7-6
  EXPECT_EQ(game('B'), kTieBreakStarts);  // 7-7
  EXPECT_EQ(score->sideA().mode, ScoreMode::TieBreak);
  EXPECT_EQ(score->sideB().mode, ScoreMode::TieBreak);
  EXPECT_EQ(score->sideA().points, 0);
  EXPECT_EQ(score->sideB().points, 0);
}

TEST_F(ScoreTest, ATieBreakCountsOneByOneAndShowsSixAsSix) {
  games("AAAAABBBBBABAB");
  for (int32_t n = 1; n <= 5; ++n) {
    EXPECT_EQ(pointFor('A'), kPointPlayed);
    EXPECT_EQ(score->sideA().value(), n);
  }
  EXPECT_EQ(pointFor('A'), kPointPlayed);
  EXPECT_EQ(score->sideA().points, 40);
  EXPECT_EQ(score->sideA().value(), 6);
  EXPECT_EQ(numbers().first.text, "6");
  points("BBBBBB");  // 6-6
  EXPECT_EQ(texts(score->scoreLine(512, 384)), (std::vector<std::string>{"6", "-", "6"}));
}

TEST_F(ScoreTest, FromSixAllTheNextTieBreakPointTakesTheSet) {
  games("AAAAABBBBBABAB");
  points("AAAAAABBBBBB");
  EXPECT_EQ(pointFor('B'), -kSetWon);
  EXPECT_EQ(score->sideB().games[0], 8);
  EXPECT_EQ(score->sideA().games[0], 7);
  EXPECT_EQ(score->sideA().mode, ScoreMode::Ordinary);
  EXPECT_EQ(score->sideB().mode, ScoreMode::Ordinary);
  EXPECT_EQ(score->sideB().points, 0);
  EXPECT_EQ(score->currentSet(), 1);
}

TEST_F(ScoreTest, SevenPointsTwoClearWinTheTieBreakSixPointsDoNot) {
  games("AAAAABBBBBABAB");
  EXPECT_EQ(points("AAAAABBBBB"), kPointPlayed);  // 5-5
  EXPECT_EQ(pointFor('A'), kPointPlayed);         // 6-5
  EXPECT_EQ(pointFor('A'), kSetWon);              // 7-5
  EXPECT_EQ(score->sideA().sets, 1);

  games("BBBBBAAAAABABA");
  EXPECT_EQ(points("BBBBBB"), kPointPlayed);  // 0-6
  EXPECT_EQ(pointFor('B'), -kSetWon);         // 0-7
}

TEST_F(ScoreTest, WithTwoGamesASetTheTieBreakComesAtThreeAll) {
  start(3, 2);
  EXPECT_EQ(games("AB"), (std::vector<int32_t>{kGameWon, -kGameWon}));  // 1-1
  EXPECT_EQ(game('A'), kGameWon);                                        // 2-1
  EXPECT_EQ(game('B'), -kGameWon);                                       // 2-2
  EXPECT_EQ(game('B'), -kGameWon);                                       // 2-3
  EXPECT_EQ(game('A'), kTieBreakStarts);                                 // 3-3
  EXPECT_EQ(points("AAAAAA"), kPointPlayed);
  EXPECT_EQ(pointFor('A'), kSetWon);
  EXPECT_EQ(score->sideA().games[0], 4);
  EXPECT_EQ(score->sideB().games[0], 3);
}

// --- The match ---

TEST_F(ScoreTest, OneSetOfTwoGamesIsDecidedByTheFirstSet) {
  start(1, 2);
  EXPECT_EQ(game('B'), -kGameWon);
  EXPECT_EQ(game('B'), -kMatchWon);
  EXPECT_TRUE(score->matchOver());
  EXPECT_EQ(score->sideB().sets, 1);
}

TEST_F(ScoreTest, ThreeSetsEndWithTheSecondSetWon) {
  start(3, 2);
  EXPECT_EQ(games("AA"), (std::vector<int32_t>{kGameWon, kSetWon}));
  EXPECT_FALSE(score->matchOver());
  EXPECT_EQ(games("BB").back(), -kSetWon);
  EXPECT_EQ(games("AA").back(), kMatchWon);
  EXPECT_EQ(score->sideA().sets, 2);
}

TEST_F(ScoreTest, AFinishedFiveSetMatchStaysAsItEndedWhateverIsAskedAfter) {
  start(5, 2);
  // A wins sets 1, 3 and 5; B sets 2 and 4 (the last after a tie-break).
  // Two sets each are not yet the match; the third is.
  EXPECT_EQ(games("AA").back(), kSetWon);
  EXPECT_EQ(games("BAB").back(), -kGameWon);  // 2-1 is not enough
  EXPECT_EQ(game('B'), -kSetWon);
  EXPECT_EQ(games("ABAA").back(), kSetWon);
  EXPECT_EQ(games("ABBABA").back(), kTieBreakStarts);
  EXPECT_EQ(points("BBBBBBB"), -kSetWon);
  EXPECT_EQ(games("BAA").back(), kGameWon);
  EXPECT_EQ(game('A'), kMatchWon);
  ASSERT_TRUE(score->matchOver());
  EXPECT_EQ(score->currentSet(), 5);

  const std::vector<int32_t> aGames = {2, 1, 3, 3, 3};
  const std::vector<int32_t> bGames = {0, 3, 1, 4, 1};
  const auto checkFinalScore = [&] {
    for (int set = 0; set < kMaxSets; ++set) {
      EXPECT_EQ(score->sideA().games[static_cast<size_t>(set)], aGames[static_cast<size_t>(set)]) << set;
      EXPECT_EQ(score->sideB().games[static_cast<size_t>(set)], bGames[static_cast<size_t>(set)]) << set;
    }
    EXPECT_EQ(score->sideA().sets, 3);
    EXPECT_EQ(score->sideB().sets, 2);
  };
  checkFinalScore();

  // More rallies after the end change nothing.
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(score->pointLostBy(i % 2), kPointPlayed);
  }
  checkFinalScore();
  EXPECT_EQ(score->sideA().points, 0);

  // The final table: names, then the games of each set in its column.
  score->setShowTable(true);
  const auto table = score->table(kTableX, kTableY);
  ASSERT_EQ(table.size(), 12u);
  EXPECT_EQ(table[0].text, "Doredu");
  EXPECT_EQ(table[1].text, "Revirade");
  for (int set = 0; set < kMaxSets; ++set) {
    EXPECT_EQ(table[static_cast<size_t>(2 + 2 * set)].text, std::to_string(aGames[static_cast<size_t>(set)]));
    EXPECT_EQ(table[static_cast<size_t>(3 + 2 * set)].text, std::to_string(bGames[static_cast<size_t>(set)]));
  }
  // The score line, as on the pause screen after the match: the sets.
  score->setTimerMs(0);
  EXPECT_EQ(texts(score->scoreLine(512, 270)), (std::vector<std::string>{"3", "-", "2"}));
  score->changeEnds();
  EXPECT_EQ(texts(score->scoreLine(512, 270)), (std::vector<std::string>{"2", "-", "3"}));
  score->clearPoints();
  for (int i = 0; i < 3; ++i) score->update(16);
  EXPECT_EQ(score->sideB().sets, 3);
}

// --- Changing ends ---

TEST_F(ScoreTest, ChangingEndsMovesEachScoreWithItsPlayers) {
  games("AA");
  points("BBBA");  // 15-40, shown before the last point as 0-40
  EXPECT_EQ(score->shownA(), 0);
  EXPECT_EQ(score->shownB(), 40);
  score->changeEnds();
  EXPECT_EQ(score->sideA().player.lock(), right);
  EXPECT_EQ(score->sideB().player.lock(), left);
  EXPECT_EQ(score->sideB().games[0], 2);
  EXPECT_EQ(score->sideB().points, 15);
  EXPECT_EQ(score->sideA().points, 40);
  EXPECT_EQ(score->shownA(), 40);  // the flip values follow too
  EXPECT_EQ(score->shownB(), 0);
  EXPECT_EQ(pointFor('A'), kGameWon);
  score->clearPoints();
  EXPECT_EQ(score->sideA().games[0], 1);
  // The left side is now the one that had one game.
  EXPECT_EQ(pointFor('A'), kPointPlayed);
  EXPECT_EQ(score->sideA().points, 15);
  EXPECT_EQ(score->sideA().player.lock(), right);
}

// --- The score line and the table ---

TEST_F(ScoreTest, TheScoreLinePutsIconsAndNumbersAroundItsCentre) {
  auto partner = std::make_shared<FakePlayer>("Roveriru", Texture::undecoded("C/Icon.bmp"));
  left->partners.push_back(partner);
  start(3, 6, true);
  pointFor('A');
  const auto items = score->scoreLine(512, 270);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[0].icon, iconA);
  EXPECT_FLOAT_EQ(items[0].x, 342);
  EXPECT_EQ(items[1].icon, partner->icon);
  EXPECT_FLOAT_EQ(items[1].x, 232);
  EXPECT_EQ(items[2].icon, iconB);
  EXPECT_FLOAT_EQ(items[2].x, 682);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FLOAT_EQ(items[static_cast<size_t>(i)].scale, 1.5f);
    EXPECT_FLOAT_EQ(items[static_cast<size_t>(i)].y, 270);
  }
  EXPECT_FLOAT_EQ(items[3].x, 442);
  EXPECT_EQ(items[4].text, "-");
  EXPECT_FLOAT_EQ(items[4].x, 512);
  EXPECT_FLOAT_EQ(items[5].x, 582);
  for (int i = 3; i < 6; ++i) EXPECT_FLOAT_EQ(items[static_cast<size_t>(i)].scale, 2.0f);
  EXPECT_FLOAT_EQ(score->scorePanel().width(), 700);
}

TEST_F(ScoreTest, TheTableRowsAndColumnsSitAroundItsCentre) {
  const auto items = score->table(512, 100);
  ASSERT_EQ(items.size(), 12u);
  EXPECT_FLOAT_EQ(items[0].x, 382);
  EXPECT_FLOAT_EQ(items[0].y, 75);  // side A below
  EXPECT_FLOAT_EQ(items[1].y, 125);
  EXPECT_FLOAT_EQ(items[2].x, 532);
  EXPECT_FLOAT_EQ(items[2].y, 75);
  EXPECT_FLOAT_EQ(items[11].x, 512 + 47 * 4 + 20);
  EXPECT_FLOAT_EQ(items[11].y, 125);
  EXPECT_FLOAT_EQ(score->tablePanel().width(), 470);
  EXPECT_FLOAT_EQ(score->tablePanel().centreY(), 100);
  EXPECT_FLOAT_EQ(score->scorePanel().width(), 512);
  EXPECT_FLOAT_EQ(score->scorePanel().centreY(), 384);
}

TEST_F(ScoreTest, PlayersThatAreGoneLeaveTheBoardWithoutIconsOrNames) {
  left.reset();
  right.reset();
  pointFor('B');
  EXPECT_EQ(score->scoreLine(512, 384).size(), 3u);
  EXPECT_EQ(score->table(512, 100).size(), 10u);
}

// --- The flip ---

TEST_F(ScoreTest, TheChangedNumberTipsAwayAndTheNewOneTipsBackOnFixedSteps) {
  pointFor('A');  // 0-0 to 15-0
  score->setTimerMs(2000);
  const auto after = [this](int steps) {
    for (int i = 0; i < steps; ++i) score->update(16);
    return numbers();
  };
  auto shown = after(25);  // 1600 ms left: the old number, still flat
  EXPECT_EQ(shown.first.text, "0");
  EXPECT_FLOAT_EQ(shown.first.flipDegrees, 0);
  shown = after(25);  // 1200: half way out
  EXPECT_EQ(shown.first.text, "0");
  EXPECT_NEAR(shown.first.flipDegrees, 45, 1e-3);
  shown = after(12);  // 1008: nearly edge-on
  EXPECT_EQ(shown.first.text, "0");
  EXPECT_NEAR(shown.first.flipDegrees, 88.2, 1e-3);
  shown = after(1);  // 992: the new number, edge-on
  EXPECT_EQ(shown.first.text, "15");
  EXPECT_NEAR(shown.first.flipDegrees, 88.2, 1e-3);
  shown = after(12);  // 800: half way back
  EXPECT_NEAR(shown.first.flipDegrees, 45, 1e-3);
  shown = after(13);  // 592: flat again
  EXPECT_EQ(shown.first.text, "15");
  EXPECT_FLOAT_EQ(shown.first.flipDegrees, 0);
  // The swap falls exactly on 1000 ms, and the turn starts at 1400.
  score->setTimerMs(1001);
  EXPECT_EQ(numbers().first.text, "0");
  score->setTimerMs(1000);
  EXPECT_EQ(numbers().first.text, "15");
  EXPECT_NEAR(numbers().first.flipDegrees, 90, 1e-3);
  score->setTimerMs(1401);
  EXPECT_FLOAT_EQ(numbers().first.flipDegrees, 0);
  score->setTimerMs(1399);
  EXPECT_NEAR(numbers().first.flipDegrees, 0.225, 1e-4);
  // The side whose number did not change never moves.
  EXPECT_EQ(shown.second.text, "0");
  EXPECT_FLOAT_EQ(shown.second.flipDegrees, 0);
}

TEST_F(ScoreTest, AfterAGameOrASetTheBoardFlipsThatCount) {
  start(3, 2);
  points("BBBB");
  score->setTimerMs(1200);
  auto shown = numbers();
  EXPECT_EQ(score->shownKind(), ShownKind::Games);
  EXPECT_EQ(shown.second.text, "0");  // the games before, tipping away
  EXPECT_GT(shown.second.flipDegrees, 0);
  EXPECT_EQ(shown.first.text, "0");
  score->setTimerMs(0);
  EXPECT_EQ(numbers().second.text, "1");

  score->clearPoints();
  points("BBBB");
  EXPECT_EQ(score->shownKind(), ShownKind::Sets);
  EXPECT_EQ(numbers().second.text, "1");
  score->setTimerMs(1500);
  EXPECT_EQ(numbers().second.text, "0");
}

TEST_F(ScoreTest, TheCountdownRunsDownAndNeverWrapsRound) {
  score->setTimerMs(20);
  score->update(16);
  EXPECT_EQ(score->timerMs(), 4);
  score->update(16);
  EXPECT_EQ(score->timerMs(), -12);
  score->setTimerMs(std::numeric_limits<int32_t>::min() + 5);
  score->update(16);
  EXPECT_EQ(score->timerMs(), std::numeric_limits<int32_t>::min());
}

// --- The rounded panel ---

double triangleArea(const PanelPoint& a, const PanelPoint& b, const PanelPoint& c) {
  return std::abs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) * 0.5;
}

TEST(RoundedPanelTest, CoversTheRectangleLessWhatTheRoundedCornersCut) {
  const RoundedPanel panel(512, 128, 0, 0, 0, 0.5f, 30, 4, 512, 384);
  const auto points = panel.triangles();
  ASSERT_EQ(points.size() % 3, 0u);
  double area = 0;
  for (size_t i = 0; i < points.size(); i += 3) {
    const double piece = triangleArea(points[i], points[i + 1], points[i + 2]);
    EXPECT_GT(piece, 0) << i;
    area += piece;
    for (size_t k = i; k < i + 3; ++k) {
      EXPECT_LE(std::abs(points[k].x), 256.0f + 1e-3f);
      EXPECT_LE(std::abs(points[k].y), 64.0f + 1e-3f);
    }
  }
  // Each corner: a 30 x 30 square replaced by four triangles of a fan.
  const double fan = 4 * 0.5 * 30 * 30 * std::sin(std::numbers::pi / 8);
  EXPECT_NEAR(area, 512.0 * 128 - 4 * (30.0 * 30 - fan), 0.5);
}

TEST(RoundedPanelTest, EachCornerFanStartsAtItsOwnQuarter) {
  const RoundedPanel panel(200, 100, 0, 0, 0, 0.5f, 30, 4, 0, 0);
  const auto points = panel.triangles();
  ASSERT_EQ(points.size(), 3u * (6 + 16));
  // After the three rectangles come the fans: corner (+x, +y) from angle 0,
  // (-x, +y) from a quarter turn, and so on.
  const PanelPoint firstEdges[4] = {{100, 20}, {-70, 50}, {-100, -20}, {70, -50}};
  for (int corner = 0; corner < 4; ++corner) {
    const PanelPoint& edge = points[18 + static_cast<size_t>(corner) * 12 + 1];
    EXPECT_NEAR(edge.x, firstEdges[corner].x, 1e-3) << corner;
    EXPECT_NEAR(edge.y, firstEdges[corner].y, 1e-3) << corner;
  }
}

TEST(RoundedPanelTest, ARadiusTooLargeForThePanelStaysInsideIt) {
  const RoundedPanel panel(100, 40, 0, 0, 0, 1, 30, 4, 0, 0);
  for (const auto& p : panel.triangles()) {
    EXPECT_LE(std::abs(p.x), 50.0f + 1e-3f);
    EXPECT_LE(std::abs(p.y), 20.0f + 1e-3f);
  }
}

}  // namespace
