// The models as the build leaves them in the run folder, read the way the
// game reads them (each with its clip files in order), and the facts the
// game relies on: lines where the referee judges, the net's height, the
// ball's size, intros that walk the players to their places, characters
// whose strokes meet the ball where the game hits it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/ModelProbe.h"
#include "content/models/CourtLayout.h"
#include "engine/Camera.h"
#include "engine/Material.h"
#include "engine/SkinnedObject.h"
#include "tennis/Court.h"
#include "tennis/NodeNames.h"
#include "tests/content/ModelTestSupport.h"

namespace {

namespace fs = std::filesystem;
using modeltest::runFolder;
using modeltest::runModel;

// Bits per pixel of a TGA file (0 when it is not one).
int tgaBits(const fs::path& file) {
  const std::string bytes = readFile(file);
  return bytes.size() < 18 ? 0 : static_cast<unsigned char>(bytes[16]);
}

// Each with the clip files the game reads beside it.
TEST(RunFolderModels, EveryModelLoadsWithoutAMessageWithItsPicturesAndAssimpsFaces) {
  for (const char* file : {"models/stadium/pista.ASZ", "models/ball/pelota.ASE", "models/polvo.ASZ", "models/zas.ASZ",
                           "models/ballblur.ASZ", "models/Birdy/birdy.ASE", "models/IntroSingles.ASE",
                           "models/IntroDoubles.ASE", "models/Vazuvodod/normal.ASZ", "models/Revirade/normal.ASZ",
                           "models/Roveriru/normal.ASZ", "models/Doredu/normal.ASZ", kTrophyFiles[0], kTrophyFiles[1],
                           kTrophyFiles[2]}) {
    SCOPED_TRACE(file);
    const LoadedModel& loaded = runModel(file);
    EXPECT_EQ(loaded.output, "");
    EXPECT_TRUE(findModelProblems(*loaded.model).empty());
    EXPECT_EQ(loaded.model->root->animationCount(), 1 + gameClipFilesFor(fs::path(file).filename()).size());
    for (const std::string& texture : loaded.textures->paths()) EXPECT_GT(tgaBits(texture), 0) << texture;
    // The intros hold no mesh; assimp gives their empty nodes boxes.
    if (std::string(file).find("Intro") != std::string::npos) continue;
    modeltest::expectAssimpFaces(*loaded.model, readFile(runFolder() / file));
  }
}

bool insideTriangle(float x, float z, const Vector3& a, const Vector3& b, const Vector3& c) {
  auto side = [&](const Vector3& p, const Vector3& q) { return (q.x - p.x) * (z - p.z) - (q.z - p.z) * (x - p.x); };
  const float d0 = side(a, b), d1 = side(b, c), d2 = side(c, a);
  return (d0 >= 0 && d1 >= 0 && d2 >= 0) || (d0 <= 0 && d1 <= 0 && d2 <= 0);
}

// Each trophy stands on the ground at the model's origin, its cup above its
// pedestal, and each cup's trophy stands taller than the one before it.
TEST(WorldModels, TrophiesStandOnTheGroundAndGrowFromCupToCup) {
  float previousTop = 0;
  for (const char* file : kTrophyFiles) {
    SCOPED_TRACE(file);
    LoadedModel& trophy = runModel(file);
    const auto cup = trophy.find("Copa"), pedestal = trophy.find("Pedestal");
    ASSERT_TRUE(cup && pedestal);
    poseModel(*trophy.model->root, 0, 0);
    float bottom = 1e9f, top = -1e9f, pedestalTop = -1e9f;
    for (const Vector3& p : modeltest::worldPoints(*pedestal)) {
      bottom = std::min(bottom, p.y);
      pedestalTop = std::max(pedestalTop, p.y);
    }
    float cupBottom = 1e9f;
    for (const Vector3& p : modeltest::worldPoints(*cup)) {
      cupBottom = std::min(cupBottom, p.y);
      top = std::max(top, p.y);
    }
    EXPECT_NEAR(bottom, 0.0f, 0.01f);
    EXPECT_NEAR(cupBottom, pedestalTop, 0.01f);
    EXPECT_GT(top, previousTop);
    previousTop = top;
  }
}

// Just inside each judged edge there is paint, just outside there is not.
// The shadow, which the game hangs kShadowParentY above the ground, lies
// just above the lines; the net's and the shadow's pictures have an alpha
// channel, so the scene sorts them as transparent.
TEST(WorldModels, LinesNetBallAndShadowLieWhereTheGameJudgesAndExpectsThem) {
  LoadedModel& stadium = runModel("models/stadium/pista.ASZ");
  LoadedModel& ball = runModel("models/ball/pelota.ASE");
  const auto lines = stadium.find("Lineas"), net = stadium.find("Red");
  const auto felt = ball.find("Bola"), shadow = ball.find("Sombra");
  ASSERT_TRUE(lines && net && felt && shadow);
  poseModel(*stadium.model->root, 0, 0);
  poseModel(*ball.model->root, 0, 0);
  const std::vector<Vector3> points = modeltest::worldPoints(*lines);
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

  float top = -1e9f, bottom = 1e9f, nearZ = 1e9f, farZ = -1e9f;
  for (const Vector3& p : modeltest::worldPoints(*net)) {
    EXPECT_NEAR(p.x, 0.0f, 1e-3f);
    top = std::max(top, p.y), bottom = std::min(bottom, p.y), nearZ = std::min(nearZ, p.z), farZ = std::max(farZ, p.z);
  }
  EXPECT_EQ(numbersText({top - kNetTopY, bottom}), "0 0");
  EXPECT_TRUE(nearZ < -kDoublesSideZ && farZ > kDoublesSideZ);
  for (const Vector3& p : modeltest::worldPoints(*felt)) EXPECT_NEAR(length(p), kBallRadius, 1e-3f);
  EXPECT_EQ(shadow->parent(), ball.model->root.get());
  for (const Vector3& v : shadow->vertices()) {
    const Vector3 p = transformPoint(v, shadow->animationMatrix(0));
    EXPECT_TRUE(p.y + kShadowParentY > 1.0f && p.y + kShadowParentY < 3.0f) << p.y;
    EXPECT_LT(std::hypot(p.x, p.z), 3 * kBallRadius);
  }
  for (const auto& object : {net, shadow}) {
    ASSERT_TRUE(object->material() && object->material()->hasTexture()) << object->name();
    EXPECT_EQ(tgaBits(object->material()->texture()->path()), 32) << object->name();
  }
}

// Whether the ray from `eye` along `direction` meets the triangle's front
// face (counter-clockwise seen from the eye): the back faces are culled.
bool meetsFrontFace(const Vector3& eye, const Vector3& direction, const Vector3& a, const Vector3& b,
                    const Vector3& c) {
  const Vector3 ab = b - a, ac = c - a;
  const Vector3 p = cross(direction, ac);
  const float det = dot(ab, p);
  if (det <= 1e-6f) return false;  // edge-on, or turned away from the eye
  const Vector3 t = eye - a;
  const float u = dot(t, p) / det;
  const Vector3 q = cross(t, ab);
  const float v = dot(direction, q) / det;
  // A hair of slack, so that a ray along the edge two faces share meets one.
  constexpr float kSlack = 1e-5f;
  return u >= -kSlack && v >= -kSlack && u + v <= 1 + kSlack && dot(ac, q) / det > 0;
}

// From the broadcast camera and from places round the court, high and low,
// every way one can look meets the sky or the ground: no hole shows the
// clear colour, whichever camera looks where.
TEST(WorldModels, SkyAndGroundCloseEveryViewFromInsideTheStadium) {
  LoadedModel& stadium = runModel("models/stadium/pista.ASZ");
  const auto sky = stadium.find("Cielo"), ground = stadium.find("Cesped");
  const auto camera = stadium.find(kStadiumCameraName);
  ASSERT_TRUE(sky && ground && camera);
  poseModel(*stadium.model->root, 0, 0);
  struct Surface {
    std::vector<Vector3> points;
    std::vector<Face> faces;
  };
  const Surface surfaces[] = {{modeltest::worldPoints(*sky), sky->faces()},
                              {modeltest::worldPoints(*ground), ground->faces()}};
  const Vector3 eyes[] = {transformPoint(Vector3(), camera->worldMatrix()),
                          {0, 150, 0},
                          {-kBaselineX - 300, 40, 0},
                          {kBaselineX, 1500, kDoublesSideZ + 900},
                          {0, 3000, 0}};
  for (const Vector3& eye : eyes) {
    for (int elevation = -80; elevation <= 85; elevation += 5) {
      for (int heading = 0; heading < 360; heading += 6) {
        const auto up = static_cast<float>(elevation * kDegreesToRadians);
        const auto round = static_cast<float>(heading * kDegreesToRadians);
        const Vector3 direction(std::cos(up) * std::cos(round), std::sin(up), std::cos(up) * std::sin(round));
        bool met = false;
        for (const Surface& surface : surfaces) {
          for (const Face& f : surface.faces) {
            met = met || meetsFrontFace(eye, direction, surface.points[f[0]], surface.points[f[1]],
                                        surface.points[f[2]]);
          }
        }
        ASSERT_TRUE(met) << "from " << numbersText({eye.x, eye.y, eye.z}) << " at " << elevation << " up, "
                         << heading << " round";
      }
    }
  }
}

// The crowd's shader turns each card to the viewer from its corners alone:
// the third texture coordinate is 4 x the half size + the corner (+x 1, +y
// 2), and the four corners lie round one centre along up x facing and up.
TEST(WorldModels, CrowdCardsCarryTheirCornersForTheCrowdShader) {
  LoadedModel& stadium = runModel("models/stadium/pista.ASZ");
  size_t cards = 0;
  for (const auto& material : stadium.model->materials) {
    if (material->name().find("[publico]") == std::string::npos) continue;
    const auto objects = material->objects();
    for (const auto& object : *objects) {
      const auto& p = object->vertices();
      const auto& uvw = object->texCoords();
      ASSERT_TRUE(p.size() % 4 == 0 && uvw.size() == p.size() && object->normals().size() == p.size());
      for (size_t v = 0; v < p.size(); ++v) {
        const float corner = std::fmod(uvw[v].z, 4.0f);
        const float half = (uvw[v].z - corner) / 4.0f;
        ASSERT_EQ(corner, static_cast<float>(v % 4)) << object->name() << " " << v;
        const Vector3 right = normalise(cross(Vector3(0, 1, 0), object->normals()[v]));
        const Vector3 side((v & 1) ? 1.0f : -1.0f, (v & 2) ? 1.0f : -1.0f, 0);
        const Vector3 centre = p[v] - (right * side.x + Vector3(0, side.y, 0)) * half;
        const Vector3 first = p[v - v % 4] + (right + Vector3(0, 1, 0)) * half;  // from corner 0
        EXPECT_LT(length(centre - first), 0.01f) << object->name() << " " << v;
      }
      cards += p.size() / 4;
    }
  }
  EXPECT_GT(cards, 300u);
}

// Where the match puts player i for the first serve (player 0 serves from
// the -z court) and the way it faces there.
const std::pair<Vector3, Vector3> kPlaces[] = {{{kBaselineX, 0, -200}, {-1, 0, 0}},
                                               {{-kBaselineX, 0, 200}, {1, 0, 0}},
                                               {{kServiceLineX, 0, 200}, {-1, 0, 0}},
                                               {{-kServiceLineX, 0, -200}, {1, 0, 0}}};
// When the intro starts to fade.
constexpr uint32_t kIntroFadeMs = 2000;

// One holder a player, who walks to its first-serve place and stands still
// there before the fade.
TEST(Intro, HoldersWalkUprightForwardsAndApartToTheFirstServePlaces) {
  for (size_t players : {2u, 4u}) {
    LoadedModel& intro = runModel(players == 2 ? "models/IntroSingles.ASE" : "models/IntroDoubles.ASE");
    SCOPED_TRACE(players);
    EXPECT_TRUE(intro.find<Camera>("CameraIntro"));
    const auto holder = [&](size_t i) { return intro.find("TennisPlayerHolder[" + std::to_string(i) + "]"); };
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(holder(i) && holder(i)->parent() == intro.model->root.get(), i < players);
    const uint32_t duration = intro.model->root->animationDurations().at(0);
    std::vector<Vector3> at(players), facing(players);
    std::vector<float> walked(players, 0.0f);
    for (uint32_t t = 0; t <= duration; t += 16) {
      poseModel(*intro.model->root, 0, t);
      for (size_t i = 0; i < players; ++i) {
        SCOPED_TRACE(std::to_string(i) + " at " + std::to_string(t));
        const Matrix world = holder(i)->worldMatrix();
        const Vector3 side(world[0], world[1], world[2]), up(world[4], world[5], world[6]);
        const Vector3 nowFacing(world[8], world[9], world[10]), step = translation(world) - at[i];
        EXPECT_LT(distance(up, Vector3(0, 1, 0)), 1e-3f);
        EXPECT_TRUE(std::fabs(side.y) < 1e-3f && std::fabs(nowFacing.y) < 1e-3f && std::fabs(world[13]) < 1e-2f);
        EXPECT_NEAR(length(nowFacing), 1.0f, 1e-3f);
        // A step may end in the first moment of the turn at the place.
        if (t > 0 && length(step) > 2.0f) {
          EXPECT_GT(std::max(dot(normalise(step), nowFacing), dot(normalise(step), facing[i])), 0.99f);
        }
        EXPECT_LT(t > 0 ? length(step) : 0.0f, 16 * 0.55f);
        walked[i] += t > 0 ? length(step) : 0.0f;
        at[i] = translation(world), facing[i] = nowFacing;
        for (size_t j = 0; j < i; ++j) EXPECT_GT(length(at[i] - at[j]), 60.0f) << "and " << j;
        if (t + kIntroFadeMs > duration) {
          EXPECT_LT(distance(at[i], kPlaces[i].first), 1.0f);
          EXPECT_LT(distance(facing[i], kPlaces[i].second), 1e-2f);
        }
      }
    }
    for (size_t i = 0; i < players; ++i) EXPECT_GT(walked[i], 600.0f) << i;
  }
}

constexpr uint32_t kClips = 1 + kCharacterClipFiles.size();
// The clips the game plays for the strokes and the serve.
constexpr uint32_t kForehand = 2, kBackhand = 3, kServeToss = 5, kServeSwing = 8;

// Where the serve toss starts in the player's own space (facing +z, its
// right on -x); the game gives the offsets for a server facing +x.
const Vector3 kTossPoint(-kTossOffsetZ, kTossOffsetY, kTossOffsetX);

class CharacterModels : public testing::TestWithParam<const char*> {
 protected:
  LoadedModel& loaded = modeltest::runModel("models/" + std::string(GetParam()) + "/normal.ASZ");

  uint32_t duration(uint32_t clip) const { return loaded.model->root->animationDurations().at(clip); }

  Vector3 positionOf(const std::string& node) const {
    const auto object = loaded.find(node);
    return object ? translation(modeltest::placement(*object)) : Vector3(NAN, NAN, NAN);
  }

  // Every drawn vertex posed (skins as skinned); the game hides the held
  // ball "Pelota".
  std::vector<Vector3> drawnVertices(uint32_t clip, uint32_t timeMs) const {
    poseModel(*loaded.model->root, clip, timeMs);
    std::vector<Vector3> points;
    forEachObject(*loaded.model->root, [&](const SceneObject& object) {
      if (const auto* skin = dynamic_cast<const SkinnedObject*>(&object)) {
        points.insert(points.end(), skin->skinnedVertices().begin(), skin->skinnedVertices().end());
      } else if (object.name() != "Pelota" && !dynamic_cast<const BoneObject*>(&object)) {
        for (const Vector3& p : modeltest::worldPoints(object)) points.push_back(p);
      }
    });
    return points;
  }
};

// Racket in the right hand (on -x), ball in the left, the strings' node
// "Golpe" at the middle of its own mesh; 100 to 120 tall; a skin the game
// can deform.
TEST_P(CharacterModels, StandsOnTheGroundAndNothingSinksIntoTheCourt) {
  const auto golpe = loaded.find("Golpe");
  ASSERT_TRUE(golpe && loaded.find("ManoD") && loaded.find("ManoI"));
  EXPECT_TRUE(loaded.find("ManoD")->findNode("Golpe") && loaded.find("ManoI")->findNode("Pelota"));
  Vector3 low = golpe->vertices().at(0), high = low;
  for (const Vector3& v : golpe->vertices()) {
    low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
    high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
  }
  EXPECT_LT(length(low + high), 0.5f);
  const std::vector<Vector3> standing = drawnVertices(0, 0);
  EXPECT_TRUE(positionOf("ManoD").x < -5.0f && positionOf("ManoI").x > 5.0f);
  const auto [bottom, top] = std::minmax_element(standing.begin(), standing.end(),
                                                 [](const Vector3& a, const Vector3& b) { return a.y < b.y; });
  EXPECT_TRUE(top->y >= 100.0f && top->y <= 120.0f) << top->y;
  EXPECT_NEAR(bottom->y, 0.0f, 1.0f);
  forEachObject(*loaded.model->root, [](const SceneObject& object) {
    const auto* skin = dynamic_cast<const SkinnedObject*>(&object);
    for (size_t v = 0; skin && v < skin->vertices().size(); ++v) {
      const float* w = &skin->boneWeights().at(4 * v);
      EXPECT_NEAR(w[0] + w[1] + w[2] + w[3], 1.0f, 1e-3f) << skin->name() << " vertex " << v;
    }
  });
  for (uint32_t clip = 0; clip < kClips; ++clip) {
    for (uint32_t t = 0; t <= duration(clip); t += 32) {
      float lowest = 1e9f;
      for (const Vector3& p : drawnVertices(clip, t)) lowest = std::min(lowest, p.y);
      EXPECT_GT(lowest, -2.0f) << "clip " << clip << " at " << t << " ms";
    }
  }
}

// Early in the forehand and backhand the strings sweep across in front
// around the computer's hitting height, where it meets the ball; the toss
// clip ends with the ball where the game starts the toss; through the
// serve's hitting window the racket is above the head.
TEST_P(CharacterModels, StrokesMeetTheBallWhereTheGameHitsIt) {
  for (uint32_t clip : {kForehand, kBackhand}) {
    float lowest = 1e9f, highest = -1e9f, leftmost = 1e9f, rightmost = -1e9f;
    bool inFront = false;
    for (uint32_t t = 0; t <= duration(clip) / 3; t += 8) {
      poseModel(*loaded.model->root, clip, t);
      const Vector3 golpe = positionOf("Golpe");
      lowest = std::min(lowest, golpe.y), highest = std::max(highest, golpe.y);
      leftmost = std::min(leftmost, golpe.x), rightmost = std::max(rightmost, golpe.x);
      inFront = inFront || (golpe.y >= 40 && golpe.y <= 60 && golpe.z >= 15);
    }
    SCOPED_TRACE(clip);
    EXPECT_TRUE(lowest >= kCpuHitHeight - 6 && highest <= kCpuHitHeight + 18) << lowest << " to " << highest;
    EXPECT_TRUE(inFront);
    EXPECT_GT(rightmost - leftmost, 40.0f);
  }
  poseModel(*loaded.model->root, kServeToss, duration(kServeToss));
  EXPECT_NEAR(positionOf("Pelota").y, kTossPoint.y, 8.0f);
  EXPECT_LT(distance(positionOf("Pelota"), kTossPoint), 12.0f);
  EXPECT_GT(positionOf("ManoI").y, 105.0f);
  for (uint32_t t = kServeHitStartMs; t <= kServeHitEndMs; t += 8) {
    poseModel(*loaded.model->root, kServeSwing, t);
    EXPECT_TRUE(positionOf("Golpe").y >= 150.0f && positionOf("Golpe").y <= kServeHitMaxY) << t << " ms";
  }
}

INSTANTIATE_TEST_SUITE_P(EveryCharacter, CharacterModels,
                         testing::Values("Vazuvodod", "Revirade", "Roveriru", "Doredu"));

}  // namespace
