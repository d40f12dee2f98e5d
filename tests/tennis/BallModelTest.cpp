// The ball model: the flight as its root, the shadow made from exactly
// "Sombra" and kept on the ground under the ball, and the three play-effect
// templates loaded in their order with the blur spawned from its own one.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/Scene.h"
#include "support/TempDirectory.h"
#include "tennis/BallModel.h"
#include "tennis/Court.h"
#include "tennis/GroundShadow.h"
#include "tennis/PlayEffects.h"

namespace {

std::string sceneBlock(int lastFrame) {
  return "*SCENE {\n  *SCENE_FIRSTFRAME 0\n  *SCENE_LASTFRAME " + std::to_string(lastFrame) +
         "\n  *SCENE_TICKSPERFRAME 160\n}\n";
}

// An object without a mesh whose file transform is the identity moved to
// `position` (file axes: Z up).
std::string object(const std::string& name, const std::string& position = "0 0 0") {
  return "*GEOMOBJECT {\n  *NODE_NAME \"" + name + "\"\n  *NODE_TM {\n    *NODE_NAME \"" + name +
         "\"\n    *TM_ROW0 1 0 0\n    *TM_ROW1 0 1 0\n    *TM_ROW2 0 0 1\n    *TM_ROW3 " + position + "\n  }\n}\n";
}

// The ball as the game ships it: the ball and, 8.5 below the shadow's
// height, its shadow; plus names that only look like the shadow's.
std::string ballText() {
  return sceneBlock(0) + object("Bola") + object("Sombra", "0 0 -8.5") + object("sombra") + object("Sombras") +
         object("Sombr") + object("SOMBRA");
}

std::unique_ptr<BallModel> loadBall(const TempDirectory& folder, std::weak_ptr<Scene> scene = {}) {
  folder.write(kBallModelFile, ballText());
  ScopedWorkingDirectory inside(folder.path());
  return std::make_unique<BallModel>(std::move(scene));
}

std::shared_ptr<Scene> makeScene() {
  testing::internal::CaptureStdout();  // no OpenGL here: the scene says so
  auto scene = std::make_shared<Scene>();
  testing::internal::GetCapturedStdout();
  return scene;
}

}  // namespace

TEST(BallModel, TheFlightIsTheRootNamedBall) {
  TempDirectory folder;
  const auto model = loadBall(folder);
  ASSERT_TRUE(model->ball());
  EXPECT_EQ(model->model()->root, model->ball());
  EXPECT_EQ(model->ball()->name(), "Ball");
  EXPECT_TRUE(model->ball()->findNode("Bola"));
}

TEST(BallModel, OnlyExactlySombraBecomesTheShadow) {
  TempDirectory folder;
  const auto model = loadBall(folder);
  const auto shadow = model->ball()->findNode("Sombra");
  ASSERT_TRUE(shadow);
  EXPECT_TRUE(std::dynamic_pointer_cast<GroundShadow>(shadow));
  EXPECT_EQ(shadow->parent(), model->ball().get());
  for (const char* name : {"Bola", "sombra", "Sombras", "Sombr", "SOMBRA"}) {
    const auto other = model->ball()->findNode(name);
    ASSERT_TRUE(other) << name;
    EXPECT_FALSE(std::dynamic_pointer_cast<GroundShadow>(other)) << name;
  }
}

TEST(BallModel, ShadowLiesUnderABallAtHeight300Unrotated) {
  TempDirectory folder;
  const auto model = loadBall(folder);
  const auto shadow = std::dynamic_pointer_cast<GroundShadow>(model->ball()->findNode("Sombra"));
  ASSERT_TRUE(shadow);
  Pelota& ball = *model->ball();
  // The file's Z-up axes become the game's: (x, y, z) -> (x, z, -y).
  const Matrix flat(1, 0, 0, 0, 0, -1, 0, 1, 0, 0, 0, 0);

  for (float tilt : {0.0f, 45.0f}) {
    SCOPED_TRACE(tilt);
    ball.setTransform(rotate(Matrix(), tilt, 1, 0, 1));
    ball.placeAt(100, 300, 50);
    model->model()->root->updateTree(16, Matrix(), 0);
    EXPECT_GT(ball.position().y, 250.0f);
    const Matrix& world = shadow->worldMatrix();
    // 10 above the ground, less the file's own 8.5.
    EXPECT_NEAR(world[12], 100, 1e-4f);
    EXPECT_NEAR(world[13], kShadowParentY - 8.5f, 1e-4f);
    EXPECT_NEAR(world[14], 50, 1e-4f);
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(world[i], flat[i], 1e-6f) << i;
  }

  // A plain mesh beside it does tilt and rise with the ball.
  const auto felt = std::dynamic_pointer_cast<SceneObject>(model->ball()->findNode("Bola"));
  ASSERT_TRUE(felt);
  EXPECT_NEAR(felt->worldMatrix()[13], ball.position().y, 1e-3f);
}

TEST(BallModel, EffectTemplatesLoadInOrderAndTheBlurUsesItsOwn) {
  const PlayEffectTemplates saved = playEffectTemplates();
  TempDirectory folder;
  // Told apart by their clip lengths: 10, 5 and 3 frames of 32 ms.
  folder.write(kDustEffectFile, sceneBlock(10) + object("Polvo"));
  folder.write(kHitFlashEffectFile, sceneBlock(5) + object("Zas"));
  folder.write(kBlurEffectFile, sceneBlock(3) + object("Estela"));
  const std::shared_ptr<Scene> scene = makeScene();
  scene->addEffectTemplate(std::make_shared<Model>());
  {
    ScopedWorkingDirectory inside(folder.path());
    loadPlayEffectTemplates(*scene);
  }
  const PlayEffectTemplates& loaded = playEffectTemplates();
  EXPECT_EQ(loaded.dust, 1u);
  EXPECT_EQ(loaded.hitFlash, 2u);
  EXPECT_EQ(loaded.blur, 3u);
  ASSERT_EQ(scene->effectTemplates().size(), 4u);
  EXPECT_EQ(scene->effectTemplates()[loaded.dust]->root->animationDurations().at(0), 320u);
  EXPECT_EQ(scene->effectTemplates()[loaded.hitFlash]->root->animationDurations().at(0), 160u);
  EXPECT_EQ(scene->effectTemplates()[loaded.blur]->root->animationDurations().at(0), 96u);

  const auto model = loadBall(folder, scene);
  model->ball()->placeAt(-900, 200, 0);
  model->ball()->hitToward(-100, 150, 0, 2.5f);
  model->model()->root->updateTree(16, Matrix(), 0);
  ASSERT_EQ(scene->effects().size(), 1u);
  EXPECT_EQ(scene->effects().front().templateIndex, 3u);
  EXPECT_EQ(scene->effects().front().matrix, model->ball()->transform());
  playEffectTemplates() = saved;
}
