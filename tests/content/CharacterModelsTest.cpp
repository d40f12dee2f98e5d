// The four characters as the build leaves them in the run folder, read the
// way the game reads them ("normal.ASZ", then the thirteen clip files in
// order) and held to what the game's mechanics need of them: the clips'
// rig, the racket's strings "Golpe" low in front early in the strokes
// and high above the head in the serve's hitting window, the ball hand where
// the toss starts, the nodes the game looks up, and a skin the game can
// deform.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "assets/ModelProbe.h"
#include "engine/BoneObject.h"
#include "engine/SkinnedObject.h"
#include "tennis/Court.h"
#include "tests/content/ModelTestSupport.h"

namespace {

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
    if (!object) return {NAN, NAN, NAN};
    // A bone's world carries its pivot (the inverse of its bind transform).
    const auto* bone = dynamic_cast<const BoneObject*>(object.get());
    if (bone && !dynamic_cast<const SkinnedObject*>(bone)) {
      return translation(multiply(inverse(bone->pivot()), object->worldMatrix()));
    }
    return translation(object->worldMatrix());
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

// Racket in the right hand (on -x), ball in the left, the strings' node at
// the middle of its own mesh; 100 to 120 tall with the feet on the ground
// and the toes forwards; nothing ever sinks into the court.
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
  // Toes point forwards (+z, the game's facing 0).
  for (const char* foot : {"PieDMalla", "PieIMalla"}) {
    ASSERT_TRUE(loaded.find(foot)) << foot;
    float front = -1e9f;
    for (const Vector3& p : modeltest::worldPoints(*loaded.find(foot))) front = std::max(front, p.z);
    EXPECT_GT(front, positionOf(foot).z + 4.0f) << foot;
  }
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
    EXPECT_GE(lowest, kCpuHitHeight - 6) << "clip " << clip;
    EXPECT_LE(highest, kCpuHitHeight + 18) << "clip " << clip;
    EXPECT_TRUE(inFront) << "clip " << clip;
    EXPECT_GT(rightmost - leftmost, 40.0f) << "clip " << clip;
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

// Every bone holds every clip (a node that a clip file leaves out would play
// its first clip there), and the skin follows the bones smoothly, at most
// four to a vertex.
TEST_P(CharacterModels, RigHoldsEveryClipAndASmoothSkin) {
  size_t skins = 0, shared = 0;
  forEachObject(*loaded.model->root, [&](const SceneObject& object) {
    const size_t clips = object.animator().animationCount();
    const auto* skin = dynamic_cast<const SkinnedObject*>(&object);
    const bool bone = !skin && dynamic_cast<const BoneObject*>(&object);
    EXPECT_TRUE(clips == kClips || (clips == 1 && !bone)) << object.name() << " holds " << clips << " clips";
    if (!skin) return;
    ++skins;
    ASSERT_EQ(skin->boneWeights().size(), 4 * skin->vertices().size());
    for (size_t v = 0; v < skin->vertices().size(); ++v) {
      const float* w = &skin->boneWeights()[4 * v];
      EXPECT_NEAR(w[0] + w[1] + w[2] + w[3], 1.0f, 1e-3f) << skin->name() << " vertex " << v;
      shared += (w[0] > 0) + (w[1] > 0) + (w[2] > 0) + (w[3] > 0) > 1 ? 1 : 0;
    }
  });
  EXPECT_GE(skins, 1u);
  // Vertices near the joints follow two bones.
  EXPECT_GT(shared, 100u);
}

INSTANTIATE_TEST_SUITE_P(EveryCharacter, CharacterModels,
                         testing::Values("Vazuvodod", "Revirade", "Roveriru", "Doredu"));

}  // namespace
