#pragma once
// Image and font files written byte by byte for the GL tests, so that each
// test knows exactly how its file stores the rows. A Picture is described as
// one sees it: row 0 is the top row.

#include <string>
#include <vector>

#include "GlTestContext.h"
#include "support/FontFile.h"

struct Picture {
  Picture(int width, int height, Rgba fill);
  // Paints the rectangle [x0, x1) x [top, bottom) given in rows from the top.
  void paint(int x0, int top, int x1, int bottom, Rgba colour);
  const Rgba& at(int x, int rowFromTop) const { return pixels[static_cast<size_t>(rowFromTop * width + x)]; }

  int width;
  int height;
  std::vector<Rgba> pixels;
};

// Uncompressed true-colour TGA: 32 bits with an 8-bit alpha channel, or 24.
std::string tgaFile(const Picture& picture, bool withAlpha, bool storedTopDown);
// Uncompressed 24-bit BMP; top-down storage is a negative height.
std::string bmpFile(const Picture& picture, bool storedTopDown);

constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kGreen{0, 255, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kYellow{255, 255, 0, 255};
constexpr Rgba kWhite{255, 255, 255, 255};
constexpr Rgba kBlack{0, 0, 0, 255};
