#pragma once
// What the set-up screens call each controller: the keyboard's key sets, then
// the computer at each level. The menus and the tournament's entry show the
// same words, in either language.

#include <array>

#include "app/match/MatchSetup.h"

// Index = controller.
constexpr std::array<const char*, kControllerCount> kControllerNames{
    "P1 KEYS",     "P2 KEYS",     "P3 KEYS",     "P4 KEYS",     "CPU LEVEL 0",
    "CPU LEVEL 1", "CPU LEVEL 2", "CPU LEVEL 3", "CPU LEVEL 4", "CPU LEVEL 5"};
