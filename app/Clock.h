#pragma once
// The game's only clock: milliseconds in a wrapping unsigned 32-bit count, as
// the frame timer expects (differences stay right across the wrap after 49.7
// days). Behind this seam so that tests and the match simulator drive the
// frame loop with a clock of their own.

#include <cstdint>

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t milliseconds() = 0;
};

// Milliseconds from a monotonic source, truncated to 32 bits.
class SystemClock : public Clock {
 public:
  uint32_t milliseconds() override;
};

// A clock that moves only when told to.
class ManualClock : public Clock {
 public:
  explicit ManualClock(uint32_t start = 0) : now(start) {}
  uint32_t milliseconds() override { return now; }
  void advance(uint32_t ms) { now += ms; }
  void set(uint32_t ms) { now = ms; }

 private:
  uint32_t now;
};
