// The ball's flight: bounces, the net, hits and their one message, and the
// predicted height crossings against the stepped flight.

#include "support/TennisScene.h"
#include "tennis/Court.h"

namespace {

// Impact speed (m/s) of a ball dropped from rest at `metres`: v = sqrt(2 g h).
double impactSpeed(double metres) { return std::sqrt(2.0 * 19.6 * (metres - 0.101)); }

}  // namespace

TEST(BallBounce, DropFromSevenMetresBouncesUntilAnArcLasts100MsOrLessThenRolls) {
  Pelota ball;
  ball.placeAt(-300, 494.9f, 20);
  ball.startFlight(-kQuarterTurn, 0.1f, 0);  // away from the net
  const double fallMs = 1000.0 * std::sqrt(2.0 * (7.07 - 0.101) / 19.6);
  EXPECT_NEAR(ball.landingMs(), fallMs, 0.05);
  step(ball, 52);  // 832 ms: still falling
  EXPECT_TRUE(ball.bounceCount() == 0 && ball.descending() == 1);
  step(ball);  // 848 ms: the bounce, 4.7 ms into the new arc
  EXPECT_EQ(ball.bounceCount(), 1);
  EXPECT_NEAR(ball.verticalSpeed(), 0.625 * impactSpeed(7.07), 1e-3);
  EXPECT_NEAR(ball.lastBounce().x, -300 - 0.1 * fallMs, 1e-2);
  // Each arc lasts 2 v / g with v shrinking by 0.625 a bounce; one of 100 ms or less ends the bouncing.
  int bounces = 1;
  for (double v = 0.625 * impactSpeed(7.07); 2000.0 * v / 19.6 > 100.0; v *= 0.625) ++bounces;
  step(ball, 350);
  const Vector3 before = ball.position();
  step(ball, 10);
  EXPECT_EQ(ball.bounceCount(), bounces);
  EXPECT_TRUE(distance(ball.position(), before + Vector3(-0.1f * 160, 0, 0)) < 1e-2f && before.y == kBallRadius);
}

TEST(BallNet, BelowItsTopTheBallIsStoppedOnItsOwnSideAndDrops) {
  // Half a step from the net, level over the step (vy = g * 8 ms), a ball meets
  // the plane x = 0 at 99.9 units; leaving from the plane itself, at its start height.
  const struct { float x, y, towardX, verticalSpeed; bool passes; } cases[] = {
      {8, 99.9f, -1, 0.1568f, false}, {-8, 99.9f, 1, 0.1568f, false}, {0, 100, -1, 0, true},
      {0, 99.9f, -1, 0, false},       {0, 50, 0, 0, true}};  // the last along the net, never across
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << " " << c.y << " towards " << c.towardX);
    Pelota ball;
    ball.placeAt(c.x, c.y, 40);
    ball.startFlight(c.towardX * kQuarterTurn, 1.0f, c.verticalSpeed);
    step(ball);
    const Vector3 stop(-c.towardX * kBallRadius, c.y, 40);
    EXPECT_EQ(ball.stoppedByNet(), !c.passes);
    EXPECT_NEAR(ball.position().x, c.passes ? c.x + 16 * c.towardX : stop.x, 1e-4f);
    EXPECT_TRUE(c.passes || distance(ball.position(), stop) < 1e-3f);
    step(ball, 20);
    EXPECT_TRUE((c.passes || ball.position().x == stop.x) && ball.position().y < c.y - 1.0f) << ball.position().x;
  }
}

TEST(BallNet, StoppedLowItStillLandsOnceOnItsOwnSide) {
  // Stopped a finger's width above the ground, or rolling into the net: the drop is shorter than
  // any bounce, and it still counts as the landing.
  for (float height : {10.0f, kBallRadius}) {
    Pelota ball;
    ball.placeAt(30, height, 40);
    ball.startFlight(-kQuarterTurn, 1.0f, 0.0f);
    step(ball, 40);
    EXPECT_TRUE(ball.stoppedByNet() && ball.bounceCount() == 1) << height;
    EXPECT_TRUE(ball.lastBounce().x == kBallRadius && ball.position().y == kBallRadius) << height;
    step(ball, 20);
    EXPECT_EQ(ball.bounceCount(), 1) << height;
  }
}

TEST(BallHit, NegativePowerIsReportedOncePerHitAndAHitThatCannotReachItsAimLetsTheBallDrop) {
  Pelota ball;
  testing::internal::CaptureStdout();
  ball.placeAt(1000, 100, 0);
  ball.hitToward(200, 100, 0, 1.5f);
  ball.placeAt(1000, 490, 0);
  ball.hitToward(900, kBallRadius, 0, 2);  // 50 ms to drop 7 m: needs a downward push
  step(ball, 3);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Pelota.cpp Golpear Hacia, con potencia negativa - Algo raro ha pasado\n");
  EXPECT_TRUE(ball.horizontalSpeed() == 2.0f && ball.position().x < 1000.0f);
  // No speed reaches an aim: the ball drops. An aim at the ball itself stays
  // a number, and so does the landing of a ball parked below its radius.
  for (float speed : {0.0f, -1.0f, NAN, INFINITY}) {
    ball.placeAt(300, 200, 50);
    ball.hitToward(-500, kBallRadius, 0, speed);
    step(ball, 10);
    const Vector3 at = ball.position();
    EXPECT_TRUE(std::hypot(at.x - 300, at.z - 50) < 1e-4f && at.y < 200.0f && ball.direction() == -1) << speed;
  }
  ball.placeAt(300, 100, 50);
  ball.hitToward(300, 100, 50, 1.5f);
  step(ball, 5);
  EXPECT_TRUE(std::isfinite(ball.heading()) && finite(ball.position()));
  ball.placeAt(-5000, 0, 0);  // where the server parks it, below the resting height
  EXPECT_TRUE(std::isfinite(ball.landingMs()));
  step(ball, 3);
  EXPECT_EQ(ball.position(), Vector3(-5000, kBallRadius, 0));
}

TEST(BallPrediction, CrossingsMatchTheSteppedFlight) {
  Pelota ball;
  ball.placeAt(1000, 150, 100);
  ball.hitToward(-700, kBallRadius, -150, 1.5f);
  step(ball, 7);  // predictions count from now, not from the hit
  Vector3 points[3];
  float times[3];
  ASSERT_EQ(ball.predictCrossings(100, points, times), 3);
  // Crossings of the stepped flight, between two steps. Before the bounce it is the formula
  // itself; after it, the new arc starts from the previous step's place, one step short at most.
  int found = 0;
  for (int i = 0; i < 1000 && found < 3; ++i) {
    const Vector3 before = ball.position();
    step(ball);
    const Vector3 after = ball.position();
    if ((before.y - 100) * (after.y - 100) >= 0) continue;
    const float k = (100 - before.y) / (after.y - before.y);
    const Vector3 crossing = lerp(before, after, k);
    EXPECT_TRUE(std::fabs(times[found] - (i + k) * kStep) < 1.0f && points[found].y == 100) << found;
    const float tolerance = found == 0 ? 0.5f : 1.5f * kStep + 0.5f;
    EXPECT_LT(std::hypot(points[found].x - crossing.x, points[found].z - crossing.z), tolerance) << found;
    ++found;
  }
  EXPECT_EQ(found, 3);
}

TEST(BallPrediction, ReboundBelowTheHeightOrAHeightAboveTheTopStillGivesNumbers) {
  Pelota ball;
  ball.placeAt(-300, 150, 0);  // 2.14 m: the rebound peaks near 0.9 m
  ball.startFlight(-kQuarterTurn, 0.5f, 0);
  const double rebound = 0.625 * impactSpeed(150 / 70.0);
  Vector3 points[3];
  float times[3];
  EXPECT_EQ(ball.predictCrossings(100, points, times), 1);
  EXPECT_TRUE(std::fabs(points[1].y - 70 * (0.101 + rebound * rebound / 39.2)) < 0.05 && points[2] == points[1]);
  EXPECT_NEAR(times[1], ball.landingMs() + 1000 * rebound / 19.6, 0.5);
  // Above the top (5 / 19.6 s up), or not a number: 0.1 units below it, coming down.
  ball.startFlight(kQuarterTurn, 1.0f, 5.0f);
  for (float h : {5000.0f, NAN}) {
    ball.predictCrossings(h, points, times);
    EXPECT_NEAR(points[0].y, 150 + 70 * 25 / 39.2 - 0.1, 1e-2) << h;
    EXPECT_NEAR(times[0], 1000 * (5 / 19.6 + std::sqrt(2 * (0.1 / 70) / 19.6)), 0.5) << h;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(finite(points[i]) && std::isfinite(times[i])) << h << " " << i;
  }
}
