// Textures decoded, uploaded and drawn for real, read back pixel by pixel:
// where drawCentered puts a picture, that every file layout comes out
// upright, what DevIL reports about alpha, and what a broken file leaves.

#include "engine/Texture.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <ostream>

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

TEST_F(TexturePixelTest, PictureCoversItsRectangleAroundThePointUpright) {
  auto texture = load("quadrants.tga", tgaFile(quadrants(256, 128), false, false));
  ASSERT_EQ(texture->width(), 256);
  ASSERT_EQ(texture->height(), 128);
  drawCentered(*texture, 512, 384, 1.0f);

  // x 384..640, y 320..448; overlay y grows upwards, so the picture's top
  // row is at y 447.
  EXPECT_TRUE(colourNear(pixel(390, 440), kRed));
  EXPECT_TRUE(colourNear(pixel(634, 440), kGreen));
  EXPECT_TRUE(colourNear(pixel(390, 326), kBlue));
  EXPECT_TRUE(colourNear(pixel(634, 326), kYellow));

  EXPECT_TRUE(colourNear(pixel(384, 320), kBlue, 60));
  EXPECT_TRUE(colourNear(pixel(639, 447), kGreen, 60));
  EXPECT_TRUE(colourNear(pixel(383, 384), kBlack, 0));
  EXPECT_TRUE(colourNear(pixel(640, 384), kBlack, 0));
  EXPECT_TRUE(colourNear(pixel(512, 319), kBlack, 0));
  EXPECT_TRUE(colourNear(pixel(512, 448), kBlack, 0));
}

TEST_F(TexturePixelTest, SamplingStopsOneTexelShortOfTheRightAndTopEdges) {
  // Blue with a white last column and a white top row. The right-most screen
  // column samples u = 255.5/257 of 256 texels, that is 254.5: the middle
  // of the last blue texel. Had the quad reached u = 1 it would show white.
  Picture picture(256, 128, kBlue);
  picture.paint(255, 0, 256, 128, kWhite);
  picture.paint(0, 0, 256, 1, kWhite);
  auto texture = load("edges.tga", tgaFile(picture, false, false));
  drawCentered(*texture, 512, 384, 1.0f);

  EXPECT_TRUE(colourNear(pixel(639, 384), kBlue, 16));
  EXPECT_TRUE(colourNear(pixel(512, 447), kBlue, 16));
  EXPECT_TRUE(colourNear(pixel(384, 384), kBlue, 16));
}

TEST_F(TexturePixelTest, HalfScaleCornerIsTruncatedTowardsThePoint) {
  // 101 x 101 at 0.5: 50.5 units wide, corner at 512 - 25 (not 512 - 26).
  auto texture = load("odd.tga", tgaFile(Picture(101, 101, kWhite), false, false));
  drawCentered(*texture, 512, 384, 0.5f);
  EXPECT_TRUE(colourNear(pixel(486, 400), kBlack, 0));
  EXPECT_TRUE(colourNear(pixel(487, 400), kWhite));
  EXPECT_TRUE(colourNear(pixel(500, 358), kBlack, 0));
  EXPECT_TRUE(colourNear(pixel(500, 359), kWhite));
}

// --- Every file layout comes out upright --------------------------------

struct Layout {
  const char* name;
  std::string (*write)(const Picture&);
};

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

class UprightPixelTest : public TexturePixelTest, public ::testing::WithParamInterface<Layout> {};

TEST_P(UprightPixelTest, TopLeftOfThePictureIsDrawnTopLeft) {
  auto texture = load(GetParam().name, GetParam().write(quadrants(64, 64)));
  ASSERT_EQ(texture->width(), 64);
  drawCentered(*texture, 512, 384, 1.0f);
  // x 480..544, y 352..416.
  EXPECT_TRUE(colourNear(pixel(490, 406), kRed));
  EXPECT_TRUE(colourNear(pixel(534, 406), kGreen));
  EXPECT_TRUE(colourNear(pixel(490, 362), kBlue));
  EXPECT_TRUE(colourNear(pixel(534, 362), kYellow));
}

INSTANTIATE_TEST_SUITE_P(
    Files, UprightPixelTest,
    ::testing::Values(Layout{"bottom_up_24.tga", [](const Picture& p) { return tgaFile(p, false, false); }},
                      Layout{"top_down_24.tga", [](const Picture& p) { return tgaFile(p, false, true); }},
                      Layout{"bottom_up_32.tga", [](const Picture& p) { return tgaFile(p, true, false); }},
                      Layout{"top_down_32.tga", [](const Picture& p) { return tgaFile(p, true, true); }},
                      Layout{"bottom_up.bmp", [](const Picture& p) { return bmpFile(p, false); }},
                      Layout{"top_down.bmp", [](const Picture& p) { return bmpFile(p, true); }}),
    [](const ::testing::TestParamInfo<Layout>& info) {
      std::string name = info.param.name;
      for (char& c : name) {
        if (c == '.') c = '_';
      }
      return name;
    });

// --- What DevIL reports -------------------------------------------------

TEST_F(TexturePixelTest, ThirtyTwoBitTgaHasAlpha) {
  auto texture = load("alpha.tga", tgaFile(Picture(8, 4, kRed), true, false));
  EXPECT_TRUE(texture->hasAlpha());
  EXPECT_EQ(texture->bitsPerPixel(), 32);
  EXPECT_EQ(texture->width(), 8);
  EXPECT_EQ(texture->height(), 4);
  EXPECT_NE(texture->glTexture(), 0u);
  EXPECT_NE(texture->image(), kNoName);
}

TEST_F(TexturePixelTest, TwentyFourBitFilesHaveNoAlpha) {
  EXPECT_FALSE(load("plain.tga", tgaFile(Picture(8, 4, kRed), false, false))->hasAlpha());
  auto bmp = load("plain.bmp", bmpFile(Picture(8, 4, kRed), false));
  EXPECT_FALSE(bmp->hasAlpha());
  EXPECT_EQ(bmp->bitsPerPixel(), 24);
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

TEST_F(TexturePixelTest, MissingFileSaysSoOnceAndBindsNothingStale) {
  auto good = load("good.tga", tgaFile(Picture(4, 4, kRed), false, false));
  const std::string path = (folder.path() / "imgs/none.tga").string();
  testing::internal::CaptureStdout();
  Texture missing(path);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "No se pudo cargar la imagen " + path + "\n");
  EXPECT_EQ(missing.glTexture(), 0u);
  EXPECT_EQ(missing.image(), kNoName);
  EXPECT_EQ(missing.width(), 0);
  EXPECT_EQ(missing.height(), 0);
  EXPECT_FALSE(missing.hasAlpha());

  good->bind();
  missing.bind();
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);

  drawCentered(missing, 512, 384, 1.0f);
  EXPECT_TRUE(colourNear(pixel(512, 384), kBlack, 0));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TexturePixelTest, UndecodableFileSaysSoOnce) {
  const std::string junk = "this is not a picture at all, only words";
  for (const char* name : {"junk.tga", "junk.bmp", "junk.png"}) {
    const std::string path = folder.write(name, junk).string();
    testing::internal::CaptureStdout();
    Texture texture(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No se pudo cargar la imagen " + path + "\n");
    EXPECT_EQ(texture.glTexture(), 0u);
  }
  // DevIL is left fit for the next image.
  auto good = load("after.tga", tgaFile(Picture(4, 4, kRed), false, false));
  EXPECT_NE(good->glTexture(), 0u);
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

TEST_F(TexturePixelTest, UploadAgainReplacesTheOpenGlTexture) {
  auto texture = load("again.tga", tgaFile(quadrants(64, 64), false, false));
  const GLuint first = texture->glTexture();
  texture->upload();
  EXPECT_NE(texture->glTexture(), 0u);
  if (texture->glTexture() != first) {
    EXPECT_FALSE(glIsTexture(first));
  }
  drawCentered(*texture, 512, 384, 1.0f);
  EXPECT_TRUE(colourNear(pixel(490, 406), kRed));
}

TEST_F(TexturePixelTest, DestructorReleasesTheOpenGlTexture) {
  GLuint name = 0;
  {
    auto texture = load("gone.tga", tgaFile(Picture(4, 4, kRed), false, false));
    name = texture->glTexture();
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
