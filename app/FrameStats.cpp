#include "app/FrameStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

float percentile(const std::vector<float>& sorted, double share) {
  const size_t rank = static_cast<size_t>(std::ceil(share * static_cast<double>(sorted.size())));
  return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

}  // namespace

void FrameStats::frameShown(Clock::time_point at) {
  if (last) gapsMs.push_back(std::chrono::duration<float, std::milli>(at - *last).count());
  if (!first) first = at;
  last = at;
}

std::string FrameStats::summary() const {
  if (gapsMs.empty()) return "Fotogramas mostrados: menos de dos, sin tiempos que medir";
  std::vector<float> sorted = gapsMs;
  std::sort(sorted.begin(), sorted.end());
  const double seconds = std::chrono::duration<double>(*last - *first).count();
  char line[200];
  std::snprintf(line, sizeof line,
                "Fotogramas mostrados: %zu en %.1f s, %.1f por segundo; entre uno y otro: 50%% %.1f ms, "
                "99%% %.1f ms, el mas largo %.1f ms",
                gapsMs.size() + 1, seconds, static_cast<double>(gapsMs.size()) / seconds,
                static_cast<double>(percentile(sorted, 0.5)), static_cast<double>(percentile(sorted, 0.99)),
                static_cast<double>(sorted.back()));
  return line;
}
