#include "app/play/WordsPanel.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

#include "tennis/RoundedPanel.h"

namespace {

constexpr float kPanelRed = 0.08f;
constexpr float kPanelGreen = 0.17f;
constexpr float kPanelBlue = 0.38f;
constexpr float kPanelAlpha = 0.85f;
constexpr float kCornerRadius = 26.0f;
constexpr int32_t kCornerSegments = 8;
constexpr float kRimWidth = 4.0f;
constexpr float kRimAlpha = 0.7f;
constexpr float kSmallestScale = 0.3f;
constexpr float kScaleStep = 0.05f;

}  // namespace

void drawWordsPanel(float centreX, float bottom, float top, float width) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  const RoundedPanel panel(width, top - bottom, kPanelRed, kPanelGreen, kPanelBlue, kPanelAlpha, kCornerRadius,
                           kCornerSegments, centreX, (top + bottom) / 2);
  panel.draw();
  panel.drawOutline(kRimWidth, 1.0f, 1.0f, 1.0f, kRimAlpha);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void drawWordsPanelBehind(const Font& font, const std::vector<std::string>& lines, float centreX, float firstY,
                          float lastY, float scale) {
  float width = 0.0f;
  for (const std::string& line : lines) width = std::max(width, drawnWidth(font, line, scale));
  if (width <= 0.0f) return;
  drawWordsPanel(centreX, textBottom(font, lastY, scale) - kWordsPanelPadY,
                 textTop(font, firstY, scale) + kWordsPanelPadY, width + 2 * kWordsPanelPadX);
}

float fittingScale(const Font& font, const std::vector<std::string>& lines, float scale) {
  float fitted = scale;
  for (const std::string& line : lines) {
    while (fitted > kSmallestScale && drawnWidth(font, line, fitted) > kWidestWords) fitted -= kScaleStep;
  }
  return fitted;
}

float drawnWidth(const Font& font, std::string_view line, float scale) {
  float glyphs = 0.0f;
  for (const char c : line) glyphs += font.glyph(static_cast<unsigned char>(c)) ? 1.0f : 0.0f;
  if (glyphs == 0.0f) return 0.0f;
  return (font.textWidth(line) - glyphs * font.spacing()) * scale + (glyphs - 1.0f) * font.spacing();
}

float textBottom(const Font& font, float y, float scale) {
  return y - font.maxAscent() * 0.5f - font.maxDescent() * scale;
}

float textTop(const Font& font, float y, float scale) { return y - font.maxAscent() * 0.5f + font.maxAscent() * scale; }
