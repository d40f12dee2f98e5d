#pragma once
// The bracket as the tournament's screen draws it: the eight entrants of
// the quarter-finals in a column, the semi-finalists and the finalists in
// the columns to their right as they come through, each with the games it
// won once its match is played, joined by the bracket's lines. The player's
// entries are drawn in the highlighted font, those beaten dimmed, those not
// yet known as "?".
//
// What is drawn is first laid out as plain lines and texts, so that the
// picture can be checked without a display; drawing needs OpenGL and the
// two fonts, which the caller owns.

#include <cstdint>
#include <string>
#include <vector>

#include "app/tournament/CupRun.h"
#include "engine/Font.h"

struct BracketText {
  std::string text;
  float x = 0;
  float y = 0;
  bool player = false;  // the highlighted font
  bool beaten = false;  // dimmed
};

struct BracketLine {
  float x0 = 0;
  float y0 = 0;
  float x1 = 0;
  float y1 = 0;
};

struct BracketLayout {
  std::vector<BracketText> texts;
  std::vector<BracketLine> lines;
  // Names in doubles are pairs: they are drawn smaller.
  float scale = 1;
};

// Shown for an entrant whose match before is still to be played.
inline constexpr const char* kUnknownEntrant = "?";

BracketLayout layoutBracket(const Bracket& bracket, bool doubles);

// The layout drawn with the two fonts (their spacing made for the layout's
// scale); blending and texturing are set here.
void drawBracket(const BracketLayout& layout, const Font& normal, const Font& highlighted);
