// Textures decoded, uploaded and drawn for real, read back pixel by pixel:
// where drawCentered puts a picture (its truncated corner at half size is
// plain arithmetic, checked without OpenGL), that every file layout comes
// out upright, what DevIL reports about alpha, and what a broken file leaves.

#include "engine/Texture.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "GlTestContext.h"
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
  static void drawCentered(Texture& texture, int x, int y, float scale) {
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    texture.drawCentered(x, y, scale);
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

// --- Where a picture lands ----------------------------------------------

TEST_F(TexturePixelTest, PictureCoversItsRectangleAroundThePointUprightAndStopsOneTexelShortOfItsEdges) {
  // A white last column and top row: the right-most screen column samples
  // u = 255.5/257 of 256 texels, that is 254.5, the middle of the texel
  // before the white one. Had the quad reached u = 1 it would show white.
  Picture picture = quadrants(256, 128);
  picture.paint(255, 0, 256, 128, kWhite);
  picture.paint(0, 0, 256, 1, kWhite);
  auto texture = load("quadrants.tga", tgaFile(picture, false, false));
  ASSERT_EQ(texture->width(), 256);
  ASSERT_EQ(texture->height(), 128);
  drawCentered(*texture, 512, 384, 1.0f);

  // x 384..640, y 320..448; overlay y grows upwards, so the picture's top
  // row is at y 447.
  expectPixels({{390, 440, kRed}, {634, 440, kGreen}, {390, 326, kBlue}, {634, 326, kYellow}});
  EXPECT_TRUE(colourNear(pixel(639, 420), kGreen, 16));
  EXPECT_TRUE(colourNear(pixel(450, 447), kRed, 16));
  EXPECT_TRUE(colourNear(pixel(384, 320), kBlue, 60));
  expectPixels({{383, 384, kBlack}, {640, 384, kBlack}, {512, 319, kBlack}, {512, 448, kBlack}}, 0);
}

// --- Every file layout comes out upright, with the alpha DevIL reports -----

TEST_F(TexturePixelTest, EveryFileLayoutComesOutUprightAndOnlyThirtyTwoBitsHaveAlpha) {
  const Picture picture = quadrants(64, 64);
  const struct {
    const char* name;
    std::string bytes;
    bool hasAlpha;
    int bitsPerPixel;
  } files[] = {
      {"bottom_up_24.tga", tgaFile(picture, false, false), false, 24},
      {"top_down_24.tga", tgaFile(picture, false, true), false, 24},
      {"bottom_up_32.tga", tgaFile(picture, true, false), true, 32},
      {"top_down_32.tga", tgaFile(picture, true, true), true, 32},
      {"bottom_up.bmp", bmpFile(picture, false), false, 24},
      {"top_down.bmp", bmpFile(picture, true), false, 24},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    GlTestContext::beginOverlayFrame();
    auto texture = load(file.name, file.bytes);
    EXPECT_EQ(texture->hasAlpha(), file.hasAlpha);
    EXPECT_EQ(texture->bitsPerPixel(), file.bitsPerPixel);
    EXPECT_EQ(texture->width(), 64);
    EXPECT_NE(texture->image(), kNoName);
    drawCentered(*texture, 512, 384, 1.0f);
    // x 480..544, y 352..416.
    expectPixels({{490, 406, kRed}, {534, 406, kGreen}, {490, 362, kBlue}, {534, 362, kYellow}});
  }
}

TEST_F(TexturePixelTest, TransparentPixelsBlendAway) {
  Picture picture(64, 64, kRed);
  picture.paint(0, 0, 32, 64, Rgba{255, 255, 255, 0});
  auto texture = load("half.tga", tgaFile(picture, true, false));
  glEnable(GL_BLEND);
  drawCentered(*texture, 512, 384, 1.0f);
  glDisable(GL_BLEND);
  EXPECT_TRUE(colourNear(pixel(490, 384), kBlack));
  EXPECT_TRUE(colourNear(pixel(534, 384), kRed));
}

TEST_F(TexturePixelTest, MinificationUsesTheMipmaps) {
  auto texture = load("mip.tga", tgaFile(Picture(64, 64, kGreen), false, false));
  texture->bind();
  GLint filter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  EXPECT_EQ(filter, GL_LINEAR_MIPMAP_NEAREST);
  // The smallest level exists and holds the picture's colour.
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 6, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 1);
  drawCentered(*texture, 512, 384, 1.0f / 16.0f);
  EXPECT_TRUE(colourNear(pixel(511, 383), kGreen));
}

// --- Broken files and the texture's life --------------------------------

TEST_F(TexturePixelTest, MissingOrUndecodableFilesSaySoOnceAndBindAndDrawNothing) {
  auto good = load("good.tga", tgaFile(Picture(4, 4, kRed), false, false));
  for (const char* name : {"junk.tga", "junk.bmp", "junk.png"}) folder.write(name, "not a picture, only words");
  for (const char* name : {"imgs/none.tga", "junk.tga", "junk.bmp", "junk.png"}) {
    SCOPED_TRACE(name);
    const std::string path = (folder.path() / name).string();
    testing::internal::CaptureStdout();
    Texture broken(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No se pudo cargar la imagen " + path + "\n");
    EXPECT_EQ(broken.glTexture(), 0u);
    EXPECT_EQ(broken.image(), kNoName);
    EXPECT_EQ(broken.width(), 0);
    EXPECT_FALSE(broken.hasAlpha());
    good->bind();
    broken.bind();
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    drawCentered(broken, 512, 384, 1.0f);
    EXPECT_TRUE(colourNear(pixel(512, 384), kBlack, 0));
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  // DevIL is left fit for the next image.
  EXPECT_NE(load("after.tga", tgaFile(Picture(4, 4, kRed), false, false))->glTexture(), 0u);
}

TEST_F(TexturePixelTest, TruncatedFileNeverCrashes) {
  const std::string whole = tgaFile(quadrants(64, 64), true, false);
  for (size_t size : {size_t{0}, size_t{5}, size_t{18}, size_t{19}, whole.size() / 2, whole.size() - 1}) {
    testing::internal::CaptureStdout();
    auto texture = load("cut.tga", whole.substr(0, size));
    testing::internal::GetCapturedStdout();
    drawCentered(*texture, 512, 384, 1.0f);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TexturePixelTest, UploadReplacesTheOpenGlTextureAndTheDestructorReleasesIt) {
  GLuint name = 0;
  {
    auto texture = load("again.tga", tgaFile(quadrants(64, 64), false, false));
    const GLuint first = texture->glTexture();
    texture->upload();
    name = texture->glTexture();
    EXPECT_NE(name, 0u);
    EXPECT_TRUE(name == first || !glIsTexture(first));
    drawCentered(*texture, 512, 384, 1.0f);
    EXPECT_TRUE(colourNear(pixel(490, 406), kRed));
    ASSERT_TRUE(glIsTexture(name));
  }
  EXPECT_FALSE(glIsTexture(name));
}

TEST_F(TexturePixelTest, GameFactoryDecodesEveryRequestAfresh) {
  const std::string path = folder.write("shared.tga", tgaFile(Picture(4, 4, kRed), true, false)).string();
  ImageTextureFactory factory;
  auto one = factory.create(path);
  auto two = factory.create(path);
  EXPECT_NE(one, two);
  EXPECT_NE(one->glTexture(), two->glTexture());
  EXPECT_TRUE(one->hasAlpha());
  EXPECT_EQ(one->path(), path);
}

}  // namespace
