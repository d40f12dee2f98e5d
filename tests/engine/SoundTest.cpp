// The game's generator (the unseeded Windows runtime's sequence, and the two
// helpers' ranges, whose tops are reached only on the largest draw) and the
// game's sound calls as they reach the output: which effect files a set
// names, which effect a random choice plays, and which output takes the calls.

#include "engine/Sound.h"

#include <gtest/gtest.h>

#include "MathExpect.h"
#include "engine/Random.h"

namespace {

class RecordingOutput : public SoundOutput {
 public:
  void playMusic(const std::string& path) override { music.push_back(path); }
  void resumeMusic() override { music.push_back("resumed"); }
  void loadSamples(const std::vector<std::string>& paths) override { loads.push_back(paths); }
  size_t sampleCount() const override { return loads.empty() ? 0 : loads.back().size(); }
  void playSample(size_t index) override { played.push_back(index); }

  std::vector<std::string> music;
  std::vector<std::vector<std::string>> loads;
  std::vector<size_t> played;
};

class RandomTest : public ::testing::Test {
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

TEST_F(RandomTest, FirstValuesAreThoseOfTheUnseededWindowsRuntime) {
  for (int32_t value : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}) EXPECT_EQ(nextRandom(), value);
  for (int i = 0; i < 100000; ++i) {
    const int32_t value = nextRandom();
    ASSERT_TRUE(value >= 0 && value <= kRandomMax) << value;
  }
}

TEST_F(RandomTest, EveryRangeReachesItsTopOnlyOnTheLargestDrawAndTheSoundChoiceIsCappedAtItsLast) {
  const struct {
    int32_t draw;
    float range, randomFloat;
    int32_t randomInt;
    int ball, cheer;
  } cases[] = {
      {kRandomMax, 5, 5, 5, 2, 5},  // 3 * 32767 / 32767 = 3, one past the last sound
      {kRandomMax - 1, 5, 4.999847f, 5, 2, 5},  // 32766 / 32767 * 6 = 5.9998
      {0, 5, 0, 0, 0, 3},
      {16384, 1, 0.500015f, 1, 1, 4},  // 16384 / 32767 * 2 = 1.00003
      {10922, 1, 0.333323f, 0, 0, 3},  // 32766 / 32767 just under sound 1
  };
  for (const auto& c : cases) {
    const auto drawn = [&c](auto draw) { setRandomState(stateBefore(c.draw)); return draw(); };
    EXPECT_EQ(drawn([&] { return randomInt(int32_t(c.range)); }), c.randomInt) << c.draw;
    EXPECT_NEAR(drawn([&] { return randomFloat(c.range); }), c.randomFloat, 1e-5f) << c.draw;
    EXPECT_EQ(drawn([] { return effectIndex(kRandomBallSound); }), c.ball) << c.draw;
    EXPECT_EQ(drawn([] { return effectIndex(kRandomCheerSound); }), c.cheer) << c.draw;
  }
}

TEST_F(RandomTest, PlainNumbersPlayWithoutADrawChoicesDrawEvenWhenNothingListensAndOnlyTheMatchSetNamesFiles) {
  for (int id = 0; id < 6; ++id) playEffect(id);
  EXPECT_EQ(randomState(), kUnseededRandomState);
  const auto playChoices = [] {
    for (int id : {kRandomBallSound, kRandomBallSound, kRandomBallSound, kRandomCheerSound}) playEffect(id);
  };
  playChoices();
  // The unseeded runtime's first values 41, 18467 and 6334 give 0, 1 and 0.
  EXPECT_EQ(recorder->played, (std::vector<size_t>{0, 1, 2, 3, 4, 5, 0, 1, 0, 3 + 2}));
  for (int set : {kEffectSetMatch, 0, 2, -1}) loadEffects(set);
  playMusic("sounds/Menu.mp3");
  resumeMusic();
  EXPECT_EQ(recorder->loads, (std::vector<std::vector<std::string>>{
                                 {"sounds/ball00.wav", "sounds/ball01.wav", "sounds/ball02.wav", "sounds/cheer00.wav",
                                  "sounds/cheer01.wav", "sounds/cheer02.wav"}, {}, {}, {}}));
  EXPECT_EQ(recorder->music, (std::vector<std::string>{"sounds/Menu.mp3", "resumed"}));
  // A silent run and a run with sound must play the same match.
  const uint32_t afterSound = randomState();
  EXPECT_EQ(setSoundOutput(nullptr), recorder);
  setRandomState(kUnseededRandomState);
  playChoices();
  EXPECT_EQ(randomState(), afterSound);
  playMusic("sounds/InGame.mp3");
  resumeMusic();
  loadEffects(kEffectSetMatch);
  EXPECT_EQ(recorder->played.size() + recorder->music.size() + recorder->loads.size(), 10u + 2 + 4);
  // The silent output still counts the slots it was given, as a real one would.
  EXPECT_EQ(soundOutput().sampleCount(), 6u);
}

}  // namespace
