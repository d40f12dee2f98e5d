// The cartoon outline drawn for real: a flat red sphere on white gets a thin
// black ring just outside its silhouette and no black anywhere inside, and
// the outline pass hands the next material the OpenGL state it expects.
//
// The sphere (radius 100, 500 units in front of a camera at the origin)
// shows at 10 / 50 of the view distance: its silhouette's angular radius is
// asin(0.2), which is tan(asin(0.2)) / tan(22.5 degrees) of the 384-pixel
// half-height, about 189 pixels.

#include "engine/ToonMaterial.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>

#include "GlTestContext.h"
#include "SceneFrame.h"
#include "TestImages.h"
#include "engine/Camera.h"
#include "engine/Scene.h"

namespace {

bool isBlack(const Rgba& c) { return c.r < 64 && c.g < 64 && c.b < 64; }
bool isWhite(const Rgba& c) { return c.r > 230 && c.g > 230 && c.b > 230; }

double expectedRadius() {
  const double half = std::asin(0.2);
  return std::tan(half) / std::tan(22.5 * M_PI / 180.0) * kCentreY;
}

// What one line through the picture crosses, from outside in.
struct Crossing {
  int firstMark = -1;   // first pixel that is not background
  int blackRun = 0;     // black pixels from there on
  int bodyStart = -1;   // first pixel after them
};

// Walks from (x, y) in steps of (dx, dy) until something other than the
// white background shows, then counts the black pixels there.
Crossing walkIn(int x, int y, int dx, int dy) {
  Crossing crossing;
  for (int i = 0; i < 1000; ++i, x += dx, y += dy) {
    if (x < 0 || y < 0 || x >= GlTestContext::kWidth || y >= GlTestContext::kHeight) return crossing;
    const Rgba c = GlTestContext::pixel(x, y);
    if (crossing.firstMark < 0) {
      if (isWhite(c)) continue;
      crossing.firstMark = i;
    }
    if (!isBlack(c)) {
      crossing.bodyStart = i;
      return crossing;
    }
    ++crossing.blackRun;
  }
  return crossing;
}

class ToonOutlinePixelTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (HasFatalFailure()) return;
    SceneFrame::begin(kWhite);
    scene = sceneWithEye();
  }
  void TearDown() override { SceneFrame::end(); }

  // A red sphere lit flat (ambient colour only), in `material`.
  void addSphere(std::shared_ptr<Material> material) {
    material->setAmbient({1, 0, 0});
    material->setDiffuse({0, 0, 0});
    material->setSpecular({0, 0, 0});
    auto sphere = sphereObject("Cabeza", 100, 48, 24);
    placeAt(*sphere, 0, 0, -500);
    useMaterial(sphere, material);
    scene->addModel(modelOf({sphere}, {material}));
    scene->update(16);
    scene->draw();
  }

  std::unique_ptr<Scene> scene;
};

TEST_F(ToonOutlinePixelTest, TheSilhouetteHasAThinBlackRingJustOutsideAndNoBlackInside) {
  addSphere(std::make_shared<ToonMaterial>());
  const int r = int(std::lround(expectedRadius()));
  // Along rows and columns from all four sides, through the centre and off
  // it, so that the ring is crossed at several angles. (A walk along a
  // diagonal could step between the pixels of a one-pixel staircase.)
  const int right = GlTestContext::kWidth - 1;
  const int top = GlTestContext::kHeight - 1;
  const struct {
    int x, y, dx, dy;
  } walks[] = {
      {0, kCentreY, 1, 0},          {right, kCentreY, -1, 0},      {kCentreX, 0, 0, 1},
      {kCentreX, top, 0, -1},       {0, kCentreY + 120, 1, 0},     {right, kCentreY - 120, -1, 0},
      {kCentreX + 120, 0, 0, 1},    {kCentreX - 120, top, 0, -1},  {0, kCentreY - 150, 1, 0},
  };
  for (const auto& w : walks) {
    const Crossing crossing = walkIn(w.x, w.y, w.dx, w.dy);
    SCOPED_TRACE(testing::Message() << "walking from (" << w.x << ", " << w.y << ")");
    ASSERT_GE(crossing.firstMark, 0);
    EXPECT_GE(crossing.blackRun, 1);
    // Two pixels across the ring, a little more where it is crossed aslant.
    EXPECT_LE(crossing.blackRun, 4);
    ASSERT_GE(crossing.bodyStart, 0);
    // The ring's inner edge is the silhouette.
    const int sx = w.x + w.dx * crossing.bodyStart - kCentreX;
    const int sy = w.y + w.dy * crossing.bodyStart - kCentreY;
    EXPECT_NEAR(std::hypot(sx, sy), r, 3.0);
    EXPECT_TRUE(colourNear(GlTestContext::pixel(kCentreX + sx, kCentreY + sy), kRed, 40));
  }
  int checked = 0;
  for (int y = kCentreY - 200; y <= kCentreY + 200; y += 3) {
    for (int x = kCentreX - 200; x <= kCentreX + 200; x += 3) {
      if (std::hypot(x - kCentreX, y - kCentreY) > r - 3) continue;
      ++checked;
      ASSERT_TRUE(colourNear(pixel(x, y), kRed, 40)) << "at (" << x << ", " << y << ")";
    }
  }
  EXPECT_GT(checked, 10000);
}

// --- The state the pass leaves ---------------------------------------------------

TEST_F(ToonOutlinePixelTest, AnEmptyToonMaterialChangesNoPixelAndLeavesTheStateAsTheScenesPassesExpect) {
  glPolygonMode(GL_FRONT, GL_FILL);
  glPolygonMode(GL_BACK, GL_POINT);  // an unusual mode, so that its restoring shows
  glDepthFunc(GL_LEQUAL);
  ToonMaterial empty;
  empty.apply();
  empty.drawObjects(Matrix());
  GLint polygonModes[2] = {0, 0}, depthFunc = 0, cullFaceMode = 0;
  GLfloat depthRange[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, polygonModes);
  glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
  glGetFloatv(GL_DEPTH_RANGE, depthRange);
  glGetIntegerv(GL_CULL_FACE_MODE, &cullFaceMode);
  EXPECT_EQ(polygonModes[0], GL_FILL);
  EXPECT_EQ(polygonModes[1], GL_POINT);
  EXPECT_EQ(depthFunc, GL_LESS);
  EXPECT_EQ(depthRange[0], 0.0f);
  EXPECT_EQ(depthRange[1], 1.0f);
  EXPECT_EQ(cullFaceMode, GL_BACK);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  for (int x = 0; x < GlTestContext::kWidth; x += 97) {
    for (int y = 0; y < GlTestContext::kHeight; y += 89) ASSERT_TRUE(isWhite(pixel(x, y)));
  }
}

TEST_F(ToonOutlinePixelTest, AfterTheOutlineAFollowingMaterialsBackFacesAreFilled) {
  auto toon = std::make_shared<ToonMaterial>();
  auto sphere = sphereObject("Cabeza", 50, 24, 12);
  placeAt(*sphere, 150, 0, -500);
  useMaterial(sphere, toon);
  auto plain = diffuseMaterial({0, 0, 1});
  // A square wound clockwise as seen from the camera: only its back shows.
  auto back = squareObject("back", 50);
  back->setFaces({{0, 2, 1}, {0, 3, 2}});
  placeAt(*back, -150, 0, -500);
  useMaterial(back, plain);
  auto model = modelOf({sphere, back}, {plain, toon});  // the toon material is drawn first
  scene->addModel(model);
  scene->update(16);
  ASSERT_EQ(scene->materials().front(), toon);

  glDisable(GL_CULL_FACE);
  const Matrix view = scene->camera()->viewMatrix();
  scene->camera()->applyProjection();
  toon->apply();
  toon->drawObjects(view);
  glDisable(GL_CULL_FACE);  // the outline turned culling back on
  glDisable(GL_LIGHTING);   // a back face is unlit; its fill colour is the current colour
  glColor4f(0, 0, 1, 1);
  plain->apply();
  plain->drawObjects(view);

  // x = -150 at 500 away: 0.3 / tan(22.5 degrees) of the half-height left of
  // centre (the 4/3 projection has square pixels).
  const int x = kCentreX - int(0.3 / 0.41421356 * kCentreY);
  EXPECT_TRUE(colourNear(pixel(x, kCentreY), Rgba{0, 0, 255, 255}));
  EXPECT_TRUE(colourNear(pixel(x + 20, kCentreY + 20), Rgba{0, 0, 255, 255}));
}

}  // namespace
