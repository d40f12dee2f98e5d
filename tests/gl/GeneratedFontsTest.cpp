// The generated bitmap fonts read by the game's Font with their images
// decoded for real: every byte of the language files has a glyph of its own,
// the two menu fonts share one layout, and each glyph's rectangle holds its
// whole letter, upright and in its font's colours. (How a glyph image comes
// to the screen is TextPixelTest's concern; here the pixels are read from the
// decoded images.)

#include <IL/il.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "GlTestContext.h"
#include "engine/Font.h"

namespace {

constexpr float kMenuSpacing = -7.0f;
const char* const kFonts[] = {"fonts/menuFont.fnz", "fonts/menuFontSelected.fnz", "fonts/toon.fnz"};

std::unique_ptr<Font> loadFont(const std::string& name) {
  testing::internal::CaptureStdout();
  auto font = std::make_unique<Font>(runPath(name), kMenuSpacing);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << name;
  return font;
}

// A font's glyph image as DevIL holds it (RGBA, row 0 at the bottom) and the
// rectangles of its glyphs in its pixels.
class GlyphImage {
 public:
  explicit GlyphImage(const Texture& texture) : width(texture.width()), height(texture.height()) {
    rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    ilBindImage(texture.image());
    ilCopyPixels(0, 0, 0, static_cast<ILuint>(width), static_cast<ILuint>(height), 1, IL_RGBA, IL_UNSIGNED_BYTE,
                 rgba.data());
  }
  const unsigned char* at(int x, int row) const {
    return &rgba[(static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
  }
  struct Rect {
    int left, right, bottom, top;
  };
  Rect rect(const Glyph& glyph) const {
    const auto edge = [](float coordinate, int size) { return static_cast<int>(std::lround(coordinate * (size + 1))); };
    return {edge(glyph.uLeft(), width), edge(glyph.uRight(), width), edge(glyph.vBottom(), height),
            edge(glyph.vTop(), height)};
  }
  // The opaque fill (light) pixels of a glyph: how many lie in the top and
  // the bottom quarter of the rows that have any, and the average colour of
  // the brightest.
  struct Fill {
    int top = 0, bottom = 0;
    Rgba colour;
  };
  Fill fill(const Glyph& glyph) const {
    const Rect r = rect(glyph);
    std::vector<int> rows;
    long sum[3] = {0, 0, 0}, count = 0;
    for (int row = r.bottom; row < r.top; ++row) {
      rows.push_back(0);
      for (int x = r.left; x < r.right; ++x) {
        const unsigned char* p = at(x, row);
        if (p[3] < 255 || p[0] + p[1] <= 300) continue;
        ++rows.back();
        if (p[0] + p[1] + p[2] <= 450) continue;
        for (int c = 0; c < 3; ++c) sum[c] += p[c];
        ++count;
      }
    }
    Fill f;
    if (count > 0) f.colour = {uint8_t(sum[0] / count), uint8_t(sum[1] / count), uint8_t(sum[2] / count), 255};
    size_t first = 0, last = rows.size();
    while (first < last && rows[first] == 0) ++first;
    while (last > first && rows[last - 1] == 0) --last;
    for (size_t i = 0; i < (last - first) / 4; ++i) {
      f.bottom += rows[first + i];
      f.top += rows[last - 1 - i];
    }
    return f;
  }

  int width, height;

 private:
  std::vector<unsigned char> rgba;
};

class GeneratedFontsTest : public GlTest {};

TEST_F(GeneratedFontsTest, EveryLanguageByteHasAGlyphOfItsOwn) {
  std::set<unsigned char> bytes;
  for (const char* name : {"lang/ES.data", "lang/EN.data"}) {
    std::ifstream in(runPath(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    for (const char c : text.str()) {
      if (c != '\n' && c != '\r') bytes.insert(static_cast<unsigned char>(c));
    }
  }
  ASSERT_GT(bytes.size(), 30u);
  ASSERT_GT(*bytes.rbegin(), 0x7F) << "the language files should use accented letters";
  for (const char* name : kFonts) {
    const auto font = loadFont(name);
    ASSERT_TRUE(font->texture()) << name;
    EXPECT_TRUE(font->hasAlpha()) << name;
    EXPECT_NE(font->texture()->glTexture(), 0u) << name;
    const Glyph* space = font->glyph(' ').get();
    ASSERT_NE(space, nullptr) << name;
    for (const unsigned char b : bytes) {
      const Glyph* glyph = font->glyph(b).get();
      ASSERT_NE(glyph, nullptr) << name << " byte " << int{b};
      if (b != ' ') {
        EXPECT_NE(glyph, space) << name << " draws byte " << int{b} << " as a space";
      }
      // The menus overlap glyphs by 7: every glyph must still move the pen on.
      EXPECT_GT(glyph->width() + kMenuSpacing, 4.0f) << name << " byte " << int{b};
    }
    for (const unsigned char b : {0xC1, 0xC9, 0xCD, 0xD3, 0xDA, 0xE1, 0xE9, 0xED, 0xF3, 0xFA, 0xF1, 0xA1, 0xBF}) {
      EXPECT_NE(font->glyph(b).get(), space) << name << " byte " << int{b};
    }
  }
}

// Each glyph's rectangle holds the whole letter with its outline and shadow:
// opaque ink inside, and a clear border all round, so nothing is cut off and
// nothing of a neighbour shows. T has its bar on top, L at its foot.
TEST_F(GeneratedFontsTest, GlyphsSitWhollyAndUprightInsideTheirRectangles) {
  for (const char* name : kFonts) {
    const auto font = loadFont(name);
    const GlyphImage image(*font->texture());
    std::set<const Glyph*> seen;
    for (int code = 33; code < 256; ++code) {
      const Glyph* glyph = font->glyph(static_cast<unsigned char>(code)).get();
      // The space and the no-break space are blank by nature.
      if (code == 0xA0 || !glyph || glyph == font->glyph(' ').get() || !seen.insert(glyph).second) continue;
      const GlyphImage::Rect r = image.rect(*glyph);
      ASSERT_TRUE(r.left >= 0 && r.right <= image.width && r.bottom >= 0 && r.top <= image.height)
          << name << " " << code;
      int edgeInk = 0;
      for (int x = r.left; x < r.right; ++x) edgeInk += image.at(x, r.bottom)[3] + image.at(x, r.top - 1)[3];
      for (int row = r.bottom; row < r.top; ++row) edgeInk += image.at(r.left, row)[3] + image.at(r.right - 1, row)[3];
      EXPECT_EQ(edgeInk, 0) << name << " glyph " << code << " touches its border";
      int opaque = 0;
      for (int row = r.bottom; row < r.top; ++row) {
        for (int x = r.left; x < r.right; ++x) opaque += image.at(x, row)[3] == 255;
      }
      EXPECT_GT(opaque, 10) << name << " glyph " << code << " is empty";
    }
    const GlyphImage::Fill t = image.fill(*font->glyph('T'));
    const GlyphImage::Fill l = image.fill(*font->glyph('L'));
    EXPECT_GT(t.top, 2 * t.bottom) << name;
    EXPECT_GT(l.bottom, 2 * l.top) << name;
  }
}

TEST_F(GeneratedFontsTest, MenuFontsShareOneLayoutAndTheHighlightedOneStandsOutInWarmColours) {
  const auto normal = loadFont("fonts/menuFont.fnz");
  const auto selected = loadFont("fonts/menuFontSelected.fnz");
  EXPECT_FLOAT_EQ(normal->maxAscent(), selected->maxAscent());
  EXPECT_FLOAT_EQ(normal->maxDescent(), selected->maxDescent());
  for (int code = 0; code < 256; ++code) {
    const Glyph* a = normal->glyph(static_cast<unsigned char>(code)).get();
    const Glyph* b = selected->glyph(static_cast<unsigned char>(code)).get();
    ASSERT_EQ(a == nullptr, b == nullptr) << code;
    if (!a) continue;
    EXPECT_FLOAT_EQ(a->width(), b->width()) << code;
    EXPECT_FLOAT_EQ(a->height(), b->height()) << code;
    EXPECT_FLOAT_EQ(a->descent(), b->descent()) << code;
    EXPECT_FLOAT_EQ(a->uLeft(), b->uLeft()) << code;
    EXPECT_FLOAT_EQ(a->vTop(), b->vTop()) << code;
  }
  const Rgba plain = GlyphImage(*normal->texture()).fill(*normal->glyph('O')).colour;
  const Rgba warm = GlyphImage(*selected->texture()).fill(*selected->glyph('O')).colour;
  EXPECT_GT(plain.b, 200) << "the normal lettering is near white";
  EXPECT_GT(warm.r, warm.b + 80) << "the highlighted lettering is yellow to orange";
}

}  // namespace
