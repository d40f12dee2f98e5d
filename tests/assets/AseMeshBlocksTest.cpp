// The blocks inside an object: the mesh lists and normals, the skin's bones
// and weight table with its four-bone limit, and the position, rotation and
// texture tracks.

#include <gtest/gtest.h>

#include <cmath>

#include "AseTestSupport.h"
#include "engine/BoneObject.h"
#include "engine/SkinnedObject.h"

namespace {

// A quarter turn about file Z: x becomes y.
const std::string kQuarterTurnRows[3] = {"0 1 0", "-1 0 0", "0 0 1"};

std::string object(const std::string& keyword, const std::string& name, const std::string& tm,
                   const std::string& body) {
  return keyword + " {\n  *NODE_NAME \"" + name + "\"\n" + tm + body + "}\n";
}

TEST(AseMeshBlocks, VerticesComeIntoObjectSpaceAndGetSmoothNormals) {
  const std::string tm = nodeTm("Caja", kQuarterTurnRows[0], kQuarterTurnRows[1], kQuarterTurnRows[2], "10 0 0");
  LoadedModel loaded = loadAse(sceneBlock() + object("*GEOMOBJECT", "Caja", tm, R"(  *MESH {
    *MESH_NUMVERTEX 3
    *MESH_NUMFACES 1
    *MESH_VERTEX_LIST {
      *MESH_VERTEX 0 10 0 0
      *MESH_VERTEX 1 10 5 0
      *MESH_VERTEX 2 8 0 0
    }
    *MESH_FACE_LIST {
      *MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1 *MESH_SMOOTHING 1,2,3 *MESH_MTLID 0 EXTRA 7 7
    }
    *MESH_NUMTVERTEX 2
    *MESH_TVERTLIST {
      *MESH_TVERT 0 0.25 -0.5 1.5
      *MESH_TVERT 1 2 3 4
    }
  }
)"));
  EXPECT_EQ(loaded.output, "");
  auto box = loaded.find<SceneObject>("Caja");
  ASSERT_TRUE(box);
  ASSERT_EQ(box->vertices().size(), 3u);
  // File point minus the position, turned back a quarter: y becomes x.
  expectNear(box->vertices()[0], Vector3(0, 0, 0));
  expectNear(box->vertices()[1], Vector3(5, 0, 0));
  expectNear(box->vertices()[2], Vector3(0, 2, 0));
  ASSERT_EQ(box->faces().size(), 1u);
  EXPECT_EQ(box->faces()[0], Face(0, 1, 2));
  // (5, 0, 0) x (0, 2, 0) points along +z at every corner.
  ASSERT_EQ(box->normals().size(), 3u);
  for (const Vector3& n : box->normals()) expectNear(n, Vector3(0, 0, 1));
  // Texture coordinates are kept as written.
  ASSERT_EQ(box->texCoords().size(), 2u);
  expectNear(box->texCoords()[0], Vector3(0.25f, -0.5f, 1.5f), 0);
}

TEST(AseMeshBlocks, FaceLinesOfOtherExportersReadTheSame) {
  LoadedModel loaded = loadAse(sceneBlock() + object("*GEOMOBJECT", "Q3", nodeTmAt("Q3", "0 0 0"), R"(  *MESH {
    *MESH_NUMVERTEX 4
    *MESH_NUMFACES 3
    *MESH_VERTEX_LIST {
      *MESH_VERTEX 0 0 0 0
      *MESH_VERTEX 1 1 0 0
      *MESH_VERTEX 2 1 1 0
      *MESH_VERTEX 3 0 1 0
    }
    *MESH_FACE_LIST {
      *MESH_FACE	0	A:	0	B:	1	C:	2
      *MESH_FACE 1: A: 0 B: 2 C: 3 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING *MESH_MTLID 0
      *MESH_FACE 2: A: 3 B: 2 C: 1 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 32, *MESH_MTLID 17
    }
  }
)"));
  EXPECT_EQ(loaded.output, "");
  auto mesh = loaded.find<SceneObject>("Q3");
  ASSERT_TRUE(mesh);
  ASSERT_EQ(mesh->faces().size(), 3u);
  EXPECT_EQ(mesh->faces()[0], Face(0, 1, 2));
  EXPECT_EQ(mesh->faces()[1], Face(0, 2, 3));
  EXPECT_EQ(mesh->faces()[2], Face(3, 2, 1));
}

TEST(AseMeshBlocks, ListedNormalsWinAndAreNotNormalisedAgain) {
  const std::string tm = nodeTm("N", kQuarterTurnRows[0], kQuarterTurnRows[1], kQuarterTurnRows[2], "0 0 0");
  LoadedModel loaded = loadAse(sceneBlock() + object("*GEOMOBJECT", "N", tm, R"(  *MESH {
    *MESH_NUMVERTEX 4
    *MESH_NUMFACES 2
    *MESH_VERTEX_LIST {
      *MESH_VERTEX 0 0 0 0
      *MESH_VERTEX 1 0 1 0
      *MESH_VERTEX 2 -1 0 0
      *MESH_VERTEX 3 -1 1 0
    }
    *MESH_FACE_LIST {
      *MESH_FACE 0: A: 0 B: 1 C: 2
      *MESH_FACE 1: A: 2 B: 1 C: 3
    }
    *MESH_NORMALS {
      *MESH_FACENORMAL 0 0 0 1
        *MESH_VERTEXNORMAL 0 0 2 0
        *MESH_VERTEXNORMAL 1 1 0 0
        *MESH_VERTEXNORMAL 2 0 0 1
      *MESH_FACENORMAL 1 0 0 1
        *MESH_VERTEXNORMAL 2 0 0 -3
        *MESH_VERTEXNORMAL 1 0 1 0
        *MESH_VERTEXNORMAL 3 0 0 1
    }
  }
)"));
  EXPECT_EQ(loaded.output, "");
  auto mesh = loaded.find<SceneObject>("N");
  ASSERT_TRUE(mesh);
  ASSERT_EQ(mesh->normals().size(), 4u);
  // File (0, 2, 0) in the object's quarter-turned axes is (2, 0, 0), length kept.
  expectNear(mesh->normals()[0], Vector3(2, 0, 0));
  // Vertices 1 and 2 take their last listing.
  expectNear(mesh->normals()[1], Vector3(1, 0, 0));
  expectNear(mesh->normals()[2], Vector3(0, 0, -3));
  expectNear(mesh->normals()[3], Vector3(0, 0, 1));
}

// Five bones B1..B5 at the origin and a skin of five vertices whose table
// rows are given.
LoadedModel skinWithTable(const std::string& rows, const std::string& boneNames = "") {
  std::string text = sceneBlock();
  for (int i = 1; i <= 5; ++i) {
    const std::string name = "B" + std::to_string(i);
    text += object("*BONEOBJECT", name, nodeTmAt(name, "0 0 0"), "");
  }
  std::string names = boneNames;
  if (names.empty()) {
    for (int i = 1; i <= 5; ++i) names += "      *BONE_NAME \"B" + std::to_string(i) + "\"\n";
  }
  text += object("*GEOMOBJECTWITHBONES", "Piel", nodeTmAt("Piel", "0 0 0"), R"(  *MESH {
    *MESH_NUMVERTEX 5
    *MESH_NUMFACES 1
    *MESH_VERTEX_LIST {
      *MESH_VERTEX 0 0 0 0
      *MESH_VERTEX 1 1 0 0
      *MESH_VERTEX 2 0 1 0
      *MESH_VERTEX 3 1 1 0
      *MESH_VERTEX 4 2 2 0
    }
    *MESH_FACE_LIST {
      *MESH_FACE 0: A: 0 B: 1 C: 2
    }
  }
  *SKIN_DATA {
    *SKIN_INFO {
)" + names + R"(    }
    *SKIN_TABLE {
)" + rows + R"(    }
  }
)");
  return loadAse(text);
}

// The (bone, weight) slots of one vertex.
std::vector<std::pair<int, float>> slotsOf(const SkinnedObject& skin, size_t vertex) {
  std::vector<std::pair<int, float>> slots;
  for (size_t i = 4 * vertex; i < 4 * vertex + 4; ++i) {
    if (skin.boneWeights()[i] == 0) break;
    slots.emplace_back(skin.boneIndices()[i], skin.boneWeights()[i]);
  }
  return slots;
}

void expectSlots(const SkinnedObject& skin, size_t vertex, const std::vector<std::pair<int, float>>& expected) {
  const auto slots = slotsOf(skin, vertex);
  ASSERT_EQ(slots.size(), expected.size()) << "vertex " << vertex;
  for (size_t i = 0; i < slots.size(); ++i) {
    EXPECT_EQ(slots[i].first, expected[i].first) << "vertex " << vertex << " slot " << i;
    EXPECT_NEAR(slots[i].second, expected[i].second, 1e-6) << "vertex " << vertex << " slot " << i;
  }
}

TEST(AseSkin, FourLargestWeightsStayAndTheRestIsSpreadOverThem) {
  LoadedModel loaded = skinWithTable(
      "      *BONE_WEIGHT 0 5 0.5 0.3 0.1 0.06 0.04\n"   // fifth smaller: spread
      "      *BONE_WEIGHT 1 5 0.1 0.2 0.3 0.05 0.4\n"    // fifth larger: replaces the smallest
      "      *BONE_WEIGHT 2 5 0.2 0.1 0.1 0.3 0.15\n"    // ties: the earlier slot goes
      "      *BONE_WEIGHT 3 5 0 0 0 0 0\n"               // no weight: follows the skin
      "      *BONE_WEIGHT 4 5 0 0.75 0 0.25 0\n");
  auto skin = loaded.find<SkinnedObject>("Piel");
  ASSERT_TRUE(skin);
  ASSERT_EQ(skin->bones().size(), 6u);
  EXPECT_EQ(skin->bones()[0], skin.get());
  EXPECT_EQ(skin->bones()[3], loaded.find<BoneObject>("B3").get());
  expectSlots(*skin, 0, {{1, 0.51f}, {2, 0.31f}, {3, 0.11f}, {4, 0.07f}});
  expectSlots(*skin, 1, {{1, 0.1125f}, {2, 0.2125f}, {3, 0.3125f}, {5, 0.4125f}});
  expectSlots(*skin, 2, {{1, 0.225f}, {5, 0.175f}, {3, 0.125f}, {4, 0.325f}});
  expectSlots(*skin, 3, {{0, 1.0f}});
  expectSlots(*skin, 4, {{2, 0.75f}, {4, 0.25f}});
  // One warning for each vertex that had more than four bones.
  EXPECT_EQ(loaded.output,
            "WARNING!!: El v\xE9rtice0 tiene asociados m\xE1s de 4 bones \n"
            "WARNING!!: El v\xE9rtice1 tiene asociados m\xE1s de 4 bones \n"
            "WARNING!!: El v\xE9rtice2 tiene asociados m\xE1s de 4 bones \n");
}

TEST(AseSkin, MissingBoneKeepsTheLaterColumnsOnTheirBones) {
  LoadedModel loaded = skinWithTable(
      "      *BONE_WEIGHT 0 3 0 0 1\n      *BONE_WEIGHT 1 3 0 1 0\n      *BONE_WEIGHT 2 3 1 0 0\n"
      "      *BONE_WEIGHT 3 3 1\n      *BONE_WEIGHT 4 3 1\n",
      "      *BONE_NAME \"B1\"\n      *BONE_NAME \"Perdido\"\n      *BONE_NAME \"B2\"\n");
  EXPECT_EQ(loaded.output, "No se encuentra el bone indicado!! Perdido \n");
  auto skin = loaded.find<SkinnedObject>("Piel");
  ASSERT_TRUE(skin);
  ASSERT_EQ(skin->bones().size(), 4u);
  // The lost bone's column follows the skin itself; B2 stays in column 3.
  EXPECT_EQ(skin->bones()[2], skin.get());
  EXPECT_EQ(skin->bones()[3], loaded.find<BoneObject>("B2").get());
  expectSlots(*skin, 0, {{3, 1.0f}});
  expectSlots(*skin, 1, {{2, 1.0f}});
  expectSlots(*skin, 2, {{1, 1.0f}});
}

TEST(AseSkin, BonesAreTheBoneObjectsOfTheFile) {
  LoadedModel loaded = skinWithTable("      *BONE_WEIGHT 0 1 1\n");
  auto skin = loaded.find<SkinnedObject>("Piel");
  ASSERT_TRUE(skin);
  // The skin's pivot undoes its file transform, as a bone's does.
  expectNear(skin->pivot(), Matrix());
  // Vertices without a table row follow the skin itself.
  EXPECT_TRUE(contains(loaded.output, "cubre 1 de 5 vertices")) << loaded.output;
  expectSlots(*skin, 0, {{1, 1.0f}});
  expectSlots(*skin, 4, {{0, 1.0f}});
}

// One object with the given *TM_ANIMATION body, below `parent` if not empty.
LoadedModel animated(const std::string& tracks, const std::string& tm = nodeTmAt("Caja", "10 20 30")) {
  return loadAse(sceneBlock() + object("*GEOMOBJECT", "Caja", tm, "  *TM_ANIMATION {\n    *NODE_NAME \"Caja\"\n" +
                                                                     tracks + "  }\n"));
}

TEST(AseTracks, PositionKeysAreOffsetsFromTheRestPose) {
  LoadedModel loaded = animated(R"(    *CONTROL_POS_TRACK {
      *CONTROL_POS_SAMPLE 0 99 99 99
      *CONTROL_POS_SAMPLE 100 10 20 31
      *CONTROL_POS_SAMPLE 160 11 20 30
      *CONTROL_POS_SAMPLE 480 10 22 30
    }
)");
  auto box = loaded.find<SceneObject>("Caja");
  ASSERT_TRUE(box);
  const auto& keys = box->animator().animations()[0]->positionKeys();
  // The rest pose is frame 0; file samples at frame 0 (tick 0, tick 100) go.
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0]->frame, 0u);
  expectNear(keys[0]->value, Vector3(0, 0, 0), 0);
  EXPECT_EQ(keys[1]->frame, 1u);
  expectNear(keys[1]->value, Vector3(1, 0, 0));
  EXPECT_EQ(keys[2]->frame, 3u);
  expectNear(keys[2]->value, Vector3(0, 2, 0));
  EXPECT_TRUE(box->animator().animations()[0]->rotationKeys().empty());
}

TEST(AseTracks, ChildKeysAreRelativeToTheParent) {
  LoadedModel loaded = loadAse(sceneBlock() + object("*GEOMOBJECT", "Padre", nodeTmAt("Padre", "100 0 0"), "") +
                               R"(*GEOMOBJECT {
  *NODE_NAME "Hijo"
  *NODE_PARENT "Padre"
)" + nodeTmAt("Hijo", "110 0 0") + R"(  *TM_ANIMATION {
    *CONTROL_POS_TRACK {
      *CONTROL_POS_SAMPLE 160 10 0 5
    }
  }
}
)");
  auto child = loaded.find<SceneObject>("Hijo");
  ASSERT_TRUE(child);
  // The sample is in the parent's space; the key is the move from the
  // child's rest place there, (10, 0, 0).
  const auto& keys = child->animator().animations()[0]->positionKeys();
  ASSERT_EQ(keys.size(), 2u);
  expectNear(keys[1]->value, Vector3(0, 0, 5));
}

TEST(AseTracks, RotationSamplesAccumulate) {
  LoadedModel loaded = animated(R"(    *CONTROL_ROT_TRACK {
      *CONTROL_ROT_SAMPLE 0 1 0 0 3
      *CONTROL_ROT_SAMPLE 80 0 0 1 1.5707964
      *CONTROL_ROT_SAMPLE 320 0 0 1 1.5707964
    }
)");
  auto box = loaded.find<SceneObject>("Caja");
  ASSERT_TRUE(box);
  const auto& keys = box->animator().animations()[0]->rotationKeys();
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0]->frame, 0u);
  EXPECT_EQ(keys[0]->value, Quaternion());
  // A sample after tick 0 but inside frame 0 is kept, at frame 0.
  EXPECT_EQ(keys[1]->frame, 0u);
  EXPECT_EQ(keys[2]->frame, 2u);
  // A quarter turn about z with the sign reversed: half angle -45 degrees.
  const float h = std::sqrt(0.5f);
  EXPECT_NEAR(keys[1]->value.x, 0, 1e-6);
  EXPECT_NEAR(keys[1]->value.y, 0, 1e-6);
  EXPECT_NEAR(keys[1]->value.z, -h, 1e-6);
  EXPECT_NEAR(keys[1]->value.w, h, 1e-6);
  // Two quarter turns: half a turn.
  EXPECT_NEAR(keys[2]->value.z, -1, 1e-6);
  EXPECT_NEAR(keys[2]->value.w, 0, 1e-6);
}

TEST(AseTracks, RotationAxisIsTakenIntoTheRestAxes) {
  const std::string tm = nodeTm("Caja", kQuarterTurnRows[0], kQuarterTurnRows[1], kQuarterTurnRows[2], "0 0 0");
  LoadedModel loaded = animated(R"(    *CONTROL_ROT_TRACK {
      *CONTROL_ROT_SAMPLE 160 0 1 0 1.5707964
    }
)",
                                tm);
  const auto& keys = loaded.find<SceneObject>("Caja")->animator().animations()[0]->rotationKeys();
  ASSERT_EQ(keys.size(), 2u);
  // File y is the object's x after its quarter turn.
  const float h = std::sqrt(0.5f);
  EXPECT_NEAR(keys[1]->value.x, -h, 1e-6);
  EXPECT_NEAR(keys[1]->value.y, 0, 1e-6);
  EXPECT_NEAR(keys[1]->value.w, h, 1e-6);
}

const char* kTextureTrack = R"(    *CONTROL_TXT_TRACK {
      *CONTROL_TXT_SAMPLE 0 0.25 0 0
      *CONTROL_TXT_SAMPLE 160 0.5 0.125 0
    }
)";

std::string texturedBox(const std::string& animation) {
  return object("*GEOMOBJECT", "Agua", nodeTmAt("Agua", "0 0 0"), R"(  *MESH {
    *MESH_NUMVERTEX 3
    *MESH_NUMFACES 1
    *MESH_VERTEX_LIST {
      *MESH_VERTEX 0 0 0 0
      *MESH_VERTEX 1 1 0 0
      *MESH_VERTEX 2 0 1 0
    }
    *MESH_FACE_LIST {
      *MESH_FACE 0: A: 0 B: 1 C: 2
    }
    *MESH_NUMTVERTEX 3
    *MESH_TVERTLIST {
      *MESH_TVERT 0 0.25 0 0
      *MESH_TVERT 1 1.25 0 0
      *MESH_TVERT 2 0.25 1 0
    }
  }
)" + animation);
}

TEST(AseTracks, TextureTrackShiftsTheModelsCoordinatesOnly) {
  LoadedModel loaded =
      loadAse(sceneBlock() + texturedBox("  *TM_ANIMATION {\n" + std::string(kTextureTrack) + "  }\n"));
  auto water = loaded.find<SceneObject>("Agua");
  ASSERT_TRUE(water);
  const auto& keys = water->animator().animations()[0]->textureOffsetKeys();
  // Texture samples are kept as written, frame 0 included.
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0]->frame, 0u);
  expectNear(keys[0]->value, Vector3(0.25f, 0, 0), 0);
  EXPECT_EQ(keys[1]->frame, 1u);
  expectNear(keys[1]->value, Vector3(0.5f, 0.125f, 0), 0);
  // The first offset is taken off the coordinates.
  expectNear(water->texCoords()[0], Vector3(0, 0, 0));
  expectNear(water->texCoords()[1], Vector3(1, 0, 0));
  expectNear(water->texCoords()[2], Vector3(0, 1, 0));

  // The same track in a clip file leaves the coordinates alone.
  EXPECT_EQ(loaded.addClip(sceneBlock() + "*GEOMOBJECT {\n *NODE_NAME \"Agua\"\n" + nodeTmAt("Agua", "0 0 0") +
                           "  *TM_ANIMATION {\n" + kTextureTrack + "  }\n}\n"),
            "");
  expectNear(water->texCoords()[0], Vector3(0, 0, 0));
  ASSERT_EQ(water->animator().animationCount(), 2u);
  EXPECT_EQ(water->animator().animations()[1]->textureOffsetKeys().size(), 2u);
}

TEST(AseTracks, ZeroFirstTextureOffsetChangesNothing) {
  LoadedModel loaded = loadAse(sceneBlock() + texturedBox(R"(  *TM_ANIMATION {
    *CONTROL_TXT_TRACK {
      *CONTROL_TXT_SAMPLE 0 0 0 0
      *CONTROL_TXT_SAMPLE 160 0.5 0 0
    }
  }
)"));
  expectNear(loaded.find<SceneObject>("Agua")->texCoords()[0], Vector3(0.25f, 0, 0), 0);
}

}  // namespace
