#include "app/FrameTimer.h"

#include <algorithm>

FrameTimer::FrameTimer(std::shared_ptr<Clock> frameClock) : clock(std::move(frameClock)) { reset(); }

void FrameTimer::reset() { now = previous = clock->milliseconds(); }

uint32_t FrameTimer::tick() {
  previous = now;
  now = clock->milliseconds();
  // Unsigned subtraction: right across the clock's wrap.
  return std::min(now - previous, kMaxFrameMs);
}

uint32_t FrameTimer::sinceTick() const { return std::min(clock->milliseconds() - now, kMaxFrameMs); }
