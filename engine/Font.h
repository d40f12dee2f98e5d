#pragma once
// A bitmap font: one image holding every glyph, and a small ".fnz" file that
// names the image and gives, per character code, the glyph's rectangle in it.
// A Font draws byte strings centred on a point of the 1024 x 768 overlay
// space at any scale. It owns its glyphs (slot = byte value of the
// character) and shares its image; texturing and blending are the caller's.
//
// ".fnz", little-endian, no header:
//   texture name   bytes up to and including a zero byte; a file name
//                  relative to the folder of the ".fnz" file
//   glyph count    i32
//   glyph records  count x 21 bytes: code u8, then f32 left, top, right,
//                  bottom, descent (pixels; rows from the image's bottom)
// A later record for a code replaces an earlier one. Codes without a record
// draw as the space glyph (code 32) when the file has one.
//
// The file is untrusted: reading stops at its end keeping what was read, the
// glyph count never sizes anything, and each problem prints one line naming
// the file and the byte. Characters without a glyph, and every character of
// a font whose file or image could not be read, are skipped: they neither
// draw nor advance the pen, and no missing texture is ever bound.

#include <array>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Glyph.h"
#include "engine/Texture.h"
#include "engine/TextureFactory.h"

// A glyph placed by Font::layout: its left edge and baseline, overlay units.
struct PlacedGlyph {
  const Glyph* glyph = nullptr;
  float x = 0;
  float baseline = 0;
};

class Font {
 public:
  static constexpr size_t kGlyphSlots = 256;
  static constexpr size_t kRecordSize = 21;
  static constexpr unsigned char kSpaceCode = 32;
  // Longest texture name accepted; longer names are taken for a broken file.
  static constexpr size_t kMaxTextureNameLength = 4096;

  // Reads the ".fnz" file at `path`. `textures` creates the glyph image
  // (by default the game's ImageTextureFactory, which needs OpenGL).
  // `spacing` is the extra advance after each glyph, in unscaled units.
  Font(const std::string& path, float spacing, std::shared_ptr<TextureFactory> textures = nullptr);
  // Reads a font that is already open; `path` still names it in messages and
  // locates its image.
  Font(std::istream& in, const std::string& path, float spacing, std::shared_ptr<TextureFactory> textures = nullptr);

  // Unscaled width: every drawn glyph's width plus spacing, less one
  // spacing; 0 when no character of the text has a glyph.
  float textWidth(std::string_view text) const;
  // The x on which drawText centres the text so that, drawn at `scale`, its
  // glyphs stand centred on `centre`: the layout centres the unscaled
  // spacing as if it were scaled.
  float centringX(std::string_view text, float centre, float scale) const;
  // Where each glyph of the text goes when drawn centred on (x, y). The pen
  // advances by width * scale plus the unscaled spacing, and the baseline
  // sits half the unscaled maxAscent below y: neither follows the scale,
  // which is how the game's screens were laid out.
  std::vector<PlacedGlyph> layout(std::string_view text, float x, float y, float scale) const;
  // Binds the image and draws the layout; nothing without a usable image.
  void drawText(std::string_view text, float x, float y, float scale) const;
  // The state for white text in this font: blended when its image has
  // alpha, textured (OpenGL). finishDrawing turns the blending off again.
  void beginDrawing() const;
  static void finishDrawing();

  // Whether the image has alpha (false without an image): callers blend
  // only then.
  bool hasAlpha() const { return image && image->hasAlpha(); }
  // Empty when the code has no glyph.
  const std::shared_ptr<Glyph>& glyph(unsigned char code) const { return glyphs[code]; }
  const std::shared_ptr<Texture>& texture() const { return image; }
  float maxAscent() const { return ascent; }
  float maxDescent() const { return descent; }
  float spacing() const { return advance; }

 private:
  void read(std::istream& in, const std::string& path, TextureFactory& textures);

  std::array<std::shared_ptr<Glyph>, kGlyphSlots> glyphs;
  std::shared_ptr<Texture> image;
  float ascent = 0;
  float descent = 0;
  float advance = 0;
};
