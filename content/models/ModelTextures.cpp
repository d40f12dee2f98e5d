#include "content/models/ModelTextures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "content/Canvas.h"
#include "content/ContentRandom.h"

namespace {

constexpr double kPi = 3.141592653589793;
const Colour kInk = rgb(0x1B1F4B);

uint32_t argb(double r, double g, double b, double a) {
  auto channel = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
  return channel(a) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

double mix(double a, double b, double t) { return a + (b - a) * t; }

double smoothstep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

void circle(cairo_t* cr, double x, double y, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x, y, r, 0, 2 * kPi);
}

void fillAndOutline(cairo_t* cr, const Colour& fill, double width) {
  setColour(cr, fill);
  cairo_fill_preserve(cr);
  setColour(cr, kInk);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

// Text centred on x with its baseline at y.
void centredLettering(cairo_t* cr, const std::string& text, double x, double y, const LetteringStyle& style) {
  useLettering(cr, style.size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  drawLettering(cr, text, x - extents.width / 2 - extents.x_bearing, y, style);
}

// One cartoon spectator sitting with its shoulders at `shoulderY`.
void drawSpectator(cairo_t* cr, double x, double shoulderY, ContentRandom& random) {
  static const std::array<uint32_t, 5> kSkins = {0xF6D2B0, 0xE8B48A, 0xC68A5E, 0x8D5A3B, 0xFFE0C4};
  static const std::array<uint32_t, 9> kShirts = {0xE8473C, 0x2F7DE1, 0xF5C21B, 0x3BB273, 0xF08A24,
                                                  0x9B5DE5, 0xFFFFFF, 0x00BBF9, 0xF15BB5};
  static const std::array<uint32_t, 6> kHairs = {0x2B1B10, 0x6B3E1F, 0xE3B65B, 0xB8431F, 0x1A1A1A, 0x9A9A9A};
  const Colour skin = rgb(kSkins[random.below(static_cast<int>(kSkins.size()))]);
  const Colour shirt = rgb(kShirts[random.below(static_cast<int>(kShirts.size()))]);
  const Colour hair = rgb(kHairs[random.below(static_cast<int>(kHairs.size()))]);
  const bool cheering = random.unit() < 0.45;
  const double headR = random.between(24, 30);
  const double headY = shoulderY - headR - 6;

  if (cheering) {
    // Both arms up, waving.
    for (int side = -1; side <= 1; side += 2) {
      const double sx = x + side * 26;
      const double hx = x + side * random.between(34, 46);
      const double hy = headY - headR - random.between(10, 30);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      cairo_move_to(cr, sx, shoulderY + 10);
      cairo_line_to(cr, hx, hy);
      setColour(cr, kInk);
      cairo_set_line_width(cr, 17);
      cairo_stroke_preserve(cr);
      setColour(cr, shirt);
      cairo_set_line_width(cr, 11);
      cairo_stroke(cr);
      circle(cr, hx, hy, 8);
      fillAndOutline(cr, skin, 3);
    }
  }
  // Body: a rounded shirt going down out of the picture.
  roundedRectanglePath(cr, x - 34, shoulderY, 68, 200, 22);
  fillAndOutline(cr, shirt, 4);
  // Head.
  circle(cr, x, headY, headR);
  fillAndOutline(cr, skin, 4);
  // Hair or a cap.
  const int style = random.below(4);
  setColour(cr, hair);
  if (style == 0) {
    cairo_arc(cr, x, headY, headR + 1, kPi * 1.05, kPi * 1.95);
    cairo_close_path(cr);
    fillAndOutline(cr, hair, 3);
  } else if (style == 1) {
    for (int k = -2; k <= 2; ++k) {
      cairo_move_to(cr, x + k * 9 - 7, headY - headR + 8);
      cairo_line_to(cr, x + k * 9, headY - headR - 12);
      cairo_line_to(cr, x + k * 9 + 7, headY - headR + 8);
    }
    cairo_close_path(cr);
    fillAndOutline(cr, hair, 2.5);
  } else if (style == 2) {
    // A cap in the shirt's colour with a peak.
    cairo_arc(cr, x, headY - 4, headR, kPi, 2 * kPi);
    cairo_close_path(cr);
    fillAndOutline(cr, shirt, 3);
    roundedRectanglePath(cr, x - 4, headY - 10, headR + 14, 8, 4);
    fillAndOutline(cr, shirt, 3);
  }
  // Face: eyes and a smile or a shout.
  for (int side = -1; side <= 1; side += 2) {
    cairo_save(cr);
    cairo_translate(cr, x + side * 9, headY + 1);
    cairo_scale(cr, 5.5, 7);
    circle(cr, 0, 0, 1);
    cairo_restore(cr);
    setColour(cr, rgb(0xFFFFFF));
    cairo_fill(cr);
    circle(cr, x + side * 9 + 1, headY + 2, 3);
    setColour(cr, kInk);
    cairo_fill(cr);
  }
  if (cheering) {
    cairo_save(cr);
    cairo_translate(cr, x, headY + 15);
    cairo_scale(cr, 8, 6);
    circle(cr, 0, 0, 1);
    cairo_restore(cr);
    fillAndOutline(cr, rgb(0xB3202A), 2.5);
  } else {
    cairo_arc(cr, x, headY + 8, 10, kPi * 0.2, kPi * 0.8);
    setColour(cr, kInk);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
  }
}

}  // namespace

Pixels skyPicture() {
  Canvas canvas(512, 256);
  cairo_t* cr = canvas.context();
  const double horizon = 128;
  setVerticalGradient(cr, 0, rgb(0x2F7FD8), horizon, rgb(0xCDEBFF));
  cairo_rectangle(cr, 0, 0, 512, horizon);
  cairo_fill(cr);
  setVerticalGradient(cr, horizon, rgb(0x6FA85A), 256, rgb(0x3E7036));
  cairo_rectangle(cr, 0, horizon, 512, 256 - horizon);
  cairo_fill(cr);
  // Clouds a little above the horizon, clear of the picture's left and right
  // edges where it wraps round.
  ContentRandom random(0x5C1E5);
  for (int i = 0; i < 9; ++i) {
    const double x = 40 + i * 52 + random.between(-10, 10);
    const double y = random.between(70, 108);
    drawCloud(cr, x, y, random.between(40, 64));
  }
  return canvas.pixels();
}

Pixels netPicture() {
  Pixels pixels{64, 128, std::vector<uint32_t>(64 * 128)};
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      uint32_t colour = 0;
      if (y < 12) {
        colour = argb(0.97, 0.97, 0.97, 1);  // the tape along the top
      } else if (y < 14 || y >= 126) {
        colour = argb(0.1, 0.1, 0.12, 1);
      } else if (x % 8 < 2 || (y - 14) % 8 < 2) {
        colour = argb(0.08, 0.08, 0.1, 0.92);  // the mesh's cords
      }
      pixels.argb[static_cast<size_t>(y * pixels.width + x)] = colour;
    }
  }
  return pixels;
}

Pixels boardsPicture() {
  struct Board {
    const char* text;
    uint32_t background;  // 0xRRGGBB
    uint32_t letters;     // 0xRRGGBB
  };
  static const Board kBoards[kBoardColumns * kBoardRows] = {
      {.text = "ZUMBOLO", .background = 0x1B4FA8, .letters = 0xFFE14D},
      {.text = "PELOTAZO", .background = 0xE8473C, .letters = 0xFFFFFF},
      {.text = "BIRDY COLA", .background = 0x2A9D4B, .letters = 0xFFFFFF},
      {.text = "ZAS! RAQUETAS", .background = 0xF5C21B, .letters = 0xE8473C},
      {.text = "SUPER FELPA", .background = 0x6A2C91, .letters = 0xC8FF3C},
      {.text = "SAQUE DIRECTO", .background = 0xFFFFFF, .letters = 0x1B4FA8},
      {.text = "TENIS TOTAL", .background = 0xF08A24, .letters = 0xFFFFFF},
      {.text = "PUNTO DE ORO", .background = 0x101820, .letters = 0xF2C94C},
  };
  Canvas canvas(1024, 256);
  cairo_t* cr = canvas.context();
  for (int row = 0; row < kBoardRows; ++row) {
    for (int column = 0; column < kBoardColumns; ++column) {
      const Board& board = kBoards[row * kBoardColumns + column];
      const double x = column * 512;
      const double y = row * 64;
      cairo_rectangle(cr, x, y, 512, 64);
      setColour(cr, rgb(board.background));
      cairo_fill(cr);
      // A lighter stripe along the top and a dark frame.
      cairo_rectangle(cr, x, y, 512, 10);
      setColour(cr, rgb(0xFFFFFF, 0.25));
      cairo_fill(cr);
      cairo_rectangle(cr, x + 2, y + 2, 508, 60);
      setColour(cr, kInk);
      cairo_set_line_width(cr, 4);
      cairo_stroke(cr);
      LetteringStyle style;
      style.size = 44;
      style.outline = 5;
      style.fillTop = rgb(board.letters);
      style.fillBottom = rgb(board.letters);
      style.shadowOffset = 3;
      centredLettering(cr, board.text, x + 256, y + 48, style);
    }
  }
  return canvas.pixels();
}

Pixels crowdPicture() {
  Canvas canvas(1024, 512);
  cairo_t* cr = canvas.context();
  ContentRandom random(0xC0FFEE);
  for (int row = 0; row < kCrowdRows; ++row) {
    for (int column = 0; column < kCrowdColumns; ++column) {
      cairo_save(cr);
      cairo_rectangle(cr, column * 256 + 2, row * 256 + 2, 252, 252);
      cairo_clip(cr);
      // Three neighbours, the middle one a little further back.
      const double x0 = column * 256;
      const double bottom = row * 256 + 256;
      const int order[3] = {1, 0, 2};
      for (int k : order) {
        const double x = x0 + 46 + k * 82 + random.between(-6, 6);
        drawSpectator(cr, x, bottom - random.between(78, 96) - (k == 1 ? 8 : 0), random);
      }
      cairo_restore(cr);
    }
  }
  return canvas.pixels();
}

Pixels feltPicture() {
  // The seam: a curve on the unit sphere that splits it into two equal
  // dog-bone halves (x, y, z as below lie exactly on the sphere).
  constexpr double k = 0.2;
  const double zScale = 2.0 * std::sqrt(k * (1.0 - k));
  std::vector<std::array<double, 3>> seam;
  for (int i = 0; i < 1440; ++i) {
    const double t = 2 * kPi * i / 1440;
    seam.push_back({(1 - k) * std::cos(t) + k * std::cos(3 * t), zScale * std::sin(2 * t),
                    (1 - k) * std::sin(t) - k * std::sin(3 * t)});
  }
  Pixels pixels{256, 128, std::vector<uint32_t>(256 * 128)};
  ContentRandom random(0xFE17);
  for (int y = 0; y < pixels.height; ++y) {
    const double v = 1.0 - (y + 0.5) / pixels.height;
    const double polar = kPi * v - kPi / 2;
    for (int x = 0; x < pixels.width; ++x) {
      const double around = 2 * kPi * (x + 0.5) / pixels.width;
      const double d[3] = {std::cos(polar) * std::cos(around), std::sin(polar), -std::cos(polar) * std::sin(around)};
      double nearest = 4;
      for (const auto& p : seam) {
        const double dx = d[0] - p[0], dy = d[1] - p[1], dz = d[2] - p[2];
        nearest = std::min(nearest, dx * dx + dy * dy + dz * dz);
      }
      const double white = 1.0 - smoothstep(0.055, 0.085, std::sqrt(nearest));
      const double grain = random.between(-0.04, 0.04);
      const double r = mix(0.84 + grain, 0.97, white);
      const double g = mix(0.93 + grain, 0.97, white);
      const double b = mix(0.22 + grain, 0.92, white);
      pixels.argb[static_cast<size_t>(y * pixels.width + x)] = argb(r, g, b, 1);
    }
  }
  return pixels;
}

Pixels shadowPicture() {
  Pixels pixels{64, 64, std::vector<uint32_t>(64 * 64)};
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const double r = std::hypot(x + 0.5 - 32, y + 0.5 - 32) / 32;
      const double alpha = 0.6 * (1.0 - smoothstep(0.45, 0.95, r));
      pixels.argb[static_cast<size_t>(y * 64 + x)] = argb(0.02, 0.03, 0.02, alpha);
    }
  }
  return pixels;
}

Pixels dustSheet(int cells, int cellSize) {
  Canvas canvas(cells * cellSize, cellSize);
  cairo_t* cr = canvas.context();
  ContentRandom random(0xD057);
  double angles[7];
  double reach[7];
  for (int i = 0; i < 7; ++i) {
    angles[i] = 2 * kPi * i / 7 + random.between(-0.3, 0.3);
    reach[i] = random.between(0.6, 1.0);
  }
  for (int cell = 0; cell < cells; ++cell) {
    const double p = static_cast<double>(cell) / (cells - 1);
    const double fade = std::pow(1.0 - p, 1.3);
    const double cx = cell * cellSize + cellSize / 2.0;
    const double cy = cellSize * (0.62 - 0.12 * p);
    for (int i = 0; i < 7; ++i) {
      const double spread = cellSize * (0.06 + 0.24 * std::sqrt(p)) * reach[i];
      const double x = cx + std::cos(angles[i]) * spread;
      const double y = cy + std::sin(angles[i]) * spread * 0.6;
      const double radius = cellSize * (0.1 + 0.12 * p) * (0.8 + 0.4 * reach[i]);
      cairo_pattern_t* puff = cairo_pattern_create_radial(x - radius * 0.3, y - radius * 0.3, 0, x, y, radius);
      cairo_pattern_add_color_stop_rgba(puff, 0, 0.93, 0.88, 0.78, 0.9 * fade);
      cairo_pattern_add_color_stop_rgba(puff, 0.6, 0.78, 0.7, 0.56, 0.75 * fade);
      cairo_pattern_add_color_stop_rgba(puff, 1, 0.7, 0.62, 0.48, 0);
      cairo_set_source(cr, puff);
      circle(cr, x, y, radius);
      cairo_fill(cr);
      cairo_pattern_destroy(puff);
    }
  }
  return canvas.pixels();
}

Pixels flashSheet(int cells, int cellSize) {
  Canvas canvas(cells * cellSize, cellSize);
  cairo_t* cr = canvas.context();
  for (int cell = 0; cell < cells; ++cell) {
    const double p = static_cast<double>(cell) / (cells - 1);
    const double grow = 0.35 + 0.65 * (1.0 - (1.0 - p) * (1.0 - p));
    const double alpha = p < 0.45 ? 1.0 : std::max(0.0, 1.0 - (p - 0.45) / 0.55);
    const double cx = cell * cellSize + cellSize / 2.0;
    const double cy = cellSize / 2.0;
    const double outer = cellSize * 0.46 * grow;
    cairo_save(cr);
    cairo_rectangle(cr, cell * cellSize, 0, cellSize, cellSize);
    cairo_clip(cr);
    cairo_push_group(cr);
    const int spikes = 10;
    for (int i = 0; i < 2 * spikes; ++i) {
      const double a = kPi * i / spikes + p * 0.4;
      const double r = (i % 2 == 0) ? outer * (i % 4 == 0 ? 1.0 : 0.82) : outer * 0.45;
      if (i == 0) {
        cairo_move_to(cr, cx + std::cos(a) * r, cy + std::sin(a) * r);
      } else {
        cairo_line_to(cr, cx + std::cos(a) * r, cy + std::sin(a) * r);
      }
    }
    cairo_close_path(cr);
    setColour(cr, rgb(0xFFE94A));
    cairo_fill_preserve(cr);
    setColour(cr, rgb(0xFF7A00));
    cairo_set_line_width(cr, cellSize * 0.035);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    circle(cr, cx, cy, outer * 0.38);
    setColour(cr, rgb(0xFFFFF0));
    cairo_fill(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
  }
  return canvas.pixels();
}

Pixels blurSheet(int cells, int cellSize) {
  Pixels pixels{cells * cellSize, cellSize, std::vector<uint32_t>(static_cast<size_t>(cells * cellSize * cellSize))};
  for (int cell = 0; cell < cells; ++cell) {
    const double p = static_cast<double>(cell) / (cells - 1);
    const double strength = 0.6 * (1.0 - p);
    const double radius = cellSize * 0.48 * (1.0 - 0.35 * p);
    for (int y = 0; y < cellSize; ++y) {
      for (int x = 0; x < cellSize; ++x) {
        const double r = std::hypot(x + 0.5 - cellSize / 2.0, y + 0.5 - cellSize / 2.0) / radius;
        const double alpha = r >= 1.0 ? 0.0 : strength * std::pow(1.0 - r, 1.4);
        pixels.argb[static_cast<size_t>(y * pixels.width + cell * cellSize + x)] = argb(0.92, 1.0, 0.45, alpha);
      }
    }
  }
  return pixels;
}
