#include "app/match/PointStarts.h"

#include <utility>

void PointStarts::afterStep(const MatchSimulation& match) {
  const int32_t phase = match.state()->phase();
  const int64_t step = match.stepsTaken();
  // A second serve goes on with the point its first serve began.
  if (!inPoint && phase == ServeInFlight) {
    inPoint = true;
    serveWaiting = true;
    waits.clear();
  }
  if (serveWaiting) {
    const bool struck = match.state()->shared().ball->hitCount() > 0;
    if (!struck && (waits.empty() || step - waits.back().step >= kServeWaitSaveSteps)) {
      if (waits.size() == kServeWaitSaves) waits.pop_front();
      waits.push_back(Waiting{{}, step});
      match.save(waits.back().state);
    }
    if (struck && !waits.empty()) {
      // The newest far enough before the strike, else the earliest kept.
      size_t chosen = 0;
      for (size_t i = 0; i < waits.size(); ++i) {
        if (step - waits[i].step >= kPointLeadSteps) chosen = i;
      }
      if (!keepEvery && played.size() >= 2) played.erase(played.begin());
      played.push_back(PlayedPoint{std::move(waits[chosen].state), waits[chosen].step, -1});
      waits.clear();
      serveWaiting = false;
    }
  }
  if (inPoint && phase == PointOver) {
    inPoint = false;
    serveWaiting = false;
    if (!played.empty() && played.back().callStep < 0) played.back().callStep = step;
  }
}

const PlayedPoint* PointStarts::lastDecided() const {
  for (auto it = played.rbegin(); it != played.rend(); ++it) {
    if (it->callStep >= 0) return &*it;
  }
  return nullptr;
}

void PointStarts::forgetAfter(int64_t step) {
  while (!played.empty() && played.back().startStep > step) played.pop_back();
  if (!played.empty() && played.back().callStep > step) played.back().callStep = -1;
  // What follows is seen again from the restored state on.
  waits.clear();
  serveWaiting = false;
  inPoint = !played.empty() && played.back().callStep < 0;
}
