#include "engine/Font.h"

#include <GL/gl.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <fstream>
#include <istream>

#include "engine/ImageTextureFactory.h"
#include "engine/Log.h"

namespace {

uint32_t littleEndian32(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

float floatAt(const unsigned char* bytes) { return std::bit_cast<float>(littleEndian32(bytes)); }

std::shared_ptr<TextureFactory> orGameFactory(std::shared_ptr<TextureFactory> textures) {
  return textures ? std::move(textures) : std::make_shared<ImageTextureFactory>();
}

// The image lies beside the font: the font path's folder (up to and
// including its last '/') followed by the name.
std::string imagePathBeside(const std::string& fontPath, const std::string& name) {
  const size_t slash = fontPath.rfind('/');
  return slash == std::string::npos ? name : fontPath.substr(0, slash + 1) + name;
}

}  // namespace

Font::Font(const std::string& path, float spacing, std::shared_ptr<TextureFactory> textures) : advance(spacing) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    printMessage("No se pudo abrir la fuente %s\n", path.c_str());
    return;
  }
  read(in, path, *orGameFactory(std::move(textures)));
}

Font::Font(std::istream& in, const std::string& path, float spacing, std::shared_ptr<TextureFactory> textures)
    : advance(spacing) {
  read(in, path, *orGameFactory(std::move(textures)));
}

void Font::read(std::istream& in, const std::string& path, TextureFactory& textures) {
  size_t offset = 0;
  std::string name;
  for (;;) {
    const int c = in.get();
    if (c == std::char_traits<char>::eof()) {
      printMessage("%s, byte %zu: el archivo termina antes del cero que cierra el nombre de la imagen\n",
                   path.c_str(), offset);
      return;
    }
    ++offset;
    if (c == 0) break;
    if (name.size() == kMaxTextureNameLength) {
      printMessage("%s, byte %zu: el nombre de la imagen pasa de %zu bytes\n", path.c_str(), offset - 1,
                   kMaxTextureNameLength);
      return;
    }
    name.push_back(static_cast<char>(c));
  }
  image = textures.create(imagePathBeside(path, name));

  unsigned char countBytes[4];
  if (!in.read(reinterpret_cast<char*>(countBytes), sizeof countBytes)) {
    printMessage("%s, byte %zu: el archivo termina antes del numero de glifos\n", path.c_str(), offset);
    return;
  }
  const int32_t count = std::bit_cast<int32_t>(littleEndian32(countBytes));
  if (count < 0) {
    printMessage("%s, byte %zu: numero de glifos negativo (%d)\n", path.c_str(), offset, count);
    return;
  }
  offset += sizeof countBytes;

  // The count only bounds the loop; the end of the file stops it first when
  // the count lies.
  for (int32_t done = 0; done < count; ++done) {
    unsigned char record[kRecordSize];
    if (!in.read(reinterpret_cast<char*>(record), sizeof record)) {
      printMessage("%s, byte %zu: el archivo termina tras %d de los %d glifos anunciados\n", path.c_str(), offset,
                   done, count);
      break;
    }
    offset += sizeof record;
    const auto glyph = std::make_shared<Glyph>(floatAt(record + 1), floatAt(record + 5), floatAt(record + 9),
                                               floatAt(record + 13), floatAt(record + 17), image->width(),
                                               image->height());
    glyphs[record[0]] = glyph;
    ascent = std::max(ascent, glyph->height() - glyph->descent());
    descent = std::max(descent, glyph->descent());
  }

  const std::shared_ptr<Glyph> space = glyphs[kSpaceCode];
  for (auto& slot : glyphs) {
    if (!slot) slot = space;
  }
}

float Font::textWidth(std::string_view text) const {
  float width = 0;
  bool any = false;
  for (const char c : text) {
    const Glyph* glyph = glyphs[static_cast<unsigned char>(c)].get();
    if (!glyph) continue;
    width += glyph->width() + advance;
    any = true;
  }
  return any ? width - advance : 0.0f;
}

float Font::centringX(std::string_view text, float centre, float scale) const {
  int32_t gaps = -1;
  for (const char c : text) gaps += glyphs[static_cast<unsigned char>(c)] ? 1 : 0;
  if (gaps <= 0) return centre;
  return centre + static_cast<float>(gaps) * advance * (scale - 1.0f) * 0.5f;
}

std::vector<PlacedGlyph> Font::layout(std::string_view text, float x, float y, float scale) const {
  std::vector<PlacedGlyph> placed;
  float penX = x - textWidth(text) * scale * 0.5f;
  const float baseline = y - ascent * 0.5f;
  for (const char c : text) {
    const Glyph* glyph = glyphs[static_cast<unsigned char>(c)].get();
    if (!glyph) continue;
    placed.push_back({glyph, penX, baseline});
    penX += glyph->width() * scale + advance;
  }
  return placed;
}

void Font::beginDrawing() const {
  if (hasAlpha()) {
    glEnable(GL_BLEND);
  } else {
    glDisable(GL_BLEND);
  }
  glEnable(GL_TEXTURE_2D);
  glColor3f(1.0f, 1.0f, 1.0f);
}

void Font::finishDrawing() { glDisable(GL_BLEND); }

void Font::drawText(std::string_view text, float x, float y, float scale) const {
  if (!image || image->glTexture() == 0) return;
  const std::vector<PlacedGlyph> placed = layout(text, x, y, scale);
  if (placed.empty()) return;
  image->bind();
  for (const PlacedGlyph& p : placed) p.glyph->draw(p.x, p.baseline, scale);
}
