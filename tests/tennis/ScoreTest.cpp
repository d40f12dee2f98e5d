// The score rules with the codes the match acts on, the scoreboard's layout
// and the flip of its numbers, without a display; the rounded panel's shape.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

#include "engine/Font.h"
#include "engine/TextureFactory.h"
#include "support/TennisScene.h"
#include "tennis/MatchScore.h"
#include "tennis/RoundedPanel.h"

namespace {

class ScoreTest : public ::testing::Test {
 protected:
  void start(int32_t setsInMatch, int32_t gamesInSet, bool doubles = false) {
    // A font with an image name and no glyphs: the layout never needs glyphs.
    std::istringstream file(std::string("toon.tga\0\0\0\0\0", 13));
    auto font = std::make_shared<Font>(file, "fonts/toon.fnz", 0.0f, std::make_shared<RecordingTextureFactory>());
    score = std::make_unique<MatchScore>(left, right, doubles, setsInMatch, gamesInSet, font);
  }
  void SetUp() override { start(3, 6); }
  // One letter a rally: the side that won it, 'A' or 'B', or no side, 'x' or 'z'. The last code.
  int32_t points(const std::string& rallies) {
    int32_t code = kPointPlayed;
    for (char c : rallies) code = score->pointLostBy(c == 'A' ? kSideB : c == 'B' ? kSideA : c == 'x' ? 2 : -1);
    return code;
  }
  // Games of four straight points, each cleared afterwards as the match does.
  int32_t games(const std::string& winners) {
    int32_t code = kPointPlayed;
    for (char side : winners) {
      code = points(std::string(4, side));
      score->clearPoints();
    }
    return code;
  }
  // The texts of the score line run together: "15-0", "DEUCE".
  std::string shown() const {
    std::string line;
    for (const auto& item : score->scoreLine(kScoreLineX, kScoreLineY)) line += item.icon ? "" : item.text;
    return line;
  }
  ScoreboardItem numberA() const { return score->scoreLine(kScoreLineX, kScoreLineY).end()[-3]; }
  std::shared_ptr<FakePlayer> left = std::make_shared<FakePlayer>("Doredu", Texture::undecoded("A/Icon.bmp"));
  std::shared_ptr<FakePlayer> right = std::make_shared<FakePlayer>("Revirade", Texture::undecoded("B/Icon.bmp"));
  std::unique_ptr<MatchScore> score;
};

TEST_F(ScoreTest, PointsOfAGameWithDeuceAndAdvantage) {
  const struct { const char* rallies; int32_t code; const char* board; } cases[] = {
      {"A", kPointPlayed, "15-0"},           {"AA", kPointPlayed, "30-0"},       {"AAA", kPointPlayed, "40-0"},
      {"AAAA", kGameWon, "1-0"},             {"AAABBA", kGameWon, "1-0"},        {"BBBAAB", -kGameWon, "0-1"},
      {"ABAB", kPointPlayed, "30-30"},       {"AAABBB", kPointPlayed, "DEUCE"},  {"AAABBBA", kPointPlayed, "ADV-40"},
      {"AAABBBAB", kPointPlayed, "DEUCE"},   {"AAABBBABB", kPointPlayed, "40-ADV"},
      {"AAABBBABBB", -kGameWon, "0-1"},      {"Bxz", kPointPlayed, "0-15"},  // x, z: no side, no point
  };
  for (const auto& c : cases) {
    start(3, 6);
    EXPECT_EQ(points(c.rallies), c.code) << c.rallies;
    EXPECT_EQ(shown(), c.board) << c.rallies;
  }
}

TEST_F(ScoreTest, GamesSetsAndMatchesWithTheirCodes) {
  // The games of the first set and the sets after each run of games.
  const struct { int32_t setsInMatch, gamesInSet; const char* winners; int32_t code; const char* after; } cases[] = {
      {3, 6, "AAAAABBBBA", kSetWon, "6-4 1-0"},      {3, 6, "AAAAABBBBBA", kGameWon, "6-5 0-0"},
      {3, 6, "AAAAABBBBBAA", kSetWon, "7-5 1-0"},    {3, 6, "AAAAABBBBBABB", -kGameWon, "6-7 0-0"},
      {3, 6, "AAAAABBBBBABBB", -kSetWon, "6-8 0-1"}, {3, 6, "AAAAABBBBBABAB", kTieBreakStarts, "7-7 0-0"},
      {3, 2, "ABABBA", kTieBreakStarts, "3-3 0-0"},  {1, 2, "BB", -kMatchWon, "0-2 0-1"},
      {3, 2, "AABB", -kSetWon, "2-0 1-1"},           {3, 2, "AABBAA", kMatchWon, "2-0 2-1"},
  };
  for (const auto& c : cases) {
    start(c.setsInMatch, c.gamesInSet);
    EXPECT_EQ(games(c.winners), c.code) << c.winners;
    const TeamScore &a = score->sideA(), &b = score->sideB();
    const auto n = [](int32_t value) { return std::to_string(value); };
    EXPECT_EQ(n(a.games[0]) + "-" + n(b.games[0]) + " " + n(a.sets) + "-" + n(b.sets), c.after) << c.winners;
    EXPECT_EQ(score->matchOver(), c.code == kMatchWon || c.code == -kMatchWon) << c.winners;
  }
}

TEST_F(ScoreTest, ATieBreakCountsOneByOneAndFromSixAllTheNextPointTakesTheSet) {
  ASSERT_TRUE(games("AAAAABBBBBABAB") == kTieBreakStarts && score->sideB().mode == ScoreMode::TieBreak);  // 7-7
  for (int32_t n = 1; n <= 6; ++n) EXPECT_TRUE(points("A") == kPointPlayed && score->sideA().value() == n) << n;
  EXPECT_EQ(points("BBBBBB"), kPointPlayed);
  EXPECT_EQ(shown(), "6-6");  // no deuce in a tie-break
  EXPECT_EQ(points("A"), kSetWon);
  EXPECT_TRUE(score->sideA().games[0] == 8 && score->sideB().games[0] == 7 && score->currentSet() == 1);
  EXPECT_TRUE(score->sideA().mode == ScoreMode::Ordinary && score->sideB().mode == ScoreMode::Ordinary);
}

TEST_F(ScoreTest, AFinishedFiveSetMatchStaysAsItEndedWhateverIsAskedAfter) {
  start(5, 2);
  // A wins sets 1, 3 and 5; B sets 2 and 4, the last after a tie-break.
  EXPECT_EQ(games("AA"), kSetWon);
  EXPECT_EQ(games("BAB"), -kGameWon);  // 2-1 in a set of two games is not enough
  EXPECT_EQ(games("B"), -kSetWon);
  EXPECT_EQ(games("ABAA"), kSetWon);
  EXPECT_EQ(games("ABBABA"), kTieBreakStarts);
  EXPECT_EQ(points("BBBBBBB"), -kSetWon);
  // Changing ends moves each side's score, and the number it flips from (the sets, 2-1), with its players.
  score->changeEnds();
  EXPECT_TRUE(score->sideA().player.lock() == right && score->shownA() == 1 && score->shownB() == 2);
  score->changeEnds();
  EXPECT_EQ(games("BAA"), kGameWon);  // two sets each are not yet the match
  EXPECT_EQ(games("A"), kMatchWon);
  ASSERT_TRUE(score->matchOver() && score->currentSet() == 5);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(score->pointLostBy(i % 2), kPointPlayed);
  EXPECT_EQ(score->sideA().points, 0);
  // The score line, as on the pause screen, shows the sets; the table the names, then each set's games.
  EXPECT_EQ(shown(), "3-2");
  std::string table;
  for (const auto& item : score->table(kTableX, kTableY)) table += item.text + " ";
  EXPECT_EQ(table, "Doredu Revirade 2 0 1 3 3 1 3 4 3 1 ");
}

TEST_F(ScoreTest, IconsSitOutsideTheNumbersAroundTheCentreAndGonePlayersLeaveNothing) {
  auto partner = std::make_shared<FakePlayer>("Roveriru", Texture::undecoded("C/Icon.bmp"));
  left->partners.push_back(partner);
  const float singlesWidth = score->scorePanel().width();
  start(3, 6, true);
  EXPECT_GT(score->scorePanel().width(), singlesWidth);
  // Partner, player, number, "-" on the centre, number, player: mirrored.
  const auto items = score->scoreLine(512, 270);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_TRUE(items[0].icon == left->icon && items[1].icon == partner->icon && items[2].icon == right->icon);
  EXPECT_TRUE(items[1].x < items[0].x && items[0].x < items[3].x && items[4].x == 512);
  EXPECT_TRUE(items[3].x + items[5].x == 1024 && items[0].x + items[2].x == 1024);
  left.reset();
  right.reset();
  EXPECT_EQ(score->scoreLine(512, 384).size(), 3u);
  EXPECT_EQ(score->table(512, 100).size(), 10u);
}

TEST_F(ScoreTest, TheChangedNumberTipsAwayAndTheNewOneTipsBackOnFixedStepsOfTheCountdown) {
  // A point, a game and, in a set of two games, a set: each flips its count.
  const struct { int32_t gamesInSet; const char *gamesFirst, *rallies; ShownKind kind; const char *before, *after; }
      cases[] = {{6, "", "A", ShownKind::Points, "0", "15"},
                 {6, "", "AAAA", ShownKind::Games, "0", "1"},
                 {2, "A", "AAAA", ShownKind::Sets, "0", "1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rallies);
    start(3, c.gamesInSet);
    games(c.gamesFirst);
    points(c.rallies);
    EXPECT_EQ(score->shownKind(), c.kind);
    score->setTimerMs(2000);
    for (int32_t t = 2000; t > -100; t -= 16) {
      const ScoreboardItem a = numberA();
      // The old number until the swap, the new one from then on; flat outside the turn, never past edge-on.
      EXPECT_TRUE(a.text == (t > kFlipSwapAtMs ? c.before : c.after) && a.flipDegrees <= 90.0f) << t;
      EXPECT_EQ(a.flipDegrees > 0, t <= kFlipOutFromMs && t > kFlipInUntilMs) << t;
      score->update(16);
    }
    score->setTimerMs(kFlipSwapAtMs);
    EXPECT_TRUE(numberA().text == c.after && std::fabs(numberA().flipDegrees - 90) < 1e-3f);
  }
  // The countdown runs on below zero but never wraps round to a long display.
  score->setTimerMs(std::numeric_limits<int32_t>::min() + 5);
  score->update(16);
  EXPECT_EQ(score->timerMs(), std::numeric_limits<int32_t>::min());
}

// How many of the triangles hold (x, y) strictly inside.
int coverCount(const std::vector<PanelPoint>& p, float x, float y) {
  int count = 0;
  for (size_t i = 0; i + 2 < p.size(); i += 3) {
    int onTheLeft = 0;
    for (size_t k = 0; k < 3; ++k) {
      const PanelPoint &a = p[i + k], &b = p[i + (k + 1) % 3];
      onTheLeft += (b.x - a.x) * (y - a.y) > (b.y - a.y) * (x - a.x) ? 1 : 0;
    }
    count += onTheLeft % 3 == 0 ? 1 : 0;
  }
  return count;
}

TEST(RoundedPanelTest, TrianglesCoverTheRoundedRectangleExactlyOnce) {
  // Width, height, corner radius, segments a corner. The third radius is too
  // large and is taken as half the height; no segments cut the corners square.
  const float panels[][4] = {{512, 128, 30, 4}, {200, 100, 30, 4}, {100, 40, 30, 4}, {200, 100, 30, 0}};
  for (const auto& p : panels) {
    const auto points = RoundedPanel(p[0], p[1], 0, 0, 0, 0.5f, p[2], int32_t(p[3]), 512, 384).triangles();
    const float halfW = p[0] / 2, halfH = p[1] / 2, round = p[3] > 0 ? std::min({p[2], halfW, halfH}) : 0;
    for (float x = -halfW - 3.3f; x < halfW + 5; x += 6.7f) {
      for (float y = -halfH - 3.3f; y < halfH + 5; y += 6.1f) {
        // Between a corner fan's chords and its arc either answer is right.
        const float cornerX = std::fabs(x) - (halfW - round), cornerY = std::fabs(y) - (halfH - round);
        if (cornerX > 0 && cornerY > 0 && std::hypot(cornerX, cornerY) > 0.95f * round) continue;
        const bool outside = std::fabs(x) > halfW || std::fabs(y) > halfH;
        EXPECT_EQ(coverCount(points, x, y), outside ? 0 : 1) << p[0] << " x " << p[1] << ": " << x << ", " << y;
      }
    }
  }
}

}  // namespace
