#pragma once
// The court of the lessons, written once for the game and for the content
// program, which builds the ball machine and the marks on the court from the
// same numbers: where the machine stands behind the far baseline and where
// its balls leave it, the service box a serve of a lesson aims at, and the
// two corner targets of the far half. Header-only.
//
// A lesson plays on the near half (+x, where the broadcast camera stands):
// the person is player 0, the machine feeds from the -x end.

#include "engine/Vector3.h"
#include "tennis/Court.h"

// The machine stands on the court's axis behind the far baseline and
// faces +x; its balls leave the barrel's mouth.
constexpr float kBallMachineX = -1300.0f;
inline constexpr Vector3 kBallMachineMouth{-1205.0f, 75.0f, 0.0f};

// A lesson's serve is made from the near half's +z court, so it must land in
// the far half's -z service box.
constexpr float kLessonServeBoxXMin = -kServiceLineX;
constexpr float kLessonServeBoxXMax = 0.0f;
constexpr float kLessonServeBoxZMin = -kSinglesSideZ;
constexpr float kLessonServeBoxZMax = 0.0f;

// The corner targets of the far half: from the baseline to this far from
// the net, and from this far off the centre line out to the side line. The
// left one (as the near player sees it) is on +z.
constexpr float kCornerTargetNearX = -600.0f;
constexpr float kCornerTargetInnerZ = 100.0f;

// The marks lie this far above the court: over its lines, under the
// ball's shadow.
constexpr float kCourtMarkLift = 1.2f;
