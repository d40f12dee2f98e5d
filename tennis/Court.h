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

#include <cstdint>

#include "engine/Vector3.h"

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

// --- Players -----------------------------------------------------------------
// Speeds in units per ms, turning in degrees per ms.
constexpr float kWalkSpeed = 0.5f;
constexpr float kHitSpeed = 1.5f;
constexpr float kDiveSpeed = 1.0f;
constexpr float kTurnRate = 1.0f;
// Facing (degrees about y, 0 looks along +z) towards the net: players 0 and 2
// play on +x and look along -x.
constexpr float kFacingNetFromPlusX = -90.0f;
constexpr float kFacingNetFromMinusX = 90.0f;
constexpr float kFacingPlusZ = 0.0f;
constexpr float kFacingMinusZ = 180.0f;
// Where the server stands across the court, and the serve side value that
// puts it on the -z half.
constexpr float kServeStartZ = 200.0f;
constexpr int kServeSideMinusZ = 3;
// Keeps a server off the centre mark (z = 0) itself.
constexpr float kServeCentreMargin = 1e-8f;
// Dust is spawned at every multiple of this clock time (ms) of the walking clip.
constexpr uint32_t kDustIntervalMs = 160;

// Reach (units) from the racket's hitting point to the ball's centre.
constexpr float kStrokeReach = 150.0f;
constexpr float kDiveReach = 187.5f;
// A stroke is an overhead smash when the ball is higher than kSmashHeight and
// nearer than kSmashReach.
constexpr float kSmashHeight = 170.0f;
constexpr float kSmashReach = 200.0f;
// Speed factors of the low drive and of the lob, and of any dive volley.
constexpr float kLowShotFactor = 1.25f;
constexpr float kLobFactor = 0.5f;
constexpr float kDiveShotFactor = 0.5f;

// The serve: ball heights (units) and swing clock times (ms), both exclusive,
// in which the swing meets the ball.
constexpr float kServeHitMinY = 120.0f;
constexpr float kServeHitMaxY = 230.0f;
constexpr uint32_t kServeHitStartMs = 160;
constexpr uint32_t kServeHitEndMs = 320;
// Serve speed (units per ms): kServeBaseSpeed - |height - kServeIdealY| *
// kServeSpeedLoss + the player's hit speed.
constexpr float kServeBaseSpeed = 1.8f;
constexpr float kServeIdealY = 150.0f;
constexpr float kServeSpeedLoss = 0.0225f;
// The toss starts from the hand, offset from the player for a server facing
// +90 degrees (mirrored for -90), and goes straight up at this speed (m/s).
constexpr float kTossOffsetX = 8.477f;
constexpr float kTossOffsetY = 127.182f;
constexpr float kTossOffsetZ = 10.165f;
constexpr float kTossSpeed = 9.5f;
// The toss's start in the server's own space (facing +z, its right on -x),
// where its hand holds the ball until then.
inline constexpr Vector3 kServeTossPoint{-kTossOffsetZ, kTossOffsetY, kTossOffsetX};
// A ball taken back for the serve waits here, far off court, until the hand
// carries it from the next step on.
constexpr float kBallParkX = 5000.0f;

// Aim points. The serve: three depths of the diagonal service box (x, for a
// server facing +90 degrees) and three widths (|z|).
constexpr float kServeAimX[3] = {293.0f, 441.0f, 587.14f};
constexpr float kServeAimZ[3] = {1.0f, 189.0f, 377.318f};
// Strokes aim at this |x| with these heights by row (players 0 and 2; the
// other half uses them in reverse), the side columns this far across.
constexpr float kStrokeAimX = 400.0f;
constexpr float kStrokeAimY[3] = {120.0f, 150.0f, 300.0f};
constexpr float kStrokeColumnZ = 150.0f;
constexpr float kLowestStrokeAimY = kStrokeAimY[0];
// Dive volleys go to the opponent's service line, to these z by column.
constexpr float kDiveAimZ[3] = {200.0f, 0.0f, -200.0f};

// --- Computer players --------------------------------------------------------
// The comfortable hitting height (units) whose crossings the computer predicts.
constexpr float kCpuHitHeight = 43.622f;
// With side steps, each predicted point gives positions this far either side.
constexpr float kCpuSideStep = 50.0f;
// Doubles zones: the net player covers up to kCpuZoneSplitX from the net, the
// back player from there to kCpuZoneFarX.
constexpr float kCpuZoneSplitX = 838.14f;
constexpr float kCpuZoneFarX = 2185.804f;
// Singles players recover to this |x|.
constexpr float kCpuHomeX = 688.14f;
constexpr float kCpuMaxServeDelayMs = 3000.0f;
// The swing starts as the tossed ball falls below this height (units): short
// serves, middle row, other rows.
constexpr float kCpuSwingShortY = 280.0f;
constexpr float kCpuSwingMiddleY = 260.0f;
constexpr float kCpuSwingDeepY = 225.0f;
// Ms before the ball arrives when the stroke starts, and within which an
// unreachable ball makes the player dive.
constexpr float kCpuStrokeLeadMs = 100.0f;
constexpr float kCpuDiveLeadMs = 200.0f;
// Closer than this (units) a target counts as reached without a step.
constexpr float kCpuArrivedDistance = 0.1f;
// Score of a candidate not yet scored.
constexpr float kCpuUnscored = 1e9f;
constexpr int kCpuMaxLevel = 5;
// How far (units, either way) a computer's stroke may stray from the point it
// aims at, across the court and up or down, by level. Higher means longer and
// lower means into the net, so a stray is a miss of any kind. Three columns
// (this one, the steady shots and the stroke pace) have a value of their own
// in doubles, where levels 3 to 5 play as they play two people: against a
// single person level 3 hits harder and levels 4 and 5 play more loosely and
// more slowly (see the pace), whereas two people at the net volley a slower
// ball away, and in doubles the higher level would no longer beat the lower.
constexpr float kCpuAimScatter[kCpuMaxLevel + 1] = {180.0f, 80.0f, 60.0f, 50.0f, 58.0f, 16.0f};
constexpr float kCpuDoublesAimScatter[kCpuMaxLevel + 1] = {180.0f, 80.0f, 60.0f, 50.0f, 48.0f, 12.0f};
// A trial shot counts as landing in only this far (units) inside the side
// lines, by level: it starts from where the ball is, not from where it will
// be met, and the real shot lands wider, out from the corners.
constexpr float kCpuAimInside[kCpuMaxLevel + 1] = {0.0f, 0.0f, 120.0f, 120.0f, 120.0f, 120.0f};
// A person who reaches the ball returns it, so against a person a rally runs
// long and ends on the computer's widened stray. How much of its own width
// the scatter grows by with each shot of a rally, by level, once the rally
// is longer than the level's steady shots: the lowest level tires fast, the
// higher ones ever more slowly, and the top level holds its scatter for a
// long rally and then tires fast, so that a person has to beat it rather
// than outlast it, and a rally against two people in doubles, who cover the
// whole court, still ends.
constexpr float kCpuStrayGrowthPerShot[kCpuMaxLevel + 1] = {0.8f, 0.25f, 0.08f, 0.05f, 0.045f, 0.5f};
constexpr float kCpuSteadyShots[kCpuMaxLevel + 1] = {0.0f, 0.0f, 0.0f, 0.0f, 8.0f, 48.0f};
constexpr float kCpuDoublesSteadyShots[kCpuMaxLevel + 1] = {0.0f, 0.0f, 0.0f, 0.0f, 3.0f, 48.0f};
// The pace of a computer's strokes by level, a factor on its row's hit
// speed, so that a person has less time to get across to the ball and two
// computers of the top level end their rallies on winners. In singles level
// 4 hits softer than level 3: its slower ball leaves a person who starts
// soon (an expert) time to pass it with low drives, while one who starts
// late (a regular) still errs on it, so that the two skills part at the top
// of the ladder. Even the top level's low drive stays slower than the
// fastest serve. A stroke hit harder aims lower above the ball's height by
// the same factor, so that it comes down about as deep.
constexpr float kCpuStrokePace[kCpuMaxLevel + 1] = {1.0f, 1.03f, 1.07f, 1.28f, 1.05f, 1.2f};
constexpr float kCpuDoublesStrokePace[kCpuMaxLevel + 1] = {1.0f, 1.03f, 1.07f, 1.1f, 1.14f, 1.33f};
// Of the strokes of a level that aims away from the opponents, the share it
// plays to the open court; the others go anywhere in the court. A person who
// sees where every ball is going reaches it, and is pulled wide, and errs,
// more often by a ball to anywhere; a computer is passed by the open court.
constexpr float kCpuOpenCourtShare[kCpuMaxLevel + 1] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.55f};
// The serve swing starts as the toss falls past its height, give or take up
// to this many units, drawn each serve, by level: now and then a computer
// mistimes a serve, and once in a while both. Level 0 mistimes twice as
// widely, so that a newcomer, who returns few serves, wins some points on
// its double faults.
constexpr float kCpuServeSwingStray[kCpuMaxLevel + 1] = {16.0f, 8.0f, 8.0f, 8.0f, 8.0f, 8.0f};
// Where a computer at the net in doubles recovers to after its stroke (|x|,
// units from the net), by level; levels 0 and 1 stay where they hit. From
// the singles depth, behind the service line, the net player meets the ball
// late and two people return everything it sends: the top two levels close
// in, volley sooner and at sharper angles, and leave the people less time.
constexpr float kCpuNetPlayerX[kCpuMaxLevel + 1] = {kCpuHomeX, kCpuHomeX, kCpuHomeX, kCpuHomeX, 400.0f, 300.0f};
// A level that chooses among trial shots knows how far its stroke strays now
// and counts a trial shot as in only when it lands this many strays inside
// the baseline; one that aims away from the opponents also keeps this many
// strays inside the side lines (on top of kCpuAimInside). Without them the
// chosen corners and deep shots go out as soon as a rally grows, and a level
// loses to the ones below it that only aim at the middle.
constexpr float kCpuStraysInsideBaseline = 3.0f;
constexpr float kCpuStraysInsideSideLines = 2.0f;
