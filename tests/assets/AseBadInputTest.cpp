// Broken and hostile files: each problem gives one line naming the file and
// the line, and the model that comes back is safe to update and draw.

#include <gtest/gtest.h>

#include <string>

#include "AseTestSupport.h"
#include "assets/ModelProbe.h"
#include "engine/BillboardObject.h"
#include "engine/BoneObject.h"
#include "engine/SkinnedObject.h"

namespace {

const std::string kTriangle = meshBlock({"0 0 0", "1 0 0", "0 1 0"}, {{0, 1, 2}});
const std::string kTextured = materialList({"*MATERIAL_NAME \"T\" *MAP_DIFFUSE { *BITMAP \"t.tga\" }"});

// The model keeps the reader's promises, and posing and skinning it in
// every clip (and one clip beyond) works.
void expectSafe(const LoadedModel& loaded) {
  const std::vector<std::string> problems = findModelProblems(*loaded.model);
  EXPECT_TRUE(problems.empty()) << problems.front();
  for (uint32_t clip = 0; clip <= loaded.model->root->animationCount(); ++clip) {
    for (uint32_t time : {0u, 16u, 500u, 100000u}) poseModel(*loaded.model->root, clip, time);
  }
}

// Reads `text`, expecting one line of output for each part, in order, and a
// safe model.
LoadedModel loadBad(const std::string& text, const std::vector<std::string>& parts) {
  LoadedModel loaded = loadAse(text);
  EXPECT_EQ(lineCount(loaded.output), parts.size()) << loaded.output;
  size_t from = 0;
  for (const std::string& part : parts) {
    const size_t found = loaded.output.find(part, from);
    EXPECT_NE(found, std::string::npos) << part << " not in\n" << loaded.output;
    if (found != std::string::npos) from = found + part.size();
  }
  expectSafe(loaded);
  return loaded;
}

// How a message names the place of `part` in `text`.
std::string at(const std::string& text, const std::string& part) {
  return " (fichero models/test.ASE, linea " + std::to_string(lineOf(text, part)) + ")\n";
}

TEST(AseBadInput, TruncatedFileKeepsWhatWasRead) {
  const std::string whole = sceneBlock() + geom("Caja", kTriangle);
  // Cut in the middle of the face line.
  LoadedModel loaded = loadBad(whole.substr(0, whole.find("C: 2")),
                               {"Error: el fichero termina antes de tiempo (fichero models/test.ASE, linea"});
  ASSERT_TRUE(loaded.find("Caja"));
  EXPECT_EQ(loaded.find("Caja")->vertices().size(), 3u);
  EXPECT_TRUE(loaded.find("Caja")->faces().empty());
  // Every shorter cut of the file loads too.
  for (size_t length = 0; length < whole.size(); length += 7) {
    EXPECT_TRUE(findModelProblems(*loadAse(whole.substr(0, length)).model).empty()) << length;
  }
  // So does a file that ends right after any keyword; the object is kept (a
  // *NODE_NAME cut off renames it to "").
  for (const char* last : {"*NODE_NAME", "*MESH_NUMVERTEX", "*MATERIAL_REF", "*NODE_PARENT", "*TM_ROW3 1",
                           "*MESH_VERTEX_LIST", "*CONTROL_ROT_TRACK", "*SKIN_DATA", "*TM_ANIMATION {"}) {
    SCOPED_TRACE(last);
    LoadedModel cut = loadAse(sceneBlock() + "*GEOMOBJECTWITHBONES {\n *NODE_NAME \"Caja\"\n " + last);
    EXPECT_TRUE(contains(cut.output, "Error: el fichero termina antes de tiempo (fichero models/test.ASE"));
    EXPECT_EQ(cut.model->root->children().size(), 1u);
    expectSafe(cut);
  }
}

TEST(AseBadInput, MeshListsHoldNoMoreThanTheirCountsAndNoIndexBeyondThem) {
  std::string text =
      sceneBlock() + geom("Caja", replaced(kTriangle, "*MESH_NUMVERTEX 3", "*MESH_NUMVERTEX 2000000000"));
  LoadedModel loaded =
      loadBad(text, {"Error: *MESH_VERTEX_LIST tiene 3 entradas y no 2000000000" + at(text, "  }\n  *MESH_FACE_LIST")});
  EXPECT_EQ(loaded.find("Caja")->vertices().size(), 3u);

  // A list longer than its count is cut, and the face on the cut vertex goes.
  loaded =
      loadBad(sceneBlock() + geom("Caja", replaced(kTriangle, "*MESH_NUMVERTEX 3", "*MESH_NUMVERTEX 2")),
              {"*MESH_VERTEX_LIST tiene mas de 2 entradas", "1 caras de Caja usan vertices que no existen (hay 2)"});
  EXPECT_EQ(loaded.find("Caja")->vertices().size(), 2u);

  // Faces on vertices that do not exist go, with their texture faces.
  text = sceneBlock() + geom("Caja", replaced(meshBlock({"0 0 0", "1 0 0", "0 1 0"}, {{0, 1, 2}, {0, 1, 3}, {9, 1, 2}},
                                                        {"0 0 0"}, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}),
                                              "A: 9", "A: -1"));
  loaded = loadBad(text, {"Error: 2 caras de Caja usan vertices que no existen (hay 3); se descartan" +
                          at(text, "  }\n  *MESH_NUMTVERTEX")});
  EXPECT_EQ(loaded.find("Caja")->faces().size(), 1u);
  EXPECT_EQ(loaded.find("Caja")->texFaces().size(), 1u);

  // Normals of vertices that do not exist are ignored.
  loaded =
      loadBad(sceneBlock() + geom("Caja", meshBlock({"0 0 0", "1 0 0", "0 1 0"}, {{0, 1, 2}}, {}, {},
                                                    "  *MESH_NORMALS {\n   *MESH_FACENORMAL 0 0 0 1\n"
                                                    "   *MESH_VERTEXNORMAL 0 1 0 0\n   *MESH_VERTEXNORMAL 3 0 1 0\n"
                                                    "   *MESH_VERTEXNORMAL -5 0 1 0\n  }\n")),
              {"2 normales de Caja son de vertices que no existen (el primero, 3)"});
  expectNear(loaded.find("Caja")->normals()[0], Vector3(1, 0, 0), 0);
  expectNear(loaded.find("Caja")->normals()[1], Vector3(0, 0, 1), 0);
}

TEST(AseBadInput, TextureIndicesBeyondTheCoordinatesUseTheFirst) {
  LoadedModel loaded =
      loadBad(sceneBlock() + kTextured +
                  geom("Caja", meshBlock({"0 0 0", "1 0 0", "0 1 0"}, {{0, 1, 2}}, {"0 0 0", "1 0 0"}, {{0, 7, 1}}) +
                                   " *MATERIAL_REF 0\n"),
              {"1 indices de textura de Caja pasan de las 2 coordenadas"});
  // Built as a textured mesh: corner 1 took coordinate 0.
  const auto box = loaded.find("Caja");
  EXPECT_TRUE(box->texFaces().empty());
  expectNear(box->texCoords()[1], Vector3(0, 0, 0), 0);
  expectNear(box->texCoords()[2], Vector3(1, 0, 0), 0);

  // A textured material on a mesh without coordinates keeps the mesh as read.
  loaded = loadBad(sceneBlock() + kTextured + geom("Caja", kTriangle + " *MATERIAL_REF 0\n"),
                   {"tiene textura pero no coordenadas de textura"});
  EXPECT_EQ(loaded.find("Caja")->vertices().size(), 3u);
}

TEST(AseBadInput, MaterialsAndTheirReferencesStayInStep) {
  const std::string text = sceneBlock() + materialList({"*MATERIAL_NAME \"A\""}) + geom("Caja", " *MATERIAL_REF 1\n") +
                           geom("Bola", " *MATERIAL_REF -1\n");
  LoadedModel loaded = loadBad(text, {"*MATERIAL_REF 1 fuera de la lista de 1 materiales" + at(text, "*MATERIAL_REF 1"),
                                      "*MATERIAL_REF -1 fuera"});
  EXPECT_FALSE(loaded.find("Caja")->material());
  EXPECT_FALSE(loaded.find("Bola")->material());

  // Keywords before the name still make one material each, so the
  // references still point at the right entries.
  loaded = loadBad(
      sceneBlock() +
          materialList({"*MATERIAL_DIFFUSE 1 0 0", "*MATERIAL_CLASS \"Standard\"", "*MATERIAL_NAME \"Bueno\""}) +
          geom("Caja", " *MATERIAL_REF 2\n"),
      {"no empieza por *MATERIAL_NAME", "no empieza por *MATERIAL_NAME"});
  ASSERT_EQ(loaded.model->materials.size(), 3u);
  expectNear(loaded.model->materials[0]->diffuse(), Vector3(1, 0, 0), 0);
  EXPECT_EQ(loaded.find("Caja")->material()->name(), "Bueno");
}

TEST(AseBadInput, SkinDataIsCheckedAgainstItsBonesAndObject) {
  LoadedModel loaded =
      loadBad(sceneBlock() + objectBlock("*BONEOBJECT", "B1") +
                  objectBlock("*GEOMOBJECTWITHBONES", "Piel",
                              kTriangle + " *SKIN_DATA {\n  *SKIN_INFO { *BONE_NAME \"B1\" }\n  *SKIN_TABLE {\n"
                                          "   *BONE_WEIGHT 0 2 0.5 0.5\n   *BONE_WEIGHT 1 2 0 1\n"
                                          "   *BONE_WEIGHT 2 1 1\n  }\n }\n"),
              {"2 pesos de Piel son de columnas sin hueso (hay 1 huesos)"});
  const auto skin = loaded.find<SkinnedObject>("Piel");
  ASSERT_TRUE(skin);
  // Vertex 0 keeps its one good weight; vertex 1, left with none, follows
  // the skin itself.
  EXPECT_EQ(skin->boneIndices()[0], 1);
  EXPECT_EQ(skin->boneWeights()[0], 0.5f);
  EXPECT_EQ(skin->boneWeights()[1], 0.0f);
  EXPECT_EQ(skin->boneIndices()[4], 0);
  EXPECT_EQ(skin->boneWeights()[4], 1.0f);

  loaded = loadBad(sceneBlock() + geom("Caja", " *SKIN_DATA {\n  *SKIN_INFO { *BONE_NAME \"X\" }\n }\n"),
                   {"*SKIN_DATA en un objeto sin huesos (Caja)"});
  // Bones and skins are never billboards.
  loaded = loadBad(sceneBlock() + objectBlock("*BONEOBJECT", "&Hueso") + objectBlock("*GEOMOBJECTWITHBONES", "&Piel"),
                   {"el hueso &Hueso no puede ser un billboard", "el hueso &Piel no puede ser un billboard"});
  EXPECT_TRUE(loaded.find<BoneObject>("&Hueso"));
  EXPECT_FALSE(loaded.find<BillboardObject>("&Hueso"));
  EXPECT_TRUE(loaded.find<SkinnedObject>("&Piel"));
}

TEST(AseBadInput, UnusableSceneTimingIsBounded) {
  std::string text = geom("Caja");
  LoadedModel loaded =
      loadBad(text, {"Error: falta el bloque *SCENE; se usa un clip de un fotograma" + at(text, "*GEOM")});
  EXPECT_EQ(loaded.model->root->animationDurations(), std::vector<uint32_t>{0});
  EXPECT_EQ(loaded.find("Caja")->animator().animations()[0]->frameCount(), 1u);
  EXPECT_EQ(loaded.find("Caja")->animator().animations()[0]->msPerFrame(), 32u);

  text = sceneBlock(0, 10, 4) + geom("Caja");
  loaded = loadBad(text, {"Error: *SCENE_TICKSPERFRAME 4 no valido; se usa 160" + at(text, "}\n")});
  EXPECT_EQ(loaded.find("Caja")->animator().animations()[0]->msPerFrame(), 32u);
  EXPECT_EQ(loaded.model->root->animationDurations(), std::vector<uint32_t>{320});

  loaded = loadBad(sceneBlock(10, 5) + geom("Caja"), {"el clip va del fotograma 10 al 5"});
  EXPECT_EQ(loaded.find("Caja")->animator().animations()[0]->frameCount(), 1u);
  loaded = loadBad(sceneBlock(-2147483647 - 1, 2147483647, 4800) + geom("Caja"), {"se limita a 1000000"});
  EXPECT_EQ(loaded.find("Caja")->animator().animations()[0]->frameCount(), 1000000u);

  // The same bounds hold for a clip file.
  loaded = loadBad(sceneBlock() + geom("Caja"), {});
  const std::string out = loaded.addClip(
      "*SCENE { *SCENE_LASTFRAME 2000000000 *SCENE_TICKSPERFRAME 2000000000 }\n"
      "*NODE_NAME \"Caja\" *TM_ANIMATION { *CONTROL_POS_TRACK { *CONTROL_POS_SAMPLE 160 1 2 3 } }\n");
  EXPECT_EQ(lineCount(out), 2u) << out;
  ASSERT_EQ(loaded.model->root->animationCount(), 2u);
  EXPECT_EQ(loaded.find("Caja")->animator().animations()[1]->msPerFrame(), 32u);
  EXPECT_EQ(loaded.find("Caja")->animator().animations()[1]->frameCount(), 1000000u);
  expectSafe(loaded);
}

TEST(AseBadInput, TheTreeStaysATreeOfBoundedDepth) {
  std::string text = sceneBlock() + geom("Padre") +
                     "*GEOMOBJECT {\n *NODE_NAME \"Hijo\"\n *NODE_PARENT \"Padre\"\n *NODE_PARENT \"Hijo\"\n}\n";
  LoadedModel loaded =
      loadBad(text, {"Error: el objeto Hijo no puede colgar de Hijo" + at(text, "*NODE_PARENT \"Hijo\"")});
  EXPECT_EQ(loaded.find("Hijo")->parent(), loaded.find("Padre").get());

  text = sceneBlock() + "*GEOMOBJECT { *NODE_NAME \"n0\" }\n";
  for (size_t i = 1; i <= kMaxTreeDepth + 5; ++i) {
    text +=
        "*GEOMOBJECT { *NODE_NAME \"n" + std::to_string(i) + "\" *NODE_PARENT \"n" + std::to_string(i - 1) + "\" }\n";
  }
  loaded = loadAse(text);
  EXPECT_TRUE(contains(loaded.output, "esta a mas de 1000 niveles; se cuelga de la raiz")) << loaded.output;
  ASSERT_TRUE(loaded.find("n" + std::to_string(kMaxTreeDepth)));
  EXPECT_EQ(loaded.find("n" + std::to_string(kMaxTreeDepth))->parent(), loaded.model->root.get());
  expectSafe(loaded);

  // A name after the parent and the material still makes one object there.
  loaded = loadBad(sceneBlock() + materialList({"*MATERIAL_NAME \"A\""}) + geom("Padre") +
                       "*GEOMOBJECT {\n *NODE_PARENT \"Padre\"\n *MATERIAL_REF 0\n *NODE_NAME \"&Polvo\"\n}\n",
                   {});
  const auto dust = loaded.find<BillboardObject>("&Polvo");
  ASSERT_TRUE(dust);
  EXPECT_EQ(loaded.find("Padre")->children(), (std::list<std::shared_ptr<SceneNode>>{dust}));
  EXPECT_EQ(dust->material(), loaded.model->materials[0]);
  EXPECT_EQ(*loaded.model->materials[0]->objects(), (SceneObjectList{dust}));
}

TEST(AseBadInput, BrokenNumbersAndNamesKeepTheBlocksInStep) {
  LoadedModel loaded = loadBad(sceneBlock() +
                                   "*GEOMOBJECT {\n *NODE_NAME \"Caja\n"
                                   " *NODE_TM { *TM_ROW0 1 0 0 *TM_ROW1 0 1 0 *TM_ROW2 0 0 1 *TM_ROW3 1.#QNAN 5 }\n"
                                   " *MESH { *MESH_NUMVERTEX 3 *MESH_VERTEX_LIST { *MESH_VERTEX 0 0 0 *MESH_VERTEX 1 1 "
                                   "0 0 *MESH_VERTEX 2 0 1 0 } }\n"
                                   "}\n*GEOMOBJECT { *NODE_NAME \"Otra\" }\n",
                               {"(fichero", "(fichero", "(fichero", "(fichero"});
  // The name ends with its line; the short rows leave the braces in place.
  const auto box = loaded.find("Caja");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->vertices().size(), 3u);
  // File (1, 5, 0) at the top, in the game's axes.
  expectNear(translation(box->animationMatrix(0)), Vector3(1, 0, -5), 0);
  EXPECT_TRUE(loaded.find("Otra"));
  EXPECT_EQ(loaded.model->root->children().size(), 2u);
}

}  // namespace
