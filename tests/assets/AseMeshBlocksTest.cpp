// The blocks inside an object: the mesh lists and normals, the skin's bones
// and weight table with its four-bone limit, and the position and rotation
// tracks (the texture track comes back in the model writer's round trip).

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "support/ModelText.h"
#include "engine/BoneObject.h"
#include "engine/SkinnedObject.h"

namespace {

// A quarter turn about file Z: x becomes y.
const std::string kQuarterTurn = nodeTm("0 1 0", "-1 0 0", "0 0 1", "0 0 0");

// Vertices come into object space: file point minus the position, turned
// back a quarter (y becomes x); smooth normals follow, (5, 0, 0) x (0, 2, 0)
// along +z; texture coordinates are kept as written.
TEST(AseMeshBlocks, VerticesComeIntoObjectSpaceAndGetSmoothNormals) {
  LoadedModel loaded = loadAse(
      sceneBlock() + geom("Caja", meshBlock({"10 0 0", "10 5 0", "8 0 0"}, {{0, 1, 2}}, {"0.25 -0.5 1.5", "2 3 4"}), "",
                          nodeTm("0 1 0", "-1 0 0", "0 0 1", "10 0 0")));
  EXPECT_EQ(loaded.output, "");
  const auto box = loaded.find("Caja");
  EXPECT_EQ(pointsText(box->vertices()), "(0 0 0) (5 0 0) (0 2 0)");
  EXPECT_EQ(pointsText(box->normals()), "(0 0 1) (0 0 1) (0 0 1)");
  EXPECT_EQ(pointsText(box->texCoords()), "(0.25 -0.5 1.5) (2 3 4)");
}

// Face lines with tabs, without the fields after the corners, with an empty
// smoothing group, and with a list of them and more fields. A listed normal
// is turned into the object's axes, its length kept, and a vertex listed
// again takes its last normal.
TEST(AseMeshBlocks, ListedNormalsWinAndFaceLinesOfOtherExportersReadTheSame) {
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
  EXPECT_EQ(shape->faces(), (std::vector<Face>{{0, 1, 2}, {2, 1, 3}, {3, 1, 0}}));
  EXPECT_EQ(pointsText(shape->normals()), "(2 0 0) (1 0 0) (0 0 -3) (0 0 1)");
}

// ';' merges the seam normals with the parent's: body normal (0, 0, 1), arm
// normal (0, 1, 0), the shared corners average.
TEST(AseMeshBlocks, SemicolonMergesSeamNormalsWithTheParent) {
  LoadedModel loaded = loadAse(sceneBlock() + geom("Cuerpo", triangle("0 0 0", "10 0 0", "0 10 0")) +
                               geom(";Brazo", triangle("0 0 0", "0 0 10", "10 0 0"), "Cuerpo"));
  EXPECT_EQ(pointsText(loaded.find("Cuerpo")->normals()), "(0 0.7071 0.7071) (0 0.7071 0.7071) (0 0 1)");
  EXPECT_EQ(pointsText(loaded.find(";Brazo")->normals()), "(0 0.7071 0.7071) (0 1 0) (0 0.7071 0.7071)");
}

// Vertex 0 is used with texture coordinates 0 and 4: a textured object
// gets one index per vertex (and a vertex more), a plain one keeps its lists.
TEST(AseMeshBlocks, OnlyTexturedObjectsGetOneIndexPerVertex) {
  const std::string mesh = meshBlock({"0 0 0", "1 0 0", "1 1 0", "0 1 0"}, {{0, 1, 2}, {0, 2, 3}},
                                     {"0 0 0", "1 0 0", "1 1 0", "0 1 0", "0.5 0.5 0"}, {{0, 1, 2}, {4, 2, 3}});
  LoadedModel loaded = loadAse(
      sceneBlock() +
      materialList({"*MATERIAL_NAME \"Liso\"", "*MATERIAL_NAME \"Tela\" *MAP_DIFFUSE { *BITMAP \"tela.tga\" }"}) +
      geom("Lisa", mesh + " *MATERIAL_REF 0\n") + geom("Tela", mesh + " *MATERIAL_REF 1\n"));
  EXPECT_EQ(loaded.output, "");
  const auto plain = loaded.find("Lisa");
  const auto cloth = loaded.find("Tela");
  EXPECT_EQ(plain->texFaces().size(), 2u);
  EXPECT_EQ(pointsText(plain->vertices()), "(0 0 0) (1 0 0) (1 1 0) (0 1 0)");
  EXPECT_EQ(cloth->normals().size(), 5u);
  EXPECT_TRUE(cloth->texFaces().empty());
  EXPECT_EQ(cloth->faces()[1], Face(4, 2, 3));
  EXPECT_EQ(pointsText(cloth->texCoords()), "(0 0 0) (1 0 0) (1 1 0) (0 1 0) (0.5 0.5 0)");
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

// The (bone, weight) slots of every vertex that hold a weight, a vertex a
// line.
std::string slots(const SkinnedObject& skin) {
  std::ostringstream text;
  for (size_t i = 0; i < skin.boneWeights().size(); ++i) {
    if (skin.boneWeights()[i] != 0) text << skin.boneIndices()[i] << ":" << skin.boneWeights()[i] << " ";
    if (i % 4 == 3) text << "\n";
  }
  return text.str();
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
  EXPECT_EQ(slots(*skin), "1:0.51 2:0.31 3:0.11 4:0.07 \n1:0.1125 2:0.2125 3:0.3125 5:0.4125 \n"
                         "1:0.225 5:0.175 3:0.125 4:0.325 \n0:1 \n2:0.75 4:0.25 \n");
  // One warning for each vertex that had more than four bones.
  EXPECT_EQ(loaded.output,
            "WARNING!!: El v\xE9rtice0 tiene asociados m\xE1s de 4 bones \n"
            "WARNING!!: El v\xE9rtice1 tiene asociados m\xE1s de 4 bones \n"
            "WARNING!!: El v\xE9rtice2 tiene asociados m\xE1s de 4 bones \n");
}

// The lost bone's column follows the skin itself, so B2 stays in column 3;
// vertices without a row follow the skin too.
TEST(AseSkin, MissingBoneOrRowLeavesTheRestOnTheirBones) {
  LoadedModel loaded =
      skinWithTable("   *BONE_WEIGHT 0 3 0 0 1\n   *BONE_WEIGHT 1 3 0 1 0\n   *BONE_WEIGHT 2 3 1 0 0\n",
                    "   *BONE_NAME \"B1\"\n   *BONE_NAME \"Perdido\"\n   *BONE_NAME \"B2\"\n");
  EXPECT_EQ(lineCount(loaded.output), 2u) << loaded.output;
  EXPECT_NE(loaded.output.find("No se encuentra el bone indicado!! Perdido \n"), std::string::npos);
  EXPECT_NE(loaded.output.find("cubre 3 de 5 vertices"), std::string::npos);
  const auto skin = loaded.find<SkinnedObject>("Piel");
  ASSERT_EQ(skin->bones().size(), 4u);
  EXPECT_EQ(skin->bones()[2], skin.get());
  EXPECT_EQ(skin->bones()[3], loaded.find<BoneObject>("B2").get());
  EXPECT_EQ(slots(*skin), "3:1 \n2:1 \n1:1 \n0:1 \n0:1 \n");
}

// Keys as text, each "frame(x y z)", or "frame(x y z w)" for a turn.
std::string keysText(const PositionKeys& keys) {
  std::string text;
  for (const PositionKey& key : keys) text += std::to_string(key.frame) + pointsText({key.value}) + " ";
  return text;
}

std::string keysText(const RotationKeys& keys) {
  std::string text;
  for (const RotationKey& k : keys) {
    text += std::to_string(k.frame) + "(" + numbersText({k.value.x, k.value.y, k.value.z, k.value.w}) + ") ";
  }
  return text;
}

std::string animation(const std::string& tracks) { return " *TM_ANIMATION {\n  *NODE_NAME \"X\"\n" + tracks + " }\n"; }

// Position keys are offsets from the rest pose (frame 0; file samples at
// frame 0 go), in the parent's space below another object. Rotation samples
// accumulate about axes in the rest axes, the angle's sign reversed; one
// inside frame 0 but after tick 0 is kept at frame 0.
TEST(AseTracks, PositionAndRotationKeysAreMovesFromTheRestPose) {
  LoadedModel loaded = loadAse(
      sceneBlock() +
      geom("Caja",
           animation("  *CONTROL_POS_TRACK {\n   *CONTROL_POS_SAMPLE 0 99 99 99\n   *CONTROL_POS_SAMPLE 100 10 20 31\n"
                     "   *CONTROL_POS_SAMPLE 160 11 20 30\n   *CONTROL_POS_SAMPLE 480 10 22 30\n  }\n"
                     "  *CONTROL_ROT_TRACK {\n   *CONTROL_ROT_SAMPLE 0 1 0 0 3\n"
                     "   *CONTROL_ROT_SAMPLE 80 0 0 1 1.5707964\n   *CONTROL_ROT_SAMPLE 320 0 0 1 1.5707964\n  }\n"),
           "", nodeTmAt("10 20 30")) +
      geom("Padre", "", "", nodeTmAt("100 0 0")) +
      geom("Hijo", animation("  *CONTROL_POS_TRACK { *CONTROL_POS_SAMPLE 160 10 0 5 }\n"), "Padre",
           nodeTmAt("110 0 0")) +
      geom("Girada", animation("  *CONTROL_ROT_TRACK { *CONTROL_ROT_SAMPLE 160 0 1 0 1.5707964 }\n"), "",
           kQuarterTurn));
  const Animation& box = *loaded.find("Caja")->animator().animations()[0];
  const auto firstClip = [&](const char* name) { return *loaded.find(name)->animator().animations()[0]; };
  EXPECT_EQ(keysText(box.positionKeys()), "0(0 0 0) 1(1 0 0) 3(0 2 0) ");
  EXPECT_EQ(keysText(firstClip("Hijo").positionKeys()), "0(0 0 0) 1(0 0 5) ");
  // A quarter turn about z, half angle -45 degrees; two are half a turn.
  EXPECT_EQ(keysText(box.rotationKeys()), "0(0 0 0 1) 0(0 0 -0.7071 0.7071) 2(0 0 -1 0) ");
  // File y is the quarter-turned object's x.
  EXPECT_EQ(keysText(firstClip("Girada").rotationKeys()), "0(0 0 0 1) 1(-0.7071 0 0 0.7071) ");
}

}  // namespace
