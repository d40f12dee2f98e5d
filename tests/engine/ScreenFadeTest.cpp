// The fade's arithmetic, step by step (how far alpha moves in each 16 ms
// step, that it lands on the target exactly and then stops, and that a fade
// of no time cannot divide by zero), and textures that never reach OpenGL
// (the readers' test double) with where a centred picture lands; the pixels
// themselves are checked in tests/gl.

#include "engine/ScreenFade.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/TextureFactory.h"

namespace {

TEST(ScreenFadeTest, ANewFadeIsOpaqueBlackAndEachFadeLandsExactlyOnItsTargetAndStops) {
  ScreenFade fade;
  fade.update(16);
  EXPECT_TRUE(fade.alpha() == 1 && fade.red() + fade.green() + fade.blue() == 0);
  // 16 ms of 2 s is 0.008 a step: 125 steps, give or take the rounding of
  // the last one; 0.75 up in 1 s is 0.012 a step: 62.5 steps.
  const struct {
    float alpha, seconds, speed, perStep;
    int steps;
  } fades[] = {{0, 2, -0.5f, -0.008f, 125}, {0.75f, 1, 0.75f, 0.012f, 63}};
  for (const auto& f : fades) {
    fade.startFade(1, 1, 1, f.alpha, f.seconds);
    EXPECT_FLOAT_EQ(fade.speed(), f.speed);
    int steps = 0;
    for (; fade.isFading() && steps < 1000; ++steps) {
      const float before = fade.alpha();
      fade.update(16);
      EXPECT_NEAR(fade.alpha() - before, f.perStep, fade.isFading() ? 1e-5f : std::fabs(f.perStep)) << steps;
    }
    EXPECT_NEAR(steps, f.steps, 1);
    fade.update(16);
    EXPECT_TRUE(fade.alpha() == f.alpha && fade.speed() == 0) << f.alpha;
  }
  fade.startFade(0, 0, 0, 0, 1);
  fade.update(5000);  // a long step never overshoots
  EXPECT_TRUE(fade.alpha() == 0 && !fade.isFading());
  for (float seconds : {0.0f, -3.0f}) {  // no time: at once, without dividing by zero
    fade.startFade(0, 0, 1, 0.25f, seconds);
    EXPECT_TRUE(fade.alpha() == 0.25f && fade.speed() == 0 && !fade.isFading() && fade.blue() == 1) << seconds;
  }
}

TEST(TextureTest, TheRecordingFactorysTexturesStayOffOpenGlAndACentredPictureTruncatesItsCornerTowardsZero) {
  RecordingTextureFactory factory;
  factory.setSize("a.tga", 64, 32);
  const auto texture = factory.create("a.tga");
  EXPECT_TRUE(texture->width() == 64 && texture->height() == 32 && texture->glTexture() == 0);
  EXPECT_EQ(texture->image(), kNoName);
  EXPECT_EQ(Texture::undecoded("x.tga", -5, -1)->height(), 0);
  // No OpenGL context exists in this test: these must not reach OpenGL.
  texture->upload();
  texture->bind();
  texture->drawCentered(512, 384, 1);
  const CenteredQuad q = centeredQuad(256, 128, 512, 384, 1.0f);
  EXPECT_TRUE(q.x0 == 384 && q.y0 == 320 && q.width == 256 && q.height == 128);
  EXPECT_TRUE(q.uMax == 256.0f / 257.0f && q.vMax == 128.0f / 129.0f);
  // 101 * 0.5 = 50.5; half of it, -25.25, truncates to -25 (not -26).
  const CenteredQuad half = centeredQuad(101, 101, 512, 384, 0.5f);
  EXPECT_TRUE(half.x0 == 512 - 25 && half.y0 == 384 - 25 && half.width == 50.5f);
  EXPECT_EQ(centeredQuad(0, 0, 10, 10, 1.0f).uMax, 0);
}

}  // namespace
