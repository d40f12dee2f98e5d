// Text drawn for real from a font file and its image, read back pixel by
// pixel: glyphs upright, the space standing in for a missing letter, and the
// centring with the game's negative spacing at scales 1 and 2.

#include "engine/Font.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "GlTestContext.h"
#include "TestImages.h"
#include "engine/TextLabel.h"
#include "support/TempDirectory.h"

namespace {

constexpr Rgba kCyan{0, 255, 255, 255};
constexpr Rgba kClear{255, 255, 255, 0};

void put32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putFloat(std::string& out, float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  put32(out, bits);
}

// The glyph image, 64 x 32, everything else blue so that sampling outside a
// glyph would show. Glyph rectangles (rows counted from the bottom, 30 tall,
// no descent): 'A' x 2..22 (red over yellow), 'B' x 26..46 (green over
// cyan), the space x 50..62 (fully transparent). The reader divides by the
// image size plus one, so a rectangle samples up to a texel nearer the
// origin than its numbers say; each glyph's colours reach a little beyond
// its rectangle on both sides for that.
Picture glyphImage() {
  Picture picture(64, 32, kBlue);
  // In rows from the top, bottom rows 0..29 are rows 31..2.
  picture.paint(0, 2, 24, 17, kRed);
  picture.paint(0, 17, 24, 32, kYellow);
  picture.paint(24, 2, 48, 17, kGreen);
  picture.paint(24, 17, 48, 32, kCyan);
  picture.paint(48, 0, 64, 32, kClear);
  return picture;
}

std::string fontFile(bool withB) {
  struct Rect {
    char code;
    float left, right;
  };
  std::vector<Rect> rects = {{'A', 2, 22}, {' ', 50, 62}};
  if (withB) rects.push_back({'B', 26, 46});
  std::string out = "glyphs.tga";
  out.push_back('\0');
  put32(out, static_cast<uint32_t>(rects.size()));
  for (const Rect& r : rects) {
    out.push_back(r.code);
    putFloat(out, r.left);
    putFloat(out, 30);
    putFloat(out, r.right);
    putFloat(out, 0);
    putFloat(out, 0);
  }
  return out;
}

class TextPixelTest : public GlTest {
 protected:
  std::string writeFont(bool withB) {
    folder.write("fonts/glyphs.tga", tgaFile(glyphImage(), true, false));
    return folder.write("fonts/test.fnz", fontFile(withB)).string();
  }

  static void draw(const Font& font, const std::string& text, float x, float y, float scale) {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    font.drawText(text, x, y, scale);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
  }

  TempDirectory folder;
};

bool blackAt(int x, int y) { return colourNear(GlTestContext::pixel(x, y), kBlack, 8); }

TEST_F(TextPixelTest, GlyphIsDrawnUprightOnItsBaseline) {
  Font font(writeFont(true), 0);
  ASSERT_FLOAT_EQ(font.maxAscent(), 30);
  // "A" centred on (512.5, 400): x 502.5..522.5, baseline 385, top 415.
  draw(font, "A", 512.5f, 400, 1);
  EXPECT_TRUE(colourNear(pixel(512, 410), kRed));
  EXPECT_TRUE(colourNear(pixel(512, 390), kYellow));
  EXPECT_TRUE(blackAt(512, 384));
  EXPECT_TRUE(blackAt(512, 415));
  EXPECT_FALSE(blackAt(512, 385));
  EXPECT_FALSE(blackAt(512, 414));
}

TEST_F(TextPixelTest, MissingLetterLeavesASpaceWideGap) {
  Font font(writeFont(false), 0);
  // "ABA": 20 + 12 + 20 = 52 wide, from 486: 'A' 486..506, the space (for
  // 'B') 506..518, 'A' 518..538.
  draw(font, "ABA", 512, 400, 1);
  EXPECT_TRUE(blackAt(485, 400));
  EXPECT_TRUE(colourNear(pixel(486, 410), kRed));
  EXPECT_TRUE(colourNear(pixel(505, 410), kRed));
  for (int x = 506; x < 518; ++x) EXPECT_TRUE(blackAt(x, 400)) << "x " << x;
  EXPECT_TRUE(colourNear(pixel(518, 410), kRed));
  EXPECT_TRUE(colourNear(pixel(537, 410), kRed));
  EXPECT_TRUE(blackAt(538, 400));
}

TEST_F(TextPixelTest, NegativeSpacingOverlapsGlyphsCentredAtScaleOne) {
  Font font(writeFont(true), -7);
  // Width 20 - 7 + 20 = 33: from 512.5 - 16.5 = 496; 'A' 496..516, 'B'
  // drawn over it from 509 to 529.
  draw(font, "AB", 512.5f, 400, 1);
  EXPECT_TRUE(blackAt(495, 410));
  EXPECT_TRUE(colourNear(pixel(496, 410), kRed));
  EXPECT_TRUE(colourNear(pixel(508, 410), kRed));
  EXPECT_TRUE(colourNear(pixel(509, 410), kGreen));
  EXPECT_TRUE(colourNear(pixel(528, 410), kGreen));
  EXPECT_TRUE(blackAt(529, 410));
  // Baseline 400 - 30 / 2 = 385.
  EXPECT_TRUE(blackAt(520, 384));
  EXPECT_TRUE(colourNear(pixel(520, 385), kCyan, 60));
  EXPECT_TRUE(blackAt(520, 415));
}

TEST_F(TextPixelTest, AtScaleTwoSpacingAndBaselineStayUnscaled) {
  Font font(writeFont(true), -7);
  // Scaled width 66: from 512 - 33 = 479; 'A' 479..519, then the pen moves
  // 40 - 7 (not 40 - 14): 'B' 512..552. Baseline still 400 - 15 = 385, and
  // the glyphs are 60 tall: up to 445.
  draw(font, "AB", 512, 400, 2);
  EXPECT_TRUE(blackAt(478, 420));
  EXPECT_TRUE(colourNear(pixel(479, 430), kRed));
  EXPECT_TRUE(colourNear(pixel(511, 430), kRed));
  EXPECT_TRUE(colourNear(pixel(512, 430), kGreen));
  EXPECT_TRUE(colourNear(pixel(551, 430), kGreen));
  EXPECT_TRUE(blackAt(552, 430));
  EXPECT_TRUE(blackAt(530, 384));
  EXPECT_TRUE(colourNear(pixel(530, 386), kCyan, 60));
  EXPECT_TRUE(colourNear(pixel(530, 444), kGreen, 60));
  EXPECT_TRUE(blackAt(530, 445));
}

TEST_F(TextPixelTest, LabelBlendsAnAlphaFontAndLeavesBlendingOff) {
  TextLabel label(writeFont(false), "ABA", 512, 400, 0);
  ASSERT_TRUE(label.font()->hasAlpha());
  glEnable(GL_BLEND);
  label.draw2D();
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  // The transparent space shows the background only when blending was on.
  EXPECT_TRUE(blackAt(512, 400));
  EXPECT_TRUE(colourNear(pixel(495, 410), kRed));
}

TEST_F(TextPixelTest, EmptyFontDrawsNothingAndBindsNothing) {
  const std::string missing = (folder.path() / "fonts/none.fnz").string();
  testing::internal::CaptureStdout();
  Font font(missing, -7);
  testing::internal::GetCapturedStdout();

  GLuint before = 0;
  glGenTextures(1, &before);
  glBindTexture(GL_TEXTURE_2D, before);
  draw(font, "ABC", 512, 384, 1);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), before);
  EXPECT_TRUE(blackAt(512, 384));
  glDeleteTextures(1, &before);
}

TEST_F(TextPixelTest, FontWhoseImageIsMissingDrawsNothing) {
  const std::string path = folder.write("fonts/lost.fnz", fontFile(true)).string();
  testing::internal::CaptureStdout();
  Font font(path, 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "No se pudo cargar la imagen " + (folder.path() / "fonts/glyphs.tga").string() + "\n");
  draw(font, "AB", 512, 400, 1);
  for (int x = 490; x < 535; x += 4) EXPECT_TRUE(blackAt(x, 400)) << "x " << x;
}

}  // namespace
