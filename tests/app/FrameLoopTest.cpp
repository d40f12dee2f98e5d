// The frame loop driven by a clock that moves only when the test says so.

#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/Keyboard.h"
#include "app/Settings.h"
#include "support/TempDirectory.h"

namespace {

// Counts the fixed steps (every overlay is updated once a step) and the
// frames in which the scene was drawn.
class StepCounter : public Overlay {
 public:
  void update(uint32_t dtMs) override {
    ++steps;
    lastStepMs = dtMs;
  }
  void draw2D() override { ++draws; }
  int steps = 0;
  int draws = 0;
  uint32_t lastStepMs = 0;
};

class FrameLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings = SettingsValues{};
    settings.language = "XX";
    folder.write("lang/XX.data", "texto\n");
    releaseAllKeys();
    stepAccumulator = 0;
    app = std::make_unique<Application>(clock);
    watchScene();
  }
  void TearDown() override { releaseAllKeys(); }

  // The scene is replaced whenever a match starts or ends; watch the new one.
  void watchScene() {
    counter = std::make_shared<StepCounter>();
    app->currentScene()->addOverlay(counter);
  }

  void frameAfter(uint32_t ms) {
    clock->advance(ms);
    app->frame();
  }

  void startMatch() {
    app->currentMenu()->goToScreen(StartSingles);
    frameAfter(0);
    ASSERT_EQ(app->currentPhase(), InMatch);
    watchScene();
  }

  void tapEscape() {
    pressCharacterKey(kKeyEscape);
    frameAfter(0);
    releaseCharacterKey(kKeyEscape);
  }

  TempDirectory folder;
  ScopedWorkingDirectory inside{folder.path()};
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(123456);
  std::unique_ptr<Application> app;
  std::shared_ptr<StepCounter> counter;
};

TEST_F(FrameLoopTest, ConstructionLoadsTheLanguageAndStartsInTheMainMenu) {
  EXPECT_EQ(app->currentPhase(), InMenus);
  EXPECT_EQ(app->currentMenu()->screen(), MainMenu);
  EXPECT_FALSE(app->currentMatch());
}

TEST_F(FrameLoopTest, SixteenMillisecondsRunNoStepAndDrawNothing) {
  frameAfter(16);
  EXPECT_EQ(counter->steps, 0);
  EXPECT_EQ(counter->draws, 0);
  EXPECT_EQ(stepAccumulator, 16u);
}

TEST_F(FrameLoopTest, SeventeenMillisecondsRunOneStepAndLeaveOne) {
  frameAfter(17);
  EXPECT_EQ(counter->steps, 1);
  EXPECT_EQ(counter->lastStepMs, kFixedStepMs);
  EXPECT_EQ(counter->draws, 1);
  EXPECT_EQ(stepAccumulator, 1u);
  frameAfter(15);  // 16 in hand: waits for the next frame
  EXPECT_EQ(counter->steps, 1);
  frameAfter(1);
  EXPECT_EQ(counter->steps, 2);
  EXPECT_EQ(counter->draws, 2);
}

TEST_F(FrameLoopTest, StallRunsTenStepsAndDropsTheBacklog) {
  frameAfter(5000);
  EXPECT_EQ(counter->steps, kMaxStepsPerFrame);
  EXPECT_EQ(counter->draws, 1);
  EXPECT_EQ(stepAccumulator, 0u);
  frameAfter(0);
  EXPECT_EQ(counter->steps, kMaxStepsPerFrame);
}

TEST_F(FrameLoopTest, NineStepsKeepTheirRemainder) {
  frameAfter(9 * 16 + 5);
  EXPECT_EQ(counter->steps, 9);
  EXPECT_EQ(stepAccumulator, 5u);
}

TEST_F(FrameLoopTest, ClockWrapIsHarmless) {
  clock->set(0xFFFFFFF8u);
  frameAfter(0);  // the jump itself counts as a stall
  stepAccumulator = 0;
  const int before = counter->steps;
  frameAfter(40);  // across the wrap
  EXPECT_EQ(counter->steps - before, 2);
  EXPECT_EQ(stepAccumulator, 8u);
}

TEST_F(FrameLoopTest, PauseScreenCountsStepsButDoesNotAdvanceTheScene) {
  startMatch();
  tapEscape();
  ASSERT_EQ(app->currentMenu()->screen(), Paused);
  frameAfter(17 * 3);
  EXPECT_EQ(counter->steps, 0);
  EXPECT_EQ(counter->draws, 1);  // steps ran, so the frame is drawn
  EXPECT_EQ(stepAccumulator, 3u);
  tapEscape();
  EXPECT_EQ(app->currentMenu()->screen(), Playing);
  frameAfter(14);
  EXPECT_EQ(counter->steps, 1);
}

TEST_F(FrameLoopTest, EscapeInTheMenusIsConsumedAndDoesNotPauseTheNextMatch) {
  pressCharacterKey(kKeyEscape);
  frameAfter(0);
  EXPECT_EQ(app->currentMenu()->screen(), MainMenu);
  startMatch();  // Escape still held
  frameAfter(0);
  EXPECT_EQ(app->currentMenu()->screen(), Playing);
  releaseCharacterKey(kKeyEscape);
  tapEscape();
  EXPECT_EQ(app->currentMenu()->screen(), Paused);
}

TEST_F(FrameLoopTest, MatchRequestsReplaceTheSceneAndMenu) {
  const auto menuScene = app->currentScene();
  app->currentMenu()->goToScreen(StartDoubles);
  frameAfter(0);
  EXPECT_EQ(app->currentPhase(), InMatch);
  EXPECT_TRUE(app->currentMatch());
  EXPECT_NE(app->currentScene(), menuScene);
  EXPECT_EQ(app->currentMenu()->screen(), Playing);
}

TEST_F(FrameLoopTest, LeavingTheMatchGoesBackToTheMainMenu) {
  startMatch();
  const std::weak_ptr<Scene> matchScene = app->currentScene();
  tapEscape();
  app->currentMenu()->goToScreen(QuitMatch);
  frameAfter(0);
  EXPECT_EQ(app->currentPhase(), InMenus);
  EXPECT_FALSE(app->currentMatch());
  EXPECT_EQ(app->currentMenu()->screen(), MainMenu);
  EXPECT_TRUE(matchScene.expired());  // the old scene died with its last owner
}

// The main menu's quit item only asks: the entry point then ends GLUT's loop
// and releases the game in order. Ending the process from inside the frame
// ran the static destructors under a live Application and corrupted the heap.
TEST_F(FrameLoopTest, QuitItemAfterAMatchAsksTheLoopToEndAndEndsNothingItself) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  constexpr int kAskedAndStillRunning = 42;
  EXPECT_EXIT(
      {
        startMatch();
        app->currentMenu()->goToScreen(QuitMatch);
        frameAfter(0);
        const bool askedTooEarly = app->quitRequested();
        for (const int key : {kKeyDown, kKeyDown, kKeyEnter}) {
          key >= kSpecialKeyBase ? pressSpecialKey(key - kSpecialKeyBase) : pressCharacterKey(key);
          frameAfter(0);
          releaseAllKeys();
        }
        const bool asked = app->quitRequested() && !askedTooEarly;
        app.reset();  // the sound and the scenes go while everything else is alive
        std::_Exit(asked ? kAskedAndStillRunning : 1);
      },
      testing::ExitedWithCode(kAskedAndStillRunning), "");
}

TEST_F(FrameLoopTest, MatchStartForgetsTheLoadingTime) {
  clock->advance(900);  // time spent before the match starts
  startMatch();
  EXPECT_EQ(counter->steps, 0);
  frameAfter(17);
  EXPECT_EQ(counter->steps, 1);
}

}  // namespace
