// The umpire bird and the match introductions as the build leaves them in
// the run folder, read through the game's reader: the files load without a
// message, the bird sits on the stadium's chair with a rigid head that looks
// along its -z, its clips loop without a jump, and the intros last as long
// as the match expects, carry their camera and the right holders, walk the
// holders upright and forwards to the players' first-serve places and bring
// the camera to the broadcast view.

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
#include "engine/ToonMaterial.h"
#include "tests/content/ModelTestSupport.h"

namespace {

namespace fs = std::filesystem;
using modeltest::runFolder;
using modeltest::runModel;

const char* const kBird = "models/Birdy/birdy.ASE";
const char* const kIntros[] = {"models/IntroSingles.ASE", "models/IntroDoubles.ASE"};
const char* const kBirdParts[] = {"Cuerpo",        "Cabeza",      "AlaIzquierda", "AlaDerecha",
                                  "PataIzquierda", "PataDerecha", "Cola"};

// Where the match puts player i for the first serve (player 0 serves from
// the -z court), and the way it faces there.
struct Place {
  float x, z;
  Vector3 facing;
};
const Place kPlaces[] = {{kBaselineX, -200, {-1, 0, 0}},
                         {-kBaselineX, 200, {1, 0, 0}},
                         {kServiceLineX, 200, {-1, 0, 0}},
                         {-kServiceLineX, -200, {1, 0, 0}}};

// The match fades the intro out when this much of it is left.
constexpr uint32_t kIntroFadeMs = 2000;

Vector3 row(const Matrix& m, int r) { return {get(m, r, 0), get(m, r, 1), get(m, r, 2)}; }

std::string holderName(size_t i) { return "TennisPlayerHolder[" + std::to_string(i) + "]"; }

LoadedModel& bird() { return runModel(kBird, {"models/Birdy/BirdyIntroSingles.ASE"}); }

TEST(UmpireBird, LoadsWithoutAMessageAsRigidPartsInToonMaterials) {
  const LoadedModel& loaded = bird();
  EXPECT_EQ(loaded.output, "");
  EXPECT_TRUE(findModelProblems(*loaded.model).empty());
  EXPECT_EQ(loaded.model->root->animationCount(), 2u);
  ASSERT_EQ(loaded.textures->paths().size(), 1u);
  EXPECT_TRUE(fs::is_regular_file(loaded.textures->paths().front()));
  modeltest::expectAssimpFaces(*loaded.model, modeltest::readFile(runFolder() / kBird));
  for (const char* part : kBirdParts) {
    const auto object = loaded.find(part);
    ASSERT_TRUE(object) << part;
    EXPECT_FALSE(std::dynamic_pointer_cast<SkinnedObject>(object)) << part;
    EXPECT_FALSE(object->faces().empty()) << part;
    ASSERT_TRUE(object->material()) << part;
    EXPECT_TRUE(std::dynamic_pointer_cast<ToonMaterial>(object->material())) << part;
    EXPECT_NE(object->material()->name().find("[cartoon]"), std::string::npos) << part;
  }
}

TEST(UmpireBird, SitsOnTheChairLookingAtTheCourtThroughLoopingClips) {
  LoadedModel& loaded = bird();
  LoadedModel& stadium = runModel("models/stadium/pista.ASZ");
  const auto chair = stadium.find("Silla");
  const auto body = loaded.find("Cuerpo");
  const auto head = loaded.find("Cabeza");
  ASSERT_TRUE(chair && body && head);
  // The beak sticks out along the head's own -z, well beyond the back of
  // the head, so a head turned by the game looks where it turns.
  float front = 0, back = 0;
  for (const Vector3& v : head->vertices()) {
    front = std::max(front, -v.z);
    back = std::max(back, v.z);
  }
  EXPECT_GT(front, back + 8.0f);

  poseModel(*stadium.model->root, 0, 0);
  const std::vector<Vector3> chairPoints = modeltest::worldPoints(*chair);
  const std::vector<uint32_t> durations = loaded.model->root->animationDurations();
  for (uint32_t clip = 0; clip < 2; ++clip) {
    EXPECT_GE(durations.at(clip), 1500u);
    for (uint32_t t = 0; t <= durations.at(clip); t += 64) {
      SCOPED_TRACE("clip " + std::to_string(clip) + " at " + std::to_string(t));
      poseModel(*loaded.model->root, clip, t);
      const Matrix world = head->worldMatrix();
      EXPECT_GT(row(world, 1).y, 0.9f);
      // Facing the court, never turned away from it.
      EXPECT_GT(-row(world, 2).z, 0.8f);
      EXPECT_NEAR(length(row(world, 0)), 1.0f, 1e-3f);

      const std::vector<Vector3> points = modeltest::worldPoints(*body);
      Vector3 low = points.front();
      for (const Vector3& p : points) low = p.y < low.y ? p : low;
      // The highest upward face of the chair under the body's lowest point
      // and not above it is the seat.
      float seat = -1e9f;
      for (const Face& f : chair->faces()) {
        const Vector3 &a = chairPoints[f[0]], &b = chairPoints[f[1]], &c = chairPoints[f[2]];
        if (normalise(cross(b - a, c - a)).y < 0.99f) continue;
        const float minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
        const float minZ = std::min({a.z, b.z, c.z}), maxZ = std::max({a.z, b.z, c.z});
        if (low.x < minX || low.x > maxX || low.z < minZ || low.z > maxZ || a.y > low.y + 2.0f) continue;
        seat = std::max(seat, a.y);
      }
      ASSERT_GT(seat, 100.0f) << "not above the chair";
      EXPECT_GT(low.y - seat, -1.0f);
      // Resting on it, or a hop's height above it in the greeting.
      EXPECT_LT(low.y - seat, clip == 0 ? 3.0f : 14.0f);
    }
    // The last pose is the first: the clip loops without a jump.
    std::vector<Matrix> first;
    poseModel(*loaded.model->root, clip, 0);
    for (const char* part : kBirdParts) first.push_back(loaded.find(part)->worldMatrix());
    poseModel(*loaded.model->root, clip, durations.at(clip));
    for (size_t i = 0; i < std::size(kBirdParts); ++i) {
      const Matrix last = loaded.find(kBirdParts[i])->worldMatrix();
      for (int e = 0; e < 16; ++e) EXPECT_NEAR(last[e], first[i][e], 0.05f) << kBirdParts[i] << " clip " << clip;
    }
  }
}

TEST(Intro, LoadsWithoutAMessageAndLastsEightToTenSecondsWithTheRightNodes) {
  for (size_t kind = 0; kind < 2; ++kind) {
    SCOPED_TRACE(kIntros[kind]);
    const LoadedModel& intro = runModel(kIntros[kind]);
    EXPECT_EQ(intro.output, "");
    EXPECT_TRUE(findModelProblems(*intro.model).empty());
    EXPECT_TRUE(intro.model->materials.empty());
    const uint32_t duration = intro.model->root->animationDurations().at(0);
    EXPECT_GE(duration, 8000u);
    EXPECT_LE(duration, 10000u);
    EXPECT_TRUE(intro.find<Camera>("CameraIntro"));
    for (size_t i = 0; i < 4; ++i) {
      const auto holder = intro.find(holderName(i));
      EXPECT_EQ(static_cast<bool>(holder), i < (kind == 0 ? 2u : 4u)) << holderName(i);
      if (!holder) continue;
      EXPECT_FALSE(holder->material());
      EXPECT_EQ(holder->parent(), intro.model->root.get());
    }
  }
}

TEST(Intro, HoldersWalkUprightForwardsAndApartToTheFirstServePlaces) {
  for (size_t kind = 0; kind < 2; ++kind) {
    SCOPED_TRACE(kIntros[kind]);
    LoadedModel& intro = runModel(kIntros[kind]);
    const uint32_t duration = intro.model->root->animationDurations().at(0);
    const size_t players = kind == 0 ? 2 : 4;
    std::vector<Vector3> previous(players);
    std::vector<Vector3> previousFacing(players);
    std::vector<float> walked(players, 0.0f);
    for (uint32_t t = 0; t <= duration; t += 16) {
      poseModel(*intro.model->root, 0, t);
      for (size_t i = 0; i < players; ++i) {
        SCOPED_TRACE(holderName(i) + " at " + std::to_string(t));
        const Matrix world = intro.find(holderName(i))->worldMatrix();
        // The game's upright frame: y straight up, the other axes level.
        expectNear(row(world, 1), {0, 1, 0}, 1e-3f);
        EXPECT_NEAR(row(world, 0).y, 0.0f, 1e-3f);
        EXPECT_NEAR(row(world, 2).y, 0.0f, 1e-3f);
        EXPECT_NEAR(length(row(world, 2)), 1.0f, 1e-3f);
        const Vector3 at = translation(world);
        EXPECT_NEAR(at.y, 0.0f, 1e-2f);
        if (t > 0) {
          const Vector3 step = at - previous[i];
          // At a walk, never faster, and along the way the player faces.
          EXPECT_LT(length(step), 16 * 0.55f);
          // (A step may end in the first moment of the turn at the place.)
          if (length(step) > 2.0f) {
            EXPECT_GT(std::max(dot(normalise(step), row(world, 2)), dot(normalise(step), previousFacing[i])), 0.99f);
          }
          walked[i] += length(step);
        }
        for (size_t j = 0; j < i; ++j) EXPECT_GT(length(at - previous[j]), 60.0f) << "and " << j;
        previous[i] = at;
        previousFacing[i] = row(world, 2);
        // Every player stands still in its place before the intro fades out.
        if (t + kIntroFadeMs > duration) {
          expectNear(at, {kPlaces[i].x, 0, kPlaces[i].z}, 1.0f);
          expectNear(row(world, 2), kPlaces[i].facing, 1e-2f);
        }
      }
    }
    // They come from the side of the court, beyond the doubles side line.
    for (size_t i = 0; i < players; ++i) EXPECT_GT(walked[i], 600.0f) << holderName(i);
  }
}

TEST(Intro, CameraFliesLevelInsideTheStadiumAndEndsAtTheBroadcastView) {
  const auto broadcast = runModel("models/stadium/pista.ASZ").find<Camera>("Camera01");
  ASSERT_TRUE(broadcast);
  const Matrix goal = broadcast->animationMatrix(0);
  for (const char* file : kIntros) {
    SCOPED_TRACE(file);
    LoadedModel& intro = runModel(file);
    const auto camera = intro.find<Camera>("CameraIntro");
    ASSERT_TRUE(camera);
    const uint32_t duration = intro.model->root->animationDurations().at(0);
    poseModel(*intro.model->root, 0, 0);
    // It flies in from far away.
    EXPECT_GT(length(translation(camera->worldMatrix()) - translation(goal)), 2500.0f);
    for (uint32_t t = 0; t <= duration; t += 32) {
      poseModel(*intro.model->root, 0, t);
      // Never rolled, above the stands' roofs' reach of the ground, and well
      // inside the sky.
      EXPECT_NEAR(row(camera->worldMatrix(), 0).y, 0.0f, 1e-3f) << t;
      EXPECT_GT(translation(camera->worldMatrix()).y, 150.0f) << t;
      EXPECT_LT(length(translation(camera->worldMatrix())), 5000.0f) << t;
    }
    // Before the fade it has come to the broadcast view.
    poseModel(*intro.model->root, 0, duration - kIntroFadeMs);
    const Matrix end = camera->worldMatrix();
    EXPECT_LT(length(translation(end) - translation(goal)), 20.0f);
    EXPECT_GT(dot(normalise(-row(end, 2)), normalise(-row(goal, 2))), std::cos(2.0f * 3.14159265f / 180.0f));
  }
}

}  // namespace
