// The game's sound calls as they reach the output: which effect files a set
// names, which effect a random choice plays, and which output takes the calls.

#include "engine/Sound.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "MathExpect.h"
#include "engine/Random.h"

namespace {

class RecordingOutput : public SoundOutput {
 public:
  void playMusic(const std::string& path) override { music.push_back(path); }
  void resumeMusic() override { ++resumes; }
  void loadSamples(const std::vector<std::string>& paths) override {
    loads.push_back(paths);
    samples = paths.size();
  }
  size_t sampleCount() const override { return samples; }
  void playSample(size_t index) override { played.push_back(index); }

  std::vector<std::string> music;
  int resumes = 0;
  std::vector<std::vector<std::string>> loads;
  size_t samples = 0;
  std::vector<size_t> played;
};

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousOutput = setSoundOutput(recorder);
    setRandomState(kUnseededRandomState);
  }
  void TearDown() override {
    setSoundOutput(previousOutput);
    setRandomState(kUnseededRandomState);
  }

  std::shared_ptr<RecordingOutput> recorder = std::make_shared<RecordingOutput>();
  std::shared_ptr<SoundOutput> previousOutput;
};

TEST_F(SoundTest, RandomChoicesStayWithinTheirThreeSoundsAndFollowTheGenerator) {
  const struct {
    int id;
    std::set<size_t> sounds;
  } choices[] = {{kRandomBallSound, {0, 1, 2}}, {kRandomCheerSound, {3, 4, 5}}};
  for (const auto& choice : choices) {
    recorder->played.clear();
    for (int i = 0; i < 3000; ++i) playEffect(choice.id);
    EXPECT_EQ(std::set<size_t>(recorder->played.begin(), recorder->played.end()), choice.sounds) << choice.id;
  }
  // The unseeded runtime's first three values are 41, 18467 and 6334, so
  // k = trunc(3 * r / 32767) gives 0, 1 and 0 on every run.
  recorder->played.clear();
  setRandomState(kUnseededRandomState);
  for (int i = 0; i < 3; ++i) playEffect(kRandomBallSound);
  setRandomState(kUnseededRandomState);
  for (int i = 0; i < 3; ++i) playEffect(kRandomCheerSound);
  EXPECT_EQ(recorder->played, (std::vector<size_t>{0, 1, 0, 3, 4, 3}));
}

TEST_F(SoundTest, HighestDrawIsCappedAtTheLastSound) {
  const struct {
    int id;
    int32_t draw;
    int expected;
  } cases[] = {
      {kRandomBallSound, kRandomMax, 2},      // 32767 gives k = 3, one past the last sound
      {kRandomCheerSound, kRandomMax, 5},
      {kRandomBallSound, kRandomMax - 1, 2},  // 98298 / 32767 is just under 3
      {kRandomBallSound, 10923, 1},           // 32769 / 32767: the first draw that gives 1
      {kRandomBallSound, 10922, 0},
  };
  for (const auto& c : cases) {
    setRandomState(stateBefore(c.draw));
    EXPECT_EQ(effectIndex(c.id), c.expected) << c.id << " with " << c.draw;
  }
}

TEST_F(SoundTest, PlainNumbersPlayThemselvesWithoutADrawAndChoicesDrawEvenWhenNothingListens) {
  for (int id = 0; id < 6; ++id) playEffect(id);
  EXPECT_EQ(recorder->played, (std::vector<size_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(randomState(), kUnseededRandomState);
  // A silent run and a run with sound must play the same match.
  playEffect(kRandomBallSound);
  playEffect(kRandomCheerSound);
  const uint32_t afterSound = randomState();
  setSoundOutput(nullptr);
  setRandomState(kUnseededRandomState);
  playEffect(kRandomBallSound);
  playEffect(kRandomCheerSound);
  EXPECT_EQ(randomState(), afterSound);
  EXPECT_NE(afterSound, kUnseededRandomState);
}

TEST_F(SoundTest, OnlyTheMatchSetNamesFilesAndItNamesTheSixEffectsInOrder) {
  loadEffects(kEffectSetMatch);
  for (int set : {0, 2, -1, 100}) loadEffects(set);
  ASSERT_EQ(recorder->loads.size(), 5u);
  EXPECT_EQ(recorder->loads[0], (std::vector<std::string>{"sounds/ball00.wav", "sounds/ball01.wav",
                                                          "sounds/ball02.wav", "sounds/cheer00.wav",
                                                          "sounds/cheer01.wav", "sounds/cheer02.wav"}));
  for (size_t i = 1; i < recorder->loads.size(); ++i) EXPECT_TRUE(recorder->loads[i].empty()) << i;
}

TEST_F(SoundTest, CallsReachTheInstalledOutputAndNullRestoresTheSilentOne) {
  playMusic("sounds/Menu.mp3");
  resumeMusic();
  EXPECT_EQ(recorder->music, (std::vector<std::string>{"sounds/Menu.mp3"}));
  EXPECT_EQ(recorder->resumes, 1);
  EXPECT_EQ(setSoundOutput(nullptr), recorder);
  playMusic("sounds/InGame.mp3");
  loadEffects(kEffectSetMatch);
  playEffect(0);
  EXPECT_EQ(recorder->music.size(), 1u);
  EXPECT_TRUE(recorder->loads.empty());
  EXPECT_TRUE(recorder->played.empty());
  // The silent output still counts the slots it was given, as a real one would.
  EXPECT_EQ(soundOutput().sampleCount(), 6u);
}

}  // namespace
