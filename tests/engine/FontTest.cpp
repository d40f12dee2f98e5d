// The ".fnz" reader and the text arithmetic, without OpenGL: the glyph image
// comes from a RecordingTextureFactory that only notes its path and reports
// the size the test gives it.

#include "engine/Font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "support/TempDirectory.h"

namespace {

struct Record {
  unsigned char code;
  float left, top, right, bottom, descent;
};

void appendLittleEndian(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void appendFloat(std::string& out, float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  appendLittleEndian(out, bits);
}

std::string recordBytes(const Record& r) {
  std::string out(1, static_cast<char>(r.code));
  for (float value : {r.left, r.top, r.right, r.bottom, r.descent}) appendFloat(out, value);
  return out;
}

// A font file as the game's tools write it; `count` may lie about the records.
std::string fnz(const std::string& imageName, int32_t count, const std::vector<Record>& records) {
  std::string out = imageName;
  out.push_back('\0');
  appendLittleEndian(out, static_cast<uint32_t>(count));
  for (const Record& r : records) out += recordBytes(r);
  return out;
}

std::string fnz(const std::string& imageName, const std::vector<Record>& records) {
  return fnz(imageName, static_cast<int32_t>(records.size()), records);
}

// A glyph `width` wide and `height` tall standing on the baseline.
Record box(unsigned char code, float x, float width, float height, float descent = 0) {
  return {code, x, height, x + width, 0, descent};
}

class FontTest : public ::testing::Test {
 protected:
  // Reads the bytes as the font "fonts/test.fnz" whose image is 256 x 256.
  std::unique_ptr<Font> read(const std::string& bytes, float spacing = 0) {
    factory->setSize(kImage, 256, 256);
    std::istringstream in(bytes);
    testing::internal::CaptureStdout();
    auto font = std::make_unique<Font>(in, kFont, spacing, factory);
    output = testing::internal::GetCapturedStdout();
    return font;
  }

  static constexpr const char* kFont = "fonts/test.fnz";
  static constexpr const char* kImage = "fonts/test.tga";
  std::shared_ptr<RecordingTextureFactory> factory = std::make_shared<RecordingTextureFactory>();
  std::string output;
};

size_t lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// --- The file format ----------------------------------------------------

TEST_F(FontTest, ImageIsTheNamedFileInTheFontsFolder) {
  auto font = read(fnz("test.tga", {box('A', 0, 10, 10)}));
  EXPECT_EQ(output, "");
  ASSERT_EQ(factory->paths().size(), 1u);
  EXPECT_EQ(factory->paths()[0], "fonts/test.tga");
  EXPECT_EQ(font->texture()->path(), "fonts/test.tga");
}

TEST_F(FontTest, FontPathWithoutFolderUsesTheNameAlone) {
  std::istringstream in(fnz("letters.bmp", {}));
  Font font(in, "menu.fnz", 0, factory);
  ASSERT_EQ(factory->paths().size(), 1u);
  EXPECT_EQ(factory->paths()[0], "letters.bmp");
}

TEST_F(FontTest, FileOnDiskIsReadThroughItsPath) {
  TempDirectory folder;
  const auto path = folder.write("fonts/big.fnz", fnz("big.tga", {box('A', 0, 12, 30, 4)}));
  Font font(path.string(), -7, factory);
  ASSERT_TRUE(font.glyph('A'));
  EXPECT_FLOAT_EQ(font.glyph('A')->width(), 12);
  EXPECT_FLOAT_EQ(font.spacing(), -7);
  ASSERT_EQ(factory->paths().size(), 1u);
  EXPECT_EQ(factory->paths()[0], (folder.path() / "fonts/big.tga").string());
}

TEST_F(FontTest, GlyphCoordinatesDivideByTheImageSizePlusOne) {
  // A 255 x 255 image: a rectangle over the whole picture reaches 255/256.
  factory->setSize("fonts/full.tga", 255, 255);
  std::istringstream in(fnz("full.tga", {{'W', 0, 255, 255, 0, 0}}));
  Font font(in, kFont, 0, factory);
  const auto& w = font.glyph('W');
  ASSERT_TRUE(w);
  EXPECT_FLOAT_EQ(w->uLeft(), 0);
  EXPECT_FLOAT_EQ(w->vBottom(), 0);
  EXPECT_FLOAT_EQ(w->uRight(), 255.0f / 256.0f);
  EXPECT_FLOAT_EQ(w->vTop(), 255.0f / 256.0f);
  EXPECT_FLOAT_EQ(w->width(), 255);
  EXPECT_FLOAT_EQ(w->height(), 255);
}

TEST_F(FontTest, MirroredRectangleKeepsAPositiveSizeAndSwapsTheCoordinates) {
  // Image 256 x 256: divisor 257.
  auto font = read(fnz("test.tga", {{'M', 10, 20, 0, 50, 3}}));
  const auto& m = font->glyph('M');
  ASSERT_TRUE(m);
  EXPECT_FLOAT_EQ(m->width(), 10);
  EXPECT_FLOAT_EQ(m->height(), 30);
  EXPECT_FLOAT_EQ(m->uLeft(), 10.0f / 257.0f);
  EXPECT_FLOAT_EQ(m->uRight(), 0);
  EXPECT_GT(m->uLeft(), m->uRight());
  EXPECT_FLOAT_EQ(m->vTop(), 20.0f / 257.0f);
  EXPECT_FLOAT_EQ(m->vBottom(), 50.0f / 257.0f);
  EXPECT_FLOAT_EQ(m->descent(), 3);
}

TEST_F(FontTest, AscentAndDescentAreTheLargestOfAllGlyphs) {
  // 'g': 30 tall, 8 below the line (ascent 22); 'T': 26 tall (ascent 26).
  auto font = read(fnz("test.tga", {box('g', 0, 10, 30, 8), box('T', 10, 10, 26, 0), box('.', 20, 4, 4, 1)}));
  EXPECT_FLOAT_EQ(font->maxAscent(), 26);
  EXPECT_FLOAT_EQ(font->maxDescent(), 8);
}

TEST_F(FontTest, LaterRecordForACodeReplacesTheEarlierOne) {
  auto font = read(fnz("test.tga", {box('A', 0, 10, 40), box('A', 50, 16, 20)}));
  const auto& a = font->glyph('A');
  ASSERT_TRUE(a);
  EXPECT_FLOAT_EQ(a->width(), 16);
  EXPECT_FLOAT_EQ(a->uLeft(), 50.0f / 257.0f);
  // Every record counts towards the ascent, the replaced one too.
  EXPECT_FLOAT_EQ(font->maxAscent(), 40);
}

TEST_F(FontTest, CodesWithoutARecordDrawAsTheSpace) {
  auto font = read(fnz("test.tga", {box('A', 0, 20, 30), box(' ', 20, 12, 1)}));
  const auto space = font->glyph(' ');
  ASSERT_TRUE(space);
  EXPECT_EQ(font->glyph('B'), space);
  EXPECT_EQ(font->glyph(0), space);
  EXPECT_EQ(font->glyph(255), space);
  EXPECT_NE(font->glyph('A'), space);
}

TEST_F(FontTest, WithoutASpaceMissingCodesHaveNoGlyph) {
  auto font = read(fnz("test.tga", {box('A', 0, 20, 30), box(255, 20, 5, 5)}));
  EXPECT_TRUE(font->glyph('A'));
  EXPECT_TRUE(font->glyph(255));
  EXPECT_FALSE(font->glyph('B'));
  EXPECT_FALSE(font->glyph(' '));
}

TEST_F(FontTest, ImageAlphaIsTheFontsAlpha) {
  factory->markAlpha(kImage);
  EXPECT_TRUE(read(fnz("test.tga", {}))->hasAlpha());
  EXPECT_FALSE(read(fnz("other.tga", {}))->hasAlpha());
}

// --- Broken and hostile files -------------------------------------------

TEST_F(FontTest, MissingFileLeavesAnEmptyFontAndSaysSo) {
  TempDirectory folder;
  const std::string path = (folder.path() / "fonts/none.fnz").string();
  testing::internal::CaptureStdout();
  Font font(path, -7, factory);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed, "No se pudo abrir la fuente " + path + "\n");
  EXPECT_FALSE(font.texture());
  EXPECT_TRUE(factory->paths().empty());
  EXPECT_FALSE(font.glyph(' '));
  EXPECT_FALSE(font.hasAlpha());
  EXPECT_FLOAT_EQ(font.textWidth("AB"), 0);
  EXPECT_TRUE(font.layout("AB", 512, 384, 1).empty());
}

TEST_F(FontTest, NameWithoutItsZeroByteCreatesNoImage) {
  auto font = read("test.tga");
  EXPECT_FALSE(font->texture());
  EXPECT_TRUE(factory->paths().empty());
  EXPECT_EQ(lines(output), 1u);
  EXPECT_EQ(output.rfind("fonts/test.fnz, byte 8:", 0), 0u) << output;
}

TEST_F(FontTest, OverlongNameIsRefusedBeforeTheEnd) {
  const std::string name(Font::kMaxTextureNameLength + 1, 'x');
  auto font = read(fnz(name, {box('A', 0, 10, 10)}));
  EXPECT_FALSE(font->texture());
  EXPECT_FALSE(font->glyph('A'));
  EXPECT_EQ(lines(output), 1u);
}

TEST_F(FontTest, LongestAcceptedNameIsRead) {
  const std::string name(Font::kMaxTextureNameLength, 'x');
  auto font = read(fnz(name, {box('A', 0, 10, 10)}));
  EXPECT_EQ(output, "");
  EXPECT_TRUE(font->glyph('A'));
}

TEST_F(FontTest, FileEndingInTheCountKeepsTheImageAndNoGlyphs) {
  std::string bytes = fnz("test.tga", {});
  bytes.resize(bytes.size() - 2);  // two of the count's four bytes
  auto font = read(bytes);
  EXPECT_TRUE(font->texture());
  EXPECT_FALSE(font->glyph(' '));
  EXPECT_EQ(lines(output), 1u);
  EXPECT_EQ(output.rfind("fonts/test.fnz, byte 9:", 0), 0u) << output;
}

TEST_F(FontTest, FileEndingInsideARecordKeepsTheWholeRecordsBeforeIt) {
  std::string bytes = fnz("test.tga", {box('A', 0, 10, 10), box('B', 10, 11, 10), box('C', 21, 12, 10)});
  bytes.resize(bytes.size() - 7);
  auto font = read(bytes);
  EXPECT_TRUE(font->glyph('A'));
  EXPECT_TRUE(font->glyph('B'));
  EXPECT_FALSE(font->glyph('C'));
  EXPECT_EQ(lines(output), 1u);
  // 9 bytes of name, 4 of count, two records of 21.
  EXPECT_EQ(output.rfind("fonts/test.fnz, byte 55:", 0), 0u) << output;
}

TEST_F(FontTest, HugeCountStopsAtTheEndOfTheData) {
  auto font = read(fnz("test.tga", 2000000000, {box('A', 0, 10, 10), box(' ', 10, 6, 1)}));
  ASSERT_TRUE(font->glyph('A'));
  EXPECT_EQ(font->glyph('Z'), font->glyph(' '));
  EXPECT_EQ(lines(output), 1u);
  EXPECT_NE(output.find("2000000000"), std::string::npos) << output;
}

TEST_F(FontTest, LargestCountStopsAtTheEndOfTheData) {
  auto font = read(fnz("test.tga", INT32_MAX, {box('A', 0, 10, 10)}));
  EXPECT_TRUE(font->glyph('A'));
  EXPECT_EQ(lines(output), 1u);
}

TEST_F(FontTest, NegativeCountReadsNoGlyphs) {
  auto font = read(fnz("test.tga", -1, {box('A', 0, 10, 10)}));
  EXPECT_TRUE(font->texture());
  EXPECT_FALSE(font->glyph('A'));
  EXPECT_EQ(lines(output), 1u);
  EXPECT_EQ(output.rfind("fonts/test.fnz, byte 9:", 0), 0u) << output;
}

TEST_F(FontTest, RecordsBeyondTheCountAreNotRead) {
  auto font = read(fnz("test.tga", 1, {box('A', 0, 10, 10), box('B', 10, 10, 10)}));
  EXPECT_TRUE(font->glyph('A'));
  EXPECT_FALSE(font->glyph('B'));
}

// --- Width and placement ------------------------------------------------

TEST_F(FontTest, WidthAddsTheSpacingBetweenGlyphsOnly) {
  auto font = read(fnz("test.tga", {box('A', 0, 20, 30), box('B', 20, 20, 30)}), -7);
  EXPECT_FLOAT_EQ(font->textWidth("AB"), 20 - 7 + 20);
  EXPECT_FLOAT_EQ(font->textWidth("A"), 20);
  EXPECT_FLOAT_EQ(font->textWidth("ABA"), 20 - 7 + 20 - 7 + 20);
}

TEST_F(FontTest, EmptyTextHasNoWidth) {
  auto font = read(fnz("test.tga", {box('A', 0, 20, 30)}), -7);
  EXPECT_FLOAT_EQ(font->textWidth(""), 0);
  EXPECT_TRUE(font->layout("", 512, 384, 1).empty());
}

TEST_F(FontTest, CharactersWithoutAGlyphNeitherDrawNorAdvance) {
  auto font = read(fnz("test.tga", {box('A', 0, 20, 30)}), -7);
  EXPECT_FLOAT_EQ(font->textWidth("AxA"), 20 - 7 + 20);
  const auto placed = font->layout("AxA", 100, 200, 1);
  ASSERT_EQ(placed.size(), 2u);
  EXPECT_FLOAT_EQ(placed[1].x - placed[0].x, 13);
  EXPECT_TRUE(font->layout("xyz", 100, 200, 1).empty());
}

TEST_F(FontTest, MissingLetterTakesTheSpaceWidth) {
  auto font = read(fnz("test.tga", {box('A', 0, 20, 30), box(' ', 20, 12, 1)}), 0);
  EXPECT_FLOAT_EQ(font->textWidth("AB"), 32);
  const auto placed = font->layout("AB", 500, 300, 1);
  ASSERT_EQ(placed.size(), 2u);
  EXPECT_EQ(placed[1].glyph, font->glyph(' ').get());
  EXPECT_FLOAT_EQ(placed[0].x, 500 - 16);
  EXPECT_FLOAT_EQ(placed[1].x, 500 - 16 + 20);
}

TEST_F(FontTest, TextIsCentredOnThePointAtScaleOne) {
  // Glyphs 20 wide, 30 tall, 6 below the line: ascent 24.
  auto font = read(fnz("test.tga", {box('A', 0, 20, 30, 6), box('B', 20, 20, 30, 6)}), -7);
  const auto placed = font->layout("AB", 512, 384, 1);
  ASSERT_EQ(placed.size(), 2u);
  EXPECT_FLOAT_EQ(placed[0].x, 512 - 16.5f);
  EXPECT_FLOAT_EQ(placed[1].x, 512 - 16.5f + 20 - 7);
  EXPECT_FLOAT_EQ(placed[0].baseline, 384 - 12);
  EXPECT_FLOAT_EQ(placed[1].baseline, 384 - 12);
}

TEST_F(FontTest, AtScaleTwoSpacingAndBaselineStayUnscaled) {
  auto font = read(fnz("test.tga", {box('A', 0, 20, 30, 6), box('B', 20, 20, 30, 6)}), -7);
  const auto placed = font->layout("AB", 512, 384, 2);
  ASSERT_EQ(placed.size(), 2u);
  // Width 33 scaled to 66 for centring; the pen moves 40 - 7.
  EXPECT_FLOAT_EQ(placed[0].x, 512 - 33);
  EXPECT_FLOAT_EQ(placed[1].x, 512 - 33 + 40 - 7);
  EXPECT_FLOAT_EQ(placed[0].baseline, 384 - 12);
}

TEST(GlyphTest, QuadStandsOnTheBaselineAndHangsItsDescentBelow) {
  const Glyph g(0, 30, 20, 0, 6, 255, 255);
  const GlyphQuad one = g.quad(100, 200, 1);
  EXPECT_FLOAT_EQ(one.left, 100);
  EXPECT_FLOAT_EQ(one.right, 120);
  EXPECT_FLOAT_EQ(one.bottom, 194);
  EXPECT_FLOAT_EQ(one.top, 224);
  const GlyphQuad two = g.quad(100, 200, 2);
  EXPECT_FLOAT_EQ(two.right, 140);
  EXPECT_FLOAT_EQ(two.bottom, 188);
  EXPECT_FLOAT_EQ(two.top, 248);
}

}  // namespace
