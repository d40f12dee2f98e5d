#include "app/play/PointReplay.h"

#include <algorithm>

bool PointReplay::start(MatchSimulation& match, const PointStarts& points, const MatchRecording& recording) {
  const PlayedPoint* last = points.lastDecided();
  if (!last || live) return false;
  live.emplace();
  match.save(*live);
  if (!match.restore(last->start)) {
    match.restore(*live);
    live.reset();
    return false;
  }
  // The recording goes on growing with the live match later: the point plays
  // from a copy.
  shown = recording;
  cursor.emplace(*shown);
  cursor->seek(last->startStep);
  lastStep = last->callStep + kStepsAfterPointCall;
  return true;
}

bool PointReplay::nextInput(const MatchSimulation& match, StepInput& input) {
  if (!cursor || match.stepsTaken() >= lastStep) return false;
  return cursor->next(input);
}

void PointReplay::finish(MatchSimulation& match) {
  if (!live) return;
  match.restore(*live);
  live.reset();
  cursor.reset();
  shown.reset();
}
