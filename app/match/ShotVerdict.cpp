#include "app/match/ShotVerdict.h"

#include <algorithm>

#include "tennis/Pelota.h"
#include "tennis/TennisPlayer.h"

namespace {

// How far a value lies outside [low, high]; 0 inside, and on a boundary,
// which the referee counts as out too.
float outside(float value, float low, float high) { return std::max({low - value, value - high, 0.0f}); }

}  // namespace

ShotVerdict whyOutside(const TargetBox& box, float bounceX, float bounceZ, bool stoppedByNet, int32_t hitterSide) {
  const bool ownHalf = hitterSide == 0 ? bounceX >= 0.0f : bounceX <= 0.0f;
  if (stoppedByNet || ownHalf) return ShotVerdict::Net;
  const float byX = outside(bounceX, box.xMin, box.xMax);
  const float byZ = outside(bounceZ, box.zMin, box.zMax);
  if (byZ > byX) return ShotVerdict::Wide;
  if (byX > 0.0f) return ShotVerdict::Long;
  // Exactly on a line: the one it lies on.
  const bool onSideLine = bounceZ <= box.zMin || bounceZ >= box.zMax;
  return onSideLine ? ShotVerdict::Wide : ShotVerdict::Long;
}

ShotVerdict whyMissed(const TargetBox& box, const Pelota& ball, const TennisPlayer& hitter) {
  if (ball.hitCount() == 0) {
    return hitter.lastSwingMiss() == SwingMiss::TooEarly ? ShotVerdict::TooEarly : ShotVerdict::TooLate;
  }
  return whyOutside(box, ball.lastBounce().x, ball.lastBounce().z, ball.stoppedByNet(), hitter.courtSide());
}
