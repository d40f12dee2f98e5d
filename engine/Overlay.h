#pragma once
// A 2D item drawn over the 3D picture in the scene's last pass: the menus, the
// scoreboard, messages, fades. The scene owns its overlays, advances each one
// once per fixed step and draws them in the order they were added, in a
// 1024 x 768 screen space with y growing upwards whatever the window's size.
// The scene leaves depth test and lighting off for them; texturing, blending
// and colour are each overlay's own business.

#include <cstdint>

// The overlay space: one unit is one pixel of a 1024 x 768 window.
constexpr double kOverlayWidth = 1024.0;
constexpr double kOverlayHeight = 768.0;

class Overlay {
 public:
  virtual ~Overlay() = default;
  virtual void draw2D() = 0;
  // dtMs: the step's length in milliseconds.
  virtual void update(uint32_t dtMs) = 0;
};
