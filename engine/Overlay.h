#pragma once
// A 2D item drawn over the 3D picture in the scene's last pass: the menus, the
// scoreboard, messages, fades. The scene owns its overlays, advances each one
// once per fixed step and draws them in the order they were added, in a
// 1024 x 768 screen space with y growing upwards whatever the window's size.
// The scene leaves depth test and lighting off for them; texturing, blending
// and colour are each overlay's own business.
//
// The overlay space keeps its proportions in a window of any shape: it is
// fitted whole into the window and centred, so a circle stays round at 4:3,
// 16:10, 16:9 or 5:4. The bands left beside it (or above and below) lie
// outside 0..1024 x 0..768; what covers the whole screen (a fade, a
// background) reaches them through visibleOverlayArea.

#include <cstdint>

// The overlay space: one unit is one pixel of a 1024 x 768 window.
constexpr double kOverlayWidth = 1024.0;
constexpr double kOverlayHeight = 768.0;

// The window's edges in overlay units.
struct OverlayArea {
  double left = 0.0;
  double bottom = 0.0;
  double right = kOverlayWidth;
  double top = kOverlayHeight;
  bool operator==(const OverlayArea&) const = default;
};

// The area a window of this size shows, the overlay space fitted into it; a
// window without height or width shows the overlay space alone.
OverlayArea overlayAreaFor(int windowWidth, int windowHeight);
// The area the current viewport shows (OpenGL).
OverlayArea visibleOverlayArea();

class Overlay {
 public:
  virtual ~Overlay() = default;
  virtual void draw2D() = 0;
  // dtMs: the step's length in milliseconds.
  virtual void update(uint32_t dtMs) = 0;
};
