#include "content/Pictures.h"

#include <algorithm>
#include <functional>
#include <numbers>

#include "content/Canvas.h"
#include "content/ContentFiles.h"
#include "content/ContentRandom.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kSize = 1024;
// Rows below this one are never on screen.
constexpr double kVisibleRows = 768;

// Overlay y (up) to picture row (down).
constexpr double row(double overlayY) { return kVisibleRows - overlayY; }

struct Point {
  double x = 0;
  double y = 0;
};

// A court seen by a camera behind one baseline: u runs across the court
// (-1 and 1 are the doubles side lines), v along it (0 the far baseline, 1
// the near one). Things farther away shrink towards the horizon.
struct CourtView {
  double centreX = 512;
  double nearY = 0;
  double halfWidthNear = 0;
  double farScale = 1;  // size of the far baseline against the near one
  double farY = 0;

  double scale(double v) const { return 1.0 / (1.0 + (1.0 / farScale - 1.0) * (1.0 - v)); }
  double horizonY() const { return (farY - nearY * farScale) / (1.0 - farScale); }
  Point at(double u, double v) const {
    const double s = scale(v);
    return {centreX + u * halfWidthNear * s, horizonY() + (nearY - horizonY()) * s};
  }
};

// Singles side lines and service lines as fractions of the real court.
constexpr double kSinglesU = 8.23 / 10.97;
constexpr double kServiceV = 6.40 / 23.77;

void quad(cairo_t* cr, const CourtView& view, double u0, double v0, double u1, double v1) {
  const Point a = view.at(u0, v0);
  const Point b = view.at(u1, v0);
  const Point c = view.at(u1, v1);
  const Point d = view.at(u0, v1);
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_line_to(cr, c.x, c.y);
  cairo_line_to(cr, d.x, d.y);
  cairo_close_path(cr);
}

void courtLine(cairo_t* cr, const CourtView& view, double u0, double v0, double u1, double v1, double width) {
  const Point a = view.at(u0, v0);
  const Point b = view.at(u1, v1);
  cairo_set_line_width(cr, width * 0.5 * (view.scale(v0) + view.scale(v1)));
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_stroke(cr);
}

// A blue hard court on a green apron, its white lines and the net.
void drawCourt(cairo_t* cr, const CourtView& view, double lineWidth, double netHeight) {
  cairo_save(cr);
  quad(cr, view, -1.3, -0.12, 1.3, 1.12);
  setColour(cr, rgb(0x3A8F47));
  cairo_fill(cr);
  quad(cr, view, -1, 0, 1, 1);
  setColour(cr, rgb(0x2F6DB5));
  cairo_fill(cr);
  quad(cr, view, -kSinglesU, 0.5 - kServiceV, kSinglesU, 0.5 + kServiceV);
  setColour(cr, rgb(0x3479C4));
  cairo_fill(cr);

  setColour(cr, rgb(0xFFFFFF));
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  for (const double v : {0.0, 1.0}) courtLine(cr, view, -1, v, 1, v, lineWidth);
  for (const double u : {-1.0, 1.0, -kSinglesU, kSinglesU}) courtLine(cr, view, u, 0, u, 1, lineWidth);
  for (const double v : {0.5 - kServiceV, 0.5 + kServiceV}) {
    courtLine(cr, view, -kSinglesU, v, kSinglesU, v, lineWidth);
  }
  courtLine(cr, view, 0, 0.5 - kServiceV, 0, 0.5 + kServiceV, lineWidth);
  courtLine(cr, view, 0, 0, 0, 0.02, lineWidth);
  courtLine(cr, view, 0, 0.98, 0, 1, lineWidth);

  // The net: its shadow on the court, the mesh, the white tape, two posts.
  const double s = view.scale(0.5);
  const Point left = view.at(-1.08, 0.5);
  const Point right = view.at(1.08, 0.5);
  const double h = netHeight * s;
  cairo_new_path(cr);
  cairo_move_to(cr, left.x, left.y);
  cairo_line_to(cr, right.x, right.y);
  cairo_line_to(cr, right.x + 0.4 * h, right.y + 0.5 * h);
  cairo_line_to(cr, left.x + 0.4 * h, left.y + 0.5 * h);
  cairo_close_path(cr);
  setColour(cr, rgb(0x000000, 0.22));
  cairo_fill(cr);
  cairo_rectangle(cr, left.x, left.y - h, right.x - left.x, h);
  setColour(cr, rgb(0x1A1A2E, 0.55));
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip(cr);
  setColour(cr, rgb(0xFFFFFF, 0.35));
  cairo_set_line_width(cr, 1);
  const double mesh = std::max(3.0, h / 6);
  for (double x = left.x; x < right.x + h; x += mesh) {
    cairo_move_to(cr, x, left.y - h);
    cairo_line_to(cr, x - h, left.y);
    cairo_move_to(cr, x - h, left.y - h);
    cairo_line_to(cr, x, left.y);
  }
  cairo_stroke(cr);
  cairo_restore(cr);
  cairo_new_path(cr);
  setColour(cr, rgb(0xFFFFFF));
  cairo_set_line_width(cr, std::max(2.0, 0.12 * h));
  cairo_move_to(cr, left.x, left.y - h);
  cairo_line_to(cr, right.x, right.y - h);
  cairo_stroke(cr);
  for (const Point& post : {left, right}) {
    const double w = std::max(4.0, 0.14 * h);
    roundedRectanglePath(cr, post.x - w / 2, post.y - h * 1.1, w, h * 1.1, w / 3);
    setColour(cr, rgb(0x1B1F4B));
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

// Rays of light from a point, alternately lit: the cartoon sunburst.
void drawSunburst(cairo_t* cr, double x, double y, int rays, const Colour& colour) {
  cairo_save(cr);
  setColour(cr, colour);
  for (int i = 0; i < rays; i += 2) {
    const double a0 = 2 * kPi * i / rays;
    const double a1 = 2 * kPi * (i + 1) / rays;
    cairo_move_to(cr, x, y);
    cairo_arc(cr, x, y, 1500, a0, a1);
    cairo_close_path(cr);
  }
  cairo_fill(cr);
  cairo_restore(cr);
}

// Stands full of spectators: rows of coloured heads over dark seats.
void drawStands(cairo_t* cr, double top, double bottom, uint64_t seed) {
  ContentRandom random(seed);
  cairo_save(cr);
  setVerticalGradient(cr, top, rgb(0x2B3F7A), bottom, rgb(0x1B2A58));
  cairo_rectangle(cr, 0, top, kSize, bottom - top);
  cairo_fill(cr);
  static const Colour shirts[] = {rgb(0xE0413A), rgb(0xFFFFFF), rgb(0xF6C945), rgb(0x46B3E6),
                                  rgb(0x7BD15A), rgb(0xF28C38), rgb(0xD35DB0), rgb(0xB0B8D8)};
  static const Colour skins[] = {rgb(0xF1C27D), rgb(0xE0AC69), rgb(0xC68642), rgb(0x8D5524), rgb(0xFFDBAC)};
  int rowIndex = 0;
  for (double y = top + 10; y < bottom - 4; y += 13, ++rowIndex) {
    for (double x = (rowIndex % 2) * 7.0 - 4; x < kSize + 8; x += 14) {
      const double jx = random.between(-2, 2);
      const Colour& shirt = shirts[random.below(8)];
      const Colour& skin = skins[random.below(5)];
      cairo_rectangle(cr, x + jx - 5, y + 1, 10, 8);
      setColour(cr, shirt);
      cairo_fill(cr);
      cairo_arc(cr, x + jx, y - 2, 4, 0, 2 * kPi);
      setColour(cr, skin);
      cairo_fill(cr);
    }
  }
  cairo_restore(cr);
}

// The board around the court: stripes of the game's colours.
void drawBoards(cairo_t* cr, double top, double height) {
  static const Colour colours[] = {rgb(0xE0413A), rgb(0xFFFFFF), rgb(0x2F6DB5), rgb(0xF6C945)};
  for (int i = 0; i * 128 < kSize; ++i) {
    cairo_rectangle(cr, i * 128, top, 128, height);
    setColour(cr, colours[i % 4]);
    cairo_fill(cr);
  }
  cairo_rectangle(cr, 0, top, kSize, height);
  setColour(cr, rgb(0x1B1F4B));
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
}

// A translucent panel behind a group of menu items.
void drawPanel(cairo_t* cr, double x, double y, double width, double height, double radius, double alpha) {
  cairo_save(cr);
  roundedRectanglePath(cr, x + 6, y + 8, width, height, radius);
  setColour(cr, rgb(0x000000, 0.25));
  cairo_fill(cr);
  roundedRectanglePath(cr, x, y, width, height, radius);
  setVerticalGradient(cr, y, rgb(0x1D3A7A, alpha), y + height, rgb(0x0B1A45, alpha));
  cairo_fill_preserve(cr);
  setColour(cr, rgb(0xFFFFFF, 0.7));
  cairo_set_line_width(cr, 4);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// Short curved lines behind a moving ball.
void drawSpeedLines(cairo_t* cr, double x, double y, double radius, double angle) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, angle);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  setColour(cr, rgb(0xFFFFFF, 0.85));
  for (int i = -1; i <= 1; ++i) {
    cairo_set_line_width(cr, radius * (i == 0 ? 0.16 : 0.11));
    cairo_move_to(cr, radius * 1.3, i * radius * 0.55);
    cairo_line_to(cr, radius * (i == 0 ? 3.2 : 2.5), i * radius * 0.7);
  }
  cairo_stroke(cr);
  cairo_restore(cr);
}

void writePicture(const std::filesystem::path& runDir, const char* name, const std::function<void(cairo_t*)>& draw) {
  Canvas canvas(kSize, kSize);
  draw(canvas.context());
  writeContentFile(runDir, name, tgaFile(canvas.pixels(), false));
}

// The title screen: sky, sunburst and logo above a stadium court, room at
// the left for the main menu (x 250, from overlay y 440 down; the menu draws
// its own panel, as tall as its items), a racket and a flying ball at the
// right.
void drawMainMenu(cairo_t* cr) {
  setVerticalGradient(cr, 0, rgb(0x2F8FE8), 440, rgb(0xA8DCFF));
  cairo_paint(cr);
  drawSunburst(cr, 512, 175, 28, rgb(0xFFFFFF, 0.11));
  drawCloud(cr, 150, 270, 150);
  drawCloud(cr, 930, 300, 190);
  drawCloud(cr, 60, 70, 130);
  drawCloud(cr, 980, 50, 120);

  drawStands(cr, 425, 540, 7);
  drawBoards(cr, 538, 22);
  cairo_rectangle(cr, 0, 560, kSize, kSize - 560);
  setColour(cr, rgb(0x3A8F47));
  cairo_fill(cr);
  CourtView view;
  view.nearY = 1150;
  view.halfWidthNear = 900;
  view.farScale = 0.25;
  view.farY = 585;
  drawCourt(cr, view, 14, 150);

  drawLogo(cr, 500, 232, 156);

  drawRacket(cr, 830, 470, 112, 0.55, rgb(0xE0413A));
  drawSpeedLines(cr, 680, 350, 40, -0.35);
  drawTennisBall(cr, 680, 350, 40, 0.6);
}

// Behind the option, set-up and credit screens: a blue backdrop with faint
// court lines, a small logo at the top and one large panel holding every
// item from overlay y 530 down to the next/back row at y 100.
void drawMenuBackground(cairo_t* cr) {
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, kSize, kVisibleRows);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.25, 0.6, 0.93);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.09, 0.22, 0.55);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);

  cairo_save(cr);
  setColour(cr, rgb(0xFFFFFF, 0.05));
  for (double x = -kVisibleRows; x < kSize; x += 96) {
    cairo_move_to(cr, x, 0);
    cairo_line_to(cr, x + 48, 0);
    cairo_line_to(cr, x + 48 + kVisibleRows, kVisibleRows);
    cairo_line_to(cr, x + kVisibleRows, kVisibleRows);
    cairo_close_path(cr);
  }
  cairo_fill(cr);
  // A court drawn large and faint, as on a coach's board.
  setColour(cr, rgb(0xFFFFFF, 0.1));
  cairo_set_line_width(cr, 8);
  cairo_rectangle(cr, -100, 60, 1224, 650);
  cairo_move_to(cr, 512, 60);
  cairo_line_to(cr, 512, 710);
  cairo_move_to(cr, 230, 150);
  cairo_line_to(cr, 230, 620);
  cairo_move_to(cr, 794, 150);
  cairo_line_to(cr, 794, 620);
  cairo_move_to(cr, 230, 385);
  cairo_line_to(cr, 794, 385);
  cairo_move_to(cr, -100, 150);
  cairo_line_to(cr, 1124, 150);
  cairo_move_to(cr, -100, 620);
  cairo_line_to(cr, 1124, 620);
  cairo_stroke(cr);
  cairo_restore(cr);

  drawTennisBall(cr, 70, 80, 46, 0.4);
  drawTennisBall(cr, 960, 700, 40, 2.0);
  drawRacket(cr, 950, 70, 60, 0.8, rgb(0xF6C945));
  drawLogo(cr, 512, 160, 118);
  drawPanel(cr, 112, row(545) - 20, 800, 522, 34, 0.55);
  // A faint rule above the next/back row.
  cairo_save(cr);
  setColour(cr, rgb(0xFFFFFF, 0.3));
  cairo_set_line_width(cr, 3);
  cairo_move_to(cr, 170, row(100) - 38);
  cairo_line_to(cr, 854, row(100) - 38);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// Where the player set-up screen writes each slot's character name
// (overlay x, y): the players' spots on the court lie under them.
struct PlayerSpot {
  double x;
  double y;
  Colour colour;
};
const PlayerSpot kPlayerSpots[] = {
    {.x = 620, .y = 170, .colour = rgb(0xE0413A)},  // slot 0, near side
    {.x = 450, .y = 520, .colour = rgb(0x8E44AD)},  // slot 1, far side
    {.x = 420, .y = 290, .colour = rgb(0x27AE60)},  // slot 2, near side (doubles)
    {.x = 580, .y = 470, .colour = rgb(0xF39C12)},  // slot 3, far side (doubles)
};

void drawSpot(cairo_t* cr, const PlayerSpot& spot) {
  const double x = spot.x;
  const double y = row(spot.y);
  const double rx = 128;
  const double ry = 25;
  cairo_save(cr);
  const auto ellipse = [cr](double cx, double cy, double ex, double ey) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, ex, ey);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
  };
  ellipse(x + 5, y + 7, rx, ry);
  setColour(cr, rgb(0x000000, 0.3));
  cairo_fill(cr);
  ellipse(x, y, rx, ry);
  setVerticalGradient(cr, y - ry, Colour{spot.colour.r * 0.75 + 0.25, spot.colour.g * 0.75 + 0.25,
                                         spot.colour.b * 0.75 + 0.25, 1},
                      y + ry, Colour{spot.colour.r * 0.7, spot.colour.g * 0.7, spot.colour.b * 0.7, 1});
  cairo_fill_preserve(cr);
  setColour(cr, rgb(0x1B1F4B));
  cairo_set_line_width(cr, 7);
  cairo_stroke_preserve(cr);
  setColour(cr, rgb(0xFFFFFF));
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// Choosing the players: the court from high above, net across the middle,
// one coloured spot for each slot's name and a bar for next/back (y 100).
void drawMatchBackground(cairo_t* cr) {
  setColour(cr, rgb(0x2F8A3E));
  cairo_paint(cr);
  // Mowing stripes on the grass around the court.
  setColour(cr, rgb(0xFFFFFF, 0.06));
  for (double y = 0; y < kSize; y += 64) cairo_rectangle(cr, 0, y, kSize, 32);
  cairo_fill(cr);
  drawStands(cr, 0, 40, 11);
  drawBoards(cr, 40, 16);

  CourtView view;
  view.nearY = 628;
  view.halfWidthNear = 300;
  view.farScale = 0.88;
  view.farY = 112;
  drawCourt(cr, view, 6, 20);
  for (const PlayerSpot& spot : kPlayerSpots) drawSpot(cr, spot);

  drawTennisBall(cr, 850, 330, 26, 1.1);
  drawSpeedLines(cr, 850, 330, 26, 0.3);
  drawRacket(cr, 140, 300, 70, -0.45, rgb(0xE0413A));
  drawRacket(cr, 890, 560, 62, 0.5, rgb(0x2F6DB5));
  drawPanel(cr, 250, row(100) - 30, 524, 60, 24, 0.65);

  // Vignette: the edges fall off into shade, the court stays bright.
  cairo_pattern_t* shade = cairo_pattern_create_radial(512, 384, 300, 512, 384, 760);
  cairo_pattern_add_color_stop_rgba(shade, 0, 0, 0, 0, 0);
  cairo_pattern_add_color_stop_rgba(shade, 1, 0, 0, 0, 0.45);
  cairo_set_source(cr, shade);
  cairo_paint(cr);
  cairo_pattern_destroy(shade);
}

}  // namespace

void writePictures(const std::filesystem::path& runDir) {
  writePicture(runDir, "imgs/main_menu.tga", drawMainMenu);
  writePicture(runDir, "imgs/menu_background.tga", drawMenuBackground);
  writePicture(runDir, "imgs/menu_match_background.tga", drawMatchBackground);
}
