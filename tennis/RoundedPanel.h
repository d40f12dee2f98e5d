#pragma once
// A flat rectangle with rounded corners, drawn as a translucent backing
// behind the scoreboard's text (and the main menu's items) in the 1024 x 768
// overlay space. The panel is built as plain triangles: three rectangles that
// leave out the four corner squares, and a fan of quarter-disc triangles in
// each corner; its rim, when drawn, is a line along the same corners. The
// shapes are computed apart from drawing so that they can be checked
// without a display.

#include <cstdint>
#include <vector>

struct PanelPoint {
  float x = 0;
  float y = 0;
};

class RoundedPanel {
 public:
  RoundedPanel(float width, float height, float red, float green, float blue, float alpha, float cornerRadius,
               int32_t segmentsPerCorner, float centreX, float centreY);

  // Three points per triangle, relative to the centre. A radius larger than
  // half the smaller side is taken as that half, so the pieces never
  // overlap or turn inside out; no segments means square-cut corners.
  std::vector<PanelPoint> triangles() const;
  // The rim, counter-clockwise from the top of the right side, relative to
  // the centre; square corners without segments.
  std::vector<PanelPoint> outline() const;
  // Blending on, texturing off; the colour is left set afterwards.
  void draw() const;
  // The rim as a line of that width and colour, over the panel.
  void drawOutline(float lineWidth, float red, float green, float blue, float alpha) const;

  float width() const { return panelWidth; }
  float height() const { return panelHeight; }
  float centreX() const { return x; }
  float centreY() const { return y; }
  float alpha() const { return a; }

 private:
  float panelWidth;
  float panelHeight;
  float r;
  float g;
  float b;
  float a;
  float radius;
  int32_t segments;
  float x;
  float y;

  // Half sizes, and the corner radius as the shape can have it.
  float halfWidth() const;
  float halfHeight() const;
  float cornerRadius() const;
};
