// Text drawn for real from a font file and its image, read back pixel by
// pixel, and the scoreboard drawn with it.

#include "engine/Font.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "TestImages.h"
#include "engine/TextLabel.h"
#include "support/TennisScene.h"

namespace {

constexpr Rgba kCyan{0, 255, 255, 255};
constexpr Rgba kPanelGrey{128, 128, 128, 255};

class TextPixelTest : public GlTest {
 protected:
  // The glyph image, 64 x 32, everything else blue so that sampling outside
  // a glyph would show. Glyph rectangles (rows counted from the bottom, 30
  // tall, no descent): 'A' x 2..22 (red over yellow), 'B' x 26..46 (green
  // over cyan), the space x 50..62 (fully transparent). The reader divides
  // by the image size plus one, so a rectangle samples up to a texel nearer
  // the origin than its numbers say; each glyph's colours reach a little
  // beyond its rectangle on both sides for that.
  std::string writeFont(bool withB) {
    Picture image(64, 32, kBlue);
    image.paint(0, 2, 24, 17, kRed);  // in rows from the top, bottom rows 0..29 are rows 31..2
    image.paint(0, 17, 24, 32, kYellow);
    image.paint(24, 2, 48, 17, kGreen);
    image.paint(24, 17, 48, 32, kCyan);
    image.paint(48, 0, 64, 32, Rgba{255, 255, 255, 0});
    std::vector<GlyphRecord> glyphs = {{'A', 2, 30, 22, 0, 0}, {' ', 50, 30, 62, 0, 0}};
    if (withB) glyphs.push_back({'B', 26, 30, 46, 0, 0});
    folder.write("fonts/glyphs.tga", tgaFile(image, true, false));
    return folder.write("fonts/test.fnz", fnzFile("glyphs.tga", glyphs)).string();
  }
};

bool blackAt(int x, int y) { return colourNear(GlTestContext::pixel(x, y), kBlack, 8); }

TEST_F(TextPixelTest, GlyphsStandUprightOnTheBaselineAndAtScaleTwoSpacingAndBaselineStayUnscaled) {
  // "A" centred on (512.5, 600): x 502.5..522.5, baseline 585, top 615.
  drawTextured([&] { Font(writeFont(true), 0).drawText("A", 512.5f, 600, 1); });
  expectPixels({{512, 610, kRed}, {512, 590, kYellow}});
  EXPECT_TRUE(blackAt(512, 584) && blackAt(512, 615) && !blackAt(512, 585) && !blackAt(512, 614));
  // Scaled width 2 * (20 - 7 + 20) = 66: from 512 - 33 = 479; 'A' 479..519,
  // then the pen moves 40 - 7 (not 40 - 14): 'B' drawn over it from 512 to
  // 552. Baseline still 400 - 15 = 385, and the glyphs are 60 tall: up to 445.
  drawTextured([&] { Font(writeFont(true), -7).drawText("AB", 512, 400, 2); });
  expectPixels({{479, 430, kRed}, {511, 430, kRed}, {512, 430, kGreen}, {551, 430, kGreen}});
  EXPECT_TRUE(blackAt(478, 420) && blackAt(552, 430) && blackAt(530, 384) && blackAt(530, 445));
  expectPixels({{530, 386, kCyan}, {530, 444, kGreen}}, 60);
}

TEST_F(TextPixelTest, ALabelBlendsItsAlphaFontWhereTheSpaceStandsInForAMissingLetter) {
  TextLabel label(writeFont(false), "ABA", 512, 400, 0);
  ASSERT_TRUE(label.font()->hasAlpha());
  glEnable(GL_BLEND);
  label.draw2D();
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  // "ABA": 20 + 12 + 20 = 52 wide, from 486: 'A' 486..506, the transparent
  // space (for 'B') 506..518, 'A' 518..538.
  expectPixels({{486, 410, kRed}, {505, 410, kRed}, {518, 410, kRed}, {537, 410, kRed}});
  for (int x : {485, 506, 511, 517, 538}) EXPECT_TRUE(blackAt(x, 400)) << "x " << x;
}

TEST_F(TextPixelTest, FontsWithoutAFileOrAnImageDrawNothingAndBindNothing) {
  const std::string missing = (folder.path() / "fonts/none.fnz").string(), path = writeFont(true);
  const std::string image = (folder.path() / "fonts/glyphs.tga").string();
  std::filesystem::remove(image);
  testing::internal::CaptureStdout();
  const Font empty(missing, -7), imageless(path, 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "No se pudo abrir la fuente " + missing + "\nNo se pudo cargar la imagen " + image + "\n");
  EXPECT_TRUE(!empty.texture() && !empty.hasAlpha() && !empty.glyph(' ') && empty.textWidth("AB") == 0);
  GLuint before = 0;
  glGenTextures(1, &before);
  glBindTexture(GL_TEXTURE_2D, before);
  for (const Font* font : {&empty, &imageless}) drawTextured([font] { font->drawText("AB", 512, 400, 1); });
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), before);
  glDeleteTextures(1, &before);
  for (int x = 480; x < 545; x += 4) EXPECT_TRUE(blackAt(x, 384) && blackAt(x, 400)) << "x " << x;
}

// Every printable character is the same solid block, 20 x 30, so that text
// shows as white rectangles of known size: a string of n characters at
// scale 2 centred on (x, y) covers x - 20n .. x + 20n and y - 15 .. y + 45.
TEST_F(TextPixelTest, TheScoreboardShowsItsPanelIconAndFlippingNumbersWhileItCountsDown) {
  std::vector<GlyphRecord> blocks;
  for (int code = 33; code < 127; ++code) blocks.push_back({static_cast<unsigned char>(code), 2, 30, 22, 0, 0});
  folder.write("fonts/white.tga", tgaFile(Picture(32, 32, kWhite), true, false));
  auto font = std::make_shared<Font>(folder.write("fonts/block.fnz", fnzFile("white.tga", blocks)).string(), 0.0f);
  auto icon = std::make_shared<Texture>(folder.write("Icon.tga", tgaFile(Picture(32, 32, kRed), true, false)).string());
  // Held weakly by the score.
  const auto left = std::make_shared<FakePlayer>("AB", icon), right = std::make_shared<FakePlayer>("AB", nullptr);
  MatchScore score(left, right, false, 3, 6, font);
  const auto drawOverWhite = [&score] {
    fillRect(0, 0, 1024, 768, kWhite);
    score.draw();
  };
  drawOverWhite();  // nothing once the countdown has run out
  expectPixels({{260, 384, kWhite}, {342, 384, kWhite}}, 6);
  score.pointLostBy(kSideB);  // 15-0
  // 1200 ms left: the old "0" turned by 45 degrees about its centre line,
  // so its 15 .. 45 band shrinks to about 11 .. 32. It is one character
  // wide: the old number, not the new two-digit one. The unchanged number
  // keeps its full height.
  score.setTimerMs(1200);
  drawOverWhite();
  expectPixels({{442, 394, kWhite}, {442, 410, kWhite}, {442, 420, kPanelGrey}, {415, 394, kPanelGrey},
                {582, 427, kWhite}}, 6);
  // The panel: 512 x 128 around (512, 384), with the very corners outside
  // its quarter discs; the icon, 32 pixels at scale 1.5, centred 170 left:
  // x 318..366; "15" around x 442: 402..482; "-" around 512: 492..532; "0"
  // around 582; glyphs from 15 below the centre to 45 above.
  score.setTimerMs(500);
  drawOverWhite();
  expectPixels({{260, 384, kPanelGrey}, {512, 444, kPanelGrey}, {764, 360, kPanelGrey}, {250, 384, kWhite},
                {512, 452, kWhite}, {258, 446, kWhite}, {765, 322, kWhite}, {314, 384, kPanelGrey},
                {405, 400, kWhite}, {479, 400, kWhite}, {487, 400, kPanelGrey}, {512, 400, kWhite},
                {582, 400, kWhite}, {612, 400, kPanelGrey}, {442, 427, kWhite}, {442, 366, kPanelGrey}}, 6);
  expectPixels({{342, 384, kRed}, {320, 362, kRed}});
}

}  // namespace
