#pragma once
// The game's court and ball constants, named here once for the whole game
// (and for the content program, which draws the court and the ball from the
// same numbers). Header-only: nothing here needs a library.
//
// Units and axes: scene units, 70 to the metre; x along the court with the
// net in the plane x = 0, y up with the ground at y = 0, z across. The ball's
// flight mixes units on purpose: heights and vertical speeds in metres and
// metres per second, horizontal positions in scene units, horizontal speed in
// scene units per millisecond, times in milliseconds.

constexpr float kUnitsPerMetre = 70.0f;

// Outer edges of the lines: a ball that touches a line is in.
constexpr float kBaselineX = 1092.902f;
constexpr float kServiceLineX = 588.14f;
constexpr float kSinglesSideZ = 378.318f;
constexpr float kDoublesSideZ = 504.434f;
// The ball stops dead below this height as it crosses x = 0. The net has no
// extent in z: it spans the whole world.
constexpr float kNetTopY = 100.0f;

// Players never enter the band |x| < kNetBandX and stay within these limits.
constexpr float kNetBandX = 70.0f;
constexpr float kPlayerLimitX = 1500.0f;
constexpr float kPlayerLimitZ = 900.0f;

// The ball's radius (0.101 m); its centre rests at this height, and a ball
// stopped by the net is put this far from the net's plane.
constexpr float kBallRadius = 7.07f;
constexpr float kBallRadiusMetres = 0.101f;
// Metres per second squared: the game's ball falls twice as fast as a real one.
constexpr float kGravity = 19.6f;
// Share of the vertical speed that a bounce keeps (the direction reversed).
constexpr float kBounceRestitution = 0.625f;
// An arc that lands this soon (ms) or sooner is not bounced again: the ball
// rolls along the ground from then on.
constexpr float kMinBounceArcMs = 100.0f;
// A free ball faster than this (units per ms) leaves a blur every step.
constexpr float kBlurSpeed = 1.8f;
// The half turn that a hit subtracts from its heading: this constant, not pi
// to float precision.
constexpr float kHitHalfTurn = 3.141592f;
// Flight time (seconds) of a hit toward the point where the ball already is.
constexpr float kMinHitSeconds = 1e-8f;
// A prediction for a height above the apex looks this far (units) below it.
constexpr float kApexMargin = 0.1f;

// The game lays the ball's shadow object this high above the ground.
constexpr float kShadowParentY = 10.0f;
