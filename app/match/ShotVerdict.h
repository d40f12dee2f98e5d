#pragma once
// Why a shot was good or not, as the match judges it: the referee's box and
// call, the ball's own flight (the net stops it; where it bounced) and the
// player's own swing (whether it met the ball, and when not, whether it came
// before the ball or after it). The lessons count their tries by it and the
// hints in a match say why a serve was a fault; neither judges a ball by a
// rule of its own.

#include <cstdint>

#include "app/match/MatchReferee.h"

class Pelota;
class TennisPlayer;

enum class ShotVerdict : int32_t {
  None = 0,
  Good,
  Net,
  Long,
  Wide,
  TooEarly,
  TooLate,
  // In, but not the stroke the lesson asked for, or off its target.
  NotTheStroke,
  OffTarget,
};

// Where a ball the referee called out of `box` bounced against it: short of
// the net (on the hitter's own half, or stopped by the net) is the net;
// past the box's end farther from the net is long; beside it is wide (the
// side it missed by more, when both).
ShotVerdict whyOutside(const TargetBox& box, float bounceX, float bounceZ, bool stoppedByNet, int32_t hitterSide);

// Why the shot `hitter` last played into `box` is out (or, a serve, a fault):
// a serve it never struck missed by its swing's timing; otherwise by where
// the ball went.
ShotVerdict whyMissed(const TargetBox& box, const Pelota& ball, const TennisPlayer& hitter);
