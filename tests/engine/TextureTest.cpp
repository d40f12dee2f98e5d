// Textures that never reach OpenGL (the readers' test double) and where a
// centred picture lands; the pixels themselves are checked in tests/gl.

#include "engine/Texture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/TextureFactory.h"

namespace {

TEST(UndecodedTextureTest, RecordingFactoryGivesTexturesThatStayOffOpenGl) {
  RecordingTextureFactory factory;
  factory.markAlpha("a.tga");
  factory.setSize("a.tga", 64, 32);
  const auto alpha = factory.create("a.tga");
  const auto plain = factory.create("b.bmp");
  EXPECT_EQ(factory.paths(), (std::vector<std::string>{"a.tga", "b.bmp"}));
  EXPECT_EQ(alpha->path(), "a.tga");
  EXPECT_TRUE(alpha->hasAlpha());
  EXPECT_EQ(alpha->width(), 64);
  EXPECT_EQ(alpha->height(), 32);
  EXPECT_FALSE(plain->hasAlpha());
  EXPECT_EQ(plain->width(), 0);
  EXPECT_EQ(alpha->glTexture(), 0u);
  EXPECT_EQ(alpha->image(), kNoName);
  EXPECT_EQ(Texture::undecoded("x.tga", -5, -1)->height(), 0);
  // No OpenGL context exists in this test: these must not reach OpenGL.
  alpha->upload();
  alpha->bind();
  alpha->drawCentered(512, 384, 1);
}

TEST(CenteredQuadTest, ImageCoversItsSizeAroundThePointWithTheCornerTruncatedTowardsZero) {
  const CenteredQuad q = centeredQuad(256, 128, 512, 384, 1.0f);
  EXPECT_EQ(q.x0, 384);
  EXPECT_EQ(q.y0, 320);
  EXPECT_FLOAT_EQ(q.x0 + q.width, 640);
  EXPECT_FLOAT_EQ(q.y0 + q.height, 448);
  EXPECT_FLOAT_EQ(q.uMax, 256.0f / 257.0f);
  EXPECT_FLOAT_EQ(q.vMax, 128.0f / 129.0f);
  // 101 * 0.5 = 50.5; half of it, -25.25, truncates to -25 (not -26).
  const CenteredQuad half = centeredQuad(101, 101, 512, 384, 0.5f);
  EXPECT_EQ(half.x0, 512 - 25);
  EXPECT_EQ(half.y0, 384 - 25);
  EXPECT_FLOAT_EQ(half.width, 50.5f);
  const CenteredQuad empty = centeredQuad(0, 0, 10, 10, 1.0f);
  EXPECT_FLOAT_EQ(empty.width, 0);
  EXPECT_FLOAT_EQ(empty.uMax, 0);
}

}  // namespace
