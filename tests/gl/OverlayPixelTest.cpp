// The overlay pass drawn for real: the 1024 x 768 overlay space fills the
// viewport whatever the window's size, overlays draw over the 3D picture in
// the order added, and a fade darkens, half-covers and finally uncovers the
// picture as its alpha runs from 1 to 0.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "GlTestContext.h"
#include "SceneFrame.h"
#include "TestImages.h"
#include "engine/Scene.h"
#include "engine/ScreenFade.h"

namespace {

// A flat rectangle in overlay units.
class Patch : public Overlay {
 public:
  Patch(float x0, float y0, float x1, float y1, Rgba colour) : x0(x0), y0(y0), x1(x1), y1(y1), colour(colour) {}
  void draw2D() override {
    glDisable(GL_TEXTURE_2D);
    glColor4ub(colour.r, colour.g, colour.b, 255);
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
  }
  void update(uint32_t) override {}

 private:
  float x0, y0, x1, y1;
  Rgba colour;
};

class OverlayPixelTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (HasFatalFailure()) return;
    scene = std::make_unique<Scene>();
  }
  void TearDown() override { SceneFrame::end(); }

  std::unique_ptr<Scene> scene;
};

TEST_F(OverlayPixelTest, TheOverlaySpaceFillsTheViewportWhateverItsSize) {
  // The upper right quarter of the overlay space.
  scene->addOverlay(std::make_shared<Patch>(512, 384, 1024, 768, kYellow));
  const struct {
    int width, height;
  } windows[] = {{1024, 768}, {800, 600}, {640, 480}, {320, 240}, {1000, 400}};
  for (const auto& window : windows) {
    SCOPED_TRACE(testing::Message() << window.width << " x " << window.height);
    SceneFrame::begin(kBlack, window.width, window.height);
    scene->draw();
    const int midX = window.width / 2;
    const int midY = window.height / 2;
    expectPixels({{midX + 2, midY + 2, kYellow}, {window.width - 1, window.height - 1, kYellow},
                  {midX - 3, midY - 3, kBlack}, {midX + 2, midY - 3, kBlack}, {midX - 3, midY + 2, kBlack}}, 8);
  }
}

TEST_F(OverlayPixelTest, OverlaysDrawOverTheSceneInTheOrderAdded) {
  SceneFrame::begin(kBlack);
  scene->addOverlay(std::make_shared<Patch>(0, 0, 600, 600, kRed));
  scene->addOverlay(std::make_shared<Patch>(300, 300, 900, 700, kBlue));
  scene->draw();
  EXPECT_TRUE(colourNear(pixel(100, 100), kRed, 8));
  EXPECT_TRUE(colourNear(pixel(450, 450), kBlue, 8));  // the later one on top
  EXPECT_TRUE(colourNear(pixel(800, 650), kBlue, 8));
  // The pass leaves depth test and lighting on for the next frame's 3D passes.
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST_F(OverlayPixelTest, AFadeFromOneToZeroUncoversThePictureIn125StepsAndCoversItInItsColour) {
  // A white picture under the fade.
  scene->addOverlay(std::make_shared<Patch>(0, 0, 1024, 768, kWhite));
  auto fade = std::make_shared<ScreenFade>();
  scene->addOverlay(fade);
  const auto frame = [this] {
    SceneFrame::begin(kBlack);
    scene->draw();
    return pixel(512, 384);
  };

  // A new fade is opaque black.
  EXPECT_TRUE(colourNear(frame(), kBlack, 4));
  fade->startFade(0, 0, 0, 0, 2.0f);
  for (int step = 0; step < 62; ++step) scene->update(16);
  // 62 of 125 steps: a little over half the black is left.
  EXPECT_TRUE(colourNear(frame(), Rgba{127, 127, 127, 255}, 6));
  for (int step = 62; step < 126; ++step) scene->update(16);
  EXPECT_TRUE(colourNear(frame(), kWhite, 0));
  // A fade of no time covers the picture at once, in its own colour.
  fade->startFade(0, 0, 1, 1, 0);
  EXPECT_TRUE(colourNear(frame(), kBlue, 4));
}

}  // namespace
