// The world's models as the build leaves them in the run folder: each file
// the game loads for a match is there, the game's reader takes it without a
// message, assimp reads the same faces, and the facts the game relies on
// hold (lines where the referee judges, the net's height, the ball's size,
// intros that walk the players to their places).

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "assets/ModelProbe.h"
#include "content/models/CourtLayout.h"
#include "engine/Camera.h"
#include "engine/Material.h"
#include "tests/content/ModelTestSupport.h"

namespace {

namespace fs = std::filesystem;
using modeltest::runFolder;
using modeltest::runModel;

// Bits per pixel of a TGA file (0 when it is not one).
int tgaBits(const fs::path& file) {
  const std::string bytes = modeltest::readFile(file);
  return bytes.size() < 18 ? 0 : static_cast<unsigned char>(bytes[16]);
}

int textureBits(const SceneObject& object) {
  EXPECT_TRUE(object.material() && object.material()->hasTexture()) << object.name();
  return object.material() && object.material()->hasTexture() ? tgaBits(object.material()->texture()->path()) : 0;
}

// A mesh's vertices in the game's world at clip 0, time 0.
std::vector<Vector3> worldVertices(LoadedModel& loaded, const SceneObject& object) {
  poseModel(*loaded.model->root, 0, 0);
  return modeltest::worldPoints(object);
}

// Every model of the run folder, with the clip files the game reads beside
// it: the file is there, the reader takes it without a message into a safe
// model with all its clips, every picture it names is a TGA beside it, and
// assimp reads the same faces.
TEST(RunFolderModels, EveryModelLoadsWithoutAMessageWithItsPicturesAndAssimpsFaces) {
  for (const char* file : {"models/stadium/pista.ASZ", "models/ball/pelota.ASE", "models/polvo.ASZ", "models/zas.ASZ",
                           "models/ballblur.ASZ", "models/Birdy/birdy.ASE", "models/IntroSingles.ASE",
                           "models/IntroDoubles.ASE", "models/Vazuvodod/normal.ASZ", "models/Revirade/normal.ASZ",
                           "models/Roveriru/normal.ASZ", "models/Doredu/normal.ASZ"}) {
    SCOPED_TRACE(file);
    const LoadedModel& loaded = runModel(file);
    EXPECT_EQ(loaded.output, "");
    EXPECT_TRUE(findModelProblems(*loaded.model).empty());
    EXPECT_EQ(loaded.model->root->animationCount(), 1 + gameClipFilesFor(fs::path(file).filename()).size());
    for (const std::string& texture : loaded.textures->paths()) EXPECT_GT(tgaBits(texture), 0) << texture;
    // The intros hold no mesh; assimp gives their empty nodes boxes.
    if (std::string(file).find("Intro") != std::string::npos) continue;
    modeltest::expectAssimpFaces(*loaded.model, modeltest::readFile(runFolder() / file));
  }
}

bool insideTriangle(float x, float z, const Vector3& a, const Vector3& b, const Vector3& c) {
  auto side = [&](const Vector3& p, const Vector3& q) { return (q.x - p.x) * (z - p.z) - (q.z - p.z) * (x - p.x); };
  const float d0 = side(a, b), d1 = side(b, c), d2 = side(c, a);
  return (d0 >= 0 && d1 >= 0 && d2 >= 0) || (d0 <= 0 && d1 <= 0 && d2 <= 0);
}

// Just inside each judged edge there is paint; just outside there is court
// or run-off.
TEST(WorldModels, LinesLieWhereTheGameJudgesThem) {
  LoadedModel& stadium = runModel("models/stadium/pista.ASZ");
  const auto lines = stadium.find("Lineas");
  ASSERT_TRUE(lines);
  const std::vector<Vector3> points = worldVertices(stadium, *lines);
  for (const Vector3& p : points) EXPECT_TRUE(p.y > 0.1f && p.y < 2.0f) << p.y;
  auto onLine = [&](float x, float z) {
    for (const Face& f : lines->faces()) {
      if (insideTriangle(x, z, points[f[0]], points[f[1]], points[f[2]])) return true;
    }
    return false;
  };
  for (float side : {-1.0f, 1.0f}) {
    for (float x : {kBaselineX, kServiceLineX}) {
      EXPECT_TRUE(onLine(side * (x - 1), 100)) << side * x;
      EXPECT_FALSE(onLine(side * (x + 1), 100)) << side * x;
    }
    for (float z : {kSinglesSideZ, kDoublesSideZ}) {
      EXPECT_TRUE(onLine(300, side * (z - 1))) << side * z;
      EXPECT_FALSE(onLine(300, side * (z + 1))) << side * z;
    }
    EXPECT_FALSE(onLine(300, side * 5));
    EXPECT_TRUE(onLine(side * 300, 0));
  }
  EXPECT_FALSE(onLine(700, 0));
}

// The net spans the court at the net height, the ball has the ball's
// radius, and the shadow, which the game hangs kShadowParentY above the
// ground, lies flat just above the court's lines; the net's and the
// shadow's pictures have an alpha channel, so the scene sorts them as
// transparent.
TEST(WorldModels, NetBallAndShadowStandWhereTheGameExpectsThem) {
  LoadedModel& stadium = runModel("models/stadium/pista.ASZ");
  LoadedModel& ball = runModel("models/ball/pelota.ASE");
  const auto net = stadium.find("Red"), felt = ball.find("Bola"), shadow = ball.find("Sombra");
  ASSERT_TRUE(net && felt && shadow);
  float top = -1e9f, bottom = 1e9f, nearZ = 1e9f, farZ = -1e9f;
  for (const Vector3& p : worldVertices(stadium, *net)) {
    EXPECT_NEAR(p.x, 0.0f, 1e-3f);
    top = std::max(top, p.y), bottom = std::min(bottom, p.y), nearZ = std::min(nearZ, p.z), farZ = std::max(farZ, p.z);
  }
  EXPECT_EQ(numbersText({top - kNetTopY, bottom}), "0 0");
  EXPECT_TRUE(nearZ < -kDoublesSideZ && farZ > kDoublesSideZ);
  for (const Vector3& p : worldVertices(ball, *felt)) EXPECT_NEAR(length(p), kBallRadius, 1e-3f);
  EXPECT_EQ(shadow->parent(), ball.model->root.get());
  for (const Vector3& v : shadow->vertices()) {
    const Vector3 p = transformPoint(v, shadow->animationMatrix(0));
    EXPECT_TRUE(p.y + kShadowParentY > 1.0f && p.y + kShadowParentY < 3.0f) << p.y;
    EXPECT_LT(std::hypot(p.x, p.z), 3 * kBallRadius);
  }
  EXPECT_EQ(textureBits(*net), 32);
  EXPECT_EQ(textureBits(*shadow), 32);
}

// Where the match puts player i for the first serve (player 0 serves from
// the -z court), the way it faces there, and when the intro starts to fade.
const std::pair<Vector3, Vector3> kPlaces[] = {{{kBaselineX, 0, -200}, {-1, 0, 0}},
                                               {{-kBaselineX, 0, 200}, {1, 0, 0}},
                                               {{kServiceLineX, 0, 200}, {-1, 0, 0}},
                                               {{-kServiceLineX, 0, -200}, {1, 0, 0}}};
constexpr uint32_t kIntroFadeMs = 2000;

// Each intro has its camera and one holder a player at the top, who walks
// upright, at a walk, along the way it faces, never near another, from
// beyond the doubles side line to its first-serve place, where it stands
// still before the fade.
TEST(Intro, HoldersWalkUprightForwardsAndApartToTheFirstServePlaces) {
  for (size_t players : {2u, 4u}) {
    const std::string file = players == 2 ? "models/IntroSingles.ASE" : "models/IntroDoubles.ASE";
    SCOPED_TRACE(file);
    LoadedModel& intro = runModel(file);
    EXPECT_TRUE(intro.find<Camera>("CameraIntro"));
    const auto holder = [&](size_t i) { return intro.find("TennisPlayerHolder[" + std::to_string(i) + "]"); };
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(holder(i) && holder(i)->parent() == intro.model->root.get(), i < players);
    const uint32_t duration = intro.model->root->animationDurations().at(0);
    std::vector<Vector3> previous(players), previousFacing(players);
    std::vector<float> walked(players, 0.0f);
    for (uint32_t t = 0; t <= duration; t += 16) {
      poseModel(*intro.model->root, 0, t);
      for (size_t i = 0; i < players; ++i) {
        SCOPED_TRACE(std::to_string(i) + " at " + std::to_string(t));
        const Matrix world = holder(i)->worldMatrix();
        const Vector3 side(world[0], world[1], world[2]), up(world[4], world[5], world[6]);
        const Vector3 facing(world[8], world[9], world[10]), at = translation(world);
        expectNear(up, {0, 1, 0}, 1e-3f);
        EXPECT_TRUE(std::fabs(side.y) < 1e-3f && std::fabs(facing.y) < 1e-3f && std::fabs(at.y) < 1e-2f);
        EXPECT_NEAR(length(facing), 1.0f, 1e-3f);
        const Vector3 step = at - previous[i];
        // A step may end in the first moment of the turn at the place.
        if (t > 0 && length(step) > 2.0f) {
          EXPECT_GT(std::max(dot(normalise(step), facing), dot(normalise(step), previousFacing[i])), 0.99f);
        }
        EXPECT_LT(t > 0 ? length(step) : 0.0f, 16 * 0.55f);
        walked[i] += t > 0 ? length(step) : 0.0f;
        for (size_t j = 0; j < i; ++j) EXPECT_GT(length(at - previous[j]), 60.0f) << "and " << j;
        previous[i] = at, previousFacing[i] = facing;
        if (t + kIntroFadeMs > duration) {
          expectNear(at, kPlaces[i].first, 1.0f);
          expectNear(facing, kPlaces[i].second, 1e-2f);
        }
      }
    }
    for (size_t i = 0; i < players; ++i) EXPECT_GT(walked[i], 600.0f) << i;
  }
}

}  // namespace
