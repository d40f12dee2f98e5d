// The scoreboard drawn for real over a white picture: nothing once its
// countdown has run out, else the translucent panel with its rounded
// corners, the side's icon and the numbers where the board puts them, a
// number half way through its flip still on screen (only shorter), and the
// final table of a finished five-set match.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "GlTestContext.h"
#include "TestImages.h"
#include "engine/Font.h"
#include "support/TempDirectory.h"
#include "tennis/MatchScore.h"

namespace {

constexpr Rgba kPanelGrey{128, 128, 128, 255};

// Every printable character is the same solid block, 20 x 30, so that text
// shows as white rectangles of known size: a string of n characters at
// scale 2 centred on (x, y) covers x - 20n .. x + 20n and y - 15 .. y + 45.
std::string blockFont() {
  std::vector<GlyphRecord> glyphs;
  for (int code = 33; code < 127; ++code) glyphs.push_back({static_cast<unsigned char>(code), 2, 30, 22, 0, 0});
  return fnzFile("white.tga", glyphs);
}

class Side : public ScoreboardPlayer {
 public:
  explicit Side(std::shared_ptr<Texture> icon) : icon(std::move(icon)) {}
  std::shared_ptr<Texture> scoreboardIcon() const override { return icon; }
  std::string scoreboardName() const override { return "AB"; }
  std::vector<std::shared_ptr<ScoreboardPlayer>> scoreboardPartners() const override { return {}; }
  std::shared_ptr<Texture> icon;
};

class ScoreboardPixelTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (HasFatalFailure()) return;
    folder.write("fonts/white.tga", tgaFile(Picture(32, 32, kWhite), true, false));
    folder.write("Icon.tga", tgaFile(Picture(32, 32, kRed), true, false));
    font = std::make_shared<Font>(folder.write("fonts/block.fnz", blockFont()).string(), 0.0f);
    left = std::make_shared<Side>(std::make_shared<Texture>((folder.path() / "Icon.tga").string()));
    right = std::make_shared<Side>(nullptr);
  }

  void drawOverWhite(const MatchScore& score) {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(1024, 0);
    glVertex2f(1024, 768);
    glVertex2f(0, 768);
    glEnd();
    score.draw();
  }

  TempDirectory folder;
  std::shared_ptr<Font> font;
  std::shared_ptr<Side> left;
  std::shared_ptr<Side> right;
};

TEST_F(ScoreboardPixelTest, ThePanelIconAndNumbersShowWhileTheCountdownRunsAndAChangedNumberFlips) {
  MatchScore score(left, right, false, 3, 6, font);
  drawOverWhite(score);
  EXPECT_TRUE(colourNear(pixel(260, 384), kWhite, 6));
  EXPECT_TRUE(colourNear(pixel(342, 384), kWhite, 6));
  score.pointLostBy(kSideB);  // 15-0

  // 1200 ms left: the old "0" turned by 45 degrees about its centre line,
  // so its 15 .. 45 band shrinks to about 11 .. 32. It is one character
  // wide: the old number, not the new two-digit one. The unchanged number
  // keeps its full height.
  score.setTimerMs(1200);
  drawOverWhite(score);
  expectPixels({{442, 394, kWhite}, {442, 410, kWhite}, {442, 420, kPanelGrey}, {415, 394, kPanelGrey},
                {582, 427, kWhite}}, 6);

  score.setTimerMs(500);
  drawOverWhite(score);
  // The panel: 512 x 128 around (512, 384), x 256..768, y 320..448, with
  // the very corners outside its quarter discs.
  expectPixels({{260, 384, kPanelGrey}, {512, 444, kPanelGrey}, {764, 360, kPanelGrey}, {250, 384, kWhite},
                {512, 452, kWhite}, {258, 446, kWhite}, {765, 322, kWhite}}, 6);
  // The icon, 32 pixels at scale 1.5, centred 170 left: x 318..366.
  EXPECT_TRUE(colourNear(pixel(342, 384), kRed));
  EXPECT_TRUE(colourNear(pixel(320, 362), kRed));
  EXPECT_TRUE(colourNear(pixel(314, 384), kPanelGrey, 6));
  // "15" around x 442: 402..482; "-" around 512: 492..532; "0" around 582;
  // glyphs from 15 below the centre to 45 above.
  expectPixels({{405, 400, kWhite}, {479, 400, kWhite}, {487, 400, kPanelGrey}, {512, 400, kWhite},
                {582, 400, kWhite}, {612, 400, kPanelGrey}, {442, 427, kWhite}, {442, 366, kPanelGrey}}, 6);
}

TEST_F(ScoreboardPixelTest, TheFinalTableOfAFinishedFiveSetMatchIsDrawn) {
  MatchScore score(left, right, false, 5, 2, font);
  // Side A wins the first three sets two games to love.
  for (int point = 0; point < 3 * 2 * 4; ++point) {
    score.pointLostBy(kSideB);
    if (point % 4 == 3) score.clearPoints();
  }
  ASSERT_TRUE(score.matchOver());
  score.setShowTable(true);
  score.setTimerMs(1500);
  drawOverWhite(score);
  score.drawScoreLine(512, 270);
  score.drawTable(512, 100);
  // The table panel, 470 x 128 around (512, 100): x 277..747.
  EXPECT_TRUE(colourNear(pixel(280, 100), kPanelGrey, 6));
  EXPECT_TRUE(colourNear(pixel(272, 100), kWhite, 6));
  // Set 1's column at 532 (scale 1: 10 wide, 15 below to 15 above the row):
  // "2" for side A at row 75, "0" for side B at 125; set 4's column at 673.
  expectPixels({{532, 75, kWhite}, {532, 125, kWhite}, {552, 75, kPanelGrey}, {673, 75, kWhite}}, 6);
}

}  // namespace
