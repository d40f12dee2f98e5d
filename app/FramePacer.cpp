#include "app/FramePacer.h"

#include <algorithm>

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
  // The 95th percentile by nearest rank: the cost that all but one frame in
  // twenty stay within.
  std::vector<Clock::duration> sorted = costs;
  const size_t rank = (sorted.size() * 95 + 99) / 100;
  const auto at = sorted.begin() + static_cast<std::ptrdiff_t>(rank - 1);
  std::nth_element(sorted.begin(), at, sorted.end());
  return *at + kPaceMargin;
}
