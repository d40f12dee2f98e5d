#include "engine/Glyph.h"

#include <GL/gl.h>

#include <cmath>

#include "engine/DrawCalls.h"

Glyph::Glyph(float leftEdge, float topEdge, float rightEdge, float bottomEdge, float descent, int textureWidth,
             int textureHeight)
    : left(leftEdge / static_cast<float>(textureWidth + 1)),
      bottom(bottomEdge / static_cast<float>(textureHeight + 1)),
      pixelWidth(std::fabs(rightEdge - leftEdge)),
      pixelHeight(std::fabs(topEdge - bottomEdge)),
      right(rightEdge / static_cast<float>(textureWidth + 1)),
      top(topEdge / static_cast<float>(textureHeight + 1)),
      below(descent) {}

GlyphQuad Glyph::quad(float x, float y, float scale) const {
  const float w = pixelWidth * scale;
  const float h = pixelHeight * scale;
  const float d = below * scale;
  return {x, x + w, y - d, y + h - d};
}

float Glyph::draw(float x, float y, float scale) const {
  const GlyphQuad q = quad(x, y, scale);
  glColor3f(1.0f, 1.0f, 1.0f);
  countDrawCall();
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(right, top);
  glVertex2f(q.right, q.top);
  glTexCoord2f(left, top);
  glVertex2f(q.left, q.top);
  glTexCoord2f(right, bottom);
  glVertex2f(q.right, q.bottom);
  glTexCoord2f(left, bottom);
  glVertex2f(q.left, q.bottom);
  glEnd();
  return pixelWidth * scale;
}
