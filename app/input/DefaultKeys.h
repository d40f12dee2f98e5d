#pragma once
// The keys a first start gives the four keyboard players (P1 KEYS to P4
// KEYS), in each set's order: down, up, left, right, hit, dive. The settings
// write them into a new config.ini and the controls screen puts a set back
// to them.

#include <array>

#include "app/match/MatchSetup.h"
#include "tennis/PlayerCommand.h"

inline constexpr std::array<KeySet, kKeySetCount> kDefaultKeySets{{
    {359, 357, 356, 358, 109, 110},  // the arrows, m hits, n dives
    {100, 101, 115, 102, 97, 113},   // d e s f, a, q
    {106, 117, 104, 107, 103, 116},  // j u h k, g, t
    {53, 56, 52, 54, 49, 50},        // the keypad's 5 8 4 6 cross, 1, 2
}};
