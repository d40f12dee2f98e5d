#pragma once
// Holds each finished match frame back to an even pace before it is shown.
//
// A frame costs a different time from its step to its last pixel (on a
// software renderer from under 8 ms to over 16 ms, with the same scene).
// Shown the moment it is finished, each frame's time on screen would take on
// the difference between its cost and the one before: an uneven picture,
// although the steps are even. The pacer shows a frame at a fixed time after
// its step began instead: a little more than nearly all recent frames took
// (the 95th percentile of the last kPacedFrames), so that most frames are
// shown one step apart and only the rare costlier one is late. It never holds
// a frame longer than it is told, so the next step is never put off, and a
// frame finished later than the pace is shown at once.
//
// Plain time arithmetic, outside the simulation: it decides only when a
// picture that is already drawn is handed to the screen.

#include <chrono>
#include <cstddef>
#include <vector>

class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  // Two seconds of frames at the game's pace.
  static constexpr size_t kPacedFrames = 120;
  // Kept above the percentile, for the time the showing itself varies by.
  static constexpr Clock::duration kPaceMargin = std::chrono::microseconds(500);

  explicit FramePacer(Clock::duration longestHold);

  // A frame begun at `began` has all its pixels at `finished`: when to show it.
  Clock::time_point showAt(Clock::time_point began, Clock::time_point finished);

 private:
  Clock::duration pace() const;

  Clock::duration longestHold;
  // The costs of the last frames, oldest overwritten first.
  std::vector<Clock::duration> costs;
  size_t nextCost = 0;
};
