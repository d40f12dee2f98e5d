// The players: a person's keys, turns, strokes, serves, dives and clips; the
// computer's levels, scatter, dives, serve delay and doubles zones.

#include <algorithm>
#include <set>

#include "engine/Random.h"
#include "engine/SceneObject.h"
#include "support/TennisScene.h"
#include "tennis/Character.h"
#include "tennis/CpuPlayer.h"
#include "tennis/HumanPlayer.h"
#include "tennis/PlayEffects.h"

namespace {

// Clip lengths: longer than any window under test, but for the three of the dive, which its test times.
constexpr uint32_t kClipMs = 1000, kDiveClipsMs[3] = {208, 304, 496};

// A human player whose held keys the test sets, placed for a point.
struct Player {
  std::shared_ptr<Scene> scene = makeScene();
  std::shared_ptr<Pelota> ball = std::make_shared<Pelota>();
  std::set<int> held;
  std::shared_ptr<HumanPlayer> player = std::make_shared<HumanPlayer>(kWalkSpeed, kHitSpeed, ball, scene);
  explicit Player(int32_t index = 0, int32_t side = 2) {
    player->setKeys({KeyDown, KeyUp, KeyLeft, KeyRight, KeyHit, KeyDive});
    for (uint32_t i = 0; i < ClipCount; ++i) {
      player->addAnimation(i < ClipDiveStart ? kClipMs : kDiveClipsMs[i - ClipDiveStart]);
    }
    player->placeForPoint(index, side);
  }
  void step(int steps = 1) {
    PlayerCommand command;
    for (const int key : held) command.held |= playerKeyBit(static_cast<PlayerKey>(key));
    player->setCommand(command);
    ::step(*player, steps);
  }
  void racketAt(const Vector3& p) {
    auto racket = std::make_shared<SceneObject>("Golpe");
    racket->setWorldMatrix(translate(Matrix(), p));
    player->setHitNode(racket);
  }
};

// A computer player of this level, placed for a point.
std::shared_ptr<CpuPlayer> makeCpu(const std::shared_ptr<Pelota>& ball, int level, int32_t index = 0,
                                   bool doubles = false) {
  auto cpu = std::make_shared<CpuPlayer>(kWalkSpeed, kHitSpeed, ball, std::weak_ptr<Scene>());
  cpu->setLevel(level, doubles);
  for (uint32_t i = 0; i < ClipCount; ++i) cpu->addAnimation(kClipMs);
  cpu->placeForPoint(index, 2);
  return cpu;
}

// A rally ball hit from the -x half towards player 0's baseline.
void incomingBall(Pelota& ball, float z = 0.0f, float toX = 700.0f) {
  ball.placeAt(-900, 100, z);
  ball.hitToward(toX, kBallRadius, z, kHitSpeed);
}

// The widest stray up or down (y) and across (z) of 200 strokes by a player
// of this level, after the ball has been hit `shots` times in the rally.
Vector3 widestStray(int level, int shots, bool doubles = false) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, level, 0, doubles);
  for (int i = 0; i < shots; ++i) incomingBall(*ball);
  Vector3 widest;
  for (int i = 0; i < 200; ++i) {
    cpu->setState(PlayerState::Stroke);
    cpu->chooseAim();
    const Vector3 offset = cpu->aimScatterOffset();
    EXPECT_TRUE(offset.x == 0.0f && (level > 0 || cpu->statePhase() == 4));  // level 0 aims at the middle
    widest = Vector3(0, std::max(widest.y, std::fabs(offset.y)), std::max(widest.z, std::fabs(offset.z)));
  }
  return widest;
}

}  // namespace

TEST(PlayerMovement, WalksByItsKeysToTheNetBandTheWorldLimitsAndAServerWithinItsHalf) {
  // Down is +x, left is +z; of two opposite keys the one named later wins, diagonally a player is
  // no faster. A server (player 0 at z = 200, 1 at -200) only steps sideways, never onto the centre line.
  const float diagonal = kStep * kWalkSpeed / std::sqrt(2.0f);
  constexpr int32_t walker = -1;
  const struct { int32_t server; float fromX, fromZ; std::set<int> keys; int steps; float x, z; } cases[] = {
      {walker, 600, 0, {KeyLeft, KeyRight}, 1, 600, 8}, {walker, 600, 0, {KeyUp, KeyDown}, 1, 608, 0},
      {walker, 600, 0, {KeyRight}, 1, 600, -8}, {walker, 600, 0, {KeyDown, KeyLeft}, 1, 600 + diagonal, diagonal},
      {walker, -80, 0, {KeyDown}, 20, -kNetBandX, 0}, {walker, 90, 0, {KeyUp}, 20, kNetBandX, 0},
      {walker, 50, 0, {KeyDown}, 1, 58, 0},  // one already inside is not pushed out
      {walker, 1490, 890, {KeyDown, KeyLeft}, 20, kPlayerLimitX, kPlayerLimitZ},
      {0, 0, 0, {KeyLeft}, 200, kBaselineX, kSinglesSideZ}, {0, 0, 0, {KeyDown}, 20, kBaselineX, kServeStartZ},
      {0, 0, 0, {KeyRight}, 200, kBaselineX, kServeCentreMargin},
      {1, 0, 0, {KeyLeft}, 200, -kBaselineX, -kServeCentreMargin}};
  for (const auto& c : cases) {
    Player p(std::max(c.server, 0), c.server == 1 ? 3 : 2);
    p.player->setState(c.server == walker ? PlayerState::Moving : PlayerState::Serving);
    if (c.server == walker) p.player->setPosition(c.fromX, c.fromZ);
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
  p.step(2);  // done at 192 ms with 12 ms left over, so the stroke starts on the next step
  EXPECT_EQ(p.player->state(), PlayerState::Stroke);
  p.player->setFacing(170);
  p.player->setTargetFacing(-170);
  uint32_t dt = kStep;
  p.player->turnToward(dt);
  EXPECT_TRUE(dt == 0u && std::fabs(wrapDegrees(p.player->facingAngle()) + 174) < 1e-4f);
}

TEST(PlayerStroke, HitsOnlyABallComingWithin150UnitsOfTheRacketWithTheBackhandOnTheFarColumn) {
  // Player 0 faces -90 and player 1 +90: the backhand is aim 5 for one and 3 for the other. The
  // last model has no racket point: it never reaches the ball, not even one high enough to smash.
  const struct { int32_t index, aim; float gap; bool coming, racket, struck, backhand; } cases[] = {
      {0, 4, 140, true, true, true, false},   {0, 5, 160, true, true, false, true},
      {0, 3, -10, false, true, false, false}, {1, 3, 140, true, true, true, true},
      {1, 5, 0, true, false, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "player " << c.index << ", gap " << c.gap << ", racket " << c.racket);
    Player p(c.index);
    const float toward = c.index == 0 ? 1.0f : -1.0f;  // along x into the player's half
    const Vector3 racket(1000 * toward, 80, 200);
    if (c.racket) p.racketAt(racket);
    p.ball->placeAt(racket.x - toward * c.gap, c.racket ? racket.y : 2 * kSmashHeight, racket.z);
    p.ball->startFlight((c.coming ? toward : -toward) * kQuarterTurn, 1.0f, 0.0f);
    p.player->setState(PlayerState::Stroke);
    p.player->setPhase(c.aim);
    EXPECT_EQ(std::isinf(p.player->distanceToBall()), !c.racket);
    p.step(c.racket ? 1 : 10);
    EXPECT_TRUE(p.ball->hitCount() == (c.struck ? 1 : 0) && !p.player->isSmash());
    EXPECT_EQ(p.player->swingHasHit(), c.racket && c.gap < kStrokeReach);
    EXPECT_EQ(p.player->currentAnimation(), c.backhand ? ClipBackhand : ClipForehand);
    // A struck ball flies back into the other half at the hit speed.
    EXPECT_EQ(p.ball->direction(), (c.coming && !c.struck ? toward : -toward) < 0 ? 1 : 0);
    EXPECT_FLOAT_EQ(p.ball->horizontalSpeed(), c.struck ? kHitSpeed : 1.0f);
  }
}

// A server on the -x half, mid swing, with the ball held still: too high for `highSteps` steps,
// then at height h. Returns the swing clock (ms) at which the ball was struck, or 0.
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

TEST(PlayerAim, StrokesGoToTheOtherHalfAndServesFromTheHandIntoTheDiagonalBoxAfterAFreeToss) {
  for (const int32_t index : {0, 1}) {
    Player p(index, 3 - index);  // player 0 on +x at z = -200, player 1 on -x at +200
    const float sign = index == 0 ? 1.0f : -1.0f;
    p.player->setState(PlayerState::Stroke);
    p.player->prepareTargets();
    const auto& t = p.player->aimTargets();
    for (const auto& target : t) EXPECT_LT(sign * target.x, 0.0f);
    // "up" (row 0) moves towards -x: towards the net, a low drive, for player 0.
    const int32_t towardsNet = index == 0 ? 1 : 7;
    EXPECT_TRUE(t[towardsNet].y == kStrokeAimY[0] && p.player->rowSpeedFactor(towardsNet) == kLowShotFactor);
    // The ball follows the model's "Ball" node, however deep, until the toss.
    auto arm = std::make_shared<SceneObject>("Brazo");
    auto hand = std::make_shared<SceneObject>("Ball");
    arm->addChild(hand);
    p.player->addChild(arm);
    hand->setWorldMatrix(translate(rotate(Matrix(), 30, 0, 1, 0), sign * 1100, 120, 40));
    p.player->takeBallForServe();
    step(*p.ball, 3);
    EXPECT_TRUE(p.ball->server() == p.player.get() && p.ball->transform() == hand->worldMatrix());
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

TEST(PlayerAnimation, DustEvery160MsOfWalkingAndTheWinnersLastFrameHeld) {
  Player p;
  p.player->setPosition(600, 0);
  p.held = {KeyLeft};
  const auto& effects = p.scene->effects();
  p.step(9);
  EXPECT_TRUE(p.player->currentAnimation() == ClipWalking && effects.empty());
  p.step(21);  // 480 ms
  EXPECT_EQ(effects.size(), 3u);
  p.held.clear();
  p.step(20);
  EXPECT_TRUE(p.player->currentAnimation() == ClipStanding && effects.size() == 3u);
  for (const auto& dust : effects) EXPECT_EQ(dust.templateIndex, playEffectTemplates().dust);
  p.player->setState(PlayerState::Won);
  p.step(100);
  EXPECT_TRUE(p.player->currentAnimation() == ClipWon && p.player->clockMs() == kClipMs);
}

TEST(PlayerDive, FliesSidewaysOnlyInTheAirClipHitsOnceAtHalfSpeedAndGetsUp) {
  Player p;
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
  // Still while taking off and getting up: it flies the air clip's length at one unit a millisecond.
  EXPECT_NEAR(p.player->position().z - kServeStartZ, kDiveClipsMs[1] * kDiveSpeed, kStep * kDiveSpeed);
  EXPECT_TRUE(p.ball->hitCount() == 1 && p.ball->horizontalSpeed() == kHitSpeed * 0.5f);
  // Each clip ends at the first step past its end.
  EXPECT_LE(steps * kStep, kDiveClipsMs[0] + kDiveClipsMs[1] + kDiveClipsMs[2] + 3 * kStep);
}

TEST(CpuLevels, OnlyLevelFiveGoesWhereItCanBeInTimeAndAimsAwayFromTheOpponent) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 5);
  cpu->setPosition(kBaselineX, 250);
  incomingBall(*ball, -300);
  const auto list = cpu->candidates();
  // Two side steps a crossing; the last crossing lies behind where a player
  // may stand and is no candidate.
  ASSERT_EQ(list.size(), 4u);
  for (const auto& c : list) EXPECT_LE(std::fabs(c.point.x), kPlayerLimitX);
  const auto inTime = [&](const HitCandidate& c) { return cpu->canReach(c.point, c.timeMs); };
  const auto reachable = std::count_if(list.begin(), list.end(), inTime);
  ASSERT_TRUE(reachable > 0 && reachable < 4) << reachable;
  // Level 0 picks any of them, in time or not.
  auto novice = makeCpu(ball, 0);
  int late = 0;
  for (uint32_t seed = 1; seed < 30; ++seed) {
    setRandomState(seed);
    EXPECT_TRUE(inTime(cpu->chooseHitPoint(list)));
    late += inTime(novice->chooseHitPoint(list)) ? 0 : 1;
  }
  EXPECT_GT(late, 0);
  // Its trial shots put the ball, here past its bounce, back as it was. The
  // column away from an opponent standing at +z is the one towards -z.
  auto opponent = makeCpu(ball, 5, 1);
  opponent->setPosition(-900, 300);
  cpu->addOpponent(opponent);
  cpu->setPosition(800, 0);
  ball->placeAt(400, 60, 0);
  ball->hitToward(800, kBallRadius, 0, kHitSpeed);
  step(*ball, 18);
  ASSERT_EQ(ball->bounceCount(), 1);
  const BallFlight before = ball->flight();
  cpu->setState(PlayerState::Stroke);
  cpu->chooseAim();
  EXPECT_TRUE(before == ball->flight());
  EXPECT_EQ(cpu->statePhase() % 3, 2);
}

TEST(CpuScatter, NarrowerAtHigherLevelsAndWiderInLongRalliesAtTheTopOnlyAfterItsSteadyShots) {
  setRandomState(kUnseededRandomState);
  const int steady = static_cast<int>(kCpuSteadyShots[5]);
  const Vector3 best = widestStray(5, 1), worst = widestStray(0, 1);
  const Vector3 tired = widestStray(0, steady), held = widestStray(5, steady), bestTired = widestStray(5, 2 * steady);
  EXPECT_TRUE(best.z > 0.0f && best.y > 0.0f && worst.z > 2.0f * best.z);
  EXPECT_TRUE(tired.z > 4.0f * worst.z && tired.y > 4.0f * worst.y);
  EXPECT_TRUE(bestTired.z > 4.0f * held.z && bestTired.y > 4.0f * held.y);
  // Never wider than the level's scatter, widened by its growth for each shot past the steady ones.
  EXPECT_LE(std::max(held.z, held.y), kCpuAimScatter[5]);
  EXPECT_LE(std::max(tired.z, tired.y), kCpuAimScatter[0] * (1.0f + steady * kCpuStrayGrowthPerShot[0]));
  EXPECT_LE(std::max(bestTired.z, bestTired.y), kCpuAimScatter[5] * (1.0f + steady * kCpuStrayGrowthPerShot[5]));
}

TEST(CpuScatter, ALevelPlaysItsOwnScatterAndSteadyShotsInDoubles) {
  // Level 4 holds its scatter for fewer shots in doubles, and from a narrower start.
  setRandomState(kUnseededRandomState);
  const int between = static_cast<int>(kCpuDoublesSteadyShots[4] + kCpuSteadyShots[4]) / 2;
  ASSERT_GT(kCpuSteadyShots[4], kCpuDoublesSteadyShots[4] + 2.0f);
  const Vector3 singles = widestStray(4, between), doubles = widestStray(4, between, true);
  const Vector3 doublesFresh = widestStray(4, 1, true);
  EXPECT_LE(std::max(singles.z, singles.y), kCpuAimScatter[4]);
  EXPECT_LE(std::max(doublesFresh.z, doublesFresh.y), kCpuDoublesAimScatter[4]);
  EXPECT_GT(std::max(doubles.z, doubles.y), kCpuDoublesAimScatter[4]);
}

TEST(CpuDive, OnlyForAPointTooFarAcrossToWalkTo) {
  // Level 1 goes for the ball rising after its bounce. Far behind that point but on the ball's line,
  // the player walks on and swings as the ball comes; as far off across the court, it has to dive.
  for (const float across : {0.0f, 400.0f}) {
    auto ball = std::make_shared<Pelota>();
    auto cpu = makeCpu(ball, 1);
    incomingBall(*ball);
    const auto list = cpu->candidates();
    ASSERT_GE(list.size(), 2u);
    const float behind = list[1].timeMs * kWalkSpeed + 100.0f;
    cpu->setPosition(list[1].point.x + behind, list[1].point.z + across);
    ASSERT_FALSE(cpu->canReach(list[1].point, list[1].timeMs));
    bool dived = false;
    for (int i = 0; i < 200 && !dived; ++i, step(*cpu)) dived = cpu->state() == PlayerState::Diving;
    EXPECT_EQ(dived, across > 0.0f) << "across " << across;
  }
}

TEST(CpuServe, NeverServesBeforeItsDelay) {
  for (uint32_t seed : {1u, 7u, 12345u}) {
    setRandomState(seed);
    auto cpu = makeCpu(std::make_shared<Pelota>(), 3);
    cpu->setState(PlayerState::Serving);
    const int32_t delay = cpu->serveDelay();
    int32_t elapsed = 0;
    for (; cpu->statePhase() == 0 && elapsed < 5000; elapsed += kStep) step(*cpu);
    EXPECT_TRUE(delay >= 0 && delay <= 3000 && elapsed >= delay && cpu->statePhase() == 1) << delay << " " << elapsed;
  }
}

TEST(CpuDoubles, StaysPutWhenNoPointIsInItsZone) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 4, 2);  // the net player: 0 <= x <= 838.14
  cpu->setTeam(makeCpu(ball, 4), nullptr, nullptr);
  incomingBall(*ball, 0, 1050);  // lands deep, far beyond the net player's zone
  const auto list = cpu->candidates();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].point, cpu->position());
  step(*cpu, 10);
  EXPECT_EQ(cpu->position(), Vector3(kServiceLineX, 0, kServeStartZ));
}

TEST(CpuDoubles, TheTopLevelsNetPlayerClosesInAfterItsStroke) {
  // The net player of each level, once the ball flies off to the other side, walks back to its own
  // depth: level 3 behind the service line, the top two ever closer to the net.
  float previousX = kPlayerLimitX;
  for (const int level : {3, 4, 5}) {
    auto ball = std::make_shared<Pelota>();
    auto cpu = makeCpu(ball, level, 2);
    cpu->setTeam(makeCpu(ball, level), nullptr, nullptr);
    ball->placeAt(900, 100, 0);
    ball->hitToward(-900, kBallRadius, 0, kHitSpeed);
    step(*cpu, 150);
    const float depth = cpu->position().x;
    EXPECT_NEAR(depth, kCpuNetPlayerX[level], 1.0f) << "level " << level;
    EXPECT_LT(depth, previousX) << "level " << level;
    previousX = depth;
  }
}

TEST(CharacterTable, IdentifierWithoutCharacterSaysSo) {
  testing::internal::CaptureStdout();
  Character character(4, kCpuController, std::weak_ptr<Pelota>(), std::weak_ptr<Scene>());
  EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Personaje no implementado a\xFAn", 0), 0u);
  EXPECT_TRUE(character.player() && std::isinf(character.player()->distanceToBall()));
}
