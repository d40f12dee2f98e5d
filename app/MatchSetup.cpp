#include "app/MatchSetup.h"

MatchSetup matchSetup;

void resetPlayerSlots() { matchSetup.slots = MatchSetup{}.slots; }

int32_t playingSlotCount() { return matchSetup.doublesFlag == 0 ? 2 : kPlayerSlotCount; }
