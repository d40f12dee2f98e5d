// The keyboard sampled once a step into the commands of the player slots.

#include <gtest/gtest.h>

#include "app/input/KeySampler.h"

namespace {

constexpr uint8_t bit(PlayerKey key) { return playerKeyBit(key); }

TEST(KeySamplerTest, EachStepSeesHeldKeysAndThePressesSinceTheStepBefore) {
  releaseAllKeys();
  std::array<KeySet, kKeySetCount> keySets{};
  keySets[1] = {'s', 'w', 'a', 'd', 'A', 'q'};  // hit on Shift+A, "left" on a
  keySets[2] = {-5, 9000, 'x', 'y', 'z', 'v'};  // two codes outside the tables
  // Slots 0 and 2 share key set 1; slot 1 is the computer's.
  const SlotKeySets slots{1, kNoKeySet, 1, 2};
  pressCharacterKey('w');  // before the sampler: held, never reported as pressed
  KeySampler sampler;
  const struct {
    const char* what;
    int press, release;  // key codes, -1 for none; a press comes first
    uint8_t held, pressed;  // of slots 0 and 2
    uint8_t matchKeys;
  } steps[] = {
      {"held since before", -1, -1, bit(KeyUp), 0, 0},
      {"a press", 's', -1, bit(KeyUp) | bit(KeyDown), bit(KeyDown), 0},
      {"still held", -1, -1, bit(KeyUp) | bit(KeyDown), 0, 0},
      {"a tap between two steps", 'q', 'q', bit(KeyUp) | bit(KeyDown), bit(KeyDive), 0},
      {"Shift+A is not a", 'A', 's', bit(KeyUp) | bit(KeyHit), bit(KeyHit), 0},
      {"Shift let go first", -1, 'a', bit(KeyUp), 0, 0},
      {"Enter and Escape", kKeyEnter, 'w', 0, 0, kMatchKeyEnter},
      {"", kKeyEscape, kKeyEnter, 0, 0, kMatchKeyEscape},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    if (step.press >= 0) pressCharacterKey(static_cast<unsigned char>(step.press));
    if (step.release >= 0) releaseCharacterKey(static_cast<unsigned char>(step.release));
    const StepInput input = sampler.sample(slots, keySets);
    EXPECT_EQ(input.slots[0], (PlayerCommand{step.held, step.pressed}));
    EXPECT_EQ(input.slots[2], input.slots[0]);
    EXPECT_EQ(input.slots[1], PlayerCommand{});
    EXPECT_EQ(input.matchKeys, step.matchKeys);
  }
  // Every key of set 2 down: the two codes outside the tables never are.
  for (const char key : {'x', 'y', 'z', 'v'}) pressCharacterKey(key);
  pressSpecialKey(kKeyCodeCount);
  const PlayerCommand all = sampler.sample(slots, keySets).slots[3];
  EXPECT_EQ(all.held, bit(KeyLeft) | bit(KeyRight) | bit(KeyHit) | bit(KeyDive));
  EXPECT_EQ(all.pressed, all.held);
  releaseAllKeys();
}

}  // namespace
