// The game's generator (the unseeded Windows runtime's sequence, the helpers'
// ranges) and which effect a sound call plays; what the device makes of it is
// checked by the sound system's tests.

#include "engine/Sound.h"

#include <gtest/gtest.h>

#include "engine/Random.h"
#include "support/RecordingSound.h"

namespace {

// The generator state whose next draw is `value`: the runtime's rule,
// state * 214013 + 2531011 = value << 16 (mod 2^32), solved with the
// multiplier's inverse modulo 2^32.
uint32_t stateBefore(int32_t value) {
  uint32_t inverse = 214013u;  // Newton's iteration doubles the correct bits each round
  for (int i = 0; i < 5; ++i) inverse *= 2u - 214013u * inverse;
  return ((static_cast<uint32_t>(value) << 16) - 2531011u) * inverse;
}

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

  std::shared_ptr<RecordingSound> recorder = std::make_shared<RecordingSound>();
  std::shared_ptr<SoundOutput> previousOutput;
};

TEST_F(RandomTest, FirstValuesAreTheUnseededWindowsRuntimesRangesTopOutOnTheLargestDrawAndOnlyChoicesDraw) {
  for (int32_t value : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}) EXPECT_EQ(nextRandom(), value);
  const struct {
    int32_t draw;
    float range, randomFloat;
    int32_t randomInt;
    int ball, cheer;
  } cases[] = {
      {kRandomMax, 5, 5, 5, 2, 5},  // 3 * 32767 / 32767 = 3, one past the last sound: capped
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

  // Plain numbers play without a draw; choices draw even when nothing listens.
  setRandomState(kUnseededRandomState);
  for (int id = 0; id < 6; ++id) playEffect(id);
  EXPECT_EQ(randomState(), kUnseededRandomState);
  const auto playChoices = [] {
    for (int id : {kRandomBallSound, kRandomBallSound, kRandomBallSound, kRandomCheerSound}) playEffect(id);
  };
  playChoices();
  // The unseeded runtime's first values 41, 18467 and 6334 give 0, 1 and 0.
  EXPECT_EQ(recorder->played, (std::vector<size_t>{0, 1, 2, 3, 4, 5, 0, 1, 0, 3 + 2}));
  // A silent run and a run with sound must play the same match.
  const uint32_t afterSound = randomState();
  EXPECT_EQ(setSoundOutput(nullptr), recorder);
  setRandomState(kUnseededRandomState);
  playChoices();
  EXPECT_EQ(randomState(), afterSound);
  EXPECT_EQ(recorder->played.size(), 10u);
  // The silent output still counts the slots it was given, as a real one would.
  loadEffects(kEffectSetMatch);
  EXPECT_EQ(soundOutput().sampleCount(), 6u);
}

}  // namespace
