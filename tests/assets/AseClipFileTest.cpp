// Clip files: further scene files read as the next clips of a loaded model.

#include <gtest/gtest.h>

#include "AseTestSupport.h"
#include "support/TempDirectory.h"

namespace {

std::string node(const std::string& keyword, const std::string& name, const std::string& parent,
                 const std::string& tm, const std::string& body = "") {
  std::string text = keyword + " {\n  *NODE_NAME \"" + name + "\"\n";
  if (!parent.empty()) text += "  *NODE_PARENT \"" + parent + "\"\n";
  return text + tm + body + "}\n";
}

// Three objects: Cadera at the top, Pierna below it, Pie below that.
LoadedModel threeObjects() {
  return loadAse(sceneBlock(0, 10, 160) + node("*GEOMOBJECT", "Cadera", "", nodeTmAt("Cadera", "0 0 100")) +
                 node("*GEOMOBJECT", "Pierna", "Cadera", nodeTmAt("Pierna", "0 0 50")) +
                 node("*GEOMOBJECT", "Pie", "Pierna", nodeTmAt("Pie", "0 0 0")));
}

std::string track(const std::string& name, int tick, const std::string& position) {
  return "  *TM_ANIMATION {\n    *NODE_NAME \"" + name + "\"\n    *CONTROL_POS_TRACK {\n      *CONTROL_POS_SAMPLE " +
         std::to_string(tick) + " " + position + "\n    }\n  }\n";
}

TEST(AseClipFiles, EachFileIsTheNextClipOfTheNodesItNames) {
  LoadedModel loaded = threeObjects();
  ASSERT_EQ(loaded.output, "");
  const std::string out = loaded.addClip(
      sceneBlock(0, 4, 160) + "*MATERIAL_LIST {\n *MATERIAL 0 { *MATERIAL_NAME \"Otro\" }\n}\n" +
      node("*GEOMOBJECT", "Cadera", "", nodeTmAt("Cadera", "0 0 110"),
           "  *MESH {\n    *MESH_NUMVERTEX 1\n    *MESH_VERTEX_LIST {\n      *MESH_VERTEX 0 1 2 3\n    }\n  }\n" +
               track("Pie", 320, "0 0 120")));
  EXPECT_EQ(out, "");
  auto hip = loaded.find<SceneObject>("Cadera");
  auto leg = loaded.find<SceneObject>("Pierna");
  ASSERT_TRUE(hip && leg);
  ASSERT_EQ(loaded.model->root->animationCount(), 2u);
  EXPECT_EQ(loaded.model->root->animationDurations()[1], 128u);
  EXPECT_EQ(loaded.reader->frameCount(), 5);
  ASSERT_EQ(hip->animator().animationCount(), 2u);
  const auto& clip = hip->animator().animations()[1];
  EXPECT_EQ(clip->frameCount(), 5u);
  EXPECT_EQ(clip->msPerFrame(), 32u);
  // The clip's *NODE_TM gives the clip's base and rewrites the file
  // transform; the *NODE_NAME inside *TM_ANIMATION does not change the node.
  expectNear(translation(hip->worldMatrix()), Vector3(0, 0, 110), 0);
  expectNear(translation(clip->matrix()), Vector3(0, 110, 0), 0);
  ASSERT_EQ(clip->positionKeys().size(), 2u);
  expectNear(clip->positionKeys()[1]->value, Vector3(0, 0, 10));
  // Meshes and materials of clip files are ignored.
  EXPECT_TRUE(hip->vertices().empty());
  EXPECT_EQ(loaded.model->materials.size(), 0u);
  // A node the file does not name plays its first clip there.
  EXPECT_EQ(leg->animator().animationCount(), 1u);
}

TEST(AseClipFiles, ReadingStopsAtANodeTheModelDoesNotHave) {
  LoadedModel loaded = threeObjects();
  const std::string out = loaded.addClip(sceneBlock(0, 4, 160) +
                                         node("*GEOMOBJECT", "Cadera", "", nodeTmAt("Cadera", "0 0 100")) +
                                         node("*GEOMOBJECT", "Cola", "", nodeTmAt("Cola", "0 0 0")) +
                                         node("*GEOMOBJECT", "Pierna", "Cadera", nodeTmAt("Pierna", "0 0 50")));
  EXPECT_EQ(out, "");
  EXPECT_EQ(loaded.model->root->animationCount(), 2u);
  EXPECT_EQ(loaded.find<SceneObject>("Cadera")->animator().animationCount(), 2u);
  EXPECT_EQ(loaded.find<SceneObject>("Pierna")->animator().animationCount(), 1u);
}

TEST(AseClipFiles, ClipNumbersStayAlignedAcrossFiles) {
  LoadedModel loaded = threeObjects();
  loaded.addClip(sceneBlock(0, 4, 160) + node("*GEOMOBJECT", "Cadera", "", nodeTmAt("Cadera", "0 0 100")));
  // Clip 2 names Pierna, which clip 1 left out, and names Cadera twice.
  const std::string out =
      loaded.addClip(sceneBlock(0, 2, 160) + node("*GEOMOBJECT", "Pierna", "Cadera", nodeTmAt("Pierna", "0 0 60")) +
                     node("*GEOMOBJECT", "Cadera", "", nodeTmAt("Cadera", "0 0 100")) +
                     node("*GEOMOBJECT", "Cadera", "", nodeTmAt("Cadera", "0 0 90")));
  EXPECT_EQ(out, "");
  auto hip = loaded.find<SceneObject>("Cadera");
  auto leg = loaded.find<SceneObject>("Pierna");
  ASSERT_EQ(loaded.model->root->animationCount(), 3u);
  ASSERT_EQ(leg->animator().animationCount(), 3u);
  // Pierna's clip 1 is its clip 0; its clip 2 is the one this file gave.
  EXPECT_EQ(leg->animator().animations()[1], leg->animator().animations()[0]);
  EXPECT_EQ(leg->animator().animations()[2]->frameCount(), 3u);
  // Relative to Cadera's file transform as clip 1 left it: 60 - 100 on file z.
  expectNear(translation(leg->animator().animations()[2]->matrix()), Vector3(0, 0, -40));
  // Cadera named twice fills one clip, with the later transform.
  ASSERT_EQ(hip->animator().animationCount(), 3u);
  expectNear(translation(hip->animator().animations()[2]->matrix()), Vector3(0, 90, 0));
}

TEST(AseClipFiles, FileWithoutSceneOrMissingFileAddsNoClip) {
  LoadedModel loaded = threeObjects();
  const std::string out = loaded.addClip(node("*GEOMOBJECT", "Cadera", "", nodeTmAt("Cadera", "0 0 100")),
                                         "models/sinescena.ASE");
  EXPECT_EQ(lineCount(out), 1u);
  EXPECT_TRUE(contains(out, "Error: el fichero de animacion no tiene bloque *SCENE; no se anade el clip "
                            "(fichero models/sinescena.ASE, linea 12)"))
      << out;
  EXPECT_EQ(loaded.model->root->animationCount(), 1u);
  EXPECT_EQ(loaded.find<SceneObject>("Cadera")->animator().animationCount(), 1u);

  TempDirectory folder;
  testing::internal::CaptureStdout();
  loaded.reader->loadAnimation((folder.path() / "nada.ASZ").string());
  EXPECT_TRUE(contains(testing::internal::GetCapturedStdout(), "no se puede abrir el fichero de animacion"));
  EXPECT_EQ(loaded.model->root->animationCount(), 1u);
}

TEST(AseClipFiles, ClipFilesAreReadFromDisk) {
  TempDirectory folder;
  const auto model = folder.write("models/Pj/normal.ASZ", sceneBlock(0, 10, 160) +
                                                               node("*GEOMOBJECT", "Cadera", "", nodeTmAt("Cadera", "0 0 100")));
  const auto clip = folder.write("models/Pj/andando.ASZ", sceneBlock(0, 20, 160) +
                                                               node("*GEOMOBJECT", "Cadera", "", nodeTmAt("Cadera", "0 0 100"),
                                                                    track("Cadera", 160, "0 5 100")));
  AseReader reader(model.string());
  testing::internal::CaptureStdout();
  auto loaded = reader.load();
  reader.loadAnimation(clip.string());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(loaded->root->animationDurations(), (std::vector<uint32_t>{320, 640}));
  auto hip = std::dynamic_pointer_cast<SceneObject>(loaded->root->findNode("Cadera"));
  ASSERT_EQ(hip->animator().animationCount(), 2u);
  expectNear(hip->animator().animations()[1]->positionKeys()[1]->value, Vector3(0, 5, 0));
}

TEST(AseClipFiles, NothingHappensWithoutARoot) {
  LoadedModel loaded = threeObjects();
  loaded.reader->setRoot(nullptr);
  EXPECT_EQ(loaded.addClip(sceneBlock(0, 4, 160)), "");
  EXPECT_EQ(loaded.model->root->animationCount(), 1u);
}

}  // namespace
