#include "content/models/CharacterPortraits.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

// Drawn this many times larger, then averaged down.
constexpr int kOversample = 4;

struct Triangle {
  Vector3 a, b, c;  // picture x, y (down) and depth (larger nearer)
  Vector3 colour;
  bool front = true;
};

// The toon shader's bands (data/shaders/cartoon.fs) under the game's light.
float band(float lambert) {
  if (lambert > 0.8f) return 1.0f;
  if (lambert > 0.45f) return 0.7f;
  if (lambert > 0.15f) return 0.45f;
  return 0.25f;
}

Vector3 shade(const AseMaterial& m, float lambert) {
  const Vector3 c = m.ambient * 0.5f + m.diffuse * (0.7f * band(lambert));
  return {std::min(c.x, 1.0f), std::min(c.y, 1.0f), std::min(c.z, 1.0f)};
}

void putLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

Pixels characterPortrait(const AseScene& scene, const Vector3& centre, float radius, uint32_t badgeRgb) {
  const int size = kPortraitSize * kOversample;
  // The view: turned a little to the character's left and looking down.
  const Matrix view = rotate(rotate(translate(Matrix(), -centre), -22, 0, 1, 0), 12, 1, 0, 0);
  const float scale = static_cast<float>(size) / (2.0f * radius);
  auto toPicture = [&](const Vector3& p) {
    const Vector3 v = transformPoint(p, view);
    return Vector3(static_cast<float>(size) / 2 + v.x * scale, static_cast<float>(size) / 2 - v.y * scale, v.z);
  };

  std::vector<Triangle> triangles;
  for (size_t i = 0; i < scene.nodes.size(); ++i) {
    const AseNode& node = scene.nodes[i];
    if (node.material < 0 || node.mesh.faces.empty()) continue;
    const AseMaterial& material = scene.materials[static_cast<size_t>(node.material)];
    const Matrix world = node.kind == AseNodeKind::Skinned ? node.rest : aseWorld(scene, i, 0, 0);
    for (const Face& f : node.mesh.faces) {
      Triangle t;
      Vector3 corners[3];
      Vector3 normal;
      for (int k = 0; k < 3; ++k) {
        corners[k] = toPicture(transformPoint(node.mesh.positions[f[k]], world));
        normal += transformVector(transformVector(node.mesh.normals[f[k]], world), view);
      }
      t.a = corners[0];
      t.b = corners[1];
      t.c = corners[2];
      // Seen from the front when its corners turn counter-clockwise on the
      // picture (whose y runs down).
      const float turn = (t.b.x - t.a.x) * (t.c.y - t.a.y) - (t.b.y - t.a.y) * (t.c.x - t.a.x);
      t.front = turn < 0;
      t.colour = shade(material, std::max(0.0f, normalise(normal).z));
      triangles.push_back(t);
    }
  }
  std::stable_sort(triangles.begin(), triangles.end(),
                   [](const Triangle& p, const Triangle& q) { return p.a.z + p.b.z + p.c.z < q.a.z + q.b.z + q.c.z; });

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surface);
  const double r = ((badgeRgb >> 16) & 0xFF) / 255.0;
  const double g = ((badgeRgb >> 8) & 0xFF) / 255.0;
  const double b = (badgeRgb & 0xFF) / 255.0;
  // The badge: the character's colour, lighter in the middle.
  cairo_pattern_t* glow =
      cairo_pattern_create_radial(size * 0.5, size * 0.4, size * 0.05, size * 0.5, size * 0.5, size * 0.72);
  cairo_pattern_add_color_stop_rgb(glow, 0, 0.6 + 0.4 * r, 0.6 + 0.4 * g, 0.6 + 0.4 * b);
  cairo_pattern_add_color_stop_rgb(glow, 1, r * 0.55, g * 0.55, b * 0.55);
  cairo_set_source(cr, glow);
  cairo_paint(cr);
  cairo_pattern_destroy(glow);

  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (const Triangle& t : triangles) {
    cairo_move_to(cr, t.a.x, t.a.y);
    cairo_line_to(cr, t.b.x, t.b.y);
    cairo_line_to(cr, t.c.x, t.c.y);
    cairo_close_path(cr);
    if (t.front) {
      cairo_set_source_rgb(cr, t.colour.x, t.colour.y, t.colour.z);
      cairo_fill_preserve(cr);
      cairo_set_line_width(cr, 0.8);
      cairo_stroke(cr);
    } else {
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_set_line_width(cr, 2.2 * kOversample);
      cairo_stroke(cr);
    }
  }
  // A dark rim round the picture.
  cairo_rectangle(cr, 0, 0, size, size);
  cairo_set_source_rgb(cr, 0.08, 0.08, 0.1);
  cairo_set_line_width(cr, 3.0 * kOversample);
  cairo_stroke(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);

  Pixels out;
  out.width = kPortraitSize;
  out.height = kPortraitSize;
  out.argb.resize(static_cast<size_t>(kPortraitSize * kPortraitSize));
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < kPortraitSize; ++y) {
    for (int x = 0; x < kPortraitSize; ++x) {
      uint32_t sum[3] = {0, 0, 0};
      for (int dy = 0; dy < kOversample; ++dy) {
        for (int dx = 0; dx < kOversample; ++dx) {
          const auto* px =
              reinterpret_cast<const uint32_t*>(data + (y * kOversample + dy) * stride) + (x * kOversample + dx);
          sum[0] += (*px >> 16) & 0xFF;
          sum[1] += (*px >> 8) & 0xFF;
          sum[2] += *px & 0xFF;
        }
      }
      const uint32_t n = kOversample * kOversample;
      out.argb[static_cast<size_t>(y * kPortraitSize + x)] =
          0xFF000000u | ((sum[0] / n) << 16) | ((sum[1] / n) << 8) | (sum[2] / n);
    }
  }
  cairo_surface_destroy(surface);
  return out;
}

std::string bmpFile(const Pixels& pixels) {
  if (pixels.width <= 0 || pixels.height <= 0) throw std::invalid_argument("empty picture");
  const uint32_t rowBytes = (static_cast<uint32_t>(pixels.width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(pixels.height);
  std::string out = "BM";
  putLittleEndian(out, 54 + imageBytes, 4);
  putLittleEndian(out, 0, 4);
  putLittleEndian(out, 54, 4);
  putLittleEndian(out, 40, 4);
  putLittleEndian(out, static_cast<uint32_t>(pixels.width), 4);
  putLittleEndian(out, static_cast<uint32_t>(pixels.height), 4);
  putLittleEndian(out, 1, 2);
  putLittleEndian(out, 24, 2);
  putLittleEndian(out, 0, 4);
  putLittleEndian(out, imageBytes, 4);
  putLittleEndian(out, 2835, 4);
  putLittleEndian(out, 2835, 4);
  putLittleEndian(out, 0, 4);
  putLittleEndian(out, 0, 4);
  for (int y = pixels.height - 1; y >= 0; --y) {
    for (int x = 0; x < pixels.width; ++x) {
      const uint32_t argb = pixels.argb[static_cast<size_t>(y * pixels.width + x)];
      out.push_back(static_cast<char>(argb & 0xFF));
      out.push_back(static_cast<char>((argb >> 8) & 0xFF));
      out.push_back(static_cast<char>((argb >> 16) & 0xFF));
    }
    out.append(rowBytes - static_cast<uint32_t>(pixels.width) * 3, '\0');
  }
  return out;
}
