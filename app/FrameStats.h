#pragma once
// What `zumbolo --stats` measures: the frames the game showed and the time
// between each and the next, read from the system's steady clock at each
// buffer swap (outside the simulation, which never sees it). The summary is
// one line: frames a second over the whole run, the median and 99th
// percentile of the time between frames (nearest rank) and the longest.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class FrameStats {
 public:
  using Clock = std::chrono::steady_clock;

  void frameShown(Clock::time_point at);
  std::string summary() const;

 private:
  std::optional<Clock::time_point> first;
  std::optional<Clock::time_point> last;
  std::vector<float> gapsMs;
};
