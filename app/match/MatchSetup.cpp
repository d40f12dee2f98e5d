#include "app/match/MatchSetup.h"

MatchSetup matchSetup;

int32_t playingSlotCount() { return matchSetup.doublesFlag == 0 ? 2 : kPlayerSlotCount; }

int32_t characterIdentifier(int32_t character) {
  // Index 0, before any choice, plays as the first character.
  return kCharacters[character >= 1 && character <= kCharacterCount ? character - 1 : 0].identifier;
}
