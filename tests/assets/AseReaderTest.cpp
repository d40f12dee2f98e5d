// The model reader's top level: the scene block and its clip, files on disk,
// materials with their shader names and textures, object names, parents and
// transforms, skipped blocks, cameras and clip files.

#include <gtest/gtest.h>

#include "support/ModelText.h"
#include "assets/AseReader.h"
#include "engine/BillboardObject.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "engine/ToonMaterial.h"
#include "support/TempDirectory.h"

namespace {

const Animation& clip(const LoadedModel& loaded, const std::string& node, size_t index = 0) {
  return *loaded.find(node)->animator().animations().at(index);
}

// A model file and a clip file on disk: ticks at 192 a frame are 38.4 ms,
// truncated; a clip file that is not there says so and adds nothing; a
// model file that is not there gives an empty model named by its path,
// silently.
TEST(AseReaderFiles, ModelAndClipFilesAreReadFromTheirPaths) {
  TempDirectory folder;
  const std::string model = folder.write("models/Pj/normal.ASZ", sceneBlock(5, 14, 192) + geom("Cadera")).string();
  folder.write("models/Pj/golpe.ASZ", sceneBlock(0, 30) + geom("Cadera"));
  const std::string clip1 = (folder.path() / "models/Pj/golpe.ASZ").string(), none = (folder.path() / "nada").string();
  LoadedModel loaded = loadAse("", model, true, {clip1, none});
  EXPECT_EQ(loaded.output, "Error: no se puede abrir el fichero de animacion " + none + "\n");
  EXPECT_EQ(loaded.reader->directory(), (folder.path() / "models" / "Pj").string() + "/");
  EXPECT_EQ(loaded.model->root->animationDurations(), (std::vector<uint32_t>{38 * 9, 960}));
  EXPECT_EQ(std::to_string(clip(loaded, "Cadera").frameCount()) + " x " + std::to_string(clip(loaded, "Cadera").msPerFrame()),
            "10 x 38");
  EXPECT_EQ(loaded.reader->frameCount(), 31);

  // Without a texture factory the reader only records the textures.
  AseReader missing(none);
  testing::internal::CaptureStdout();
  const std::shared_ptr<Model> empty = missing.load();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(empty->root->children().empty() && empty->materials.empty());
  EXPECT_EQ(empty->root->name(), none);
}

// Brackets pick the shader, "[cartoon]" a toon material; refs join objects
// to materials; every map block gives a texture, even one without a bitmap,
// beside the model whatever the path the artist's machine gave it.
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
  EXPECT_EQ(pointsText({materials[2]->diffuse()}), "(0.7 0.7 0.7)");
  EXPECT_EQ(*materials[1]->objects(), (SceneObjectList{loaded.find("Caja")}));
  EXPECT_EQ(loaded.find("Caja")->material(), materials[1]);
  EXPECT_TRUE(materials[0]->objects()->empty() && materials[4]->hasTexture());
  EXPECT_EQ(loaded.textures->paths(),
            (std::vector<std::string>{"models/stadium/cesped.tga", "models/stadium/red.bmp", "models/stadium/"}));
  EXPECT_EQ(materials[1]->texture()->path(), "models/stadium/cesped.tga");
  EXPECT_EQ(loadAse(text, "pista.ASE").textures->paths()[1], "./red.bmp");
  EXPECT_EQ(loadAse(text, "models\\birdy\\b.ASE").textures->paths()[0], "models\\birdy\\cesped.tga");
}

// Blocks without a rule are skipped whole at the top level and in objects,
// and (vertex colours, mapping channels, controllers of other kinds) inside
// a mesh and an animation, so that the normals, the tracks and the object's
// material after them still count. In a material list the rule of the
// game's own files holds: material 0 ends at the inner "}", its own "}" ends
// the list, and material 1 is then a block without a rule at the top level.
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
  expectNear(box->normals()[0], Vector3(1, 0, 0));
  EXPECT_EQ(clip(loaded, "Caja").rotationKeys().size(), 2u);
}

// A parent turned 90 degrees about file Z and moved, a child turned about
// file X, scaled and moved, a grandchild, a turned bone, a mirror, and
// nodes whose names need care.
TEST(AseReaderObjects, NamesParentsAndTransforms) {
  const Matrix childTm(2, 0, 0, 0, 0, 2, 0, -2, 0, 100, 30, 60);
  const Matrix grandchildTm(0, 0, -2, 0, 2, 0, 2, 0, 0, 90, 35, 70);
  LoadedModel loaded =
      loadAse(sceneBlock() + geom("Padre", "", "", nodeTm("0 1 0", "-1 0 0", "0 0 1", "100 0 50")) +
              geom("Hijo", "", "Padre", nodeTm("2 0 0", "0 0 2", "0 -2 0", "100 30 60")) +
              geom("Nieto", "", "Hijo", nodeTm("0 0 -2", "0 2 0", "2 0 0", "90 35 70")) +
              objectBlock("*BONEOBJECT", "Hueso", "", "", nodeTm("0 1 0", "-1 0 0", "0 0 1", "5 6 7")) +
              geom("Espejo", triangle("11 22 33", "10 20 30", "10 21 30"), "",
                   nodeTm("-1 0 0", "0 1 0", "0 0 1", "10 20 30")) +
              geom("Bip01  R   Zeh0Nub", "", "Padre") + geom("&Polvo", "", "Padre") + geom("Huerfano", "", "Nadie"));
  EXPECT_EQ(loaded.output, "Error: el objeto Huerfano no encuentra a su padre \n");
  const auto parent = loaded.find("Padre");
  const auto child = loaded.find("Hijo");
  const auto grandchild = loaded.find("Nieto");
  const auto bone = loaded.find<BoneObject>("Hueso");
  const auto mirror = loaded.find("Espejo");
  ASSERT_TRUE(parent && child && grandchild && bone && mirror);
  expectNear(child->worldMatrix(), childTm, 0);
  expectNear(multiply(child->animationMatrix(0), parent->worldMatrix()), childTm);
  expectNear(multiply(grandchild->animationMatrix(0), child->worldMatrix()), grandchildTm);
  expectNear(parent->animationMatrix(0), multiply(Matrix(0, 1, 0, -1, 0, 0, 0, 0, 1, 100, 0, 50), kFileToGame));
  // A bone's pivot undoes its file transform.
  expectNear(transformPoint(Vector3(5, 6, 7), bone->pivot()), Vector3(0, 0, 0));
  expectNear(multiply(bone->pivot(), bone->worldMatrix()), Matrix());
  // The mirror's axes are negated, and its mesh is read through them.
  expectNear(mirror->worldMatrix(), Matrix(1, 0, 0, 0, -1, 0, 0, 0, -1, 10, 20, 30), 0);
  expectNear(mirror->vertices()[0], Vector3(1, -2, -3));
  expectNear(mirror->animationMatrix(0), Matrix(1, 0, 0, 0, 0, 1, 0, -1, 0, 10, 30, -20));

  // Runs of blanks in a name read as one; '&' makes a billboard that keeps
  // its '&', its place and its clip; a missing parent leaves the root's.
  EXPECT_EQ(loaded.find("Bip01 R Zeh0Nub")->parent(), parent.get());
  const auto dust = loaded.find<BillboardObject>("&Polvo");
  ASSERT_TRUE(dust);
  EXPECT_EQ(dust->parent(), parent.get());
  EXPECT_EQ(dust->animator().animationCount(), 1u);
  EXPECT_FALSE(loaded.find<BillboardObject>("Padre"));
  EXPECT_EQ(loaded.find("Huerfano")->parent(), loaded.model->root.get());

  // Posed at rest, every node shows its file transform in the game's space.
  loaded.model->root->updateTree(0, Matrix(), 0);
  expectNear(grandchild->worldMatrix(), multiply(grandchildTm, kFileToGame));
}

TEST(AseReaderCameras, CameraSettingsAndTheTargetsSecondBlocks) {
  // The camera's parent is missing (silently), its second *NODE_TM and
  // *TM_ANIMATION are its target's.
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
  EXPECT_EQ(loaded.model->objects, (std::vector<std::shared_ptr<SceneObject>>{camera}));
  EXPECT_EQ(camera->parent(), loaded.model->root.get());
  EXPECT_EQ(camera->target().lock(), loaded.model->root);
  EXPECT_EQ(numbersText({static_cast<float>(camera->nearPlane()), static_cast<float>(camera->farPlane()),
                         static_cast<float>(camera->fovY())}),
            "1 5000.5 45");
  EXPECT_EQ(pointsText({translation(camera->worldMatrix())}), "(0 -500 200)");
  const auto& keys = clip(loaded, "Camera01").positionKeys();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(pointsText({keys[1].value}), "(0 100 0)");
}

// Cadera at the top, Pierna below it, Pie below that.
LoadedModel threeObjects() {
  return loadAse(sceneBlock(0, 10) + geom("Cadera", "", "", nodeTmAt("0 0 100")) +
                 geom("Pierna", "", "Cadera", nodeTmAt("0 0 50")) + geom("Pie", "", "Pierna"));
}

// The clip's *NODE_TM gives the clip's base and rewrites the file transform;
// the *NODE_NAME inside *TM_ANIMATION does not change the node; meshes and
// materials of clip files are ignored; a node a file does not name plays its
// first clip there, so clip numbers stay aligned.
TEST(AseClipFiles, EachFileIsTheNextClipOfTheNodesItNamesUpToAnUnknownOne) {
  LoadedModel loaded = threeObjects();
  // Clip 1 stops at Cola, which the model does not have, before Pierna.
  const std::string track = " *TM_ANIMATION {\n  *NODE_NAME \"Pie\"\n  *CONTROL_POS_TRACK { *CONTROL_POS_SAMPLE 320 0 0 120 }\n }\n";
  EXPECT_EQ(loaded.addClip(sceneBlock(0, 4) + materialList({"*MATERIAL_NAME \"Otro\""}) +
                           geom("Cadera", meshBlock({"1 2 3"}, {}) + track, "", nodeTmAt("0 0 110")) + geom("Cola") +
                           geom("Pierna", "", "Cadera", nodeTmAt("0 0 50"))),
            "");
  const auto hip = loaded.find("Cadera");
  EXPECT_EQ(loaded.model->root->animationDurations(), (std::vector<uint32_t>{320, 128}));
  EXPECT_EQ(clip(loaded, "Cadera", 1).frameCount(), 5u);
  EXPECT_EQ(pointsText({translation(hip->worldMatrix()), translation(clip(loaded, "Cadera", 1).matrix())}),
            "(0 0 110) (0 110 0)");
  EXPECT_EQ(pointsText({clip(loaded, "Cadera", 1).positionKeys().at(1).value}), "(0 0 10)");
  EXPECT_TRUE(hip->vertices().empty() && loaded.model->materials.empty());
  EXPECT_EQ(loaded.find("Pierna")->animator().animationCount(), 1u);
  // Clip 2 names Pierna, which clip 1 left out, and names Cadera twice.
  EXPECT_EQ(loaded.addClip(sceneBlock(0, 2) + geom("Pierna", "", "Cadera", nodeTmAt("0 0 60")) +
                           geom("Cadera", "", "", nodeTmAt("0 0 100")) + geom("Cadera", "", "", nodeTmAt("0 0 90"))),
            "");
  const auto& leg = loaded.find("Pierna")->animator();
  ASSERT_EQ(leg.animationCount(), 3u);
  // Pierna's clip 1 is its clip 0; its clip 2 is the one this file gave,
  // relative to Cadera's file transform as clip 1 left it: 60 - 110 on file z.
  EXPECT_EQ(leg.animations()[1], leg.animations()[0]);
  EXPECT_EQ(leg.animations()[2]->frameCount(), 3u);
  expectNear(translation(leg.animations()[2]->matrix()), Vector3(0, 0, -50));
  // Cadera named twice fills one clip, with the later transform.
  ASSERT_EQ(loaded.find("Cadera")->animator().animationCount(), 3u);
  expectNear(translation(clip(loaded, "Cadera", 2).matrix()), Vector3(0, 90, 0));

  // Without a scene block, or without a root, there is no clip.
  const std::string noScene = geom("Cadera");
  EXPECT_EQ(loaded.addClip(noScene, "models/sinescena.ASE"),
            "Error: el fichero de animacion no tiene bloque *SCENE; no se anade el clip (fichero "
            "models/sinescena.ASE, linea 11)\n");
  loaded.reader->setRoot(nullptr);
  EXPECT_EQ(loaded.addClip(sceneBlock(0, 4) + noScene), "");
  EXPECT_EQ(loaded.model->root->animationCount(), 3u);
  EXPECT_EQ(loaded.find("Cadera")->animator().animationCount(), 3u);
}

}  // namespace
