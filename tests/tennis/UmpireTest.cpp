// The umpire bird: its head made only by the bird's own reader, the second
// clip, and the head's right-handed look at the ball (a ball straight along
// -z leaves the rotation at the identity), or its animated pose when it may
// not or cannot look.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "assets/AseReader.h"
#include "support/TempDirectory.h"
#include "tennis/BallModel.h"
#include "tennis/Birdy.h"
#include "tennis/BirdyHead.h"
#include "tennis/Pelota.h"

namespace {

std::string sceneBlock(int lastFrame) {
  return "*SCENE {\n  *SCENE_FIRSTFRAME 0\n  *SCENE_LASTFRAME " + std::to_string(lastFrame) +
         "\n  *SCENE_TICKSPERFRAME 160\n}\n";
}

std::string object(const std::string& name, const std::string& position) {
  return "*GEOMOBJECT {\n  *NODE_NAME \"" + name + "\"\n  *NODE_TM {\n    *NODE_NAME \"" + name +
         "\"\n    *TM_ROW0 1 0 0\n    *TM_ROW1 0 1 0\n    *TM_ROW2 0 0 1\n    *TM_ROW3 " + position + "\n  }\n}\n";
}

// The head sits at file (10, 20, 30), Z up: the game's (10, 30, -20).
const Vector3 kHeadPlace(10, 30, -20);
std::string birdText() { return sceneBlock(20) + object("Cuerpo", "0 0 0") + object("Cabeza", "10 20 30"); }

struct Umpire {
  TempDirectory folder;
  std::shared_ptr<Pelota> ball = std::make_shared<Pelota>();
  std::unique_ptr<Birdy> bird;
  std::shared_ptr<BirdyHead> head;

  Umpire() {
    folder.write(kBirdyModelFile, birdText());
    folder.write(kBirdyIntroClipFile, sceneBlock(40) + object("Cabeza", "10 20 30"));
    ScopedWorkingDirectory inside(folder.path());
    bird = std::make_unique<Birdy>(ball);
    head = std::dynamic_pointer_cast<BirdyHead>(bird->model()->root->findNode("Cabeza"));
  }

  const Matrix& look() {
    bird->model()->root->updateTree(16, Matrix(), 0);
    return head->worldMatrix();
  }
};

Vector3 row(const Matrix& m, int r) { return Vector3(m[4 * r], m[4 * r + 1], m[4 * r + 2]); }

// The pose the clip gives the head: the file's axes turned to the game's,
// (x, y, z) -> (x, z, -y), at the head's place.
const Matrix kAnimatedPose(1, 0, 0, 0, 0, -1, 0, 1, 0, kHeadPlace.x, kHeadPlace.y, kHeadPlace.z);

void expectMatrixNear(const Matrix& actual, const Matrix& expected, float tolerance = 1e-5f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

}  // namespace

TEST(Umpire, BirdHasItsHeadAndBothClips) {
  Umpire umpire;
  ASSERT_TRUE(umpire.head);
  EXPECT_EQ(umpire.head->name(), "Cabeza");
  EXPECT_TRUE(umpire.head->isTracking());
  EXPECT_FALSE(std::dynamic_pointer_cast<BirdyHead>(umpire.bird->model()->root->findNode("Cuerpo")));
  ASSERT_EQ(umpire.bird->model()->root->animationCount(), 2u);
  EXPECT_EQ(umpire.bird->model()->root->animationDurations()[1], 40u * 32);
}

TEST(Umpire, CabezaInAnyOtherModelIsNoHead) {
  TempDirectory folder;
  folder.write("models/otro.ASE", birdText());
  folder.write(kBallModelFile, birdText());
  ScopedWorkingDirectory inside(folder.path());
  AseReader plain("models/otro.ASE");
  EXPECT_FALSE(std::dynamic_pointer_cast<BirdyHead>(plain.load()->root->findNode("Cabeza")));
  BallModel ball({});
  EXPECT_FALSE(std::dynamic_pointer_cast<BirdyHead>(ball.ball()->findNode("Cabeza")));
}

TEST(UmpireHead, BallStraightAlongMinusZGivesTheIdentityRotation) {
  Umpire umpire;
  ASSERT_TRUE(umpire.head);
  umpire.ball->placeAt(kHeadPlace.x, kHeadPlace.y, kHeadPlace.z - 800);
  const Matrix expected = translate(Matrix(), kHeadPlace);
  expectMatrixNear(umpire.look(), expected);
}

TEST(UmpireHead, HeadLooksAtTheBallUprightAndRightHanded) {
  Umpire umpire;
  ASSERT_TRUE(umpire.head);
  const Vector3 places[] = {{500, 30, -20}, {-700, 7.07f, 300}, {10, 400, 500}, {200, -100, -900}};
  for (const Vector3& place : places) {
    SCOPED_TRACE(testing::Message() << place.x << " " << place.y << " " << place.z);
    umpire.ball->placeAt(place.x, place.y, place.z);
    const Matrix& world = umpire.look();
    const Vector3 toBall = normalise(between(kHeadPlace, umpire.ball->position()));
    // The head's -z axis points at the ball.
    const Vector3 facing = transformVector(Vector3(0, 0, -1), world);
    EXPECT_NEAR(facing.x, toBall.x, 1e-5f);
    EXPECT_NEAR(facing.y, toBall.y, 1e-5f);
    EXPECT_NEAR(facing.z, toBall.z, 1e-5f);
    // Upright: no roll, the up axis on the sky's side; orthonormal and
    // right-handed (x cross y = z).
    EXPECT_NEAR(row(world, 0).y, 0.0f, 1e-6f);
    EXPECT_GT(row(world, 1).y, 0.0f);
    for (int r = 0; r < 3; ++r) EXPECT_NEAR(length(row(world, r)), 1.0f, 1e-5f);
    EXPECT_NEAR(dot(row(world, 0), row(world, 1)), 0.0f, 1e-5f);
    const Vector3 z = cross(row(world, 0), row(world, 1));
    EXPECT_NEAR(z.x, world[8], 1e-5f);
    EXPECT_NEAR(z.y, world[9], 1e-5f);
    EXPECT_NEAR(z.z, world[10], 1e-5f);
    EXPECT_EQ(translation(world), kHeadPlace);
  }
}

TEST(UmpireHead, WithoutTrackingOrBallTheHeadKeepsItsAnimatedPose) {
  Umpire umpire;
  ASSERT_TRUE(umpire.head);
  umpire.ball->placeAt(500, 30, -20);
  // Tracking: looking along +x, its z axis turns to -x.
  EXPECT_NEAR(umpire.look()[8], -1.0f, 1e-5f);

  umpire.bird->setHeadTracking(false);
  EXPECT_FALSE(umpire.head->isTracking());
  expectMatrixNear(umpire.look(), kAnimatedPose);

  umpire.bird->setHeadTracking(true);
  umpire.ball.reset();  // the match is over
  expectMatrixNear(umpire.look(), kAnimatedPose);
}

TEST(UmpireHead, BallRightAboveTheHeadLeavesTheAnimatedPose) {
  Umpire umpire;
  ASSERT_TRUE(umpire.head);
  umpire.ball->placeAt(kHeadPlace.x, 600, kHeadPlace.z);
  const Matrix& world = umpire.look();
  EXPECT_TRUE(isFinite(world));
  expectMatrixNear(world, kAnimatedPose);
}
