#include "TestImages.h"

#include <cstdint>

namespace {

// The lowest `bytes` bytes of `value`, the lowest first.
void put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The pixels as blue, green, red (and alpha), row by row in the order the
// file stores them, each row padded with zeros to a multiple of `align` bytes.
void putRows(std::string& out, const Picture& picture, bool topDown, bool withAlpha, size_t align = 1) {
  for (int i = 0; i < picture.height; ++i) {
    const size_t rowStart = out.size();
    for (int x = 0; x < picture.width; ++x) {
      const Rgba& p = picture.at(x, topDown ? i : picture.height - 1 - i);
      out += {static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r)};
      if (withAlpha) out.push_back(static_cast<char>(p.a));
    }
    while ((out.size() - rowStart) % align != 0) out.push_back('\0');
  }
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
  put(out, static_cast<uint32_t>(picture.width), 2);
  put(out, static_cast<uint32_t>(picture.height), 2);
  out.push_back(static_cast<char>(withAlpha ? 32 : 24));
  // Bits 0-3: alpha bits; bit 5: first stored row is the top one.
  out.push_back(static_cast<char>((withAlpha ? 8 : 0) | (storedTopDown ? 0x20 : 0)));
  putRows(out, picture, storedTopDown, withAlpha);
  return out;
}

std::string bmpFile(const Picture& picture, bool storedTopDown) {
  const uint32_t rowBytes = (static_cast<uint32_t>(picture.width) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(picture.height);
  const uint32_t width = static_cast<uint32_t>(picture.width);
  const uint32_t height = static_cast<uint32_t>(storedTopDown ? -picture.height : picture.height);
  std::string out = "BM";
  // File size, reserved, where the pixels start, info header size, width, height.
  for (uint32_t value : {54 + pixelBytes, 0u, 54u, 40u, width, height}) put(out, value, 4);
  put(out, 1, 2);  // planes
  put(out, 24, 2);  // bits per pixel
  // No compression, pixel bytes, 72 dpi both ways, no palette.
  for (uint32_t value : {0u, pixelBytes, 2835u, 2835u, 0u, 0u}) put(out, value, 4);
  putRows(out, picture, storedTopDown, false, 4);
  return out;
}
