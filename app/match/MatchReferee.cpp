#include "app/match/MatchReferee.h"

#include <cstdlib>

#include "tennis/Court.h"

TargetBox serveTargetBox(int32_t servingSide, int32_t serveCourt) {
  TargetBox box;
  // The receiver's half: side 0 plays on +x.
  box.xMin = servingSide == 1 ? 0.0f : -kServiceLineX;
  box.xMax = servingSide == 1 ? kServiceLineX : 0.0f;
  box.zMin = serveCourt != kServeCourtMinusZ ? -kSinglesSideZ : 0.0f;
  box.zMax = serveCourt != kServeCourtMinusZ ? 0.0f : kSinglesSideZ;
  return box;
}

TargetBox rallyTargetBox(int32_t ballSide, float halfWidth) {
  TargetBox box;
  box.xMin = ballSide != 1 ? 0.0f : -kBaselineX;
  box.xMax = ballSide != 1 ? kBaselineX : 0.0f;
  box.zMin = -halfWidth;
  box.zMax = halfWidth;
  return box;
}

bool endsChangeAfter(int32_t gamesPlayed) { return gamesPlayed % 2 == 0; }

PointOutcome readPointCode(int32_t code) {
  PointOutcome outcome;
  outcome.winner = code > 0 ? 1 : 0;
  outcome.loser = 1 - outcome.winner;
  outcome.kind = std::abs(code);
  return outcome;
}

RefereeCall MatchReferee::judge(const BallReading& ball) {
  const bool inside = box.contains(ball.bounceX, ball.bounceZ);
  switch (phase) {
    case ServeInFlight:
      // Two bounces between frames (a long frame of several steps) are
      // judged as the first one: waiting for a count of exactly 1 would
      // leave the point unfinished for ever.
      if (ball.bounceCount >= 1) {
        if (inside) {
          ballSide = 1 - ballSide;
          faults = 0;
          phase = AfterGoodBounce;
          return RefereeCall::Nothing;
        }
        ++faults;
        if (faults >= kFaultsForDoubleFault) {
          phase = PointOver;
          return RefereeCall::DoubleFault;
        }
        phase = ShowingMessage;
        return RefereeCall::Fault;
      }
      // Taken on the volley by the receiver before it bounced: no fault.
      if (ball.direction == servingSide) {
        ballSide = 1 - ballSide;
        phase = BallInPlay;
        recomputeBox();
      }
      return RefereeCall::Nothing;
    case BallInPlay:
      if (ball.bounceCount >= 1) {
        if (inside) {
          ballSide = 1 - ballSide;
          phase = AfterGoodBounce;
          return RefereeCall::Nothing;
        }
        phase = PointOver;
        return RefereeCall::Out;
      }
      if (ball.direction != ballSide) {
        ballSide = 1 - ballSide;
        recomputeBox();
      }
      return RefereeCall::Nothing;
    case AfterGoodBounce:
      if (ball.bounceCount >= 2) {
        phase = PointOver;
        return RefereeCall::SecondBounce;
      }
      if (ball.bounceCount == 0) {
        phase = BallInPlay;
        recomputeBox();
      }
      return RefereeCall::Nothing;
    default: return RefereeCall::Nothing;
  }
}

void MatchReferee::recomputeBox() {
  box = phase == ServeInFlight ? serveTargetBox(servingSide, serveCourt) : rallyTargetBox(ballSide, halfWidth);
}

void MatchReferee::prepareServe() {
  if (faults == 1) return;  // a second serve, from the same court
  faults = 0;
  serveCourt = serveCourt == kServeCourtMinusZ ? kServeCourtPlusZ : kServeCourtMinusZ;
  if (!tieBreak) return;
  if (tieBreakPoints == 0) {
    serveCourt = kServeCourtMinusZ;
  } else if (tieBreakPoints % 2 == 1) {
    servingSide = 1 - servingSide;
    serveCourt = kServeCourtSum - serveCourt;
  }
  ++tieBreakPoints;
}

void MatchReferee::startTieBreak() {
  tieBreak = true;
  // A later set's tie-break starts its serving order afresh.
  tieBreakPoints = 0;
}

void MatchReferee::startGame() {
  phase = ServeInFlight;
  faults = 0;
  // prepareServe alternates this before the game's first point.
  serveCourt = servingSide == 1 ? kServeCourtMinusZ : kServeCourtPlusZ;
}
