#pragma once
// Cairo drawing shared by the generated pictures and the font atlases: an
// off-screen canvas that hands back straight-alpha pixels for the TGA
// encoder, the game's lettering face (Comic Neue Bold, found when the build
// is configured), and the cartoon pieces that more than one picture uses
// (outlined lettering, the logo, tennis balls, rackets, clouds).
//
// Everything is drawn with fixed antialiasing and no hinting, so the same
// program draws the same pixels on every run.

#include <cairo.h>

#include <cstdint>
#include <string>

#include "content/ContentFiles.h"

struct Colour {
  double r = 0;
  double g = 0;
  double b = 0;
  double a = 1;
};

// 0xRRGGBB with an alpha of its own.
constexpr Colour rgb(uint32_t hex, double alpha = 1.0) {
  return {((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha};
}

class Canvas {
 public:
  // A transparent width x height ARGB canvas.
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* context() const { return cr; }
  int width() const { return canvasWidth; }
  int height() const { return canvasHeight; }
  // The picture, top row first, alpha no longer premultiplied.
  Pixels pixels() const;

 private:
  int canvasWidth;
  int canvasHeight;
  cairo_surface_t* surface;
  cairo_t* cr;
};

// The lettering face, loaded on first use and kept for the program's life.
// Throws std::runtime_error when the font file cannot be read.
cairo_font_face_t* letteringFace();
// Whether the lettering face has a glyph for the Unicode code point, and its
// index there (0 when it has none).
unsigned letteringGlyphIndex(uint32_t codePoint);
// Selects the lettering face at `size` pixels with the program's fixed
// antialiasing and hinting.
void useLettering(cairo_t* cr, double size);

void setColour(cairo_t* cr, const Colour& colour);
void roundedRectanglePath(cairo_t* cr, double x, double y, double width, double height, double radius);
// A vertical two-colour gradient from y0 to y1 as the current source.
void setVerticalGradient(cairo_t* cr, double y0, const Colour& top, double y1, const Colour& bottom);

// Lettering in the game's cartoon look: a drop shadow, a thick dark outline
// and a top-to-bottom gradient fill, with its baseline starting at (x, y).
struct LetteringStyle {
  double size = 40;
  double outline = 4;
  Colour outlineColour = rgb(0x1B1F4B);
  Colour fillTop = rgb(0xFFFFFF);
  Colour fillBottom = rgb(0xFFFFFF);
  double shadowOffset = 0;
  Colour shadowColour = rgb(0x000000, 0.35);
};
void drawLettering(cairo_t* cr, const std::string& utf8, double x, double y, const LetteringStyle& style);

// The title "ZUMBOLO": bouncing cartoon letters whose two O's are tennis
// balls, centred on x with its baseline near y, cap height about 0.7 size.
void drawLogo(cairo_t* cr, double centreX, double baselineY, double size);

// A tennis ball of the given radius; `turn` (radians) turns its seam.
void drawTennisBall(cairo_t* cr, double x, double y, double radius, double turn);
// A racket whose head centre is at (x, y), head half-height `size`, tilted
// by `angle` radians from upright (handle pointing down).
void drawRacket(cairo_t* cr, double x, double y, double size, double angle, const Colour& frame);
// A fluffy cartoon cloud about `width` wide, centred on (x, y).
void drawCloud(cairo_t* cr, double x, double y, double width);
