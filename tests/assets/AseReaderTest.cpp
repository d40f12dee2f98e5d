// The model reader on well-formed text: files, materials, transforms,
// skipped blocks, cameras, clip files, meshes, skins and tracks (the texture
// track comes back in the model writer's round trip).

#include <gtest/gtest.h>

#include <sstream>

#include "support/ModelText.h"
#include "assets/AseReader.h"
#include "assets/ShaderProgram.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "engine/SkinnedObject.h"
#include "engine/ToonMaterial.h"
#include "support/TempDirectory.h"

namespace {

const Animation& clip(const LoadedModel& loaded, const std::string& node, size_t index = 0) {
  return *loaded.find(node)->animator().animations().at(index);
}

// A quarter turn about file Z: x becomes y.
const std::string kQuarterTurn = nodeTm("0 1 0", "-1 0 0", "0 0 1", "0 0 0");

// Ticks at 192 a frame are 38.4 ms, truncated; a clip file that is not
// there says so and adds nothing; a model file that is not there says so
// and gives an empty model named by its path. A shader's source is read byte
// for byte (Windows-1252 letters, trailing blanks, blank lines, a last line
// without its line end), a missing one or a folder as empty.
TEST(AseReaderFiles, ModelClipAndShaderFilesAreReadFromTheirPaths) {
  TempDirectory folder;
  const std::string model = folder.write("models/Pj/normal.ASZ", sceneBlock(5, 14, 192) + geom("Cadera")).string();
  folder.write("models/Pj/golpe.ASZ", sceneBlock(0, 30) + geom("Cadera"));
  const std::string clip1 = (folder.path() / "models/Pj/golpe.ASZ").string(), none = (folder.path() / "nada").string();
  LoadedModel loaded = loadAse("", model, true, {clip1, none});
  EXPECT_EQ(loaded.output, "Error: no se puede abrir el fichero de animacion " + none + "\n");
  EXPECT_EQ(loaded.reader->directory(), (folder.path() / "models" / "Pj").string() + "/");
  EXPECT_EQ(loaded.model->root->animationDurations(), (std::vector<uint32_t>{38 * 9, 960}));
  EXPECT_TRUE(clip(loaded, "Cadera").frameCount() == 10 && clip(loaded, "Cadera").msPerFrame() == 38);
  EXPECT_EQ(loaded.reader->frameCount(), 31);
  // Without a texture factory the reader only records the textures.
  AseReader missing(none);
  testing::internal::CaptureStdout();
  const std::shared_ptr<Model> empty = missing.load();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: no se puede abrir el fichero de modelo " + none + "\n");
  EXPECT_TRUE(empty->root->children().empty() && empty->materials.empty());
  EXPECT_EQ(empty->root->name(), none);
  for (const std::string text : {"// Sombreado\n\n#version 110\n\xe9\xe1 trailing blanks   \n\n", "void main() {}"}) {
    EXPECT_EQ(readTextFile(folder.write("cartoon.vs", text).string()), text);
  }
  EXPECT_EQ(readTextFile(none) + readTextFile(folder.path().string()), "");
}

// Every map block gives a texture, even one without a bitmap, beside the
// model whatever the path the artist's machine gave it.
TEST(AseReaderMaterials, BracketsPickTheShaderRefsJoinObjectsAndBitmapsLieBesideTheModel) {
  const std::string text =
      sceneBlock() +
      materialList({"*MATERIAL_NAME \"[cartoon] Piel\" *MATERIAL_CLASS \"Standard\" *MATERIAL_AMBIENT 0.1 0.2 0.3\n"
                    "  *MATERIAL_DIFFUSE 0.4 0.5 0.6 *MATERIAL_SPECULAR 0.9 0.8 0.7 *MATERIAL_SHINE 0.1",
                    "*MATERIAL_NAME \"Camiseta  [cartoon]\" *MAP_DIFFUSE { *MAP_NAME \"Map #1\" *MAP_CLASS \"Bitmap\"\n"
                    "   *BITMAP \"C:\\3dsmax\\maps\\Pista\\cesped.tga\" *UVW_U_OFFSET 0.0 }",
                    "*MATERIAL_NAME \"Metal\"", "*MATERIAL_NAME \"Cristal [brillo]\" *MAP_DIFFUSE { *BITMAP \"red.bmp\" }",
                    "*MATERIAL_NAME \"Vacio\" *MAP_DIFFUSE { *MAP_AMOUNT 1.0 }"}) +
      geom("Caja", " *MATERIAL_REF 1\n");
  LoadedModel loaded = loadAse(text, "models/stadium/pista.ASZ");
  EXPECT_EQ(loaded.output, "");
  const auto& materials = loaded.model->materials;
  ASSERT_EQ(materials.size(), 5u);
  EXPECT_EQ(materials[0]->name() + "," + materials[1]->name(), "[cartoon] Piel,Camiseta [cartoon]");
  EXPECT_EQ(pointsText({materials[0]->ambient(), materials[0]->diffuse(), materials[0]->specular()}),
            "(0.1 0.2 0.3) (0.4 0.5 0.6) (0.9 0.8 0.7)");
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(std::dynamic_pointer_cast<ToonMaterial>(materials[i]) != nullptr, i < 2);
  EXPECT_FALSE(materials[2]->shaderProgram() || materials[2]->hasTexture());
  EXPECT_EQ(*materials[1]->objects(), (SceneObjectList{loaded.find("Caja")}));
  EXPECT_TRUE(materials[0]->objects()->empty() && materials[4]->hasTexture());
  EXPECT_EQ(loaded.textures->paths(),
            (std::vector<std::string>{"models/stadium/cesped.tga", "models/stadium/red.bmp", "models/stadium/"}));
  EXPECT_EQ(loadAse(text, "pista.ASE").textures->paths()[1], "./red.bmp");
  EXPECT_EQ(loadAse(text, "models\\birdy\\b.ASE").textures->paths()[0], "models\\birdy\\cesped.tga");
}

// Windows exports often name a bitmap in another letter case than the file
// beside the model. A path that exists is kept; a missing one is looked for
// in any case (of two spellings the first in byte order), else it stays.
TEST(AseReaderMaterials, BitmapsInAnotherLetterCaseAreFoundOnlyWhenTheExactPathIsMissing) {
  TempDirectory folder;
  for (const char* file : {"wood.tga", "hierba.tga", "HIERBA.tga", "piedra.tga", "Piedra.TGA"}) {
    folder.write(std::string("models/") + file, "");
  }
  const struct {
    const char* bitmap;
    const char* found;
  } cases[] = {{"C:\\maps\\WOOD.TGA", "wood.tga"}, {"hierba.tga", "hierba.tga"},
               {"PIEDRA.tga", "Piedra.TGA"}, {"lava.tga", "lava.tga"}};
  for (const auto& c : cases) {
    const std::string bitmap = std::string("*MATERIAL_NAME \"M\" *MAP_DIFFUSE { *BITMAP \"") + c.bitmap + "\" }";
    const LoadedModel loaded = loadAse(sceneBlock() + materialList({bitmap}), (folder.path() / "models/m.ASE").string());
    EXPECT_EQ(loaded.textures->paths(), (std::vector<std::string>{(folder.path() / "models" / c.found).string()}));
  }
}

// Vertex colours, mapping channels and controllers of other kinds are
// skipped whole, so that the normals, the tracks and the object's material
// after them still count. In a material list the rule of the game's own
// files holds: material 0 ends at the inner "}", its own "}" ends the list,
// and material 1 is then a block without a rule at the top level.
TEST(AseReaderObjects, BlocksWithoutARuleAreSkippedWhole) {
  const std::string colours =
      "  *MESH_NUMCVERTEX 1\n  *MESH_CVERTLIST {\n   *MESH_VERTCOL 0 1.0 0.5 0.25\n  }\n"
      "  *MESH_MAPPINGCHANNEL 2 {\n   *MESH_NUMTVERTEX 1\n   *MESH_TVERTLIST {\n    *MESH_TVERT 0 0 0 0\n   }\n  }\n"
      "  *MESH_NORMALS {\n   *MESH_FACENORMAL 0 0 0 1\n   *MESH_VERTEXNORMAL 0 1 0 0\n  }\n";
  const std::string tracks =
      " *TM_ANIMATION {\n  *NODE_NAME \"Caja\"\n  *CONTROL_POS_BEZIER {\n   *CONTROL_BEZIER_POS_KEY 0 0 0 0 0 0\n  }\n"
      "  *CONTROL_ROT_TRACK {\n   *CONTROL_ROT_SAMPLE 160 0 0 1 0.5\n  }\n }\n";
  LoadedModel loaded = loadAse(
      sceneBlock() + materialList({"*MATERIAL_NAME \"A\" *MATERIAL_XP { 1 } *MATERIAL_DIFFUSE 1 0 0", "*MATERIAL_NAME \"B\""}) +
      "*HELPEROBJECT {\n *NODE_NAME \"Dummy01\"\n *NODE_TM { *TM_ROW0 1 0 0 }\n *BOUNDINGBOX_MIN -1 -1 -1\n}\n"
      "{ *GEOMOBJECT { *NODE_NAME \"Escondido\" } }\n" +
      geom("Caja", " *IK_JOINT {\n  *IK_X { *IK_LIMITED 1 }\n  *NODE_NAME \"Mal\"\n }\n" +
                       meshBlock({"0 0 0", "1 0 0", "0 1 0"}, {{0, 1, 2}}, {}, {}, colours) + tracks +
                       " *MATERIAL_REF 0\n"));
  EXPECT_EQ(loaded.output, "");
  ASSERT_EQ(loaded.model->materials.size(), 1u);
  EXPECT_EQ(pointsText({loaded.model->materials[0]->diffuse()}), "(0.7 0.7 0.7)");
  EXPECT_EQ(loaded.model->root->children().size(), 1u);
  const auto box = loaded.find("Caja");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->material(), loaded.model->materials[0]);
  EXPECT_EQ(pointsText({box->normals()[0]}), "(1 0 0)");
  EXPECT_EQ(clip(loaded, "Caja").rotationKeys().size(), 2u);
}

// The camera's parent is missing (silently); its second *NODE_TM and
// *TM_ANIMATION are its target's.
TEST(AseReaderCameras, CameraSettingsAndTheTargetsSecondBlocks) {
  LoadedModel loaded = loadAse(
      sceneBlock() + geom("Pista") +
      "*CAMERAOBJECT {\n *NODE_NAME \"Camera01\" *CAMERA_TYPE Target *NODE_PARENT \"NoExiste\"\n" +
      nodeTmAt("0 -500 200") + nodeTmAt("0 0 0") +
      " *CAMERA_SETTINGS { *TIMEVALUE 0 *CAMERA_NEAR 0.0 *CAMERA_FAR 5000.5 *CAMERA_FOV 0.7853982 *CAMERA_TDIST 500 }\n"
      " *TM_ANIMATION { *NODE_NAME \"Camera01\" *CONTROL_POS_TRACK { *CONTROL_POS_SAMPLE 160 0 -400 200 } }\n"
      " *TM_ANIMATION { *NODE_NAME \"Camera01.Target\"\n"
      "  *CONTROL_POS_TRACK { *CONTROL_POS_SAMPLE 160 9 9 9 *CONTROL_POS_SAMPLE 320 9 9 9 } }\n}\n");
  EXPECT_EQ(loaded.output, "");
  const auto camera = loaded.find<Camera>("Camera01");
  ASSERT_TRUE(camera);
  EXPECT_TRUE(camera->parent() == loaded.model->root.get() && camera->target().lock() == loaded.model->root);
  EXPECT_EQ(numbersText({static_cast<float>(camera->nearPlane()), static_cast<float>(camera->farPlane()),
                         static_cast<float>(camera->fovY())}),
            "1 5000.5 45");
  EXPECT_EQ(pointsText({translation(camera->worldMatrix())}), "(0 -500 200)");
  const auto& keys = clip(loaded, "Camera01").positionKeys();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(pointsText({keys[1].value}), "(0 100 0)");
}

// The clip's *NODE_TM gives the clip's base and rewrites the file transform;
// the *NODE_NAME inside *TM_ANIMATION does not change the node; meshes and
// materials of clip files are ignored; a node a file does not name plays its
// first clip there, so clip numbers stay aligned.
TEST(AseClipFiles, EachFileIsTheNextClipOfTheNodesItNamesUpToAnUnknownOne) {
  LoadedModel loaded = loadAse(sceneBlock(0, 10) + geom("Cadera", "", "", nodeTmAt("0 0 100")) +
                               geom("Pierna", "", "Cadera", nodeTmAt("0 0 50")) + geom("Pie", "", "Pierna"));
  // Clip 1 stops at Cola, which the model does not have, before Pierna.
  const std::string track = " *TM_ANIMATION {\n  *NODE_NAME \"Pie\"\n  *CONTROL_POS_TRACK { *CONTROL_POS_SAMPLE 320 0 0 120 }\n }\n";
  EXPECT_EQ(loaded.addClip(sceneBlock(0, 4) + materialList({"*MATERIAL_NAME \"Otro\""}) +
                           geom("Cadera", meshBlock({"1 2 3"}, {}) + track, "", nodeTmAt("0 0 110")) + geom("Cola") +
                           geom("Pierna", "", "Cadera", nodeTmAt("0 0 50"))),
            "");
  EXPECT_EQ(loaded.model->root->animationDurations(), (std::vector<uint32_t>{320, 128}));
  const Animation& hip = clip(loaded, "Cadera", 1);
  EXPECT_EQ(pointsText({translation(loaded.find("Cadera")->worldMatrix()), translation(hip.matrix()),
                        hip.positionKeys().at(1).value}),
            "(0 0 110) (0 110 0) (0 0 10)");
  EXPECT_TRUE(loaded.find("Cadera")->vertices().empty() && loaded.model->materials.empty());
  EXPECT_EQ(loaded.find("Pierna")->animator().animationCount(), 1u);
  // Clip 2 names Pierna, which clip 1 left out, and Cadera twice, which fills
  // one clip with the later transform.
  EXPECT_EQ(loaded.addClip(sceneBlock(0, 2) + geom("Pierna", "", "Cadera", nodeTmAt("0 0 60")) +
                           geom("Cadera", "", "", nodeTmAt("0 0 100")) + geom("Cadera", "", "", nodeTmAt("0 0 90"))),
            "");
  const auto& leg = loaded.find("Pierna")->animator();
  ASSERT_TRUE(leg.animationCount() == 3 && loaded.find("Cadera")->animator().animationCount() == 3);
  EXPECT_EQ(leg.animations()[1], leg.animations()[0]);
  // Relative to Cadera's file transform as clip 1 left it: 60 - 110 on file z.
  EXPECT_EQ(pointsText({translation(leg.animations()[2]->matrix()), translation(clip(loaded, "Cadera", 2).matrix())}),
            "(0 0 -50) (0 90 0)");
  // Without a scene block, or without a root, there is no clip.
  EXPECT_EQ(loaded.addClip(geom("Cadera"), "models/sinescena.ASE"),
            "Error: el fichero de animacion no tiene bloque *SCENE; no se anade el clip (fichero "
            "models/sinescena.ASE, linea 11)\n");
  loaded.reader->setRoot(nullptr);
  EXPECT_EQ(loaded.addClip(sceneBlock(0, 4) + geom("Cadera")), "");
  EXPECT_EQ(loaded.find("Cadera")->animator().animationCount(), 3u);
}

// Caja's file points less its position, turned back a quarter (y becomes x),
// with smooth normals, (5, 0, 0) x (0, 2, 0) along +z. N: face lines with
// tabs, without the fields after the corners, with an empty smoothing group,
// and with a list of them and more fields; a listed normal keeps its length,
// and a vertex listed again takes its last normal. A mirror's axes are
// negated, so that its transform is a rotation, and its mesh is read through
// them. ';' merges the seam normals with the parent's: body normal (0, 0, 1),
// arm normal (0, 1, 0), the shared corners average.
TEST(AseMeshBlocks, ListsComeIntoObjectSpaceWithTheirNormals) {
  const std::string listed =
      " *MESH {\n  *MESH_NUMVERTEX 4 *MESH_NUMFACES 3\n"
      "  *MESH_VERTEX_LIST { *MESH_VERTEX 0 0 0 0 *MESH_VERTEX 1 0 1 0 *MESH_VERTEX 2 -1 0 0 *MESH_VERTEX 3 -1 1 0 }\n"
      "  *MESH_FACE_LIST {\n   *MESH_FACE\t0\tA:\t0\tB:\t1\tC:\t2\n"
      "   *MESH_FACE 1: A: 2 B: 1 C: 3 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING *MESH_MTLID 0\n"
      "   *MESH_FACE 2: A: 3 B: 1 C: 0 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 32,7 *MESH_MTLID 17 EXTRA 7 7\n  }\n"
      "  *MESH_NORMALS {\n   *MESH_FACENORMAL 0 0 0 1 *MESH_VERTEXNORMAL 0 0 2 0 *MESH_VERTEXNORMAL 1 1 0 0\n"
      "    *MESH_VERTEXNORMAL 2 0 0 1\n   *MESH_FACENORMAL 1 0 0 1 *MESH_VERTEXNORMAL 2 0 0 -3\n"
      "    *MESH_VERTEXNORMAL 1 0 1 0 *MESH_VERTEXNORMAL 3 0 0 1\n  }\n }\n";
  LoadedModel loaded =
      loadAse(sceneBlock() +
              geom("Caja", meshBlock({"10 0 0", "10 5 0", "8 0 0"}, {{0, 1, 2}}, {"0.25 -0.5 1.5", "2 3 4"}), "",
                   nodeTm("0 1 0", "-1 0 0", "0 0 1", "10 0 0")) +
              geom("N", listed, "", kQuarterTurn) +
              geom("Espejo", triangle("11 22 33", "10 20 30", "10 21 30"), "",
                   nodeTm("-1 0 0", "0 1 0", "0 0 1", "10 20 30")) +
              geom("Cuerpo", triangle("0 0 0", "10 0 0", "0 10 0")) +
              geom(";Brazo", triangle("0 0 0", "0 0 10", "10 0 0"), "Cuerpo"));
  EXPECT_EQ(loaded.output, "");
  const auto box = loaded.find("Caja");
  EXPECT_EQ(pointsText(box->vertices()), "(0 0 0) (5 0 0) (0 2 0)");
  EXPECT_EQ(pointsText(box->normals()), "(0 0 1) (0 0 1) (0 0 1)");
  EXPECT_EQ(pointsText(box->texCoords()), "(0.25 -0.5 1.5) (2 3 4)");
  EXPECT_EQ(loaded.find("N")->faces(), (std::vector<Face>{{0, 1, 2}, {2, 1, 3}, {3, 1, 0}}));
  EXPECT_EQ(pointsText(loaded.find("N")->normals()), "(2 0 0) (1 0 0) (0 0 -3) (0 0 1)");
  const auto mirror = loaded.find("Espejo");
  expectNear(mirror->worldMatrix(), Matrix(1, 0, 0, 0, -1, 0, 0, 0, -1, 10, 20, 30), 0);
  EXPECT_EQ(pointsText({mirror->vertices()[0]}), "(1 -2 -3)");
  expectNear(mirror->animationMatrix(0), Matrix(1, 0, 0, 0, 0, 1, 0, -1, 0, 10, 30, -20));
  EXPECT_EQ(pointsText(loaded.find("Cuerpo")->normals()), "(0 0.7071 0.7071) (0 0.7071 0.7071) (0 0 1)");
  EXPECT_EQ(pointsText(loaded.find(";Brazo")->normals()), "(0 0.7071 0.7071) (0 1 0) (0 0.7071 0.7071)");
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

// Five bones B1..B5 at the origin and a skin of five vertices on them.
TEST(AseSkin, FourLargestWeightsStayAndTheRestIsSpreadOverThem) {
  std::string text = sceneBlock(), names;
  for (int i = 1; i <= 5; ++i) {
    text += objectBlock("*BONEOBJECT", "B" + std::to_string(i));
    names += " *BONE_NAME \"B" + std::to_string(i) + "\"";
  }
  LoadedModel loaded = loadAse(
      text + objectBlock("*GEOMOBJECTWITHBONES", "Piel",
                         meshBlock({"0 0 0", "1 0 0", "0 1 0", "1 1 0", "2 2 0"}, {{0, 1, 2}}) +
                             " *SKIN_DATA {\n  *SKIN_INFO {" + names + " }\n  *SKIN_TABLE {\n"
                             "   *BONE_WEIGHT 0 5 0.5 0.3 0.1 0.06 0.04\n"  // fifth smaller: spread
                             "   *BONE_WEIGHT 1 5 0.1 0.2 0.3 0.05 0.4\n"   // fifth larger: replaces the smallest
                             "   *BONE_WEIGHT 2 5 0.2 0.1 0.1 0.3 0.15\n"   // ties: the earlier slot goes
                             "   *BONE_WEIGHT 3 5 0 0 0 0 0\n"              // no weight: follows the skin
                             "   *BONE_WEIGHT 4 5 0 0.75 0 0.25 0\n  }\n }\n"));
  const auto skin = loaded.find<SkinnedObject>("Piel");
  ASSERT_TRUE(skin);
  ASSERT_EQ(skin->bones().size(), 6u);
  EXPECT_TRUE(skin->bones()[0] == skin.get() && skin->bones()[3] == loaded.find<BoneObject>("B3").get());
  EXPECT_EQ(slots(*skin), "1:0.51 2:0.31 3:0.11 4:0.07 \n1:0.1125 2:0.2125 3:0.3125 5:0.4125 \n"
                         "1:0.225 5:0.175 3:0.125 4:0.325 \n0:1 \n2:0.75 4:0.25 \n");
  // One warning for each vertex that had more than four bones.
  EXPECT_EQ(lineCount(loaded.output), 3u);
  EXPECT_NE(loaded.output.find("WARNING!!: El v\xE9rtice2 tiene asociados m\xE1s de 4 bones \n"), std::string::npos);
}

// Keys as text, each "frame(x y z)", or "frame(x y z w)" for a turn.
template <class Keys>
std::string keysText(const Keys& keys) {
  std::string text;
  for (const auto& key : keys) {
    std::vector<float> values = {key.value.x, key.value.y, key.value.z};
    if constexpr (requires { key.value.w; }) values.push_back(key.value.w);
    text += std::to_string(key.frame) + "(" + numbersText(values) + ") ";
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
  EXPECT_EQ(keysText(clip(loaded, "Caja").positionKeys()), "0(0 0 0) 1(1 0 0) 3(0 2 0) ");
  EXPECT_EQ(keysText(clip(loaded, "Hijo").positionKeys()), "0(0 0 0) 1(0 0 5) ");
  // A quarter turn about z, half angle -45 degrees; two are half a turn.
  EXPECT_EQ(keysText(clip(loaded, "Caja").rotationKeys()), "0(0 0 0 1) 0(0 0 -0.7071 0.7071) 2(0 0 -1 0) ");
  // File y is the quarter-turned object's x.
  EXPECT_EQ(keysText(clip(loaded, "Girada").rotationKeys()), "0(0 0 0 1) 1(-0.7071 0 0 0.7071) ");
}

}  // namespace
