// The models whose readers make nodes of their own: the ball, whose shadow stays
// on the ground, with the play effects; the umpire bird, whose head follows it.

#include <utility>

#include "support/ModelText.h"
#include "support/TempDirectory.h"
#include "support/TennisScene.h"
#include "tennis/BallModel.h"
#include "tennis/Birdy.h"
#include "tennis/BirdyHead.h"
#include "tennis/Court.h"
#include "tennis/GroundShadow.h"
#include "tennis/PlayEffects.h"

namespace {

// The file's Z-up axes turned to the game's, (x, y, z) -> (x, z, -y), at (x, y, z).
Matrix zUpAt(float x, float y, float z) { return Matrix(1, 0, 0, 0, 0, -1, 0, 1, 0, x, y, z); }

}  // namespace

TEST(BallModel, OnlySombraBecomesAShadowFlatOnTheGroundTheEffectsLoadInOrderAndAFastBallBlurs) {
  TempDirectory folder;
  // The shadow 8.5 below its place in the file, and names that only look like its own.
  folder.write(kBallModelFile, sceneBlock(0, 0) + geom("Bola") + geom("Sombra", "", "", nodeTmAt("0 0 -8.5")) +
                                   geom("sombra") + geom("Sombras") + geom("SOMBRA"));
  ScopedWorkingDirectory inside(folder.path());
  const std::shared_ptr<Scene> scene = makeScene();
  BallModel model(scene);
  const auto ball = model.ball();
  ASSERT_TRUE(ball && model.model()->root == ball && ball->name() == "Ball");
  for (const char* name : {"Bola", "sombra", "Sombras", "SOMBRA"})
    EXPECT_TRUE(ball->findNode(name) && !std::dynamic_pointer_cast<GroundShadow>(ball->findNode(name))) << name;
  const auto shadow = std::dynamic_pointer_cast<GroundShadow>(ball->findNode("Sombra"));
  ASSERT_TRUE(shadow && shadow->parent() == ball.get());
  // Under a ball that rises and tilts the shadow stays flat, 10 above the ground less the file's 8.5.
  for (float tilt : {0.0f, 45.0f}) {
    ball->setTransform(rotate(Matrix(), tilt, 1, 0, 1));
    ball->placeAt(100, 300, 50);
    step(*ball);
    expectNear(shadow->worldMatrix(), zUpAt(100, kShadowParentY - 8.5f, 50), 1e-4f);
  }
  const auto felt = std::dynamic_pointer_cast<SceneObject>(ball->findNode("Bola"));
  EXPECT_NEAR(felt->worldMatrix()[13], ball->position().y, 1e-3f);  // a plain mesh rises with the ball
  // The play effects load after any template the scene has, in their order, told apart by clip length.
  const PlayEffectTemplates saved = playEffectTemplates();
  folder.write(kDustEffectFile, sceneBlock(0, 10) + geom("Polvo"));
  folder.write(kHitFlashEffectFile, sceneBlock(0, 5) + geom("Zas"));
  folder.write(kBlurEffectFile, sceneBlock(0, 3) + geom("Estela"));
  scene->addEffectTemplate(std::make_shared<Model>());
  loadPlayEffectTemplates(*scene);
  const PlayEffectTemplates loaded = std::exchange(playEffectTemplates(), saved);
  EXPECT_TRUE(loaded.dust == 1 && loaded.hitFlash == 2 && loaded.blur == 3);
  const uint32_t frames[] = {0, 10, 5, 3};
  for (uint32_t i = 1; i < 4; ++i)
    EXPECT_EQ(scene->effectTemplates().at(i)->root->animationDurations()[0], 32 * frames[i]);
  // A free ball faster than 1.8 units per ms leaves a blur where it is, one a step.
  ball->hitToward(900, 150, 0, 2.5f);
  step(*ball);
  const Matrix blurredAt = ball->transform();
  ball->startFlight(kQuarterTurn, kBlurSpeed, 0);
  step(*ball);
  ASSERT_EQ(scene->effects().size(), 1u);
  EXPECT_EQ(scene->effects().front().templateIndex, playEffectTemplates().blur);
  EXPECT_EQ(scene->effects().front().matrix, blurredAt);
}

TEST(Umpire, TheHeadLooksAtTheBallUprightAndRightHandedOrKeepsItsAnimatedPose) {
  TempDirectory folder;
  // The head sits at file (10, 20, 30): the game's (10, 30, -20).
  const Vector3 headPlace(10, 30, -20);
  const std::string headText = geom("Cabeza", "", "", nodeTmAt("10 20 30"));
  folder.write(kBirdyModelFile, sceneBlock(0, 20) + geom("Cuerpo") + headText);
  folder.write(kBirdyIntroClipFile, sceneBlock(0, 40) + headText);
  auto ball = std::make_shared<Pelota>();
  ScopedWorkingDirectory inside(folder.path());
  Birdy bird(ball);
  const auto& root = bird.model()->root;
  const auto head = std::dynamic_pointer_cast<BirdyHead>(root->findNode("Cabeza"));
  ASSERT_TRUE(head && head->isTracking() && !std::dynamic_pointer_cast<BirdyHead>(root->findNode("Cuerpo")));
  EXPECT_TRUE(root->animationCount() == 2u && root->animationDurations().back() == 40u * 32);
  const auto lookAt = [&](const Vector3& offset) {
    if (ball) ball->placeAt(headPlace.x + offset.x, headPlace.y + offset.y, headPlace.z + offset.z);
    step(*root);
    return head->worldMatrix();
  };
  // Rows right, up and back: the head's -z axis on the ball, no roll, x cross y = z. Straight
  // along -z the rotation stays the identity; along +x the head turns a quarter to its right.
  const auto at = [&](const Vector3& x, const Vector3& y, const Vector3& z) {
    return Matrix(x.x, x.y, x.z, y.x, y.y, y.z, z.x, z.y, z.z, headPlace.x, headPlace.y, headPlace.z);
  };
  const float r2 = std::sqrt(0.5f), r3 = 1 / std::sqrt(3.0f), r6 = 1 / std::sqrt(6.0f);
  expectNear(lookAt(Vector3(0, 0, -800)), at({1, 0, 0}, {0, 1, 0}, {0, 0, 1}), 1e-5f);
  expectNear(lookAt(Vector3(490, 0, 0)), at({0, 0, 1}, {0, 1, 0}, {-1, 0, 0}), 1e-5f);
  expectNear(lookAt(Vector3(-300, -300, 300)), at({-r2, 0, -r2}, {-r6, 2 * r6, r6}, {r3, r3, -r3}), 1e-5f);
  // The pose the clip gives the head, (x, y, z) -> (x, z, -y) at its place, stays with the
  // ball right above the head, when the head may not look, and with no ball.
  const Matrix animatedPose = zUpAt(headPlace.x, headPlace.y, headPlace.z);
  expectNear(lookAt(Vector3(0, 600, 0)), animatedPose, 1e-5f);
  bird.setHeadTracking(false);
  expectNear(lookAt(Vector3(490, 0, 0)), animatedPose, 1e-5f);
  bird.setHeadTracking(true);
  ball.reset();  // the match is over
  expectNear(lookAt(Vector3()), animatedPose, 1e-5f);
}
