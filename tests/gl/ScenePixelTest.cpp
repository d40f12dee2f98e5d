// The scene's passes drawn for real and read back. A camera at the origin
// looks down -z at squares 500 to 600 units away; with the test light a
// square facing it shows its diffuse colour exactly, and an alpha texture of
// 128 lets half of what is behind show through. 200 units aside at 500 away
// lie 0.4 / tan(22.5 degrees) of the 384-pixel half-height from the centre.

#include "engine/Scene.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "SceneFrame.h"
#include "TestImages.h"
#include "app/Window.h"
#include "engine/ScreenFade.h"
#include "engine/ToonMaterial.h"

namespace {

const int kAside200 = int(0.4 / 0.41421356 * kCentreY);

class ScenePixelTest : public ScenePixelTestBase {
 protected:
  void SetUp() override {
    ScenePixelTestBase::SetUp();
    testing::internal::CaptureStdout();
    scene = sceneWithEye();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // with a window the scene is built silently
  }
  static std::shared_ptr<SceneObject> square(float half, float x, float y, float z,
                                             const std::shared_ptr<Material>& material) {
    return placed(squareObject("square", half), x, y, z, material);
  }
  void frame(Rgba background = kBackground, uint32_t stepMs = 16) {
    beginSceneFrame(background);
    scene->update(stepMs);
    scene->draw();
  }
};

TEST_F(ScenePixelTest, OpaqueSurfacesShowUnblendedBehindTransparentOnesThatBlendFarthestFirst) {
  // The transparent squares are added first, the nearer one before the
  // farther; only the pass order can put the opaque wall into the picture
  // before them. Blue over green over red at the centre; green over red
  // beside the near one; the red wall and the opaque textured poster alone.
  auto nearGlass = diffuseMaterial({0, 0, 1}), farGlass = diffuseMaterial({0, 1, 0}), wall = diffuseMaterial({1, 0, 0});
  auto poster = diffuseMaterial({0, 0, 1});
  for (const auto& glass : {nearGlass, farGlass}) glass->setTexture(whiteTexture(folder, 128));
  poster->setTexture(whiteTexture(folder, 255));
  ASSERT_TRUE(nearGlass->hasAlphaTexture() && !poster->hasAlphaTexture());
  scene->addModel(modelOf({square(100, 0, 0, -500, nearGlass), square(150, 0, 0, -550, farGlass),
                           square(300, 0, 0, -600, wall), square(50, 0, 200, -500, poster)},
                          {nearGlass, farGlass, wall, poster}));
  frame();
  expectPixels({{kCentreX, kCentreY, Rgba{64, 64, 128, 255}}, {kCentreX + 210, kCentreY, Rgba{128, 128, 0, 255}},
                {kCentreX + 300, kCentreY, kRed}, {kCentreX, kCentreY + kAside200, kBlue}}, 8);
}

TEST_F(ScenePixelTest, AnEffectShowsAtItsPlacementUntilItsClipHasRunOnceAndIsThenGone) {
  auto flash = diffuseMaterial({0, 1, 0});
  auto effect = modelOf({square(50, 0, 0, 0, flash)}, {flash});
  effect->root->addAnimation(500);
  scene->spawnEffect(scene->addEffectTemplate(effect), translate(Matrix(), 200, 0, -500));
  for (int age = 100; age <= 600; age += 100) {
    frame(kBackground, 100);
    expectPixels({{kCentreX + kAside200, kCentreY, age <= 500 ? kGreen : kBackground},
                  {kCentreX, kCentreY, kBackground}}, 8);
    EXPECT_EQ(scene->effects().size(), age <= 500 ? 1u : 0u) << "at " << age << " ms";
  }
}

// A red sphere of radius 100 at 500 units, lit flat (ambient colour only):
// its silhouette's angular radius is asin(0.2), which is
// tan(asin(0.2)) / tan(22.5 degrees) of the 384-pixel half-height.
TEST_F(ScenePixelTest, ACartoonSilhouetteHasAThinBlackRingJustOutsideAndNoBlackInside) {
  auto toon = diffuseMaterial({0, 0, 0}, std::make_shared<ToonMaterial>());
  toon->setAmbient({1, 0, 0});
  scene->addModel(modelOf({placed(sphereObject("Cabeza", 100, 48, 24), 0, 0, -500, toon)}, {toon}));
  frame(kWhite);
  const double r = std::tan(std::asin(0.2)) / std::tan(22.5 * M_PI / 180.0) * kCentreY;
  // Along rows and columns from all four sides, through the centre and off
  // it; a diagonal walk could step between the pixels of a staircase.
  const int right = GlTestContext::kWidth - 1, top = GlTestContext::kHeight - 1;
  const struct {
    int x, y, dx, dy;
  } walks[] = {{0, kCentreY, 1, 0},       {right, kCentreY, -1, 0},     {kCentreX, 0, 0, 1},
               {kCentreX, top, 0, -1},    {0, kCentreY + 120, 1, 0},    {right, kCentreY - 120, -1, 0},
               {kCentreX + 120, 0, 0, 1}, {kCentreX - 120, top, 0, -1}, {0, kCentreY - 150, 1, 0}};
  for (const auto& w : walks) {
    SCOPED_TRACE(testing::Message() << "walking from (" << w.x << ", " << w.y << ")");
    int x = w.x, y = w.y;
    while (colourNear(pixel(x, y), kWhite, 25) && std::abs(x - kCentreX) + std::abs(y - kCentreY) > 0) {
      x += w.dx;
      y += w.dy;
    }
    int blackRun = 0;
    for (; colourNear(pixel(x, y), kBlack, 63); x += w.dx, y += w.dy) ++blackRun;
    // Two pixels across the ring, a little more where it is crossed aslant;
    // its inner edge is the silhouette.
    EXPECT_GE(blackRun, 1);
    EXPECT_LE(blackRun, 4);
    EXPECT_NEAR(std::hypot(x - kCentreX, y - kCentreY), r, 3.0);
    EXPECT_TRUE(colourNear(pixel(x, y), kRed, 40));
  }
  for (int y = kCentreY - 200; y <= kCentreY + 200; y += 3) {
    for (int x = kCentreX - 200; x <= kCentreX + 200; x += 3) {
      if (std::hypot(x - kCentreX, y - kCentreY) > r - 3) continue;
      ASSERT_TRUE(colourNear(pixel(x, y), kRed, 40)) << "at (" << x << ", " << y << ")";
    }
  }
}

TEST_F(ScenePixelTest, TheOutlinePassLeavesTheStateTheScenesPassesExpect) {
  // An unusual back face mode and depth test, so that their restoring shows;
  // an empty material still runs the whole outline pass.
  glPolygonMode(GL_BACK, GL_POINT);
  glDepthFunc(GL_LEQUAL);
  ToonMaterial empty;
  empty.apply();
  empty.drawObjects(Matrix());
  ToonMaterial::beginOutlinePass();
  empty.drawOutlines(Matrix());
  ToonMaterial::endOutlinePass();
  GLint polygonModes[2] = {0, 0}, depthFunc = 0, cullFaceMode = 0;
  GLfloat depthRange[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, polygonModes);
  glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
  glGetFloatv(GL_DEPTH_RANGE, depthRange);
  glGetIntegerv(GL_CULL_FACE_MODE, &cullFaceMode);
  EXPECT_TRUE(polygonModes[0] == GL_FILL && polygonModes[1] == GL_POINT && depthFunc == GL_LESS);
  EXPECT_TRUE(depthRange[0] == 0 && depthRange[1] == 1 && cullFaceMode == GL_BACK);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), kBackground, 0));
}

// A flat rectangle in overlay units.
class Patch : public Overlay {
 public:
  Patch(float x0, float y0, float x1, float y1, Rgba colour) : x0(x0), y0(y0), x1(x1), y1(y1), colour(colour) {}
  void draw2D() override { fillRect(x0, y0, x1, y1, colour); }
  void update(uint32_t) override {}
  float x0, y0, x1, y1;
  Rgba colour;
};

// Overlay units to the pixel they fall on in a window of any shape: the
// overlay space fitted whole, centred, its proportions kept.
std::pair<int, int> overlayPixel(double x, double y, int width, int height) {
  const double scale = std::min(width / 1024.0, height / 768.0);
  return {int(width / 2.0 + (x - 512) * scale), int(height / 2.0 + (y - 384) * scale)};
}

TEST_F(ScenePixelTest, OverlaysKeepTheirProportionsCentredInAnyWindowInTheOrderAddedAndAFadeCoversItAll) {
  // The upper right quarter of the overlay space, and a later square over
  // part of it (128 units a side), in a scene without a camera.
  scene = std::make_unique<Scene>();
  scene->addOverlay(std::make_shared<Patch>(512, 384, 1024, 768, kYellow));
  scene->addOverlay(std::make_shared<Patch>(768, 576, 896, 704, kBlue));
  auto cover = std::make_shared<ScreenFade>();
  cover->startFade(0, 0, 0, 0, 0);  // clear
  scene->addOverlay(cover);
  for (auto [width, height] : {std::pair{1024, 768}, {800, 600}, {320, 240}, {1000, 400}, {500, 700}}) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    beginSceneFrame(kBlack, width, height);
    scene->draw();
    const auto at = [&](double x, double y, Rgba colour) {
      const auto [px, py] = overlayPixel(x, y, width, height);
      return Probe{px, py, colour};
    };
    // The square stays square: as many pixels across as up.
    expectPixels({at(520, 392, kYellow), at(504, 376, kBlack), at(1016, 760, kYellow), at(772, 580, kBlue),
                  at(892, 700, kBlue), at(900, 640, kYellow), at(830, 708, kYellow)},
                 8);
    // Beside the overlay space (a wide window) or above it (a tall one),
    // the quarter does not reach.
    if (width * 3 > height * 4) expectPixels({at(1030, 700, kBlack)}, 8);
    if (width * 3 < height * 4) expectPixels({at(1000, 780, kBlack)}, 8);
  }
  // A fade covers the bands beside the overlay space too.
  cover->startFade(0, 0, 1, 1, 0);
  beginSceneFrame(kBlack, 1000, 400);
  scene->draw();
  expectPixels({{5, 5, kBlue}, {995, 395, kBlue}}, 8);
  scene->removeOverlay(cover);
  // The pass leaves depth test and lighting on for the next frame's 3D passes.
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_LIGHTING));

  const auto yellowQuarter = [this] {
    beginSceneFrame(kBlack);
    scene->draw();
    return pixel(600, 400);
  };
  yellowQuarter();
  const uint32_t callsWithoutFade = scene->drawCallsLastFrame();
  auto fade = std::make_shared<ScreenFade>();
  scene->addOverlay(fade);
  EXPECT_TRUE(colourNear(yellowQuarter(), kBlack, 4));  // a new fade is opaque black
  fade->startFade(0, 0, 0, 0.5f, 0);  // no time: at once
  EXPECT_TRUE(colourNear(yellowQuarter(), Rgba{128, 128, 0, 255}, 4));
  fade->startFade(0, 0, 1, 1, 0);  // in its own colour
  EXPECT_TRUE(colourNear(yellowQuarter(), kBlue, 4));
  fade->startFade(1, 1, 1, 0, 0);  // clear: the picture as it is, and nothing drawn for it
  EXPECT_TRUE(colourNear(yellowQuarter(), kYellow, 4));
  EXPECT_EQ(scene->drawCallsLastFrame(), callsWithoutFade);
}

// The camera shows at least its 4:3 picture, undistorted, in a window of
// any shape: a square 100 units from its centre to a side, 500 units away,
// stands as many pixels across as up, and in a tall window the picture grows
// upwards and downwards instead of being cut at the sides.
TEST_F(ScenePixelTest, TheCameraKeepsSquaresSquareInAWideAndInATallWindow) {
  const auto wall = diffuseMaterial({1, 0, 0});
  scene->addModel(modelOf({square(100, 0, 0, -500, wall)}, {wall}));
  const double tanHalfFov = 0.41421356;  // 45 degrees
  for (auto [width, height] : {std::pair{1024, 768}, {1000, 400}, {400, 600}}) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    const double aspect = double(width) / height;
    const double verticalReach = aspect >= 4.0 / 3.0 ? tanHalfFov : tanHalfFov * (4.0 / 3.0) / aspect;
    const int half = int(0.2 / verticalReach * height / 2);  // the square's half side in pixels
    beginSceneFrame(kBlack, width, height);
    scene->update(16);
    scene->draw();
    const int cx = width / 2, cy = height / 2;
    expectPixels({{cx + half - 4, cy, kRed}, {cx + half + 4, cy, kBlack}, {cx, cy + half - 4, kRed},
                  {cx, cy + half + 4, kBlack}, {cx - half + 4, cy, kRed}, {cx - half - 4, cy, kBlack}},
                 8);
  }
}

// The box of the window's reshape callback: a point maps to clip x = -1 at 0
// and +1 at the box width, so the width is 2 / m[0], the height 2 / m[5].
TEST_F(ScenePixelTest, TheReshapeBoxHasAShortSideOf250AndTakesZeroHeightAsOne) {
  glMatrixMode(GL_MODELVIEW);
  for (auto [width, height, boxWidth, boxHeight] :
       {std::tuple{1000, 500, 500.0, 250.0}, {300, 600, 250.0, 500.0}, {640, 0, 640 * 250.0, 250.0}}) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    reshapeWindow(width, height);
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    // The driver keeps its matrices in single precision.
    EXPECT_NEAR(2.0 / m[0], boxWidth, boxWidth * 1e-6);
    EXPECT_NEAR(2.0 / m[5], boxHeight, boxHeight * 1e-6);
  }
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[3], 1);
  glLoadIdentity();
}

}  // namespace
