// The models whose readers make nodes of their own: the ball with its shadow
// kept on the ground and the play-effect templates loaded beside it, and the
// umpire bird whose head looks at the ball.

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

Vector3 row(const Matrix& m, int r) { return Vector3(m[4 * r], m[4 * r + 1], m[4 * r + 2]); }

}  // namespace

TEST(BallModel, EffectsLoadInOrderAndOnlySombraBecomesAShadowFlatOnTheGroundUnderTheBall) {
  const PlayEffectTemplates saved = playEffectTemplates();
  TempDirectory folder;
  // Effects told apart by their clip lengths: 10, 5 and 3 frames of 32 ms.
  folder.write(kDustEffectFile, sceneBlock(0, 10) + geom("Polvo"));
  folder.write(kHitFlashEffectFile, sceneBlock(0, 5) + geom("Zas"));
  folder.write(kBlurEffectFile, sceneBlock(0, 3) + geom("Estela"));
  // The shadow 8.5 below its place in the file, and names that only look like its own.
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
  for (const char* name : {"Bola", "sombra", "Sombras", "SOMBRA"})
    EXPECT_TRUE(ball->findNode(name) && !std::dynamic_pointer_cast<GroundShadow>(ball->findNode(name))) << name;
  const auto shadow = std::dynamic_pointer_cast<GroundShadow>(ball->findNode("Sombra"));
  ASSERT_TRUE(shadow && shadow->parent() == ball.get());
  // Under a ball that rises and tilts the shadow stays flat, 10 above the
  // ground less the file's 8.5, while a plain mesh rises with the ball.
  for (float tilt : {0.0f, 45.0f}) {
    ball->setTransform(rotate(Matrix(), tilt, 1, 0, 1));
    ball->placeAt(100, 300, 50);
    step(*ball);
    expectNear(shadow->worldMatrix(), zUpAt(100, kShadowParentY - 8.5f, 50), 1e-4f);
  }
  const auto felt = std::dynamic_pointer_cast<SceneObject>(ball->findNode("Bola"));
  EXPECT_NEAR(felt->worldMatrix()[13], ball->position().y, 1e-3f);

  // The blur, from its own template, follows a free ball faster than 1.8 units per ms.
  playEffectTemplates() = loaded;
  ball->hitToward(900, 150, 0, 2.5f);
  step(*ball);
  const Matrix blurredAt = ball->transform();
  ball->startFlight(kQuarterTurn, kBlurSpeed, 0);
  step(*ball);
  playEffectTemplates() = saved;
  ASSERT_EQ(scene->effects().size(), 1u);
  EXPECT_EQ(scene->effects().front().templateIndex, 3u);
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
  // Any other reader leaves "Cabeza" a plain object.
  EXPECT_FALSE(std::dynamic_pointer_cast<BirdyHead>(AseReader(kBirdyModelFile).load()->root->findNode("Cabeza")));
  const auto& root = bird.model()->root;
  const auto head = std::dynamic_pointer_cast<BirdyHead>(root->findNode("Cabeza"));
  ASSERT_TRUE(head && head->isTracking() && !std::dynamic_pointer_cast<BirdyHead>(root->findNode("Cuerpo")));
  EXPECT_TRUE(root->animationCount() == 2u && root->animationDurations().back() == 40u * 32);
  const auto lookAt = [&](const Vector3& place) {
    if (ball) ball->placeAt(place.x, place.y, place.z);
    step(*root);
    return head->worldMatrix();
  };
  for (const Vector3& place : {Vector3(500, 30, -20), {-700, 7.07f, 300}, {10, 400, 500}, {200, -100, -900}}) {
    SCOPED_TRACE(testing::Message() << place.x << " " << place.y << " " << place.z);
    const Matrix world = lookAt(place);
    // The head's -z axis points at the ball. Upright: no roll, the up axis
    // on the sky's side; orthonormal and right-handed (x cross y = z).
    EXPECT_LT(distance(transformVector(Vector3(0, 0, -1), world), normalise(between(headPlace, place))), 1e-5f);
    EXPECT_TRUE(std::fabs(row(world, 0).y) < 1e-6f && row(world, 1).y > 0.0f);
    for (int r = 0; r < 3; ++r) EXPECT_NEAR(length(row(world, r)), 1.0f, 1e-5f);
    EXPECT_NEAR(dot(row(world, 0), row(world, 1)), 0.0f, 1e-5f);
    EXPECT_NEAR(distance(cross(row(world, 0), row(world, 1)), row(world, 2)), 0.0f, 1e-5f);
    EXPECT_EQ(translation(world), headPlace);
  }
  // A ball straight along -z leaves the rotation at the identity. The pose
  // the clip gives the head stays with the ball right above the head, when
  // the head may not look, and with no ball.
  expectNear(lookAt(headPlace + Vector3(0, 0, -800)), translate(Matrix(), headPlace), 1e-5f);
  const Matrix animatedPose = zUpAt(headPlace.x, headPlace.y, headPlace.z);
  expectNear(lookAt(Vector3(headPlace.x, 600, headPlace.z)), animatedPose, 1e-5f);
  bird.setHeadTracking(false);
  EXPECT_FALSE(head->isTracking());
  expectNear(lookAt(Vector3(500, 30, -20)), animatedPose, 1e-5f);
  bird.setHeadTracking(true);
  ball.reset();  // the match is over
  expectNear(lookAt(Vector3()), animatedPose, 1e-5f);
}
