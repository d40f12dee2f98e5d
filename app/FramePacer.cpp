#include "app/FramePacer.h"

#include <algorithm>

#include "app/Percentile.h"

FramePacer::FramePacer(Clock::duration longestHold) : longestHold(longestHold) { costs.reserve(kPacedFrames); }

FramePacer::Clock::time_point FramePacer::showAt(Clock::time_point began, Clock::time_point finished) {
  const Clock::duration cost = finished - began;
  if (costs.size() < kPacedFrames) {
    costs.push_back(cost);
  } else {
    costs[nextCost] = cost;
    nextCost = (nextCost + 1) % kPacedFrames;
  }
  return std::max(finished, began + std::min(pace(), longestHold));
}

FramePacer::Clock::duration FramePacer::pace() const {
  // The cost that all but one frame in twenty stay within.
  std::vector<Clock::duration> sorted = costs;
  std::sort(sorted.begin(), sorted.end());
  return percentile(sorted, 0.95) + kPaceMargin;
}
