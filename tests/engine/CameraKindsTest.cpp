// The game's cameras as plain maths: where the framing cameras put the eye
// for none, one or two targets, how the orbit turns, how far the match camera
// pitches for the ball, and how the free camera answers the keys.

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "MathExpect.h"
#include "engine/BroadcastCamera.h"
#include "engine/FreeCamera.h"
#include "engine/OrbitCamera.h"
#include "engine/TrackingCamera.h"

namespace {

// A stand-in for a player: a group at a place, on a side of the court.
class Target : public AnimatedGroup {
 public:
  Target(float x, float y, float z, int32_t side = 0) : AnimatedGroup("target"), side(side) {
    setTransform(translate(Matrix(), x, y, z));
  }
  int32_t courtSide() const override { return side; }

 private:
  int32_t side;
};

Vector3 eyeOf(const Camera& camera) { return translation(camera.worldMatrix()); }
// A camera looks along its own -z axis.
Vector3 lookOf(const Camera& camera) {
  const Matrix& m = camera.worldMatrix();
  return Vector3(-m.m[8], -m.m[9], -m.m[10]);
}

void step(Camera& camera, uint32_t dtMs) { camera.updateTree(dtMs, Matrix(), 0); }

// --- Framing: values ------------------------------------------------------------

TEST(FramingTest, NoTargetFramesTheOriginFromNowhere) {
  TrackingCamera camera(nullptr, "FixedCamera");
  const Framing framing = camera.framing();
  EXPECT_TRUE(vectorNear(framing.focus, Vector3(0, 0, 0)));
  EXPECT_EQ(framing.yaw, 0.0f);
  EXPECT_EQ(framing.distance, 0.0f);
  step(camera, 16);
  EXPECT_TRUE(matrixNear(camera.worldMatrix(), translate(Matrix(), 0, 100, 0)));
}

TEST(FramingTest, OneTargetIsSeenFromAcrossTheCourtAtTheLeastDistance) {
  TrackingCamera camera(std::make_shared<Target>(1000, 0, 50, 0), "FixedCamera");
  Framing framing = camera.framing();
  EXPECT_TRUE(vectorNear(framing.focus, Vector3(1000, 0, 50)));
  EXPECT_EQ(framing.yaw, 90.0f);
  EXPECT_EQ(framing.distance, 400.0f);

  camera.setTarget(std::make_shared<Target>(-1000, 0, 50, 1));
  EXPECT_EQ(camera.framing().yaw, -90.0f);
}

TEST(FramingTest, OneTargetOnEitherSideIsWatchedFromTheNetsSide) {
  TrackingCamera camera(std::make_shared<Target>(1000, 0, 0, 0), "FixedCamera");
  step(camera, 16);
  // 400 units towards the net from the player, 100 up, looking at the player.
  EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(600, 100, 0), 1e-3f));
  EXPECT_TRUE(vectorNear(lookOf(camera), Vector3(1, 0, 0)));

  camera.setTarget(std::make_shared<Target>(-1000, 0, 0, 1));
  step(camera, 16);
  EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(-600, 100, 0), 1e-3f));
  EXPECT_TRUE(vectorNear(lookOf(camera), Vector3(-1, 0, 0)));
}

TEST(FramingTest, TwoTargetsFarApartAreFittedIntoTheFieldOfView) {
  TrackingCamera camera(nullptr, "FixedCamera");
  camera.setTargets(std::make_shared<Target>(0, 0, -500), std::make_shared<Target>(0, 0, 500));
  // Half the gap over tan(22.5 degrees).
  EXPECT_NEAR(camera.framing().distance, 500.0 / std::tan(22.5 * M_PI / 180.0), 0.05);
  EXPECT_NEAR(camera.framing().distance, 1207.1, 0.05);
  EXPECT_TRUE(vectorNear(camera.framing().focus, Vector3(0, 0, 0)));
}

TEST(FramingTest, TwoTargetsCloseTogetherStayAtTheLeastDistance) {
  TrackingCamera camera(nullptr, "FixedCamera");
  camera.setTargets(std::make_shared<Target>(0, 0, 0), std::make_shared<Target>(60, 0, 80));
  EXPECT_EQ(camera.framing().distance, 400.0f);
  EXPECT_TRUE(vectorNear(camera.framing().focus, Vector3(30, 0, 40)));
}

TEST(FramingTest, TwoTargetsAreSeenSideOnAtRightAnglesToTheLineBetweenThem) {
  TrackingCamera camera(nullptr, "FixedCamera");
  auto a = std::make_shared<Target>(100, 0, 100);
  auto b = std::make_shared<Target>(300, 0, 300);
  camera.setTargets(a, b);
  EXPECT_NEAR(camera.framing().yaw, 45.0f, 1e-4f);
  step(camera, 16);
  const Vector3 across = normalise(Vector3(200, 0, 200));
  EXPECT_NEAR(dot(lookOf(camera), across), 0.0f, 1e-5f);
  // The eye is `distance` from the point above the middle, and looks at it.
  const Vector3 aim = Vector3(200, 100, 200);
  EXPECT_NEAR(length(eyeOf(camera) - aim), 400.0f, 1e-2f);
  EXPECT_TRUE(vectorNear(normalise(aim - eyeOf(camera)), lookOf(camera), 1e-5f));
}

TEST(FramingTest, TargetsInLineAcrossTheCourtOrInOnePlaceGiveAFiniteView) {
  TrackingCamera camera(nullptr, "FixedCamera");
  camera.setTargets(std::make_shared<Target>(0, 0, -100), std::make_shared<Target>(0, 0, 100));
  EXPECT_EQ(std::fabs(camera.framing().yaw), 90.0f);
  auto spot = std::make_shared<Target>(5, 0, 5);
  camera.setTargets(spot, spot);
  EXPECT_EQ(camera.framing().yaw, 0.0f);
  step(camera, 16);
  EXPECT_TRUE(isFinite(camera.worldMatrix()));
}

TEST(FramingTest, SetTargetDropsTheSecondTarget) {
  TrackingCamera camera(nullptr, "FixedCamera");
  auto a = std::make_shared<Target>(0, 0, 0);
  camera.setTargets(a, std::make_shared<Target>(2000, 0, 0));
  camera.setTarget(a);
  EXPECT_EQ(camera.targetA(), a);
  EXPECT_FALSE(camera.targetB());
  EXPECT_EQ(camera.framing().distance, 400.0f);
}

TEST(FramingTest, TheCreatorNamesTheCamera) {
  TrackingCamera fixed(nullptr, "FixedCamera");
  OrbitCamera rotating(nullptr, "FixedRotateCamera");
  EXPECT_EQ(fixed.name(), "FixedCamera");
  EXPECT_EQ(rotating.name(), "FixedRotateCamera");
  EXPECT_TRUE(rotating.isCamera());
}

// --- Orbit ---------------------------------------------------------------------

TEST(OrbitTest, HalfATurnTakes5400Milliseconds) {
  OrbitCamera camera(std::make_shared<Target>(1000, 0, 0), "FixedRotateCamera");
  for (int i = 0; i < 300; ++i) step(camera, 18);
  EXPECT_EQ(camera.orbitDegrees(), 5400.0f);
  // Heading 180: the eye is behind the point above the target along -z.
  EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(1000, 100, -400), 1e-2f));
  EXPECT_TRUE(vectorNear(lookOf(camera), Vector3(0, 0, 1), 1e-5f));
}

TEST(OrbitTest, TheOrbitIgnoresTheFramingsHeadingButKeepsItsDistance) {
  OrbitCamera camera(nullptr, "FixedRotateCamera");
  camera.setTargets(std::make_shared<Target>(0, 0, -500), std::make_shared<Target>(0, 0, 500));
  step(camera, 16);
  const float degrees = 16 * 0.033333335f;
  const float radians = degrees * float(M_PI) / 180.0f;
  const float d = camera.framing().distance;
  EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(d * std::sin(radians), 100, d * std::cos(radians)), 1e-2f));
}

// --- The match camera --------------------------------------------------------------

TEST(BroadcastTest, PitchGrowsAsTheBallGoesTowardsTheFarEnd) {
  EXPECT_NEAR(broadcastTilt(-550), 1.5f, 1e-5f);
  EXPECT_EQ(broadcastTilt(500), 0.0f);
  EXPECT_EQ(broadcastTilt(0), 0.0f);
  EXPECT_EQ(broadcastTilt(-2000), 3.0f);
  EXPECT_EQ(broadcastTilt(2000), 0.0f);
  EXPECT_NEAR(broadcastTilt(-1090), 1090 * 0.0027272727f, 1e-5f);
  EXPECT_LT(broadcastTilt(-1090), 3.0f);
}

class BroadcastCameraTest : public testing::Test {
 protected:
  void SetUp() override {
    source.setName("Camera01");
    source.setNearPlane(2.5f);
    source.setFarPlane(20000.0f);
    source.setFovY(38.5f);
    auto clip = std::make_shared<Animation>(1, 16);
    clip->setMatrix(mount);
    source.animator().addAnimation(clip);
  }
  // Looking down the court from above one end.
  const Matrix mount = rotate(translate(Matrix(), 2000, 800, 0), 60, 0, 1, 0);
  Camera source;
  std::shared_ptr<AnimatedGroup> ball = std::make_shared<AnimatedGroup>("Pelota");
};

TEST_F(BroadcastCameraTest, CopiesTheLensAndRestingPlaceOfTheStadiumCamera) {
  BroadcastCamera camera(ball, source);
  EXPECT_EQ(camera.name(), "OnGameCamera");
  EXPECT_EQ(camera.nearPlane(), 2.5);
  EXPECT_EQ(camera.farPlane(), 20000.0);
  EXPECT_EQ(camera.fovY(), 38.5);
  EXPECT_TRUE(matrixNear(camera.mount(), mount));
}

TEST_F(BroadcastCameraTest, PitchesAboutItsOwnSideAxisWithoutMoving) {
  BroadcastCamera camera(ball, source);
  ball->setTransform(translate(Matrix(), -2000, 50, 0));
  step(camera, 16);
  EXPECT_TRUE(vectorNear(eyeOf(camera), translation(mount), 1e-3f));
  const Vector3 restingLook(-mount.m[8], -mount.m[9], -mount.m[10]);
  EXPECT_NEAR(dot(lookOf(camera), restingLook), std::cos(3.0 * M_PI / 180.0), 1e-6);
  // The side axis stays as it was.
  EXPECT_TRUE(vectorNear(Vector3(camera.worldMatrix().m[0], camera.worldMatrix().m[1], camera.worldMatrix().m[2]),
                         Vector3(mount.m[0], mount.m[1], mount.m[2]), 1e-5f));

  ball->setTransform(translate(Matrix(), 500, 50, 0));
  step(camera, 16);
  EXPECT_TRUE(matrixNear(camera.worldMatrix(), mount, 1e-4f));
}

TEST_F(BroadcastCameraTest, KeepsItsLastPlaceWhenTheBallIsGone) {
  BroadcastCamera camera(ball, source);
  ball->setTransform(translate(Matrix(), -550, 50, 0));
  step(camera, 16);
  const Matrix last = camera.worldMatrix();
  ball.reset();
  step(camera, 16);
  EXPECT_TRUE(matrixNear(camera.worldMatrix(), last, 0.0f));
}

// --- The free camera -------------------------------------------------------------

TEST(FreeCameraTest, StartsBehindAndAboveItsParentWithAFarReach) {
  FreeCamera camera;
  EXPECT_EQ(camera.name(), "Camera0");
  EXPECT_EQ(camera.farPlane(), 10000.0);
  step(camera, 16);
  EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(0, 60, 200)));
  EXPECT_TRUE(vectorNear(lookOf(camera), Vector3(0, 0, -1)));
}

TEST(FreeCameraTest, EachKeyMovesOneValueAtItsRate) {
  std::set<int> held;
  FreeCamera camera([&held](int code) { return held.count(code) > 0; });
  const struct {
    int code;
    float yaw, pitch, distance, height;
  } cases[] = {
      {'8', 0, -3.2f, 200, 60},  {'2', 0, 3.2f, 200, 60},   {'6', -3.2f, 0, 200, 60},
      {'4', 3.2f, 0, 200, 60},   {256 + 104, 0, 0, 184, 60}, {256 + 105, 0, 0, 216, 60},
      {256 + 107, 0, 0, 200, 52}, {256 + 106, 0, 0, 200, 68},
  };
  for (const auto& c : cases) {
    FreeCamera fresh([&held](int code) { return held.count(code) > 0; });
    held = {c.code};
    step(fresh, 16);
    EXPECT_NEAR(fresh.yaw(), c.yaw, 1e-5f) << c.code;
    EXPECT_NEAR(fresh.pitch(), c.pitch, 1e-5f) << c.code;
    EXPECT_NEAR(fresh.distance(), c.distance, 1e-5f) << c.code;
    EXPECT_NEAR(fresh.height(), c.height, 1e-5f) << c.code;
  }
  held.clear();
  step(camera, 16);
  EXPECT_EQ(camera.yaw(), 0.0f);
}

TEST(FreeCameraTest, TurningLeftByNinetyDegreesCirclesToTheSide) {
  bool turning = true;
  FreeCamera camera([&turning](int code) { return turning && code == '4'; });
  step(camera, 450);  // 0.2 degrees a millisecond
  EXPECT_NEAR(camera.yaw(), 90.0f, 1e-4f);
  EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(200, 60, 0), 1e-3f));
  EXPECT_TRUE(vectorNear(lookOf(camera), Vector3(-1, 0, 0), 1e-5f));
}

TEST(FreeCameraTest, WithoutAKeyboardNothingMoves) {
  FreeCamera camera;
  for (int i = 0; i < 10; ++i) step(camera, 16);
  EXPECT_EQ(camera.yaw(), 0.0f);
  EXPECT_EQ(camera.pitch(), 0.0f);
  EXPECT_EQ(camera.distance(), 200.0f);
  EXPECT_EQ(camera.height(), 60.0f);
}

TEST(CameraViewTest, ACameraAtTheOriginShowsTheWorldAtATenth) {
  Camera camera;
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(10, -20, 30), camera.viewMatrix()), Vector3(1, -2, 3)));
}

}  // namespace
