#pragma once
// The nearest-rank percentile of measured times, as --stats prints them and
// the frame pacer keeps its pace.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

// The value that a `share` (0 to 1) of `sorted` (ascending, not empty) lies at or under.
template <typename T>
T percentile(const std::vector<T>& sorted, double share) {
  const size_t rank = static_cast<size_t>(std::ceil(share * static_cast<double>(sorted.size())));
  return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}
