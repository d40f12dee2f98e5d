#include "tennis/TeamScore.h"

namespace {

constexpr int32_t kSmallStep = 15;
constexpr int32_t kLargeStep = 10;
// Where an ordinary game switches from steps of 15 to steps of 10.
constexpr int32_t kLargeStepsFrom = 30;

}  // namespace

int32_t TeamScore::value() const {
  return mode == ScoreMode::TieBreak && points == kPointsForty ? kTieBreakSix : points;
}

void TeamScore::addPoint() {
  if (mode == ScoreMode::Ordinary) {
    points += points < kLargeStepsFrom ? kSmallStep : kLargeStep;
  } else if (points < kTieBreakLastCounted) {
    points += 1;
  } else if (points == kTieBreakLastCounted) {
    points = kPointsForty;
  } else {
    points += kLargeStep;
  }
}
