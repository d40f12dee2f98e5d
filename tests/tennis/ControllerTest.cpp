// The computer player: its level table at work (level 0 and level 5), the
// scatter of its strokes, when it dives, the serve delay, the doubles zones,
// trial shots that leave the ball as it was, and hitting points that are
// always numbers; the character table's message.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/Random.h"
#include "engine/Scene.h"
#include "engine/SceneObject.h"
#include "tennis/Character.h"
#include "tennis/Court.h"
#include "tennis/CpuPlayer.h"
#include "tennis/Pelota.h"

namespace {

constexpr uint32_t kStep = 16;
constexpr float kQuarterTurn = 1.5707964f;

std::shared_ptr<CpuPlayer> makeCpu(const std::shared_ptr<Pelota>& ball, int level) {
  auto cpu = std::make_shared<CpuPlayer>(kWalkSpeed, kHitSpeed, ball, std::weak_ptr<Scene>());
  cpu->setLevel(level);
  for (uint32_t i = 0; i < ClipCount; ++i) cpu->addAnimation(1000);
  return cpu;
}

// A rally ball hit from the -x half towards player 0's baseline.
void incomingBall(Pelota& ball, float z = 0.0f) {
  ball.placeAt(-900, 100, z);
  ball.hitToward(700, kBallRadius, z, kHitSpeed);
}

bool sameFlight(const BallFlight& a, const BallFlight& b) {
  return a.transform == b.transform && a.startHeight == b.startHeight && a.verticalSpeed == b.verticalSpeed &&
         a.startX == b.startX && a.startZ == b.startZ && a.elapsedMs == b.elapsedMs && a.landingMs == b.landingMs &&
         a.heading == b.heading && a.horizontalSpeed == b.horizontalSpeed && a.bounceCount == b.bounceCount &&
         a.lastBounce == b.lastBounce && a.descending == b.descending;
}

}  // namespace

TEST(CpuLevels, LevelZeroAlwaysAimsAtTheMiddle) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 0);
  cpu->placeForPoint(0, 2);
  incomingBall(*ball);
  for (int i = 0; i < 5; ++i) {
    cpu->setState(PlayerState::Stroke);
    cpu->chooseAim();
    EXPECT_EQ(cpu->statePhase(), 4);
  }
}

TEST(CpuLevels, LevelZeroGoesToOneOfThePredictedPoints) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 0);
  cpu->placeForPoint(0, 2);
  incomingBall(*ball);
  const auto list = cpu->candidates();
  ASSERT_EQ(list.size(), 3u);
  for (uint32_t seed = 1; seed < 20; ++seed) {
    setRandomState(seed);
    const HitCandidate c = cpu->chooseHitPoint(list);
    bool found = false;
    for (const auto& l : list) found = found || l.point == c.point;
    EXPECT_TRUE(found);
  }
}

TEST(CpuLevels, LevelFiveOnlyGoesWhereItCanBeInTime) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 5);
  cpu->placeForPoint(0, 2);
  cpu->setPosition(1092.902f, 350);
  incomingBall(*ball, -300);
  const auto list = cpu->candidates();
  ASSERT_EQ(list.size(), 6u);  // two side steps a crossing
  int reachable = 0;
  for (const auto& c : list) reachable += cpu->canReach(c.point, c.timeMs) ? 1 : 0;
  ASSERT_GT(reachable, 0);
  ASSERT_LT(reachable, 6);
  for (uint32_t seed = 1; seed < 30; ++seed) {
    setRandomState(seed);
    const HitCandidate c = cpu->chooseHitPoint(list);
    EXPECT_TRUE(cpu->canReach(c.point, c.timeMs));
  }
}

TEST(CpuLevels, LevelFiveAimsAwayFromTheOpponent) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 5);
  auto opponent = makeCpu(ball, 5);
  cpu->placeForPoint(0, 2);
  cpu->setPosition(800, 0);
  opponent->placeForPoint(1, 2);
  opponent->setPosition(-900, 300);
  cpu->addOpponent(opponent);
  ball->placeAt(400, 60, 0);
  ball->hitToward(800, 60, 0, kHitSpeed);
  cpu->setState(PlayerState::Stroke);
  cpu->chooseAim();
  // The column away from an opponent standing at +z is the one towards -z.
  EXPECT_EQ(cpu->statePhase() % 3, 2);
}

// The widest stray (across, and up or down) of `draws` strokes by a player of
// this level, after the ball has been hit `shots` times in the rally.
struct Stray {
  float across = 0.0f;
  float height = 0.0f;
};

Stray widestStray(int level, int shots, int draws) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, level);
  cpu->placeForPoint(0, 2);
  for (int i = 0; i < shots; ++i) incomingBall(*ball);
  EXPECT_EQ(ball->hitCount(), shots);
  Stray widest;
  for (int i = 0; i < draws; ++i) {
    cpu->setState(PlayerState::Stroke);
    cpu->chooseAim();
    const Vector3 offset = cpu->aimScatterOffset();
    EXPECT_EQ(offset.x, 0.0f);
    widest.across = std::max(widest.across, std::fabs(offset.z));
    widest.height = std::max(widest.height, std::fabs(offset.y));
  }
  return widest;
}

TEST(CpuScatter, NarrowerAtHigherLevelsAndWiderInLongRallies) {
  setRandomState(kUnseededRandomState);
  const Stray best = widestStray(5, 1, 200);
  const Stray worst = widestStray(0, 1, 200);
  const Stray tired = widestStray(5, 41, 200);
  EXPECT_GT(best.across, 0.0f);
  EXPECT_GT(worst.across, 2.0f * best.across);
  EXPECT_GT(tired.across, 4.0f * best.across);
  EXPECT_GT(best.height, 0.0f);
  EXPECT_GT(tired.height, 4.0f * best.height);
  // Never wider than the level's scatter, widened once every few shots.
  const float bestLimit = kCpuAimScatter[5] * (1.0f + 1.0f / kCpuPressureShots);
  const float tiredLimit = kCpuAimScatter[5] * (1.0f + 41.0f / kCpuPressureShots);
  EXPECT_LE(best.across, bestLimit);
  EXPECT_LE(best.height, bestLimit);
  EXPECT_LE(tired.across, tiredLimit);
  EXPECT_LE(tired.height, tiredLimit);
}

TEST(CpuDive, OnlyForAPointTooFarAcrossToWalkTo) {
  // Level 1 goes for the ball rising after its bounce. Far behind that point
  // but on the ball's line, the player walks on and swings as the ball comes;
  // as far off across the court, it has to dive.
  for (const float across : {0.0f, 400.0f}) {
    auto ball = std::make_shared<Pelota>();
    auto cpu = makeCpu(ball, 1);
    cpu->placeForPoint(0, 2);
    incomingBall(*ball);
    const auto list = cpu->candidates();
    ASSERT_GE(list.size(), 2u);
    const float behind = list[1].timeMs * kWalkSpeed + 100.0f;
    ASSERT_LT(list[1].point.x + behind, kPlayerLimitX);
    cpu->setPosition(list[1].point.x + behind, list[1].point.z + across);
    ASSERT_FALSE(cpu->canReach(list[1].point, list[1].timeMs));
    bool dived = false;
    for (int i = 0; i < 200 && !dived; ++i) {
      cpu->updateTree(kStep, Matrix(), 0);
      dived = cpu->state() == PlayerState::Diving;
    }
    EXPECT_EQ(dived, across > 0.0f) << "across " << across;
  }
}

TEST(CpuTrialShots, LeaveTheBallExactlyAsItWas) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 5);
  auto opponent = makeCpu(ball, 5);
  cpu->placeForPoint(0, 2);
  cpu->addOpponent(opponent);
  incomingBall(*ball);
  for (int i = 0; i < 20; ++i) ball->updateTree(kStep, Matrix(), 0);
  const BallFlight before = ball->flight();
  cpu->setState(PlayerState::Stroke);
  cpu->chooseAim();
  EXPECT_TRUE(sameFlight(before, ball->flight()));
}

TEST(CpuServe, NeverServesBeforeItsDelay) {
  for (uint32_t seed : {1u, 7u, 12345u}) {
    setRandomState(seed);
    auto ball = std::make_shared<Pelota>();
    auto cpu = makeCpu(ball, 3);
    cpu->placeForPoint(0, 2);
    cpu->setState(PlayerState::Serving);
    const int32_t delay = cpu->serveDelay();
    EXPECT_GE(delay, 0);
    EXPECT_LE(delay, 3000);
    uint32_t elapsed = 0;
    while (cpu->statePhase() == 0 && elapsed < 5000) {
      cpu->updateTree(kStep, Matrix(), 0);
      elapsed += kStep;
    }
    EXPECT_EQ(cpu->statePhase(), 1);
    EXPECT_GE(int32_t(elapsed), delay);
  }
}

TEST(CpuDoubles, StaysPutWhenNoPointIsInItsZone) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 4);
  auto partner = makeCpu(ball, 4);
  cpu->setTeam(partner, nullptr, nullptr);
  cpu->placeForPoint(2, 2);  // the net player: 0 <= x <= 838.14
  incomingBall(*ball);       // lands deep, far beyond the net player's zone
  ball->placeAt(-900, 100, 0);
  ball->hitToward(1050, kBallRadius, 0, kHitSpeed);
  const auto list = cpu->candidates();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].point, Vector3(kServiceLineX, 0, kServeStartZ));
  const Vector3 start = cpu->position();
  for (int i = 0; i < 10; ++i) cpu->updateTree(kStep, Matrix(), 0);
  EXPECT_FLOAT_EQ(cpu->position().x, start.x);
  EXPECT_FLOAT_EQ(cpu->position().z, start.z);
}

TEST(CpuCandidates, AreAlwaysNumbersEvenForALowRebound) {
  auto ball = std::make_shared<Pelota>();
  auto cpu = makeCpu(ball, 0);
  cpu->placeForPoint(0, 2);
  // Thrown flat and low: its rebound never comes back up to the hitting height.
  ball->placeAt(-200, 50, 0);
  ball->startFlight(kQuarterTurn, 1.0f, 0.0f);
  const auto list = cpu->candidates();
  ASSERT_FALSE(list.empty());
  for (const auto& c : list) {
    EXPECT_TRUE(std::isfinite(c.point.x) && std::isfinite(c.point.z) && std::isfinite(c.timeMs));
  }
  for (int i = 0; i < 40; ++i) cpu->updateTree(kStep, Matrix(), 0);
  EXPECT_TRUE(std::isfinite(cpu->position().x) && std::isfinite(cpu->position().z));
}

TEST(CharacterTable, IdentifierWithoutCharacterSaysSo) {
  EXPECT_EQ(characterName(6), "Doredu");
  EXPECT_EQ(characterName(3), "");
  testing::internal::CaptureStdout();
  Character character(4, kCpuController, std::weak_ptr<Pelota>(), std::weak_ptr<Scene>());
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("Personaje no implementado a\xFAn", 0), 0u);
  ASSERT_TRUE(character.player());
  EXPECT_TRUE(std::isinf(character.player()->distanceToBall()));
}
