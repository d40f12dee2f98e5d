#include "app/MatchSetup.h"

MatchSetup matchSetup;

namespace {

// Index 0, before any choice, plays as the first character.
constexpr int32_t kCharacterIdentifiers[kCharacterCount + 1] = {0, 0, 2, 1, 6};

}  // namespace

void resetPlayerSlots() { matchSetup.slots = MatchSetup{}.slots; }

int32_t playingSlotCount() { return matchSetup.doublesFlag == 0 ? 2 : kPlayerSlotCount; }

int32_t characterIdentifier(int32_t character) {
  return kCharacterIdentifiers[character >= 0 && character <= kCharacterCount ? character : kNoCharacter];
}
