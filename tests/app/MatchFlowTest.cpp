// A match's phase machine frame by frame, with players that stand still and
// a ball whose reports the test sets: serves, faults, points, games, the
// change of ends and the closing ceremony. No display: the overlays run on
// recorded textures and nothing is drawn.

#include <gtest/gtest.h>

#include <numbers>
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

constexpr float kTowardsPlusX = std::numbers::pi_v<float> / 2.0f;
constexpr float kTowardsMinusX = -std::numbers::pi_v<float> / 2.0f;

class MatchFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    releaseAllKeys();
    std::ostringstream lines;
    for (int i = 0; i < 21; ++i) lines << "T" << i << "\n";
    lines << "FALTA\nFUERA\nJUEGO\nDESEMPATE\nSET\nGANA\nGANAN\nY\n";
    std::istringstream in(lines.str());
    readLanguage(in, "XX.data");

    scene = std::make_shared<Scene>();
    parts.textures = textures;
    parts.scene = scene;
    parts.ball = std::make_shared<Pelota>(scene);
    parts.fader = std::make_shared<ScreenFade>();
    parts.message = std::make_shared<TimedMessage>(textures);
    scene->addObject(std::make_shared<TrackingCamera>(nullptr, "FixedCamera"));
    scene->addObject(std::make_shared<OrbitCamera>(nullptr, "FixedRotateCamera"));
  }
  void TearDown() override { releaseAllKeys(); }

  std::shared_ptr<TennisPlayer> player(const std::string& name) {
    auto made = std::make_shared<CpuPlayer>(kWalkSpeed, kHitSpeed, parts.ball, scene);
    made->setName(name);
    return made;
  }

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
    singles = std::make_shared<SinglesMatch>(parts, ana, bea);
    match = singles;
  }

  // One displayed frame after one fixed step.
  void frame() {
    scene->update(16);
    match->onFrame();
  }
  void runUntil(int32_t phase, int maxFrames = 2000) {
    for (int i = 0; i < maxFrames && match->phase() != phase; ++i) frame();
    ASSERT_EQ(match->phase(), phase);
  }

  void ballReports(int32_t bounces, float x, float z, float heading) {
    BallFlight flight = parts.ball->flight();
    flight.bounceCount = bounces;
    flight.lastBounce = Vector3(x, 0.0f, z);
    flight.heading = heading;
    parts.ball->restoreFlight(flight);
  }
  // Where the server's serve lands inside and outside its box.
  void serveLandsIn() {
    const TargetBox& box = match->judge().box;
    ballReports(1, (box.xMin + box.xMax) / 2, (box.zMin + box.zMax) / 2, 0.0f);
  }
  void serveLandsOut() { ballReports(1, match->judge().box.xMax + 1.0f, 0.0f, 0.0f); }

  // The server wins with an ace: the serve bounces in, then again.
  void aceByServer() {
    serveLandsIn();
    frame();
    ASSERT_EQ(match->phase(), AfterGoodBounce);
    ballReports(2, 0.0f, 0.0f, 0.0f);
    frame();
    ASSERT_EQ(match->phase(), PointOver);
  }
  void doubleFault() {
    serveLandsOut();
    frame();
    runUntil(ServeInFlight);
    serveLandsOut();
    frame();
    ASSERT_EQ(match->phase(), PointOver);
  }
  // The point goes to this player, whoever serves.
  void pointTo(const std::shared_ptr<TennisPlayer>& winner) {
    if (singles->player(match->judge().servingSide) == winner) {
      aceByServer();
    } else {
      doubleFault();
    }
    frame();
  }

  std::shared_ptr<RecordingTextureFactory> textures = std::make_shared<RecordingTextureFactory>();
  TempDirectory folder;
  ScopedWorkingDirectory inside{folder.path()};
  std::shared_ptr<Scene> scene;
  MatchParts parts;
  std::shared_ptr<TennisPlayer> ana;
  std::shared_ptr<TennisPlayer> bea;
  std::shared_ptr<SinglesMatch> singles;
  std::shared_ptr<MatchState> match;
};

// --- the opening ----------------------------------------------------------------

TEST_F(MatchFlowTest, OpensOnTheIntroductionFadingInFromBlack) {
  startSingles();
  EXPECT_EQ(match->phase(), IntroPlaying);
  EXPECT_TRUE(match->intro());
  EXPECT_FLOAT_EQ(parts.fader->alpha(), 1.0f);
  EXPECT_FLOAT_EQ(parts.fader->targetAlpha(), 0.0f);
  EXPECT_FALSE(match->isFinished());
}

TEST_F(MatchFlowTest, LeavingTheIntroWaitsForTheWhiteFadeThenServes) {
  startSingles();
  for (int i = 0; i < 70; ++i) scene->update(16);  // the picture has faded in
  ASSERT_FLOAT_EQ(parts.fader->alpha(), 0.0f);
  pressCharacterKey(kKeyEnter);
  match->onFrame();
  releaseAllKeys();
  ASSERT_EQ(match->phase(), LeavingIntro);
  EXPECT_FLOAT_EQ(parts.fader->red(), 1.0f);
  EXPECT_FLOAT_EQ(parts.fader->targetAlpha(), 1.0f);
  for (int i = 0; i < 20; ++i) frame();
  EXPECT_EQ(match->phase(), LeavingIntro);  // the fade takes a second

  runUntil(ServeInFlight);
  EXPECT_FALSE(match->intro());
  EXPECT_FLOAT_EQ(parts.fader->targetAlpha(), 0.0f);
  EXPECT_EQ(ana->state(), PlayerState::Serving);
  EXPECT_EQ(bea->state(), PlayerState::Moving);
  EXPECT_EQ(parts.ball->server(), ana.get());
  EXPECT_EQ(match->judge().serveCourt, kServeCourtMinusZ);
  EXPECT_EQ(ana->serveSideValue(), kServeCourtMinusZ);
  EXPECT_EQ(bea->serveSideValue(), kServeCourtPlusZ);
  EXPECT_EQ(match->judge().ballSide, 1);
}

// --- serves and points ----------------------------------------------------------

TEST_F(MatchFlowTest, FaultShowsItsTextAndReplaysASecondServeWithoutTheScore) {
  startSingles();
  runUntil(ServeInFlight);
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
}

TEST_F(MatchFlowTest, DoubleFaultGivesThePointToTheReceiver) {
  startSingles();
  runUntil(ServeInFlight);
  doubleFault();
  frame();
  EXPECT_EQ(parts.scoreboard->sideA().points, 15);  // Bea, side 1
  EXPECT_EQ(parts.scoreboard->sideB().points, 0);
  EXPECT_EQ(match->phase(), ShowingMessage);
  EXPECT_EQ(match->scoreDelayMs(), kScoreDisplayMs);
  runUntil(ShowingScore);
  EXPECT_EQ(parts.scoreboard->timerMs(), kScoreDisplayMs);
  runUntil(ServeInFlight);
  EXPECT_EQ(match->judge().faults, 0);
  EXPECT_EQ(match->judge().serveCourt, kServeCourtPlusZ);
}

TEST_F(MatchFlowTest, ServeReturnedBeforeItBouncesPlaysOn) {
  startSingles();
  runUntil(ServeInFlight);
  ballReports(0, 0.0f, 0.0f, kTowardsMinusX);
  frame();
  EXPECT_EQ(match->phase(), ServeInFlight);
  ballReports(0, 0.0f, 0.0f, kTowardsPlusX);
  frame();
  EXPECT_EQ(match->phase(), BallInPlay);
  EXPECT_EQ(match->judge().faults, 0);
  ballReports(1, 500.0f, 0.0f, kTowardsPlusX);
  frame();
  EXPECT_EQ(match->phase(), AfterGoodBounce);
}

TEST_F(MatchFlowTest, BallOutInARallyShowsItsTextAndScoresForTheOtherSide) {
  startSingles();
  runUntil(ServeInFlight);
  serveLandsIn();
  frame();
  ballReports(0, 0.0f, 0.0f, kTowardsPlusX);  // Bea returns it
  frame();
  ASSERT_EQ(match->phase(), BallInPlay);
  ballReports(1, kBaselineX, 0.0f, kTowardsPlusX);  // on the baseline: out
  frame();
  EXPECT_EQ(parts.message->text(), "FUERA");
  frame();
  EXPECT_EQ(parts.scoreboard->sideB().points, 15);  // Ana, side 0
}

// --- games and ends -------------------------------------------------------------

TEST_F(MatchFlowTest, GameShowsTheWinnerAndPassesTheServe) {
  startSingles();
  runUntil(ServeInFlight);
  for (int i = 0; i < 3; ++i) {
    pointTo(ana);
    runUntil(ServeInFlight);
  }
  pointTo(ana);
  EXPECT_EQ(parts.message->text(), "Ana \n JUEGO");
  EXPECT_EQ(ana->state(), PlayerState::Won);
  EXPECT_EQ(bea->state(), PlayerState::Lost);
  EXPECT_EQ(match->gamesPlayedSoFar(), 1);
  runUntil(ServeInFlight);
  EXPECT_EQ(match->judge().servingSide, 1);
  EXPECT_EQ(bea->state(), PlayerState::Serving);
  EXPECT_EQ(parts.scoreboard->sideB().points, 0);
}

TEST_F(MatchFlowTest, EndsChangeAfterTheSecondGameThenEveryOtherGame) {
  startSingles();
  match->afterGame();
  EXPECT_EQ(singles->player(0), ana);
  EXPECT_EQ(match->judge().servingSide, 1);
  match->afterGame();
  EXPECT_EQ(singles->player(0), bea);
  EXPECT_EQ(match->judge().servingSide, 1);  // Ana serves, from the other end
  match->afterGame();
  EXPECT_EQ(singles->player(0), bea);
  EXPECT_EQ(match->judge().servingSide, 0);
  match->afterGame();
  EXPECT_EQ(singles->player(0), ana);
}

// --- the end of a match -----------------------------------------------------------

TEST_F(MatchFlowTest, OneSetOfTwoGamesEndsInTheCeremonyAndHeldEnterLeaves) {
  startSingles(1, 2);
  runUntil(ServeInFlight);
  for (int guard = 0; guard < 20 && match->phase() != MatchWonMessage; ++guard) {
    pointTo(ana);
    if (match->phase() != MatchWonMessage) runUntil(ServeInFlight);
  }
  ASSERT_EQ(match->phase(), MatchWonMessage);
  EXPECT_EQ(parts.message->text(), "Ana GANA");
  EXPECT_EQ(parts.message->countdownMs(), kWinnerMessageMs);
  EXPECT_EQ(scene->camera()->name(), "FixedRotateCamera");
  EXPECT_EQ(std::dynamic_pointer_cast<TrackingCamera>(scene->camera())->targetA(), ana);
  EXPECT_EQ(ana->state(), PlayerState::Won);

  runUntil(FinalScore);
  EXPECT_TRUE(parts.scoreboard->showTable());
  for (int i = 0; i < 300; ++i) frame();
  EXPECT_EQ(match->phase(), FinalScore);  // nobody held Enter

  pressCharacterKey(kKeyEnter);
  frame();
  releaseAllKeys();
  EXPECT_EQ(match->phase(), LeavingMatch);
  EXPECT_FALSE(match->isFinished());
  runUntil(MatchFinished);
  EXPECT_TRUE(match->isFinished());
}

TEST_F(MatchFlowTest, SetWonShowsTheLoserThenTheWinner) {
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
}

// --- doubles ---------------------------------------------------------------------

class DoublesFlowTest : public MatchFlowTest {
 protected:
  void startDoubles() {
    for (int i = 0; i < 4; ++i) slots[i] = player(std::string(1, static_cast<char>('A' + i)));
    addScore(slots[1], slots[2], true, 3, 6);
    doubles = std::make_shared<DoublesMatch>(parts, slots);
    match = doubles;
  }
  std::array<std::shared_ptr<TennisPlayer>, 4> slots;
  std::shared_ptr<DoublesMatch> doubles;
};

TEST_F(DoublesFlowTest, PairsStartAsTheSlotsSayAndNamesJoinBothPartners) {
  startDoubles();
  EXPECT_EQ(doubles->side(0).first, slots[0]);
  EXPECT_EQ(doubles->side(0).second, slots[2]);
  EXPECT_EQ(doubles->side(1).first, slots[3]);
  EXPECT_EQ(doubles->side(1).second, slots[1]);
  EXPECT_EQ(match->playerName(0), "A Y C");
  EXPECT_EQ(match->winnerText(1), "D Y B GANAN");
}

TEST_F(DoublesFlowTest, ReceiversTakeTurnsAndEveryoneStandsInPlace) {
  startDoubles();
  runUntil(ServeInFlight);
  EXPECT_EQ(slots[0]->state(), PlayerState::Serving);
  EXPECT_EQ(slots[0]->playerIndex(), 0);
  EXPECT_EQ(slots[2]->playerIndex(), 2);
  // The receiving pair swapped before the first point.
  EXPECT_EQ(doubles->side(1).first, slots[1]);
  EXPECT_EQ(slots[1]->playerIndex(), 1);
  EXPECT_EQ(slots[3]->playerIndex(), 3);
  EXPECT_EQ(slots[3]->serveSideValue(), match->judge().serveCourt);
  EXPECT_EQ(slots[1]->serveSideValue(), match->judge().receiverCourt());

  match->afterGame();  // the serve passes to side 1
  match->setUpServe();
  EXPECT_EQ(match->judge().servingSide, 1);
  EXPECT_EQ(doubles->side(1).first, slots[1]);
  EXPECT_EQ(slots[1]->state(), PlayerState::Serving);
}

TEST_F(DoublesFlowTest, ServeGoesRoundAllFourPlayersGameByGame) {
  startDoubles();
  runUntil(ServeInFlight);
  std::vector<std::shared_ptr<TennisPlayer>> servers{doubles->side(match->judge().servingSide).first};
  for (int game = 0; game < 4; ++game) {
    match->afterGame();
    match->setUpServe();
    servers.push_back(doubles->side(match->judge().servingSide).first);
  }
  EXPECT_EQ(servers[0], slots[0]);
  EXPECT_EQ(servers[1], slots[1]);
  EXPECT_EQ(servers[2], slots[2]);
  EXPECT_EQ(servers[3], slots[3]);
  EXPECT_EQ(servers[4], slots[0]);
}

}  // namespace
