// The scene's passes drawn for real and read back: opaque surfaces come
// before blended ones, blended surfaces blend farthest first whatever order
// they were added in, and an effect shows at its place until its clip has
// run once.
//
// A camera at the origin looks down -z at squares 500 to 600 units away;
// with the test light a square facing it shows its diffuse colour exactly,
// and an alpha texture of 128 lets half of what is behind show through.

#include "engine/Scene.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "GlTestContext.h"
#include "SceneFrame.h"
#include "support/TempDirectory.h"

namespace {

constexpr Vector3 kRedRgb{1, 0, 0};
constexpr Vector3 kGreenRgb{0, 1, 0};
constexpr Vector3 kBlueRgb{0, 0, 1};

class ScenePassPixelTest : public ScenePixelTestBase {
 protected:
  void SetUp() override {
    ScenePixelTestBase::SetUp();
    if (HasFatalFailure()) return;
    halfAlphaTexture = whiteTexture(folder, 128);
    // Uploading left it bound; untextured effects would be drawn through it.
    glBindTexture(GL_TEXTURE_2D, 0);
    testing::internal::CaptureStdout();
    scene = sceneWithEye();
    construction = testing::internal::GetCapturedStdout();
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

// --- Opaque before transparent --------------------------------------------------

TEST_F(ScenePassPixelTest, OpaqueSurfacesAreDrawnUnblendedAndShowThroughATransparentOneInFrontOfThem) {
  EXPECT_EQ(construction, "");  // with a window the scene is built silently
  ASSERT_TRUE(halfAlphaTexture->hasAlpha());
  // The transparent square is added first and is nearer; only the pass order
  // can put the opaque wall into the picture before it. The opaque textured
  // square beside them is drawn as it is.
  auto glass = halfAlpha(kGreenRgb);
  auto wall = diffuseMaterial(kRedRgb);
  auto poster = diffuseMaterial(kBlueRgb);
  poster->setTexture(whiteTexture(folder, 255));
  ASSERT_FALSE(poster->hasAlphaTexture());
  auto pane = square("pane", 100, -500, glass);
  auto back = square("wall", 300, -600, wall);
  auto sign = squareObject("poster", 50);
  placeAt(*sign, 0, 200, -500);
  useMaterial(sign, poster);
  scene->addModel(modelOf({pane, back, sign}, {glass, wall, poster}));
  frame();

  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), Rgba{128, 128, 0, 255}));
  // Beside the pane the wall shows unblended.
  EXPECT_TRUE(colourNear(pixel(kCentreX + 300, kCentreY), Rgba{255, 0, 0, 255}, 8));
  // 200 units up at 500 away: 0.4 / tan(22.5 degrees) of the half-height.
  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY + int(0.4 / 0.41421356 * kCentreY)), Rgba{0, 0, 255, 255}, 8));
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

// --- Effects --------------------------------------------------------------------

TEST_F(ScenePassPixelTest, AnEffectShowsAtItsPlacementUntilItsClipHasRunOnceAndIsThenGone) {
  auto flash = diffuseMaterial(kGreenRgb);
  auto quad = squareObject("zas", 50);
  useMaterial(quad, flash);
  auto effect = modelOf({quad}, {flash});
  effect->root->addAnimation(500);
  scene->spawnEffect(scene->addEffectTemplate(effect), translate(Matrix(), 200, 0, -500));
  // 200 units right at 500 away: 0.4 / tan(22.5 degrees) of the half-height.
  const int x = kCentreX + int(0.4 / 0.41421356 * kCentreY);

  for (int age = 100; age <= 600; age += 100) {
    SceneFrame::begin(kBackground);
    scene->update(100);
    scene->draw();
    const Rgba expected = age <= 500 ? Rgba{0, 255, 0, 255} : kBackground;
    EXPECT_TRUE(colourNear(pixel(x, kCentreY), expected, 8)) << "at " << age << " ms";
    EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), kBackground, 8)) << "at " << age << " ms";
    EXPECT_EQ(scene->effects().size(), age <= 500 ? 1u : 0u) << "at " << age << " ms";
  }
}

}  // namespace
