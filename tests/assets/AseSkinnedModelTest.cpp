// A small skinned model read from its file and a clip file, posed at
// several times and skinned. The expected matrices and vertices are worked
// out by hand:
//
// Hueso is a bone at file (10, 0, 0); Punta a bone below it at (20, 0, 0);
// Piel a skinned triangle at the file origin with vertices v0 (10, 0, 0) on
// Hueso, v1 (20, 0, 0) on Punta and v2 (20, 0, 5) half on each. The file's
// Z-up space shows in the game as (x, y, z) -> (x, z, -y).
//
// Clip 0 (the model file): frames 0..10 at 160 ticks (32 ms) a frame. Hueso
// turns a quarter about file z at frame 10 (tick 1600). The sample's sign is
// reversed, so its key is the row-vector rotation R90 with row0 = (0, -1, 0),
// row1 = (1, 0, 0): a point at +x from the pivot goes to -y. Keys sit at
// frames 0 and 10 only, so the bone rests through frame 9 and turns between
// frames 9 and 10 (at 304 ms it is halfway: R45 with row0 = (c, -c, 0),
// row1 = (c, c, 0), c = cos 45).
//
// A bone's world is pivot * local * parent, pivot = inverse(file transform)
// F^-1, local = R * F * Z at the top (R * (F relative to the parent) below),
// so a file point p on Hueso or Punta goes to ((p - (10,0,0)) * R + (10,0,0))
// * Z. The skin itself (bone 0) rests at Z.
//
// Clip 1 (the clip file): frames 0..4, Hueso moves up by 6 file units at
// frame 2; between frames 1 and 2 it is halfway (3 units).

#include <gtest/gtest.h>

#include <cmath>

#include "AseTestSupport.h"
#include "assets/ModelProbe.h"
#include "engine/BoneObject.h"
#include "engine/SkinnedObject.h"

namespace {

const std::string kModel =
    sceneBlock(0, 10) +
    objectBlock("*BONEOBJECT", "Hueso",
                " *TM_ANIMATION {\n  *CONTROL_ROT_TRACK {\n   *CONTROL_ROT_SAMPLE 0 0 0 1 0\n"
                "   *CONTROL_ROT_SAMPLE 1600 0 0 1 1.5707964\n  }\n }\n",
                "", nodeTmAt("10 0 0")) +
    objectBlock("*BONEOBJECT", "Punta", "", "Hueso", nodeTmAt("20 0 0")) +
    objectBlock("*GEOMOBJECTWITHBONES", "Piel",
                meshBlock({"10 0 0", "20 0 0", "20 0 5"}, {{0, 1, 2}}) +
                    " *SKIN_DATA {\n  *SKIN_INFO { *BONE_NAME \"Hueso\" *BONE_NAME \"Punta\" }\n  *SKIN_TABLE {\n"
                    "   *BONE_WEIGHT 0 2 1.0 0.0\n   *BONE_WEIGHT 1 2 0.0 1.0\n   *BONE_WEIGHT 2 2 0.5 0.5\n  }\n }\n");

const std::string kClip =
    sceneBlock(0, 4) +
    objectBlock("*BONEOBJECT", "Hueso",
                " *TM_ANIMATION {\n  *CONTROL_POS_TRACK {\n   *CONTROL_POS_SAMPLE 0 10 0 0\n"
                "   *CONTROL_POS_SAMPLE 320 10 0 6\n  }\n }\n",
                "", nodeTmAt("10 0 0")) +
    objectBlock("*BONEOBJECT", "Punta", "", "Hueso", nodeTmAt("20 0 0")) +
    objectBlock("*GEOMOBJECTWITHBONES", "Piel", meshBlock({"10 0 0", "20 0 0", "20 0 5"}, {{0, 1, 2}}));

const float c = std::sqrt(0.5f);

class SkinnedModel : public testing::Test {
 protected:
  void SetUp() override {
    loaded = loadAse(kModel, "models/Brazo/normal.ASZ");
    ASSERT_EQ(loaded.output, "");
    ASSERT_EQ(loaded.addClip(kClip, "models/Brazo/golpe.ASZ"), "");
    bone = loaded.find<BoneObject>("Hueso");
    tip = loaded.find<BoneObject>("Punta");
    skin = loaded.find<SkinnedObject>("Piel");
    ASSERT_TRUE(bone && tip && skin);
  }

  // Poses clip `clip` at `timeMs` and expects the bones' worlds and the
  // skinned vertices.
  void expectPose(uint32_t clip, uint32_t timeMs, const Matrix& bones, const Vector3& v0, const Vector3& v1,
                  const Vector3& v2) {
    SCOPED_TRACE("clip " + std::to_string(clip) + " at " + std::to_string(timeMs));
    poseModel(*loaded.model->root, clip, timeMs);
    expectNear(bone->worldMatrix(), bones);
    expectNear(tip->worldMatrix(), bones);
    expectNear(skin->worldMatrix(), kFileToGame);
    ASSERT_EQ(skin->skinnedVertices().size(), 3u);
    expectNear(skin->skinnedVertices()[0], v0);
    expectNear(skin->skinnedVertices()[1], v1);
    expectNear(skin->skinnedVertices()[2], v2);
  }

  LoadedModel loaded;
  std::shared_ptr<BoneObject> bone;
  std::shared_ptr<BoneObject> tip;
  std::shared_ptr<SkinnedObject> skin;
};

TEST_F(SkinnedModel, ReadsTwoClipsAndRestsUntilFrameNine) {
  EXPECT_EQ(loaded.model->root->animationDurations(), (std::vector<uint32_t>{320, 128}));
  EXPECT_EQ(skin->bones(), (std::vector<BoneObject*>{skin.get(), bone.get(), tip.get()}));
  EXPECT_EQ(tip->parent(), bone.get());
  for (const BoneObject* node : skin->bones()) EXPECT_EQ(node->animator().animationCount(), 2u) << node->name();
  // Bind positions are the file's vertices.
  expectNear(skin->bindVertices()[2], Vector3(20, 0, 5));
  expectPose(0, 100, kFileToGame, Vector3(10, 0, 0), Vector3(20, 0, 0), Vector3(20, 5, 0));
  // The face normal, file (0, -1, 0), is the game's +z.
  expectNear(skin->skinnedNormals()[0], Vector3(0, 0, 1));
}

// poseModel shows each clip's own pose at once, without the blend from the
// clip before, as the inspection tools need.
TEST_F(SkinnedModel, EachClipMovesTheBonesAtItsFrames) {
  // Halfway between frames 9 and 10, Hueso is R45 * Z with the pivot
  // (10, 0, 0) kept in place; at frame 10 it has turned a quarter, and past
  // the clip's 11 frames it starts again at rest.
  const Matrix halfway(c, 0, c, c, 0, -c, 0, 1, 0, 10 - 10 * c, 0, -10 * c);
  expectPose(0, 304, halfway, Vector3(10, 0, 0), Vector3(10 + 10 * c, 0, 10 * c), Vector3(10 + 10 * c, 5, 10 * c));
  expectPose(0, 320, Matrix(0, 0, 1, 1, 0, 0, 0, 1, 0, 10, 0, -10), Vector3(10, 0, 0), Vector3(10, 0, 10),
             Vector3(10, 5, 10));
  expectPose(0, 352 + 100, kFileToGame, Vector3(10, 0, 0), Vector3(20, 0, 0), Vector3(20, 5, 0));
  // The clip file raises Hueso by 3 at frame 1.5 and by 6 from frame 2 on.
  Matrix raised = kFileToGame;
  set(raised, 3, 1, 3);
  expectPose(1, 48, raised, Vector3(10, 3, 0), Vector3(20, 3, 0), Vector3(20, 8, 0));
  EXPECT_EQ(loaded.model->root->currentAnimation(), 1u);
  EXPECT_EQ(loaded.model->root->clockMs(), 48u);
  set(raised, 3, 1, 6);
  expectPose(1, 100, raised, Vector3(10, 6, 0), Vector3(20, 6, 0), Vector3(20, 11, 0));
  expectPose(0, 304, halfway, Vector3(10, 0, 0), Vector3(10 + 10 * c, 0, 10 * c), Vector3(10 + 10 * c, 5, 10 * c));
}

}  // namespace
