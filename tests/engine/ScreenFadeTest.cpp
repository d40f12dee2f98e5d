// The fade's arithmetic, step by step: how far alpha moves in each 16 ms
// step, that it lands on the target exactly and then stops, and that a fade
// of no time cannot divide by zero.

#include "engine/ScreenFade.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ScreenFadeTest, ANewFadeIsStillOpaqueBlackAndFromOneToZeroInTwoSecondsItLandsOnZero) {
  ScreenFade fade;
  EXPECT_EQ(fade.red() + fade.green() + fade.blue(), 0.0f);
  EXPECT_FALSE(fade.isFading());
  fade.update(16);
  EXPECT_EQ(fade.alpha(), 1.0f);

  fade.startFade(0, 0, 0, 0, 2.0f);
  EXPECT_FLOAT_EQ(fade.speed(), -0.5f);
  int steps = 0;
  for (; fade.isFading() && steps < 1000; ++steps) {
    const float before = fade.alpha();
    fade.update(16);
    ASSERT_GE(fade.alpha(), 0.0f) << "step " << steps;
    // 16 ms of 2 s: 0.008 a step, or what is left of it.
    if (fade.isFading()) {
      ASSERT_NEAR(before - fade.alpha(), 0.008f, 1e-5f) << "step " << steps;
    }
  }
  // 1 / 0.008 = 125 steps, give or take the rounding of the last one.
  EXPECT_GE(steps, 124);
  EXPECT_LE(steps, 126);
  EXPECT_EQ(fade.alpha(), 0.0f);
  EXPECT_EQ(fade.speed(), 0.0f);
  for (int i = 0; i < 10; ++i) fade.update(16);
  EXPECT_EQ(fade.alpha(), 0.0f);
}

TEST(ScreenFadeTest, FadingUpLandsExactlyOnTheTargetAndALongStepNeverOvershoots) {
  ScreenFade fade;
  fade.startFade(0, 0, 0, 0.0f, 1.0f);
  fade.update(5000);
  EXPECT_EQ(fade.alpha(), 0.0f);
  EXPECT_FALSE(fade.isFading());

  fade.startFade(1, 1, 1, 0.75f, 1.0f);
  EXPECT_FLOAT_EQ(fade.speed(), 0.75f);
  int steps = 0;
  for (; fade.isFading() && steps < 1000; ++steps) {
    fade.update(16);
    ASSERT_LE(fade.alpha(), 0.75f);
  }
  EXPECT_EQ(steps, 63);  // 0.75 / 0.012 = 62.5 steps
  EXPECT_EQ(fade.alpha(), 0.75f);
  EXPECT_EQ(fade.red(), 1.0f);
}

TEST(ScreenFadeTest, AFadeOfNoTimeArrivesAtOnceWithoutDividingByZero) {
  ScreenFade fade;
  fade.startFade(0, 0, 1, 0.25f, 0.0f);
  EXPECT_EQ(fade.alpha(), 0.25f);
  EXPECT_FALSE(fade.isFading());
  EXPECT_EQ(fade.speed(), 0.0f);
  // Already there: no time at all is still no NaN.
  fade.startFade(0, 0, 1, 0.25f, 0.0f);
  EXPECT_EQ(fade.alpha(), 0.25f);
  fade.startFade(0, 0, 1, 1.0f, -3.0f);
  EXPECT_EQ(fade.alpha(), 1.0f);
  EXPECT_FALSE(std::isnan(fade.speed()));
}

}  // namespace
