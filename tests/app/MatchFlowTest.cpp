// The referee's judgement on its own (boxes, calls on each bounce, the order
// of serves), then a match's phase machine frame by frame, with players that
// stand still and a ball whose reports the test sets: serves, faults, points,
// games, the change of ends and the closing ceremony. No display: the
// overlays run on recorded textures and nothing is drawn.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "app/match/DoublesMatch.h"
#include "app/input/Keyboard.h"
#include "app/menus/Language.h"
#include "app/match/MatchReferee.h"
#include "app/match/SinglesMatch.h"
#include "engine/OrbitCamera.h"
#include "engine/TrackingCamera.h"
#include "support/TempDirectory.h"
#include "tennis/Court.h"
#include "tennis/CpuPlayer.h"

namespace {

BallReading bounceAt(float x, float z, int32_t bounces = 1) {
  BallReading reading;
  reading.bounceCount = bounces;
  reading.bounceX = x;
  reading.bounceZ = z;
  return reading;
}

BallReading flyingTowards(int32_t side) {
  BallReading reading;
  reading.direction = side;
  return reading;
}

TEST(MatchRefereeTest, BouncesOnAnyBoundaryOfTheServiceBoxOrTheHalfAreOut) {
  MatchReferee doubles(kDoublesSideZ);  // its service boxes are singles width too
  doubles.phase = ServeInFlight;
  doubles.serveCourt = kServeCourtMinusZ;
  doubles.recomputeBox();
  const TargetBox serve1 = serveTargetBox(1, kServeCourtPlusZ);
  const TargetBox half0 = rallyTargetBox(0, kDoublesSideZ);
  const struct {
    const TargetBox& box;
    float x;
    float z;
    bool inside;
  } cases[] = {
      // Just inside a corner, then on the service line, the side line, the centre line and the net line.
      {doubles.box, 1 - kServiceLineX, kSinglesSideZ - 1, true}, {doubles.box, -kServiceLineX, 100, false},
      {doubles.box, -300, kSinglesSideZ, false}, {doubles.box, -300, 0, false}, {doubles.box, 0, 100, false},
      {serve1, kServiceLineX - 1, 1 - kSinglesSideZ, true}, {serve1, 300, 100, false},
      // Just inside a corner, then on the baseline and the side line.
      {half0, kBaselineX - 1, kDoublesSideZ - 1, true}, {half0, kBaselineX, 0, false},
      {half0, 500, kDoublesSideZ, false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.box.contains(c.x, c.z), c.inside) << c.x << ", " << c.z;
}

// Each case starts as a match's first point: side 0 serves from court 3 (-z
// half) to side 1, and the ball then reports one reading a frame.
TEST(MatchRefereeTest, CallsFollowThePointReadingByReading) {
  constexpr float kAnyBox = 0.0f;  // no box holds a point on the net line
  const struct {
    const char* what;
    int32_t faultsBefore;
    std::vector<BallReading> readings;
    RefereeCall call;  // on the last reading
    int32_t phase;
    int32_t ballSide;
    int32_t faults;
    float insideX;  // the box now holds (insideX, 100)
  } cases[] = {
      {"second serve in", 1, {bounceAt(-300, 100)}, RefereeCall::Nothing, AfterGoodBounce, 0, 0, -300},
      {"serve out", 0, {bounceAt(-300, -100)}, RefereeCall::Fault, ShowingMessage, 1, 1, kAnyBox},
      {"second serve out", 1, {bounceAt(-700, 100)}, RefereeCall::DoubleFault, PointOver, 1, 2, kAnyBox},
      {"call shown", 0, {bounceAt(-300, -100), bounceAt(5000, 0)}, RefereeCall::Nothing, ShowingMessage, 1, 1,
       kAnyBox},
      {"serve not moving along x", 0, {flyingTowards(-1)}, RefereeCall::Nothing, ServeInFlight, 1, 0, -300},
      {"serve volleyed", 0, {flyingTowards(0)}, RefereeCall::Nothing, BallInPlay, 0, 0, 1000},
      {"hit back", 0, {flyingTowards(0), flyingTowards(1)}, RefereeCall::Nothing, BallInPlay, 1, 0, -800},
      {"rally out", 0, {flyingTowards(0), bounceAt(kBaselineX, 0)}, RefereeCall::Out, PointOver, 0, 0, kAnyBox},
      {"rally in", 0, {flyingTowards(0), bounceAt(500, 0)}, RefereeCall::Nothing, AfterGoodBounce, 1, 0, kAnyBox},
      {"second bounce", 0, {flyingTowards(0), bounceAt(500, 0), bounceAt(600, 0, 2)}, RefereeCall::SecondBounce,
       PointOver, 1, 0, kAnyBox},
      // Two bounces between frames are judged as the first one, then end the point.
      {"serve bounces twice", 0, {bounceAt(-300, 100, 2)}, RefereeCall::Nothing, AfterGoodBounce, 0, 0, -300},
      {"serve bounces thrice", 0, {bounceAt(-300, 100, 2), bounceAt(-300, 100, 3)}, RefereeCall::SecondBounce,
       PointOver, 0, 0, -300},
      {"serve returned", 0, {bounceAt(-300, 100), bounceAt(0, 0, 0)}, RefereeCall::Nothing, BallInPlay, 0, 0, 500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MatchReferee referee(kSinglesSideZ);
    referee.phase = ServeInFlight;
    referee.serveCourt = kServeCourtMinusZ;
    referee.ballSide = 1;
    referee.faults = c.faultsBefore;
    referee.recomputeBox();
    RefereeCall call = RefereeCall::Nothing;
    for (const BallReading& reading : c.readings) call = referee.judge(reading);
    EXPECT_EQ(call, c.call);
    EXPECT_EQ(referee.phase, c.phase);
    EXPECT_EQ(referee.ballSide, c.ballSide);
    EXPECT_EQ(referee.faults, c.faults);
    if (c.insideX != kAnyBox) {
      EXPECT_TRUE(referee.box.contains(c.insideX, 100.0f));
    }
  }
}

TEST(MatchRefereeTest, TieBreakPassesTheServeAfterEveryOddPointAndASecondServeKeepsItsPlace) {
  MatchReferee referee(kSinglesSideZ);
  referee.serveCourt = kServeCourtMinusZ;
  referee.servingSide = 1;
  referee.startTieBreak();
  const int32_t servers[] = {1, 0, 0, 1, 1, 0, 0, 1};
  const int32_t courts[] = {3, 3, 2, 2, 3, 3, 2, 2};
  for (int point = 0; point < 8; ++point) {
    referee.prepareServe();
    if (point == 1) {  // a second serve keeps the server, the court and the count
      referee.faults = 1;
      referee.prepareServe();
      referee.faults = 0;
    }
    EXPECT_EQ(referee.servingSide, servers[point]) << "point " << point + 1;
    EXPECT_EQ(referee.serveCourt, courts[point]) << "point " << point + 1;
    EXPECT_EQ(referee.tieBreakPoints, point + 1);
  }

  // A later set's tie-break starts its order afresh.
  referee.tieBreak = false;
  referee.startTieBreak();
  referee.serveCourt = kServeCourtPlusZ;
  referee.prepareServe();
  EXPECT_EQ(referee.serveCourt, kServeCourtMinusZ);
  EXPECT_EQ(referee.tieBreakPoints, 1);
}

class MatchFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    releaseAllKeys();
    std::string lines;
    for (int i = 0; i < 21; ++i) lines += "T" + std::to_string(i) + "\n";
    std::istringstream in(lines + "FALTA\nFUERA\nJUEGO\nDESEMPATE\nSET\nGANA\nGANAN\nY\n");
    readLanguage(in, "XX.data");
    parts = MatchParts{std::make_shared<Pelota>(scene), nullptr, std::make_shared<ScreenFade>(),
                       std::make_shared<TimedMessage>(textures), nullptr, scene, textures, matchTexts(),
                       std::make_shared<PlayEventLog>()};
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
  void startSingles() {
    ana = player("Ana");
    bea = player("Bea");
    addScore(bea, ana, false, 3, 2);
    match = singles = std::make_shared<SinglesMatch>(parts, ana, bea);
  }

  // One fixed step and its judgement, then a displayed frame.
  void frame(const StepInput& input = {}) {
    parts.events->clear();
    scene->update(16);
    match->onStep(input);
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
  void serveLandsOut() { ballReports(1, match->judge().box.xMax + 1.0f, 0.0f); }
  // Side A's points, then side B's.
  std::pair<int32_t, int32_t> points() const {
    return {parts.scoreboard->sideA().points, parts.scoreboard->sideB().points};
  }

  // The point goes to this player, whoever serves: by an ace (the serve
  // bounces in its box, then again) or a double fault.
  void pointTo(const std::shared_ptr<TennisPlayer>& winner) {
    if (singles->player(match->judge().servingSide) == winner) {
      const TargetBox& box = match->judge().box;
      ballReports(1, (box.xMin + box.xMax) / 2, (box.zMin + box.zMax) / 2);
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
  std::shared_ptr<TennisPlayer> ana, bea;
  std::shared_ptr<SinglesMatch> singles;
  std::shared_ptr<MatchState> match;
};

// The first point goes to the receiver by a double fault, the rest of the
// match all to her: game, set (to two games) and match.
TEST_F(MatchFlowTest, AFaultReplaysTheServeASecondGivesThePointAwayThenGameSetAndMatchFollow) {
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
  EXPECT_EQ(points(), std::pair(0, 0));

  serveLandsOut();
  frame();
  ASSERT_EQ(match->phase(), PointOver);
  frame();
  EXPECT_EQ(points(), std::pair(15, 0));  // Bea's, side 1
  EXPECT_EQ(match->scoreDelayMs(), kScoreDisplayMs);
  runUntil(ShowingScore);
  EXPECT_EQ(parts.scoreboard->timerMs(), kScoreDisplayMs);
  runUntil(ServeInFlight);
  EXPECT_EQ(match->judge().faults, 0);
  EXPECT_EQ(match->judge().serveCourt, kServeCourtPlusZ);

  for (int point = 1; point < 4; ++point) {
    if (point > 1) runUntil(ServeInFlight);
    pointTo(bea);
  }
  EXPECT_EQ(parts.message->text(), "Bea \n JUEGO");
  EXPECT_EQ(bea->state(), PlayerState::Won);
  EXPECT_EQ(ana->state(), PlayerState::Lost);
  EXPECT_EQ(match->gamesPlayedSoFar(), 1);
  EXPECT_EQ(singles->player(0), ana);  // ends change only after the second game
  runUntil(ServeInFlight);
  EXPECT_EQ(match->judge().servingSide, 1);
  EXPECT_EQ(match->judge().serveCourt, kServeCourtPlusZ);  // side 1 starts each game from court 2
  EXPECT_EQ(bea->state(), PlayerState::Serving);
  EXPECT_EQ(points(), std::pair(0, 0));

  for (int guard = 0; guard < 20 && match->phase() != SetLoserShown; ++guard) {
    pointTo(bea);
    if (match->phase() != SetLoserShown) runUntil(ServeInFlight);
  }
  ASSERT_EQ(match->phase(), SetLoserShown);
  // The set's loser is framed by the fixed camera.
  EXPECT_NE(std::find(parts.events->all().begin(), parts.events->all().end(),
                      PlayEvent{PlayEventKind::Camera, ana->courtSide(), "FixedCamera"}),
            parts.events->all().end());
  EXPECT_EQ(ana->state(), PlayerState::Lost);
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
  EXPECT_EQ(parts.message->text(), "Bea GANA");
  runUntil(FinalScore);
  for (int i = 0; i < 300; ++i) frame();
  EXPECT_EQ(match->phase(), FinalScore);  // nobody held Enter
  frame({.matchKeys = kMatchKeyEnter});
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
