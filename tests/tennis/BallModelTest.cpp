// The ball model: the flight as its root, the shadow made from exactly
// "Sombra" and kept on the ground under the ball, and the three play-effect
// templates loaded in their order with the blur spawned from its own one.

#include "support/ModelText.h"
#include "support/TempDirectory.h"
#include "support/TennisScene.h"
#include "tennis/BallModel.h"
#include "tennis/Court.h"
#include "tennis/GroundShadow.h"
#include "tennis/PlayEffects.h"

TEST(BallModel, EffectsLoadInOrderAndOnlySombraBecomesAShadowFlatOnTheGroundUnderTheBall) {
  const PlayEffectTemplates saved = playEffectTemplates();
  TempDirectory folder;
  // Effects told apart by their clip lengths: 10, 5 and 3 frames of 32 ms.
  folder.write(kDustEffectFile, sceneBlock(0, 10) + geom("Polvo"));
  folder.write(kHitFlashEffectFile, sceneBlock(0, 5) + geom("Zas"));
  folder.write(kBlurEffectFile, sceneBlock(0, 3) + geom("Estela"));
  // The ball and, 8.5 below the shadow's height, its shadow; plus names that
  // only look like the shadow's.
  folder.write(kBallModelFile, sceneBlock(0, 0) + geom("Bola") + geom("Sombra", "", "", nodeTmAt("0 0 -8.5")) +
                                   geom("sombra") + geom("Sombras") + geom("SOMBRA"));
  ScopedWorkingDirectory inside(folder.path());
  const std::shared_ptr<Scene> scene = makeScene();
  scene->addEffectTemplate(std::make_shared<Model>());
  loadPlayEffectTemplates(*scene);
  const PlayEffectTemplates loaded = playEffectTemplates();
  playEffectTemplates() = saved;
  ASSERT_EQ(scene->effectTemplates().size(), 4u);
  const uint32_t indices[] = {loaded.dust, loaded.hitFlash, loaded.blur}, frames[] = {10, 5, 3};
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(indices[i], i + 1);
    EXPECT_EQ(scene->effectTemplates()[i + 1]->root->animationDurations().at(0), frames[i] * 32);
  }

  BallModel model(scene);
  const auto ball = model.ball();
  ASSERT_TRUE(ball && model.model()->root == ball && ball->name() == "Ball");
  for (const char* name : {"Bola", "sombra", "Sombras", "SOMBRA"}) {
    ASSERT_TRUE(ball->findNode(name)) << name;
    EXPECT_FALSE(std::dynamic_pointer_cast<GroundShadow>(ball->findNode(name))) << name;
  }
  const auto shadow = std::dynamic_pointer_cast<GroundShadow>(ball->findNode("Sombra"));
  ASSERT_TRUE(shadow);
  EXPECT_EQ(shadow->parent(), ball.get());
  // The file's Z-up axes become the game's: (x, y, z) -> (x, z, -y); the
  // shadow sits 10 above the ground, less the file's own 8.5, under a ball
  // that rises and tilts, while a plain mesh beside it rises with the ball.
  const Matrix flat(1, 0, 0, 0, 0, -1, 0, 1, 0, 100, kShadowParentY - 8.5f, 50);
  for (float tilt : {0.0f, 45.0f}) {
    ball->setTransform(rotate(Matrix(), tilt, 1, 0, 1));
    ball->placeAt(100, 300, 50);
    step(*ball);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(shadow->worldMatrix()[i], flat[i], 1e-4f) << tilt << " " << i;
  }
  const auto felt = std::dynamic_pointer_cast<SceneObject>(ball->findNode("Bola"));
  EXPECT_NEAR(felt->worldMatrix()[13], ball->position().y, 1e-3f);

  // The blur, from its own template, follows a fast free ball.
  playEffectTemplates() = loaded;
  ball->hitToward(900, 150, 0, 2.5f);
  step(*ball);
  playEffectTemplates() = saved;
  ASSERT_EQ(scene->effects().size(), 1u);
  EXPECT_EQ(scene->effects().front().templateIndex, 3u);
  EXPECT_EQ(scene->effects().front().matrix, ball->transform());
}
