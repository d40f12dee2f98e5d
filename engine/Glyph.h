#pragma once
// One character of a bitmap font: where its rectangle lies in the font's
// image, as texture coordinates, and its size in pixels. A glyph is built
// once from a record of the ".fnz" file and never changes; the font owns the
// image and binds it before drawing.
//
// Rectangle edges come in image pixels, rows counted from the picture's
// bottom (the texture convention of engine/Texture.h). The texture
// coordinate of a pixel edge is edge / (image size + 1): the game's fonts
// were laid out against that divisor, so a rectangle reaching the last pixel
// samples one texel short of the border. The two vertical edges may come in
// either order; right < left mirrors the glyph.

#include <cstdint>

// Where a glyph lands in the overlay space (y up), in overlay units.
struct GlyphQuad {
  float left = 0;
  float right = 0;
  float bottom = 0;
  float top = 0;
};

class Glyph {
 public:
  // left, right: x of the vertical edges; top, bottom: y of the edges drawn
  // at the glyph's upper and lower side; descent: how far the glyph reaches
  // below the baseline. All in pixels of the image of the given size.
  Glyph(float left, float top, float right, float bottom, float descent, int textureWidth, int textureHeight);

  // The quad of the glyph with its left edge at x and its baseline at y.
  GlyphQuad quad(float x, float y, float scale) const;
  // Draws that quad in white with the bound texture; returns width * scale,
  // the pen's advance before spacing.
  float draw(float x, float y, float scale) const;

  float uLeft() const { return left; }
  float vBottom() const { return bottom; }
  float width() const { return pixelWidth; }
  float height() const { return pixelHeight; }
  float uRight() const { return right; }
  float vTop() const { return top; }
  float descent() const { return below; }

 private:
  float left;
  float bottom;
  float pixelWidth;
  float pixelHeight;
  float right;
  float top;
  float below;
};
