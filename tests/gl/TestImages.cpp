#include "TestImages.h"

#include <cstdint>
#include <cstring>

namespace {

void put16(std::string& out, uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// Rows in the order the file stores them.
std::vector<int> storedRows(const Picture& picture, bool topDown) {
  std::vector<int> rows;
  for (int i = 0; i < picture.height; ++i) rows.push_back(topDown ? i : picture.height - 1 - i);
  return rows;
}

}  // namespace

Picture::Picture(int w, int h, Rgba fill) : width(w), height(h), pixels(static_cast<size_t>(w * h), fill) {}

void Picture::paint(int x0, int top, int x1, int bottom, Rgba colour) {
  for (int row = top; row < bottom; ++row) {
    for (int x = x0; x < x1; ++x) pixels[static_cast<size_t>(row * width + x)] = colour;
  }
}

std::string tgaFile(const Picture& picture, bool withAlpha, bool storedTopDown) {
  std::string out;
  out.push_back(0);  // no image id
  out.push_back(0);  // no colour map
  out.push_back(2);  // uncompressed true colour
  out.append(5, '\0');
  put16(out, 0);
  put16(out, 0);
  put16(out, static_cast<uint32_t>(picture.width));
  put16(out, static_cast<uint32_t>(picture.height));
  out.push_back(static_cast<char>(withAlpha ? 32 : 24));
  // Bits 0-3: alpha bits; bit 5: first stored row is the top one.
  out.push_back(static_cast<char>((withAlpha ? 8 : 0) | (storedTopDown ? 0x20 : 0)));
  for (int row : storedRows(picture, storedTopDown)) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgba& p = picture.at(x, row);
      out.push_back(static_cast<char>(p.b));
      out.push_back(static_cast<char>(p.g));
      out.push_back(static_cast<char>(p.r));
      if (withAlpha) out.push_back(static_cast<char>(p.a));
    }
  }
  return out;
}

std::string bmpFile(const Picture& picture, bool storedTopDown) {
  const uint32_t rowBytes = (static_cast<uint32_t>(picture.width) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(picture.height);
  std::string out = "BM";
  put32(out, 54 + pixelBytes);
  put32(out, 0);
  put32(out, 54);
  put32(out, 40);
  put32(out, static_cast<uint32_t>(picture.width));
  put32(out, static_cast<uint32_t>(storedTopDown ? -picture.height : picture.height));
  put16(out, 1);   // planes
  put16(out, 24);  // bits per pixel
  put32(out, 0);   // no compression
  put32(out, pixelBytes);
  put32(out, 2835);  // 72 dpi
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  for (int row : storedRows(picture, storedTopDown)) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgba& p = picture.at(x, row);
      out.push_back(static_cast<char>(p.b));
      out.push_back(static_cast<char>(p.g));
      out.push_back(static_cast<char>(p.r));
    }
    out.append(rowBytes - static_cast<uint32_t>(picture.width) * 3, '\0');
  }
  return out;
}

std::string fnzFile(const std::string& imageName, const std::vector<GlyphRecord>& glyphs) {
  std::string out = imageName;
  out.push_back('\0');
  put32(out, static_cast<uint32_t>(glyphs.size()));
  for (const GlyphRecord& g : glyphs) {
    out.push_back(static_cast<char>(g.code));
    for (const float value : {g.left, g.top, g.right, g.bottom, g.descent}) {
      uint32_t bits = 0;
      std::memcpy(&bits, &value, sizeof bits);
      put32(out, bits);
    }
  }
  return out;
}
