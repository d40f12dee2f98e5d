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

// The model keeps the reader's promises, and posing and skinning it in
// every clip (and one clip beyond) works.
void expectSafe(const LoadedModel& loaded) {
  const std::vector<std::string> problems = findModelProblems(*loaded.model);
  EXPECT_TRUE(problems.empty()) << problems.front();
  for (uint32_t clip = 0; clip <= loaded.model->root->animationCount(); ++clip) {
    for (uint32_t time : {0u, 16u, 500u, 100000u}) poseModel(*loaded.model->root, clip, time);
  }
}

std::string geom(const std::string& name, const std::string& body) {
  return "*GEOMOBJECT {\n  *NODE_NAME \"" + name + "\"\n" + nodeTmAt(name, "0 0 0") + body + "}\n";
}

std::string mesh(const std::string& counts, const std::string& lists) {
  return "  *MESH {\n" + counts + lists + "  }\n";
}

const std::string kVertices =
    "    *MESH_VERTEX_LIST {\n      *MESH_VERTEX 0 0 0 0\n      *MESH_VERTEX 1 1 0 0\n"
    "      *MESH_VERTEX 2 0 1 0\n    }\n";

TEST(AseBadInput, TruncatedFileKeepsWhatWasRead) {
  const std::string whole = sceneBlock() + geom("Caja", mesh("    *MESH_NUMVERTEX 3\n    *MESH_NUMFACES 1\n",
                                                          kVertices + "    *MESH_FACE_LIST {\n      *MESH_FACE 0: A: 0 B: 1 C: 2\n    }\n"));
  // Cut in the middle of the face line.
  const std::string cut = whole.substr(0, whole.find("C: 2"));
  LoadedModel loaded = loadAse(cut);
  EXPECT_EQ(lineCount(loaded.output), 1u) << loaded.output;
  EXPECT_TRUE(contains(loaded.output, "Error: el fichero termina antes de tiempo (fichero models/test.ASE, linea"));
  auto box = loaded.find<SceneObject>("Caja");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->vertices().size(), 3u);
  EXPECT_TRUE(box->faces().empty());
  expectSafe(loaded);

  // Every shorter cut of the file loads too.
  for (size_t length = 0; length < whole.size(); length += 7) {
    LoadedModel partial = loadAse(whole.substr(0, length));
    EXPECT_TRUE(findModelProblems(*partial.model).empty()) << length;
  }
}

TEST(AseBadInput, CountOfTwoBillionReadsOnlyWhatIsThere) {
  LoadedModel loaded = loadAse(sceneBlock() + geom("Caja", mesh("    *MESH_NUMVERTEX 2000000000\n", kVertices)));
  EXPECT_EQ(loaded.output,
            "Error: *MESH_VERTEX_LIST tiene 3 entradas y no 2000000000 (fichero models/test.ASE, linea 25)\n");
  EXPECT_EQ(loaded.find<SceneObject>("Caja")->vertices().size(), 3u);
  expectSafe(loaded);
}

TEST(AseBadInput, ListLongerThanItsCountIsCut) {
  LoadedModel loaded = loadAse(sceneBlock() + geom("Caja", mesh("    *MESH_NUMVERTEX 2\n", kVertices)));
  EXPECT_EQ(lineCount(loaded.output), 1u);
  EXPECT_TRUE(contains(loaded.output, "*MESH_VERTEX_LIST tiene mas de 2 entradas")) << loaded.output;
  EXPECT_EQ(loaded.find<SceneObject>("Caja")->vertices().size(), 2u);
  expectSafe(loaded);
}

TEST(AseBadInput, FaceBeyondTheVerticesIsDropped) {
  LoadedModel loaded = loadAse(
      sceneBlock() + geom("Caja", mesh("    *MESH_NUMVERTEX 3\n    *MESH_NUMFACES 3\n",
                                       kVertices + "    *MESH_FACE_LIST {\n      *MESH_FACE 0: A: 0 B: 1 C: 2\n"
                                                   "      *MESH_FACE 1: A: 0 B: 1 C: 3\n"
                                                   "      *MESH_FACE 2: A: -1 B: 1 C: 2\n    }\n"
                                                   "    *MESH_NUMTVERTEX 1\n    *MESH_TVERTLIST {\n"
                                                   "      *MESH_TVERT 0 0 0 0\n    }\n"
                                                   "    *MESH_NUMTVFACES 3\n    *MESH_TFACELIST {\n"
                                                   "      *MESH_TFACE 0 0 0 0\n      *MESH_TFACE 1 0 0 0\n"
                                                   "      *MESH_TFACE 2 0 0 0\n    }\n")));
  EXPECT_EQ(loaded.output,
            "Error: 2 caras de Caja usan vertices que no existen (hay 3); se descartan "
            "(fichero models/test.ASE, linea 31)\n");
  auto box = loaded.find<SceneObject>("Caja");
  ASSERT_EQ(box->faces().size(), 1u);
  EXPECT_EQ(box->texFaces().size(), 1u);
  expectSafe(loaded);
}

TEST(AseBadInput, TextureFaceBeyondTheCoordinatesUsesTheFirst) {
  LoadedModel loaded = loadAse(
      sceneBlock() + "*MATERIAL_LIST {\n *MATERIAL 0 { *MATERIAL_NAME \"T\" *MAP_DIFFUSE { *BITMAP \"t.tga\" } }\n}\n" +
      geom("Caja", mesh("    *MESH_NUMVERTEX 3\n    *MESH_NUMFACES 1\n    *MESH_NUMTVERTEX 2\n    *MESH_NUMTVFACES 1\n",
                        kVertices + "    *MESH_FACE_LIST {\n      *MESH_FACE 0: A: 0 B: 1 C: 2\n    }\n"
                                    "    *MESH_TVERTLIST {\n      *MESH_TVERT 0 0 0 0\n      *MESH_TVERT 1 1 0 0\n    }\n"
                                    "    *MESH_TFACELIST {\n      *MESH_TFACE 0 0 7 1\n    }\n") +
                       "  *MATERIAL_REF 0\n"));
  EXPECT_EQ(lineCount(loaded.output), 1u) << loaded.output;
  EXPECT_TRUE(contains(loaded.output, "1 indices de textura de Caja pasan de las 2 coordenadas")) << loaded.output;
  auto box = loaded.find<SceneObject>("Caja");
  // Built as a textured mesh: corner 1 took coordinate 0.
  EXPECT_TRUE(box->texFaces().empty());
  expectNear(box->texCoords()[1], Vector3(0, 0, 0), 0);
  expectNear(box->texCoords()[2], Vector3(1, 0, 0), 0);
  expectSafe(loaded);
}

TEST(AseBadInput, TexturedMaterialWithoutCoordinatesKeepsTheMeshAsRead) {
  LoadedModel loaded = loadAse(
      sceneBlock() + "*MATERIAL_LIST {\n *MATERIAL 0 { *MATERIAL_NAME \"T\" *MAP_DIFFUSE { *BITMAP \"t.tga\" } }\n}\n" +
      geom("Caja", mesh("    *MESH_NUMVERTEX 3\n    *MESH_NUMFACES 1\n",
                        kVertices + "    *MESH_FACE_LIST {\n      *MESH_FACE 0: A: 0 B: 1 C: 2\n    }\n") +
                       "  *MATERIAL_REF 0\n"));
  EXPECT_EQ(lineCount(loaded.output), 1u) << loaded.output;
  EXPECT_TRUE(contains(loaded.output, "tiene textura pero no coordenadas de textura")) << loaded.output;
  EXPECT_EQ(loaded.find<SceneObject>("Caja")->vertices().size(), 3u);
  expectSafe(loaded);
}

TEST(AseBadInput, NormalOfAVertexThatDoesNotExistIsIgnored) {
  LoadedModel loaded = loadAse(
      sceneBlock() + geom("Caja", mesh("    *MESH_NUMVERTEX 3\n    *MESH_NUMFACES 1\n",
                                       kVertices + "    *MESH_FACE_LIST {\n      *MESH_FACE 0: A: 0 B: 1 C: 2\n    }\n"
                                                   "    *MESH_NORMALS {\n      *MESH_FACENORMAL 0 0 0 1\n"
                                                   "      *MESH_VERTEXNORMAL 0 1 0 0\n"
                                                   "      *MESH_VERTEXNORMAL 3 0 1 0\n"
                                                   "      *MESH_VERTEXNORMAL -5 0 1 0\n    }\n")));
  EXPECT_EQ(lineCount(loaded.output), 1u) << loaded.output;
  EXPECT_TRUE(contains(loaded.output, "2 normales de Caja son de vertices que no existen (el primero, 3)"));
  auto box = loaded.find<SceneObject>("Caja");
  expectNear(box->normals()[0], Vector3(1, 0, 0), 0);
  expectNear(box->normals()[1], Vector3(0, 0, 1), 0);
  expectSafe(loaded);
}

TEST(AseBadInput, MaterialRefBeyondTheListIsSkipped) {
  LoadedModel loaded = loadAse(sceneBlock() + "*MATERIAL_LIST {\n *MATERIAL 0 { *MATERIAL_NAME \"A\" }\n}\n" +
                               geom("Caja", "  *MATERIAL_REF 1\n") + geom("Bola", "  *MATERIAL_REF -1\n"));
  EXPECT_EQ(lineCount(loaded.output), 2u) << loaded.output;
  EXPECT_TRUE(contains(loaded.output, "*MATERIAL_REF 1 fuera de la lista de 1 materiales (fichero models/test.ASE, linea"));
  EXPECT_FALSE(loaded.find<SceneObject>("Caja")->material());
  EXPECT_FALSE(loaded.find<SceneObject>("Bola")->material());
  expectSafe(loaded);
}

TEST(AseBadInput, WeightColumnBeyondTheBonesIsIgnored) {
  LoadedModel loaded = loadAse(
      sceneBlock() + "*BONEOBJECT {\n *NODE_NAME \"B1\"\n" + nodeTmAt("B1", "0 0 0") + "}\n" +
      "*GEOMOBJECTWITHBONES {\n *NODE_NAME \"Piel\"\n" + nodeTmAt("Piel", "0 0 0") +
      mesh("    *MESH_NUMVERTEX 3\n    *MESH_NUMFACES 1\n",
           kVertices + "    *MESH_FACE_LIST {\n      *MESH_FACE 0: A: 0 B: 1 C: 2\n    }\n") +
      "  *SKIN_DATA {\n    *SKIN_INFO {\n      *BONE_NAME \"B1\"\n    }\n    *SKIN_TABLE {\n"
      "      *BONE_WEIGHT 0 2 0.5 0.5\n      *BONE_WEIGHT 1 2 0 1\n      *BONE_WEIGHT 2 1 1\n    }\n  }\n}\n");
  EXPECT_EQ(lineCount(loaded.output), 1u) << loaded.output;
  EXPECT_TRUE(contains(loaded.output, "2 pesos de Piel son de columnas sin hueso (hay 1 huesos)")) << loaded.output;
  auto skin = loaded.find<SkinnedObject>("Piel");
  ASSERT_TRUE(skin);
  // Vertex 0 keeps its one good weight; vertex 1, left with none, follows
  // the skin itself.
  EXPECT_EQ(skin->boneIndices()[0], 1);
  EXPECT_EQ(skin->boneWeights()[0], 0.5f);
  EXPECT_EQ(skin->boneWeights()[1], 0.0f);
  EXPECT_EQ(skin->boneIndices()[4], 0);
  EXPECT_EQ(skin->boneWeights()[4], 1.0f);
  expectSafe(loaded);
}

TEST(AseBadInput, MissingSceneGivesAOneFrameClip) {
  LoadedModel loaded = loadAse(geom("Caja", ""));
  EXPECT_EQ(loaded.output,
            "Error: falta el bloque *SCENE; se usa un clip de un fotograma (fichero models/test.ASE, linea 1)\n");
  ASSERT_EQ(loaded.model->root->animationCount(), 1u);
  EXPECT_EQ(loaded.model->root->animationDurations()[0], 0u);
  const auto& clip = loaded.find<SceneObject>("Caja")->animator().animations()[0];
  EXPECT_EQ(clip->frameCount(), 1u);
  EXPECT_EQ(clip->msPerFrame(), 32u);
  expectSafe(loaded);
}

TEST(AseBadInput, TicksPerFrameBelowFiveUseTheDefault) {
  LoadedModel loaded = loadAse(sceneBlock(0, 10, 4) + geom("Caja", ""));
  EXPECT_EQ(loaded.output, "Error: *SCENE_TICKSPERFRAME 4 no valido; se usa 160 (fichero models/test.ASE, linea 7)\n");
  EXPECT_EQ(loaded.find<SceneObject>("Caja")->animator().animations()[0]->msPerFrame(), 32u);
  EXPECT_EQ(loaded.model->root->animationDurations()[0], 320u);
  expectSafe(loaded);
}

TEST(AseBadInput, BackwardOrHugeFrameRangesAreBounded) {
  LoadedModel backward = loadAse(sceneBlock(10, 5, 160) + geom("Caja", ""));
  EXPECT_EQ(lineCount(backward.output), 1u);
  EXPECT_EQ(backward.find<SceneObject>("Caja")->animator().animations()[0]->frameCount(), 1u);
  expectSafe(backward);
  LoadedModel huge = loadAse(sceneBlock(-2147483647 - 1, 2147483647, 4800) + geom("Caja", ""));
  EXPECT_EQ(lineCount(huge.output), 1u);
  EXPECT_EQ(huge.find<SceneObject>("Caja")->animator().animations()[0]->frameCount(), 1000000u);
  expectSafe(huge);
}

TEST(AseBadInput, KeywordAtTheEndOfTheFile) {
  for (const char* last : {"*NODE_NAME", "*MESH_NUMVERTEX", "*MATERIAL_REF", "*NODE_PARENT", "*TM_ROW3 1",
                           "*MESH_VERTEX_LIST", "*CONTROL_ROT_TRACK", "*SKIN_DATA", "*TM_ANIMATION {"}) {
    LoadedModel loaded = loadAse(sceneBlock() + "*GEOMOBJECTWITHBONES {\n *NODE_NAME \"Caja\"\n " + last);
    EXPECT_TRUE(contains(loaded.output, "Error: el fichero termina antes de tiempo (fichero models/test.ASE")) << last;
    // The object is kept (a *NODE_NAME cut off renames it to "").
    EXPECT_EQ(loaded.model->root->children().size(), 1u) << last;
    expectSafe(loaded);
  }
}

TEST(AseBadInput, ObjectCannotHangBelowItself) {
  LoadedModel loaded = loadAse(sceneBlock() + geom("Padre", "") +
                               "*GEOMOBJECT {\n *NODE_NAME \"Hijo\"\n *NODE_PARENT \"Padre\"\n *NODE_PARENT \"Hijo\"\n}\n");
  EXPECT_EQ(loaded.output, "Error: el objeto Hijo no puede colgar de Hijo (fichero models/test.ASE, linea 23)\n");
  EXPECT_EQ(loaded.find("Hijo")->parent(), loaded.find("Padre").get());
  expectSafe(loaded);
}

TEST(AseBadInput, VeryDeepChainsHangFromTheRoot) {
  std::string text = sceneBlock() + "*GEOMOBJECT { *NODE_NAME \"n0\" }\n";
  for (size_t i = 1; i <= kMaxTreeDepth + 5; ++i) {
    text += "*GEOMOBJECT { *NODE_NAME \"n" + std::to_string(i) + "\" *NODE_PARENT \"n" + std::to_string(i - 1) +
            "\" }\n";
  }
  LoadedModel loaded = loadAse(text);
  EXPECT_TRUE(contains(loaded.output, "esta a mas de 1000 niveles; se cuelga de la raiz")) << loaded.output;
  auto deep = loaded.find("n" + std::to_string(kMaxTreeDepth));
  ASSERT_TRUE(deep);
  EXPECT_EQ(deep->parent(), loaded.model->root.get());
  expectSafe(loaded);
}

TEST(AseBadInput, BonesAndSkinsAreNeverBillboards) {
  LoadedModel loaded = loadAse(sceneBlock() + "*BONEOBJECT {\n *NODE_NAME \"&Hueso\"\n" + nodeTmAt("&Hueso", "0 0 0") +
                               "}\n*GEOMOBJECTWITHBONES {\n *NODE_NAME \"&Piel\"\n" + nodeTmAt("&Piel", "0 0 0") + "}\n");
  EXPECT_EQ(lineCount(loaded.output), 2u) << loaded.output;
  EXPECT_TRUE(contains(loaded.output, "el hueso &Hueso no puede ser un billboard"));
  EXPECT_TRUE(loaded.find<BoneObject>("&Hueso"));
  EXPECT_TRUE(loaded.find<SkinnedObject>("&Piel"));
  EXPECT_FALSE(loaded.find<BillboardObject>("&Hueso"));
  expectSafe(loaded);
}

TEST(AseBadInput, NameAfterTheParentStillMakesOneObjectThere) {
  LoadedModel loaded = loadAse(sceneBlock() + "*MATERIAL_LIST {\n *MATERIAL 0 { *MATERIAL_NAME \"A\" }\n}\n" +
                               geom("Padre", "") +
                               "*GEOMOBJECT {\n *NODE_PARENT \"Padre\"\n *MATERIAL_REF 0\n *NODE_NAME \"&Polvo\"\n}\n");
  EXPECT_EQ(loaded.output, "");
  auto parent = loaded.find("Padre");
  ASSERT_EQ(parent->children().size(), 1u);
  auto dust = loaded.find<BillboardObject>("&Polvo");
  ASSERT_TRUE(dust);
  EXPECT_EQ(parent->children().front(), dust);
  EXPECT_EQ(dust->material(), loaded.model->materials[0]);
  ASSERT_EQ(loaded.model->materials[0]->objects()->size(), 1u);
  EXPECT_EQ(loaded.model->materials[0]->objects()->front(), dust);
  expectSafe(loaded);
}

TEST(AseBadInput, SkinDataOfAPlainObjectIsSkipped) {
  LoadedModel loaded = loadAse(sceneBlock() +
                               geom("Caja", "  *SKIN_DATA {\n    *SKIN_INFO { *BONE_NAME \"X\" }\n  }\n"
                                            "  *MATERIAL_REF 0\n"));
  EXPECT_EQ(lineCount(loaded.output), 2u) << loaded.output;
  EXPECT_TRUE(contains(loaded.output, "*SKIN_DATA en un objeto sin huesos (Caja)"));
  expectSafe(loaded);
}

TEST(AseBadInput, MaterialKeywordsBeforeTheNameStillMakeOneMaterial) {
  LoadedModel loaded = loadAse(sceneBlock() + R"(*MATERIAL_LIST {
  *MATERIAL 0 {
    *MATERIAL_DIFFUSE 1 0 0
  }
  *MATERIAL 1 {
    *MATERIAL_CLASS "Standard"
  }
  *MATERIAL 2 {
    *MATERIAL_NAME "Bueno"
  }
}
)" + geom("Caja", "  *MATERIAL_REF 2\n"));
  EXPECT_EQ(lineCount(loaded.output), 2u) << loaded.output;
  ASSERT_EQ(loaded.model->materials.size(), 3u);
  expectNear(loaded.model->materials[0]->diffuse(), Vector3(1, 0, 0), 0);
  // The references still point at the right entries.
  EXPECT_EQ(loaded.find<SceneObject>("Caja")->material()->name(), "Bueno");
  expectSafe(loaded);
}

TEST(AseBadInput, BrokenNumbersAndNamesKeepTheBlocksInStep) {
  LoadedModel loaded = loadAse(sceneBlock() + R"(*GEOMOBJECT {
  *NODE_NAME "Caja
  *NODE_TM {
    *TM_ROW0 1 0 0
    *TM_ROW1 0 1 0
    *TM_ROW2 0 0 1
    *TM_ROW3 1.#QNAN 5 }
  *MESH {
    *MESH_NUMVERTEX 3
    *MESH_VERTEX_LIST {
      *MESH_VERTEX 0 0 0
      *MESH_VERTEX 1 1 0 0
      *MESH_VERTEX 2 0 1 0
    }
  }
}
*GEOMOBJECT {
  *NODE_NAME "Otra"
}
)");
  // The name ends with its line; the short rows leave the braces in place.
  EXPECT_EQ(lineCount(loaded.output), 4u) << loaded.output;
  auto box = loaded.find<SceneObject>("Caja");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->vertices().size(), 3u);
  expectNear(translation(box->worldMatrix()), Vector3(1, 5, 0), 0);
  EXPECT_TRUE(loaded.find("Otra"));
  EXPECT_EQ(loaded.model->root->children().size(), 2u);
  expectSafe(loaded);
}

TEST(AseBadInput, ClipFileWithUnusableTimingIsBounded) {
  LoadedModel loaded = loadAse(sceneBlock() + geom("Caja", ""));
  const std::string out =
      loaded.addClip("*SCENE { *SCENE_LASTFRAME 2000000000 *SCENE_TICKSPERFRAME 2000000000 }\n"
                     "*NODE_NAME \"Caja\" *TM_ANIMATION { *CONTROL_POS_TRACK { *CONTROL_POS_SAMPLE 160 1 2 3 } }\n");
  EXPECT_EQ(lineCount(out), 2u) << out;
  ASSERT_EQ(loaded.model->root->animationCount(), 2u);
  const auto& clip = loaded.find<SceneObject>("Caja")->animator().animations()[1];
  EXPECT_EQ(clip->msPerFrame(), 32u);
  EXPECT_EQ(clip->frameCount(), 1000000u);
  expectSafe(loaded);
}

}  // namespace
