// The game's generator: the unseeded Windows runtime's sequence, and the two
// helpers' ranges, whose tops are reached only on the largest draw.

#include "engine/Random.h"

#include <gtest/gtest.h>

#include "MathExpect.h"

namespace {

class RandomTest : public ::testing::Test {
 protected:
  void SetUp() override { setRandomState(kUnseededRandomState); }
  void TearDown() override { setRandomState(kUnseededRandomState); }
};

TEST_F(RandomTest, FirstValuesAreThoseOfTheUnseededWindowsRuntime) {
  const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int32_t value : expected) EXPECT_EQ(nextRandom(), value);
  for (int i = 0; i < 100000; ++i) {
    const int32_t value = nextRandom();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, kRandomMax);
  }
}

TEST_F(RandomTest, RandomIntAndRandomFloatReachTheirTopsOnlyOnTheLargestDraw) {
  const struct {
    int32_t draw, n, expected;
  } ints[] = {
      {kRandomMax, 5, 5}, {kRandomMax - 1, 5, 5},  // 32766 / 32767 * 6 = 5.9998
      {0, 5, 0},          {16384, 1, 1},           // 16384 / 32767 * 2 = 1.00003
      {16383, 1, 0},
  };
  for (const auto& c : ints) {
    setRandomState(stateBefore(c.draw));
    EXPECT_EQ(randomInt(c.n), c.expected) << c.draw << " of " << c.n;
  }
  setRandomState(stateBefore(kRandomMax));
  EXPECT_FLOAT_EQ(randomFloat(2.5f), 2.5f);
  setRandomState(stateBefore(0));
  EXPECT_EQ(randomFloat(2.5f), 0.0f);
  setRandomState(kUnseededRandomState);
  EXPECT_FLOAT_EQ(randomFloat(32767.0f), 41.0f);
}

}  // namespace
