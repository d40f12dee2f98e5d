#include "engine/Overlay.h"

#include <GL/gl.h>

#include <algorithm>

OverlayArea overlayAreaFor(int windowWidth, int windowHeight) {
  if (windowWidth <= 0 || windowHeight <= 0) return {};
  // Window pixels per overlay unit: the overlay space fits whole.
  const double scale = std::min(windowWidth / kOverlayWidth, windowHeight / kOverlayHeight);
  const double bandX = (windowWidth / scale - kOverlayWidth) / 2.0;
  const double bandY = (windowHeight / scale - kOverlayHeight) / 2.0;
  return {-bandX, -bandY, kOverlayWidth + bandX, kOverlayHeight + bandY};
}

OverlayArea visibleOverlayArea() {
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  return overlayAreaFor(viewport[2], viewport[3]);
}
