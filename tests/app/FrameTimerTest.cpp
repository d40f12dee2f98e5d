#include "app/FrameTimer.h"

#include <gtest/gtest.h>

#include "app/Window.h"

namespace {

TEST(FrameTimerTest, TicksMeasureTheTimeBetweenThem) {
  auto clock = std::make_shared<ManualClock>(5000);
  FrameTimer timer(clock);
  clock->advance(17);
  EXPECT_EQ(timer.tick(), 17u);
  EXPECT_EQ(timer.tick(), 0u);
}

TEST(FrameTimerTest, StallIsHandedBackAsAtMostOneSecond) {
  auto clock = std::make_shared<ManualClock>();
  FrameTimer timer(clock);
  clock->advance(5000);
  EXPECT_EQ(timer.tick(), kMaxFrameMs);
  clock->advance(3);
  EXPECT_EQ(timer.tick(), 3u);
}

TEST(FrameTimerTest, ClockWrapIsHarmless) {
  auto clock = std::make_shared<ManualClock>(0xFFFFFFF0u);
  FrameTimer timer(clock);
  clock->advance(40);  // wraps past zero
  EXPECT_EQ(clock->milliseconds(), 24u);
  EXPECT_EQ(timer.tick(), 40u);
}

TEST(FrameTimerTest, ResetForgetsTheTimeSpentLoading) {
  auto clock = std::make_shared<ManualClock>();
  FrameTimer timer(clock);
  clock->advance(700);
  timer.reset();
  clock->advance(20);
  EXPECT_EQ(timer.tick(), 20u);
}

TEST(WindowTest, GameModeStringFromTheResolution) {
  EXPECT_EQ(gameModeString({1024, 768, 32, 60}), "1024x768:32@60");
  EXPECT_EQ(gameModeString({800, 600, 0, 0}), "800x600:0@0");
}

}  // namespace
