// The referee's judgement on its own: boxes, calls on each bounce and the
// order of serves.

#include <gtest/gtest.h>

#include <vector>

#include "app/MatchReferee.h"
#include "tennis/Court.h"

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

}  // namespace
