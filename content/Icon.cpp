#include "content/Icon.h"

#include <stdexcept>
#include <string>

#include "content/Canvas.h"

namespace {

// The drawing is laid out on a 256-pixel tile and scaled to each size.
constexpr double kDesignSize = 256;

void drawIcon(cairo_t* cr) {
  roundedRectanglePath(cr, 8, 8, 240, 240, 48);
  setVerticalGradient(cr, 8, rgb(0x2F8FE8), 248, rgb(0xA8DCFF));
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 8);
  setColour(cr, rgb(0x1B1F4B));
  cairo_stroke(cr);
  drawRacket(cr, 150, 104, 78, 0.5, rgb(0xE0413A));
  drawTennisBall(cr, 92, 160, 56, 0.6);
}

cairo_status_t appendBytes(void* bytes, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(bytes)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

void writeIcons(const std::filesystem::path& themeFolder) {
  for (const int size : kIconSizes) {
    Canvas canvas(size, size);
    cairo_t* cr = canvas.context();
    cairo_scale(cr, size / kDesignSize, size / kDesignSize);
    drawIcon(cr);
    std::string png;
    cairo_surface_flush(cairo_get_target(cr));
    if (cairo_surface_write_to_png_stream(cairo_get_target(cr), appendBytes, &png) != CAIRO_STATUS_SUCCESS) {
      throw std::runtime_error("no se pudo codificar el icono de " + std::to_string(size) + " pixeles");
    }
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    writeContentFile(themeFolder, name + "/apps/zumbolo.png", png);
  }
}
