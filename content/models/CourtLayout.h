#pragma once
// Where the game plays: the court's lines and the net as the referee and the
// ball judge them, in scene units (70 to the metre) on the game's axes (x
// along the court with the net at x = 0, y up, z across). The stadium model
// draws its lines and net from the game's own numbers (tennis/Court.h: the
// lines, the net's height, the ball's radius, the shadow's height), and the
// ball model its size.

#include "tennis/Court.h"

// Net posts stand this far outside the doubles side lines (0.914 m).
constexpr float kNetPostOutside = 64.0f;
