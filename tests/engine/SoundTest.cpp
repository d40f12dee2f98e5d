// The game's sound calls as they reach the output: which effect files a set
// names, which effect a random choice plays, and which output takes the calls.

#include "engine/Sound.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

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

// The runtime's rule, state * 214013 + 2531011 (mod 2^32), run backwards: the
// state that makes the next draw return `value`.
uint32_t stateBefore(int32_t value) {
  uint32_t inverse = 214013u;  // Newton's iteration for the inverse of an odd number mod 2^32
  for (int i = 0; i < 5; ++i) inverse *= 2u - 214013u * inverse;
  const uint32_t next = static_cast<uint32_t>(value) << 16;
  return (next - 2531011u) * inverse;
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousOutput = setSoundOutput(recorder);
    savedRandomState = randomState();
  }
  void TearDown() override {
    setSoundOutput(previousOutput);
    setRandomState(savedRandomState);
  }

  std::shared_ptr<RecordingOutput> recorder = std::make_shared<RecordingOutput>();
  std::shared_ptr<SoundOutput> previousOutput;
  uint32_t savedRandomState = 0;
};

TEST_F(SoundTest, RandomBallSoundIsOnlyEverABallSound) {
  setRandomState(kUnseededRandomState);
  for (int i = 0; i < 3000; ++i) playEffect(kRandomBallSound);
  ASSERT_EQ(recorder->played.size(), 3000u);
  const std::set<size_t> seen(recorder->played.begin(), recorder->played.end());
  EXPECT_EQ(seen, (std::set<size_t>{0, 1, 2}));
}

TEST_F(SoundTest, RandomCheerIsOnlyEverACheer) {
  setRandomState(kUnseededRandomState);
  for (int i = 0; i < 3000; ++i) playEffect(kRandomCheerSound);
  ASSERT_EQ(recorder->played.size(), 3000u);
  const std::set<size_t> seen(recorder->played.begin(), recorder->played.end());
  EXPECT_EQ(seen, (std::set<size_t>{3, 4, 5}));
}

TEST_F(SoundTest, FirstChoicesOfAFreshRunFollowTheGenerator) {
  // The unseeded runtime's first three values are 41, 18467 and 6334, so
  // k = trunc(3 * r / 32767) gives 123/32767 -> 0, 55401/32767 -> 1 and
  // 19002/32767 -> 0.
  setRandomState(kUnseededRandomState);
  for (int i = 0; i < 3; ++i) playEffect(kRandomBallSound);
  setRandomState(kUnseededRandomState);
  for (int i = 0; i < 3; ++i) playEffect(kRandomCheerSound);
  EXPECT_EQ(recorder->played, (std::vector<size_t>{0, 1, 0, 3, 4, 3}));
}

TEST_F(SoundTest, FirstChoicesAreTheSameEveryRun) {
  std::vector<int> first;
  std::vector<int> second;
  setRandomState(kUnseededRandomState);
  for (int i = 0; i < 3; ++i) first.push_back(effectIndex(kRandomBallSound));
  setRandomState(kUnseededRandomState);
  for (int i = 0; i < 3; ++i) second.push_back(effectIndex(kRandomBallSound));
  EXPECT_EQ(first, second);
}

TEST_F(SoundTest, HighestDrawIsCappedAtTheLastSound) {
  // 32767 gives k = 3, one past the last of the three sounds.
  setRandomState(stateBefore(kRandomMax));
  EXPECT_EQ(effectIndex(kRandomBallSound), 2);
  setRandomState(stateBefore(kRandomMax));
  EXPECT_EQ(effectIndex(kRandomCheerSound), 5);
  // 32766 is the highest draw that needs no cap: 98298 / 32767 is just under 3.
  setRandomState(stateBefore(kRandomMax - 1));
  EXPECT_EQ(effectIndex(kRandomBallSound), 2);
  setRandomState(stateBefore(10923));  // 32769 / 32767: the first draw that gives 1
  EXPECT_EQ(effectIndex(kRandomBallSound), 1);
  setRandomState(stateBefore(10922));  // 32766 / 32767: still 0
  EXPECT_EQ(effectIndex(kRandomBallSound), 0);
}

TEST_F(SoundTest, PlainEffectNumbersPlayThemselvesWithoutADraw) {
  setRandomState(kUnseededRandomState);
  for (int id = 0; id < 6; ++id) playEffect(id);
  EXPECT_EQ(recorder->played, (std::vector<size_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(randomState(), kUnseededRandomState);
}

TEST_F(SoundTest, ChoiceDrawsEvenWhenNothingListens) {
  // A silent run and a run with sound must play the same match.
  setSoundOutput(nullptr);
  setRandomState(kUnseededRandomState);
  playEffect(kRandomBallSound);
  playEffect(kRandomCheerSound);
  const uint32_t afterSilent = randomState();
  setSoundOutput(recorder);
  setRandomState(kUnseededRandomState);
  playEffect(kRandomBallSound);
  playEffect(kRandomCheerSound);
  EXPECT_EQ(randomState(), afterSilent);
  EXPECT_NE(afterSilent, kUnseededRandomState);
}

TEST_F(SoundTest, MatchSetNamesTheSixEffectFilesInOrder) {
  loadEffects(kEffectSetMatch);
  ASSERT_EQ(recorder->loads.size(), 1u);
  EXPECT_EQ(recorder->loads[0], (std::vector<std::string>{"sounds/ball00.wav", "sounds/ball01.wav",
                                                          "sounds/ball02.wav", "sounds/cheer00.wav",
                                                          "sounds/cheer01.wav", "sounds/cheer02.wav"}));
}

TEST_F(SoundTest, AnyOtherSetNamesNoFile) {
  for (int set : {0, 2, -1, 100}) loadEffects(set);
  ASSERT_EQ(recorder->loads.size(), 4u);
  for (const std::vector<std::string>& files : recorder->loads) EXPECT_TRUE(files.empty());
}

TEST_F(SoundTest, MusicCallsReachTheOutput) {
  playMusic("sounds/Menu.mp3");
  resumeMusic();
  EXPECT_EQ(recorder->music, (std::vector<std::string>{"sounds/Menu.mp3"}));
  EXPECT_EQ(recorder->resumes, 1);
}

TEST_F(SoundTest, InstallingReturnsThePreviousOutput) {
  auto second = std::make_shared<RecordingOutput>();
  EXPECT_EQ(setSoundOutput(second), recorder);
  EXPECT_EQ(&soundOutput(), second.get());
}

TEST_F(SoundTest, NullRestoresTheSilentOutput) {
  EXPECT_EQ(setSoundOutput(nullptr), recorder);
  EXPECT_NE(&soundOutput(), recorder.get());
  playMusic("sounds/Menu.mp3");
  resumeMusic();
  loadEffects(kEffectSetMatch);
  playEffect(0);
  EXPECT_TRUE(recorder->music.empty());
  EXPECT_EQ(recorder->resumes, 0);
  EXPECT_TRUE(recorder->loads.empty());
  EXPECT_TRUE(recorder->played.empty());
  // The silent output still counts the slots it was given, as a real one would.
  EXPECT_EQ(soundOutput().sampleCount(), 6u);
}

}  // namespace
