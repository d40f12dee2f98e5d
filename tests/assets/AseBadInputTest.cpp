// Broken and hostile files: each problem gives one line naming the file and
// the line, and the model that comes back is safe to update and draw.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/ModelText.h"
#include "engine/BillboardObject.h"
#include "engine/BoneObject.h"
#include "engine/SkinnedObject.h"

namespace {

const std::string kTriangle = triangle();
const std::string kTextured = materialList({"*MATERIAL_NAME \"T\" *MAP_DIFFUSE { *BITMAP \"t.tga\" }"});
// The messages name this file.
const std::string kAt = " (fichero models/test.ASE, linea ";

const SceneObject& box(const LoadedModel& loaded) { return *loaded.find("Caja"); }
// Clip `index` of the root and of Caja: "duration: frames x ms a frame".
std::string timing(const LoadedModel& loaded, size_t index = 0) {
  const Animation& clip = *box(loaded).animator().animations().at(index);
  return std::to_string(loaded.model->root->animationDurations().at(index)) + " ms: " +
         std::to_string(clip.frameCount()) + " x " + std::to_string(clip.msPerFrame()) + " ms";
}

std::string chainDeeperThanTheTree() {
  std::string text = sceneBlock() + "*GEOMOBJECT { *NODE_NAME \"n0\" }\n";
  for (size_t i = 1; i <= kMaxTreeDepth + 5; ++i) {
    text += "*GEOMOBJECT { *NODE_NAME \"n" + std::to_string(i) + "\" *NODE_PARENT \"n" + std::to_string(i - 1) + "\" }\n";
  }
  return text;
}

struct BadFile {
  const char* what;
  std::string text;
  // A part of each line printed, in order; as many lines as parts.
  std::vector<std::string> messages;
  std::function<void(LoadedModel&)> check;
};

// Each case reaches another of the reader's checks.
const BadFile kBadFiles[] = {
    {"count far beyond the list", sceneBlock() + geom("Caja", replaced(kTriangle, "NUMVERTEX 3", "NUMVERTEX 2000000000")),
     {"Error: *MESH_VERTEX_LIST tiene 3 entradas y no 2000000000" + kAt + "26)\n"},
     [](LoadedModel& m) { EXPECT_EQ(box(m).vertices().size(), 3u); }},
    // The face on the cut vertex goes.
    {"list longer than its count", sceneBlock() + geom("Caja", replaced(kTriangle, "NUMVERTEX 3", "NUMVERTEX 2")),
     {"*MESH_VERTEX_LIST tiene mas de 2 entradas", "1 caras de Caja usan vertices que no existen (hay 2)"},
     [](LoadedModel& m) { EXPECT_EQ(box(m).vertices().size(), 2u); }},
    {"faces on vertices that do not exist go with their texture faces",
     sceneBlock() + geom("Caja", replaced(meshBlock({"0 0 0", "1 0 0", "0 1 0"}, {{0, 1, 2}, {0, 1, 3}, {9, 1, 2}},
                                                    {"0 0 0"}, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}),
                                          "A: 9", "A: -1")),
     {"Error: 2 caras de Caja usan vertices que no existen (hay 3); se descartan" + kAt + "31)\n"},
     [](LoadedModel& m) {
       EXPECT_EQ(box(m).faces().size(), 1u);
       EXPECT_EQ(box(m).texFaces().size(), 1u);
     }},
    {"normals of vertices that do not exist",
     sceneBlock() + geom("Caja", meshBlock({"0 0 0", "1 0 0", "0 1 0"}, {{0, 1, 2}}, {}, {},
                                           "  *MESH_NORMALS {\n   *MESH_FACENORMAL 0 0 0 1\n"
                                           "   *MESH_VERTEXNORMAL 0 1 0 0\n   *MESH_VERTEXNORMAL 3 0 1 0\n"
                                           "   *MESH_VERTEXNORMAL -5 0 1 0\n  }\n")),
     {"2 normales de Caja son de vertices que no existen (el primero, 3)"},
     [](LoadedModel& m) { EXPECT_EQ(pointsText(box(m).normals()), "(1 0 0) (0 0 1) (0 0 1)"); }},
    // Built as a textured mesh: corner 1 took coordinate 0.
    {"texture index beyond the coordinates",
     sceneBlock() + kTextured +
         geom("Caja", meshBlock({"0 0 0", "1 0 0", "0 1 0"}, {{0, 1, 2}}, {"0 0 0", "1 0 0"}, {{0, 7, 1}}) +
                          " *MATERIAL_REF 0\n"),
     {"1 indices de textura de Caja pasan de las 2 coordenadas"},
     [](LoadedModel& m) {
       EXPECT_TRUE(box(m).texFaces().empty());
       EXPECT_EQ(pointsText(box(m).texCoords()), "(0 0 0) (0 0 0) (1 0 0)");
     }},
    {"textured material on a mesh without coordinates",
     sceneBlock() + kTextured + geom("Caja", kTriangle + " *MATERIAL_REF 0\n"),
     {"tiene textura pero no coordenadas de textura"},
     [](LoadedModel& m) { EXPECT_EQ(box(m).vertices().size(), 3u); }},
    {"material references outside the list",
     sceneBlock() + materialList({"*MATERIAL_NAME \"A\""}) + geom("Caja", " *MATERIAL_REF 1\n") +
         geom("Bola", " *MATERIAL_REF -1\n"),
     {"*MATERIAL_REF 1 fuera de la lista de 1 materiales" + kAt + "24)\n", "*MATERIAL_REF -1 fuera"},
     [](LoadedModel& m) { EXPECT_FALSE(box(m).material() || m.find("Bola")->material()); }},
    // Keywords before the name still make one material each, so the
    // references still point at the right entries.
    {"materials without a name first",
     sceneBlock() +
         materialList({"*MATERIAL_DIFFUSE 1 0 0", "*MATERIAL_CLASS \"Standard\"", "*MATERIAL_NAME \"Bueno\""}) +
         geom("Caja", " *MATERIAL_REF 2\n"),
     {"no empieza por *MATERIAL_NAME", "no empieza por *MATERIAL_NAME"},
     [](LoadedModel& m) {
       ASSERT_EQ(m.model->materials.size(), 3u);
       EXPECT_EQ(pointsText({m.model->materials[0]->diffuse()}) + box(m).material()->name(), "(1 0 0)Bueno");
     }},
    // A bone that is not found keeps its column, following the skin itself,
    // so B1 stays in column 2; vertex 0 keeps its one good weight; vertex 2,
    // left with none, and vertex 3, without a row, follow the skin too.
    {"weights of lost bones, of columns without a bone, and missing rows",
     sceneBlock() + objectBlock("*BONEOBJECT", "B1") +
         objectBlock("*GEOMOBJECTWITHBONES", "Piel",
                     meshBlock({"0 0 0", "1 0 0", "0 1 0", "1 1 0"}, {{0, 1, 2}}) +
                         " *SKIN_DATA {\n  *SKIN_INFO { *BONE_NAME \"Perdido\" *BONE_NAME \"B1\" }\n"
                         "  *SKIN_TABLE {\n   *BONE_WEIGHT 0 3 0 0.5 0.5\n   *BONE_WEIGHT 1 3 1 0 0\n"
                         "   *BONE_WEIGHT 2 3 0 0 1\n  }\n }\n"),
     {"No se encuentra el bone indicado!! Perdido \n", "2 pesos de Piel son de columnas sin hueso (hay 2 huesos)",
      "la tabla de pesos de Piel cubre 3 de 4 vertices"},
     [](LoadedModel& m) {
       const auto skin = m.find<SkinnedObject>("Piel");
       ASSERT_EQ(skin->bones().size(), 3u);
       EXPECT_TRUE(skin->bones()[1] == skin.get() && skin->bones()[2] == m.find<BoneObject>("B1").get());
       EXPECT_EQ(numbersText(skin->boneWeights()), "0.5 0 0 0 1 0 0 0 1 0 0 0 1 0 0 0");
       EXPECT_EQ(std::vector<int32_t>(skin->boneIndices().begin(), skin->boneIndices().end()),
                 (std::vector<int32_t>{2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
     }},
    {"skin data in an object without bones",
     sceneBlock() + geom("Caja", " *SKIN_DATA {\n  *SKIN_INFO { *BONE_NAME \"X\" }\n }\n"),
     {"*SKIN_DATA en un objeto sin huesos (Caja)"},
     [](LoadedModel& m) { EXPECT_TRUE(box(m).vertices().empty()); }},
    {"bones and skins are never billboards",
     sceneBlock() + objectBlock("*BONEOBJECT", "&Hueso") + objectBlock("*GEOMOBJECTWITHBONES", "&Piel"),
     {"el hueso &Hueso no puede ser un billboard", "el hueso &Piel no puede ser un billboard"},
     [](LoadedModel& m) { EXPECT_TRUE(m.find<BoneObject>("&Hueso") && m.find<SkinnedObject>("&Piel")); }},
    {"no scene block", geom("Caja"),
     {"Error: falta el bloque *SCENE; se usa un clip de un fotograma" + kAt + "1)\n"},
     [](LoadedModel& m) { EXPECT_EQ(timing(m), "0 ms: 1 x 32 ms"); }},
    {"too few ticks a frame", sceneBlock(0, 10, 4) + geom("Caja"),
     {"Error: *SCENE_TICKSPERFRAME 4 no valido; se usa 160" + kAt + "7)\n"},
     [](LoadedModel& m) { EXPECT_EQ(timing(m), "320 ms: 11 x 32 ms"); }},
    {"last frame before the first", sceneBlock(10, 5) + geom("Caja"), {"el clip va del fotograma 10 al 5"},
     [](LoadedModel& m) { EXPECT_EQ(timing(m), "0 ms: 1 x 32 ms"); }},
    // The same bounds hold for a clip file.
    {"too many frames", sceneBlock(-2147483647 - 1, 2147483647, 4800) + geom("Caja"), {"se limita a 1000000"},
     [](LoadedModel& m) {
       EXPECT_EQ(timing(m), "959999040 ms: 1000000 x 960 ms");
       const std::string out = m.addClip(
           "*SCENE { *SCENE_LASTFRAME 2000000000 *SCENE_TICKSPERFRAME 2000000000 }\n"
           "*NODE_NAME \"Caja\" *TM_ANIMATION { *CONTROL_POS_TRACK { *CONTROL_POS_SAMPLE 160 1 2 3 } }\n");
       EXPECT_EQ(lineCount(out), 2u) << out;
       EXPECT_EQ(timing(m, 1), "31999968 ms: 1000000 x 32 ms");
     }},
    {"a node below itself",
     sceneBlock() + geom("Padre") +
         "*GEOMOBJECT {\n *NODE_NAME \"Hijo\"\n *NODE_PARENT \"Padre\"\n *NODE_PARENT \"Hijo\"\n}\n",
     {"Error: el objeto Hijo no puede colgar de Hijo" + kAt + "22)\n"},
     [](LoadedModel& m) { EXPECT_EQ(m.find("Hijo")->parent(), m.find("Padre").get()); }},
    {"a parent that is not there", sceneBlock() + geom("Huerfano", "", "Nadie"),
     {"Error: el objeto Huerfano no encuentra a su padre \n"},
     [](LoadedModel& m) { EXPECT_EQ(m.find("Huerfano")->parent(), m.model->root.get()); }},
    {"a chain deeper than the tree", chainDeeperThanTheTree(),
     {"el objeto n1000 esta a mas de 1000 niveles; se cuelga de la raiz"},
     [](LoadedModel& m) { EXPECT_EQ(m.find("n" + std::to_string(kMaxTreeDepth))->parent(), m.model->root.get()); }},
    // A name after the parent and the material still makes one object there.
    {"name after the parent and the material",
     sceneBlock() + materialList({"*MATERIAL_NAME \"A\""}) + geom("Padre") +
         "*GEOMOBJECT {\n *NODE_PARENT \"Padre\"\n *MATERIAL_REF 0\n *NODE_NAME \"&Polvo\"\n}\n",
     {},
     [](LoadedModel& m) {
       const auto dust = m.find<BillboardObject>("&Polvo");
       ASSERT_TRUE(dust);
       EXPECT_EQ(m.find("Padre")->children(), (std::list<std::shared_ptr<SceneNode>>{dust}));
       EXPECT_EQ(*m.model->materials[0]->objects(), (SceneObjectList{dust}));
       EXPECT_EQ(dust->material(), m.model->materials[0]);
     }},
    // The name ends with its line; the short rows leave the braces in place.
    {"broken numbers and names",
     sceneBlock() +
         "*GEOMOBJECT {\n *NODE_NAME \"Caja\n"
         " *NODE_TM { *TM_ROW0 1 0 0 *TM_ROW1 0 1 0 *TM_ROW2 0 0 1 *TM_ROW3 1.#QNAN 5 }\n"
         " *MESH { *MESH_NUMVERTEX 3 *MESH_VERTEX_LIST { *MESH_VERTEX 0 0 0 *MESH_VERTEX 1 1 0 0 "
         "*MESH_VERTEX 2 0 1 0 } }\n}\n*GEOMOBJECT { *NODE_NAME \"Otra\" }\n",
     {"(fichero", "(fichero", "(fichero", "(fichero"},
     [](LoadedModel& m) {
       // File (1, 5, 0) at the top, in the game's axes.
       EXPECT_EQ(pointsText({translation(box(m).animationMatrix(0))}), "(1 0 -5)");
       EXPECT_EQ(box(m).vertices().size(), 3u);
       EXPECT_EQ(m.model->root->children().size(), 2u);
     }},
    // 3ds Max writes these for a degenerate normal: the rest of the line
    // goes, and the lists stay in step.
    {"not-a-number in a list entry",
     sceneBlock() + geom("Caja", meshBlock({"0 0 0", "1 0 0", "0 1 0", "1 1 0"}, {{0, 1, 2}, {1, 3, 2}},
                                           {"1.#QNAN0 -1.#IND0 0", "0.5 0.25 0"}, {},
                                           "  *MESH_NORMALS {\n   *MESH_FACENORMAL 0 0 0 1\n"
                                           "   *MESH_VERTEXNORMAL 0 1.#QNAN0 -1.#IND0 0.0000\n"
                                           "   *MESH_VERTEXNORMAL 1 1 0 0\n   *MESH_VERTEXNORMAL 2 0 1 0\n"
                                           "   *MESH_FACENORMAL 1 0 0 1\n   *MESH_VERTEXNORMAL 1 1 0 0\n"
                                           "   *MESH_VERTEXNORMAL 3 0 -1 0\n   *MESH_VERTEXNORMAL 2 0 1 0\n  }\n")),
     {"Error: numero no valido \"1.#QNAN0\"" + kAt + "34)\n", "Error: numero no valido \"1.#QNAN0\"" + kAt + "39)\n"},
     [](LoadedModel& m) {
       EXPECT_EQ(pointsText(box(m).texCoords()), "(1 0 0) (0.5 0.25 0)");
       EXPECT_EQ(pointsText(box(m).normals()), "(0 0 1) (1 0 0) (0 1 0) (0 -1 0)");
     }},
    // Hand-edited files: nothing after the glued braces is swallowed.
    {"numbers glued to braces",
     sceneBlock() +
         geom("Caja", " *MESH {\n  *MESH_NUMVERTEX 3 *MESH_NUMFACES 1\n"
                      "  *MESH_VERTEX_LIST { *MESH_VERTEX 0 0 0 0 *MESH_VERTEX 1 1 0 0 *MESH_VERTEX 2 0 1 0.0}\n"
                      "  *MESH_FACE_LIST { *MESH_FACE 0: A: 0 B: 1 C: 2 *MESH_SMOOTHING 1 *MESH_MTLID 0}\n"
                      "  *MESH_NUMTVERTEX 1 *MESH_TVERTLIST { *MESH_TVERT 0 0.5 0.5 0}\n"
                      "  *MESH_NORMALS { *MESH_FACENORMAL 0 0 0 1 *MESH_VERTEXNORMAL 0 1 0 0}\n }\n") +
         geom("Otra"),
     {},
     [](LoadedModel& m) {
       EXPECT_EQ(box(m).faces(), (std::vector<Face>{{0, 1, 2}}));
       EXPECT_EQ(pointsText(box(m).texCoords()) + pointsText({box(m).normals()[0]}), "(0.5 0.5 0)(1 0 0)");
       EXPECT_TRUE(m.find("Otra"));
     }},
};

TEST(AseBadInput, EachProblemIsOneLineAndTheModelStaysSafe) {
  for (const BadFile& file : kBadFiles) {
    SCOPED_TRACE(file.what);
    LoadedModel loaded = loadAse(file.text);
    EXPECT_EQ(lineCount(loaded.output), file.messages.size()) << loaded.output;
    size_t from = 0;
    for (const std::string& part : file.messages) {
      const size_t found = loaded.output.find(part, from);
      EXPECT_NE(found, std::string::npos) << part << " not in\n" << loaded.output;
      if (found != std::string::npos) from = found + part.size();
    }
    ASSERT_TRUE(file.text.find("\"Caja") == std::string::npos || loaded.find("Caja")) << "Caja is lost";
    file.check(loaded);
    expectSafe(loaded);
  }
}

TEST(AseBadInput, TruncatedFileKeepsWhatWasRead) {
  const std::string whole = sceneBlock() + geom("Caja", kTriangle);
  // Cut in the middle of the face line.
  LoadedModel loaded = loadAse(whole.substr(0, whole.find("C: 2")));
  EXPECT_EQ(loaded.output, "Error: el fichero termina antes de tiempo" + kAt + "28)\n");
  EXPECT_EQ(box(loaded).vertices().size(), 3u);
  EXPECT_TRUE(box(loaded).faces().empty());
  // Every shorter cut of the file loads too.
  for (size_t length = 0; length < whole.size(); length += 7) {
    EXPECT_TRUE(findModelProblems(*loadAse(whole.substr(0, length)).model).empty()) << length;
  }
  // So does a file that ends right after any keyword; the object is kept.
  for (const char* last : {"*NODE_NAME", "*MESH_NUMVERTEX", "*MATERIAL_REF", "*NODE_PARENT", "*TM_ROW3 1",
                           "*MESH_VERTEX_LIST", "*CONTROL_ROT_TRACK", "*SKIN_DATA", "*TM_ANIMATION {"}) {
    SCOPED_TRACE(last);
    LoadedModel cut = loadAse(sceneBlock() + "*GEOMOBJECTWITHBONES {\n *NODE_NAME \"Caja\"\n " + last);
    EXPECT_NE(cut.output.find("Error: el fichero termina antes de tiempo"), std::string::npos);
    EXPECT_EQ(cut.model->root->children().size(), 1u);
    expectSafe(cut);
  }
}

}  // namespace
