// Shader programs are switched only where the driver supports them: with
// shaderSupport off a whole frame with program-carrying and cartoon materials
// makes no shader call at all; with it on, each material switches to its
// program and the outline to fixed function. The switch entry point is
// watched by swapping GLEW's function pointer for a recorder.

#include "engine/ShaderSupport.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <vector>

#include "GlTestContext.h"
#include "SceneFrame.h"
#include "engine/Scene.h"
#include "engine/ToonMaterial.h"

namespace {

std::vector<GLhandleARB> programsUsed;
void GLAPIENTRY recordUseProgram(GLhandleARB program) { programsUsed.push_back(program); }

class ShaderSwitchTest : public ScenePixelTestBase {
 protected:
  void SetUp() override {
    ScenePixelTestBase::SetUp();
    if (HasFatalFailure()) return;
    savedSupport = shaderSupport;
    savedEntry = __glewUseProgramObjectARB;
    __glewUseProgramObjectARB = recordUseProgram;
    programsUsed.clear();
    scene = sceneWithEye();

    auto shaded = diffuseMaterial({1, 0, 0}, std::make_shared<Material>(kShadedProgram));
    auto cartoon = diffuseMaterial({0, 1, 0}, std::make_shared<ToonMaterial>(kCartoonProgram));
    auto wall = squareObject("wall", 100);
    placeAt(*wall, -150, 0, -500);
    useMaterial(wall, shaded);
    auto body = sphereObject("body", 50, 16, 8);
    placeAt(*body, 150, 0, -500);
    useMaterial(body, cartoon);
    scene->addModel(modelOf({wall, body}, {shaded, cartoon}));
  }
  void TearDown() override {
    __glewUseProgramObjectARB = savedEntry;
    shaderSupport = savedSupport;
    ScenePixelTestBase::TearDown();
  }

  static constexpr GLhandleARB kShadedProgram = 7;
  static constexpr GLhandleARB kCartoonProgram = 9;
  std::unique_ptr<Scene> scene;
  bool savedSupport = false;
  PFNGLUSEPROGRAMOBJECTARBPROC savedEntry = nullptr;
};

TEST_F(ShaderSwitchTest, WithoutSupportAFrameMakesNoShaderCall) {
  shaderSupport = false;
  scene->update(16);
  scene->draw();
  useProgram(3);
  EXPECT_TRUE(programsUsed.empty());
  // The materials still drew, with fixed function.
  EXPECT_TRUE(colourNear(pixel(512 - 278, 384), Rgba{255, 0, 0, 255}, 8));
}

TEST_F(ShaderSwitchTest, WithSupportEachMaterialSwitchesToItsProgramAndTheOutlineToNone) {
  shaderSupport = false;
  ASSERT_TRUE(checkShaderSupport()) << "the virtual display's driver offers shader objects";
  ASSERT_TRUE(shaderSupport);
  scene->update(16);
  scene->draw();
  // The cartoon material is the later untextured one, so it is drawn first:
  // apply, its shaded pass, its outline; then the plain one: apply, draw.
  EXPECT_EQ(programsUsed,
            (std::vector<GLhandleARB>{kCartoonProgram, kCartoonProgram, 0, kShadedProgram, kShadedProgram}));
}

}  // namespace
