#include "engine/ScreenFade.h"

#include <GL/gl.h>

#include <cmath>

#include "engine/DrawCalls.h"

void ScreenFade::draw2D() {
  // A clear fade would blend every pixel of the screen for nothing: with a
  // software renderer that is a good part of a frame.
  if (opacity <= 0.0f) return;
  glEnable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glColor4f(r, g, b, opacity);
  // The whole window, the bands beside the overlay space too.
  const OverlayArea area = visibleOverlayArea();
  countDrawCall();
  glBegin(GL_TRIANGLE_STRIP);
  glVertex2d(area.right, area.top);
  glVertex2d(area.left, area.top);
  glVertex2d(area.right, area.bottom);
  glVertex2d(area.left, area.bottom);
  glEnd();
}

void ScreenFade::update(uint32_t dtMs) {
  if (rate != 0.0f) opacity = float(opacity + dtMs * rate * 0.001);
  if ((rate < 0.0f && opacity < target) || (rate > 0.0f && opacity > target)) opacity = target;
  if (opacity == target) rate = 0.0f;
}

void ScreenFade::startFade(float red, float green, float blue, float targetAlpha, float seconds) {
  r = red;
  g = green;
  b = blue;
  target = targetAlpha;
  // A fade of no length would divide by zero and, as NaN, never arrive.
  if (!(seconds > 0.0f) || !std::isfinite(seconds)) {
    opacity = target;
    rate = 0.0f;
    return;
  }
  rate = (target - opacity) / seconds;
}

void ScreenFade::saveState(StateWriter& out) const {
  for (const float value : {opacity, rate, r, g, b, target}) out.put(value);
}

void ScreenFade::restoreState(StateReader& in) {
  for (float* value : {&opacity, &rate, &r, &g, &b, &target}) in.get(*value);
}
