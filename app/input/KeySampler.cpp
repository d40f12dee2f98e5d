#include "app/input/KeySampler.h"

namespace {

// Every key's count at once: taken at every step, key by key it cost a
// seventh of a simulated match.
std::array<uint32_t, kKeyCodeCount> pressCounts() { return keyboardState.presses; }

std::array<PadControls, kKeySetCount> padCounts(const Gamepads* pads) {
  std::array<PadControls, kKeySetCount> counts{};
  if (pads) {
    for (int32_t set = 0; set < kKeySetCount; ++set) counts[set] = pads->controls(set);
  }
  return counts;
}

}  // namespace

KeySampler::KeySampler(const Gamepads* pads) : pads(pads), seenPresses(pressCounts()), seenPads(padCounts(pads)) {}

StepInput KeySampler::sample(const SlotKeySets& slotKeySets, const std::array<KeySet, kKeySetCount>& keySets) {
  StepInput input;
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    const int32_t set = slotKeySets[slot];
    if (set < 0 || set >= kKeySetCount) continue;
    const PlayerCommand keys = commandOf(keySets[set]);
    const PlayerCommand pad = padCommandOf(set);
    input.slots[slot] = {static_cast<uint8_t>(keys.held | pad.held), static_cast<uint8_t>(keys.pressed | pad.pressed)};
  }
  if (isKeyDown(kKeyEnter) || (pads && pads->anyHolds(SDL_CONTROLLER_BUTTON_A))) input.matchKeys |= kMatchKeyEnter;
  if (isKeyDown(kKeyEscape) || (pads && pads->anyHolds(SDL_CONTROLLER_BUTTON_START))) {
    input.matchKeys |= kMatchKeyEscape;
  }
  seenPresses = pressCounts();
  seenPads = padCounts(pads);
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

PlayerCommand KeySampler::padCommandOf(int32_t keySet) const {
  PlayerCommand command;
  if (!pads) return command;
  const PadControls& now = pads->controls(keySet);
  command.held = now.held;
  for (int key = 0; key < kPlayerKeyCount; ++key) {
    if (now.presses[key] != seenPads[keySet].presses[key]) command.pressed |= playerKeyBit(static_cast<PlayerKey>(key));
  }
  return command;
}
