#pragma once
// A ".fnz" font file as the game's tools write it: the image's name and its
// zero byte, the count of glyph records (which `count` may make lie), then
// each record, a code and five floats, little-endian.

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Edges in pixels of the image, rows counted from its bottom.
struct GlyphRecord {
  unsigned char code;
  float left, top, right, bottom, descent;
};

inline std::string fnzFile(const std::string& imageName, const std::vector<GlyphRecord>& glyphs,
                           std::optional<int64_t> count = std::nullopt) {
  std::string out = imageName + '\0';
  const auto put32 = [&out](uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  };
  put32(static_cast<uint32_t>(count.value_or(static_cast<int64_t>(glyphs.size()))));
  for (const GlyphRecord& g : glyphs) {
    out.push_back(static_cast<char>(g.code));
    for (float value : {g.left, g.top, g.right, g.bottom, g.descent}) put32(std::bit_cast<uint32_t>(value));
  }
  return out;
}
