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

const char* kModel = R"(*3DSMAX_ASCIIEXPORT 200
*SCENE {
  *SCENE_FIRSTFRAME 0
  *SCENE_LASTFRAME 10
  *SCENE_TICKSPERFRAME 160
}
*BONEOBJECT {
  *NODE_NAME "Hueso"
  *NODE_TM {
    *NODE_NAME "Hueso"
    *TM_ROW0 1 0 0
    *TM_ROW1 0 1 0
    *TM_ROW2 0 0 1
    *TM_ROW3 10 0 0
  }
  *TM_ANIMATION {
    *NODE_NAME "Hueso"
    *CONTROL_ROT_TRACK {
      *CONTROL_ROT_SAMPLE 0 0 0 1 0
      *CONTROL_ROT_SAMPLE 1600 0 0 1 1.5707964
    }
  }
}
*BONEOBJECT {
  *NODE_NAME "Punta"
  *NODE_PARENT "Hueso"
  *NODE_TM {
    *NODE_NAME "Punta"
    *TM_ROW0 1 0 0
    *TM_ROW1 0 1 0
    *TM_ROW2 0 0 1
    *TM_ROW3 20 0 0
  }
}
*GEOMOBJECTWITHBONES {
  *NODE_NAME "Piel"
  *NODE_TM {
    *NODE_NAME "Piel"
    *TM_ROW0 1 0 0
    *TM_ROW1 0 1 0
    *TM_ROW2 0 0 1
    *TM_ROW3 0 0 0
  }
  *MESH {
    *MESH_NUMVERTEX 3
    *MESH_NUMFACES 1
    *MESH_VERTEX_LIST {
      *MESH_VERTEX 0 10 0 0
      *MESH_VERTEX 1 20 0 0
      *MESH_VERTEX 2 20 0 5
    }
    *MESH_FACE_LIST {
      *MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1 *MESH_SMOOTHING 1 *MESH_MTLID 0
    }
  }
  *SKIN_DATA {
    *SKIN_INFO {
      *BONE_NAME "Hueso"
      *BONE_NAME "Punta"
    }
    *SKIN_TABLE {
      *BONE_WEIGHT 0 2 1.0 0.0
      *BONE_WEIGHT 1 2 0.0 1.0
      *BONE_WEIGHT 2 2 0.5 0.5
    }
  }
}
)";

const char* kClip = R"(*3DSMAX_ASCIIEXPORT 200
*SCENE {
  *SCENE_FIRSTFRAME 0
  *SCENE_LASTFRAME 4
  *SCENE_TICKSPERFRAME 160
}
*BONEOBJECT {
  *NODE_NAME "Hueso"
  *NODE_TM {
    *TM_ROW0 1 0 0
    *TM_ROW1 0 1 0
    *TM_ROW2 0 0 1
    *TM_ROW3 10 0 0
  }
  *TM_ANIMATION {
    *NODE_NAME "Hueso"
    *CONTROL_POS_TRACK {
      *CONTROL_POS_SAMPLE 0 10 0 0
      *CONTROL_POS_SAMPLE 320 10 0 6
    }
  }
}
*BONEOBJECT {
  *NODE_NAME "Punta"
  *NODE_PARENT "Hueso"
  *NODE_TM {
    *TM_ROW0 1 0 0
    *TM_ROW1 0 1 0
    *TM_ROW2 0 0 1
    *TM_ROW3 20 0 0
  }
}
*GEOMOBJECTWITHBONES {
  *NODE_NAME "Piel"
  *NODE_TM {
    *TM_ROW0 1 0 0
    *TM_ROW1 0 1 0
    *TM_ROW2 0 0 1
    *TM_ROW3 0 0 0
  }
  *MESH {
    *MESH_NUMVERTEX 3
  }
}
)";

const Matrix kZ(1, 0, 0, 0, 0, -1, 0, 1, 0, 0, 0, 0);
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

  // Advances the model's clock to `timeMs` (never backwards) and skins.
  void advanceTo(uint32_t timeMs) {
    root().updateTree(timeMs - root().clockMs(), Matrix(), 0);
    skin->skin();
  }

  AnimatedGroup& root() { return *loaded.model->root; }

  void expectSkinned(const Vector3& v0, const Vector3& v1, const Vector3& v2) {
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

TEST_F(SkinnedModel, ReadsTwoClips) {
  EXPECT_EQ(root().animationDurations(), (std::vector<uint32_t>{320, 128}));
  EXPECT_EQ(skin->bones(), (std::vector<BoneObject*>{skin.get(), bone.get(), tip.get()}));
  EXPECT_EQ(tip->parent(), bone.get());
  EXPECT_EQ(bone->animator().animationCount(), 2u);
  EXPECT_EQ(tip->animator().animationCount(), 2u);
  EXPECT_EQ(skin->animator().animationCount(), 2u);
  // Bind positions are the file's vertices.
  expectNear(skin->bindVertices()[2], Vector3(20, 0, 5));
}

TEST_F(SkinnedModel, RestsUntilFrameNine) {
  advanceTo(100);
  expectNear(bone->worldMatrix(), kZ);
  expectNear(tip->worldMatrix(), kZ);
  expectNear(skin->worldMatrix(), kZ);
  expectSkinned(Vector3(10, 0, 0), Vector3(20, 0, 0), Vector3(20, 5, 0));
  // The face normal, file (0, -1, 0), is the game's +z.
  expectNear(skin->skinnedNormals()[0], Vector3(0, 0, 1));
}

TEST_F(SkinnedModel, TurnsHalfwayBetweenFramesNineAndTen) {
  advanceTo(100);
  advanceTo(304);
  // Hueso: R45 * Z with the pivot (10, 0, 0) kept in place.
  const Matrix expected(c, 0, c, c, 0, -c, 0, 1, 0, 10 - 10 * c, 0, -10 * c);
  expectNear(bone->worldMatrix(), expected);
  expectNear(tip->worldMatrix(), expected);
  expectSkinned(Vector3(10, 0, 0), Vector3(10 + 10 * c, 0, 10 * c), Vector3(10 + 10 * c, 5, 10 * c));
}

TEST_F(SkinnedModel, EndsTheModelClipAQuarterTurned) {
  advanceTo(320);
  const Matrix expected(0, 0, 1, 1, 0, 0, 0, 1, 0, 10, 0, -10);
  expectNear(bone->worldMatrix(), expected);
  expectNear(tip->worldMatrix(), expected);
  expectSkinned(Vector3(10, 0, 0), Vector3(10, 0, 10), Vector3(10, 5, 10));
  // Past the clip's 11 frames it starts again at rest.
  advanceTo(352 + 100);
  expectSkinned(Vector3(10, 0, 0), Vector3(20, 0, 0), Vector3(20, 5, 0));
}

TEST_F(SkinnedModel, ClipFileMovesTheBoneUp) {
  advanceTo(320);
  root().setAnimation(1);
  root().resetClock();
  // The switch blends for 100 ms from the last pose; after it the clip's own
  // pose shows. 208 ms is frame 1.5 of the second loop of 5 frames.
  root().updateTree(0, Matrix(), 0);
  advanceTo(208);
  Matrix expected = kZ;
  set(expected, 3, 1, 3);
  expectNear(bone->worldMatrix(), expected);
  expectNear(tip->worldMatrix(), expected);
  expectNear(skin->worldMatrix(), kZ);
  expectSkinned(Vector3(10, 3, 0), Vector3(20, 3, 0), Vector3(20, 8, 0));
  // From frame 2 on it stays up.
  advanceTo(260);
  expectSkinned(Vector3(10, 6, 0), Vector3(20, 6, 0), Vector3(20, 11, 0));
}

// The inspection tools' pose: the clip's own pose at once, even within the
// first 100 ms and right after another clip.
TEST_F(SkinnedModel, PoseModelShowsTheClipWithoutTheBlend) {
  poseModel(root(), 0, 320);
  poseModel(root(), 1, 48);
  EXPECT_EQ(root().currentAnimation(), 1u);
  EXPECT_EQ(root().clockMs(), 48u);
  expectSkinned(Vector3(10, 3, 0), Vector3(20, 3, 0), Vector3(20, 8, 0));
  poseModel(root(), 0, 304);
  expectSkinned(Vector3(10, 0, 0), Vector3(10 + 10 * c, 0, 10 * c), Vector3(10 + 10 * c, 5, 10 * c));
}

}  // namespace
