#pragma once
// A 2D item drawn over the scene in the overlay pass, in a 1024 x 768 screen
// space with y growing upwards: the menus, the scoreboard, messages, fades.
// The scene advances every overlay once per fixed step.

#include <cstdint>

class Overlay {
 public:
  virtual ~Overlay() = default;
  virtual void draw2D() = 0;
  // dtMs: the step's length in milliseconds.
  virtual void update(uint32_t dtMs) = 0;
};
