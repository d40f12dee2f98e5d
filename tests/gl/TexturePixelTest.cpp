// Textures decoded from files of each layout, uploaded and drawn for real,
// read back pixel by pixel.

#include "engine/Texture.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "TestImages.h"
#include "app/match/MatchState.h"
#include "engine/ImageTextureFactory.h"

namespace {

class TexturePixelTest : public GlTest {
 protected:
  std::shared_ptr<Texture> load(const std::string& name, const std::string& bytes) {
    return std::make_shared<Texture>(folder.write(name, bytes).string());
  }
};

// Four quadrants, so that a flip in either direction shows.
Picture quadrants(int width, int height) {
  Picture picture(width, height, kRed);
  picture.paint(width / 2, 0, width, height / 2, kGreen);
  picture.paint(0, height / 2, width / 2, height, kBlue);
  picture.paint(width / 2, height / 2, width, height, kYellow);
  return picture;
}

TEST_F(TexturePixelTest, EveryFileLayoutComesOutUprightAndOnlyThirtyTwoBitsHaveAlphaThatBlendsAway) {
  // A transparent left edge; a white right column and top row that the
  // picture stops one texel short of: the right-most screen column samples
  // u = 63.5/65, texel 62.5 of 64, the middle of the one before the white.
  Picture picture = quadrants(64, 64);
  picture.paint(0, 0, 8, 64, Rgba{255, 255, 255, 0});
  picture.paint(63, 0, 64, 64, kWhite);
  picture.paint(0, 0, 64, 1, kWhite);
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
    drawTextured([&] { texture->drawCentered(512, 384, 1.0f); });
    // x 480..544, y 352..416, the picture's top row at y 415.
    expectPixels({{490, 406, kRed}, {534, 406, kGreen}, {490, 362, kBlue}, {534, 362, kYellow},
                  {482, 384, texture->hasAlpha() ? kBlack : kWhite}, {543, 400, kGreen}, {500, 415, kRed}});
    expectPixels({{479, 384, kBlack}, {544, 384, kBlack}, {512, 351, kBlack}, {512, 416, kBlack}}, 0);
  }
}

TEST_F(TexturePixelTest, MinificationUsesTheMipmapsAndAnotherUploadOrTheFactoryMakesAFreshTexture) {
  GLuint name = 0;
  {
    auto texture = load("mip.tga", tgaFile(Picture(64, 64, kGreen), false, false));
    const GLuint first = texture->glTexture();
    texture->upload();
    name = texture->glTexture();
    // The second upload replaces the first texture rather than leaking it.
    EXPECT_TRUE(name != 0 && (name == first || !glIsTexture(first)));
    texture->bind();
    GLint filter = 0, width = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 6, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(width, 1);  // the smallest level exists and holds the picture's colour
    drawTextured([&] { texture->drawCentered(512, 384, 1.0f / 16.0f); });
    EXPECT_TRUE(colourNear(pixel(511, 383), kGreen));
    ImageTextureFactory factory;
    auto one = factory.create(texture->path()), two = factory.create(texture->path());
    EXPECT_TRUE(one != two && one->glTexture() != two->glTexture() && one->path() == texture->path());
  }
  EXPECT_FALSE(glIsTexture(name));  // released with the texture
}

// The match's factory too: a material whose picture is missing must not draw
// with the texture that the material before it bound.
TEST_F(TexturePixelTest, MissingUndecodableOrTruncatedFilesSaySoOnceAndBindAndDrawNothing) {
  auto good = load("good.tga", tgaFile(Picture(4, 4, kRed), false, false));
  for (const char* name : {"junk.tga", "junk.bmp", "junk.png"}) folder.write(name, "not a picture, only words");
  const std::shared_ptr<TextureFactory> factories[] = {std::make_shared<ImageTextureFactory>(), matchTextureFactory()};
  for (const auto& factory : factories) {
    for (const char* name : {"imgs/none.tga", "junk.tga", "junk.bmp", "junk.png"}) {
      SCOPED_TRACE(name);
      const std::string path = (folder.path() / name).string();
      testing::internal::CaptureStdout();
      const std::shared_ptr<Texture> broken = factory->create(path);
      EXPECT_EQ(testing::internal::GetCapturedStdout(), "No se pudo cargar la imagen " + path + "\n");
      EXPECT_TRUE(broken->glTexture() == 0 && broken->image() == kNoName && broken->width() == 0 &&
                  !broken->hasAlpha());
      good->bind();
      broken->bind();
      GLint bound = -1;
      glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
      EXPECT_EQ(bound, 0);
      drawTextured([&] { broken->drawCentered(512, 384, 1.0f); });
      EXPECT_TRUE(colourNear(pixel(512, 384), kBlack, 0));
    }
  }
  const std::string whole = tgaFile(quadrants(64, 64), true, false);
  for (size_t size : {size_t{0}, size_t{5}, size_t{18}, size_t{19}, whole.size() / 2, whole.size() - 1}) {
    testing::internal::CaptureStdout();
    auto texture = load("cut.tga", whole.substr(0, size));
    testing::internal::GetCapturedStdout();
    drawTextured([&] { texture->drawCentered(512, 384, 1.0f); });
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  // DevIL is left fit for the next image.
  EXPECT_NE(load("after.tga", tgaFile(Picture(4, 4, kRed), false, false))->glTexture(), 0u);
}

}  // namespace
