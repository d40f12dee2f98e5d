// The model reader's top level: the scene block and its clip, files on disk,
// materials with their shader names and textures, object names, parents and
// transforms, skipped blocks, cameras, and the hooks of the entity builders.

#include <gtest/gtest.h>

#include <cmath>

#include "AseTestSupport.h"
#include "assets/AseReader.h"
#include "engine/BillboardObject.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "engine/ToonMaterial.h"
#include "support/TempDirectory.h"

namespace {

TEST(AseReaderScene, TicksAndFramesGiveTheClipAndEveryObjectsTiming) {
  // 160 ticks a frame are 32 ms; 192 ticks are 38.4 ms, truncated.
  const struct {
    int first, last, ticks;
    uint32_t duration, frames, msPerFrame;
  } scenes[] = {{0, 30, 160, 960, 31, 32}, {5, 14, 192, 38 * 9, 10, 38}};
  for (const auto& s : scenes) {
    SCOPED_TRACE(s.ticks);
    LoadedModel loaded = loadAse(sceneBlock(s.first, s.last, s.ticks) + geom("Caja"));
    EXPECT_EQ(loaded.output, "");
    EXPECT_EQ(loaded.model->root->animationDurations(), std::vector<uint32_t>{s.duration});
    EXPECT_EQ(loaded.reader->frameCount(), static_cast<int>(s.frames));
    const auto& clip = loaded.find("Caja")->animator().animations().at(0);
    EXPECT_EQ(clip->frameCount(), s.frames);
    EXPECT_EQ(clip->msPerFrame(), s.msPerFrame);
  }
}

TEST(AseReaderFiles, FilesAreFoundByThePathAndMissingOnesAreHarmless) {
  TempDirectory folder;
  AseReader reader(folder.write("models/Pj/normal.ASZ", sceneBlock() + geom("Cadera")).string());
  testing::internal::CaptureStdout();
  const std::shared_ptr<Model> loaded = reader.load();
  // A clip file that is not there says so and adds nothing.
  reader.loadAnimation((folder.path() / "nada.ASZ").string());
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(lineCount(output), 1u);
  EXPECT_TRUE(contains(output, "no se puede abrir el fichero de animacion")) << output;
  EXPECT_EQ(reader.directory(), (folder.path() / "models" / "Pj").string() + "/");
  EXPECT_TRUE(loaded->root->findNode("Cadera"));
  EXPECT_EQ(loaded->root->animationCount(), 1u);

  // A model file that is not there gives an empty model named by its path,
  // silently.
  AseReader missing((folder.path() / "nada.ASE").string());
  testing::internal::CaptureStdout();
  const std::shared_ptr<Model> empty = missing.load();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(empty->root->children().empty());
  EXPECT_TRUE(empty->materials.empty());
  EXPECT_TRUE(empty->objects.empty());
  EXPECT_EQ(empty->root->name(), (folder.path() / "nada.ASE").string());
}

TEST(AseReaderMaterials, BracketsPickTheShaderAndRefsJoinObjectsToMaterials) {
  LoadedModel loaded = loadAse(
      sceneBlock() +
      materialList({"*MATERIAL_NAME \"[cartoon] Piel\" *MATERIAL_CLASS \"Standard\" *MATERIAL_AMBIENT 0.1 0.2 0.3\n"
                    "  *MATERIAL_DIFFUSE 0.4 0.5 0.6 *MATERIAL_SPECULAR 0.9 0.8 0.7 *MATERIAL_SHINE 0.1",
                    "*MATERIAL_NAME \"Camiseta  [cartoon]\"", "*MATERIAL_NAME \"Metal\"",
                    "*MATERIAL_NAME \"Cristal [brillo]\""}) +
      geom("Caja", " *MATERIAL_REF 1\n"));
  EXPECT_EQ(loaded.output, "");
  const auto& materials = loaded.model->materials;
  ASSERT_EQ(materials.size(), 4u);
  EXPECT_TRUE(std::dynamic_pointer_cast<ToonMaterial>(materials[0]));
  EXPECT_EQ(materials[0]->name(), "[cartoon] Piel");
  expectNear(materials[0]->ambient(), Vector3(0.1f, 0.2f, 0.3f), 0);
  expectNear(materials[0]->diffuse(), Vector3(0.4f, 0.5f, 0.6f), 0);
  expectNear(materials[0]->specular(), Vector3(0.9f, 0.8f, 0.7f), 0);
  EXPECT_TRUE(std::dynamic_pointer_cast<ToonMaterial>(materials[1]));
  EXPECT_EQ(materials[1]->name(), "Camiseta [cartoon]");
  EXPECT_FALSE(std::dynamic_pointer_cast<ToonMaterial>(materials[2]));
  EXPECT_EQ(materials[2]->shaderProgram(), 0u);
  EXPECT_FALSE(materials[2]->hasTexture());
  expectNear(materials[2]->diffuse(), Vector3(0.7f, 0.7f, 0.7f), 0);
  EXPECT_FALSE(std::dynamic_pointer_cast<ToonMaterial>(materials[3]));
  EXPECT_EQ(materials[3]->name(), "Cristal [brillo]");

  const auto box = loaded.find("Caja");
  EXPECT_EQ(box->material(), materials[1]);
  ASSERT_EQ(materials[1]->objects()->size(), 1u);
  EXPECT_EQ(materials[1]->objects()->front(), box);
  EXPECT_TRUE(materials[0]->objects()->empty());
}

TEST(AseReaderMaterials, BitmapIsLookedForBesideTheModel) {
  const std::string materials =
      materialList({"*MATERIAL_NAME \"Cesped\" *MAP_DIFFUSE { *MAP_NAME \"Map #1\" *MAP_CLASS \"Bitmap\"\n"
                    "   *BITMAP \"C:\\3dsmax\\maps\\Pista\\cesped.tga\" *UVW_U_OFFSET 0.0 }",
                    "*MATERIAL_NAME \"Red\" *MAP_DIFFUSE { *BITMAP \"red.bmp\" }",
                    "*MATERIAL_NAME \"Vacio\" *MAP_DIFFUSE { *MAP_AMOUNT 1.0 }"});
  LoadedModel stadium = loadAse(sceneBlock() + materials, "models/stadium/pista.ASZ");
  EXPECT_EQ(stadium.textures->paths(),
            (std::vector<std::string>{"models/stadium/cesped.tga", "models/stadium/red.bmp", "models/stadium/"}));
  ASSERT_EQ(stadium.model->materials.size(), 3u);
  EXPECT_EQ(stadium.model->materials[0]->texture()->path(), "models/stadium/cesped.tga");
  // Every map block gives a texture, even one without a bitmap.
  EXPECT_TRUE(stadium.model->materials[2]->hasTexture());

  LoadedModel bare = loadAse(sceneBlock() + materials, "pista.ASE");
  EXPECT_EQ(bare.textures->paths(), (std::vector<std::string>{"./cesped.tga", "./red.bmp", "./"}));
  LoadedModel windows = loadAse(sceneBlock() + materials, "models\\birdy\\birdy.ASE");
  EXPECT_EQ(windows.textures->paths()[0], "models\\birdy\\cesped.tga");
}

TEST(AseReaderObjects, BlocksWithoutARuleAreSkippedWholeOnlyAtTheTopAndInObjects) {
  LoadedModel loaded = loadAse(
      sceneBlock() +
      // Material 0 ends at the inner "}", its own "}" ends the list, and
      // material 1 is then a block without a rule at the top level.
      materialList({"*MATERIAL_NAME \"A\" *MATERIAL_XP { 1 } *MATERIAL_DIFFUSE 1 0 0", "*MATERIAL_NAME \"B\""}) +
      "*HELPEROBJECT {\n *NODE_NAME \"Dummy01\"\n *NODE_TM { *TM_ROW0 1 0 0 }\n *BOUNDINGBOX_MIN -1 -1 -1\n}\n"
      "{ *GEOMOBJECT { *NODE_NAME \"Escondido\" } }\n" +
      geom("Caja", " *IK_JOINT {\n  *IK_X { *IK_LIMITED 1 }\n  *NODE_NAME \"Mal\"\n }\n *MATERIAL_REF 0\n"));
  EXPECT_EQ(loaded.output, "");
  ASSERT_EQ(loaded.model->materials.size(), 1u);
  EXPECT_EQ(loaded.model->materials[0]->name(), "A");
  expectNear(loaded.model->materials[0]->diffuse(), Vector3(0.7f, 0.7f, 0.7f), 0);
  EXPECT_FALSE(loaded.find("Dummy01"));
  EXPECT_FALSE(loaded.find("Escondido"));
  ASSERT_TRUE(loaded.find("Caja"));
  EXPECT_EQ(loaded.find("Caja")->material(), loaded.model->materials[0]);
  EXPECT_EQ(loaded.model->root->children().size(), 1u);
}

// Vertex colours and controllers of other kinds are blocks without a rule
// inside a mesh and an animation: they are skipped whole, so the normals
// after them, the tracks after them and the object's material still count.
TEST(AseReaderObjects, BlocksWithoutARuleInMeshesAndAnimationsAreSkippedWhole) {
  const std::string colours =
      "  *MESH_NUMCVERTEX 1\n  *MESH_CVERTLIST {\n   *MESH_VERTCOL 0 1.0 0.5 0.25\n  }\n"
      "  *MESH_NUMCVFACES 1\n  *MESH_CFACELIST {\n   *MESH_CFACE 0 0 0 0\n  }\n"
      "  *MESH_MAPPINGCHANNEL 2 {\n   *MESH_NUMTVERTEX 1\n   *MESH_TVERTLIST {\n    *MESH_TVERT 0 0 0 0\n   }\n  }\n";
  const std::string normals =
      "  *MESH_NORMALS {\n   *MESH_FACENORMAL 0 0 0 1\n   *MESH_VERTEXNORMAL 0 1 0 0\n"
      "   *MESH_VERTEXNORMAL 1 0 0 1\n   *MESH_VERTEXNORMAL 2 0 0 1\n  }\n";
  const std::string tracks =
      " *TM_ANIMATION {\n  *NODE_NAME \"Caja\"\n"
      "  *CONTROL_POS_BEZIER {\n   *CONTROL_BEZIER_POS_KEY 0 0 0 0 0 0 0 0 0 0 0\n  }\n"
      "  *CONTROL_ROT_TRACK {\n   *CONTROL_ROT_SAMPLE 160 0 0 1 0.5\n  }\n }\n";
  LoadedModel loaded =
      loadAse(sceneBlock() + materialList({"*MATERIAL_NAME \"A\""}) +
              geom("Caja", meshBlock({"0 0 0", "1 0 0", "0 1 0"}, {{0, 1, 2}}, {}, {}, colours + normals) + tracks +
                               " *MATERIAL_REF 0\n"));
  EXPECT_EQ(loaded.output, "");
  const auto box = loaded.find("Caja");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->material(), loaded.model->materials[0]);
  ASSERT_EQ(box->normals().size(), 3u);
  expectNear(box->normals()[0], Vector3(1, 0, 0));
  EXPECT_EQ(box->animator().animations()[0]->rotationKeys().size(), 2u);
  EXPECT_EQ(loaded.model->root->children().size(), 1u);
}

TEST(AseReaderObjects, NamesParentsAndBillboards) {
  LoadedModel loaded = loadAse(sceneBlock() + geom("Padre") + geom("Bip01  R   Zeh0Nub", "", "Padre") +
                               geom("&Polvo", "", "Padre") + geom("Huerfano", "", "Nadie"));
  EXPECT_EQ(loaded.output, "Error: el objeto Huerfano no encuentra a su padre \n");
  const auto parent = loaded.find("Padre");
  // Runs of blanks in a name read as one.
  const auto child = loaded.find("Bip01 R Zeh0Nub");
  ASSERT_TRUE(parent && child);
  EXPECT_FALSE(loaded.find("Bip01  R   Zeh0Nub"));
  EXPECT_EQ(child->parent(), parent.get());
  EXPECT_EQ(loaded.find("Huerfano")->parent(), loaded.model->root.get());
  EXPECT_EQ(loaded.model->root->children().size(), 2u);
  // '&' makes a billboard that keeps its '&', its place and its clip.
  const auto dust = loaded.find<BillboardObject>("&Polvo");
  ASSERT_TRUE(dust);
  EXPECT_EQ(dust->parent(), parent.get());
  EXPECT_EQ(dust->animator().animationCount(), 1u);
  EXPECT_FALSE(loaded.find<BillboardObject>("Padre"));
}

TEST(AseReaderTransforms, MirroredNodesAreTurnedBackAndTheTopGetsTheAxisChange) {
  LoadedModel loaded = loadAse(
      sceneBlock() + geom("Caja") +
      geom("Espejo", triangle("11 22 33", "10 20 30", "10 21 30"), "", nodeTm("-1 0 0", "0 1 0", "0 0 1", "10 20 30")));
  const auto box = loaded.find("Caja");
  const auto mirror = loaded.find("Espejo");
  ASSERT_TRUE(box && mirror);
  expectNear(box->worldMatrix(), Matrix(), 0);
  expectNear(box->animationMatrix(0), kFileToGame, 0);
  expectNear(transformPoint(Vector3(0, 0, 1), box->animationMatrix(0)), Vector3(0, 1, 0), 0);

  expectNear(mirror->worldMatrix(), Matrix(1, 0, 0, 0, -1, 0, 0, 0, -1, 10, 20, 30), 0);
  // The mesh is read through the corrected transform.
  expectNear(mirror->vertices()[0], Vector3(1, -2, -3));
  expectNear(transformPoint(mirror->vertices()[0], mirror->worldMatrix()), Vector3(11, 22, 33));
  expectNear(mirror->animationMatrix(0), Matrix(1, 0, 0, 0, 0, 1, 0, -1, 0, 10, 30, -20));
}

TEST(AseReaderTransforms, ChildLocalTimesParentIsTheFileTransform) {
  // A parent turned 90 degrees about file Z and moved, a child turned about
  // file X, scaled and moved, a grandchild, and a turned bone.
  const Matrix parentTm(0, 1, 0, -1, 0, 0, 0, 0, 1, 100, 0, 50);
  const Matrix childTm(2, 0, 0, 0, 0, 2, 0, -2, 0, 100, 30, 60);
  const Matrix grandchildTm(0, 0, -2, 0, 2, 0, 2, 0, 0, 90, 35, 70);
  LoadedModel loaded =
      loadAse(sceneBlock() + geom("Padre", "", "", nodeTm("0 1 0", "-1 0 0", "0 0 1", "100 0 50")) +
              geom("Hijo", "", "Padre", nodeTm("2 0 0", "0 0 2", "0 -2 0", "100 30 60")) +
              geom("Nieto", "", "Hijo", nodeTm("0 0 -2", "0 2 0", "2 0 0", "90 35 70")) +
              objectBlock("*BONEOBJECT", "Hueso", "", "", nodeTm("0 1 0", "-1 0 0", "0 0 1", "5 6 7")));
  const auto parent = loaded.find("Padre");
  const auto child = loaded.find("Hijo");
  const auto grandchild = loaded.find("Nieto");
  const auto bone = loaded.find<BoneObject>("Hueso");
  ASSERT_TRUE(parent && child && grandchild && bone);
  expectNear(child->worldMatrix(), childTm, 0);
  expectNear(multiply(child->animationMatrix(0), parent->worldMatrix()), childTm);
  expectNear(multiply(grandchild->animationMatrix(0), child->worldMatrix()), grandchildTm);
  // A bone's pivot undoes its file transform.
  expectNear(multiply(bone->pivot(), bone->worldMatrix()), Matrix());
  expectNear(transformPoint(Vector3(5, 6, 7), bone->pivot()), Vector3(0, 0, 0));

  // Posed at rest, every node shows its file transform in the game's space.
  loaded.model->root->updateTree(0, Matrix(), 0);
  expectNear(parent->worldMatrix(), multiply(parentTm, kFileToGame));
  expectNear(child->worldMatrix(), multiply(childTm, kFileToGame));
  expectNear(grandchild->worldMatrix(), multiply(grandchildTm, kFileToGame));
}

TEST(AseReaderObjects, SemicolonMergesSeamNormalsWithTheParent) {
  LoadedModel loaded = loadAse(sceneBlock() + geom("Cuerpo", triangle("0 0 0", "10 0 0", "0 10 0")) +
                               geom(";Brazo", triangle("0 0 0", "0 0 10", "10 0 0"), "Cuerpo"));
  const auto body = loaded.find("Cuerpo");
  const auto arm = loaded.find(";Brazo");
  ASSERT_TRUE(body && arm);
  const float h = std::sqrt(0.5f);
  // Body normal (0, 0, 1), arm normal (0, 1, 0): the shared corners average.
  expectNear(body->normals()[0], Vector3(0, h, h));
  expectNear(body->normals()[1], Vector3(0, h, h));
  expectNear(body->normals()[2], Vector3(0, 0, 1));
  expectNear(arm->normals()[0], Vector3(0, h, h));
  expectNear(arm->normals()[1], Vector3(0, 1, 0));
  expectNear(arm->normals()[2], Vector3(0, h, h));
}

TEST(AseReaderObjects, OnlyTexturedObjectsGetOneIndexPerVertex) {
  // Vertex 0 is used with texture coordinates 0 and 4.
  const std::string mesh = meshBlock({"0 0 0", "1 0 0", "1 1 0", "0 1 0"}, {{0, 1, 2}, {0, 2, 3}},
                                     {"0 0 0", "1 0 0", "1 1 0", "0 1 0", "0.5 0.5 0"}, {{0, 1, 2}, {4, 2, 3}});
  LoadedModel loaded = loadAse(
      sceneBlock() +
      materialList({"*MATERIAL_NAME \"Liso\"", "*MATERIAL_NAME \"Tela\" *MAP_DIFFUSE { *BITMAP \"tela.tga\" }"}) +
      geom("Lisa", mesh + " *MATERIAL_REF 0\n") + geom("Tela", mesh + " *MATERIAL_REF 1\n"));
  EXPECT_EQ(loaded.output, "");
  const auto plain = loaded.find("Lisa");
  const auto cloth = loaded.find("Tela");
  ASSERT_TRUE(plain && cloth);
  EXPECT_EQ(plain->vertices().size(), 4u);
  EXPECT_EQ(plain->texCoords().size(), 5u);
  EXPECT_EQ(plain->texFaces().size(), 2u);
  EXPECT_EQ(cloth->vertices().size(), 5u);
  EXPECT_EQ(cloth->texCoords().size(), 5u);
  EXPECT_EQ(cloth->normals().size(), 5u);
  EXPECT_TRUE(cloth->texFaces().empty());
  EXPECT_EQ(cloth->faces()[1], Face(4, 2, 3));
  expectNear(cloth->texCoords()[4], Vector3(0.5f, 0.5f, 0));
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
  EXPECT_FALSE(loaded.find("Camera01.Target"));
  EXPECT_EQ(loaded.model->objects, (std::vector<std::shared_ptr<SceneObject>>{camera}));
  EXPECT_EQ(camera->parent(), loaded.model->root.get());
  EXPECT_EQ(camera->target().lock(), loaded.model->root);
  EXPECT_EQ(camera->nearPlane(), 1.0);
  EXPECT_EQ(camera->farPlane(), 5000.5f);
  EXPECT_NEAR(camera->fovY(), 45.0, 1e-4);
  // The first transform and track are the camera's own.
  expectNear(translation(camera->worldMatrix()), Vector3(0, -500, 200), 0);
  const auto& keys = camera->animator().animations()[0]->positionKeys();
  ASSERT_EQ(keys.size(), 2u);
  expectNear(keys[1].value, Vector3(0, 100, 0));
}

// A builder that makes its own object kind for some node names.
class HolderNode : public SceneObject {};

class HolderReader : public AseReader {
 public:
  using AseReader::AseReader;

 protected:
  std::string readNodeName(AseTokenizer& tokens, std::shared_ptr<SceneObject>& object) override {
    std::string name = AseReader::readNodeName(tokens, object);
    if (name.rfind("Holder", 0) == 0) object = std::make_shared<HolderNode>();
    return name;
  }
};

TEST(AseReaderHooks, BuildersChooseTheRootAndTheObjects) {
  HolderReader reader("models/intro.ASE");
  auto group = std::make_shared<AnimatedGroup>("Jugador");
  reader.setRoot(group);
  testing::internal::CaptureStdout();
  const auto model = reader.loadText(sceneBlock() + geom("Holder[0]") + geom("Caja", "", "Holder[0]"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(model->root, group);
  const auto holder = std::dynamic_pointer_cast<HolderNode>(group->findNode("Holder[0]"));
  ASSERT_TRUE(holder);
  EXPECT_EQ(holder->animator().animationCount(), 1u);
  EXPECT_EQ(group->findNode("Caja")->parent(), holder.get());
}

}  // namespace
