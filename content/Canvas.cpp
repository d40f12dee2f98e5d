#include "content/Canvas.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <iterator>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

struct Lettering {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  cairo_font_face_t* cairoFace = nullptr;
};

const cairo_user_data_key_t kFaceKey{};

Lettering loadLettering() {
  Lettering lettering;
  if (FT_Init_FreeType(&lettering.library) != 0) throw std::runtime_error("no se pudo iniciar FreeType");
  if (FT_New_Face(lettering.library, ZUMBOLO_CONTENT_FONT, 0, &lettering.face) != 0) {
    throw std::runtime_error(std::string("no se pudo leer la fuente ") + ZUMBOLO_CONTENT_FONT);
  }
  lettering.cairoFace = cairo_ft_font_face_create_for_ft_face(lettering.face, 0);
  // Cairo may keep the face past our last reference; the FreeType face goes
  // only when cairo lets go of it.
  cairo_font_face_set_user_data(lettering.cairoFace, &kFaceKey, lettering.face,
                                [](void* face) { FT_Done_Face(static_cast<FT_Face>(face)); });
  return lettering;
}

const Lettering& lettering() {
  static const Lettering loaded = loadLettering();
  return loaded;
}

}  // namespace

Canvas::Canvas(int width, int height)
    : canvasWidth(width),
      canvasHeight(height),
      surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr(cairo_create(surface)) {
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);
}

Canvas::~Canvas() {
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

Pixels Canvas::pixels() const {
  cairo_surface_flush(surface);
  Pixels out;
  out.width = canvasWidth;
  out.height = canvasHeight;
  out.argb.resize(static_cast<size_t>(canvasWidth) * static_cast<size_t>(canvasHeight));
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < canvasHeight; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
    for (int x = 0; x < canvasWidth; ++x) {
      const uint32_t p = row[x];
      const uint32_t a = p >> 24;
      uint32_t straight = 0;
      if (a == 255) {
        straight = p;
      } else if (a > 0) {
        const auto unpremultiply = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
        straight = a << 24 | unpremultiply((p >> 16) & 0xFF) << 16 | unpremultiply((p >> 8) & 0xFF) << 8 |
                   unpremultiply(p & 0xFF);
      }
      out.argb[static_cast<size_t>(y) * static_cast<size_t>(canvasWidth) + static_cast<size_t>(x)] = straight;
    }
  }
  return out;
}

cairo_font_face_t* letteringFace() { return lettering().cairoFace; }

unsigned letteringGlyphIndex(uint32_t codePoint) { return FT_Get_Char_Index(lettering().face, codePoint); }

void useLettering(cairo_t* cr, double size) {
  cairo_set_font_face(cr, letteringFace());
  cairo_set_font_size(cr, size);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

void setColour(cairo_t* cr, const Colour& colour) {
  cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
}

void roundedRectanglePath(cairo_t* cr, double x, double y, double width, double height, double radius) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + width - radius, y + radius, radius, -kPi / 2, 0);
  cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, kPi / 2);
  cairo_arc(cr, x + radius, y + height - radius, radius, kPi / 2, kPi);
  cairo_arc(cr, x + radius, y + radius, radius, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

void setVerticalGradient(cairo_t* cr, double y0, const Colour& top, double y1, const Colour& bottom) {
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgba(gradient, 0, top.r, top.g, top.b, top.a);
  cairo_pattern_add_color_stop_rgba(gradient, 1, bottom.r, bottom.g, bottom.b, bottom.a);
  cairo_set_source(cr, gradient);
  cairo_pattern_destroy(gradient);
}

void drawLettering(cairo_t* cr, const std::string& utf8, double x, double y, const LetteringStyle& style) {
  cairo_save(cr);
  useLettering(cr, style.size);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  if (style.shadowOffset > 0) {
    cairo_new_path(cr);
    cairo_move_to(cr, x + style.shadowOffset, y + style.shadowOffset);
    cairo_text_path(cr, utf8.c_str());
    setColour(cr, style.shadowColour);
    cairo_set_line_width(cr, 2 * style.outline);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
  }
  cairo_new_path(cr);
  cairo_move_to(cr, x, y);
  cairo_text_path(cr, utf8.c_str());
  setColour(cr, style.outlineColour);
  cairo_set_line_width(cr, 2 * style.outline);
  cairo_stroke_preserve(cr);
  setVerticalGradient(cr, y - 0.75 * style.size, style.fillTop, y, style.fillBottom);
  cairo_fill(cr);
  cairo_restore(cr);
}

void drawTennisBall(cairo_t* cr, double x, double y, double radius, double turn) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  // Shading: a bright spot to the upper left, darker towards the rim.
  cairo_pattern_t* shade = cairo_pattern_create_radial(-0.35 * radius, -0.4 * radius, 0.1 * radius, 0, 0, radius);
  cairo_pattern_add_color_stop_rgb(shade, 0, 0.96, 1.0, 0.55);
  cairo_pattern_add_color_stop_rgb(shade, 0.55, 0.83, 0.93, 0.16);
  cairo_pattern_add_color_stop_rgb(shade, 1, 0.58, 0.72, 0.05);
  cairo_arc(cr, 0, 0, radius, 0, 2 * kPi);
  cairo_set_source(cr, shade);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(shade);
  cairo_clip(cr);
  // The seam: two facing arcs, as a ball shows it from the side.
  cairo_rotate(cr, turn);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, radius * 0.13);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_new_path(cr);
  cairo_arc(cr, -1.45 * radius, 0, 1.0 * radius, -kPi / 2, kPi / 2);
  cairo_stroke(cr);
  cairo_new_path(cr);
  cairo_arc(cr, 1.45 * radius, 0, 1.0 * radius, kPi / 2, 3 * kPi / 2);
  cairo_stroke(cr);
  cairo_reset_clip(cr);
  cairo_new_path(cr);
  cairo_arc(cr, 0, 0, radius, 0, 2 * kPi);
  cairo_set_source_rgb(cr, 0.1, 0.12, 0.29);
  cairo_set_line_width(cr, std::max(2.0, radius * 0.09));
  cairo_stroke(cr);
  cairo_restore(cr);
}

void drawRacket(cairo_t* cr, double x, double y, double size, double angle, const Colour& frame) {
  const Colour ink = rgb(0x1B1F4B);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, angle);
  const double rx = 0.74 * size;
  const double ry = size;
  const double line = std::max(2.0, size * 0.05);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);

  // Handle and throat first, so the head's frame covers their joint.
  const double gripTop = ry + 0.55 * size;
  const double gripBottom = ry + 1.45 * size;
  const double gripHalf = 0.11 * size;
  roundedRectanglePath(cr, -gripHalf, gripTop, 2 * gripHalf, gripBottom - gripTop, gripHalf * 0.6);
  setColour(cr, rgb(0xF4F1E8));
  cairo_fill_preserve(cr);
  setColour(cr, ink);
  cairo_set_line_width(cr, line);
  cairo_stroke(cr);
  // Grip tape, wound diagonally.
  cairo_save(cr);
  roundedRectanglePath(cr, -gripHalf, gripTop, 2 * gripHalf, gripBottom - gripTop, gripHalf * 0.6);
  cairo_clip(cr);
  setColour(cr, rgb(0xE0413A));
  cairo_set_line_width(cr, 0.07 * size);
  for (double t = gripTop - gripHalf; t < gripBottom + gripHalf; t += 0.16 * size) {
    cairo_move_to(cr, -gripHalf * 1.5, t + 0.1 * size);
    cairo_line_to(cr, gripHalf * 1.5, t - 0.05 * size);
  }
  cairo_stroke(cr);
  cairo_restore(cr);
  // Throat: two arms from the head into the handle.
  cairo_new_path(cr);
  cairo_move_to(cr, -0.52 * rx, 0.86 * ry);
  cairo_curve_to(cr, -0.3 * rx, ry + 0.2 * size, -gripHalf, ry + 0.35 * size, -gripHalf * 0.9, gripTop + 0.05 * size);
  cairo_move_to(cr, 0.52 * rx, 0.86 * ry);
  cairo_curve_to(cr, 0.3 * rx, ry + 0.2 * size, gripHalf, ry + 0.35 * size, gripHalf * 0.9, gripTop + 0.05 * size);
  setColour(cr, ink);
  cairo_set_line_width(cr, 0.13 * size + 2 * line);
  cairo_stroke_preserve(cr);
  setColour(cr, frame);
  cairo_set_line_width(cr, 0.13 * size);
  cairo_stroke(cr);

  // Strings inside the head.
  cairo_save(cr);
  cairo_scale(cr, rx, ry);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  setColour(cr, rgb(0xFFFFFF, 0.25));
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip(cr);
  setColour(cr, rgb(0xFFFFFF, 0.9));
  cairo_set_line_width(cr, std::max(1.0, size * 0.022));
  const double step = size * 0.14;
  for (double s = -ry; s <= ry; s += step) {
    cairo_move_to(cr, -rx, s);
    cairo_line_to(cr, rx, s);
  }
  for (double s = -rx; s <= rx; s += step) {
    cairo_move_to(cr, s, -ry);
    cairo_line_to(cr, s, ry);
  }
  cairo_stroke(cr);
  cairo_restore(cr);
  // The frame: a thick coloured ring with a dark outline.
  cairo_new_path(cr);
  cairo_save(cr);
  cairo_scale(cr, rx, ry);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  setColour(cr, ink);
  cairo_set_line_width(cr, 0.16 * size + 2 * line);
  cairo_stroke_preserve(cr);
  setColour(cr, frame);
  cairo_set_line_width(cr, 0.16 * size);
  cairo_stroke_preserve(cr);
  setColour(cr, rgb(0xFFFFFF, 0.45));
  cairo_set_line_width(cr, 0.04 * size);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void drawCloud(cairo_t* cr, double x, double y, double width) {
  // A circle each: its offset from the cloud's centre and its radius, in
  // widths of the cloud.
  struct Puff {
    double right;
    double down;
    double radius;
  };
  static const std::vector<Puff> puffs = {{.right = -0.32, .down = 0.08, .radius = 0.2},
                                          {.right = -0.12, .down = -0.1, .radius = 0.26},
                                          {.right = 0.14, .down = -0.05, .radius = 0.22},
                                          {.right = 0.33, .down = 0.1, .radius = 0.16},
                                          {.right = 0.0, .down = 0.12, .radius = 0.2}};
  cairo_save(cr);
  cairo_new_path(cr);
  for (const Puff& p : puffs) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + p.right * width, y + p.down * width, p.radius * width, 0, 2 * kPi);
  }
  // Stroke every puff thick in the outline colour, then fill them all: only
  // the outer edge of the union keeps a line.
  setColour(cr, rgb(0x6FA8DC));
  cairo_set_line_width(cr, width * 0.035);
  cairo_stroke_preserve(cr);
  setVerticalGradient(cr, y - 0.35 * width, rgb(0xFFFFFF), y + 0.3 * width, rgb(0xDDEEFF));
  cairo_fill(cr);
  cairo_restore(cr);
}

void drawLogo(cairo_t* cr, double centreX, double baselineY, double size) {
  // Each letter bounces and tilts on its own; the O's are tennis balls.
  struct Letter {
    const char* text;
    double tilt;  // degrees
    double lift;  // fraction of size
    bool ball = false;
  };
  static const Letter letters[] = {{.text = "Z", .tilt = -8, .lift = 0.02},
                                   {.text = "U", .tilt = 5, .lift = 0.07},
                                   {.text = "M", .tilt = -4, .lift = -0.01},
                                   {.text = "B", .tilt = 6, .lift = 0.06},
                                   {.text = "O", .tilt = 0, .lift = 0.0, .ball = true},
                                   {.text = "L", .tilt = -6, .lift = 0.05},
                                   {.text = "O", .tilt = 0, .lift = 0.09, .ball = true}};
  const double outline = size * 0.055;
  const double ballRadius = size * 0.36;
  cairo_save(cr);
  useLettering(cr, size);
  std::vector<double> advances;
  double total = 0;
  for (const Letter& l : letters) {
    double advance = 0;
    if (l.ball) {
      advance = 2 * ballRadius + outline * 1.6;
    } else {
      cairo_text_extents_t extents;
      cairo_text_extents(cr, l.text, &extents);
      advance = extents.x_advance + outline * 0.6;
    }
    advances.push_back(advance);
    total += advance;
  }
  cairo_restore(cr);

  LetteringStyle style;
  style.size = size;
  style.outline = outline;
  style.outlineColour = rgb(0x1B1F4B);
  style.fillTop = rgb(0xFFE94D);
  style.fillBottom = rgb(0xFF7A1A);
  style.shadowOffset = size * 0.06;
  style.shadowColour = rgb(0x0B0E2B, 0.45);

  double x = centreX - total / 2;
  for (size_t i = 0; i < std::size(letters); ++i) {
    const Letter& l = letters[i];
    const double y = baselineY - l.lift * size;
    const double mid = x + advances[i] / 2;
    if (l.ball) {
      const double cy = y - 0.35 * size;
      cairo_save(cr);
      cairo_arc(cr, mid + style.shadowOffset, cy + style.shadowOffset, ballRadius + outline * 0.5, 0, 2 * kPi);
      setColour(cr, style.shadowColour);
      cairo_fill(cr);
      cairo_arc(cr, mid, cy, ballRadius + outline * 0.6, 0, 2 * kPi);
      setColour(cr, style.outlineColour);
      cairo_fill(cr);
      cairo_restore(cr);
      drawTennisBall(cr, mid, cy, ballRadius, 0.5 + 0.7 * static_cast<double>(i));
    } else {
      cairo_save(cr);
      cairo_translate(cr, mid, y - 0.35 * size);
      cairo_rotate(cr, l.tilt * kPi / 180);
      cairo_translate(cr, -mid, -(y - 0.35 * size));
      drawLettering(cr, l.text, x + outline * 0.3, y, style);
      cairo_restore(cr);
    }
    x += advances[i];
  }
}
