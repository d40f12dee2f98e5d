#include "engine/Random.h"

#include <gtest/gtest.h>

namespace {

// The state whose next draw is `value`: solves state * 214013 + 2531011 =
// value << 16 (mod 2^32) with the multiplier's inverse modulo 2^32.
uint32_t stateBefore(int32_t value) {
  uint32_t inverse = 214013u;  // Newton's iteration doubles the correct bits each round
  for (int i = 0; i < 5; ++i) inverse *= 2u - 214013u * inverse;
  return ((static_cast<uint32_t>(value) << 16) - 2531011u) * inverse;
}

class RandomTest : public ::testing::Test {
 protected:
  void SetUp() override { setRandomState(kUnseededRandomState); }
  void TearDown() override { setRandomState(kUnseededRandomState); }
};

TEST_F(RandomTest, FirstValuesAreThoseOfTheUnseededWindowsRuntime) {
  const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int32_t value : expected) EXPECT_EQ(nextRandom(), value);
}

TEST_F(RandomTest, SequenceRepeatsFromTheSameState) {
  for (int i = 0; i < 100; ++i) nextRandom();
  const uint32_t saved = randomState();
  const int32_t a = nextRandom(), b = nextRandom();
  setRandomState(saved);
  EXPECT_EQ(nextRandom(), a);
  EXPECT_EQ(nextRandom(), b);
}

TEST_F(RandomTest, ValuesStayWithinFifteenBits) {
  for (int i = 0; i < 100000; ++i) {
    const int32_t value = nextRandom();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, kRandomMax);
  }
}

TEST_F(RandomTest, StateBeforeHelperFindsTheDraw) {
  setRandomState(stateBefore(12345));
  EXPECT_EQ(nextRandom(), 12345);
}

TEST_F(RandomTest, RandomIntReachesItsTopOnlyOnTheLargestDraw) {
  setRandomState(stateBefore(kRandomMax));
  EXPECT_EQ(randomInt(5), 5);
  setRandomState(stateBefore(kRandomMax - 1));
  EXPECT_EQ(randomInt(5), 5);  // 32766 / 32767 * 6 = 5.9998
  setRandomState(stateBefore(0));
  EXPECT_EQ(randomInt(5), 0);
  setRandomState(stateBefore(16384));
  EXPECT_EQ(randomInt(1), 1);  // 16384 / 32767 * 2 = 1.00003
  setRandomState(stateBefore(16383));
  EXPECT_EQ(randomInt(1), 0);
}

TEST_F(RandomTest, RandomFloatCoversZeroToMaxInclusive) {
  setRandomState(stateBefore(kRandomMax));
  EXPECT_FLOAT_EQ(randomFloat(2.5f), 2.5f);
  setRandomState(stateBefore(0));
  EXPECT_EQ(randomFloat(2.5f), 0.0f);
  setRandomState(kUnseededRandomState);
  EXPECT_FLOAT_EQ(randomFloat(32767.0f), 41.0f);
}

}  // namespace
