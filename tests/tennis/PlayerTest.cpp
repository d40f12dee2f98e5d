// The tennis player: the net band and the serve limits, turning that uses up
// step time, diagonal walking, strokes that reach only so far, the serve's
// hit window, dust while walking, and a model without its racket point.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "engine/Scene.h"
#include "engine/SceneObject.h"
#include "tennis/Court.h"
#include "tennis/HumanPlayer.h"
#include "tennis/Pelota.h"
#include "tennis/PlayEffects.h"

namespace {

constexpr uint32_t kStep = 16;
constexpr float kQuarterTurn = 1.5707964f;
// Clip length given to every clip of the test players: longer than any
// window under test.
constexpr uint32_t kClipMs = 1000;

// A human player whose held keys the test sets; keys are codes 0..5 in the
// key-set order.
struct Player {
  std::shared_ptr<Scene> scene;
  std::shared_ptr<Pelota> ball = std::make_shared<Pelota>();
  std::shared_ptr<HumanPlayer> player;
  std::set<int> held;

  explicit Player(bool withClips = true) {
    testing::internal::CaptureStdout();  // no OpenGL here: the scene says so
    scene = std::make_shared<Scene>();
    testing::internal::GetCapturedStdout();
    player = std::make_shared<HumanPlayer>(kWalkSpeed, kHitSpeed, ball, scene,
                                           [this](int code) { return held.count(code) > 0; });
    player->setKeys({KeyDown, KeyUp, KeyLeft, KeyRight, KeyHit, KeyDive});
    if (withClips)
      for (uint32_t i = 0; i < ClipCount; ++i) player->addAnimation(kClipMs);
  }

  void step(int steps = 1) {
    for (int i = 0; i < steps; ++i) player->updateTree(kStep, Matrix(), 0);
  }

  // The racket point, a node of its own, where the test puts it.
  std::shared_ptr<SceneObject> racketAt(const Vector3& p) {
    auto racket = std::make_shared<SceneObject>("Golpe");
    racket->setWorldMatrix(translate(Matrix(), p));
    player->setHitNode(racket);
    return racket;
  }

  size_t dustCount() const {
    size_t n = 0;
    for (const auto& effect : scene->effects()) n += effect.templateIndex == playEffectTemplates().dust ? 1 : 0;
    return n;
  }
};

// A ball flying along +x (towards players 0 and 2) at `speed` units per ms.
void flyTowardsPlusX(Pelota& ball, const Vector3& from, float speed = 1.0f) {
  ball.placeAt(from.x, from.y, from.z);
  ball.startFlight(kQuarterTurn, speed, 0.0f);
}

}  // namespace

// --- Movement limits --------------------------------------------------------

TEST(PlayerMovement, StopsAtTheNetBandFromEitherSide) {
  Player p;
  p.player->setPosition(-80, 0);
  p.player->move(30, 0);
  EXPECT_FLOAT_EQ(p.player->position().x, -kNetBandX);

  p.player->setPosition(90, 0);
  p.player->move(-50, 0);
  EXPECT_FLOAT_EQ(p.player->position().x, kNetBandX);
}

TEST(PlayerMovement, OneAlreadyInsideTheBandIsNotPushedOut) {
  Player p;
  p.player->setPosition(50, 0);
  p.player->move(5, 0);
  EXPECT_FLOAT_EQ(p.player->position().x, 55);
}

TEST(PlayerMovement, StaysInsideTheWorldLimits) {
  Player p;
  p.player->setPosition(1490, 890);
  p.player->move(100, 100);
  EXPECT_FLOAT_EQ(p.player->position().x, kPlayerLimitX);
  EXPECT_FLOAT_EQ(p.player->position().z, kPlayerLimitZ);
}

TEST(PlayerMovement, ServerStepsSidewaysOnlyWithinItsHalf) {
  Player p;
  p.player->placeForPoint(0, 2);
  p.player->setState(PlayerState::Serving);
  EXPECT_FLOAT_EQ(p.player->position().z, kServeStartZ);
  p.held = {KeyLeft};  // towards +z, the side line
  p.step(200);
  EXPECT_FLOAT_EQ(p.player->position().z, kSinglesSideZ);
  EXPECT_FLOAT_EQ(p.player->position().x, kBaselineX);
  p.held = {KeyRight};  // towards -z, the centre mark
  p.step(200);
  EXPECT_GT(p.player->position().z, 0.0f);
  EXPECT_LT(p.player->position().z, 1e-3f);
  EXPECT_FLOAT_EQ(p.player->position().x, kBaselineX);
}

TEST(PlayerMovement, ServerOnTheOtherHalfKeepsBelowTheCentre) {
  Player p;
  p.player->placeForPoint(1, 3);
  p.player->setState(PlayerState::Serving);
  EXPECT_FLOAT_EQ(p.player->position().z, -kServeStartZ);
  p.held = {KeyLeft};
  p.step(200);
  EXPECT_LT(p.player->position().z, 0.0f);
  EXPECT_FLOAT_EQ(p.player->position().x, -kBaselineX);
}

TEST(PlayerMovement, DiagonalWalkIsNoFasterThanStraight) {
  Player p;
  p.player->setPosition(600, 0);
  p.player->setFacing(45);  // already looking along the diagonal: no turn
  p.held = {KeyDown, KeyLeft};
  p.step();
  const Vector3 at = p.player->position();
  EXPECT_FLOAT_EQ(p.player->targetFacingAngle(), 45);
  EXPECT_NEAR(std::hypot(at.x - 600, at.z), kStep * kWalkSpeed, 1e-3);
  EXPECT_NEAR(at.x - 600, at.z, 1e-3);
}

TEST(PlayerMovement, OppositeKeysLetTheLaterNamedOneWin) {
  Player p;
  p.player->setPosition(600, 0);
  p.held = {KeyLeft, KeyRight};
  p.step(40);
  EXPECT_GT(p.player->position().z, 0.0f);
  p.held = {KeyUp, KeyDown};
  p.step(40);
  EXPECT_GT(p.player->position().x, 600.0f);
}

// --- Turning ----------------------------------------------------------------

TEST(PlayerTurning, HalfTurnTakes180MsBeforeTheStroke) {
  Player p;
  p.player->placeForPoint(0, 2);
  p.player->setFacing(90);  // back to the net, which is at -90 for player 0
  p.player->setState(PlayerState::Moving);
  p.held = {KeyHit};
  p.step(11);  // 176 ms at 1 degree per ms
  EXPECT_NE(p.player->facingAngle(), -90.0f);
  EXPECT_EQ(p.player->state(), PlayerState::Moving);
  p.step();  // 192 ms: the turn is done with 12 ms left over
  EXPECT_FLOAT_EQ(std::fabs(p.player->facingAngle()), 90.0f);
  EXPECT_EQ(p.player->facingAngle(), -90.0f);
  EXPECT_EQ(p.player->state(), PlayerState::Moving);
  p.step();
  EXPECT_EQ(p.player->state(), PlayerState::Stroke);
}

TEST(PlayerTurning, TurnsTheShortWayAcrossMinus180) {
  Player p;
  p.player->setFacing(170);
  p.player->setTargetFacing(-170);
  uint32_t dt = kStep;
  p.player->turnToward(dt);
  EXPECT_EQ(dt, 0u);
  EXPECT_NEAR(wrapDegrees(p.player->facingAngle()), -174, 1e-4);
}

// --- Strokes ----------------------------------------------------------------

TEST(PlayerStroke, HitsOnlyWithin150UnitsOfTheRacket) {
  for (const float gap : {140.0f, 160.0f}) {
    Player p;
    p.player->placeForPoint(0, 2);
    const Vector3 racket(1000, 80, 200);
    p.racketAt(racket);
    flyTowardsPlusX(*p.ball, Vector3(racket.x - gap, racket.y, racket.z));
    p.player->setState(PlayerState::Stroke);
    p.player->setPhase(4);
    p.step();
    // A struck ball flies back towards -x, the opponent's half.
    EXPECT_EQ(p.ball->direction(), gap < kStrokeReach ? 1 : 0) << "gap " << gap;
    EXPECT_TRUE(p.player->swingHasHit() || gap >= kStrokeReach);
  }
}

TEST(PlayerStroke, BallGoingAwayIsNotStruck) {
  Player p;
  p.player->placeForPoint(0, 2);
  p.racketAt(Vector3(1000, 80, 200));
  p.ball->placeAt(990, 80, 200);
  p.ball->startFlight(-kQuarterTurn, 1.0f, 0.0f);  // towards -x, away from player 0
  p.player->setState(PlayerState::Stroke);
  p.player->setPhase(4);
  p.step();
  EXPECT_FLOAT_EQ(p.ball->horizontalSpeed(), 1.0f);
  EXPECT_EQ(p.ball->direction(), 1);
}

TEST(PlayerStroke, ModelWithoutRacketPointNeverReachesTheBall) {
  Player p;
  p.player->placeForPoint(0, 2);
  flyTowardsPlusX(*p.ball, Vector3(kBaselineX, 0, 200));
  p.player->setState(PlayerState::Stroke);
  p.player->setPhase(4);
  EXPECT_TRUE(std::isinf(p.player->distanceToBall()));
  p.step(10);
  EXPECT_EQ(p.ball->direction(), 0);
  EXPECT_FALSE(p.player->isSmash());
}

TEST(PlayerStroke, AimsAtTheOtherHalfWithTheLowShotTowardsTheNet) {
  for (const int index : {0, 1}) {
    Player p;
    p.player->placeForPoint(index, 2);
    p.player->setState(PlayerState::Stroke);
    p.player->prepareTargets();
    const auto& t = p.player->aimTargets();
    for (const auto& target : t) EXPECT_EQ(target.x > 0, index == 1);
    // "up" (row 0) moves towards -x: towards the net for player 0, away for 1.
    const float netRowHeight = index == 0 ? t[1].y : t[7].y;
    EXPECT_FLOAT_EQ(netRowHeight, 120.0f);
    EXPECT_FLOAT_EQ(p.player->rowSpeedFactor(index == 0 ? 1 : 7), kLowShotFactor);
  }
}

// --- The serve --------------------------------------------------------------

namespace {

// A server on the -x half, mid swing, with the ball held still at height h.
// Returns the swing clock (ms) at which the ball was struck, or 0.
uint32_t swingAt(float h, int maxSteps = 40) {
  Player p;
  p.player->placeForPoint(1, 2);
  p.player->setState(PlayerState::ServeSwing);
  p.player->resetClock();
  for (int i = 0; i < maxSteps && p.player->state() == PlayerState::ServeSwing; ++i) {
    p.ball->placeAt(-kBaselineX, h, 200);
    p.step();
    if (p.ball->horizontalSpeed() > 0) return p.player->clockMs();
  }
  return 0;
}

}  // namespace

TEST(PlayerServe, SwingMeetsTheBallOnlyInsideItsWindow) {
  // The first step past 160 ms is at 176 ms.
  EXPECT_EQ(swingAt(150), 176u);
  EXPECT_EQ(swingAt(240), 0u);
  EXPECT_EQ(swingAt(115), 0u);
}

TEST(PlayerServe, LateSwingMisses) {
  Player p;
  p.player->placeForPoint(1, 2);
  p.player->setState(PlayerState::ServeSwing);
  p.player->resetClock();
  p.ball->placeAt(-kBaselineX, 400, 200);  // too high until the window has shut
  p.step(20);                              // 320 ms
  p.ball->placeAt(-kBaselineX, 150, 200);
  p.step(5);
  EXPECT_EQ(p.ball->horizontalSpeed(), 0.0f);
}

TEST(PlayerServe, ServeGoesIntoTheDiagonalBox) {
  Player p;
  p.player->placeForPoint(1, 2);  // on -x, at z = +200
  p.player->setState(PlayerState::ServeSwing);
  p.player->prepareTargets();
  for (const auto& t : p.player->aimTargets()) {
    EXPECT_GT(t.x, 0.0f);
    EXPECT_LE(t.x, kServiceLineX);
    EXPECT_LT(t.z, 0.0f);
    EXPECT_GE(t.z, -kSinglesSideZ);
    EXPECT_FLOAT_EQ(t.y, kBallRadius);
  }
}

TEST(PlayerServe, FastestAtHeight150) {
  Player p;
  p.ball->placeAt(0, 150, 0);
  const float best = p.player->serveSpeed();
  EXPECT_FLOAT_EQ(best, kServeBaseSpeed + kHitSpeed);
  p.ball->placeAt(0, 200, 0);
  EXPECT_LT(p.player->serveSpeed(), best);
}

TEST(PlayerServe, TossedBallGoesUpFromTheHandAndIsFree) {
  Player p;
  p.player->placeForPoint(1, 2);
  p.player->takeBallForServe();
  EXPECT_EQ(p.ball->server(), p.player.get());
  p.player->serveToss();
  EXPECT_FALSE(p.ball->isCarried());
  EXPECT_GT(p.ball->verticalSpeed(), 0.0f);
  EXPECT_EQ(p.ball->direction(), -1);
}

// --- Animation and dust -----------------------------------------------------

TEST(PlayerAnimation, DustEvery160MsOfTheWalkingClip) {
  Player p;
  p.player->setPosition(600, 0);
  p.player->setFacing(0);
  p.held = {KeyLeft};
  p.step(9);
  EXPECT_EQ(p.player->currentAnimation(), ClipWalking);
  EXPECT_EQ(p.dustCount(), 0u);
  p.step();  // 160 ms
  EXPECT_EQ(p.dustCount(), 1u);
  p.step(20);  // 480 ms
  EXPECT_EQ(p.dustCount(), 3u);
  p.held.clear();
  p.step(20);
  EXPECT_EQ(p.player->currentAnimation(), ClipStanding);
  EXPECT_EQ(p.dustCount(), 3u);
}

TEST(PlayerAnimation, WinnerHoldsTheLastFrame) {
  Player p;
  p.player->setState(PlayerState::Won);
  p.step(100);
  EXPECT_EQ(p.player->currentAnimation(), ClipWon);
  EXPECT_EQ(p.player->clockMs(), kClipMs);
}

TEST(PlayerAnimation, BackhandWhenTheAimIsAcrossTheBody) {
  Player p;
  p.player->placeForPoint(1, 2);  // faces +90
  p.player->setState(PlayerState::Stroke);
  p.player->setPhase(3);  // column 0
  p.step();
  EXPECT_EQ(p.player->currentAnimation(), ClipBackhand);
}

// --- The dive ---------------------------------------------------------------

TEST(PlayerDive, FliesSidewaysOnlyInTheAirClipHitsOnceAtHalfSpeedAndGetsUp) {
  constexpr uint32_t kTakeOffMs = 208;
  constexpr uint32_t kAirMs = 304;
  constexpr uint32_t kLandingMs = 496;
  Player p(false);
  for (uint32_t clip = 0; clip < ClipCount; ++clip) {
    p.player->addAnimation(clip == ClipDiveStart ? kTakeOffMs
                           : clip == ClipDiveAir ? kAirMs
                           : clip == ClipDiveLand ? kLandingMs
                                                  : kClipMs);
  }
  p.player->placeForPoint(0, 2);
  const Vector3 racket(800, 60, 300);
  p.racketAt(racket);
  // Drifting slowly towards player 0's half: a ball going away is never struck.
  flyTowardsPlusX(*p.ball, Vector3(racket.x, racket.y, racket.z + 150.0f), 0.01f);

  // Dive with "left": towards +z.
  p.held = {KeyDive, KeyLeft};
  p.step();
  p.held.clear();
  ASSERT_EQ(p.player->state(), PlayerState::Diving);

  std::vector<float> zAtPhase(3, NAN);
  int steps = 0;
  for (; steps < 200 && p.player->state() == PlayerState::Diving; ++steps) {
    const int32_t phase = p.player->statePhase();
    if (std::isnan(zAtPhase[phase])) zAtPhase[phase] = p.player->position().z;
    p.step();
  }
  ASSERT_EQ(p.player->state(), PlayerState::Moving);
  // Standing still while taking off and getting up; the air clip's whole
  // length at one unit a millisecond in between.
  EXPECT_FLOAT_EQ(zAtPhase[0], 200.0f);
  EXPECT_NEAR(zAtPhase[2] - zAtPhase[1], kAirMs * kDiveSpeed, kStep * kDiveSpeed);
  EXPECT_EQ(p.ball->hitCount(), 1);
  EXPECT_FLOAT_EQ(p.ball->horizontalSpeed(), kHitSpeed * 0.5f);
  // Each clip ends at the first step past its end.
  EXPECT_LE(steps * kStep, kTakeOffMs + kAirMs + kLandingMs + 3 * kStep);
}
