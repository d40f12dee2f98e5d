// What the overlays draw with, without OpenGL (the pixels are checked by the
// OpenGL tests): the ".fnz" reader and the text arithmetic, with a glyph
// image that only reports the size the test gives it; the fade's arithmetic;
// where a centred picture lands; what a window of any shape shows of the
// overlay space.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "engine/Font.h"
#include "engine/Overlay.h"
#include "engine/ScreenFade.h"
#include "engine/TextureFactory.h"
#include "support/FontFile.h"

namespace {

// A glyph `width` wide and `height` tall standing on the baseline.
GlyphRecord box(unsigned char code, float x, float width, float height, float descent = 0) {
  return {code, x, height, x + width, 0, descent};
}

class FontTest : public ::testing::Test {
 protected:
  // Reads the bytes as the font "fonts/test.fnz" whose image is 256 x 256.
  std::unique_ptr<Font> read(const std::string& bytes, float spacing = 0) {
    factory->setSize("fonts/test.tga", 256, 256);
    std::istringstream in(bytes);
    testing::internal::CaptureStdout();
    auto font = std::make_unique<Font>(in, "fonts/test.fnz", spacing, factory);
    output = testing::internal::GetCapturedStdout();
    return font;
  }

  std::shared_ptr<RecordingTextureFactory> factory = std::make_shared<RecordingTextureFactory>();
  std::string output;
};

TEST_F(FontTest, RecordsDivideByTheImageSizePlusOneCodesWithoutARecordDrawAsTheSpaceAndWidthsAddTheSpacing) {
  // Image 256 x 256: divisor 257. 'M': left 10, right 0, a positive width.
  // 'g': 30 tall, 8 below the line; the first 'A', 40 tall and replaced by a
  // 20-tall one, still counts for the ascent.
  factory->markAlpha("fonts/test.tga");
  auto font = read(fnzFile("test.tga", {{'M', 10, 20, 0, 50, 3}, box('g', 0, 10, 30, 8), box('A', 0, 10, 40),
                                    box('A', 50, 16, 20), box(' ', 20, 12, 1)}));
  EXPECT_EQ(output, "");
  const auto& m = font->glyph('M');
  EXPECT_TRUE(m->width() == 10 && m->height() == 30 && m->descent() == 3 && m->uRight() == 0);
  EXPECT_TRUE(m->uLeft() == 10.0f / 257 && m->vTop() == 20.0f / 257 && m->vBottom() == 50.0f / 257);
  EXPECT_TRUE(font->hasAlpha() && font->maxAscent() == 40 && font->maxDescent() == 8);
  EXPECT_FLOAT_EQ(font->glyph('A')->width(), 16);
  for (unsigned char code : {'B', '\0', '\xFF'}) EXPECT_EQ(font->glyph(code), font->glyph(' ')) << int{code};
  auto spaceless = read(fnzFile("other.tga", {box('A', 0, 20, 30), box(255, 20, 5, 5)}));
  EXPECT_TRUE(!spaceless->hasAlpha() && spaceless->glyph(255) && !spaceless->glyph('B') && !spaceless->glyph(' '));
  // The image is the named file beside the font.
  std::istringstream bare(fnzFile("letters.bmp", {}));
  Font noFolder(bare, "menu.fnz", 0, factory);
  EXPECT_EQ(factory->paths(), (std::vector<std::string>{"fonts/test.tga", "fonts/other.tga", "letters.bmp"}));

  // Widths add the spacing between glyphs only and skip characters without a glyph; descents hang below.
  auto spaced = read(fnzFile("test.tga", {box('A', 0, 20, 30, 6), box('B', 20, 20, 30)}), -7);
  for (const auto& [text, width] : {std::pair{"AB", 33.0f}, {"A", 20}, {"", 0}, {"AxA", 33}}) {
    EXPECT_FLOAT_EQ(spaced->textWidth(text), width) << text;
  }
  EXPECT_TRUE(spaced->layout("xyz", 100, 200, 1).empty() && read("")->layout("AB", 512, 384, 1).empty());
  const auto placed = spaced->layout("AxA", 100, 200, 1);
  ASSERT_EQ(placed.size(), 2u);
  EXPECT_FLOAT_EQ(placed[1].x - placed[0].x, 13);
  const GlyphQuad quad = spaced->glyph('A')->quad(100, 200, 2);
  EXPECT_TRUE(quad.left == 100 && quad.right == 140 && quad.bottom == 188 && quad.top == 248);
  // Drawn smaller, the text stands centred where centringX says it should.
  for (const float scale : {0.5f, 1.0f, 2.0f}) {
    const auto small = spaced->layout("ABAB", spaced->centringX("ABAB", 512, scale), 200, scale);
    ASSERT_EQ(small.size(), 4u);
    const float right = small[3].x + spaced->glyph('B')->width() * scale;
    EXPECT_FLOAT_EQ((small[0].x + right) / 2, 512) << scale;
  }
}

TEST_F(FontTest, BrokenFilesKeepWhatWasReadWholeAndSayWhereInOneLine) {
  const std::vector<GlyphRecord> abc = {box('A', 0, 10, 10), box('B', 10, 11, 10), box('C', 21, 12, 10)};
  const std::string endsInCount = fnzFile("test.tga", {}).substr(0, 11);  // two of the count's four bytes
  const std::string endsInRecord = fnzFile("test.tga", abc).substr(0, 9 + 4 + 3 * 21 - 7);
  const struct {
    const char* what;
    std::string bytes;
    bool image;
    std::string present, absent;
    std::string message;  // found in the one line, or "" for none
  } files[] = {
      {"name without its zero byte", "test.tga", false, "", "A ", "fonts/test.fnz, byte 8:"},
      {"overlong name", fnzFile(std::string(Font::kMaxTextureNameLength + 1, 'x'), abc), false, "", "A", "fonts/test.fnz"},
      {"longest name", fnzFile(std::string(Font::kMaxTextureNameLength, 'x'), abc), true, "ABC", "", ""},
      {"ends in the count", endsInCount, true, "", " ", "fonts/test.fnz, byte 9:"},
      // 9 bytes of name, 4 of count, two records of 21.
      {"ends inside a record", endsInRecord, true, "AB", "C", "fonts/test.fnz, byte 55:"},
      {"huge count", fnzFile("test.tga", abc, 2000000000), true, "ABC", "", "2000000000"},
      {"negative count", fnzFile("test.tga", abc, -1), true, "", "A", "fonts/test.fnz, byte 9:"},
      {"records beyond the count", fnzFile("test.tga", abc, 1), true, "A", "B", ""},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.what);
    auto font = read(file.bytes);
    EXPECT_EQ(bool(font->texture()), file.image);
    for (char c : file.present) EXPECT_TRUE(font->glyph(static_cast<unsigned char>(c))) << c;
    for (char c : file.absent) EXPECT_FALSE(font->glyph(static_cast<unsigned char>(c))) << c;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), file.message.empty() ? 0 : 1) << output;
    EXPECT_NE(output.find(file.message), std::string::npos) << output;
  }
}

TEST(ScreenFadeTest, EachFadeLandsExactlyOnItsTargetWithoutOvershootingAndStops) {
  ScreenFade fade;
  EXPECT_TRUE(fade.alpha() == 1 && fade.red() + fade.green() + fade.blue() == 0);
  // 0.75 down in 1 s is 62.5 steps of 16 ms, the last one cut short.
  fade.startFade(1, 1, 1, 0.25f, 1);
  EXPECT_FLOAT_EQ(fade.speed(), -0.75f);
  int steps = 0;
  for (; fade.isFading() && steps < 1000; ++steps) fade.update(16);
  EXPECT_NEAR(steps, 63, 1);
  fade.update(16);
  EXPECT_TRUE(fade.alpha() == 0.25f && fade.speed() == 0);
  fade.startFade(0, 0, 0, 0.75f, 1);
  fade.update(16);
  fade.update(5000);
  EXPECT_TRUE(fade.alpha() == 0.75f && fade.speed() == 0 && !fade.isFading());
  for (float seconds : {0.0f, -3.0f}) {  // no time: at once, without dividing by zero
    fade.startFade(0, 0, 1, 0.25f, seconds);
    EXPECT_TRUE(fade.alpha() == 0.25f && fade.speed() == 0 && !fade.isFading() && fade.blue() == 1) << seconds;
  }
}

TEST(TextureTest, UndecodedTexturesStayOffOpenGlAndACentredPictureTruncatesItsCornerTowardsZero) {
  const auto texture = Texture::undecoded("a.tga", 64, 32);
  EXPECT_TRUE(texture->width() == 64 && texture->glTexture() == 0 && texture->image() == kNoName);
  EXPECT_EQ(Texture::undecoded("x.tga", -5, -1)->height(), 0);
  // No OpenGL context exists in this test: these must not reach OpenGL.
  texture->upload();
  texture->bind();
  texture->drawCentered(512, 384, 1);
  // 101 * 0.5 = 50.5; half of it, -25.25, truncates to -25 (not -26).
  const CenteredQuad half = centeredQuad(101, 101, 512, 384, 0.5f);
  EXPECT_TRUE(half.x0 == 512 - 25 && half.y0 == 384 - 25 && half.width == 50.5f && half.vMax == 101.0f / 102.0f);
  EXPECT_EQ(centeredQuad(0, 0, 10, 10, 1.0f).uMax, 0);
}

// The overlay space fits whole and keeps its proportions: a wide window
// shows bands beside it, a tall one above and below it.
TEST(OverlayAreaTest, AWindowOfAnyShapeShowsTheWholeOverlaySpaceCentredAndUndistorted) {
  const struct {
    int width;
    int height;
    OverlayArea area;
  } cases[] = {
      {1024, 768, {0, 0, 1024, 768}},          {2048, 1536, {0, 0, 1024, 768}},
      {1920, 1080, {-170.6667, 0, 1194.6667, 768}},  // 16:9
      {1280, 1024, {0, -25.6, 1024, 793.6}},   // 5:4
      {1680, 1050, {-102.4, 0, 1126.4, 768}},  // 16:10
      {0, 600, {0, 0, 1024, 768}},             {800, 0, {0, 0, 1024, 768}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const OverlayArea area = overlayAreaFor(c.width, c.height);
    EXPECT_NEAR(area.left, c.area.left, 1e-3);
    EXPECT_NEAR(area.bottom, c.area.bottom, 1e-3);
    EXPECT_NEAR(area.right, c.area.right, 1e-3);
    EXPECT_NEAR(area.top, c.area.top, 1e-3);
    if (c.width > 0 && c.height > 0) {
      // As many window pixels to an overlay unit across as up.
      EXPECT_NEAR(c.width / (area.right - area.left), c.height / (area.top - area.bottom), 1e-9);
    }
  }
}

}  // namespace
