// Clip files: further scene files read as the next clips of a loaded model.

#include <gtest/gtest.h>

#include "AseTestSupport.h"

namespace {

// Cadera at the top, Pierna below it, Pie below that.
LoadedModel threeObjects() {
  return loadAse(sceneBlock(0, 10) + geom("Cadera", "", "", nodeTmAt("0 0 100")) +
                 geom("Pierna", "", "Cadera", nodeTmAt("0 0 50")) + geom("Pie", "", "Pierna"));
}

TEST(AseClipFiles, EachFileIsTheNextClipOfTheNodesItNames) {
  LoadedModel loaded = threeObjects();
  ASSERT_EQ(loaded.output, "");
  const std::string track =
      " *TM_ANIMATION {\n  *NODE_NAME \"Pie\"\n  *CONTROL_POS_TRACK {\n"
      "   *CONTROL_POS_SAMPLE 320 0 0 120\n  }\n }\n";
  EXPECT_EQ(loaded.addClip(sceneBlock(0, 4) + materialList({"*MATERIAL_NAME \"Otro\""}) +
                           geom("Cadera", meshBlock({"1 2 3"}, {}) + track, "", nodeTmAt("0 0 110"))),
            "");
  const auto hip = loaded.find("Cadera");
  const auto leg = loaded.find("Pierna");
  ASSERT_TRUE(hip && leg);
  EXPECT_EQ(loaded.model->root->animationDurations(), (std::vector<uint32_t>{320, 128}));
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
  expectNear(clip->positionKeys()[1].value, Vector3(0, 0, 10));
  // Meshes and materials of clip files are ignored.
  EXPECT_TRUE(hip->vertices().empty());
  EXPECT_TRUE(loaded.model->materials.empty());
  // A node the file does not name plays its first clip there.
  EXPECT_EQ(leg->animator().animationCount(), 1u);
}

TEST(AseClipFiles, ReadingStopsAtAnUnknownNodeAndClipNumbersStayAligned) {
  LoadedModel loaded = threeObjects();
  // Clip 1 stops at Cola, which the model does not have, before Pierna.
  EXPECT_EQ(loaded.addClip(sceneBlock(0, 4) + geom("Cadera", "", "", nodeTmAt("0 0 100")) + geom("Cola") +
                           geom("Pierna", "", "Cadera", nodeTmAt("0 0 50"))),
            "");
  // Clip 2 names Pierna, which clip 1 left out, and names Cadera twice.
  EXPECT_EQ(loaded.addClip(sceneBlock(0, 2) + geom("Pierna", "", "Cadera", nodeTmAt("0 0 60")) +
                           geom("Cadera", "", "", nodeTmAt("0 0 100")) + geom("Cadera", "", "", nodeTmAt("0 0 90"))),
            "");
  const auto hip = loaded.find("Cadera");
  const auto leg = loaded.find("Pierna");
  ASSERT_EQ(loaded.model->root->animationCount(), 3u);
  ASSERT_EQ(leg->animator().animationCount(), 3u);
  // Pierna's clip 1 is its clip 0; its clip 2 is the one this file gave,
  // relative to Cadera's file transform as clip 1 left it: 60 - 100 on file z.
  EXPECT_EQ(leg->animator().animations()[1], leg->animator().animations()[0]);
  EXPECT_EQ(leg->animator().animations()[2]->frameCount(), 3u);
  expectNear(translation(leg->animator().animations()[2]->matrix()), Vector3(0, 0, -40));
  // Cadera named twice fills one clip, with the later transform.
  ASSERT_EQ(hip->animator().animationCount(), 3u);
  expectNear(translation(hip->animator().animations()[2]->matrix()), Vector3(0, 90, 0));
}

TEST(AseClipFiles, NoClipWithoutASceneBlockOrARoot) {
  LoadedModel loaded = threeObjects();
  const std::string noScene = geom("Cadera", "", "", nodeTmAt("0 0 100"));
  const std::string out = loaded.addClip(noScene, "models/sinescena.ASE");
  EXPECT_EQ(out,
            "Error: el fichero de animacion no tiene bloque *SCENE; no se anade el clip (fichero models/sinescena.ASE, "
            "linea " +
                std::to_string(lineCount(noScene)) + ")\n");
  EXPECT_EQ(loaded.model->root->animationCount(), 1u);
  EXPECT_EQ(loaded.find("Cadera")->animator().animationCount(), 1u);

  loaded.reader->setRoot(nullptr);
  EXPECT_EQ(loaded.addClip(sceneBlock(0, 4) + noScene), "");
  EXPECT_EQ(loaded.model->root->animationCount(), 1u);
}

}  // namespace
