// The umpire bird: its head made only by the bird's own reader, the second
// clip, and the head's right-handed look at the ball (a ball straight along
// -z leaves the rotation at the identity), or its animated pose when it may
// not or cannot look.

#include "support/ModelText.h"
#include "support/TempDirectory.h"
#include "support/TennisScene.h"
#include "tennis/Birdy.h"
#include "tennis/BirdyHead.h"

namespace {

// The head sits at file (10, 20, 30), Z up: the game's (10, 30, -20).
const Vector3 kHeadPlace(10, 30, -20);

Vector3 row(const Matrix& m, int r) { return Vector3(m[4 * r], m[4 * r + 1], m[4 * r + 2]); }

}  // namespace

TEST(Umpire, TheHeadLooksAtTheBallUprightAndRightHandedOrKeepsItsAnimatedPose) {
  TempDirectory folder;
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
  ASSERT_TRUE(head && head->isTracking());
  EXPECT_FALSE(std::dynamic_pointer_cast<BirdyHead>(root->findNode("Cuerpo")));
  EXPECT_TRUE(root->animationCount() == 2u && root->animationDurations().back() == 40u * 32);
  const auto look = [&] {
    step(*root);
    return head->worldMatrix();
  };
  const Vector3 places[] = {{500, 30, -20}, {-700, 7.07f, 300}, {10, 400, 500}, {200, -100, -900}};
  for (const Vector3& place : places) {
    SCOPED_TRACE(testing::Message() << place.x << " " << place.y << " " << place.z);
    ball->placeAt(place.x, place.y, place.z);
    const Matrix world = look();
    // The head's -z axis points at the ball.
    EXPECT_LT(distance(transformVector(Vector3(0, 0, -1), world), normalise(between(kHeadPlace, place))), 1e-5f);
    // Upright: no roll, the up axis on the sky's side; orthonormal and
    // right-handed (x cross y = z).
    EXPECT_NEAR(row(world, 0).y, 0.0f, 1e-6f);
    EXPECT_GT(row(world, 1).y, 0.0f);
    for (int r = 0; r < 3; ++r) EXPECT_NEAR(length(row(world, r)), 1.0f, 1e-5f);
    EXPECT_NEAR(dot(row(world, 0), row(world, 1)), 0.0f, 1e-5f);
    EXPECT_NEAR(distance(cross(row(world, 0), row(world, 1)), row(world, 2)), 0.0f, 1e-5f);
    EXPECT_EQ(translation(world), kHeadPlace);
  }
  ball->placeAt(kHeadPlace.x, kHeadPlace.y, kHeadPlace.z - 800);
  expectNear(look(), translate(Matrix(), kHeadPlace), 1e-5f);
  // The pose the clip gives the head: the file's axes turned to the game's,
  // (x, y, z) -> (x, z, -y), at the head's place. It stays with the ball
  // right above the head, when the head may not look, and with no ball.
  const Matrix animatedPose(1, 0, 0, 0, 0, -1, 0, 1, 0, kHeadPlace.x, kHeadPlace.y, kHeadPlace.z);
  ball->placeAt(kHeadPlace.x, 600, kHeadPlace.z);
  expectNear(look(), animatedPose, 1e-5f);
  ball->placeAt(500, 30, -20);
  bird.setHeadTracking(false);
  EXPECT_FALSE(head->isTracking());
  expectNear(look(), animatedPose, 1e-5f);
  bird.setHeadTracking(true);
  ball.reset();  // the match is over
  expectNear(look(), animatedPose, 1e-5f);
}
