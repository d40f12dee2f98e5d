#pragma once
// The backing of the words a match or a lesson shows over the court (the
// keys card, a lesson's heading and instruction, the serve's keys): a
// translucent deep-blue panel with rounded corners and a pale rim, painted
// as the main menu's, so that the words read the same over the stands, the
// banners and the court. Overlay space (1024 x 768, y up).

#include <string>
#include <string_view>
#include <vector>

#include "engine/Font.h"

// How far a panel reaches beyond the words it backs.
constexpr float kWordsPanelPadX = 24.0f;
constexpr float kWordsPanelPadY = 8.0f;

// A panel between these heights. Leaves blending on and the colour white
// for the text drawn over it.
void drawWordsPanel(float centreX, float bottom, float top, float width);
// A panel just around these lines, drawn centred on centreX at this scale
// from firstY down to lastY.
void drawWordsPanelBehind(const Font& font, const std::vector<std::string>& lines, float centreX, float firstY,
                          float lastY, float scale);

// The scale, at most `scale`, at which the widest of the lines is drawn no
// wider than kWidestWords.
constexpr float kWidestWords = 960.0f;
float fittingScale(const Font& font, const std::vector<std::string>& lines, float scale);

// How wide a line is drawn at this scale: the glyphs grow with it, the
// font's spacing between them does not.
float drawnWidth(const Font& font, std::string_view line, float scale);
// The lowest and the highest point of a line drawn at y (Font::layout puts
// its baseline half the font's ascent below y).
float textBottom(const Font& font, float y, float scale);
float textTop(const Font& font, float y, float scale);
