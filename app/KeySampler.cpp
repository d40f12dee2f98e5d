#include "app/KeySampler.h"

namespace {

std::array<uint32_t, kKeyCodeCount> pressCounts() {
  std::array<uint32_t, kKeyCodeCount> counts{};
  for (int code = 0; code < kKeyCodeCount; ++code) counts[code] = keyPressCount(code);
  return counts;
}

}  // namespace

KeySampler::KeySampler() : seenPresses(pressCounts()) {}

StepInput KeySampler::sample(const SlotKeySets& slotKeySets, const std::array<KeySet, kKeySetCount>& keySets) {
  StepInput input;
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    const int32_t set = slotKeySets[slot];
    if (set >= 0 && set < kKeySetCount) input.slots[slot] = commandOf(keySets[set]);
  }
  if (isKeyDown(kKeyEnter)) input.matchKeys |= kMatchKeyEnter;
  if (isKeyDown(kKeyEscape)) input.matchKeys |= kMatchKeyEscape;
  seenPresses = pressCounts();
  return input;
}

PlayerCommand KeySampler::commandOf(const KeySet& codes) const {
  PlayerCommand command;
  for (int key = 0; key < kPlayerKeyCount; ++key) {
    const int code = codes[key];
    const uint8_t bit = playerKeyBit(static_cast<PlayerKey>(key));
    if (isKeyDown(code)) command.held |= bit;
    if (code >= 0 && code < kKeyCodeCount && keyPressCount(code) != seenPresses[code]) command.pressed |= bit;
  }
  return command;
}
