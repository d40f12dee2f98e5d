// The tennis player: the net band and the serve limits, turning that uses up
// step time, diagonal walking, strokes that reach only so far, the serve's
// hit window, dust while walking, and a model without its racket point.

#include <algorithm>
#include <set>

#include "engine/SceneObject.h"
#include "support/TennisScene.h"
#include "tennis/Court.h"
#include "tennis/HumanPlayer.h"
#include "tennis/Pelota.h"
#include "tennis/PlayEffects.h"

namespace {

// Longer than any window under test.
constexpr uint32_t kClipMs = 1000;

// A human player whose held keys the test sets, placed for a point.
struct Player {
  std::shared_ptr<Scene> scene = makeScene();
  std::shared_ptr<Pelota> ball = std::make_shared<Pelota>();
  std::set<int> held;
  std::shared_ptr<HumanPlayer> player = std::make_shared<HumanPlayer>(
      kWalkSpeed, kHitSpeed, ball, scene, [this](int code) { return held.count(code) > 0; });
  explicit Player(int32_t index = 0, int32_t side = 2, const uint32_t* clipMs = nullptr) {
    player->setKeys({KeyDown, KeyUp, KeyLeft, KeyRight, KeyHit, KeyDive});
    for (uint32_t i = 0; i < ClipCount; ++i) player->addAnimation(clipMs ? clipMs[i] : kClipMs);
    player->placeForPoint(index, side);
  }
  void step(int steps = 1) { ::step(*player, steps); }
  void racketAt(const Vector3& p) {
    auto racket = std::make_shared<SceneObject>("Golpe");
    racket->setWorldMatrix(translate(Matrix(), p));
    player->setHitNode(racket);
  }
};

}  // namespace

TEST(PlayerMovement, WalksByItsKeysToTheNetBandTheWorldLimitsAndAServerWithinItsHalf) {
  // Down is +x, left is +z; of two opposite keys the one named later wins,
  // and diagonally a player is no faster. A server (player 0 at z = 200,
  // player 1 at -200) only steps sideways, and never onto the centre line.
  const float diagonal = kStep * kWalkSpeed / std::sqrt(2.0f);
  const struct { bool serving; int32_t index, side; float fromX, fromZ; std::set<int> keys; int steps; float x, z; }
      cases[] = {
          {false, 0, 2, 600, 0, {KeyLeft, KeyRight}, 1, 600, 8}, {false, 0, 2, 600, 0, {KeyUp, KeyDown}, 1, 608, 0},
          {false, 0, 2, 600, 0, {KeyRight}, 1, 600, -8},
          {false, 0, 2, 600, 0, {KeyDown, KeyLeft}, 1, 600 + diagonal, diagonal},
          {false, 0, 2, -80, 0, {KeyDown}, 20, -kNetBandX, 0}, {false, 0, 2, 90, 0, {KeyUp}, 20, kNetBandX, 0},
          {false, 0, 2, 50, 0, {KeyDown}, 1, 58, 0},  // one already inside is not pushed out
          {false, 0, 2, 1490, 890, {KeyDown, KeyLeft}, 20, kPlayerLimitX, kPlayerLimitZ},
          {true, 0, 2, 0, 0, {KeyLeft}, 200, kBaselineX, kSinglesSideZ},
          {true, 0, 2, 0, 0, {KeyRight}, 200, kBaselineX, kServeCentreMargin},
          {true, 0, 2, 0, 0, {KeyDown}, 20, kBaselineX, kServeStartZ},
          {true, 1, 3, 0, 0, {KeyLeft}, 200, -kBaselineX, -kServeCentreMargin}};
  for (const auto& c : cases) {
    Player p(c.index, c.side);
    p.player->setState(c.serving ? PlayerState::Serving : PlayerState::Moving);
    if (!c.serving) p.player->setPosition(c.fromX, c.fromZ);
    p.held = c.keys;
    p.step(c.steps);
    EXPECT_LT(distance(p.player->position(), Vector3(c.x, 0, c.z)), 1e-3f) << c.fromX << ", " << c.fromZ;
  }
}

TEST(PlayerTurning, HalfTurnTakes180MsBeforeTheStrokeAndTurnsTheShortWayAcrossMinus180) {
  Player p;
  p.player->setFacing(90);  // back to the net, which is at -90 for player 0
  p.held = {KeyHit};
  p.step(11);  // 176 ms at 1 degree per ms
  EXPECT_NE(p.player->facingAngle(), -90.0f);
  p.step();  // 192 ms: the turn is done with 12 ms left over
  EXPECT_TRUE(p.player->facingAngle() == -90.0f && p.player->state() == PlayerState::Moving);
  p.step();
  EXPECT_EQ(p.player->state(), PlayerState::Stroke);
  p.player->setFacing(170);
  p.player->setTargetFacing(-170);
  uint32_t dt = kStep;
  p.player->turnToward(dt);
  EXPECT_TRUE(dt == 0u && std::fabs(wrapDegrees(p.player->facingAngle()) + 174) < 1e-4f);
}

TEST(PlayerStroke, HitsOnlyABallComingWithin150UnitsOfTheRacket) {
  // The last model has no racket point: it never reaches the ball, not even one high enough to smash.
  const struct { float gap, heading; bool racket, struck; } cases[] = {
      {140, kQuarterTurn, true, true}, {160, kQuarterTurn, true, false},
      {-10, -kQuarterTurn, true, false}, {0, kQuarterTurn, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.gap << " racket " << c.racket);
    Player p;
    const Vector3 racket(1000, 80, 200);
    if (c.racket) p.racketAt(racket);
    p.ball->placeAt(racket.x - c.gap, c.racket ? racket.y : 2 * kSmashHeight, racket.z);
    p.ball->startFlight(c.heading, 1.0f, 0.0f);
    p.player->setState(PlayerState::Stroke);
    p.player->setPhase(4);
    EXPECT_EQ(std::isinf(p.player->distanceToBall()), !c.racket);
    p.step(c.racket ? 1 : 10);
    EXPECT_TRUE(p.ball->hitCount() == (c.struck ? 1 : 0) && !p.player->isSmash());
    EXPECT_EQ(p.player->swingHasHit(), c.racket && c.gap < kStrokeReach);
    // A struck ball flies back towards -x, the opponent's half, at the hit speed.
    EXPECT_EQ(p.ball->direction(), c.struck || c.heading < 0 ? 1 : 0);
    EXPECT_FLOAT_EQ(p.ball->horizontalSpeed(), c.struck ? kHitSpeed : 1.0f);
  }
}

// A server on the -x half, mid swing, with the ball held still: too high for
// `highSteps` steps, then at height h. Returns the swing clock (ms) at which
// the ball was struck, or 0.
uint32_t swingAt(float h, int highSteps = 0) {
  Player p(1);
  p.player->setState(PlayerState::ServeSwing);
  p.player->resetClock();
  for (int i = 0; i < highSteps + 40 && p.player->state() == PlayerState::ServeSwing; ++i) {
    p.ball->placeAt(-kBaselineX, i < highSteps ? 400 : h, 200);
    p.step();
    if (p.ball->horizontalSpeed() > 0) return p.player->clockMs();
  }
  return 0;
}

TEST(PlayerServe, SwingMeetsTheBallOnlyInsideItsWindow) {
  EXPECT_EQ(swingAt(150), 176u);  // the first step past 160 ms
  EXPECT_TRUE(swingAt(240) == 0u && swingAt(115) == 0u);
  EXPECT_EQ(swingAt(150, 20), 0u);  // too late: 320 ms have gone
}

TEST(PlayerAim, StrokesGoToTheOtherHalfAndServesIntoTheDiagonalBoxAfterAFreeToss) {
  for (const int32_t index : {0, 1}) {
    Player p(index, 3 - index);  // player 0 on +x at z = -200, player 1 on -x at +200
    const float sign = index == 0 ? 1.0f : -1.0f;
    p.player->setState(PlayerState::Stroke);
    p.player->prepareTargets();
    const auto& t = p.player->aimTargets();
    for (const auto& target : t) EXPECT_LT(sign * target.x, 0.0f);
    // "up" (row 0) moves towards -x: towards the net for player 0, away for 1.
    const int32_t towardsNet = index == 0 ? 1 : 7;
    EXPECT_TRUE(t[towardsNet].y == 120.0f && p.player->rowSpeedFactor(towardsNet) == kLowShotFactor);
    p.player->takeBallForServe();
    EXPECT_EQ(p.ball->server(), p.player.get());
    p.player->serveToss();
    EXPECT_TRUE(!p.ball->isCarried() && p.ball->verticalSpeed() > 0.0f && p.ball->direction() == -1);
    p.player->setState(PlayerState::ServeSwing);
    p.player->prepareTargets();
    for (const auto& target : t) {
      EXPECT_TRUE(sign * target.x < 0 && std::fabs(target.x) <= kServiceLineX && target.y == kBallRadius) << target.x;
      EXPECT_TRUE(sign * target.z > 0 && std::fabs(target.z) <= kSinglesSideZ) << target.z;
    }
  }
}

TEST(PlayerAnimation, DustEvery160MsOfWalkingTheWinnersLastFrameAndTheBackhand) {
  Player p;
  p.player->setPosition(600, 0);
  p.held = {KeyLeft};
  const auto& effects = p.scene->effects();
  p.step(9);
  EXPECT_TRUE(p.player->currentAnimation() == ClipWalking && effects.empty());
  p.step();  // 160 ms
  EXPECT_EQ(effects.size(), 1u);
  p.step(20);  // 480 ms
  EXPECT_EQ(effects.size(), 3u);
  p.held.clear();
  p.step(20);
  EXPECT_TRUE(p.player->currentAnimation() == ClipStanding && effects.size() == 3u);
  for (const auto& dust : effects) EXPECT_EQ(dust.templateIndex, playEffectTemplates().dust);
  p.player->setState(PlayerState::Won);
  p.step(100);
  EXPECT_TRUE(p.player->currentAnimation() == ClipWon && p.player->clockMs() == kClipMs);
  // Player 1 faces +90 and player 0 -90; columns 0 and 2 are aims 3 and 5.
  const int32_t backhands[][3] = {{1, 3, 1}, {0, 5, 1}, {0, 3, 0}, {1, 5, 0}};
  for (const auto& [index, aim, backhand] : backhands) {
    Player q(index);
    q.player->setState(PlayerState::Stroke);
    q.player->setPhase(aim);
    q.step();
    EXPECT_EQ(q.player->currentAnimation(), backhand ? ClipBackhand : ClipForehand) << index << " " << aim;
  }
}

TEST(PlayerDive, FliesSidewaysOnlyInTheAirClipHitsOnceAtHalfSpeedAndGetsUp) {
  uint32_t clips[ClipCount];
  std::fill(std::begin(clips), std::end(clips), kClipMs);
  clips[ClipDiveStart] = 208, clips[ClipDiveAir] = 304, clips[ClipDiveLand] = 496;
  Player p(0, 2, clips);
  const Vector3 racket(800, 60, 300);
  p.racketAt(racket);
  // Drifting slowly towards player 0's half: a ball going away is never struck.
  p.ball->placeAt(racket.x, racket.y, racket.z + 150.0f);
  p.ball->startFlight(kQuarterTurn, 0.01f, 0.0f);
  p.held = {KeyDive, KeyLeft};  // towards +z
  p.step();
  p.held.clear();
  ASSERT_EQ(p.player->state(), PlayerState::Diving);
  int steps = 0;
  for (; steps < 200 && p.player->state() == PlayerState::Diving; ++steps) p.step();
  ASSERT_EQ(p.player->state(), PlayerState::Moving);
  // Standing still while taking off and getting up: it flies the air clip's
  // length at one unit a millisecond, no more.
  EXPECT_NEAR(p.player->position().z - kServeStartZ, clips[ClipDiveAir] * kDiveSpeed, kStep * kDiveSpeed);
  EXPECT_TRUE(p.ball->hitCount() == 1 && p.ball->horizontalSpeed() == kHitSpeed * 0.5f);
  // Each clip ends at the first step past its end.
  EXPECT_LE(steps * kStep, clips[ClipDiveStart] + clips[ClipDiveAir] + clips[ClipDiveLand] + 3 * kStep);
}
