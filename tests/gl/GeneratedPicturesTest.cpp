// The menus' generated pictures, decoded by the game's Texture and drawn as
// the menus draw them (centred at (512, 256), so the top 768 rows show): they
// load without a complaint, come out upright, and keep the places where the
// screens write their items readable.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "GlTestContext.h"
#include "engine/Texture.h"

namespace {

int luminance(const Rgba& c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }

class GeneratedPicturesTest : public GlTest {
 protected:
  static std::shared_ptr<Texture> load(const std::string& name) {
    testing::internal::CaptureStdout();
    auto texture = std::make_shared<Texture>(runPath(name));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << name;
    return texture;
  }

  // As the menu draws its background.
  static void showAsBackground(const std::string& name) {
    auto texture = load(name);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glColor3f(1, 1, 1);
    texture->drawCentered(512, 256, 1.0f);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
  }
};

TEST_F(GeneratedPicturesTest, EveryMenuPictureIsAnOpaque1024Square) {
  for (const char* name : {"imgs/main_menu.tga", "imgs/menu_background.tga", "imgs/menu_match_background.tga"}) {
    auto texture = load(name);
    EXPECT_EQ(texture->width(), 1024) << name;
    EXPECT_EQ(texture->height(), 1024) << name;
    EXPECT_FALSE(texture->hasAlpha()) << name;
    EXPECT_NE(texture->glTexture(), 0u) << name;
  }
}

// The three main menu items (x 200, y 380, 340, 300) sit on a dark panel;
// above them is the sky, below them the court.
TEST_F(GeneratedPicturesTest, TitleScreenHasTheSkyAboveAndAPanelBehindTheItems) {
  showAsBackground("imgs/main_menu.tga");
  for (const int y : {380, 340, 300}) {
    for (const int x : {110, 200, 290}) {
      const Rgba c = pixel(x, y);
      EXPECT_LT(luminance(c), 110) << x << ", " << y;
      EXPECT_GT(c.b, c.r) << x << ", " << y;
    }
  }
  const Rgba sky = pixel(300, 745);
  EXPECT_GT(sky.b, 200);
  EXPECT_GT(sky.b, sky.r + 60);
  const Rgba court = pixel(40, 20);
  EXPECT_GT(court.g, court.r + 40) << "grass beside the court at the bottom";
}

// Choosing players: each slot's name is written on a spot of its own colour.
TEST_F(GeneratedPicturesTest, PlayerSpotsLieUnderTheSlotNames) {
  showAsBackground("imgs/menu_match_background.tga");
  const Rgba slot0 = pixel(620, 170);  // red
  EXPECT_GT(slot0.r, slot0.g + 60);
  EXPECT_GT(slot0.r, slot0.b + 60);
  const Rgba slot1 = pixel(450, 520);  // purple
  EXPECT_GT(slot1.b, slot1.g + 40);
  EXPECT_GT(slot1.r, slot1.g + 30);
  const Rgba slot2 = pixel(420, 290);  // green
  EXPECT_GT(slot2.g, slot2.r + 60);
  EXPECT_GT(slot2.g, slot2.b + 40);
  const Rgba slot3 = pixel(580, 470);  // orange
  EXPECT_GT(slot3.r, slot3.b + 100);
  EXPECT_GT(slot3.g, slot3.b + 60);
  // Between the spots lies the blue court, and next/back (y 100) have a dark bar.
  const Rgba court = pixel(512, 220);
  EXPECT_GT(court.b, court.r + 60);
  for (const int x : {400, 500, 600}) EXPECT_LT(luminance(pixel(x, 100)), 90) << x;
}

// The option, set-up and credit screens write from y 530 down to y 100 near
// the middle: a panel darkens all of that against the edges.
TEST_F(GeneratedPicturesTest, OptionBackgroundHasAPanelBehindEveryItemRow) {
  showAsBackground("imgs/menu_background.tga");
  for (const int y : {530, 460, 420, 380, 340, 220, 100}) {
    for (const int x : {400, 512, 650}) {
      EXPECT_LT(luminance(pixel(x, y)) + 15, luminance(pixel(40, y))) << x << ", " << y;
    }
  }
}

}  // namespace
