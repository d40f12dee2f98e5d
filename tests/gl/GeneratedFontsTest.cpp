// The generated bitmap fonts read by the game's Font with their images
// decoded for real: every byte of the language files has a glyph of its own,
// the two menu fonts share one layout, no glyph is cut off at its rectangle,
// and text comes out upright in its own colours.

#include <GL/glew.h>
#include <IL/il.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
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

std::string runPath(const std::string& relative) {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  return run ? (std::filesystem::path(run) / relative).string() : relative;
}

std::set<unsigned char> languageBytes() {
  std::set<unsigned char> bytes;
  for (const char* name : {"lang/ES.data", "lang/EN.data"}) {
    std::ifstream in(runPath(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    for (const char c : text.str()) {
      if (c != '\n' && c != '\r') bytes.insert(static_cast<unsigned char>(c));
    }
  }
  return bytes;
}

std::unique_ptr<Font> loadFont(const std::string& name) {
  testing::internal::CaptureStdout();
  auto font = std::make_unique<Font>(runPath(name), kMenuSpacing);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << name;
  return font;
}

// The glyph image as DevIL holds it: RGBA, row 0 at the bottom.
std::vector<unsigned char> imagePixels(const Texture& texture) {
  std::vector<unsigned char> rgba(static_cast<size_t>(texture.width()) * static_cast<size_t>(texture.height()) * 4);
  ilBindImage(texture.image());
  ilCopyPixels(0, 0, 0, static_cast<ILuint>(texture.width()), static_cast<ILuint>(texture.height()), 1, IL_RGBA,
               IL_UNSIGNED_BYTE, rgba.data());
  return rgba;
}

// A glyph's rectangle back in pixels of its image.
struct PixelRect {
  int left, right, bottom, top;
};
PixelRect pixelRect(const Glyph& glyph, const Texture& texture) {
  const float w = static_cast<float>(texture.width() + 1);
  const float h = static_cast<float>(texture.height() + 1);
  return {static_cast<int>(std::lround(glyph.uLeft() * w)), static_cast<int>(std::lround(glyph.uRight() * w)),
          static_cast<int>(std::lround(glyph.vBottom() * h)), static_cast<int>(std::lround(glyph.vTop() * h))};
}

class GeneratedFontsTest : public GlTest {
 protected:
  static void drawText(const Font& font, const std::string& text, float x, float y, float scale) {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glColor3f(1, 1, 1);
    font.drawText(text, x, y, scale);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
  }
};

TEST_F(GeneratedFontsTest, EveryLanguageByteHasAGlyphOfItsOwn) {
  const std::set<unsigned char> bytes = languageBytes();
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

TEST_F(GeneratedFontsTest, MenuFontsShareOneLayout) {
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
  EXPECT_FLOAT_EQ(normal->textWidth("ABANDONAR EL PARTIDO"), selected->textWidth("ABANDONAR EL PARTIDO"));
}

// Each glyph's rectangle holds the whole letter with its outline and shadow:
// opaque ink inside, and a clear border all round, so nothing is cut off and
// nothing of a neighbour shows.
TEST_F(GeneratedFontsTest, GlyphsSitWhollyInsideTheirRectangles) {
  for (const char* name : kFonts) {
    const auto font = loadFont(name);
    const Texture& texture = *font->texture();
    const std::vector<unsigned char> rgba = imagePixels(texture);
    const auto alpha = [&](int x, int row) {
      return rgba[(static_cast<size_t>(row) * static_cast<size_t>(texture.width()) + static_cast<size_t>(x)) * 4 + 3];
    };
    std::set<const Glyph*> seen;
    for (int code = 33; code < 256; ++code) {
      const Glyph* glyph = font->glyph(static_cast<unsigned char>(code)).get();
      // The space and the no-break space are blank by nature.
      if (code == 0xA0 || !glyph || glyph == font->glyph(' ').get() || !seen.insert(glyph).second) continue;
      const PixelRect r = pixelRect(*glyph, texture);
      ASSERT_GE(r.left, 0) << name << " " << code;
      ASSERT_LE(r.right, texture.width()) << name << " " << code;
      ASSERT_GE(r.bottom, 0) << name << " " << code;
      ASSERT_LE(r.top, texture.height()) << name << " " << code;
      int edgeInk = 0;
      for (int x = r.left; x < r.right; ++x) edgeInk += alpha(x, r.bottom) + alpha(x, r.top - 1);
      for (int row = r.bottom; row < r.top; ++row) edgeInk += alpha(r.left, row) + alpha(r.right - 1, row);
      EXPECT_EQ(edgeInk, 0) << name << " glyph " << code << " touches its border";
      int opaque = 0;
      for (int row = r.bottom; row < r.top; ++row) {
        for (int x = r.left; x < r.right; ++x) opaque += alpha(x, row) == 255;
      }
      EXPECT_GT(opaque, 10) << name << " glyph " << code << " is empty";
    }
  }
}

// Lit (fill) pixels per row of a glyph drawn at scale 2 on black, from its
// bottom row upwards.
std::vector<int> litRows(const Font& font, unsigned char letter) {
  const std::string text(1, static_cast<char>(letter));
  const std::vector<PlacedGlyph> placed = font.layout(text, 512, 384, 2.0f);
  const GlyphQuad q = placed.at(0).glyph->quad(placed[0].x, placed[0].baseline, 2.0f);
  std::vector<int> rows;
  for (int y = static_cast<int>(q.bottom); y < static_cast<int>(q.top); ++y) {
    int lit = 0;
    for (int x = static_cast<int>(q.left); x < static_cast<int>(q.right); ++x) {
      const Rgba c = GlTestContext::pixel(x, y);
      lit += c.r + c.g > 300;
    }
    rows.push_back(lit);
  }
  return rows;
}

// Lit pixels in the top and the bottom quarter of the rows that have any.
struct Quarters {
  int top = 0;
  int bottom = 0;
};
Quarters quarters(const std::vector<int>& rows) {
  size_t first = 0;
  while (first < rows.size() && rows[first] == 0) ++first;
  size_t last = rows.size();
  while (last > first && rows[last - 1] == 0) --last;
  const size_t quarter = (last - first) / 4;
  Quarters q;
  for (size_t i = 0; i < quarter; ++i) {
    q.bottom += rows[first + i];
    q.top += rows[last - 1 - i];
  }
  return q;
}

TEST_F(GeneratedFontsTest, LettersComeOutUpright) {
  for (const char* name : kFonts) {
    const auto font = loadFont(name);
    GlTestContext::beginOverlayFrame();
    drawText(*font, "T", 512, 384, 2.0f);
    const Quarters t = quarters(litRows(*font, 'T'));
    GlTestContext::beginOverlayFrame();
    drawText(*font, "L", 512, 384, 2.0f);
    const Quarters l = quarters(litRows(*font, 'L'));
    // T: its bar on top; L: its bar at the foot.
    EXPECT_GT(t.top, 2 * t.bottom) << name;
    EXPECT_GT(l.bottom, 2 * l.top) << name;
  }
}

// The fill colour of a font: the average of its brightest drawn pixels.
Rgba fillColour(const Font& font) {
  const std::vector<PlacedGlyph> placed = font.layout("O", 512, 384, 2.0f);
  const GlyphQuad q = placed.at(0).glyph->quad(placed[0].x, placed[0].baseline, 2.0f);
  long r = 0, g = 0, b = 0, count = 0;
  for (int y = static_cast<int>(q.bottom); y < static_cast<int>(q.top); ++y) {
    for (int x = static_cast<int>(q.left); x < static_cast<int>(q.right); ++x) {
      const Rgba c = GlTestContext::pixel(x, y);
      if (c.r + c.g + c.b > 450) {
        r += c.r;
        g += c.g;
        b += c.b;
        ++count;
      }
    }
  }
  if (count == 0) return {};
  return {static_cast<uint8_t>(r / count), static_cast<uint8_t>(g / count), static_cast<uint8_t>(b / count), 255};
}

TEST_F(GeneratedFontsTest, HighlightedItemsStandOutInWarmColours) {
  const auto normal = loadFont("fonts/menuFont.fnz");
  const auto selected = loadFont("fonts/menuFontSelected.fnz");
  drawText(*normal, "O", 512, 384, 2.0f);
  const Rgba plain = fillColour(*normal);
  GlTestContext::beginOverlayFrame();
  drawText(*selected, "O", 512, 384, 2.0f);
  const Rgba warm = fillColour(*selected);
  EXPECT_GT(plain.b, 200) << "the normal lettering is near white";
  EXPECT_GT(warm.r, warm.b + 80) << "the highlighted lettering is yellow to orange";
}

}  // namespace
