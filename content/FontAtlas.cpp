#include "content/FontAtlas.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "content/Canvas.h"
#include "content/ContentFiles.h"

namespace {

// How one font looks. The two menu fonts share everything that decides the
// layout (size, reach of the effects, tracking) and differ in colour only.
struct FontLook {
  double size = 36;
  double outline = 3;
  double glow = 0;  // a soft halo outside the outline, in pixels
  double shadow = 2;
  int tracking = 2;  // pixels added to every advance: outlines need air
  Colour fillTop;
  Colour fillBottom;
  Colour outlineColour;
  Colour glowColour;
  Colour shadowColour = rgb(0x000000, 0.5);
};

struct PlacedGlyph {
  unsigned char code = 0;
  unsigned index = 0;  // in the lettering face
  int cellX = 0;
  int cellY = 0;  // top row of the cell, from the top of the atlas
  int cellWidth = 0;
  int originX = 0;  // pen position inside the cell
};

struct AtlasLayout {
  int width = 0;
  int height = 0;
  int cellHeight = 0;
  int baseline = 0;  // from the top of a cell
  std::vector<PlacedGlyph> glyphs;
};

// The reach of the drawn effects beyond the letter's own outline path.
double effectReach(const FontLook& look) { return std::max(look.outline + look.glow, look.outline + look.shadow); }

// The bytes that get a glyph, in code order: every printable Windows-1252
// character the face can draw (and the blanks: space, no-break space).
std::vector<std::pair<unsigned char, unsigned>> glyphCodes() {
  std::vector<std::pair<unsigned char, unsigned>> codes;
  for (int byte = 32; byte < 256; ++byte) {
    const uint32_t codePoint = windows1252ToUnicode(static_cast<unsigned char>(byte));
    if (codePoint == 0) continue;
    const unsigned index = letteringGlyphIndex(codePoint == 0xA0 ? 0x20 : codePoint);
    if (index == 0) continue;
    codes.emplace_back(static_cast<unsigned char>(byte), index);
  }
  return codes;
}

constexpr int kGutter = 2;
constexpr int kAtlasWidth = 512;

AtlasLayout layOut(const FontLook& look) {
  Canvas scratch(1, 1);
  cairo_t* cr = scratch.context();
  useLettering(cr, look.size);
  cairo_font_extents_t font;
  cairo_font_extents(cr, &font);
  const double reach = effectReach(look);

  AtlasLayout layout;
  const auto codes = glyphCodes();
  double inkTop = 0;
  double inkBottom = 0;
  struct Measured {
    unsigned char code;
    unsigned index;
    int advance;
    double inkLeft;
    double inkRight;
  };
  std::vector<Measured> measured;
  for (const auto& [code, index] : codes) {
    cairo_glyph_t glyph{index, 0, 0};
    cairo_text_extents_t extents;
    cairo_glyph_extents(cr, &glyph, 1, &extents);
    const bool blank = extents.width <= 0;
    if (!blank) {
      inkTop = std::min(inkTop, extents.y_bearing);
      inkBottom = std::max(inkBottom, extents.y_bearing + extents.height);
    }
    measured.push_back({.code = code,
                        .index = index,
                        .advance = static_cast<int>(std::lround(extents.x_advance)) + look.tracking,
                        .inkLeft = blank ? 0 : extents.x_bearing,
                        .inkRight = blank ? 0 : extents.x_bearing + extents.width});
  }
  const int above = static_cast<int>(std::ceil(-inkTop + reach)) + 1;
  const int below = static_cast<int>(std::ceil(inkBottom + reach)) + 1;
  layout.cellHeight = above + below;
  layout.baseline = above;

  // The cell is the advance plus the overlap, the pen placed so that the
  // overlap splits between the two sides; a glyph whose ink and effects
  // would still cross its cell gets a wider one (and so a little more room).
  const int leftMargin = kGameGlyphOverlap / 2;
  const int rightMargin = kGameGlyphOverlap - leftMargin;
  int x = kGutter;
  int y = kGutter;
  for (const Measured& m : measured) {
    const bool blank = m.inkRight <= m.inkLeft;
    const int left = blank ? leftMargin : std::max(leftMargin, static_cast<int>(std::ceil(reach - m.inkLeft)) + 1);
    const int right = blank ? rightMargin
                            : std::max(rightMargin, static_cast<int>(std::ceil(m.inkRight + reach)) + 1 - m.advance);
    const int width = left + m.advance + right;
    if (x + width + kGutter > kAtlasWidth) {
      x = kGutter;
      y += layout.cellHeight + kGutter;
    }
    layout.glyphs.push_back(
        {.code = m.code, .index = m.index, .cellX = x, .cellY = y, .cellWidth = width, .originX = left});
    x += width + kGutter;
  }
  const int used = y + layout.cellHeight + kGutter;
  layout.width = kAtlasWidth;
  layout.height = static_cast<int>(std::bit_ceil(static_cast<unsigned>(used)));
  return layout;
}

void drawGlyph(cairo_t* cr, const PlacedGlyph& placed, const AtlasLayout& layout, const FontLook& look) {
  const double originX = placed.cellX + placed.originX;
  const double baselineY = placed.cellY + layout.baseline;
  cairo_save(cr);
  cairo_rectangle(cr, placed.cellX, placed.cellY, placed.cellWidth, layout.cellHeight);
  cairo_clip(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  const auto path = [&](double dx, double dy) {
    cairo_new_path(cr);
    cairo_glyph_t glyph{placed.index, originX + dx, baselineY + dy};
    cairo_glyph_path(cr, &glyph, 1);
  };
  if (look.shadow > 0) {
    path(look.shadow, look.shadow);
    setColour(cr, look.shadowColour);
    cairo_set_line_width(cr, 2 * look.outline);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
  }
  if (look.glow > 0 && look.glowColour.a > 0) {
    path(0, 0);
    setColour(cr, look.glowColour);
    cairo_set_line_width(cr, 2 * (look.outline + look.glow));
    cairo_stroke(cr);
  }
  path(0, 0);
  setColour(cr, look.outlineColour);
  cairo_set_line_width(cr, 2 * look.outline);
  cairo_stroke_preserve(cr);
  setVerticalGradient(cr, baselineY - 0.72 * look.size, look.fillTop, baselineY, look.fillBottom);
  cairo_fill(cr);
  cairo_restore(cr);
}

void putFloat(std::string& out, float value) {
  const uint32_t bits = std::bit_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

// The ".fnz" file: image name, glyph count, then per glyph its code and
// rectangle, rows counted from the image's bottom.
std::string fnzFile(const std::string& imageName, const AtlasLayout& layout) {
  std::string out = imageName;
  out.push_back('\0');
  const auto count = static_cast<uint32_t>(layout.glyphs.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((count >> (8 * i)) & 0xFF));
  const int descent = layout.cellHeight - layout.baseline;
  for (const PlacedGlyph& g : layout.glyphs) {
    out.push_back(static_cast<char>(g.code));
    putFloat(out, static_cast<float>(g.cellX));
    putFloat(out, static_cast<float>(layout.height - g.cellY));
    putFloat(out, static_cast<float>(g.cellX + g.cellWidth));
    putFloat(out, static_cast<float>(layout.height - (g.cellY + layout.cellHeight)));
    putFloat(out, static_cast<float>(descent));
  }
  return out;
}

void writeFont(const std::filesystem::path& runDir, const std::string& name, const AtlasLayout& layout,
               const FontLook& look) {
  Canvas canvas(layout.width, layout.height);
  useLettering(canvas.context(), look.size);
  for (const PlacedGlyph& g : layout.glyphs) drawGlyph(canvas.context(), g, layout, look);
  writeContentFile(runDir, "fonts/" + name + ".tga", tgaFile(canvas.pixels(), true));
  writeContentFile(runDir, "fonts/" + name + ".fnz", fnzFile(name + ".tga", layout));
}

FontLook menuLook() {
  FontLook look;
  look.size = 34;
  look.outline = 3;
  look.glow = 2;  // only the highlighted font draws it, but both leave room
  look.shadow = 2;
  look.fillTop = rgb(0xFFFFFF);
  look.fillBottom = rgb(0xCFE6FF);
  look.outlineColour = rgb(0x14183D);
  look.glowColour = rgb(0x000000, 0);
  return look;
}

FontLook selectedLook() {
  FontLook look = menuLook();
  look.fillTop = rgb(0xFFF59A);
  look.fillBottom = rgb(0xFF9820);
  look.outlineColour = rgb(0x4A1500);
  look.glowColour = rgb(0xFFE066, 0.75);
  return look;
}

// The scoreboard's: a black outline round sunny yellow. Kept compact, as the
// scoreboard draws its numbers at twice this size only 70 units either side
// of the centre, and its final table puts names 130 units left of the first
// column of games.
FontLook toonLook() {
  FontLook look;
  look.size = 29;
  look.outline = 3;
  look.shadow = 2;
  look.tracking = 1;
  look.fillTop = rgb(0xFFFBD0);
  look.fillBottom = rgb(0xFFD21F);
  look.outlineColour = rgb(0x101010);
  look.shadowColour = rgb(0x000000, 0.55);
  return look;
}

}  // namespace

uint32_t windows1252ToUnicode(unsigned char byte) {
  // 0x80..0x9F: the code page's own characters (0 where it has none).
  static const uint32_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  if (byte < 0x20 || byte == 0x7F) return 0;
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
  return byte;
}

void writeFonts(const std::filesystem::path& runDir) {
  const AtlasLayout menu = layOut(menuLook());
  writeFont(runDir, "menuFont", menu, menuLook());
  writeFont(runDir, "menuFontSelected", menu, selectedLook());
  writeFont(runDir, "toon", layOut(toonLook()), toonLook());
}
