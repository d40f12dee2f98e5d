// The game's cartoon shader drawn for real through the scene: a lit sphere
// shows a few flat bands where fixed-function lighting shows a smooth
// gradient, a textured material comes out as its lit colour times its
// texture, and an untextured one in its lit colour.
//
// The light of SceneFrame shines along the view direction with diffuse 1 and
// no ambient, so a surface turned to the camera shows its material's diffuse
// colour and the light falls off towards the silhouette.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "GlTestContext.h"
#include "SceneFrame.h"
#include "TestImages.h"
#include "assets/ShaderProgram.h"
#include "engine/Scene.h"
#include "engine/ShaderSupport.h"
#include "engine/ToonMaterial.h"

namespace {

// A sphere of radius 100 at 500 units shows about 189 pixels wide.
constexpr int kInsideRadius = 180;

class CartoonShaderPixelTest : public ScenePixelTestBase {
 protected:
  void SetUp() override {
    ScenePixelTestBase::SetUp();
    if (HasFatalFailure()) return;
    savedSupport = shaderSupport;
    savedFolder = shaderFolder();
    ASSERT_TRUE(checkShaderSupport());
    setShaderFolder(runPath("shaders"));
    testing::internal::CaptureStdout();
    cartoon = loadShaderProgram("cartoon");
    ASSERT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_NE(cartoon, 0u);
  }
  void TearDown() override {
    glUseProgramObjectARB(0);
    shaderSupport = savedSupport;
    setShaderFolder(savedFolder);
    ScenePixelTestBase::TearDown();
  }

  // A fresh frame and scene holding `objects`, drawn twice: the second frame
  // starts with the texture of the first still bound.
  void drawTwice(const std::vector<std::shared_ptr<SceneObject>>& objects,
                 const std::vector<std::shared_ptr<Material>>& materials) {
    SceneFrame::begin(kBackground);
    scene = sceneWithEye();
    scene->addModel(modelOf(objects, materials));
    for (int frame = 0; frame < 2; ++frame) {
      scene->update(16);
      scene->draw();
    }
  }
  // A red sphere of radius 100 straight ahead, drawn with `program`; returns
  // the red channel from the centre of the picture to the right, inside its
  // silhouette.
  std::vector<int> redsOfSphere(uint32_t program) {
    auto material = diffuseMaterial({1, 0, 0}, std::make_shared<ToonMaterial>(program));
    auto sphere = sphereObject("Cabeza", 100, 64, 32);
    placeAt(*sphere, 0, 0, -500);
    useMaterial(sphere, material);
    drawTwice({sphere}, {material});
    std::vector<int> reds;
    for (int x = kCentreX; x < kCentreX + kInsideRadius; ++x) reds.push_back(pixel(x, kCentreY).r);
    return reds;
  }

  uint32_t cartoon = 0;
  std::unique_ptr<Scene> scene;
  bool savedSupport = false;
  std::string savedFolder;
};

// Runs of equal values (within 2) along a line: the flat stretches.
std::vector<size_t> runLengths(const std::vector<int>& values) {
  std::vector<size_t> runs;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i == 0 || std::abs(values[i] - values[i - 1]) > 2) {
      runs.push_back(1);
    } else {
      ++runs.back();
    }
  }
  return runs;
}

TEST_F(CartoonShaderPixelTest, ALitSphereShowsAFewFlatBandsWhereFixedFunctionShowsAGradient) {
  const std::vector<int> smooth = redsOfSphere(0);
  EXPECT_GT(std::set<int>(smooth.begin(), smooth.end()).size(), 40u);

  const std::vector<int> reds = redsOfSphere(cartoon);
  const std::vector<size_t> runs = runLengths(reds);
  EXPECT_GE(runs.size(), 2u);
  EXPECT_LE(runs.size(), 5u);
  for (size_t run : runs) EXPECT_GE(run, 8u) << "a band only a few pixels wide is a gradient";
  // Brightest where the surface faces the light, darker outwards.
  for (size_t i = 1; i < reds.size(); ++i) ASSERT_LE(reds[i], reds[i - 1] + 2) << "at " << i;
  EXPECT_LT(reds.back(), reds.front() - 40);
  // Facing the light, the band is the full lit colour, as with fixed function.
  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), kRed, 6));
  // The bands are rings: straight up crosses as many as to the right.
  std::vector<int> ups;
  for (int d = 0; d < kInsideRadius; ++d) ups.push_back(pixel(kCentreX, kCentreY + d).r);
  EXPECT_EQ(runLengths(ups).size(), runs.size());
}

TEST_F(CartoonShaderPixelTest, ATexturedMaterialIsItsLitColourTimesItsTextureAndAnUntexturedOneItsLitColour) {
  TempDirectory folder;
  const Rgba left{200, 100, 40, 255};
  const Rgba right{40, 200, 120, 255};
  Picture picture(8, 8, left);
  picture.paint(4, 0, 8, 8, right);
  auto textured = diffuseMaterial({1, 0.5f, 1}, std::make_shared<ToonMaterial>(cartoon));
  textured->setTexture(
      std::make_shared<Texture>(folder.write("halves.tga", tgaFile(picture, false, false)).string()));
  auto sign = squareObject("Cartel", 100);
  placeAt(*sign, -200, 0, -500);
  useMaterial(sign, textured);
  auto plain = diffuseMaterial({0.2f, 0.8f, 0.4f}, std::make_shared<ToonMaterial>(cartoon));
  auto body = squareObject("Cuerpo", 60);
  placeAt(*body, 200, 0, -500);
  useMaterial(body, plain);
  drawTwice({sign, body}, {textured, plain});

  // 200 units aside at 500 is 0.4 / (tan(22.5 degrees) * 4 / 3) of the
  // half-width; the sign's halves lie 92 pixels either side of its middle.
  const int aside = int(0.4 / (0.41421356 * 4.0 / 3.0) * kCentreX);
  expectPixels({{kCentreX - aside - 92, kCentreY, Rgba{200, 50, 40, 255}},
                {kCentreX - aside + 92, kCentreY, Rgba{40, 100, 120, 255}},
                {kCentreX + aside, kCentreY, Rgba{51, 204, 102, 255}}}, 6);
}

}  // namespace
