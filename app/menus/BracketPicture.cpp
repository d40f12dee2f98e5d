#include "app/menus/BracketPicture.h"

#include <GL/gl.h>

namespace {

// Three columns across the menus' panel, one a round: where the names stand
// (their centre), where the games stand, and where the lines to the next
// column turn.
constexpr float kNameX[kRoundCount] = {205, 471, 737};
constexpr float kGamesX[kRoundCount] = {312, 578, 844};
constexpr float kJoinX[kRoundCount - 1] = {342, 608};
// The left end of a line into the next column, back from its names' centre.
constexpr float kNameHalfWidth = 80;
// The lines leave the games this far to their right.
constexpr float kGamesClearance = 16;
// The quarter-finals from the top: a pair of lines a match, pairs apart.
constexpr float kFirstLineY = 480;
constexpr float kPairGap = 80;
constexpr float kLineGap = 32;
constexpr float kSinglesScale = 0.55f;
constexpr float kDoublesScale = 0.45f;
constexpr float kLineAlpha = 0.6f;
constexpr float kLineWidth = 2;
// A beaten entrant is drawn darker and a little see-through. The fonts set
// their own colour, so the texture stage does it: the glyphs' colour and
// alpha times this constant.
constexpr GLfloat kBeatenTint[4] = {0.6f, 0.6f, 0.65f, 0.7f};

// What is drawn with a texture takes the texture's colour and alpha times
// `tint`, whatever colour is set.
void tintTexture(const GLfloat tint[4]) {
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, tint);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_CONSTANT);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, GL_CONSTANT);
}

// Back to OpenGL's own: the texture times the colour set.
void untintTexture() { glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE); }

// The height of a quarter-final line of draw position `position`.
float positionY(int32_t position) { return kFirstLineY - kPairGap * float(position / 2) - kLineGap * float(position % 2); }

// The height of entrant `side` of match `index` of `round`: the middle of
// the draw positions it stands for.
float entrantY(int32_t round, int32_t index, int32_t side) {
  const int32_t span = 1 << round;
  const int32_t first = (2 * index + side) * span;
  return (positionY(first) + positionY(first + span - 1)) / 2;
}

void addMatch(BracketLayout& layout, const Bracket& bracket, int32_t round, int32_t index) {
  const BracketMatch& match = bracket.match(round, index);
  for (int32_t side = 0; side < 2; ++side) {
    const float y = entrantY(round, index, side);
    const int32_t position = match.entrants[side];
    if (position < 0) {
      layout.texts.push_back({kUnknownEntrant, kNameX[round], y, false, true});
      continue;
    }
    const Entrant& entrant = bracket.entrant(position);
    const bool beaten = match.played() && match.winner != side;
    layout.texts.push_back({entrantName(entrant), kNameX[round], y, entrant.player, beaten});
    if (match.played()) {
      layout.texts.push_back({std::to_string(match.games[side]), kGamesX[round], y, entrant.player, beaten});
    }
  }
  if (round + 1 >= kRoundCount) return;
  const float top = entrantY(round, index, 0);
  const float bottom = entrantY(round, index, 1);
  const float from = kGamesX[round] + kGamesClearance;
  const float join = kJoinX[round];
  layout.lines.push_back({from, top, join, top});
  layout.lines.push_back({from, bottom, join, bottom});
  layout.lines.push_back({join, top, join, bottom});
  layout.lines.push_back({join, (top + bottom) / 2, kNameX[round + 1] - kNameHalfWidth, (top + bottom) / 2});
}

}  // namespace

BracketLayout layoutBracket(const Bracket& bracket, bool doubles) {
  BracketLayout layout;
  layout.scale = doubles ? kDoublesScale : kSinglesScale;
  for (int32_t round = 0; round < kRoundCount; ++round) {
    for (int32_t index = 0; index < matchesInRound(round); ++index) addMatch(layout, bracket, round, index);
  }
  return layout;
}

void drawBracket(const BracketLayout& layout, const Font& normal, const Font& highlighted) {
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glLineWidth(kLineWidth);
  glColor4f(1.0f, 1.0f, 1.0f, kLineAlpha);
  glBegin(GL_LINES);
  for (const BracketLine& line : layout.lines) {
    glVertex2f(line.x0, line.y0);
    glVertex2f(line.x1, line.y1);
  }
  glEnd();
  glEnable(GL_TEXTURE_2D);
  for (const BracketText& text : layout.texts) {
    if (text.beaten) tintTexture(kBeatenTint);
    (text.player ? highlighted : normal).drawText(text.text, text.x, text.y, layout.scale);
    if (text.beaten) untintTexture();
  }
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
