// Textures decoded, uploaded and drawn for real, read back pixel by pixel:
// where drawCentered puts a picture (its truncated corner at half size is
// plain arithmetic, checked without OpenGL), that every file layout comes
// out upright, what DevIL reports about alpha, and what a broken file
// leaves. Then the menus' generated pictures, drawn as the menus draw them
// (centred at (512, 256), so the top 768 rows show): they load without a
// complaint, come out upright, and keep the places where the screens write
// their items readable.

#include "engine/Texture.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "TestImages.h"
#include "engine/ImageTextureFactory.h"
#include "support/TempDirectory.h"

namespace {

class TexturePixelTest : public GlTest {
 protected:
  std::shared_ptr<Texture> load(const std::string& name, const std::string& bytes) {
    return std::make_shared<Texture>(folder.write(name, bytes).string());
  }
  // Draws with texturing on, as the menus draw their pictures.
  static void drawCentered(Texture& texture, int x, int y, float scale, bool blend = false) {
    glEnable(GL_TEXTURE_2D);
    if (blend) glEnable(GL_BLEND);
    glColor3f(1, 1, 1);
    texture.drawCentered(x, y, scale);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
  }

  TempDirectory folder;
};

// Four quadrants, so that a flip in either direction shows.
Picture quadrants(int width, int height) {
  Picture picture(width, height, kRed);
  picture.paint(width / 2, 0, width, height / 2, kGreen);
  picture.paint(0, height / 2, width / 2, height, kBlue);
  picture.paint(width / 2, height / 2, width, height, kYellow);
  return picture;
}

TEST_F(TexturePixelTest, APictureCoversItsRectangleAroundThePointAndStopsOneTexelShortOfItsEdges) {
  // A white last column and top row: the right-most screen column samples
  // u = 255.5/257 of 256 texels, that is 254.5, the middle of the texel
  // before the white one. Had the quad reached u = 1 it would show white.
  Picture picture = quadrants(256, 128);
  picture.paint(255, 0, 256, 128, kWhite);
  picture.paint(0, 0, 256, 1, kWhite);
  auto texture = load("quadrants.tga", tgaFile(picture, false, false));
  drawCentered(*texture, 512, 384, 1.0f);
  // x 384..640, y 320..448; overlay y grows upwards, so the picture's top
  // row is at y 447.
  expectPixels({{390, 440, kRed}, {634, 440, kGreen}, {390, 326, kBlue}, {634, 326, kYellow}});
  expectPixels({{639, 420, kGreen}, {450, 447, kRed}}, 16);
  EXPECT_TRUE(colourNear(pixel(384, 320), kBlue, 60));
  expectPixels({{383, 384, kBlack}, {640, 384, kBlack}, {512, 319, kBlack}, {512, 448, kBlack}}, 0);
}

TEST_F(TexturePixelTest, EveryFileLayoutComesOutUprightAndOnlyThirtyTwoBitsHaveAlphaThatBlendsAway) {
  Picture picture = quadrants(64, 64);
  picture.paint(0, 0, 8, 64, Rgba{255, 255, 255, 0});  // a transparent left edge
  const struct {
    const char* name;
    std::string bytes;
    int bitsPerPixel;
  } files[] = {
      {"bottom_up_24.tga", tgaFile(picture, false, false), 24}, {"top_down_24.tga", tgaFile(picture, false, true), 24},
      {"bottom_up_32.tga", tgaFile(picture, true, false), 32},  {"top_down_32.tga", tgaFile(picture, true, true), 32},
      {"bottom_up.bmp", bmpFile(picture, false), 24},           {"top_down.bmp", bmpFile(picture, true), 24},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    GlTestContext::beginOverlayFrame();
    auto texture = load(file.name, file.bytes);
    EXPECT_EQ(texture->hasAlpha(), file.bitsPerPixel == 32);
    EXPECT_EQ(texture->bitsPerPixel(), file.bitsPerPixel);
    EXPECT_TRUE(texture->width() == 64 && texture->image() != kNoName);
    drawCentered(*texture, 512, 384, 1.0f, true);
    // x 480..544, y 352..416.
    expectPixels({{490, 406, kRed}, {534, 406, kGreen}, {490, 362, kBlue}, {534, 362, kYellow},
                  {482, 384, texture->hasAlpha() ? kBlack : kWhite}});
  }
}

TEST_F(TexturePixelTest, MinificationUsesTheMipmapsAndTheGameFactoryDecodesEveryRequestAfresh) {
  auto texture = load("mip.tga", tgaFile(Picture(64, 64, kGreen), false, false));
  texture->bind();
  GLint filter = 0, width = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 6, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(filter, GL_LINEAR_MIPMAP_NEAREST);
  EXPECT_EQ(width, 1);  // the smallest level exists and holds the picture's colour
  drawCentered(*texture, 512, 384, 1.0f / 16.0f);
  EXPECT_TRUE(colourNear(pixel(511, 383), kGreen));
  ImageTextureFactory factory;
  auto one = factory.create(texture->path()), two = factory.create(texture->path());
  EXPECT_TRUE(one != two && one->glTexture() != two->glTexture() && one->path() == texture->path());
}

TEST_F(TexturePixelTest, MissingUndecodableOrTruncatedFilesSaySoOnceAndBindAndDrawNothing) {
  auto good = load("good.tga", tgaFile(Picture(4, 4, kRed), false, false));
  for (const char* name : {"junk.tga", "junk.bmp", "junk.png"}) folder.write(name, "not a picture, only words");
  for (const char* name : {"imgs/none.tga", "junk.tga", "junk.bmp", "junk.png"}) {
    SCOPED_TRACE(name);
    const std::string path = (folder.path() / name).string();
    testing::internal::CaptureStdout();
    Texture broken(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No se pudo cargar la imagen " + path + "\n");
    EXPECT_TRUE(broken.glTexture() == 0 && broken.image() == kNoName && broken.width() == 0 && !broken.hasAlpha());
    good->bind();
    broken.bind();
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    drawCentered(broken, 512, 384, 1.0f);
    EXPECT_TRUE(colourNear(pixel(512, 384), kBlack, 0));
  }
  const std::string whole = tgaFile(quadrants(64, 64), true, false);
  for (size_t size : {size_t{0}, size_t{5}, size_t{18}, size_t{19}, whole.size() / 2, whole.size() - 1}) {
    testing::internal::CaptureStdout();
    auto texture = load("cut.tga", whole.substr(0, size));
    testing::internal::GetCapturedStdout();
    drawCentered(*texture, 512, 384, 1.0f);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  // DevIL is left fit for the next image.
  EXPECT_NE(load("after.tga", tgaFile(Picture(4, 4, kRed), false, false))->glTexture(), 0u);
}

TEST_F(TexturePixelTest, UploadReplacesTheOpenGlTextureAndTheDestructorReleasesIt) {
  GLuint name = 0;
  {
    auto texture = load("again.tga", tgaFile(quadrants(64, 64), false, false));
    const GLuint first = texture->glTexture();
    texture->upload();
    name = texture->glTexture();
    EXPECT_TRUE(name != 0 && (name == first || !glIsTexture(first)));
    drawCentered(*texture, 512, 384, 1.0f);
    EXPECT_TRUE(colourNear(pixel(490, 406), kRed));
    ASSERT_TRUE(glIsTexture(name));
  }
  EXPECT_FALSE(glIsTexture(name));
}

// --- The generated pictures -----------------------------------------------------

int luminance(const Rgba& c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }

TEST_F(TexturePixelTest, EveryMenuPictureIsAnOpaque1024SquareWithItsItemsOnPanelsAndItsSkyAbove) {
  const auto show = [this](const char* name) {
    GlTestContext::beginOverlayFrame();
    testing::internal::CaptureStdout();
    Texture texture(runPath(name));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << name;
    EXPECT_TRUE(texture.width() == 1024 && texture.height() == 1024 && !texture.hasAlpha()) << name;
    drawCentered(texture, 512, 256, 1.0f, true);
  };
  // The three main menu items (x 200, y 380, 340, 300) sit on a dark panel;
  // above them is the sky, below them the court.
  show("imgs/main_menu.tga");
  for (const int y : {380, 340, 300}) {
    for (const int x : {110, 200, 290}) EXPECT_TRUE(luminance(pixel(x, y)) < 110 && pixel(x, y).b > pixel(x, y).r) << x << ", " << y;
  }
  EXPECT_TRUE(pixel(300, 745).b > 200 && pixel(300, 745).b > pixel(300, 745).r + 60) << "sky";
  EXPECT_GT(pixel(40, 20).g, pixel(40, 20).r + 40) << "grass beside the court at the bottom";
  // Choosing players: each slot's name is written on a spot of its own
  // colour (red, purple, green, orange) on the blue court, and next/back
  // (y 100) have a dark bar.
  show("imgs/menu_match_background.tga");
  const Rgba red = pixel(620, 170), purple = pixel(450, 520), green = pixel(420, 290), orange = pixel(580, 470);
  EXPECT_TRUE(red.r > red.g + 60 && red.r > red.b + 60);
  EXPECT_TRUE(purple.b > purple.g + 40 && purple.r > purple.g + 30);
  EXPECT_TRUE(green.g > green.r + 60 && green.g > green.b + 40);
  EXPECT_TRUE(orange.r > orange.b + 100 && orange.g > orange.b + 60);
  EXPECT_GT(pixel(512, 220).b, pixel(512, 220).r + 60);
  for (const int x : {400, 500, 600}) EXPECT_LT(luminance(pixel(x, 100)), 90) << x;
  // The option, set-up and credit screens write from y 530 down to y 100
  // near the middle: a panel darkens all of that against the edges.
  show("imgs/menu_background.tga");
  for (const int y : {530, 460, 420, 380, 340, 220, 100}) {
    for (const int x : {400, 512, 650}) EXPECT_LT(luminance(pixel(x, y)) + 15, luminance(pixel(40, y))) << x << ", " << y;
  }
}

}  // namespace
