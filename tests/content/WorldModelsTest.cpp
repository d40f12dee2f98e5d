// The world's models as the build leaves them in the run folder: each file
// the game loads for a match is there, the game's reader takes it without a
// message, assimp reads the same faces, and the facts the game relies on
// hold (lines where the referee judges, the net's height, the broadcast
// camera's view, the ball's size, effects that step through a sprite sheet).

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>

#include "assets/ModelProbe.h"
#include "content/models/CourtLayout.h"
#include "engine/Animation.h"
#include "engine/BillboardObject.h"
#include "engine/Camera.h"
#include "engine/Material.h"
#include "tests/content/ModelTestSupport.h"

namespace {

namespace fs = std::filesystem;
using modeltest::runFolder;
using modeltest::runModel;

const char* const kWorldModels[] = {"models/stadium/pista.ASZ", "models/ball/pelota.ASE", "models/polvo.ASZ",
                                    "models/zas.ASZ", "models/ballblur.ASZ"};
const char* const kEffects[] = {"models/polvo.ASZ", "models/zas.ASZ", "models/ballblur.ASZ"};

// Bits per pixel of a TGA file (0 when it is not one).
int tgaBits(const fs::path& file) {
  const std::string bytes = modeltest::readFile(file);
  if (bytes.size() < 18) return 0;
  return static_cast<unsigned char>(bytes[16]);
}

// A mesh's vertices in the game's world at clip 0, time 0.
std::vector<Vector3> worldVertices(LoadedModel& loaded, const SceneObject& object) {
  poseModel(*loaded.model->root, 0, 0);
  return modeltest::worldPoints(object);
}

bool insideTriangle(float x, float z, const Vector3& a, const Vector3& b, const Vector3& c) {
  auto side = [&](const Vector3& p, const Vector3& q) { return (q.x - p.x) * (z - p.z) - (q.z - p.z) * (x - p.x); };
  const float d0 = side(a, b), d1 = side(b, c), d2 = side(c, a);
  return (d0 >= 0 && d1 >= 0 && d2 >= 0) || (d0 <= 0 && d1 <= 0 && d2 <= 0);
}

TEST(WorldModels, EveryModelLoadsWithoutAMessageWithItsPicturesAndAssimpsFaces) {
  for (const char* file : kWorldModels) {
    SCOPED_TRACE(file);
    ASSERT_TRUE(fs::is_regular_file(runFolder() / file));
    const LoadedModel& loaded = runModel(file);
    EXPECT_EQ(loaded.output, "");
    EXPECT_TRUE(findModelProblems(*loaded.model).empty());
    EXPECT_FALSE(loaded.model->root->children().empty());
    // Every picture a material names is beside the model.
    ASSERT_FALSE(loaded.textures->paths().empty());
    for (const std::string& texture : loaded.textures->paths()) EXPECT_GT(tgaBits(texture), 0) << texture;
    modeltest::expectAssimpFaces(*loaded.model, modeltest::readFile(runFolder() / file));
  }
}

TEST(WorldModels, LinesLieWhereTheGameJudgesThem) {
  LoadedModel& stadium = runModel("models/stadium/pista.ASZ");
  const auto lines = stadium.find("Lineas");
  ASSERT_TRUE(lines);
  const std::vector<Vector3> points = worldVertices(stadium, *lines);
  for (const Vector3& p : points) {
    EXPECT_GT(p.y, 0.1f);
    EXPECT_LT(p.y, 2.0f);
  }
  auto onLine = [&](float x, float z) {
    for (const Face& f : lines->faces()) {
      if (insideTriangle(x, z, points[f[0]], points[f[1]], points[f[2]])) return true;
    }
    return false;
  };
  // Just inside each judged edge there is paint; just outside there is court
  // or run-off.
  for (float side : {-1.0f, 1.0f}) {
    EXPECT_TRUE(onLine(side * (kBaselineX - 1), 100));
    EXPECT_FALSE(onLine(side * (kBaselineX + 1), 100));
    EXPECT_TRUE(onLine(side * (kServiceLineX - 1), 100));
    EXPECT_FALSE(onLine(side * (kServiceLineX + 1), 100));
    EXPECT_TRUE(onLine(300, side * (kSinglesSideZ - 1)));
    EXPECT_FALSE(onLine(300, side * (kSinglesSideZ + 1)));
    EXPECT_TRUE(onLine(300, side * (kDoublesSideZ - 1)));
    EXPECT_FALSE(onLine(300, side * (kDoublesSideZ + 1)));
    EXPECT_FALSE(onLine(300, side * 5));
  }
  EXPECT_TRUE(onLine(300, 0));
  EXPECT_TRUE(onLine(-300, 0));
  EXPECT_FALSE(onLine(700, 0));
}

TEST(WorldModels, NetTopStandsAtTheNetHeightAcrossTheCourt) {
  LoadedModel& stadium = runModel("models/stadium/pista.ASZ");
  const auto net = stadium.find("Red");
  ASSERT_TRUE(net);
  float top = -1e9f, bottom = 1e9f, nearZ = 1e9f, farZ = -1e9f;
  for (const Vector3& p : worldVertices(stadium, *net)) {
    EXPECT_NEAR(p.x, 0.0f, 1e-3f);
    top = std::max(top, p.y);
    bottom = std::min(bottom, p.y);
    nearZ = std::min(nearZ, p.z);
    farZ = std::max(farZ, p.z);
  }
  EXPECT_NEAR(top, kNetTopY, 1e-3f);
  EXPECT_NEAR(bottom, 0.0f, 1e-3f);
  EXPECT_LT(nearZ, -kDoublesSideZ);
  EXPECT_GT(farZ, kDoublesSideZ);
  // Its picture has an alpha channel, so the scene sorts it as transparent.
  ASSERT_TRUE(net->material() && net->material()->hasTexture());
  EXPECT_EQ(tgaBits(net->material()->texture()->path()), 32);
}

TEST(WorldModels, BroadcastCameraShowsTheWholeCourtFromBehindTheNearBaseline) {
  const LoadedModel& stadium = runModel("models/stadium/pista.ASZ");
  const auto camera = stadium.find<Camera>("Camera01");
  ASSERT_TRUE(camera);
  const Matrix mount = camera->animationMatrix(0);
  const Vector3 eye = translation(mount);
  EXPECT_GT(eye.x, kBaselineX);
  EXPECT_GT(eye.y, kNetTopY);
  EXPECT_NEAR(eye.z, 0.0f, 1e-3f);
  const Vector3 forward = normalise(-Vector3(mount[8], mount[9], mount[10]));
  EXPECT_LT(forward.x, -0.8f);
  EXPECT_LT(forward.y, 0.0f);
  // The game tilts the camera up to three degrees about its own x as the
  // ball goes towards -x: both players' places stay in the picture.
  const double halfHeight = std::tan(camera->fovY() * 3.14159265358979 / 360.0);
  const double halfWidth = halfHeight * 4.0 / 3.0;
  const Vector3 places[] = {{kBaselineX + 60, 0, kDoublesSideZ},
                            {kBaselineX + 60, 0, -kDoublesSideZ},
                            {-kBaselineX - 60, 180, kDoublesSideZ},
                            {-kBaselineX - 60, 180, -kDoublesSideZ},
                            {kBaselineX + 60, 180, 0},
                            {-kBaselineX - 60, 0, 0}};
  for (float tilt : {0.0f, 3.0f}) {
    const Matrix toCamera = inverse(rotate(mount, tilt, 1, 0, 0));
    for (const Vector3& place : places) {
      const Vector3 p = transformPoint(place, toCamera);
      ASSERT_LT(p.z, 0.0f);
      EXPECT_LT(std::fabs(p.x / -p.z), halfWidth) << "tilt " << tilt << ", x " << place.x << ", z " << place.z;
      EXPECT_LT(std::fabs(p.y / -p.z), halfHeight) << "tilt " << tilt << ", x " << place.x << ", z " << place.z;
    }
  }
}

TEST(WorldModels, SkySurroundsEverythingWithinEveryCamerasReach) {
  LoadedModel& stadium = runModel("models/stadium/pista.ASZ");
  const auto sky = stadium.find("Cielo");
  ASSERT_TRUE(sky);
  float skyRadius = 1e9f;
  for (const Vector3& p : worldVertices(stadium, *sky)) skyRadius = std::min(skyRadius, length(p));
  modeltest::forEachObject(*stadium.model->root, [&](const SceneObject& object) {
    if (&object == sky.get()) return;
    for (const Vector3& v : object.vertices()) {
      EXPECT_LT(length(transformPoint(v, object.worldMatrix())), skyRadius) << object.name();
    }
  });
  // The broadcast camera's far plane (in tenths) reaches past the sky, and
  // so does the game's default 1000 from anywhere near the court.
  const auto camera = stadium.find<Camera>("Camera01");
  ASSERT_TRUE(camera);
  const float farthest = length(translation(camera->animationMatrix(0))) + skyRadius * 1.01f;
  EXPECT_GT(camera->farPlane() * 10.0, farthest);
  EXPECT_GT(10000.0, skyRadius * 1.01 + 2000.0);
}

TEST(WorldModels, StandsHoldACrowdOfCameraFacingCards) {
  const LoadedModel& stadium = runModel("models/stadium/pista.ASZ");
  size_t cards = 0;
  for (const auto& child : stadium.model->root->children()) {
    const auto* card = dynamic_cast<const BillboardObject*>(child.get());
    if (!card) continue;
    ++cards;
    EXPECT_EQ(card->name().front(), '&');
    ASSERT_TRUE(card->material() && card->material()->hasTexture());
    EXPECT_EQ(tgaBits(card->material()->texture()->path()), 32);
  }
  EXPECT_GT(cards, 200u);
}

TEST(WorldModels, BallHasTheBallsRadiusAndAGroundShadow) {
  LoadedModel& ball = runModel("models/ball/pelota.ASE");
  const auto felt = ball.find("Bola");
  ASSERT_TRUE(felt);
  for (const Vector3& p : worldVertices(ball, *felt)) EXPECT_NEAR(length(p), kBallRadius, 1e-3f);
  const auto shadow = ball.find("Sombra");
  ASSERT_TRUE(shadow);
  EXPECT_EQ(shadow->parent(), ball.model->root.get());
  // The game hangs the shadow kShadowParentY above the ground: its own
  // offset must put it flat just above the court's lines.
  for (const Vector3& v : shadow->vertices()) {
    const Vector3 p = transformPoint(v, shadow->animationMatrix(0));
    EXPECT_GT(p.y + kShadowParentY, 1.0f);
    EXPECT_LT(p.y + kShadowParentY, 3.0f);
    EXPECT_LT(std::hypot(p.x, p.z), 3 * kBallRadius);
  }
  ASSERT_TRUE(shadow->material() && shadow->material()->hasTexture());
  EXPECT_EQ(tgaBits(shadow->material()->texture()->path()), 32);
}

TEST(WorldModels, EffectsStepThroughTheirSpriteSheets) {
  for (const char* file : kEffects) {
    SCOPED_TRACE(file);
    const LoadedModel& effect = runModel(file);
    // The scene draws the first object of the first material.
    ASSERT_FALSE(effect.model->materials.empty());
    const auto objects = effect.model->materials[0]->objects();
    ASSERT_FALSE(objects->empty());
    const auto card = std::dynamic_pointer_cast<BillboardObject>(objects->front());
    ASSERT_TRUE(card);
    ASSERT_TRUE(card->material()->hasTexture());
    EXPECT_EQ(tgaBits(card->material()->texture()->path()), 32);
    const uint32_t duration = effect.model->root->animationDurations().at(0);
    EXPECT_GE(duration, 100u);
    EXPECT_LE(duration, 500u);
    const Animation& clip = *card->animator().animations().at(0);
    const PositionKeys& offsets = clip.textureOffsetKeys();
    ASSERT_EQ(offsets.size(), clip.frameCount());
    for (size_t i = 1; i < offsets.size(); ++i) EXPECT_GE(offsets[i].value.x, offsets[i - 1].value.x);
    EXPECT_GT(offsets.back().value.x, offsets.front().value.x);
  }
}

}  // namespace
