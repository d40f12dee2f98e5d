// The umpire bird and the match introductions as the build leaves them in
// the run folder, read through the game's reader: the files load without a
// message, the bird sits on the stadium's chair with a rigid head that looks
// along its -z, its clips loop without a jump, and the intros last as long
// as the match expects, carry their camera and the right holders, walk the
// holders upright and forwards to the players' first-serve places and bring
// the camera to the broadcast view.

#include <gtest/gtest.h>

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
using modeltest::LoadedFile;
using modeltest::loadRunModel;
using modeltest::runFolder;

const char* const kBird = "models/Birdy/birdy.ASE";
const char* const kBirdGreeting = "models/Birdy/BirdyIntroSingles.ASE";
const char* const kIntros[] = {"models/IntroSingles.ASE", "models/IntroDoubles.ASE"};
const char* const kBirdParts[] = {"Cuerpo", "Cabeza", "AlaIzquierda", "AlaDerecha", "PataIzquierda", "PataDerecha",
                                  "Cola"};

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

LoadedFile loadBird() {
  LoadedFile bird = loadRunModel(kBird);
  testing::internal::CaptureStdout();
  bird.reader->loadAnimation((runFolder() / kBirdGreeting).string());
  bird.output += testing::internal::GetCapturedStdout();
  return bird;
}

std::vector<Vector3> worldPoints(const SceneObject& object) {
  std::vector<Vector3> points;
  for (const Vector3& v : object.vertices()) points.push_back(transformPoint(v, object.worldMatrix()));
  return points;
}

void expectNear(const Vector3& a, const Vector3& b, float tolerance, const std::string& what) {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

TEST(UmpireFiles, EveryFileLoadsWithoutAMessage) {
  for (const char* file : {kBird, kBirdGreeting, kIntros[0], kIntros[1]}) {
    EXPECT_TRUE(fs::is_regular_file(runFolder() / file)) << file;
  }
  const LoadedFile bird = loadBird();
  EXPECT_EQ(bird.output, "");
  EXPECT_TRUE(findModelProblems(*bird.model).empty());
  EXPECT_EQ(bird.model->root->animationCount(), 2u);
  ASSERT_EQ(bird.textures->paths().size(), 1u);
  EXPECT_TRUE(fs::is_regular_file(bird.textures->paths().front()));
  for (const char* file : kIntros) {
    SCOPED_TRACE(file);
    const LoadedFile intro = loadRunModel(file);
    EXPECT_EQ(intro.output, "");
    EXPECT_TRUE(findModelProblems(*intro.model).empty());
    EXPECT_TRUE(intro.model->materials.empty());
  }
}

TEST(UmpireFiles, AssimpReadsTheBirdsFaces) {
  const LoadedFile bird = loadRunModel(kBird);
  std::string error;
  const auto imported = modeltest::assimpFaceCounts(modeltest::readFile(runFolder() / kBird), error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(imported, modeltest::readerFaceCounts(*bird.model));
}

TEST(UmpireBird, IsRigidPartsInToonMaterials) {
  const LoadedFile bird = loadBird();
  for (const char* part : kBirdParts) {
    const auto object = bird.find(part);
    ASSERT_TRUE(object) << part;
    EXPECT_FALSE(std::dynamic_pointer_cast<SkinnedObject>(object)) << part;
    EXPECT_FALSE(object->faces().empty()) << part;
    ASSERT_TRUE(object->material()) << part;
    EXPECT_TRUE(std::dynamic_pointer_cast<ToonMaterial>(object->material())) << part;
    EXPECT_NE(object->material()->name().find("[cartoon]"), std::string::npos) << part;
  }
}

TEST(UmpireBird, HeadIsUprightAndLooksAtTheCourtAlongItsMinusZ) {
  LoadedFile bird = loadBird();
  const auto head = bird.find("Cabeza");
  ASSERT_TRUE(head);
  // The beak sticks out along the head's own -z, well beyond the back of
  // the head, so a head turned by the game looks where it turns.
  float front = 0, back = 0;
  for (const Vector3& v : head->vertices()) {
    front = std::max(front, -v.z);
    back = std::max(back, v.z);
  }
  EXPECT_GT(front, back + 8.0f);
  const std::vector<uint32_t> durations = bird.model->root->animationDurations();
  for (uint32_t clip = 0; clip < 2; ++clip) {
    for (uint32_t t = 0; t <= durations.at(clip); t += 96) {
      poseModel(*bird.model->root, clip, t);
      const Matrix world = head->worldMatrix();
      EXPECT_GT(row(world, 1).y, 0.9f) << "clip " << clip << " at " << t;
      // Facing the court (+z), never turned away from it.
      EXPECT_GT(-row(world, 2).z, 0.8f) << "clip " << clip << " at " << t;
      EXPECT_NEAR(length(row(world, 0)), 1.0f, 1e-3f);
    }
  }
}

TEST(UmpireBird, SitsOnTheUmpiresChair) {
  LoadedFile bird = loadBird();
  LoadedFile stadium = loadRunModel("models/stadium/pista.ASZ");
  const auto chair = stadium.find("Silla");
  const auto body = bird.find("Cuerpo");
  ASSERT_TRUE(chair && body);
  poseModel(*stadium.model->root, 0, 0);
  const std::vector<Vector3> chairPoints = worldPoints(*chair);
  const std::vector<uint32_t> durations = bird.model->root->animationDurations();
  for (uint32_t clip = 0; clip < 2; ++clip) {
    for (uint32_t t = 0; t <= durations.at(clip); t += 64) {
      poseModel(*bird.model->root, clip, t);
      const std::vector<Vector3> points = worldPoints(*body);
      Vector3 low = points.front();
      for (const Vector3& p : points) {
        if (p.y < low.y) low = p;
      }
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
      ASSERT_GT(seat, 100.0f) << "clip " << clip << " at " << t << ": not above the chair";
      EXPECT_GT(low.y - seat, -1.0f) << "clip " << clip << " at " << t;
      // Resting on it, or a hop's height above it in the greeting.
      EXPECT_LT(low.y - seat, clip == 0 ? 3.0f : 14.0f) << "clip " << clip << " at " << t;
    }
  }
}

TEST(UmpireBird, ClipsLoopWithoutAJump) {
  LoadedFile bird = loadBird();
  const std::vector<uint32_t> durations = bird.model->root->animationDurations();
  for (uint32_t clip = 0; clip < 2; ++clip) {
    EXPECT_GE(durations.at(clip), 1500u);
    std::vector<Matrix> first;
    poseModel(*bird.model->root, clip, 0);
    for (const char* part : kBirdParts) first.push_back(bird.find(part)->worldMatrix());
    poseModel(*bird.model->root, clip, durations.at(clip));
    for (size_t i = 0; i < std::size(kBirdParts); ++i) {
      const Matrix last = bird.find(kBirdParts[i])->worldMatrix();
      for (int e = 0; e < 16; ++e) EXPECT_NEAR(last[e], first[i][e], 0.05f) << kBirdParts[i] << " clip " << clip;
    }
  }
}

TEST(Intro, LastsEightToTenSecondsAndHoldsTheRightNodes) {
  for (size_t kind = 0; kind < 2; ++kind) {
    SCOPED_TRACE(kIntros[kind]);
    const LoadedFile intro = loadRunModel(kIntros[kind]);
    const uint32_t duration = intro.model->root->animationDurations().at(0);
    EXPECT_GE(duration, 8000u);
    EXPECT_LE(duration, 10000u);
    EXPECT_TRUE(intro.find<Camera>("CameraIntro"));
    const size_t players = kind == 0 ? 2 : 4;
    for (size_t i = 0; i < 4; ++i) {
      const auto holder = intro.find(holderName(i));
      EXPECT_EQ(static_cast<bool>(holder), i < players) << holderName(i);
      if (!holder) continue;
      EXPECT_FALSE(holder->material());
      EXPECT_EQ(holder->parent(), intro.model->root.get());
    }
  }
}

TEST(Intro, HoldersWalkUprightAndForwardsToTheFirstServePlaces) {
  for (size_t kind = 0; kind < 2; ++kind) {
    SCOPED_TRACE(kIntros[kind]);
    LoadedFile intro = loadRunModel(kIntros[kind]);
    const uint32_t duration = intro.model->root->animationDurations().at(0);
    const size_t players = kind == 0 ? 2 : 4;
    std::vector<Vector3> previous(players);
    std::vector<Vector3> previousFacing(players);
    std::vector<float> walked(players, 0.0f);
    for (uint32_t t = 0; t <= duration; t += 16) {
      poseModel(*intro.model->root, 0, t);
      for (size_t i = 0; i < players; ++i) {
        const Matrix world = intro.find(holderName(i))->worldMatrix();
        // The game's upright frame: y straight up, the other axes level.
        expectNear(row(world, 1), {0, 1, 0}, 1e-3f, holderName(i) + " at " + std::to_string(t));
        EXPECT_NEAR(row(world, 0).y, 0.0f, 1e-3f);
        EXPECT_NEAR(row(world, 2).y, 0.0f, 1e-3f);
        EXPECT_NEAR(length(row(world, 2)), 1.0f, 1e-3f);
        const Vector3 at = translation(world);
        EXPECT_NEAR(at.y, 0.0f, 1e-2f);
        if (t > 0) {
          const Vector3 step = at - previous[i];
          // At a walk, never faster, and along the way the player faces.
          EXPECT_LT(length(step), 16 * 0.55f) << holderName(i) << " at " << t;
          // (A step may end in the first moment of the turn at the place.)
          if (length(step) > 2.0f) {
            const float along = std::max(dot(normalise(step), row(world, 2)), dot(normalise(step), previousFacing[i]));
            EXPECT_GT(along, 0.99f) << holderName(i) << " at " << t;
          }
          walked[i] += length(step);
        }
        previous[i] = at;
        previousFacing[i] = row(world, 2);
      }
      // Every player stands still in its place before the intro fades out.
      if (t + kIntroFadeMs > duration) {
        for (size_t i = 0; i < players; ++i) {
          const Matrix world = intro.find(holderName(i))->worldMatrix();
          const Place& place = kPlaces[i];
          expectNear(translation(world), {place.x, 0, place.z}, 1.0f, holderName(i));
          expectNear(row(world, 2), place.facing, 1e-2f, holderName(i));
        }
      }
    }
    // They come from the side of the court, beyond the doubles side line.
    for (size_t i = 0; i < players; ++i) EXPECT_GT(walked[i], 600.0f) << holderName(i);
  }
}

TEST(Intro, HoldersKeepApartOnTheirWay) {
  LoadedFile intro = loadRunModel(kIntros[1]);
  const uint32_t duration = intro.model->root->animationDurations().at(0);
  for (uint32_t t = 0; t <= duration; t += 32) {
    poseModel(*intro.model->root, 0, t);
    for (size_t i = 0; i < 4; ++i) {
      for (size_t j = i + 1; j < 4; ++j) {
        const Vector3 a = translation(intro.find(holderName(i))->worldMatrix());
        const Vector3 b = translation(intro.find(holderName(j))->worldMatrix());
        EXPECT_GT(length(a - b), 60.0f) << i << " and " << j << " at " << t;
      }
    }
  }
}

TEST(Intro, CameraFliesLevelInsideTheStadiumAndEndsAtTheBroadcastView) {
  const LoadedFile stadium = loadRunModel("models/stadium/pista.ASZ");
  const auto broadcast = stadium.find<Camera>("Camera01");
  ASSERT_TRUE(broadcast);
  const Matrix goal = broadcast->animationMatrix(0);
  for (const char* file : kIntros) {
    SCOPED_TRACE(file);
    LoadedFile intro = loadRunModel(file);
    const auto camera = intro.find<Camera>("CameraIntro");
    ASSERT_TRUE(camera);
    const uint32_t duration = intro.model->root->animationDurations().at(0);
    Vector3 start;
    for (uint32_t t = 0; t <= duration; t += 32) {
      poseModel(*intro.model->root, 0, t);
      const Matrix world = camera->worldMatrix();
      const Vector3 eye = translation(world);
      if (t == 0) start = eye;
      // Never rolled, above the stands' roofs' reach of the ground, and well
      // inside the sky.
      EXPECT_NEAR(row(world, 0).y, 0.0f, 1e-3f) << t;
      EXPECT_GT(eye.y, 150.0f) << t;
      EXPECT_LT(length(eye), 5000.0f) << t;
    }
    // It flies in from far away.
    EXPECT_GT(length(start - translation(goal)), 2500.0f);
    // Before the fade it has come to the broadcast view.
    poseModel(*intro.model->root, 0, duration - kIntroFadeMs);
    const Matrix end = camera->worldMatrix();
    EXPECT_LT(length(translation(end) - translation(goal)), 20.0f);
    EXPECT_GT(dot(normalise(-row(end, 2)), normalise(-row(goal, 2))), std::cos(2.0f * 3.14159265f / 180.0f));
  }
}

}  // namespace
