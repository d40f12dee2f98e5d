#include "app/LoadingPicture.h"

#include <GL/gl.h>

#include <algorithm>

#include "app/menus/Menu.h"
#include "engine/OverlayRect.h"

namespace {
// The bar: a dark track along the bottom of the screen and its lit part.
constexpr float kBarLeft = 312.0f;
constexpr float kBarRight = 712.0f;
constexpr float kBarBottom = 40.0f;
constexpr float kBarTop = 52.0f;
// The fonts' dots: after the bar, one to a font.
constexpr float kDotsLeft = 722.0f;
constexpr float kDotSpacing = 14.0f;
constexpr float kDotScale = 0.5f;
}  // namespace

void LoadingPicture::draw2D() {
  // Nothing else covers the screen: the picture clears it.
  glClear(GL_COLOR_BUFFER_BIT);
  if (background) Menu::drawBackground(*background);
  glDisable(GL_TEXTURE_2D);
  glColor4f(0.1f, 0.1f, 0.1f, 1.0f);
  fillOverlayRect(kBarLeft, kBarBottom, kBarRight, kBarTop);
  glColor4f(1.0f, 0.8f, 0.2f, 1.0f);
  const float lit = kBarLeft + (kBarRight - kBarLeft) * std::clamp(progress, 0.0f, 1.0f);
  fillOverlayRect(kBarLeft, kBarBottom, lit, kBarTop);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
  for (size_t i = 0; i < fonts.size(); ++i) fonts[i]->drawText(".", kDotsLeft + kDotSpacing * float(i), kBarBottom, kDotScale);
}
