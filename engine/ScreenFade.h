#pragma once
// A colour laid over the whole screen with a changing opacity: the match fades
// to black between points, to white out of the introduction, and back. A new
// fade is opaque black. startFade sets the colour at once and moves the
// opacity towards the target at a constant rate on every fixed step, landing
// on the target exactly; the match waits for isFading to turn false.

#include <cstdint>

#include "engine/Overlay.h"
#include "engine/StateBuffer.h"

class ScreenFade : public Overlay {
 public:
  ScreenFade() = default;
  ~ScreenFade() override = default;

  // Covers the whole window (the overlay space and the bands beside it) with
  // (red, green, blue, alpha), blended; a clear one (alpha 0 or less) draws
  // nothing, which shows the same.
  void draw2D() override;
  // Moves alpha by dtMs at the current speed, never past the target; the
  // speed drops to 0 on arrival.
  void update(uint32_t dtMs) override;

  // Takes the colour and makes alpha reach targetAlpha in `seconds`. A fade
  // of no time (0 or less) arrives at once, with no division by zero.
  void startFade(float red, float green, float blue, float targetAlpha, float seconds);
  bool isFading() const { return opacity != target; }

  float alpha() const { return opacity; }
  // Alpha units per second, signed.
  float speed() const { return rate; }
  float red() const { return r; }
  float green() const { return g; }
  float blue() const { return b; }
  float targetAlpha() const { return target; }

  void saveState(StateWriter& out) const;
  void restoreState(StateReader& in);

 private:
  float opacity = 1.0f;
  float rate = 0.0f;
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
  float target = 1.0f;
};
