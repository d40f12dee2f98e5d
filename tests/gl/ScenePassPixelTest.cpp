// The scene's passes drawn for real and read back: opaque surfaces come
// before blended ones, blended surfaces blend farthest first whatever order
// they were added in, and an effect shows until its clip has run once.
//
// A camera at the origin looks down -z at squares 500 to 600 units away;
// with the test light a square facing it shows its diffuse colour exactly,
// and an alpha texture of 128 lets half of what is behind show through.

#include "engine/Scene.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "GlTestContext.h"
#include "SceneFrame.h"
#include "engine/Camera.h"
#include "support/TempDirectory.h"

namespace {

constexpr Vector3 kRedRgb{1, 0, 0};
constexpr Vector3 kGreenRgb{0, 1, 0};
constexpr Vector3 kBlueRgb{0, 0, 1};
constexpr int kCentreX = GlTestContext::kWidth / 2;
constexpr int kCentreY = GlTestContext::kHeight / 2;

class ScenePassPixelTest : public ScenePixelTestBase {
 protected:
  void SetUp() override {
    ScenePixelTestBase::SetUp();
    if (HasFatalFailure()) return;
    halfAlphaTexture = whiteTexture(folder, 128);
    // Uploading left it bound; untextured effects would be drawn through it.
    glBindTexture(GL_TEXTURE_2D, 0);
    testing::internal::CaptureStdout();
    scene = std::make_unique<Scene>();
    construction = testing::internal::GetCapturedStdout();
    auto eye = std::make_shared<Camera>("Eye");
    scene->addObject(eye);
    scene->setCamera("Eye");
  }

  // A square of the given half size at depth z in a material of its own.
  std::shared_ptr<SceneObject> square(const std::string& name, float half, float z,
                                      const std::shared_ptr<Material>& material) {
    auto object = squareObject(name, half);
    placeAt(*object, 0, 0, z);
    useMaterial(object, material);
    return object;
  }

  std::shared_ptr<Material> halfAlpha(const Vector3& rgb) {
    auto material = diffuseMaterial(rgb);
    material->setTexture(halfAlphaTexture);
    return material;
  }

  void frame() {
    scene->update(16);
    scene->draw();
  }

  TempDirectory folder;
  std::shared_ptr<Texture> halfAlphaTexture;
  std::unique_ptr<Scene> scene;
  std::string construction;
};

TEST_F(ScenePassPixelTest, WithAWindowTheSceneIsBuiltSilently) { EXPECT_EQ(construction, ""); }

// --- Opaque before transparent --------------------------------------------------

TEST_F(ScenePassPixelTest, AnOpaqueSurfaceShowsThroughATransparentOneInFrontOfIt) {
  ASSERT_TRUE(halfAlphaTexture->hasAlpha());
  // The transparent square is added first and is nearer; only the pass order
  // can put the opaque one into the picture before it.
  auto glass = halfAlpha(kGreenRgb);
  auto wall = diffuseMaterial(kRedRgb);
  auto pane = square("pane", 100, -500, glass);
  auto back = square("wall", 300, -600, wall);
  scene->addModel(modelOf({pane, back}, {glass, wall}));
  frame();

  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), Rgba{128, 128, 0, 255}));
  // Beside the pane the wall shows unblended.
  EXPECT_TRUE(colourNear(pixel(kCentreX + 300, kCentreY), Rgba{255, 0, 0, 255}, 8));
}

TEST_F(ScenePassPixelTest, AnOpaqueTexturedSurfaceIsDrawnUnblended) {
  auto wall = diffuseMaterial(kBlueRgb);
  wall->setTexture(whiteTexture(folder, 255));
  ASSERT_FALSE(wall->hasAlphaTexture());
  scene->addModel(modelOf({square("wall", 100, -500, wall)}, {wall}));
  frame();
  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), Rgba{0, 0, 255, 255}, 8));
}

// --- Transparent surfaces blend farthest first ----------------------------------

// Red half-transparent far, blue half-transparent near, over black: red
// first gives (128, 0, 0), blue over it (64, 0, 128). The other order would
// leave red hidden behind blue's depth: (0, 0, 128).
const Rgba kBlueOverRed{64, 0, 128, 255};

TEST_F(ScenePassPixelTest, TwoTransparentSquaresBlendFarthestFirstWhenTheNearOneIsAddedFirst) {
  auto nearGlass = halfAlpha(kBlueRgb);
  auto farGlass = halfAlpha(kRedRgb);
  auto nearPane = square("near", 100, -500, nearGlass);
  auto farPane = square("far", 150, -600, farGlass);
  scene->addModel(modelOf({nearPane, farPane}, {nearGlass, farGlass}));
  frame();
  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), kBlueOverRed));
  EXPECT_TRUE(colourNear(pixel(kCentreX + 210, kCentreY), Rgba{128, 0, 0, 255}));
}

TEST_F(ScenePassPixelTest, TwoTransparentSquaresBlendFarthestFirstWhenTheFarOneIsAddedFirst) {
  auto nearGlass = halfAlpha(kBlueRgb);
  auto farGlass = halfAlpha(kRedRgb);
  auto nearPane = square("near", 100, -500, nearGlass);
  auto farPane = square("far", 150, -600, farGlass);
  scene->addModel(modelOf({farPane, nearPane}, {farGlass, nearGlass}));
  frame();
  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), kBlueOverRed));
}

TEST_F(ScenePassPixelTest, TheOrderFollowsTheObjectsAsTheyMove) {
  // Two squares of one material, swapping depths between frames.
  auto glass = halfAlpha(Vector3(1, 1, 1));
  auto red = squareObject("red", 100);
  auto blue = squareObject("blue", 100);
  auto redTint = halfAlpha(kRedRgb);
  auto blueTint = halfAlpha(kBlueRgb);
  useMaterial(red, redTint);
  useMaterial(blue, blueTint);
  placeAt(*red, 0, 0, -500);
  placeAt(*blue, 0, 0, -600);
  auto model = modelOf({red, blue}, {redTint, blueTint});
  scene->addModel(model);
  frame();
  // Blue far, red near: red over blue.
  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), Rgba{128, 0, 64, 255}));

  SceneFrame::begin(kBackground);
  placeAt(*red, 0, 0, -600);  // a second clip: the objects now play clip 1
  placeAt(*blue, 0, 0, -500);
  model->root->addAnimation(16);
  model->root->addAnimation(16);
  model->root->setAnimation(1);
  for (int i = 0; i < 10; ++i) scene->update(16);  // past the clip change's blend
  scene->draw();
  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), kBlueOverRed));
}

// --- Effects --------------------------------------------------------------------

TEST_F(ScenePassPixelTest, AnEffectShowsUntilItsClipHasRunOnceAndIsThenGone) {
  auto flash = diffuseMaterial(kGreenRgb);
  auto quad = squareObject("zas", 100);
  useMaterial(quad, flash);
  auto effect = modelOf({quad}, {flash});
  effect->root->addAnimation(500);
  const uint32_t index = scene->addEffectTemplate(effect);
  scene->spawnEffect(index, translate(Matrix(), 0, 0, -500));

  for (int age = 100; age <= 500; age += 100) {
    SceneFrame::begin(kBackground);
    scene->update(100);
    scene->draw();
    EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), Rgba{0, 255, 0, 255}, 8)) << "at " << age << " ms";
    EXPECT_EQ(scene->effects().size(), 1u);
  }
  SceneFrame::begin(kBackground);
  scene->update(100);
  scene->draw();
  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), kBackground, 8)) << "at 600 ms";
  EXPECT_TRUE(scene->effects().empty());
}

TEST_F(ScenePassPixelTest, AnEffectIsDrawnAtItsPlacement) {
  auto dust = diffuseMaterial(kGreenRgb);
  auto quad = squareObject("polvo", 50);
  useMaterial(quad, dust);
  auto effect = modelOf({quad}, {dust});
  effect->root->addAnimation(500);
  scene->spawnEffect(scene->addEffectTemplate(effect), translate(Matrix(), 200, 0, -500));
  frame();
  // 200 units right at 500 away: 0.4 / tan(22.5 degrees) of the half-height.
  const int x = kCentreX + int(0.4 / 0.41421356 * kCentreY);
  EXPECT_TRUE(colourNear(pixel(x, kCentreY), Rgba{0, 255, 0, 255}, 8));
  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), kBackground, 8));
}

}  // namespace
