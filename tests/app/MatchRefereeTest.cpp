// The referee's judgement on its own: boxes, calls on each bounce, the order
// of serves and the reading of the score's result codes.

#include <gtest/gtest.h>

#include "app/MatchReferee.h"
#include "tennis/Court.h"
#include "tennis/MatchScore.h"

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

// Side 0 serves from court 3 (-z half) to side 1, as on a match's first point.
MatchReferee servingReferee(float halfWidth = kSinglesSideZ) {
  MatchReferee referee(halfWidth);
  referee.phase = ServeInFlight;
  referee.servingSide = 0;
  referee.serveCourt = kServeCourtMinusZ;
  referee.ballSide = 1;
  referee.recomputeBox();
  return referee;
}

// --- target boxes -------------------------------------------------------------

TEST(MatchRefereeBoxTest, ServeGoesToTheReceiversServiceBox) {
  const TargetBox fromSide0 = serveTargetBox(0, kServeCourtMinusZ);
  EXPECT_FLOAT_EQ(fromSide0.xMin, -kServiceLineX);
  EXPECT_FLOAT_EQ(fromSide0.xMax, 0.0f);
  EXPECT_FLOAT_EQ(fromSide0.zMin, 0.0f);
  EXPECT_FLOAT_EQ(fromSide0.zMax, kSinglesSideZ);

  const TargetBox fromSide1 = serveTargetBox(1, kServeCourtPlusZ);
  EXPECT_FLOAT_EQ(fromSide1.xMin, 0.0f);
  EXPECT_FLOAT_EQ(fromSide1.xMax, kServiceLineX);
  EXPECT_FLOAT_EQ(fromSide1.zMin, -kSinglesSideZ);
  EXPECT_FLOAT_EQ(fromSide1.zMax, 0.0f);
}

TEST(MatchRefereeBoxTest, ServiceBoxIsSinglesWidthInDoubles) {
  MatchReferee referee = servingReferee(kDoublesSideZ);
  EXPECT_FLOAT_EQ(referee.box.zMax, kSinglesSideZ);
  EXPECT_FALSE(referee.box.contains(-300.0f, 400.0f));
}

TEST(MatchRefereeBoxTest, RallyBoxIsTheWholeHalfAsWideAsTheGame) {
  const TargetBox half0 = rallyTargetBox(0, kDoublesSideZ);
  EXPECT_TRUE(half0.contains(1000.0f, 500.0f));
  EXPECT_FALSE(half0.contains(-1.0f, 0.0f));
  const TargetBox half1 = rallyTargetBox(1, kSinglesSideZ);
  EXPECT_TRUE(half1.contains(-1000.0f, -300.0f));
  EXPECT_FALSE(half1.contains(-1000.0f, 400.0f));
}

TEST(MatchRefereeBoxTest, ABounceExactlyOnAnyBoundaryIsOut) {
  const TargetBox box = serveTargetBox(0, kServeCourtMinusZ);
  EXPECT_TRUE(box.contains(-300.0f, 100.0f));
  EXPECT_FALSE(box.contains(-kServiceLineX, 100.0f));  // service line
  EXPECT_FALSE(box.contains(0.0f, 100.0f));            // net line
  EXPECT_FALSE(box.contains(-300.0f, 0.0f));           // centre line
  EXPECT_FALSE(box.contains(-300.0f, kSinglesSideZ));  // side line
  const TargetBox half = rallyTargetBox(0, kSinglesSideZ);
  EXPECT_FALSE(half.contains(kBaselineX, 0.0f));
  EXPECT_FALSE(half.contains(500.0f, -kSinglesSideZ));
}

// --- calls on the serve -------------------------------------------------------

TEST(MatchRefereeServeTest, GoodServeCountsAsAGoodBounceForTheReceiver) {
  MatchReferee referee = servingReferee();
  referee.faults = 1;
  EXPECT_EQ(referee.judge(bounceAt(-300.0f, 100.0f)), RefereeCall::Nothing);
  EXPECT_EQ(referee.phase, AfterGoodBounce);
  EXPECT_EQ(referee.ballSide, 0);  // the server's side hit it
  EXPECT_EQ(referee.faults, 0);
}

TEST(MatchRefereeServeTest, ServeOutsideTheBoxIsAFaultReplayedAsASecondServe) {
  MatchReferee referee = servingReferee();
  EXPECT_EQ(referee.judge(bounceAt(-300.0f, -100.0f)), RefereeCall::Fault);
  EXPECT_EQ(referee.phase, ShowingMessage);
  EXPECT_EQ(referee.faults, 1);

  const int32_t court = referee.serveCourt;
  referee.prepareServe();
  EXPECT_EQ(referee.serveCourt, court);
  EXPECT_EQ(referee.faults, 1);
  EXPECT_EQ(referee.servingSide, 0);
}

TEST(MatchRefereeServeTest, SecondFaultEndsThePointForTheReceiver) {
  MatchReferee referee = servingReferee();
  referee.judge(bounceAt(-700.0f, 100.0f));
  referee.phase = ServeInFlight;
  EXPECT_EQ(referee.judge(bounceAt(-700.0f, 100.0f)), RefereeCall::DoubleFault);
  EXPECT_EQ(referee.phase, PointOver);
  // The point goes to the side in ballSide: the receiver.
  EXPECT_EQ(referee.ballSide, 1);
}

TEST(MatchRefereeServeTest, ServeVolleyedBeforeItBouncesIsNoFault) {
  MatchReferee referee = servingReferee();
  EXPECT_EQ(referee.judge(flyingTowards(1)), RefereeCall::Nothing);
  EXPECT_EQ(referee.phase, ServeInFlight);  // still on its way to the receiver

  EXPECT_EQ(referee.judge(flyingTowards(0)), RefereeCall::Nothing);
  EXPECT_EQ(referee.phase, BallInPlay);
  EXPECT_EQ(referee.faults, 0);
  EXPECT_EQ(referee.ballSide, 0);
  EXPECT_TRUE(referee.box.contains(1000.0f, -300.0f));  // anywhere in the server's half
}

TEST(MatchRefereeServeTest, ABallNotMovingAlongXIsNoReturn) {
  MatchReferee referee = servingReferee();
  referee.judge(flyingTowards(-1));
  EXPECT_EQ(referee.phase, ServeInFlight);
}

// --- calls in a rally ---------------------------------------------------------

TEST(MatchRefereeRallyTest, HitBackMovesTheBoxToTheOtherHalf) {
  MatchReferee referee(kSinglesSideZ);
  referee.phase = BallInPlay;
  referee.ballSide = 1;
  referee.recomputeBox();
  referee.judge(flyingTowards(1));
  EXPECT_EQ(referee.ballSide, 1);
  referee.judge(flyingTowards(0));
  EXPECT_EQ(referee.ballSide, 0);
  EXPECT_EQ(referee.phase, BallInPlay);
  EXPECT_TRUE(referee.box.contains(800.0f, 0.0f));
}

TEST(MatchRefereeRallyTest, BounceOutsideTheHalfIsOutForTheOtherSide) {
  MatchReferee referee(kSinglesSideZ);
  referee.phase = BallInPlay;
  referee.ballSide = 1;
  referee.recomputeBox();
  EXPECT_EQ(referee.judge(bounceAt(-kBaselineX, 0.0f)), RefereeCall::Out);
  EXPECT_EQ(referee.phase, PointOver);
  EXPECT_EQ(referee.ballSide, 1);  // the side that did not hit it wins
}

TEST(MatchRefereeRallyTest, SecondBounceEndsThePointForTheHitter) {
  MatchReferee referee(kSinglesSideZ);
  referee.phase = BallInPlay;
  referee.ballSide = 1;
  referee.recomputeBox();
  referee.judge(bounceAt(-500.0f, 0.0f));
  ASSERT_EQ(referee.phase, AfterGoodBounce);
  EXPECT_EQ(referee.ballSide, 0);
  EXPECT_EQ(referee.judge(bounceAt(-600.0f, 0.0f, 2)), RefereeCall::SecondBounce);
  EXPECT_EQ(referee.phase, PointOver);
  EXPECT_EQ(referee.ballSide, 0);
}

TEST(MatchRefereeRallyTest, TwoBouncesSeenAtOnceStillEndThePoint) {
  MatchReferee referee = servingReferee();
  referee.judge(bounceAt(-300.0f, 100.0f, 2));
  EXPECT_EQ(referee.phase, AfterGoodBounce);
  EXPECT_EQ(referee.judge(bounceAt(-300.0f, 100.0f, 3)), RefereeCall::SecondBounce);

  MatchReferee rally(kSinglesSideZ);
  rally.phase = BallInPlay;
  rally.ballSide = 1;
  rally.recomputeBox();
  EXPECT_EQ(rally.judge(bounceAt(-2000.0f, 0.0f, 2)), RefereeCall::Out);
}

TEST(MatchRefereeRallyTest, ReturnAfterTheBounceGoesBackToPlay) {
  MatchReferee referee(kSinglesSideZ);
  referee.phase = AfterGoodBounce;
  referee.ballSide = 0;
  referee.judge(bounceAt(0.0f, 0.0f, 0));
  EXPECT_EQ(referee.phase, BallInPlay);
  EXPECT_TRUE(referee.box.contains(500.0f, 0.0f));
  EXPECT_FALSE(referee.box.contains(-500.0f, 0.0f));
}

TEST(MatchRefereeRallyTest, PhasesOutsideTheRallyAreLeftAlone) {
  MatchReferee referee(kSinglesSideZ);
  for (int32_t phase : {PointOver, ShowingMessage, FinalScore, IntroPlaying}) {
    referee.phase = phase;
    EXPECT_EQ(referee.judge(bounceAt(5000.0f, 0.0f)), RefereeCall::Nothing);
    EXPECT_EQ(referee.phase, phase);
  }
}

// --- order of serves ----------------------------------------------------------

TEST(MatchRefereeOrderTest, NewPointsAlternateTheCourts) {
  MatchReferee referee(kSinglesSideZ);
  referee.prepareServe();
  EXPECT_EQ(referee.serveCourt, kServeCourtMinusZ);
  EXPECT_EQ(referee.receiverCourt(), kServeCourtPlusZ);
  referee.prepareServe();
  EXPECT_EQ(referee.serveCourt, kServeCourtPlusZ);
  EXPECT_EQ(referee.receiverCourt(), kServeCourtMinusZ);
}

TEST(MatchRefereeOrderTest, NewGameStartsEachServerInItsFirstCourt) {
  MatchReferee referee(kSinglesSideZ);
  referee.faults = 1;
  referee.servingSide = 1;
  referee.startGame();
  EXPECT_EQ(referee.faults, 0);
  EXPECT_EQ(referee.phase, ServeInFlight);
  referee.prepareServe();
  EXPECT_EQ(referee.serveCourt, kServeCourtPlusZ);
  referee.servingSide = 0;
  referee.startGame();
  referee.prepareServe();
  EXPECT_EQ(referee.serveCourt, kServeCourtMinusZ);
}

TEST(MatchRefereeOrderTest, TieBreakPassesTheServeAfterEveryOddPoint) {
  MatchReferee referee(kSinglesSideZ);
  referee.serveCourt = kServeCourtMinusZ;
  referee.servingSide = 1;
  referee.startTieBreak();
  const int32_t servers[] = {1, 0, 0, 1, 1, 0, 0, 1};
  const int32_t courts[] = {3, 3, 2, 2, 3, 3, 2, 2};
  for (int point = 0; point < 8; ++point) {
    referee.prepareServe();
    EXPECT_EQ(referee.servingSide, servers[point]) << "point " << point + 1;
    EXPECT_EQ(referee.serveCourt, courts[point]) << "point " << point + 1;
  }
  EXPECT_EQ(referee.tieBreakPoints, 8);
}

TEST(MatchRefereeOrderTest, SecondServeInATieBreakKeepsServerAndCount) {
  MatchReferee referee(kSinglesSideZ);
  referee.startTieBreak();
  referee.prepareServe();
  referee.faults = 1;
  referee.prepareServe();
  EXPECT_EQ(referee.tieBreakPoints, 1);
  EXPECT_EQ(referee.servingSide, 0);
  EXPECT_EQ(referee.serveCourt, kServeCourtMinusZ);
}

TEST(MatchRefereeOrderTest, ALaterTieBreakStartsItsOrderAfresh) {
  MatchReferee referee(kSinglesSideZ);
  referee.startTieBreak();
  for (int point = 0; point < 5; ++point) referee.prepareServe();
  referee.tieBreak = false;
  referee.startTieBreak();
  referee.serveCourt = kServeCourtPlusZ;
  referee.prepareServe();
  EXPECT_EQ(referee.serveCourt, kServeCourtMinusZ);
  EXPECT_EQ(referee.tieBreakPoints, 1);
}

TEST(MatchRefereeOrderTest, EndsChangeAfterTheSecondGameThenEveryOtherGame) {
  EXPECT_FALSE(endsChangeAfter(1));
  EXPECT_TRUE(endsChangeAfter(2));
  EXPECT_FALSE(endsChangeAfter(3));
  EXPECT_TRUE(endsChangeAfter(4));
  EXPECT_TRUE(endsChangeAfter(6));
}

// --- result codes -------------------------------------------------------------

TEST(MatchRefereeCodeTest, PositiveCodeIsAWinForSide1) {
  const PointOutcome game = readPointCode(kGameWon);
  EXPECT_EQ(game.winner, 1);
  EXPECT_EQ(game.loser, 0);
  EXPECT_EQ(game.kind, kGameWon);
  const PointOutcome set = readPointCode(-kSetWon);
  EXPECT_EQ(set.winner, 0);
  EXPECT_EQ(set.loser, 1);
  EXPECT_EQ(set.kind, kSetWon);
}

TEST(MatchRefereeCodeTest, PointAndTieBreakCodesKeepTheirKind) {
  EXPECT_EQ(readPointCode(kPointPlayed).kind, kPointPlayed);
  EXPECT_EQ(readPointCode(kTieBreakStarts).kind, kTieBreakStarts);
  EXPECT_EQ(readPointCode(-kMatchWon).kind, kMatchWon);
}

}  // namespace
