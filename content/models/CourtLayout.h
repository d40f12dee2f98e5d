#pragma once
// Where the game plays: the court's lines and the net as the referee and the
// ball judge them, in scene units (70 to the metre) on the game's axes (x
// along the court with the net at x = 0, y up, z across). The stadium model
// draws its lines and net from these numbers, and the ball model its size.

// Outer edges of the lines: a ball that touches a line is in.
constexpr float kBaselineX = 1092.902f;
constexpr float kServiceLineX = 588.14f;
constexpr float kSinglesSideZ = 378.318f;
constexpr float kDoublesSideZ = 504.434f;
// The ball stops dead below this height as it crosses x = 0.
constexpr float kNetTopY = 100.0f;
// Net posts stand this far outside the doubles side lines (0.914 m).
constexpr float kNetPostOutside = 64.0f;
// The ball's radius (0.101 m); its centre rests at this height.
constexpr float kBallRadius = 7.07f;
// The game lays the ball's shadow object this high above the ground.
constexpr float kShadowParentY = 10.0f;
