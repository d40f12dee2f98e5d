// The four characters as the build leaves them in the run folder, read the
// way the game reads them ("normal.ASZ", then the thirteen clip files in
// order) and held to what the game's mechanics need of them: the clips'
// lengths, the racket's strings "Golpe" low in front early in the strokes
// and high above the head in the serve's hitting window, the ball hand where
// the toss starts, the nodes the game looks up, and a skin the game can
// deform.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/ModelProbe.h"
#include "engine/BoneObject.h"
#include "engine/SkinnedObject.h"
#include "tennis/Court.h"
#include "tennis/GameClipFiles.h"
#include "tests/content/ModelTestSupport.h"

namespace {

namespace fs = std::filesystem;
using modeltest::forEachObject;
using modeltest::runFolder;

const char* const kCharacters[] = {"Vazuvodod", "Revirade", "Roveriru", "Doredu"};

constexpr size_t kClips = 14;
constexpr uint32_t kForehand = 2;
constexpr uint32_t kBackhand = 3;
constexpr uint32_t kServeToss = 5;
constexpr uint32_t kServeSwing = 8;

// Where the serve toss starts in the player's own space (facing +z, its
// right on -x); the game gives the offsets for a server facing +x.
const Vector3 kTossPoint(-kTossOffsetZ, kTossOffsetY, kTossOffsetX);
// The racket meets the tossed ball above the head: at least this high all
// through the serve's hitting window.
constexpr float kOverheadY = 150.0f;

LoadedModel& character(const std::string& name) {
  std::vector<std::string> clips;
  for (const char* clip : kCharacterClipFiles) clips.push_back("models/" + name + "/" + clip);
  return modeltest::runModel("models/" + name + "/normal.ASZ", clips);
}

Vector3 positionOf(const LoadedModel& loaded, const std::string& node) {
  const auto object = loaded.find<SceneObject>(node);
  if (!object) return {NAN, NAN, NAN};
  // A bone's world carries its pivot (the inverse of its bind transform).
  const auto* bone = dynamic_cast<const BoneObject*>(object.get());
  if (bone && !dynamic_cast<const SkinnedObject*>(bone)) {
    return translation(multiply(inverse(bone->pivot()), object->worldMatrix()));
  }
  return translation(object->worldMatrix());
}

void pose(LoadedModel& loaded, uint32_t clip, uint32_t timeMs) { poseModel(*loaded.model->root, clip, timeMs); }

uint32_t duration(const LoadedModel& loaded, uint32_t clip) {
  return loaded.model->root->animationDurations().at(clip);
}

// Every drawn vertex as posed (skins as skinned, rigid meshes in the world);
// the game hides the held ball "Pelota".
std::vector<Vector3> drawnVertices(const LoadedModel& loaded) {
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

bool hasAncestor(const SceneNode& node, const std::string& name) {
  for (const SceneNode* up = node.parent(); up; up = up->parent()) {
    if (up->name() == name) return true;
  }
  return false;
}

TEST(CharacterModels, FilesLoadWithoutAMessageWithAssimpsFacesAndAPortrait) {
  for (const char* name : kCharacters) {
    SCOPED_TRACE(name);
    const fs::path folder = runFolder() / "models" / name;
    for (const char* clip : kCharacterClipFiles) ASSERT_TRUE(fs::is_regular_file(folder / clip)) << clip;
    const LoadedModel& loaded = character(name);
    EXPECT_EQ(loaded.output, "");
    EXPECT_TRUE(findModelProblems(*loaded.model).empty());
    for (const std::string& texture : loaded.textures->paths()) EXPECT_TRUE(fs::is_regular_file(texture)) << texture;
    modeltest::expectAssimpFaces(*loaded.model, modeltest::readFile(folder / "normal.ASZ"));
    // The portrait is a whole 24-bit bitmap.
    const std::string icon = modeltest::readFile(folder / "Icon.bmp");
    ASSERT_GE(icon.size(), 54u);
    uint32_t size = 0;
    for (int i = 5; i >= 2; --i) size = (size << 8) | static_cast<unsigned char>(icon[i]);
    EXPECT_EQ(icon.substr(0, 2), "BM");
    EXPECT_EQ(size, icon.size());
    EXPECT_EQ(icon[28], 24);
  }
}

TEST(CharacterModels, ClipsLastWhatTheGameTimesThemFor) {
  // (clip, shortest, longest) in milliseconds.
  const struct {
    uint32_t clip, low, high;
  } ranges[] = {{0, 1000, 2500}, {1, 500, 650},  {2, 500, 700}, {3, 500, 700},   {5, 300, 500},
                {6, 1000, 1100}, {7, 440, 560},  {8, 400, 900}, {9, 2000, 3000}, {10, 2000, 3000},
                {11, 160, 240},  {12, 250, 350}, {13, 440, 560}};
  for (const char* name : kCharacters) {
    SCOPED_TRACE(name);
    const std::vector<uint32_t>& durations = character(name).model->root->animationDurations();
    ASSERT_EQ(durations.size(), kClips);
    for (const auto& r : ranges) {
      EXPECT_GE(durations[r.clip], r.low) << "clip " << r.clip;
      EXPECT_LE(durations[r.clip], r.high) << "clip " << r.clip;
      // Whole frames of 32 ms.
      EXPECT_EQ(durations[r.clip] % 32, 0u) << "clip " << r.clip;
    }
    EXPECT_GE(durations[4], 500u);
  }
}

TEST(CharacterModels, StandsOnTheGroundFacingForwardsWithRacketAndBallInHand) {
  for (const char* name : kCharacters) {
    SCOPED_TRACE(name);
    LoadedModel& loaded = character(name);
    const auto golpe = loaded.find("Golpe");
    const auto pelota = loaded.find("Pelota");
    ASSERT_TRUE(golpe && pelota);
    EXPECT_TRUE(hasAncestor(*golpe, "ManoD"));
    EXPECT_TRUE(hasAncestor(*pelota, "ManoI"));
    // The strings' node sits at the middle of its own mesh.
    Vector3 low(1e9f, 1e9f, 1e9f), high(-1e9f, -1e9f, -1e9f);
    for (const Vector3& v : golpe->vertices()) {
      low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
      high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
    }
    EXPECT_LT(length(low + high), 0.5f);

    pose(loaded, 0, 0);
    // The right hand is on the right (-x), the left on the left.
    EXPECT_LT(positionOf(loaded, "ManoD").x, -5.0f);
    EXPECT_GT(positionOf(loaded, "ManoI").x, 5.0f);
    float top = -1e9f, bottom = 1e9f;
    for (const Vector3& p : drawnVertices(loaded)) {
      top = std::max(top, p.y);
      bottom = std::min(bottom, p.y);
    }
    EXPECT_GE(top, 100.0f);
    EXPECT_LE(top, 120.0f);
    EXPECT_NEAR(bottom, 0.0f, 1.0f);
    // Toes point forwards (+z, the game's facing 0).
    for (const char* foot : {"PieDMalla", "PieIMalla"}) {
      const auto mesh = loaded.find(foot);
      ASSERT_TRUE(mesh) << foot;
      float front = -1e9f;
      for (const Vector3& p : modeltest::worldPoints(*mesh)) front = std::max(front, p.z);
      EXPECT_GT(front, positionOf(loaded, foot).z + 4.0f) << foot;
    }
  }
}

TEST(CharacterModels, NothingSinksIntoTheCourt) {
  for (const char* name : kCharacters) {
    SCOPED_TRACE(name);
    LoadedModel& loaded = character(name);
    for (uint32_t clip = 0; clip < kClips; ++clip) {
      for (uint32_t t = 0; t <= duration(loaded, clip); t += 32) {
        pose(loaded, clip, t);
        float lowest = 1e9f;
        for (const Vector3& p : drawnVertices(loaded)) lowest = std::min(lowest, p.y);
        EXPECT_GT(lowest, -2.0f) << "clip " << clip << " at " << t << " ms";
      }
    }
  }
}

TEST(CharacterModels, StrokesMeetTheBallWhereTheGameHitsIt) {
  for (const char* name : kCharacters) {
    SCOPED_TRACE(name);
    LoadedModel& loaded = character(name);
    // Early in the forehand and backhand the strings sweep across in front
    // around the computer's hitting height, where it meets the ball.
    for (uint32_t clip : {kForehand, kBackhand}) {
      float lowest = 1e9f, highest = -1e9f, leftmost = 1e9f, rightmost = -1e9f;
      bool inFront = false;
      for (uint32_t t = 0; t <= duration(loaded, clip) / 3; t += 8) {
        pose(loaded, clip, t);
        const Vector3 golpe = positionOf(loaded, "Golpe");
        lowest = std::min(lowest, golpe.y);
        highest = std::max(highest, golpe.y);
        leftmost = std::min(leftmost, golpe.x);
        rightmost = std::max(rightmost, golpe.x);
        inFront = inFront || (golpe.y >= 40 && golpe.y <= 60 && golpe.z >= 15);
      }
      EXPECT_GE(lowest, kCpuHitHeight - 6) << "clip " << clip;
      EXPECT_LE(highest, kCpuHitHeight + 18) << "clip " << clip;
      EXPECT_TRUE(inFront) << "clip " << clip;
      EXPECT_GT(rightmost - leftmost, 40.0f) << "clip " << clip;
    }
    // The toss clip ends with the ball where the game starts the toss.
    pose(loaded, kServeToss, duration(loaded, kServeToss));
    const Vector3 ball = positionOf(loaded, "Pelota");
    EXPECT_NEAR(ball.y, kTossPoint.y, 8.0f);
    EXPECT_LT(distance(ball, kTossPoint), 12.0f);
    EXPECT_GT(positionOf(loaded, "ManoI").y, 105.0f);
    // Through the serve's hitting window the racket is above the head.
    for (uint32_t t = kServeHitStartMs; t <= kServeHitEndMs; t += 8) {
      pose(loaded, kServeSwing, t);
      const float y = positionOf(loaded, "Golpe").y;
      EXPECT_GE(y, kOverheadY) << t << " ms";
      EXPECT_LE(y, kServeHitMaxY) << t << " ms";
    }
  }
}

// Every bone holds every clip (a node that a clip file leaves out would play
// its first clip there), and the skin follows the bones smoothly, at most
// four to a vertex, with few enough faces to skin four characters on the
// processor each frame.
TEST(CharacterModels, RigHoldsEveryClipAndASmoothSkin) {
  for (const char* name : kCharacters) {
    SCOPED_TRACE(name);
    size_t bones = 0, skins = 0, shared = 0, faces = 0;
    forEachObject(*character(name).model->root, [&](const SceneObject& object) {
      const size_t clips = object.animator().animationCount();
      EXPECT_TRUE(clips == 1 || clips == kClips) << object.name() << " holds " << clips << " clips";
      const auto* skin = dynamic_cast<const SkinnedObject*>(&object);
      if (!skin && dynamic_cast<const BoneObject*>(&object)) {
        ++bones;
        EXPECT_EQ(clips, kClips) << object.name();
        return;
      }
      faces += object.faces().size();
      if (!skin) return;
      ++skins;
      const std::vector<float>& weights = skin->boneWeights();
      ASSERT_EQ(weights.size(), 4 * skin->vertices().size());
      for (size_t v = 0; v < skin->vertices().size(); ++v) {
        float sum = 0;
        int used = 0;
        for (int k = 0; k < 4; ++k) {
          sum += weights[4 * v + k];
          used += weights[4 * v + k] > 0 ? 1 : 0;
        }
        EXPECT_NEAR(sum, 1.0f, 1e-3f) << skin->name() << " vertex " << v;
        shared += used > 1 ? 1 : 0;
      }
    });
    EXPECT_GE(bones, 16u);
    EXPECT_GE(skins, 1u);
    // Vertices near the joints follow two bones.
    EXPECT_GT(shared, 100u);
    EXPECT_LE(faces, 5000u);
  }
}

// Where the bones' joints, the strings and the ball are at one moment.
std::vector<Vector3> joints(LoadedModel& loaded, uint32_t clip, uint32_t timeMs) {
  pose(loaded, clip, timeMs);
  std::vector<Vector3> points;
  forEachObject(*loaded.model->root, [&](const SceneObject& object) {
    const bool bone = dynamic_cast<const BoneObject*>(&object) && !dynamic_cast<const SkinnedObject*>(&object);
    if (bone || object.name() == "Golpe" || object.name() == "Pelota")
      points.push_back(positionOf(loaded, object.name()));
  });
  return points;
}

float largestMove(const std::vector<Vector3>& a, const std::vector<Vector3>& b) {
  float largest = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) largest = std::max(largest, distance(a[i], b[i]));
  return largest;
}

TEST(CharacterModels, ClipsJoinWithoutAJump) {
  // Clips that follow each other, (clip, time or -1 for its end) then
  // (clip, time), meet in the same pose: the serve's phases, the dive's, and
  // the swings' ends back to standing.
  const struct {
    uint32_t from;
    int fromTime;
    uint32_t to;
    uint32_t toTime;
  } joins[] = {{4, 0, 5, 0},    {5, -1, 6, 0}, {6, -1, 7, 0}, {7, -1, 4, 0}, {6, 480, 8, 0},
               {12, -1, 13, 0}, {2, -1, 0, 0}, {3, -1, 0, 0}, {8, -1, 0, 0}, {13, -1, 0, 0}};
  for (const char* name : kCharacters) {
    SCOPED_TRACE(name);
    LoadedModel& loaded = character(name);
    for (const auto& j : joins) {
      const uint32_t at = j.fromTime < 0 ? duration(loaded, j.from) : static_cast<uint32_t>(j.fromTime);
      EXPECT_LT(largestMove(joints(loaded, j.from, at), joints(loaded, j.to, j.toTime)), 2.0f)
          << "clip " << j.from << " at " << at << " ms to clip " << j.to;
    }
    // Idle, running and the serve's stance loop: from the last frame back to
    // the first is a step like any other.
    for (uint32_t clip : {0u, 1u, 4u}) {
      const uint32_t last = duration(loaded, clip);
      float step = 0;
      std::vector<Vector3> before = joints(loaded, clip, 0);
      for (uint32_t t = 32; t <= last; t += 32) {
        std::vector<Vector3> now = joints(loaded, clip, t);
        step = std::max(step, largestMove(before, now));
        before = now;
      }
      EXPECT_LE(largestMove(joints(loaded, clip, last), joints(loaded, clip, 0)), 1.5f * step + 0.5f)
          << "clip " << clip;
    }
  }
}

}  // namespace
