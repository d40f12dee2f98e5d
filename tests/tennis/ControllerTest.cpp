// The computer player: its level table at work (level 0 and level 5), the
// scatter of its strokes, when it dives, the serve delay, the doubles zones,
// trial shots that leave the ball as it was, and hitting points that are
// always numbers; the character table's message.

#include <algorithm>

#include "engine/Random.h"
#include "support/TennisScene.h"
#include "tennis/Character.h"
#include "tennis/Court.h"
#include "tennis/CpuPlayer.h"
#include "tennis/Pelota.h"

namespace {

std::shared_ptr<CpuPlayer> makeCpu(const std::shared_ptr<Pelota>& ball, int level, int32_t index = 0) {
  auto cpu = std::make_shared<CpuPlayer>(kWalkSpeed, kHitSpeed, ball, std::weak_ptr<Scene>());
  cpu->setLevel(level);
  for (uint32_t i = 0; i < ClipCount; ++i) cpu->addAnimation(1000);
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
Vector3 widestStray(int level, int shots) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, level);
  for (int i = 0; i < shots; ++i) incomingBall(*ball);
  EXPECT_EQ(ball->hitCount(), shots);
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

TEST(CpuLevels, LevelFiveOnlyGoesWhereItCanBeInTime) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 5);
  cpu->setPosition(kBaselineX, 350);
  incomingBall(*ball, -300);
  const auto list = cpu->candidates();
  ASSERT_EQ(list.size(), 6u);  // two side steps a crossing
  const auto inTime = [&](const HitCandidate& c) { return cpu->canReach(c.point, c.timeMs); };
  const auto reachable = std::count_if(list.begin(), list.end(), inTime);
  ASSERT_TRUE(reachable > 0 && reachable < 6) << reachable;
  for (uint32_t seed = 1; seed < 30; ++seed) {
    setRandomState(seed);
    EXPECT_TRUE(inTime(cpu->chooseHitPoint(list)));
  }
}

TEST(CpuLevels, LevelFiveAimsAwayFromTheOpponentWithTrialShotsThatLeaveTheBallAsItWas) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 5);
  auto opponent = makeCpu(ball, 5, 1);
  cpu->setPosition(800, 0);
  opponent->setPosition(-900, 300);
  cpu->addOpponent(opponent);
  ball->placeAt(400, 60, 0);
  ball->hitToward(800, 60, 0, kHitSpeed);
  step(*ball, 5);
  const BallFlight before = ball->flight();
  cpu->setState(PlayerState::Stroke);
  cpu->chooseAim();
  EXPECT_TRUE(sameFlight(before, ball->flight()));
  // The column away from an opponent standing at +z is the one towards -z.
  EXPECT_EQ(cpu->statePhase() % 3, 2);
}

TEST(CpuScatter, NarrowerAtHigherLevelsAndWiderInLongRallies) {
  setRandomState(kUnseededRandomState);
  const Vector3 best = widestStray(5, 1), worst = widestStray(0, 1), tired = widestStray(5, 41);
  EXPECT_TRUE(best.z > 0.0f && best.y > 0.0f);
  EXPECT_GT(worst.z, 2.0f * best.z);
  EXPECT_TRUE(tired.z > 4.0f * best.z && tired.y > 4.0f * best.y);
  // Never wider than the level's scatter, widened once every few shots.
  EXPECT_LE(std::max(best.z, best.y), kCpuAimScatter[5] * (1.0f + 1.0f / kCpuPressureShots));
  EXPECT_LE(std::max(tired.z, tired.y), kCpuAimScatter[5] * (1.0f + 41.0f / kCpuPressureShots));
}

TEST(CpuDive, OnlyForAPointTooFarAcrossToWalkTo) {
  // Level 1 goes for the ball rising after its bounce. Far behind that point
  // but on the ball's line, the player walks on and swings as the ball comes;
  // as far off across the court, it has to dive.
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

TEST(CpuCandidates, AreAlwaysNumbersEvenForALowRebound) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 0);
  // Thrown flat and low: its rebound never comes back up to the hitting height.
  ball->placeAt(-200, 50, 0);
  ball->startFlight(kQuarterTurn, 1.0f, 0.0f);
  for (const auto& c : cpu->candidates()) EXPECT_TRUE(finite(c.point) && std::isfinite(c.timeMs));
  step(*cpu, 40);
  EXPECT_TRUE(finite(cpu->position()));
}

TEST(CharacterTable, IdentifierWithoutCharacterSaysSo) {
  EXPECT_EQ(characterName(6), "Doredu");
  EXPECT_EQ(characterName(3), "");
  testing::internal::CaptureStdout();
  Character character(4, kCpuController, std::weak_ptr<Pelota>(), std::weak_ptr<Scene>());
  EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Personaje no implementado a\xFAn", 0), 0u);
  ASSERT_TRUE(character.player());
  EXPECT_TRUE(std::isinf(character.player()->distanceToBall()));
}
