// Text drawn for real from a font file and its image, read back pixel by
// pixel: glyphs upright on their baseline, the unscaled spacing and baseline
// at scale 2, the space standing in for a missing letter, and fonts that
// could not be read drawing nothing.

#include "engine/Font.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "GlTestContext.h"
#include "TestImages.h"
#include "engine/TextLabel.h"
#include "support/TempDirectory.h"

namespace {

constexpr Rgba kCyan{0, 255, 255, 255};

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
  picture.paint(48, 0, 64, 32, Rgba{255, 255, 255, 0});
  return picture;
}

class TextPixelTest : public GlTest {
 protected:
  std::string writeFont(bool withB) {
    std::vector<GlyphRecord> glyphs = {{'A', 2, 30, 22, 0, 0}, {' ', 50, 30, 62, 0, 0}};
    if (withB) glyphs.push_back({'B', 26, 30, 46, 0, 0});
    folder.write("fonts/glyphs.tga", tgaFile(glyphImage(), true, false));
    return folder.write("fonts/test.fnz", fnzFile("glyphs.tga", glyphs)).string();
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

TEST_F(TextPixelTest, GlyphsStandUprightOnTheBaselineAndAtScaleTwoSpacingAndBaselineStayUnscaled) {
  Font plain(writeFont(true), 0);
  ASSERT_FLOAT_EQ(plain.maxAscent(), 30);
  // "A" centred on (512.5, 600): x 502.5..522.5, baseline 585, top 615.
  draw(plain, "A", 512.5f, 600, 1);
  EXPECT_TRUE(colourNear(pixel(512, 610), kRed));
  EXPECT_TRUE(colourNear(pixel(512, 590), kYellow));
  EXPECT_TRUE(blackAt(512, 584));
  EXPECT_TRUE(blackAt(512, 615));
  EXPECT_FALSE(blackAt(512, 585));
  EXPECT_FALSE(blackAt(512, 614));

  // Scaled width 2 * (20 - 7 + 20) = 66: from 512 - 33 = 479; 'A' 479..519,
  // then the pen moves 40 - 7 (not 40 - 14): 'B' drawn over it from 512 to
  // 552. Baseline still 400 - 15 = 385, and the glyphs are 60 tall: up to 445.
  Font overlapping(writeFont(true), -7);
  draw(overlapping, "AB", 512, 400, 2);
  EXPECT_TRUE(blackAt(478, 420));
  expectPixels({{479, 430, kRed}, {511, 430, kRed}, {512, 430, kGreen}, {551, 430, kGreen}});
  EXPECT_TRUE(blackAt(552, 430));
  EXPECT_TRUE(blackAt(530, 384));
  EXPECT_TRUE(colourNear(pixel(530, 386), kCyan, 60));
  EXPECT_TRUE(colourNear(pixel(530, 444), kGreen, 60));
  EXPECT_TRUE(blackAt(530, 445));
}

TEST_F(TextPixelTest, ALabelBlendsItsAlphaFontWhereTheSpaceStandsInForAMissingLetter) {
  TextLabel label(writeFont(false), "ABA", 512, 400, 0);
  ASSERT_TRUE(label.font()->hasAlpha());
  label.draw2D();
  // "ABA": 20 + 12 + 20 = 52 wide, from 486: 'A' 486..506, the transparent
  // space (for 'B') 506..518, 'A' 518..538.
  EXPECT_TRUE(blackAt(485, 400));
  EXPECT_TRUE(colourNear(pixel(486, 410), kRed));
  EXPECT_TRUE(colourNear(pixel(505, 410), kRed));
  for (int x = 506; x < 518; ++x) EXPECT_TRUE(blackAt(x, 400)) << "x " << x;
  EXPECT_TRUE(colourNear(pixel(518, 410), kRed));
  EXPECT_TRUE(colourNear(pixel(537, 410), kRed));
  EXPECT_TRUE(blackAt(538, 400));
  glEnable(GL_BLEND);
  label.draw2D();
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(TextPixelTest, FontsWithoutAFileOrAnImageDrawNothingAndBindNothing) {
  const std::string missing = (folder.path() / "fonts/none.fnz").string();
  testing::internal::CaptureStdout();
  Font empty(missing, -7);
  testing::internal::GetCapturedStdout();
  GLuint before = 0;
  glGenTextures(1, &before);
  glBindTexture(GL_TEXTURE_2D, before);
  draw(empty, "ABC", 512, 384, 1);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), before);
  glDeleteTextures(1, &before);

  const std::string path = writeFont(true);
  std::filesystem::remove(folder.path() / "fonts/glyphs.tga");
  testing::internal::CaptureStdout();
  Font imageless(path, 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "No se pudo cargar la imagen " + (folder.path() / "fonts/glyphs.tga").string() + "\n");
  draw(imageless, "AB", 512, 400, 1);
  for (int x = 480; x < 545; x += 4) EXPECT_TRUE(blackAt(x, 384)) << "x " << x;
  for (int x = 480; x < 545; x += 4) EXPECT_TRUE(blackAt(x, 400)) << "x " << x;
}

}  // namespace
