#pragma once
// A flat rectangle with rounded corners, drawn as a translucent backing
// behind the scoreboard's text in the 1024 x 768 overlay space. The panel
// is built as plain triangles: three rectangles that leave out the four
// corner squares, and a fan of quarter-disc triangles in each corner. The
// triangles are computed apart from drawing so that their shape can be
// checked without a display.

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
  // Blending on, texturing off; the colour is left set afterwards.
  void draw() const;

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
};
