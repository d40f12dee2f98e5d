// A match's phase machine frame by frame, with players that stand still and
// a ball whose reports the test sets: serves, faults, points, games, the
// change of ends and the closing ceremony. No display: the overlays run on
// recorded textures and nothing is drawn.

#include <gtest/gtest.h>

#include <sstream>

#include "app/DoublesMatch.h"
#include "app/Keyboard.h"
#include "app/Language.h"
#include "app/SinglesMatch.h"
#include "engine/OrbitCamera.h"
#include "engine/TrackingCamera.h"
#include "support/TempDirectory.h"
#include "tennis/CpuPlayer.h"

namespace {

class MatchFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    releaseAllKeys();
    std::string lines;
    for (int i = 0; i < 21; ++i) lines += "T" + std::to_string(i) + "\n";
    std::istringstream in(lines + "FALTA\nFUERA\nJUEGO\nDESEMPATE\nSET\nGANA\nGANAN\nY\n");
    readLanguage(in, "XX.data");
    parts = MatchParts{std::make_shared<Pelota>(scene), nullptr, std::make_shared<ScreenFade>(),
                       std::make_shared<TimedMessage>(textures), nullptr, scene, textures};
    scene->addObject(std::make_shared<TrackingCamera>(nullptr, "FixedCamera"));
    scene->addObject(std::make_shared<OrbitCamera>(nullptr, "FixedRotateCamera"));
  }
  void TearDown() override { releaseAllKeys(); }

  std::shared_ptr<TennisPlayer> player(const std::string& name) {
    auto made = std::make_shared<CpuPlayer>(kWalkSpeed, kHitSpeed, parts.ball, scene);
    made->setName(name);
    return made;
  }
  // The scoreboard, the message and the fade, in the order a match scene holds them.
  void addScore(const std::shared_ptr<TennisPlayer>& sideA, const std::shared_ptr<TennisPlayer>& sideB,
                bool doubles, int32_t sets, int32_t games) {
    parts.scoreboard = std::make_shared<MatchScore>(sideA, sideB, doubles, sets, games,
                                                    std::make_shared<Font>("fonts/none.fnz", 0.0f, textures));
    scene->addOverlay(parts.scoreboard);
    scene->addOverlay(parts.message);
    scene->addOverlay(parts.fader);
  }
  void startSingles(int32_t sets = 3, int32_t games = 6) {
    ana = player("Ana");
    bea = player("Bea");
    addScore(bea, ana, false, sets, games);
    match = singles = std::make_shared<SinglesMatch>(parts, ana, bea);
  }

  // One displayed frame after one fixed step.
  void frame() {
    scene->update(16);
    match->onFrame();
    scene->draw();
  }
  void runUntil(int32_t phase, int maxFrames = 2000) {
    for (int i = 0; i < maxFrames && match->phase() != phase; ++i) frame();
    ASSERT_EQ(match->phase(), phase);
  }

  void ballReports(int32_t bounces, float x, float z) {
    BallFlight flight = parts.ball->flight();
    flight.bounceCount = bounces;
    flight.lastBounce = Vector3(x, 0.0f, z);
    parts.ball->restoreFlight(flight);
  }
  // Where the server's serve lands inside and outside its box.
  void serveLandsIn() {
    const TargetBox& box = match->judge().box;
    ballReports(1, (box.xMin + box.xMax) / 2, (box.zMin + box.zMax) / 2);
  }
  void serveLandsOut() { ballReports(1, match->judge().box.xMax + 1.0f, 0.0f); }

  // The point goes to this player, whoever serves: by an ace (the serve
  // bounces in, then again) or a double fault.
  void pointTo(const std::shared_ptr<TennisPlayer>& winner) {
    if (singles->player(match->judge().servingSide) == winner) {
      serveLandsIn();
      frame();
      ballReports(2, 0.0f, 0.0f);
    } else {
      serveLandsOut();
      frame();
      runUntil(ServeInFlight);
      serveLandsOut();
    }
    frame();
    ASSERT_EQ(match->phase(), PointOver);
    frame();
  }

  std::shared_ptr<RecordingTextureFactory> textures = std::make_shared<RecordingTextureFactory>();
  TempDirectory folder;
  ScopedWorkingDirectory inside{folder.path()};
  std::shared_ptr<Scene> scene = std::make_shared<Scene>();
  MatchParts parts;
  std::shared_ptr<TennisPlayer> ana;
  std::shared_ptr<TennisPlayer> bea;
  std::shared_ptr<SinglesMatch> singles;
  std::shared_ptr<MatchState> match;
};

TEST_F(MatchFlowTest, FirstServeAfterTheIntroThenAFaultReplaysItAndASecondGivesThePointAway) {
  startSingles();
  EXPECT_TRUE(match->intro());
  runUntil(ServeInFlight);  // without an intro scene the intro ends at once, under a white fade
  EXPECT_FALSE(match->intro());
  EXPECT_EQ(bea->state(), PlayerState::Moving);
  EXPECT_EQ(parts.ball->server(), ana.get());
  EXPECT_EQ(ana->serveSideValue(), kServeCourtMinusZ);
  EXPECT_EQ(bea->serveSideValue(), kServeCourtPlusZ);
  serveLandsOut();
  frame();
  ASSERT_EQ(match->phase(), ShowingMessage);
  EXPECT_EQ(parts.message->text(), "FALTA");
  EXPECT_EQ(parts.message->countdownMs(), kMessageMs);
  runUntil(ShowingScore);
  EXPECT_EQ(parts.scoreboard->timerMs(), 0);
  frame();
  EXPECT_EQ(match->phase(), BetweenPoints);
  runUntil(ServeInFlight);
  EXPECT_EQ(match->judge().faults, 1);
  EXPECT_EQ(match->judge().serveCourt, kServeCourtMinusZ);
  EXPECT_EQ(ana->state(), PlayerState::Serving);
  EXPECT_EQ(parts.scoreboard->sideA().points, 0);
  EXPECT_EQ(parts.scoreboard->sideB().points, 0);

  serveLandsOut();
  frame();
  ASSERT_EQ(match->phase(), PointOver);
  frame();
  EXPECT_EQ(parts.scoreboard->sideA().points, 15);  // Bea, side 1
  EXPECT_EQ(parts.scoreboard->sideB().points, 0);
  EXPECT_EQ(match->scoreDelayMs(), kScoreDisplayMs);
  runUntil(ShowingScore);
  EXPECT_EQ(parts.scoreboard->timerMs(), kScoreDisplayMs);
  runUntil(ServeInFlight);
  EXPECT_EQ(match->judge().faults, 0);
  EXPECT_EQ(match->judge().serveCourt, kServeCourtPlusZ);
}

TEST_F(MatchFlowTest, GameShowsTheWinnerAndPassesTheServe) {
  startSingles();
  runUntil(ServeInFlight);
  for (int point = 0; point < 4; ++point) {
    if (point > 0) runUntil(ServeInFlight);
    pointTo(ana);
  }
  EXPECT_EQ(parts.message->text(), "Ana \n JUEGO");
  EXPECT_EQ(ana->state(), PlayerState::Won);
  EXPECT_EQ(bea->state(), PlayerState::Lost);
  EXPECT_EQ(match->gamesPlayedSoFar(), 1);
  EXPECT_EQ(singles->player(0), ana);  // ends change only after the second game
  runUntil(ServeInFlight);
  EXPECT_EQ(match->judge().servingSide, 1);
  EXPECT_EQ(match->judge().serveCourt, kServeCourtPlusZ);  // side 1 starts each game from court 2
  EXPECT_EQ(bea->state(), PlayerState::Serving);
  EXPECT_EQ(parts.scoreboard->sideB().points, 0);
}

TEST_F(MatchFlowTest, SetWonShowsTheLoserThenTheWinnerAndOnlyEnterLeavesTheFinalTable) {
  startSingles(3, 2);
  runUntil(ServeInFlight);
  for (int guard = 0; guard < 20 && match->phase() != SetLoserShown; ++guard) {
    pointTo(bea);
    if (match->phase() != SetLoserShown) runUntil(ServeInFlight);
  }
  ASSERT_EQ(match->phase(), SetLoserShown);
  EXPECT_EQ(scene->camera()->name(), "FixedCamera");
  EXPECT_EQ(bea->state(), PlayerState::Serving);  // not yet shown
  frame();  // players without clips have played them through at once
  EXPECT_EQ(match->phase(), SetWinnerShown);
  EXPECT_EQ(bea->state(), PlayerState::Won);
  frame();
  EXPECT_EQ(match->phase(), ShowingMessage);
  EXPECT_EQ(parts.message->text(), "Bea \n SET");
  EXPECT_EQ(match->gamesPlayedSoFar(), 2);
  EXPECT_EQ(singles->player(0), bea);  // ends changed
  EXPECT_EQ(match->judge().servingSide, 1);  // Ana serves again, from the other end

  runUntil(ServeInFlight);
  for (int guard = 0; guard < 20 && match->phase() != MatchWonMessage; ++guard) {
    pointTo(bea);
    if (match->phase() != MatchWonMessage) runUntil(ServeInFlight);
  }
  runUntil(FinalScore);
  for (int i = 0; i < 300; ++i) frame();
  EXPECT_EQ(match->phase(), FinalScore);  // nobody held Enter
  pressCharacterKey(kKeyEnter);
  frame();
  EXPECT_EQ(match->phase(), LeavingMatch);
}

TEST_F(MatchFlowTest, DoublesServeGoesRoundAllFourPlayersGameByGame) {
  std::array<std::shared_ptr<TennisPlayer>, 4> slots;
  for (int i = 0; i < 4; ++i) slots[i] = player(std::string(1, static_cast<char>('A' + i)));
  addScore(slots[1], slots[2], true, 3, 6);
  const auto doubles = std::make_shared<DoublesMatch>(parts, slots);
  match = doubles;
  EXPECT_EQ(match->winnerText(1), "D Y B GANAN");
  runUntil(ServeInFlight);
  EXPECT_EQ(slots[0]->state(), PlayerState::Serving);
  // The receiving pair swapped before the first point; everyone stands in their own place.
  EXPECT_EQ(doubles->side(1).first, slots[1]);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(slots[i]->playerIndex(), i);
  for (const int server : {1, 2, 3, 0}) {
    match->afterGame();
    match->setUpServe();
    EXPECT_EQ(doubles->side(match->judge().servingSide).first, slots[server]);
    EXPECT_EQ(slots[server]->state(), PlayerState::Serving);
  }
}

}  // namespace
