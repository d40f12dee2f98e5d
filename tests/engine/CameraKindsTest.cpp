// The cameras as plain maths: where the framing cameras put the eye for
// none, one or two targets, how the orbit turns, how far the match camera
// pitches for the ball, and how the free camera answers the keys.

#include <gtest/gtest.h>

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
  Target(float x, float z, int32_t side) : AnimatedGroup("target"), side(side) { setTransform(placedAt(x, 0, z)); }
  int32_t courtSide() const override { return side; }

 private:
  int32_t side;
};

std::shared_ptr<Target> at(float x, float z, int32_t side = 0) { return std::make_shared<Target>(x, z, side); }

Vector3 eyeOf(const Camera& camera) { return translation(camera.worldMatrix()); }
// A camera looks along its own -z axis.
Vector3 lookOf(const Camera& camera) { return transformVector(Vector3(0, 0, -1), camera.worldMatrix()); }

void step(Camera& camera, uint32_t dtMs) { camera.updateTree(dtMs, Matrix(), 0); }

TEST(FramingTest, NoneOneOrTwoTargetsAreFramedFromTheNetsSideAtLeastFourHundredAway) {
  TrackingCamera camera(nullptr, "FixedCamera");
  step(camera, 16);
  EXPECT_TRUE(matrixNear(camera.worldMatrix(), placedAt(0, 100, 0)));
  auto spot = at(5, 5);
  const struct {
    std::shared_ptr<Target> a, b;
    Vector3 focus;
    float yaw, distance;
  } cases[] = {
      {nullptr, nullptr, {0, 0, 0}, 0, 0},
      {at(1000, 0, 0), nullptr, {1000, 0, 0}, 90, 400},
      {at(-1000, 0, 1), nullptr, {-1000, 0, 0}, -90, 400},
      {at(0, -500), at(0, 500), {0, 0, 0}, 90, 1207.1f},  // half the gap over tan(22.5 degrees)
      {at(0, 0), at(60, 80), {30, 0, 40}, -53.13f, 400},
      {at(100, 100), at(300, 300), {200, 0, 200}, 45, 400},
      {spot, spot, {5, 0, 5}, 0, 400},
  };
  for (const auto& c : cases) {
    c.b ? camera.setTargets(c.a, c.b) : camera.setTarget(c.a);
    EXPECT_TRUE(vectorNear(camera.framing().focus, c.focus)) << &c - cases;
    EXPECT_NEAR(std::fabs(camera.framing().yaw), std::fabs(c.yaw), 0.01f) << &c - cases;
    EXPECT_NEAR(camera.framing().distance, c.distance, 0.05) << &c - cases;
    step(camera, 16);
    // `distance` from the point 100 above the focus, at right angles to the
    // line between two targets, looking at it.
    const Vector3 aim = c.focus + Vector3(0, 100, 0);
    if (!c.a) continue;
    EXPECT_NEAR(length(eyeOf(camera) - aim), c.distance, 0.05f) << &c - cases;
    EXPECT_TRUE(vectorNear(normalise(aim - eyeOf(camera)), lookOf(camera))) << &c - cases;
  }
  camera.setTarget(at(1000, 0));
  step(camera, 16);
  EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(600, 100, 0), 1e-3f));
  EXPECT_FALSE(camera.targetB());
}

TEST(OrbitTest, TurnsHalfWayRoundIn5400MillisecondsAtTheFramingsDistance) {
  OrbitCamera camera(at(1000, 0), "FixedRotateCamera");
  for (int i = 0; i < 300; ++i) step(camera, 18);
  EXPECT_EQ(camera.orbitDegrees(), 5400.0f);
  // Heading 180: the eye is behind the point above the target along -z.
  EXPECT_TRUE(vectorNear(eyeOf(camera), Vector3(1000, 100, -400), 1e-2f));
  EXPECT_TRUE(vectorNear(lookOf(camera), Vector3(0, 0, 1)));
  OrbitCamera pair(nullptr, "FixedRotateCamera");
  pair.setTargets(at(0, -500), at(0, 500));
  step(pair, 16);
  const float radians = 16 * 0.033333335f * float(M_PI) / 180.0f;
  const float d = pair.framing().distance;
  EXPECT_TRUE(vectorNear(eyeOf(pair), Vector3(d * std::sin(radians), 100, d * std::cos(radians)), 1e-2f));
}

TEST(BroadcastTest, CopiesTheStadiumCameraAndPitchesInPlaceAsTheBallGoesTowardsTheFarEnd) {
  for (auto [x, tilt] : {std::pair{-550.0f, 1.5f}, {500, 0}, {-2000, 3}, {2000, 0}}) {
    EXPECT_NEAR(broadcastTilt(x), tilt, 1e-5f) << x;
  }
  // Looking down the court from above one end.
  const Matrix mount = rotate(translate(Matrix(), 2000, 800, 0), 60, 0, 1, 0);
  Camera source("Camera01");
  source.setNearPlane(2.5f);
  source.setFarPlane(20000.0f);
  source.setFovY(38.5f);
  source.animator().addAnimation(clipWithBase(mount));
  auto ball = std::make_shared<AnimatedGroup>("Pelota");
  BroadcastCamera camera(ball, source);
  EXPECT_TRUE(camera.nearPlane() == 2.5 && camera.farPlane() == 20000 && camera.fovY() == 38.5);
  EXPECT_TRUE(matrixNear(camera.mount(), mount));
  ball->setTransform(placedAt(-2000, 50, 0));
  step(camera, 16);
  EXPECT_TRUE(vectorNear(eyeOf(camera), translation(mount), 1e-3f));
  EXPECT_NEAR(dot(lookOf(camera), transformVector(Vector3(0, 0, -1), mount)), std::cos(3.0 * M_PI / 180.0), 1e-6);
  // The side axis stays as it was.
  EXPECT_TRUE(vectorNear(transformVector(Vector3(1, 0, 0), camera.worldMatrix()), transformVector(Vector3(1, 0, 0), mount)));
  ball->setTransform(placedAt(500, 50, 0));
  step(camera, 16);
  EXPECT_TRUE(matrixNear(camera.worldMatrix(), mount, 1e-4f));
  const Matrix last = camera.worldMatrix();
  ball.reset();
  step(camera, 16);
  EXPECT_TRUE(matrixNear(camera.worldMatrix(), last, 0));
}

TEST(FreeCameraTest, StartsBehindAndAboveItsParentAndEachKeyMovesOneValueAtItsRate) {
  FreeCamera still;
  for (int i = 0; i < 10; ++i) step(still, 16);
  EXPECT_TRUE(vectorNear(eyeOf(still), Vector3(0, 60, 200)));
  EXPECT_TRUE(vectorNear(lookOf(still), Vector3(0, 0, -1)));
  std::set<int> held;
  const auto keys = [&held](int code) { return held.count(code) > 0; };
  const struct {
    int code;
    float yaw, pitch, distance, height;
  } cases[] = {
      {'8', 0, -3.2f, 200, 60},   {'2', 0, 3.2f, 200, 60},    {'6', -3.2f, 0, 200, 60},
      {'4', 3.2f, 0, 200, 60},    {256 + 104, 0, 0, 184, 60}, {256 + 105, 0, 0, 216, 60},
      {256 + 107, 0, 0, 200, 52}, {256 + 106, 0, 0, 200, 68}, {'5', 0, 0, 200, 60},
  };
  for (const auto& c : cases) {
    FreeCamera camera(keys);
    held = {c.code};
    step(camera, 16);
    EXPECT_TRUE(allNear<4>({camera.yaw(), camera.pitch(), camera.distance(), camera.height()},
                           {c.yaw, c.pitch, c.distance, c.height}, 1e-5f)) << c.code;
  }
}

}  // namespace
