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

// A font file as the game's tools write it; `count` may lie about the records.
std::string fnz(const std::string& imageName, int32_t count, const std::vector<Record>& records) {
  std::string out = imageName;
  out.push_back('\0');
  appendLittleEndian(out, static_cast<uint32_t>(count));
  for (const Record& r : records) {
    out.push_back(static_cast<char>(r.code));
    for (float value : {r.left, r.top, r.right, r.bottom, r.descent}) {
      uint32_t bits = 0;
      std::memcpy(&bits, &value, sizeof bits);
      appendLittleEndian(out, bits);
    }
  }
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

// --- The file format ----------------------------------------------------

TEST_F(FontTest, ImageIsTheNamedFileBesideTheFont) {
  auto font = read(fnz("test.tga", {box('A', 0, 10, 10)}));
  EXPECT_EQ(output, "");
  EXPECT_EQ(font->texture()->path(), "fonts/test.tga");
  std::istringstream bare(fnz("letters.bmp", {}));
  Font noFolder(bare, "menu.fnz", 0, factory);

  TempDirectory folder;
  const auto path = folder.write("fonts/big.fnz", fnz("big.tga", {box('A', 0, 12, 30, 4)}));
  Font onDisk(path.string(), -7, factory);
  ASSERT_TRUE(onDisk.glyph('A'));
  EXPECT_FLOAT_EQ(onDisk.glyph('A')->width(), 12);
  EXPECT_EQ(factory->paths(),
            (std::vector<std::string>{"fonts/test.tga", "letters.bmp", (folder.path() / "fonts/big.tga").string()}));
}

TEST_F(FontTest, GlyphCoordinatesDivideByTheImageSizePlusOneAndMayBeMirrored) {
  // A 255 x 255 image: a rectangle over the whole picture reaches 255/256.
  factory->setSize("fonts/full.tga", 255, 255);
  std::istringstream in(fnz("full.tga", {{'W', 0, 255, 255, 0, 0}}));
  Font full(in, kFont, 0, factory);
  const auto& w = full.glyph('W');
  ASSERT_TRUE(w);
  EXPECT_FLOAT_EQ(w->uLeft(), 0);
  EXPECT_FLOAT_EQ(w->vBottom(), 0);
  EXPECT_FLOAT_EQ(w->uRight(), 255.0f / 256.0f);
  EXPECT_FLOAT_EQ(w->vTop(), 255.0f / 256.0f);
  EXPECT_FLOAT_EQ(w->width(), 255);
  EXPECT_FLOAT_EQ(w->height(), 255);

  // Image 256 x 256: divisor 257. Left 10, right 0: a positive width.
  auto font = read(fnz("test.tga", {{'M', 10, 20, 0, 50, 3}}));
  const auto& m = font->glyph('M');
  ASSERT_TRUE(m);
  EXPECT_FLOAT_EQ(m->width(), 10);
  EXPECT_FLOAT_EQ(m->height(), 30);
  EXPECT_FLOAT_EQ(m->uLeft(), 10.0f / 257.0f);
  EXPECT_FLOAT_EQ(m->uRight(), 0);
  EXPECT_FLOAT_EQ(m->vTop(), 20.0f / 257.0f);
  EXPECT_FLOAT_EQ(m->vBottom(), 50.0f / 257.0f);
  EXPECT_FLOAT_EQ(m->descent(), 3);
}

TEST_F(FontTest, AscentAndDescentAreTheLargestOfAllRecordsAndALaterRecordReplacesItsCode) {
  // 'g': 30 tall, 8 below the line (ascent 22); 'T': 26 tall; the first 'A'
  // 40 tall, replaced by a 20-tall one, still counts.
  auto font = read(fnz("test.tga", {box('g', 0, 10, 30, 8), box('T', 10, 10, 26, 0), box('A', 0, 10, 40),
                                    box('A', 50, 16, 20)}));
  EXPECT_FLOAT_EQ(font->maxAscent(), 40);
  EXPECT_FLOAT_EQ(font->maxDescent(), 8);
  ASSERT_TRUE(font->glyph('A'));
  EXPECT_FLOAT_EQ(font->glyph('A')->width(), 16);
  EXPECT_FLOAT_EQ(font->glyph('A')->uLeft(), 50.0f / 257.0f);
}

TEST_F(FontTest, CodesWithoutARecordDrawAsTheSpaceOrNotAtAll) {
  factory->markAlpha(kImage);
  auto font = read(fnz("test.tga", {box('A', 0, 20, 30), box(' ', 20, 12, 1)}));
  EXPECT_TRUE(font->hasAlpha());
  const auto space = font->glyph(' ');
  ASSERT_TRUE(space);
  EXPECT_EQ(font->glyph('B'), space);
  EXPECT_EQ(font->glyph(0), space);
  EXPECT_EQ(font->glyph(255), space);
  EXPECT_NE(font->glyph('A'), space);

  auto spaceless = read(fnz("other.tga", {box('A', 0, 20, 30), box(255, 20, 5, 5)}));
  EXPECT_FALSE(spaceless->hasAlpha());
  EXPECT_TRUE(spaceless->glyph(255));
  EXPECT_FALSE(spaceless->glyph('B'));
  EXPECT_FALSE(spaceless->glyph(' '));
}

// --- Broken and hostile files -------------------------------------------

TEST_F(FontTest, MissingFileLeavesAnEmptyFontAndSaysSo) {
  TempDirectory folder;
  const std::string path = (folder.path() / "fonts/none.fnz").string();
  testing::internal::CaptureStdout();
  Font font(path, -7, factory);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "No se pudo abrir la fuente " + path + "\n");
  EXPECT_FALSE(font.texture());
  EXPECT_TRUE(factory->paths().empty());
  EXPECT_FALSE(font.glyph(' '));
  EXPECT_FALSE(font.hasAlpha());
  EXPECT_FLOAT_EQ(font.textWidth("AB"), 0);
  EXPECT_TRUE(font.layout("AB", 512, 384, 1).empty());
}

TEST_F(FontTest, BrokenFilesKeepWhatWasReadWholeAndSayWhereInOneLine) {
  const std::vector<Record> abc = {box('A', 0, 10, 10), box('B', 10, 11, 10), box('C', 21, 12, 10)};
  std::string endsInCount = fnz("test.tga", {});
  endsInCount.resize(endsInCount.size() - 2);  // two of the count's four bytes
  std::string endsInRecord = fnz("test.tga", abc);
  endsInRecord.resize(endsInRecord.size() - 7);
  const struct {
    const char* what;
    std::string bytes;
    bool image;
    std::string present, absent;
    std::string message;  // part of the one line, or "" for none
  } files[] = {
      {"name without its zero byte", "test.tga", false, "", "A ", "fonts/test.fnz, byte 8:"},
      {"overlong name", fnz(std::string(Font::kMaxTextureNameLength + 1, 'x'), abc), false, "", "A", "fonts/test.fnz"},
      {"longest name", fnz(std::string(Font::kMaxTextureNameLength, 'x'), abc), true, "ABC", "", ""},
      {"ends in the count", endsInCount, true, "", " ", "fonts/test.fnz, byte 9:"},
      // 9 bytes of name, 4 of count, two records of 21.
      {"ends inside a record", endsInRecord, true, "AB", "C", "fonts/test.fnz, byte 55:"},
      {"huge count", fnz("test.tga", 2000000000, abc), true, "ABC", "", "2000000000"},
      {"largest count", fnz("test.tga", INT32_MAX, abc), true, "ABC", "", "fonts/test.fnz"},
      {"negative count", fnz("test.tga", -1, abc), true, "", "A", "fonts/test.fnz, byte 9:"},
      {"records beyond the count", fnz("test.tga", 1, abc), true, "A", "B", ""},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.what);
    auto font = read(file.bytes);
    EXPECT_EQ(bool(font->texture()), file.image);
    for (char c : file.present) EXPECT_TRUE(font->glyph(static_cast<unsigned char>(c))) << c;
    for (char c : file.absent) EXPECT_FALSE(font->glyph(static_cast<unsigned char>(c))) << c;
    if (file.message.empty()) {
      EXPECT_EQ(output, "");
    } else {
      EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
      EXPECT_NE(output.find(file.message), std::string::npos) << output;
    }
  }
}

// --- Width and placement ------------------------------------------------

TEST_F(FontTest, WidthAddsTheSpacingBetweenGlyphsOnlyAndSkipsCharactersWithoutAGlyph) {
  auto font = read(fnz("test.tga", {box('A', 0, 20, 30), box('B', 20, 20, 30)}), -7);
  EXPECT_FLOAT_EQ(font->textWidth("AB"), 20 - 7 + 20);
  EXPECT_FLOAT_EQ(font->textWidth("A"), 20);
  EXPECT_FLOAT_EQ(font->textWidth("ABA"), 20 - 7 + 20 - 7 + 20);
  EXPECT_FLOAT_EQ(font->textWidth(""), 0);
  EXPECT_TRUE(font->layout("", 512, 384, 1).empty());
  EXPECT_FLOAT_EQ(font->textWidth("AxA"), 20 - 7 + 20);
  const auto placed = font->layout("AxA", 100, 200, 1);
  ASSERT_EQ(placed.size(), 2u);
  EXPECT_FLOAT_EQ(placed[1].x - placed[0].x, 13);
  EXPECT_TRUE(font->layout("xyz", 100, 200, 1).empty());
}

TEST_F(FontTest, TextIsCentredOnThePointWithSpacingAndBaselineUnscaled) {
  // Glyphs 20 wide, 30 tall, 6 below the line: ascent 24.
  auto font = read(fnz("test.tga", {box('A', 0, 20, 30, 6), box('B', 20, 20, 30, 6)}), -7);
  const struct {
    float scale, first, second;
  } scales[] = {
      {1, 512 - 16.5f, 512 - 16.5f + 20 - 7},
      // Width 33 scaled to 66 for centring; the pen moves 40 - 7.
      {2, 512 - 33, 512 - 33 + 40 - 7},
  };
  for (const auto& s : scales) {
    const auto placed = font->layout("AB", 512, 384, s.scale);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_FLOAT_EQ(placed[0].x, s.first) << s.scale;
    EXPECT_FLOAT_EQ(placed[1].x, s.second) << s.scale;
    EXPECT_FLOAT_EQ(placed[0].baseline, 384 - 12) << s.scale;
    EXPECT_FLOAT_EQ(placed[1].baseline, 384 - 12) << s.scale;
  }
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
