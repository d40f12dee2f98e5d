// The model reader's top level: the scene block and its clip, materials and
// their shader names and textures, the object blocks with their names,
// parents and transforms, skipped blocks, cameras, and the hooks of the
// entity builders.

#include "assets/AseReader.h"

#include <gtest/gtest.h>

#include <cmath>

#include "AseTestSupport.h"
#include "engine/BillboardObject.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "engine/ToonMaterial.h"
#include "support/TempDirectory.h"

namespace {

// The file's Z-up space to the game's Y-up space.
const Matrix kZ(1, 0, 0, 0, 0, -1, 0, 1, 0, 0, 0, 0);

std::string triangle(const std::string& a, const std::string& b, const std::string& c) {
  return "  *MESH {\n    *TIMEVALUE 0\n    *MESH_NUMVERTEX 3\n    *MESH_NUMFACES 1\n    *MESH_VERTEX_LIST {\n"
         "      *MESH_VERTEX 0 " + a + "\n      *MESH_VERTEX 1 " + b + "\n      *MESH_VERTEX 2 " + c +
         "\n    }\n    *MESH_FACE_LIST {\n      *MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1"
         " *MESH_SMOOTHING 1 *MESH_MTLID 0\n    }\n  }\n";
}

std::string geomObject(const std::string& name, const std::string& parent, const std::string& tm,
                       const std::string& body = "") {
  std::string text = "*GEOMOBJECT {\n  *NODE_NAME \"" + name + "\"\n";
  if (!parent.empty()) text += "  *NODE_PARENT \"" + parent + "\"\n";
  return text + tm + body + "}\n";
}

TEST(AseReaderScene, TicksPerFrameAndFramesMakeTheClip) {
  LoadedModel loaded = loadAse(sceneBlock(0, 30, 160));
  EXPECT_EQ(loaded.output, "");
  ASSERT_EQ(loaded.model->root->animationCount(), 1u);
  EXPECT_EQ(loaded.model->root->animationDurations()[0], 960u);
  EXPECT_EQ(loaded.reader->frameCount(), 31);
  EXPECT_EQ(loaded.reader->ticksPerFrame(), 160);
  EXPECT_EQ(loaded.reader->msPerFrame(), 32);
}

TEST(AseReaderScene, ObjectsGetAClipOfTheSceneTiming) {
  LoadedModel loaded = loadAse(sceneBlock(5, 14, 192) + geomObject("Caja", "", nodeTmAt("Caja", "0 0 0")));
  auto box = loaded.find<SceneObject>("Caja");
  ASSERT_TRUE(box);
  ASSERT_EQ(box->animator().animationCount(), 1u);
  EXPECT_EQ(box->animator().animations()[0]->frameCount(), 10u);
  // 192 ticks a frame at 4800 ticks a second.
  EXPECT_EQ(box->animator().animations()[0]->msPerFrame(), 38u);
  EXPECT_EQ(loaded.model->root->animationDurations()[0], 38u * 9);
}

TEST(AseReaderScene, MissingFileGivesAnEmptyModelSilently) {
  TempDirectory folder;
  AseReader reader((folder.path() / "nada.ASE").string());
  testing::internal::CaptureStdout();
  const std::shared_ptr<Model> model = reader.load();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_TRUE(model->root);
  EXPECT_TRUE(model->root->children().empty());
  EXPECT_TRUE(model->materials.empty());
  EXPECT_TRUE(model->objects.empty());
  EXPECT_EQ(model->root->name(), (folder.path() / "nada.ASE").string());
}

TEST(AseReaderScene, LoadReadsTheFileNamedByThePath) {
  TempDirectory folder;
  const auto file =
      folder.write("models/caja.ASZ", sceneBlock() + geomObject("Caja", "", nodeTmAt("Caja", "1 2 3")));
  AseReader reader(file.string());
  testing::internal::CaptureStdout();
  const std::shared_ptr<Model> model = reader.load();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(model->root->findNode("Caja"));
  EXPECT_EQ(reader.directory(), (folder.path() / "models").string() + "/");
}

TEST(AseReaderMaterials, ShaderNameInBracketsPicksTheMaterialKind) {
  LoadedModel loaded = loadAse(sceneBlock() + R"(*MATERIAL_LIST {
  *MATERIAL_COUNT 4
  *MATERIAL 0 {
    *MATERIAL_NAME "[cartoon] Piel"
    *MATERIAL_CLASS "Standard"
    *MATERIAL_AMBIENT 0.1 0.2 0.3
    *MATERIAL_DIFFUSE 0.4 0.5 0.6
    *MATERIAL_SPECULAR 0.9 0.8 0.7
    *MATERIAL_SHINE 0.1
  }
  *MATERIAL 1 {
    *MATERIAL_NAME "Camiseta  [cartoon]"
  }
  *MATERIAL 2 {
    *MATERIAL_NAME "Metal"
  }
  *MATERIAL 3 {
    *MATERIAL_NAME "Cristal [brillo]"
  }
})");
  EXPECT_EQ(loaded.output, "");
  ASSERT_EQ(loaded.model->materials.size(), 4u);
  const auto& materials = loaded.model->materials;
  EXPECT_TRUE(std::dynamic_pointer_cast<ToonMaterial>(materials[0]));
  EXPECT_EQ(materials[0]->name(), "[cartoon] Piel");
  expectNear(materials[0]->ambient(), Vector3(0.1f, 0.2f, 0.3f), 0);
  expectNear(materials[0]->diffuse(), Vector3(0.4f, 0.5f, 0.6f), 0);
  expectNear(materials[0]->specular(), Vector3(0.9f, 0.8f, 0.7f), 0);
  EXPECT_TRUE(std::dynamic_pointer_cast<ToonMaterial>(materials[1]));
  EXPECT_EQ(materials[1]->name(), "Camiseta [cartoon]");
  EXPECT_FALSE(std::dynamic_pointer_cast<ToonMaterial>(materials[2]));
  EXPECT_EQ(materials[2]->shaderProgram(), 0u);
  expectNear(materials[2]->diffuse(), Vector3(0.7f, 0.7f, 0.7f), 0);
  EXPECT_FALSE(std::dynamic_pointer_cast<ToonMaterial>(materials[3]));
  EXPECT_EQ(materials[3]->name(), "Cristal [brillo]");
  EXPECT_FALSE(materials[2]->hasTexture());
}

TEST(AseReaderMaterials, BitmapIsLookedForBesideTheModel) {
  const std::string materials = R"(*MATERIAL_LIST {
  *MATERIAL 0 {
    *MATERIAL_NAME "Cesped"
    *MAP_DIFFUSE {
      *MAP_NAME "Map #1"
      *MAP_CLASS "Bitmap"
      *BITMAP "C:\3dsmax\maps\Pista\cesped.tga"
      *UVW_U_OFFSET 0.0
    }
  }
  *MATERIAL 1 {
    *MATERIAL_NAME "Red"
    *MAP_DIFFUSE {
      *BITMAP "red.bmp"
    }
  }
  *MATERIAL 2 {
    *MATERIAL_NAME "Vacio"
    *MAP_DIFFUSE {
      *MAP_AMOUNT 1.0
    }
  }
})";
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

TEST(AseReaderMaterials, NestedBlockWithoutRuleEndsTheMaterialEarly) {
  LoadedModel loaded = loadAse(sceneBlock() + R"(*MATERIAL_LIST {
  *MATERIAL_COUNT 2
  *MATERIAL 0 {
    *MATERIAL_NAME "A"
    *MATERIAL_XP { 1 }
    *MATERIAL_DIFFUSE 1 0 0
  }
  *MATERIAL 1 {
    *MATERIAL_NAME "B"
  }
})");
  // The material ends at the inner "}", its own "}" then ends the list, and
  // material 1 is a block without a rule at the top level.
  ASSERT_EQ(loaded.model->materials.size(), 1u);
  EXPECT_EQ(loaded.model->materials[0]->name(), "A");
  expectNear(loaded.model->materials[0]->diffuse(), Vector3(0.7f, 0.7f, 0.7f), 0);
}

TEST(AseReaderMaterials, MaterialRefJoinsObjectAndMaterial) {
  LoadedModel loaded = loadAse(sceneBlock() +
                               "*MATERIAL_LIST {\n *MATERIAL 0 { *MATERIAL_NAME \"A\" }\n"
                               " *MATERIAL 1 { *MATERIAL_NAME \"B\" }\n}\n" +
                               geomObject("Caja", "", nodeTmAt("Caja", "0 0 0"), "  *MATERIAL_REF 1\n"));
  auto box = loaded.find<SceneObject>("Caja");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->material(), loaded.model->materials[1]);
  const auto objects = loaded.model->materials[1]->objects();
  ASSERT_EQ(objects->size(), 1u);
  EXPECT_EQ(objects->front(), box);
  EXPECT_EQ(loaded.model->materials[0]->objects()->size(), 0u);
}

TEST(AseReaderObjects, NamesWithRunsOfBlanksReadWithOne) {
  LoadedModel loaded =
      loadAse(sceneBlock() + geomObject("Bip01  R   Zeh0Nub", "", nodeTmAt("Bip01 R Zeh0Nub", "0 0 0")));
  EXPECT_TRUE(loaded.find("Bip01 R Zeh0Nub"));
  EXPECT_FALSE(loaded.find("Bip01  R   Zeh0Nub"));
}

TEST(AseReaderObjects, ParentIsFoundByNameOrTheObjectStaysUnderTheRoot) {
  LoadedModel loaded = loadAse(sceneBlock() + geomObject("Padre", "", nodeTmAt("Padre", "0 0 0")) +
                               geomObject("Hijo", "Padre", nodeTmAt("Hijo", "0 0 0")) +
                               geomObject("Huerfano", "Nadie", nodeTmAt("Huerfano", "0 0 0")));
  EXPECT_EQ(loaded.output, "Error: el objeto Huerfano no encuentra a su padre \n");
  auto parent = loaded.find("Padre");
  auto child = loaded.find("Hijo");
  auto orphan = loaded.find("Huerfano");
  ASSERT_TRUE(parent && child && orphan);
  EXPECT_EQ(child->parent(), parent.get());
  EXPECT_EQ(orphan->parent(), loaded.model->root.get());
  EXPECT_EQ(loaded.model->root->children().size(), 2u);
}

TEST(AseReaderObjects, NestedBlocksWithoutRuleAreSkippedWhole) {
  LoadedModel loaded = loadAse(sceneBlock() + "*MATERIAL_LIST {\n *MATERIAL 0 { *MATERIAL_NAME \"A\" }\n}\n" +
                               R"(*HELPEROBJECT {
  *NODE_NAME "Dummy01"
  *HELPER_CLASS "Dummy"
  *NODE_TM {
    *NODE_NAME "Dummy01"
    *TM_ROW0 1 0 0
  }
  *BOUNDINGBOX_MIN -1 -1 -1
}
{ *GEOMOBJECT { *NODE_NAME "Escondido" } }
)" + geomObject("Caja", "", nodeTmAt("Caja", "0 0 0"),
                                          "  *IK_JOINT {\n    *IK_X { *IK_LIMITED 1 }\n    *NODE_NAME \"Mal\"\n  }\n"
                                          "  *MATERIAL_REF 0\n"));
  EXPECT_EQ(loaded.output, "");
  EXPECT_FALSE(loaded.find("Dummy01"));
  EXPECT_FALSE(loaded.find("Escondido"));
  auto box = loaded.find<SceneObject>("Caja");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->material(), loaded.model->materials[0]);
  EXPECT_EQ(loaded.model->root->children().size(), 1u);
}

TEST(AseReaderTransforms, RootLevelIdentityGetsTheAxisChange) {
  LoadedModel loaded = loadAse(sceneBlock() + geomObject("Caja", "", nodeTmAt("Caja", "0 0 0")));
  auto box = loaded.find<SceneObject>("Caja");
  ASSERT_TRUE(box);
  expectNear(box->worldMatrix(), Matrix(), 0);
  expectNear(box->animationMatrix(0), kZ, 0);
  // File +Z is the game's +Y.
  expectNear(transformPoint(Vector3(0, 0, 1), box->animationMatrix(0)), Vector3(0, 1, 0), 0);
}

TEST(AseReaderTransforms, MirroredTransformHasItsAxesNegated) {
  LoadedModel loaded = loadAse(sceneBlock() + geomObject("Espejo", "", nodeTm("Espejo", "-1 0 0", "0 1 0", "0 0 1", "10 20 30"),
                                                         triangle("11 22 33", "10 20 30", "10 21 30")));
  auto mirror = loaded.find<SceneObject>("Espejo");
  ASSERT_TRUE(mirror);
  const Matrix expected(1, 0, 0, 0, -1, 0, 0, 0, -1, 10, 20, 30);
  expectNear(mirror->worldMatrix(), expected, 0);
  // The mesh is read through the corrected transform.
  expectNear(mirror->vertices()[0], Vector3(1, -2, -3));
  expectNear(transformPoint(mirror->vertices()[0], mirror->worldMatrix()), Vector3(11, 22, 33));
  // Local = corrected file transform, then the axis change.
  expectNear(mirror->animationMatrix(0), Matrix(1, 0, 0, 0, 0, 1, 0, -1, 0, 10, 30, -20));
}

TEST(AseReaderTransforms, ChildLocalTimesParentIsTheFileTransform) {
  // A parent turned 90 degrees about file Z and moved, a child turned about
  // file X, scaled and moved, and a grandchild.
  const std::string parentTm = nodeTm("Padre", "0 1 0", "-1 0 0", "0 0 1", "100 0 50");
  const std::string childTm = nodeTm("Hijo", "2 0 0", "0 0 2", "0 -2 0", "100 30 60");
  const std::string grandchildTm = nodeTm("Nieto", "0 0 -2", "0 2 0", "2 0 0", "90 35 70");
  LoadedModel loaded =
      loadAse(sceneBlock() + geomObject("Padre", "", parentTm) + geomObject("Hijo", "Padre", childTm) +
              geomObject("Nieto", "Hijo", grandchildTm));
  auto parent = loaded.find<SceneObject>("Padre");
  auto child = loaded.find<SceneObject>("Hijo");
  auto grandchild = loaded.find<SceneObject>("Nieto");
  ASSERT_TRUE(parent && child && grandchild);
  expectNear(multiply(child->animationMatrix(0), parent->worldMatrix()), child->worldMatrix());
  expectNear(multiply(grandchild->animationMatrix(0), child->worldMatrix()), grandchild->worldMatrix());
  expectNear(child->worldMatrix(), Matrix(2, 0, 0, 0, 0, 2, 0, -2, 0, 100, 30, 60), 0);

  // Posed at rest, every node shows its file transform in the game's space.
  loaded.model->root->updateTree(0, Matrix(), 0);
  expectNear(parent->worldMatrix(), multiply(Matrix(0, 1, 0, -1, 0, 0, 0, 0, 1, 100, 0, 50), kZ));
  expectNear(child->worldMatrix(), multiply(Matrix(2, 0, 0, 0, 0, 2, 0, -2, 0, 100, 30, 60), kZ));
  expectNear(grandchild->worldMatrix(), multiply(Matrix(0, 0, -2, 0, 2, 0, 2, 0, 0, 90, 35, 70), kZ));
}

TEST(AseReaderObjects, AmpersandMakesABillboard) {
  LoadedModel loaded = loadAse(sceneBlock() + geomObject("&Polvo", "", nodeTmAt("&Polvo", "0 0 0")) +
                               geomObject("Caja", "", nodeTmAt("Caja", "0 0 0")));
  EXPECT_TRUE(loaded.find<BillboardObject>("&Polvo"));
  EXPECT_FALSE(loaded.find<BillboardObject>("Caja"));
  EXPECT_EQ(loaded.find<SceneObject>("&Polvo")->animator().animationCount(), 1u);
}

TEST(AseReaderObjects, SemicolonMergesSeamNormalsWithTheParent) {
  LoadedModel loaded = loadAse(sceneBlock() +
                               geomObject("Cuerpo", "", nodeTmAt("Cuerpo", "0 0 0"), triangle("0 0 0", "10 0 0", "0 10 0")) +
                               geomObject(";Brazo", "Cuerpo", nodeTmAt(";Brazo", "0 0 0"),
                                          triangle("0 0 0", "0 0 10", "10 0 0")));
  auto body = loaded.find<SceneObject>("Cuerpo");
  auto arm = loaded.find<SceneObject>(";Brazo");
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

TEST(AseReaderObjects, BoneObjectPivotIsTheInverseFileTransform) {
  const std::string tm = nodeTm("Hueso", "0 1 0", "-1 0 0", "0 0 1", "5 6 7");
  LoadedModel loaded = loadAse(sceneBlock() + "*BONEOBJECT {\n  *NODE_NAME \"Hueso\"\n" + tm + "}\n");
  auto bone = loaded.find<BoneObject>("Hueso");
  ASSERT_TRUE(bone);
  expectNear(multiply(bone->pivot(), bone->worldMatrix()), Matrix());
  expectNear(transformPoint(Vector3(5, 6, 7), bone->pivot()), Vector3(0, 0, 0));
}

TEST(AseReaderObjects, OnlyTexturedObjectsGetOneIndexPerVertex) {
  const std::string mesh = R"(  *MESH {
    *MESH_NUMVERTEX 4
    *MESH_NUMFACES 2
    *MESH_VERTEX_LIST {
      *MESH_VERTEX 0 0 0 0
      *MESH_VERTEX 1 1 0 0
      *MESH_VERTEX 2 1 1 0
      *MESH_VERTEX 3 0 1 0
    }
    *MESH_FACE_LIST {
      *MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 1 *MESH_MTLID 0
      *MESH_FACE 1: A: 0 B: 2 C: 3 AB: 0 BC: 1 CA: 1 *MESH_SMOOTHING 1 *MESH_MTLID 0
    }
    *MESH_NUMTVERTEX 5
    *MESH_TVERTLIST {
      *MESH_TVERT 0 0 0 0
      *MESH_TVERT 1 1 0 0
      *MESH_TVERT 2 1 1 0
      *MESH_TVERT 3 0 1 0
      *MESH_TVERT 4 0.5 0.5 0
    }
    *MESH_NUMTVFACES 2
    *MESH_TFACELIST {
      *MESH_TFACE 0 0 1 2
      *MESH_TFACE 1 4 2 3
    }
  }
)";
  LoadedModel loaded = loadAse(sceneBlock() + R"(*MATERIAL_LIST {
  *MATERIAL 0 { *MATERIAL_NAME "Liso" }
  *MATERIAL 1 { *MATERIAL_NAME "Tela" *MAP_DIFFUSE { *BITMAP "tela.tga" } }
}
)" + geomObject("Lisa", "", nodeTmAt("Lisa", "0 0 0"), mesh + "  *MATERIAL_REF 0\n") +
                               geomObject("Tela", "", nodeTmAt("Tela", "0 0 0"), mesh + "  *MATERIAL_REF 1\n"));
  EXPECT_EQ(loaded.output, "");
  auto plain = loaded.find<SceneObject>("Lisa");
  auto cloth = loaded.find<SceneObject>("Tela");
  ASSERT_TRUE(plain && cloth);
  EXPECT_EQ(plain->vertices().size(), 4u);
  EXPECT_EQ(plain->texCoords().size(), 5u);
  EXPECT_EQ(plain->texFaces().size(), 2u);
  // Vertex 0 is used with texture coordinates 0 and 4: it is split.
  EXPECT_EQ(cloth->vertices().size(), 5u);
  EXPECT_EQ(cloth->texCoords().size(), 5u);
  EXPECT_EQ(cloth->normals().size(), 5u);
  EXPECT_TRUE(cloth->texFaces().empty());
  EXPECT_EQ(cloth->faces()[1], Face(4, 2, 3));
  expectNear(cloth->texCoords()[4], Vector3(0.5f, 0.5f, 0));
}

TEST(AseReaderCameras, CameraSettingsAndTheTargetsSecondBlocks) {
  LoadedModel loaded = loadAse(sceneBlock() + geomObject("Pista", "", nodeTmAt("Pista", "0 0 0")) + R"(*CAMERAOBJECT {
  *NODE_NAME "Camera01"
  *CAMERA_TYPE Target
  *NODE_PARENT "NoExiste"
)" + nodeTmAt("Camera01", "0 -500 200") + nodeTmAt("Camera01.Target", "0 0 0") +
                               R"(  *CAMERA_SETTINGS {
    *TIMEVALUE 0
    *CAMERA_NEAR 0.0
    *CAMERA_FAR 5000.5
    *CAMERA_FOV 0.7853982
    *CAMERA_TDIST 500
  }
  *TM_ANIMATION {
    *NODE_NAME "Camera01"
    *CONTROL_POS_TRACK {
      *CONTROL_POS_SAMPLE 160 0 -400 200
    }
  }
  *TM_ANIMATION {
    *NODE_NAME "Camera01.Target"
    *CONTROL_POS_TRACK {
      *CONTROL_POS_SAMPLE 160 9 9 9
      *CONTROL_POS_SAMPLE 320 9 9 9
    }
  }
}
)");
  EXPECT_EQ(loaded.output, "");
  auto camera = loaded.find<Camera>("Camera01");
  ASSERT_TRUE(camera);
  EXPECT_FALSE(loaded.find("Camera01.Target"));
  ASSERT_EQ(loaded.model->objects.size(), 1u);
  EXPECT_EQ(loaded.model->objects[0], camera);
  EXPECT_EQ(camera->parent(), loaded.model->root.get());
  EXPECT_EQ(camera->target().lock(), loaded.model->root);
  EXPECT_EQ(camera->nearPlane(), 1.0);
  EXPECT_EQ(camera->farPlane(), 5000.5f);
  EXPECT_NEAR(camera->fovY(), 45.0, 1e-4);
  // The first transform and track are the camera's own.
  expectNear(translation(camera->worldMatrix()), Vector3(0, -500, 200), 0);
  const auto& animation = camera->animator().animations()[0];
  ASSERT_EQ(animation->positionKeys().size(), 2u);
  expectNear(animation->positionKeys()[1]->value, Vector3(0, 100, 0));
}

// A builder that makes its own object kind for one node name and counts the
// objects it was asked for.
class HolderNode : public SceneObject {};

class HolderReader : public AseReader {
 public:
  using AseReader::AseReader;
  int created[4] = {0, 0, 0, 0};

 protected:
  std::shared_ptr<SceneObject> createObject(AseObjectKind kind) override {
    ++created[static_cast<int>(kind)];
    return AseReader::createObject(kind);
  }
  std::string readNodeName(AseTokenizer& tokens, std::shared_ptr<SceneObject>& object) override {
    std::string name = AseReader::readNodeName(tokens, object);
    if (name.rfind("Holder", 0) == 0) object = std::make_shared<HolderNode>();
    return name;
  }
};

TEST(AseReaderHooks, BuildersChooseTheObjects) {
  HolderReader reader("models/intro.ASE");
  auto group = std::make_shared<AnimatedGroup>("Jugador");
  reader.setRoot(group);
  testing::internal::CaptureStdout();
  auto model = reader.loadText(sceneBlock() + geomObject("Holder[0]", "", nodeTmAt("Holder[0]", "0 0 0")) +
                               geomObject("Caja", "Holder[0]", nodeTmAt("Caja", "1 0 0")) +
                               "*BONEOBJECT {\n *NODE_NAME \"Hueso\"\n" + nodeTmAt("Hueso", "0 0 0") + "}\n" +
                               "*CAMERAOBJECT {\n *NODE_NAME \"Cam\"\n" + nodeTmAt("Cam", "0 0 0") + "}\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(model->root, group);
  auto holder = std::dynamic_pointer_cast<HolderNode>(group->findNode("Holder[0]"));
  ASSERT_TRUE(holder);
  EXPECT_EQ(holder->animator().animationCount(), 1u);
  EXPECT_EQ(group->findNode("Caja")->parent(), holder.get());
  EXPECT_EQ(reader.created[static_cast<int>(AseObjectKind::Geometry)], 2);
  EXPECT_EQ(reader.created[static_cast<int>(AseObjectKind::Bone)], 1);
  EXPECT_EQ(reader.created[static_cast<int>(AseObjectKind::Camera)], 1);
}

}  // namespace
