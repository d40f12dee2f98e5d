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
  // No image id, no colour map, uncompressed true colour, at (0, 0).
  std::string out("\0\0\2", 3);
  out.append(9, '\0');
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
  const uint32_t width = static_cast<uint32_t>(picture.width);
  const uint32_t height = static_cast<uint32_t>(storedTopDown ? -picture.height : picture.height);
  std::string out = "BM";
  // File size, reserved, where the pixels start, info header size, width, height.
  for (uint32_t value : {54 + pixelBytes, 0u, 54u, 40u, width, height}) put32(out, value);
  put16(out, 1);   // planes
  put16(out, 24);  // bits per pixel
  // No compression, pixel bytes, 72 dpi both ways, no palette.
  for (uint32_t value : {0u, pixelBytes, 2835u, 2835u, 0u, 0u}) put32(out, value);
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
