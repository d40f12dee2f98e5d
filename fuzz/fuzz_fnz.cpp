// Feeds arbitrary bytes to the ".fnz" font reader, then measures and lays
// out text over every byte value. The glyph image is never decoded: the
// factory hands back undecoded textures of a fixed odd size, so no OpenGL or
// DevIL call happens.
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "engine/Font.h"

namespace {

class FixedSizeTextures : public TextureFactory {
 public:
  std::shared_ptr<Texture> create(const std::string& path) override {
    ++created;
    return Texture::undecoded(path, 255, 127, true);
  }
  int created = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader's messages would slow every run down.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  auto textures = std::make_shared<FixedSizeTextures>();
  const Font font(in, "fonts/fuzz.fnz", -7.0f, textures);
  if (textures->created > 1) __builtin_trap();
  if (!font.texture() && font.glyph(' ')) __builtin_trap();

  std::string every(256, '\0');
  for (int c = 0; c < 256; ++c) every[static_cast<size_t>(c)] = static_cast<char>(c);
  const auto placed = font.layout(every, 512, 384, 2);
  size_t withGlyph = 0;
  for (int c = 0; c < 256; ++c) {
    const auto& glyph = font.glyph(static_cast<unsigned char>(c));
    if (!glyph) continue;
    ++withGlyph;
    if (glyph->width() < 0 || glyph->height() < 0) __builtin_trap();
  }
  if (placed.size() != withGlyph) __builtin_trap();
  for (const PlacedGlyph& p : placed) {
    if (!p.glyph) __builtin_trap();
  }
  (void)font.textWidth(every);
  return 0;
}
