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
const std::string kQuarterTurn = nodeTm("0 1 0", "-1 0 0", "0 0 1", "0 0 0");
const float kHalf = std::sqrt(0.5f);

TEST(AseMeshBlocks, VerticesComeIntoObjectSpaceAndGetSmoothNormals) {
  LoadedModel loaded = loadAse(
      sceneBlock() + geom("Caja", meshBlock({"10 0 0", "10 5 0", "8 0 0"}, {{0, 1, 2}}, {"0.25 -0.5 1.5", "2 3 4"}), "",
                          nodeTm("0 1 0", "-1 0 0", "0 0 1", "10 0 0")));
  EXPECT_EQ(loaded.output, "");
  const auto box = loaded.find("Caja");
  ASSERT_TRUE(box);
  ASSERT_EQ(box->vertices().size(), 3u);
  // File point minus the position, turned back a quarter: y becomes x.
  expectNear(box->vertices()[0], Vector3(0, 0, 0));
  expectNear(box->vertices()[1], Vector3(5, 0, 0));
  expectNear(box->vertices()[2], Vector3(0, 2, 0));
  // (5, 0, 0) x (0, 2, 0) points along +z at every corner.
  ASSERT_EQ(box->normals().size(), 3u);
  for (const Vector3& n : box->normals()) expectNear(n, Vector3(0, 0, 1));
  // Texture coordinates are kept as written.
  ASSERT_EQ(box->texCoords().size(), 2u);
  expectNear(box->texCoords()[0], Vector3(0.25f, -0.5f, 1.5f), 0);
}

TEST(AseMeshBlocks, ListedNormalsWinAndFaceLinesOfOtherExportersReadTheSame) {
  // Face lines with tabs, without the fields after the corners, with an
  // empty smoothing group, and with a list of them and more fields.
  const std::string mesh =
      " *MESH {\n  *MESH_NUMVERTEX 4 *MESH_NUMFACES 3\n"
      "  *MESH_VERTEX_LIST { *MESH_VERTEX 0 0 0 0 *MESH_VERTEX 1 0 1 0 *MESH_VERTEX 2 -1 0 0 *MESH_VERTEX 3 -1 1 0 }\n"
      "  *MESH_FACE_LIST {\n   *MESH_FACE\t0\tA:\t0\tB:\t1\tC:\t2\n"
      "   *MESH_FACE 1: A: 2 B: 1 C: 3 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING *MESH_MTLID 0\n"
      "   *MESH_FACE 2: A: 3 B: 1 C: 0 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 32,7 *MESH_MTLID 17 EXTRA 7 7\n  }\n"
      "  *MESH_NORMALS {\n   *MESH_FACENORMAL 0 0 0 1 *MESH_VERTEXNORMAL 0 0 2 0 *MESH_VERTEXNORMAL 1 1 0 0\n"
      "    *MESH_VERTEXNORMAL 2 0 0 1\n   *MESH_FACENORMAL 1 0 0 1 *MESH_VERTEXNORMAL 2 0 0 -3\n"
      "    *MESH_VERTEXNORMAL 1 0 1 0 *MESH_VERTEXNORMAL 3 0 0 1\n  }\n }\n";
  LoadedModel loaded = loadAse(sceneBlock() + geom("N", mesh, "", kQuarterTurn));
  EXPECT_EQ(loaded.output, "");
  const auto shape = loaded.find("N");
  ASSERT_TRUE(shape);
  EXPECT_EQ(shape->faces(), (std::vector<Face>{{0, 1, 2}, {2, 1, 3}, {3, 1, 0}}));
  ASSERT_EQ(shape->normals().size(), 4u);
  // File (0, 2, 0) in the object's quarter-turned axes is (2, 0, 0), length kept.
  expectNear(shape->normals()[0], Vector3(2, 0, 0));
  // Vertices 1 and 2 take their last listing.
  expectNear(shape->normals()[1], Vector3(1, 0, 0));
  expectNear(shape->normals()[2], Vector3(0, 0, -3));
  expectNear(shape->normals()[3], Vector3(0, 0, 1));
}

// Five bones B1..B5 at the origin and a skin of five vertices with the given
// table rows and bone names (B1..B5 when empty).
LoadedModel skinWithTable(const std::string& rows, const std::string& names = "") {
  std::string text = sceneBlock(), allNames;
  for (int i = 1; i <= 5; ++i) {
    text += objectBlock("*BONEOBJECT", "B" + std::to_string(i));
    allNames += "   *BONE_NAME \"B" + std::to_string(i) + "\"\n";
  }
  return loadAse(text + objectBlock("*GEOMOBJECTWITHBONES", "Piel",
                                    meshBlock({"0 0 0", "1 0 0", "0 1 0", "1 1 0", "2 2 0"}, {{0, 1, 2}}) +
                                        " *SKIN_DATA {\n  *SKIN_INFO {\n" + (names.empty() ? allNames : names) +
                                        "  }\n  *SKIN_TABLE {\n" + rows + "  }\n }\n"));
}

// Each (bone, weight) slot of one vertex that holds a weight.
void expectSlots(const SkinnedObject& skin, size_t vertex, const std::vector<std::pair<int, float>>& expected) {
  SCOPED_TRACE("vertex " + std::to_string(vertex));
  std::vector<std::pair<int, float>> slots;
  for (size_t i = 4 * vertex; i < 4 * vertex + 4 && skin.boneWeights()[i] != 0; ++i) {
    slots.emplace_back(skin.boneIndices()[i], skin.boneWeights()[i]);
  }
  ASSERT_EQ(slots.size(), expected.size());
  for (size_t i = 0; i < slots.size(); ++i) {
    EXPECT_EQ(slots[i].first, expected[i].first) << "slot " << i;
    EXPECT_NEAR(slots[i].second, expected[i].second, 1e-6) << "slot " << i;
  }
}

TEST(AseSkin, FourLargestWeightsStayAndTheRestIsSpreadOverThem) {
  LoadedModel loaded = skinWithTable(
      "   *BONE_WEIGHT 0 5 0.5 0.3 0.1 0.06 0.04\n"  // fifth smaller: spread
      "   *BONE_WEIGHT 1 5 0.1 0.2 0.3 0.05 0.4\n"   // fifth larger: replaces the smallest
      "   *BONE_WEIGHT 2 5 0.2 0.1 0.1 0.3 0.15\n"   // ties: the earlier slot goes
      "   *BONE_WEIGHT 3 5 0 0 0 0 0\n"              // no weight: follows the skin
      "   *BONE_WEIGHT 4 5 0 0.75 0 0.25 0\n");
  const auto skin = loaded.find<SkinnedObject>("Piel");
  ASSERT_TRUE(skin);
  ASSERT_EQ(skin->bones().size(), 6u);
  EXPECT_EQ(skin->bones()[0], skin.get());
  EXPECT_EQ(skin->bones()[3], loaded.find<BoneObject>("B3").get());
  // The skin's pivot undoes its file transform, as a bone's does.
  expectNear(skin->pivot(), Matrix());
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

TEST(AseSkin, MissingBoneOrRowLeavesTheRestOnTheirBones) {
  LoadedModel loaded =
      skinWithTable("   *BONE_WEIGHT 0 3 0 0 1\n   *BONE_WEIGHT 1 3 0 1 0\n   *BONE_WEIGHT 2 3 1 0 0\n",
                    "   *BONE_NAME \"B1\"\n   *BONE_NAME \"Perdido\"\n   *BONE_NAME \"B2\"\n");
  EXPECT_EQ(lineCount(loaded.output), 2u) << loaded.output;
  EXPECT_TRUE(contains(loaded.output, "No se encuentra el bone indicado!! Perdido \n")) << loaded.output;
  EXPECT_TRUE(contains(loaded.output, "cubre 3 de 5 vertices")) << loaded.output;
  const auto skin = loaded.find<SkinnedObject>("Piel");
  ASSERT_TRUE(skin);
  ASSERT_EQ(skin->bones().size(), 4u);
  // The lost bone's column follows the skin itself; B2 stays in column 3.
  EXPECT_EQ(skin->bones()[2], skin.get());
  EXPECT_EQ(skin->bones()[3], loaded.find<BoneObject>("B2").get());
  expectSlots(*skin, 0, {{3, 1.0f}});
  expectSlots(*skin, 1, {{2, 1.0f}});
  expectSlots(*skin, 2, {{1, 1.0f}});
  // Vertices without a row follow the skin itself.
  expectSlots(*skin, 4, {{0, 1.0f}});
}

std::string animation(const std::string& tracks) { return " *TM_ANIMATION {\n  *NODE_NAME \"X\"\n" + tracks + " }\n"; }

TEST(AseTracks, PositionKeysAreOffsetsFromTheRestPoseInTheParentsSpace) {
  LoadedModel loaded = loadAse(
      sceneBlock() +
      geom("Caja",
           animation("  *CONTROL_POS_TRACK {\n   *CONTROL_POS_SAMPLE 0 99 99 99\n   *CONTROL_POS_SAMPLE 100 10 20 31\n"
                     "   *CONTROL_POS_SAMPLE 160 11 20 30\n   *CONTROL_POS_SAMPLE 480 10 22 30\n  }\n"),
           "", nodeTmAt("10 20 30")) +
      geom("Padre", "", "", nodeTmAt("100 0 0")) +
      geom("Hijo", animation("  *CONTROL_POS_TRACK { *CONTROL_POS_SAMPLE 160 10 0 5 }\n"), "Padre",
           nodeTmAt("110 0 0")));
  const auto box = loaded.find("Caja");
  const auto child = loaded.find("Hijo");
  ASSERT_TRUE(box && child);
  const auto& keys = box->animator().animations()[0]->positionKeys();
  // The rest pose is frame 0; file samples at frame 0 (tick 0, tick 100) go.
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].frame, 0u);
  expectNear(keys[0].value, Vector3(0, 0, 0), 0);
  EXPECT_EQ(keys[1].frame, 1u);
  expectNear(keys[1].value, Vector3(1, 0, 0));
  EXPECT_EQ(keys[2].frame, 3u);
  expectNear(keys[2].value, Vector3(0, 2, 0));
  EXPECT_TRUE(box->animator().animations()[0]->rotationKeys().empty());
  // A child's sample is in its parent's space: the key is the move from the
  // child's rest place there, (10, 0, 0).
  const auto& childKeys = child->animator().animations()[0]->positionKeys();
  ASSERT_EQ(childKeys.size(), 2u);
  expectNear(childKeys[1].value, Vector3(0, 0, 5));
}

TEST(AseTracks, RotationSamplesAccumulateAboutAxesInTheRestAxes) {
  LoadedModel loaded = loadAse(
      sceneBlock() +
      geom("Caja",
           animation("  *CONTROL_ROT_TRACK {\n   *CONTROL_ROT_SAMPLE 0 1 0 0 3\n"
                     "   *CONTROL_ROT_SAMPLE 80 0 0 1 1.5707964\n   *CONTROL_ROT_SAMPLE 320 0 0 1 1.5707964\n  }\n")) +
      geom("Girada", animation("  *CONTROL_ROT_TRACK { *CONTROL_ROT_SAMPLE 160 0 1 0 1.5707964 }\n"), "",
           kQuarterTurn));
  const auto& keys = loaded.find("Caja")->animator().animations()[0]->rotationKeys();
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].frame, 0u);
  EXPECT_EQ(keys[0].value, Quaternion());
  // A sample after tick 0 but inside frame 0 is kept, at frame 0.
  EXPECT_EQ(keys[1].frame, 0u);
  EXPECT_EQ(keys[2].frame, 2u);
  // A quarter turn about z with the sign reversed: half angle -45 degrees;
  // two of them are half a turn.
  expectNear(keys[1].value, Quaternion(0, 0, -kHalf, kHalf));
  expectNear(keys[2].value, Quaternion(0, 0, -1, 0));
  // File y is the quarter-turned object's x.
  const auto& turned = loaded.find("Girada")->animator().animations()[0]->rotationKeys();
  ASSERT_EQ(turned.size(), 2u);
  expectNear(turned[1].value, Quaternion(-kHalf, 0, 0, kHalf));
}

TEST(AseTracks, FirstTextureOffsetShiftsTheModelsCoordinatesOnly) {
  const auto water = [](const std::string& name, const std::string& first) {
    return geom(name, meshBlock({"0 0 0", "1 0 0", "0 1 0"}, {{0, 1, 2}}, {"0.25 0 0", "1.25 0 0", "0.25 1 0"}) +
                          animation("  *CONTROL_TXT_TRACK {\n   *CONTROL_TXT_SAMPLE 0 " + first +
                                    "\n   *CONTROL_TXT_SAMPLE 160 0.5 0.125 0\n  }\n"));
  };
  LoadedModel loaded = loadAse(sceneBlock() + water("Agua", "0.25 0 0") + water("Rio", "0 0 0"));
  const auto river = loaded.find("Rio");
  const auto pool = loaded.find("Agua");
  ASSERT_TRUE(pool && river);
  const auto& keys = pool->animator().animations()[0]->textureOffsetKeys();
  // Texture samples are kept as written, frame 0 included.
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].frame, 0u);
  expectNear(keys[0].value, Vector3(0.25f, 0, 0), 0);
  EXPECT_EQ(keys[1].frame, 1u);
  expectNear(keys[1].value, Vector3(0.5f, 0.125f, 0), 0);
  // The first offset is taken off the coordinates; a zero one changes nothing.
  expectNear(pool->texCoords()[0], Vector3(0, 0, 0));
  expectNear(pool->texCoords()[1], Vector3(1, 0, 0));
  expectNear(pool->texCoords()[2], Vector3(0, 1, 0));
  expectNear(river->texCoords()[0], Vector3(0.25f, 0, 0), 0);

  // The same track in a clip file leaves the coordinates alone.
  EXPECT_EQ(loaded.addClip(sceneBlock() + water("Agua", "0.25 0 0")), "");
  expectNear(pool->texCoords()[0], Vector3(0, 0, 0));
  ASSERT_EQ(pool->animator().animationCount(), 2u);
  EXPECT_EQ(pool->animator().animations()[1]->textureOffsetKeys().size(), 2u);
}

}  // namespace
