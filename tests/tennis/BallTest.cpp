// The ball's flight: falling and bouncing, rolling, the net, hits and their
// one message, carrying, the blur, and the prediction of height crossings
// against the stepped flight itself.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/Scene.h"
#include "engine/SceneObject.h"
#include "tennis/Court.h"
#include "tennis/Pelota.h"
#include "tennis/PlayEffects.h"

namespace {

// The game's fixed step, ms.
constexpr uint32_t kStep = 16;
constexpr float kQuarterTurn = 1.5707964f;
const char* const kNegativePowerMessage = "Pelota.cpp Golpear Hacia, con potencia negativa - Algo raro ha pasado\n";

// Steps the ball as the scene does: its tree, with the identity as parent.
void step(Pelota& ball, int steps = 1) {
  for (int i = 0; i < steps; ++i) ball.updateTree(kStep, Matrix(), 0);
}

// Impact speed (m/s) of a ball dropped from rest at `metres` onto the resting
// height, by energy: v = sqrt(2 g h).
double impactSpeed(double metres) { return std::sqrt(2.0 * 19.6 * (metres - 0.101)); }

bool finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

std::shared_ptr<Scene> makeScene() {
  testing::internal::CaptureStdout();  // no OpenGL here: the scene says so
  auto scene = std::make_shared<Scene>();
  testing::internal::GetCapturedStdout();
  return scene;
}

}  // namespace

// --- Falling, bouncing and rolling -----------------------------------------

TEST(BallBounce, DropFromSevenMetresLandsAfter843MsAndKeepsFiveEighths) {
  Pelota ball;
  ball.placeAt(0, 494.9f, 0);
  const double fallMs = 1000.0 * std::sqrt(2.0 * (7.07 - 0.101) / 19.6);
  EXPECT_NEAR(fallMs, 843.0, 0.5);
  EXPECT_NEAR(ball.landingMs(), fallMs, 0.05);

  step(ball, 52);  // 832 ms: still falling
  EXPECT_EQ(ball.bounceCount(), 0);
  EXPECT_GT(ball.position().y, kBallRadius);
  EXPECT_EQ(ball.descending(), 1);

  step(ball);  // 848 ms: the bounce
  EXPECT_EQ(ball.bounceCount(), 1);
  EXPECT_NEAR(ball.verticalSpeed(), 0.625 * impactSpeed(7.07), 1e-3);
  EXPECT_EQ(ball.lastBounce(), Vector3(0, kBallRadius, 0));
  // 4.7 ms of the new arc have passed.
  EXPECT_NEAR(ball.elapsedMs(), 848.0 - fallMs, 0.05);
  step(ball);
  EXPECT_EQ(ball.descending(), 0);
}

TEST(BallBounce, BouncesUntilAnArcLasts100MsOrLessThenRolls) {
  // Each arc lasts 2 v / g with v shrinking by 0.625 a bounce; the one that
  // ends an arc of 100 ms or less is never processed.
  int expectedBounces = 0;
  double v = impactSpeed(7.07);
  double arcMs = 1000.0 * std::sqrt(2.0 * (7.07 - 0.101) / 19.6);
  while (arcMs > 100.0) {
    ++expectedBounces;
    v *= 0.625;
    arcMs = 2000.0 * v / 19.6;
  }
  ASSERT_GE(expectedBounces, 5);

  Pelota ball;
  ball.placeAt(-300, 494.9f, 20);
  ball.startFlight(-kQuarterTurn, 0.1f, 0);  // away from the net
  step(ball, 400);
  EXPECT_EQ(ball.bounceCount(), expectedBounces);
  const Vector3 before = ball.position();
  EXPECT_FLOAT_EQ(before.y, kBallRadius);
  step(ball, 10);
  EXPECT_EQ(ball.bounceCount(), expectedBounces);
  EXPECT_FLOAT_EQ(ball.position().y, kBallRadius);
  EXPECT_NEAR(ball.position().x, before.x - 0.1f * 160, 1e-2f);
  EXPECT_NEAR(ball.position().z, 20, 1e-3f);
}

// --- The net ---------------------------------------------------------------

TEST(BallNet, CrossingAt99_9IsStoppedOnItsOwnSideAndDrops) {
  for (float side : {1.0f, -1.0f}) {
    Pelota ball;
    // Half a step from the net, level over the step (vy = g * 8 ms): it meets
    // the plane x = 0 at 99.9 units.
    ball.placeAt(side * 8, 99.9f, 40);
    ball.startFlight(-side * kQuarterTurn, 1.0f, 0.1568f);
    step(ball);
    const Vector3 p = ball.position();
    EXPECT_FLOAT_EQ(p.x, side * kBallRadius);
    EXPECT_NEAR(p.y, 99.9f, 1e-3f);
    EXPECT_NEAR(p.z, 40, 1e-3f);
    EXPECT_EQ(ball.horizontalSpeed(), 0.0f);
    EXPECT_EQ(ball.bounceCount(), 0);
    step(ball, 20);
    EXPECT_FLOAT_EQ(ball.position().x, side * kBallRadius);
    EXPECT_LT(ball.position().y, 99.0f);
  }
}

TEST(BallNet, StoppedLowItStillLandsOnceOnItsOwnSide) {
  // Stopped a finger's width above the ground, or rolling into the net: the
  // drop is shorter than any bounce, and it still counts as the landing.
  for (float height : {10.0f, kBallRadius}) {
    Pelota ball;
    ball.placeAt(30, height, 40);
    ball.startFlight(-kQuarterTurn, 1.0f, 0.0f);
    step(ball, 40);
    EXPECT_TRUE(ball.stoppedByNet()) << height;
    EXPECT_EQ(ball.bounceCount(), 1) << height;
    EXPECT_FLOAT_EQ(ball.lastBounce().x, kBallRadius) << height;
    EXPECT_FLOAT_EQ(ball.position().y, kBallRadius) << height;
    step(ball, 20);
    EXPECT_EQ(ball.bounceCount(), 1) << height;
  }
}

TEST(BallNet, AtExactly100UnitsThePlaneIsPassed) {
  for (float height : {100.0f, 99.9f}) {
    Pelota ball;
    // Leaving from the plane itself, the crossing height is the start height.
    ball.placeAt(0, height, 0);
    ball.startFlight(-kQuarterTurn, 1.0f, 0);
    step(ball);
    if (height >= kNetTopY) {
      EXPECT_NEAR(ball.position().x, -16.0f, 1e-4f);
      EXPECT_EQ(ball.horizontalSpeed(), 1.0f);
    } else {
      EXPECT_FLOAT_EQ(ball.position().x, kBallRadius);
      EXPECT_EQ(ball.horizontalSpeed(), 0.0f);
    }
  }
}

TEST(BallNet, HighShotClearsTheNetAndLowShotDiesAgainstIt) {
  Pelota high;
  high.placeAt(800, 150, 0);
  high.hitToward(-800, kBallRadius, 0, 1.5f);  // about 2.7 m over the net
  step(high, 60);
  EXPECT_LT(high.position().x, -500.0f);

  Pelota low;
  low.placeAt(800, 50, 0);
  low.hitToward(-800, kBallRadius, 0, 6.0f);  // about 0.7 m at the net
  step(low, 30);
  EXPECT_FLOAT_EQ(low.position().x, kBallRadius);
}

// --- Hits --------------------------------------------------------------------

TEST(BallHit, FlightPassesThroughTheAimPoint) {
  Pelota ball;
  ball.placeAt(1000, 150, 100);
  ball.hitToward(40, 50, 100, 1.5f);  // 960 units at 1.5 per ms: 640 ms
  EXPECT_EQ(ball.direction(), 1);
  step(ball, 40);
  EXPECT_NEAR(ball.position().x, 40, 0.05f);
  EXPECT_NEAR(ball.position().y, 50, 0.05f);
  EXPECT_NEAR(ball.position().z, 100, 0.05f);

  Pelota diagonal;
  diagonal.placeAt(-1000, 120, -200);
  diagonal.hitToward(-200, 80, 400, 1.25f);  // 1000 units: 800 ms
  EXPECT_EQ(diagonal.direction(), 0);
  step(diagonal, 50);
  EXPECT_NEAR(diagonal.position().x, -200, 0.1f);
  EXPECT_NEAR(diagonal.position().y, 80, 0.1f);
  EXPECT_NEAR(diagonal.position().z, 400, 0.1f);
}

TEST(BallHit, DirectionAfterPlaceAtIsMinusOne) {
  Pelota ball;
  EXPECT_EQ(ball.direction(), -1);
  ball.placeAt(500, 100, 0);
  ball.hitToward(-500, 7.07f, 0, 2);
  ASSERT_EQ(ball.direction(), 1);
  ball.placeAt(500, 100, 0);
  EXPECT_EQ(ball.direction(), -1);
  EXPECT_EQ(ball.bounceCount(), 0);
  EXPECT_EQ(ball.horizontalSpeed(), 0.0f);
}

TEST(BallHit, NegativePowerIsReportedOncePerHitAndTheBallFliesAnyway) {
  Pelota ball;
  testing::internal::CaptureStdout();
  ball.placeAt(1000, 490, 0);
  ball.hitToward(900, kBallRadius, 0, 2);  // 50 ms to drop 7 m: needs a downward push
  EXPECT_LT(ball.verticalSpeed(), 0.0f);
  step(ball, 3);
  ball.placeAt(1000, 490, 0);
  ball.hitToward(900, kBallRadius, 0, 2);
  step(ball, 3);
  const std::string badHits = testing::internal::GetCapturedStdout();
  EXPECT_EQ(badHits, std::string(kNegativePowerMessage) + kNegativePowerMessage);
  EXPECT_EQ(ball.horizontalSpeed(), 2.0f);
  EXPECT_LT(ball.position().x, 1000.0f);

  testing::internal::CaptureStdout();
  ball.placeAt(1000, 100, 0);
  ball.hitToward(200, 100, 0, 1.5f);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(BallHit, ZeroOrInvalidSpeedLetsTheBallDropWithoutNaN) {
  for (float speed : {0.0f, -1.0f, NAN, INFINITY}) {
    Pelota ball;
    ball.placeAt(300, 200, 50);
    ball.hitToward(-500, kBallRadius, 0, speed);
    step(ball, 10);
    const Vector3 p = ball.position();
    ASSERT_TRUE(finite(p)) << speed;
    EXPECT_FLOAT_EQ(p.x, 300);
    EXPECT_FLOAT_EQ(p.z, 50);
    EXPECT_LT(p.y, 200.0f);
    EXPECT_EQ(ball.direction(), -1);
  }
}

TEST(BallHit, AimAtTheBallItselfOrStraightAlongXStaysFinite) {
  Pelota ball;
  ball.placeAt(300, 100, 50);
  ball.hitToward(300, 100, 50, 1.5f);
  EXPECT_TRUE(std::isfinite(ball.heading()));
  step(ball, 5);
  EXPECT_TRUE(finite(ball.position()));

  // Same z: a quarter turn, towards -x here.
  ball.placeAt(300, 100, 50);
  ball.hitToward(100, 100, 50, 1.0f);
  EXPECT_NEAR(std::sin(ball.heading()), -1.0f, 1e-6f);
  step(ball, 5);
  EXPECT_NEAR(ball.position().x, 300 - 80, 1e-3f);
  EXPECT_NEAR(ball.position().z, 50, 1e-3f);
}

TEST(BallHit, BallParkedOnTheGroundRestsThereWithFiniteTimes) {
  Pelota ball;
  ball.placeAt(-5000, 0, 0);  // where the server parks it
  EXPECT_TRUE(std::isfinite(ball.landingMs()));
  step(ball, 3);
  EXPECT_EQ(ball.position(), Vector3(-5000, kBallRadius, 0));
  EXPECT_EQ(ball.bounceCount(), 0);
}

// --- Carrying and the blur -----------------------------------------------------

TEST(BallCarry, CarriedBallFollowsTheServersBallNode) {
  auto server = std::make_shared<AnimatedGroup>("Vazuvodod");
  auto arm = std::make_shared<SceneObject>("Brazo");
  auto hand = std::make_shared<SceneObject>("Ball");
  server->addChild(arm);
  arm->addChild(hand);
  const Matrix held = translate(rotate(Matrix(), 30, 0, 1, 0), 300, 120, 40);
  hand->setWorldMatrix(held);

  Pelota ball;
  ball.placeAt(500, 300, 0);
  ball.startFlight(-kQuarterTurn, 2, 3);
  ball.setServer(server.get());
  ball.attachToServer();
  EXPECT_TRUE(ball.isCarried());
  EXPECT_EQ(ball.direction(), -1);
  EXPECT_EQ(ball.bounceCount(), 0);
  step(ball, 3);
  EXPECT_EQ(ball.transform(), held);

  ball.release();
  EXPECT_FALSE(ball.isCarried());
  ball.startFlight(0, 0, 9.5f);  // the toss
  step(ball);
  EXPECT_NEAR(ball.position().x, held[12], 1e-3f);
  EXPECT_GT(ball.position().y, held[13]);

  // A server whose model has no "Ball" leaves the ball free.
  auto bare = std::make_shared<AnimatedGroup>("Revirade");
  ball.setServer(bare.get());
  ball.attachToServer();
  EXPECT_FALSE(ball.isCarried());
}

TEST(BallBlur, OneBlurPerFreeFastStepAndNoneWhileCarried) {
  const std::shared_ptr<Scene> scene = makeScene();
  Pelota ball(scene);
  auto server = std::make_shared<AnimatedGroup>("Doredu");
  auto hand = std::make_shared<SceneObject>("Ball");
  server->addChild(hand);
  hand->setWorldMatrix(translate(Matrix(), -1000, 300, 0));

  ball.placeAt(-1000, 300, 0);
  ball.startFlight(-kQuarterTurn, 2.0f, 0);
  ball.setServer(server.get());
  ball.attachToServer();
  step(ball, 10);
  EXPECT_TRUE(scene->effects().empty());

  ball.release();
  step(ball, 10);
  ASSERT_EQ(scene->effects().size(), 10u);
  for (const EffectInstance& blur : scene->effects()) {
    EXPECT_EQ(blur.templateIndex, playEffectTemplates().blur);
    EXPECT_EQ(blur.timeMs, 0u);
  }
  EXPECT_EQ(scene->effects().back().matrix, ball.transform());

  // 1.8 units per ms is not fast enough.
  ball.placeAt(-1000, 300, 0);
  ball.startFlight(-kQuarterTurn, 1.8f, 0);
  step(ball, 5);
  EXPECT_EQ(scene->effects().size(), 10u);
}

// --- Prediction ------------------------------------------------------------------

namespace {

struct Crossing {
  float timeMs;
  Vector3 point;
};

// Steps the ball until it has crossed height h `count` times (either way),
// interpolating each crossing linearly between two steps.
std::vector<Crossing> steppedCrossings(Pelota& ball, float h, size_t count) {
  std::vector<Crossing> found;
  float now = 0;
  Vector3 before = ball.position();
  for (int i = 0; i < 1000 && found.size() < count; ++i) {
    step(ball);
    now += kStep;
    const Vector3 after = ball.position();
    if ((before.y - h) * (after.y - h) < 0) {
      const float k = (h - before.y) / (after.y - before.y);
      found.push_back({now - kStep + k * kStep, lerp(before, after, k)});
    }
    before = after;
  }
  return found;
}

}  // namespace

TEST(BallPrediction, CrossingsMatchTheSteppedFlight) {
  Pelota ball;
  ball.placeAt(1000, 150, 100);
  ball.hitToward(-700, kBallRadius, -150, 1.5f);
  step(ball, 7);  // predictions count from now, not from the hit

  const float h = 100;
  Vector3 points[3];
  float times[3];
  ASSERT_EQ(ball.predictCrossings(h, points, times), 3);
  const std::vector<Crossing> stepped = steppedCrossings(ball, h, 3);
  ASSERT_EQ(stepped.size(), 3u);
  // Before the bounce the flight is the formula itself; after it, the new
  // arc starts from the previous step's place, up to one step of travel
  // (1.5 * 16 units) short of the predicted one.
  const float afterBounce = 1.5f * kStep + 0.5f;
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(times[i], stepped[i].timeMs, 1.0f);
    EXPECT_FLOAT_EQ(points[i].y, h);
    const float tolerance = i == 0 ? 0.5f : afterBounce;
    EXPECT_NEAR(points[i].x, stepped[i].point.x, tolerance);
    EXPECT_NEAR(points[i].z, stepped[i].point.z, tolerance);
  }
  EXPECT_LT(times[0], times[1]);
  EXPECT_LT(times[1], times[2]);
}

TEST(BallPrediction, TrialShotsOnASavedFlightLeaveNoTrace) {
  Pelota ball;
  Pelota twin;
  for (Pelota* p : {&ball, &twin}) {
    p->placeAt(-900, 150, 60);
    p->hitToward(700, kBallRadius, -200, 1.6f);
    step(*p, 70);  // past the bounce
  }
  ASSERT_EQ(ball.bounceCount(), 1);
  const BallFlight saved = ball.flight();
  ball.hitToward(-400, 200, 0, 1.0f);
  step(ball, 3);
  ball.placeAt(0, 50, 0);
  ball.restoreFlight(saved);
  for (int i = 0; i < 40; ++i) {
    step(ball);
    step(twin);
    ASSERT_EQ(ball.transform(), twin.transform()) << i;
  }
  EXPECT_EQ(ball.bounceCount(), twin.bounceCount());
  EXPECT_EQ(ball.lastBounce(), twin.lastBounce());
  EXPECT_EQ(ball.descending(), twin.descending());
}

TEST(BallPrediction, HeightAboveTheApexLooksJustBelowIt) {
  Pelota ball;
  ball.placeAt(500, 100, 0);
  ball.startFlight(kQuarterTurn, 1.0f, 5.0f);
  const float apex = 100 + 70 * 5.0f * 5.0f / (2 * 19.6f);
  EXPECT_NEAR(ball.apexHeight(), apex, 1e-2f);
  Vector3 points[3];
  float times[3];
  ball.predictCrossings(5000, points, times);
  EXPECT_NEAR(points[0].y, apex - 0.1f, 1e-2f);
  // Coming down, just past the top (5 / 19.6 s), 0.1 units below it.
  const double pastTop = std::sqrt(2 * (0.1 / 70) / 19.6);
  EXPECT_NEAR(times[0], 1000 * (5.0 / 19.6 + pastTop), 0.5);
}

TEST(BallPrediction, ReboundBelowTheHeightGivesOneCrossingAndNoNaN) {
  Pelota ball;
  ball.placeAt(-300, 150, 0);  // 2.14 m: the rebound peaks near 0.9 m
  ball.startFlight(-kQuarterTurn, 0.5f, 0);
  const double rebound = 0.625 * impactSpeed(150 / 70.0);
  const double reboundTop = 70 * (0.101 + rebound * rebound / (2 * 19.6));
  ASSERT_LT(reboundTop, 100);

  Vector3 points[3];
  float times[3];
  EXPECT_EQ(ball.predictCrossings(100, points, times), 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(finite(points[i])) << i;
    EXPECT_TRUE(std::isfinite(times[i])) << i;
  }
  EXPECT_NEAR(points[1].y, reboundTop, 0.05);
  EXPECT_NEAR(times[1], ball.landingMs() + 1000 * rebound / 19.6, 0.5);
  EXPECT_EQ(points[2], points[1]);

  // Not even a height that is not a number gives one back.
  ball.predictCrossings(NAN, points, times);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(finite(points[i]) && std::isfinite(times[i])) << i;
}
