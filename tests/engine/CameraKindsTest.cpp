// The cameras as plain maths: the lens defaults and the view at a tenth of
// the scene's size, where the framing cameras put the eye for none, one or
// two targets, how the orbit turns, how far the match camera pitches for the
// ball, and how the free camera answers the keys.

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "MathExpect.h"
#include "SceneTestSupport.h"
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

std::shared_ptr<Target> at(float x, float z, int32_t side = 0) { return std::make_shared<Target>(x, 0, z, side); }

Vector3 eyeOf(const Camera& camera) { return translation(camera.worldMatrix()); }
// A camera looks along its own -z axis.
Vector3 lookOf(const Camera& camera) {
  const Matrix& m = camera.worldMatrix();
  return Vector3(-m.m[8], -m.m[9], -m.m[10]);
}

void step(Camera& camera, uint32_t dtMs) { camera.updateTree(dtMs, Matrix(), 0); }

TEST(CameraTest, LensDefaultsAndAViewAtATenthFromTheEye) {
  Camera camera("Camera01");
  EXPECT_TRUE(camera.isCamera());
  EXPECT_FALSE(SceneObject().isCamera());
  EXPECT_EQ(camera.nearPlane(), 1.0);
  EXPECT_EQ(camera.farPlane(), 1000.0);
  EXPECT_EQ(camera.fovY(), 45.0);
  camera.setFovY(0.1f);
  EXPECT_EQ(camera.fovY(), double(0.1f));  // widened from the single-precision argument
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(10, -20, 30), camera.viewMatrix()), Vector3(1, -2, 3)));

  // The eye at (100, 0, 0) looking along its own -z, which is world -x.
  camera.setWorldMatrix(translate(rotate(Matrix(), 90, 0, 1, 0), 0, 0, 100));
  const Matrix view = camera.viewMatrix();
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(100, 0, 0), view), Vector3(0, 0, 0), 1e-5f));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(0, 0, 0), view), Vector3(0, 0, -10), 1e-5f));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(100, 20, 0), view), Vector3(0, 2, 0), 1e-5f));
}

TEST(FramingTest, NoTargetOrOneTargetSeenFromTheNetsSideAtTheLeastDistance) {
  TrackingCamera camera(nullptr, "FixedCamera");
  const Framing none = camera.framing();
  EXPECT_TRUE(vectorNear(none.focus, Vector3(0, 0, 0)));
  EXPECT_EQ(none.yaw, 0.0f);
  EXPECT_EQ(none.distance, 0.0f);
  step(camera, 16);
  EXPECT_TRUE(matrixNear(camera.worldMatrix(), translate(Matrix(), 0, 100, 0)));

  const struct {
    int32_t side;
    float x, yaw;
  } sides[] = {{0, 1000, 90}, {1, -1000, -90}};
  for (const auto& s : sides) {
    SCOPED_TRACE(testing::Message() << "side " << s.side);
    camera.setTarget(at(s.x, 0, s.side));
    const Framing one = camera.framing();
    EXPECT_TRUE(vectorNear(one.focus, Vector3(s.x, 0, 0)));
    EXPECT_EQ(one.yaw, s.yaw);
    EXPECT_EQ(one.distance, 400.0f);
    step(camera, 16);
    // 400 units towards the net from the player, 100 up, looking at the player.
    EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(s.x * 0.6f, 100, 0), 1e-3f));
    EXPECT_TRUE(vectorNear(lookOf(camera), Vector3(s.x / 1000, 0, 0)));
  }
}

TEST(FramingTest, TwoTargetsAreFittedIntoTheFieldOfViewSideOn) {
  TrackingCamera camera(nullptr, "FixedCamera");
  camera.setTargets(at(0, -500), at(0, 500));
  EXPECT_NEAR(camera.framing().distance, 1207.1, 0.05);  // half the gap over tan(22.5 degrees)
  EXPECT_TRUE(vectorNear(camera.framing().focus, Vector3(0, 0, 0)));
  EXPECT_EQ(std::fabs(camera.framing().yaw), 90.0f);
  camera.setTargets(at(0, 0), at(60, 80));
  EXPECT_EQ(camera.framing().distance, 400.0f);
  EXPECT_TRUE(vectorNear(camera.framing().focus, Vector3(30, 0, 40)));

  camera.setTargets(at(100, 100), at(300, 300));
  EXPECT_NEAR(camera.framing().yaw, 45.0f, 1e-4f);
  step(camera, 16);
  // At right angles to the line between them, `distance` from the point
  // above the middle, looking at it.
  EXPECT_NEAR(dot(lookOf(camera), normalise(Vector3(1, 0, 1))), 0.0f, 1e-5f);
  const Vector3 aim(200, 100, 200);
  EXPECT_NEAR(length(eyeOf(camera) - aim), 400.0f, 1e-2f);
  EXPECT_TRUE(vectorNear(normalise(aim - eyeOf(camera)), lookOf(camera), 1e-5f));

  auto spot = at(5, 5);
  camera.setTargets(spot, spot);
  EXPECT_EQ(camera.framing().yaw, 0.0f);
  step(camera, 16);
  EXPECT_TRUE(isFinite(camera.worldMatrix()));
  camera.setTargets(spot, at(2000, 0));
  camera.setTarget(spot);
  EXPECT_FALSE(camera.targetB());
  EXPECT_EQ(camera.framing().distance, 400.0f);
}

TEST(OrbitTest, TurnsHalfWayRoundIn5400MillisecondsAtTheFramingsDistance) {
  OrbitCamera camera(at(1000, 0), "FixedRotateCamera");
  for (int i = 0; i < 300; ++i) step(camera, 18);
  EXPECT_EQ(camera.orbitDegrees(), 5400.0f);
  // Heading 180: the eye is behind the point above the target along -z.
  EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(1000, 100, -400), 1e-2f));
  EXPECT_TRUE(vectorNear(lookOf(camera), Vector3(0, 0, 1), 1e-5f));

  OrbitCamera pair(nullptr, "FixedRotateCamera");
  pair.setTargets(at(0, -500), at(0, 500));
  step(pair, 16);
  const float radians = 16 * 0.033333335f * float(M_PI) / 180.0f;
  const float d = pair.framing().distance;
  EXPECT_TRUE(vectorNear(eyeOf(pair), Vector3(d * std::sin(radians), 100, d * std::cos(radians)), 1e-2f));
}

TEST(BroadcastTest, PitchGrowsAsTheBallGoesTowardsTheFarEnd) {
  EXPECT_NEAR(broadcastTilt(-550), 1.5f, 1e-5f);
  EXPECT_EQ(broadcastTilt(500), 0.0f);
  EXPECT_EQ(broadcastTilt(0), 0.0f);
  EXPECT_EQ(broadcastTilt(-2000), 3.0f);
  EXPECT_EQ(broadcastTilt(2000), 0.0f);
  EXPECT_NEAR(broadcastTilt(-1090), 1090 * 0.0027272727f, 1e-5f);
  EXPECT_LT(broadcastTilt(-1090), 3.0f);
}

TEST(BroadcastTest, CopiesTheStadiumCameraAndPitchesInPlaceUntilTheBallIsGone) {
  // Looking down the court from above one end.
  const Matrix mount = rotate(translate(Matrix(), 2000, 800, 0), 60, 0, 1, 0);
  Camera source("Camera01");
  source.setNearPlane(2.5f);
  source.setFarPlane(20000.0f);
  source.setFovY(38.5f);
  source.animator().addAnimation(clipWithBase(mount));
  auto ball = std::make_shared<AnimatedGroup>("Pelota");

  BroadcastCamera camera(ball, source);
  EXPECT_EQ(camera.name(), "OnGameCamera");
  EXPECT_EQ(camera.nearPlane(), 2.5);
  EXPECT_EQ(camera.farPlane(), 20000.0);
  EXPECT_EQ(camera.fovY(), 38.5);
  EXPECT_TRUE(matrixNear(camera.mount(), mount));

  ball->setTransform(translate(Matrix(), -2000, 50, 0));
  step(camera, 16);
  EXPECT_TRUE(vectorNear(eyeOf(camera), translation(mount), 1e-3f));
  const Vector3 restingLook(-mount.m[8], -mount.m[9], -mount.m[10]);
  EXPECT_NEAR(dot(lookOf(camera), restingLook), std::cos(3.0 * M_PI / 180.0), 1e-6);
  // The side axis stays as it was.
  const Matrix& world = camera.worldMatrix();
  EXPECT_TRUE(vectorNear(Vector3(world.m[0], world.m[1], world.m[2]), Vector3(mount.m[0], mount.m[1], mount.m[2])));
  ball->setTransform(translate(Matrix(), 500, 50, 0));
  step(camera, 16);
  EXPECT_TRUE(matrixNear(camera.worldMatrix(), mount, 1e-4f));

  ball->setTransform(translate(Matrix(), -550, 50, 0));
  step(camera, 16);
  const Matrix last = camera.worldMatrix();
  ball.reset();
  step(camera, 16);
  EXPECT_TRUE(matrixNear(camera.worldMatrix(), last, 0.0f));
}

TEST(FreeCameraTest, StartsBehindAndAboveItsParentAndStaysWithoutAKeyboard) {
  FreeCamera camera;
  EXPECT_EQ(camera.name(), "Camera0");
  EXPECT_EQ(camera.farPlane(), 10000.0);
  for (int i = 0; i < 10; ++i) step(camera, 16);
  EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(0, 60, 200)));
  EXPECT_TRUE(vectorNear(lookOf(camera), Vector3(0, 0, -1)));
}

TEST(FreeCameraTest, EachKeyMovesOneValueAtItsRate) {
  std::set<int> held;
  const auto keys = [&held](int code) { return held.count(code) > 0; };
  const struct {
    int code;
    float yaw, pitch, distance, height;
  } cases[] = {
      {'8', 0, -3.2f, 200, 60},  {'2', 0, 3.2f, 200, 60},   {'6', -3.2f, 0, 200, 60},
      {'4', 3.2f, 0, 200, 60},   {256 + 104, 0, 0, 184, 60}, {256 + 105, 0, 0, 216, 60},
      {256 + 107, 0, 0, 200, 52}, {256 + 106, 0, 0, 200, 68}, {'5', 0, 0, 200, 60},
  };
  for (const auto& c : cases) {
    FreeCamera camera(keys);
    held = {c.code};
    step(camera, 16);
    EXPECT_NEAR(camera.yaw(), c.yaw, 1e-5f) << c.code;
    EXPECT_NEAR(camera.pitch(), c.pitch, 1e-5f) << c.code;
    EXPECT_NEAR(camera.distance(), c.distance, 1e-5f) << c.code;
    EXPECT_NEAR(camera.height(), c.height, 1e-5f) << c.code;
  }
  // Turning left by 90 degrees (0.2 a millisecond) circles to the side.
  FreeCamera camera(keys);
  held = {'4'};
  step(camera, 450);
  EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(200, 60, 0), 1e-3f));
  EXPECT_TRUE(vectorNear(lookOf(camera), Vector3(-1, 0, 0), 1e-5f));
}

}  // namespace
