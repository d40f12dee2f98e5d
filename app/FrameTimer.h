#pragma once
// Measures the time between displayed frames for the frame loop. A stall of
// the process (a debugger, a slow load, a suspended laptop) is handed back as
// at most one second, so the loop never tries to catch up minutes of play.

#include <cstdint>
#include <memory>

#include "app/Clock.h"

constexpr uint32_t kMaxFrameMs = 1000;

class FrameTimer {
 public:
  explicit FrameTimer(std::shared_ptr<Clock> clock);
  // Starts measuring afresh: the next tick counts from now. A match calls it
  // once it is built, so that its loading time is not played as steps.
  void reset();
  // Milliseconds since the previous tick, at most kMaxFrameMs.
  uint32_t tick();
  // Milliseconds since the last tick (or reset), at most kMaxFrameMs.
  uint32_t sinceTick() const;

 private:
  std::shared_ptr<Clock> clock;
  uint32_t now = 0;
  uint32_t previous = 0;
};
