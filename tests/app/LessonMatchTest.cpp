// A lesson plays the match's own balls and judges them as the match does: a
// fed ball returned into the far court counts as a success, one hit past the
// far baseline as a miss, called long, as the referee calls it out.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/Settings.h"
#include "app/match/LessonMatch.h"
#include "app/match/MatchSimulation.h"
#include "app/match/ShotVerdict.h"
#include "app/menus/Language.h"
#include "engine/Random.h"
#include "engine/TextureFactory.h"
#include "support/TempDirectory.h"
#include "tennis/Court.h"

namespace {

const char* builtRunFolder() {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  const bool built = run && std::filesystem::is_regular_file(std::filesystem::path(run) / "models/stadium/pista.ASZ");
  return built ? run : nullptr;
}

class LessonMatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* run = builtRunFolder();
    if (!run) GTEST_SKIP() << "the game's data is not built";
    inside = std::make_unique<ScopedWorkingDirectory>(run);
    settings = Settings::defaults();
    MatchSetup setup;
    setup.slots[0] = {1, 0};
    setRandomState(kUnseededRandomState);
    MatchMaking making{SceneDisplay::None, std::make_shared<RecordingTextureFactory>(), matchTexts(), nullptr,
                       settings.keySets, LessonId::Stroke};
    match = std::make_unique<MatchSimulation>(setup, std::move(making));
    lesson = std::dynamic_pointer_cast<LessonMatch>(match->state());
  }

  // Steps with no key held until the fed ball is over the person's half,
  // then strikes it toward `aim` as the person's racket would, and plays on
  // until the try is judged.
  void returnTheFeedToward(const Vector3& aim) {
    Pelota& ball = *match->state()->shared().ball;
    const int32_t triesBefore = lesson->score().tries;
    for (int step = 0; step < 2000 && !(ball.hitCount() > 0 && ball.position().x > kServiceLineX); ++step) {
      match->step(StepInput{});
    }
    ASSERT_GT(ball.position().x, kServiceLineX);
    ball.hitToward(aim.x, aim.y, aim.z, 1.5f);
    for (int step = 0; step < 2000 && lesson->score().tries == triesBefore; ++step) match->step(StepInput{});
    ASSERT_EQ(lesson->score().tries, triesBefore + 1);
  }

  std::unique_ptr<ScopedWorkingDirectory> inside;
  std::unique_ptr<MatchSimulation> match;
  std::shared_ptr<LessonMatch> lesson;
};

TEST_F(LessonMatchTest, AFedBallReturnedInIsASuccessAndOneHitLongAMissCalledLong) {
  ASSERT_TRUE(lesson);
  returnTheFeedToward({-400.0f, 150.0f, 0.0f});
  EXPECT_EQ(lesson->score().successes, 1);
  EXPECT_EQ(lesson->score().lastVerdict, ShotVerdict::Good);
  // Over the far baseline: out, as the referee calls it.
  returnTheFeedToward({-kBaselineX - 300.0f, 7.07f, 0.0f});
  EXPECT_EQ(lesson->score().successes, 1);
  EXPECT_EQ(lesson->score().tries, 2);
  EXPECT_EQ(lesson->score().lastVerdict, ShotVerdict::Long);
  EXPECT_FALSE(lesson->score().passed);
}

// Why a ball the referee called out of the far service box missed it.
TEST(ShotVerdictTest, ABallOutOfTheBoxIsTheNetLongOrWideByWhereItBounced) {
  const TargetBox box{-kServiceLineX, 0.0f, -kSinglesSideZ, 0.0f};
  const struct {
    const char* what;
    float x, z;
    bool stoppedByNet;
    ShotVerdict verdict;
  } cases[] = {
      {"stopped by the net", -10.0f, -100.0f, true, ShotVerdict::Net},
      {"on the hitter's own half", 300.0f, -100.0f, false, ShotVerdict::Net},
      {"past the service line", -700.0f, -100.0f, false, ShotVerdict::Long},
      {"beyond the side line", -300.0f, -450.0f, false, ShotVerdict::Wide},
      {"in the other box", -300.0f, 60.0f, false, ShotVerdict::Wide},
      {"long and wide, more wide", -600.0f, -500.0f, false, ShotVerdict::Wide},
      {"long and wide, more long", -800.0f, -400.0f, false, ShotVerdict::Long},
      {"on the service line", -kServiceLineX, -100.0f, false, ShotVerdict::Long},
      {"on the centre line", -300.0f, 0.0f, false, ShotVerdict::Wide},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(whyOutside(box, c.x, c.z, c.stoppedByNet, 0), c.verdict);
  }
}

TEST_F(LessonMatchTest, ALessonSavedAndRestoredPlaysOnAsItDid) {
  ASSERT_TRUE(lesson);
  for (int step = 0; step < 200; ++step) match->step(StepInput{});
  MatchSnapshot saved;
  match->save(saved);
  const uint64_t before = match->stateHash();
  for (int step = 0; step < 300; ++step) match->step(StepInput{});
  const uint64_t later = match->stateHash();
  ASSERT_TRUE(match->restore(saved));
  EXPECT_EQ(match->stateHash(), before);
  for (int step = 0; step < 300; ++step) match->step(StepInput{});
  EXPECT_EQ(match->stateHash(), later);
}

}  // namespace
