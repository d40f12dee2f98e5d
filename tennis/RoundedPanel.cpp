#include "tennis/RoundedPanel.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/DrawCalls.h"

namespace {

void addRectangle(std::vector<PanelPoint>& out, float x0, float y0, float x1, float y1) {
  if (x1 <= x0 || y1 <= y0) return;
  out.insert(out.end(), {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y0}, {x1, y1}, {x0, y1}});
}

}  // namespace

RoundedPanel::RoundedPanel(float width, float height, float red, float green, float blue, float alpha,
                           float cornerRadius, int32_t segmentsPerCorner, float centreX, float centreY)
    : panelWidth(width),
      panelHeight(height),
      r(red),
      g(green),
      b(blue),
      a(alpha),
      radius(cornerRadius),
      segments(segmentsPerCorner),
      x(centreX),
      y(centreY) {}

float RoundedPanel::halfWidth() const { return std::max(panelWidth, 0.0f) * 0.5f; }

float RoundedPanel::halfHeight() const { return std::max(panelHeight, 0.0f) * 0.5f; }

float RoundedPanel::cornerRadius() const { return std::clamp(radius, 0.0f, std::min(halfWidth(), halfHeight())); }

std::vector<PanelPoint> RoundedPanel::outline() const {
  const float halfW = halfWidth();
  const float halfH = halfHeight();
  const float round = segments > 0 ? cornerRadius() : 0.0f;
  const PanelPoint centres[4] = {{halfW - round, halfH - round}, {-halfW + round, halfH - round},
                                 {-halfW + round, -halfH + round}, {halfW - round, -halfH + round}};
  const float quarter = std::numbers::pi_v<float> * 0.5f;
  const int32_t steps = std::max(segments, 0);
  std::vector<PanelPoint> out;
  for (int corner = 0; corner < 4; ++corner) {
    const PanelPoint c = centres[corner];
    for (int32_t s = 0; s <= steps; ++s) {
      const float angle = quarter * (static_cast<float>(corner) + (steps > 0 ? static_cast<float>(s) / static_cast<float>(steps) : 0.0f));
      out.push_back({c.x + round * std::cos(angle), c.y + round * std::sin(angle)});
    }
  }
  return out;
}

std::vector<PanelPoint> RoundedPanel::triangles() const {
  const float halfW = halfWidth();
  const float halfH = halfHeight();
  const float round = cornerRadius();
  const float innerW = halfW - round;
  const float innerH = halfH - round;

  std::vector<PanelPoint> out;
  addRectangle(out, -halfW, -innerH, halfW, innerH);  // the full-width middle band
  addRectangle(out, -innerW, innerH, innerW, halfH);  // between the two upper corners
  addRectangle(out, -innerW, -halfH, innerW, -innerH);

  if (segments <= 0 || round <= 0) {
    // Without a fan the corner squares would be holes.
    addRectangle(out, innerW, innerH, halfW, halfH);
    addRectangle(out, -halfW, innerH, -innerW, halfH);
    addRectangle(out, -halfW, -halfH, -innerW, -innerH);
    addRectangle(out, innerW, -halfH, halfW, -innerH);
    return out;
  }
  // Corners (+x, +y), (-x, +y), (-x, -y), (+x, -y), each sweeping a quarter
  // turn from its own start angle.
  const PanelPoint centres[4] = {{innerW, innerH}, {-innerW, innerH}, {-innerW, -innerH}, {innerW, -innerH}};
  const float quarter = std::numbers::pi_v<float> * 0.5f;
  const float step = quarter / static_cast<float>(segments);
  for (int corner = 0; corner < 4; ++corner) {
    const PanelPoint c = centres[corner];
    const float start = quarter * static_cast<float>(corner);
    for (int32_t s = 0; s < segments; ++s) {
      const float a0 = start + step * static_cast<float>(s);
      const float a1 = start + step * static_cast<float>(s + 1);
      out.push_back(c);
      out.push_back({c.x + round * std::cos(a0), c.y + round * std::sin(a0)});
      out.push_back({c.x + round * std::cos(a1), c.y + round * std::sin(a1)});
    }
  }
  return out;
}

void RoundedPanel::draw() const {
  const std::vector<PanelPoint> points = triangles();
  glEnable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glPushMatrix();
  glTranslatef(x, y, 0.0f);
  glColor4f(r, g, b, a);
  countDrawCall();
  glBegin(GL_TRIANGLES);
  for (const PanelPoint& p : points) glVertex2f(p.x, p.y);
  glEnd();
  glPopMatrix();
}

void RoundedPanel::drawOutline(float lineWidth, float red, float green, float blue, float alpha) const {
  const std::vector<PanelPoint> points = outline();
  glEnable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glLineWidth(lineWidth);
  glPushMatrix();
  glTranslatef(x, y, 0.0f);
  glColor4f(red, green, blue, alpha);
  countDrawCall();
  glBegin(GL_LINE_LOOP);
  for (const PanelPoint& p : points) glVertex2f(p.x, p.y);
  glEnd();
  glPopMatrix();
  glLineWidth(1.0f);
}
