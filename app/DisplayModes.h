#pragma once
// The modes the display offers for full screen, as SDL's video subsystem
// lists them for the first display: each size once, at its highest refresh
// rate, largest first. The subsystem is started for the question and shut
// again (GLUT owns the game's window; SDL opens none). A display SDL cannot
// reach offers nothing.

#include <vector>

#include "app/menus/OptionsStage.h"

std::vector<ScreenSize> displayModes();
