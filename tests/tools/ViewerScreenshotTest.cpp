// The model viewer's pictures, taken by running the viewer itself (from the
// run folder, on a virtual display through with-display.sh) on a small
// skinned figure written here, with the clip file the game reads beside a
// character's "normal.ASZ".
//
// The figure is a square bar 30 units wide and 120 tall (file z up), skinned
// to two bones: Cadera at its foot and Espalda, Cadera's child, halfway up.
// The bottom ring of vertices follows Cadera, the middle ring both bones
// half and half, the top ring Espalda. Clip 0 (normal.ASZ) leaves the bones
// at rest; clip 1 (andando.ASZ) moves Espalda 40 units along file +x by
// frame 5 (160 ms). Seen from the front, file +x is the picture's right and
// file +z its top, so in clip 1 the top of the bar leans to the right while
// its foot stays where it was.

#include <IL/il.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ModelText.h"
#include "support/TempDirectory.h"

namespace {

std::string bones(const std::string& spine) {
  return objectBlock("*BONEOBJECT", "Cadera") +
         objectBlock("*BONEOBJECT", "Espalda", spine, "Cadera", nodeTmAt("0 0 60"));
}

std::string modelFile() {
  std::vector<std::string> vertices;
  std::string weights;
  for (const int z : {0, 60, 120}) {
    for (const char* corner : {"-15 -15", "15 -15", "15 15", "-15 15"}) {
      const char* shares = z == 0 ? " 2 1 0" : z == 60 ? " 2 .5 .5" : " 2 0 1";
      weights += " *BONE_WEIGHT " + std::to_string(vertices.size()) + shares;
      vertices.push_back(std::string(corner) + " " + std::to_string(z));
    }
  }
  std::vector<Face> faces = {{0, 2, 1}, {0, 3, 2}, {8, 9, 10}, {8, 10, 11}};
  for (uint32_t a = 0; a < 8; ++a) {
    const uint32_t b = a / 4 * 4 + (a + 1) % 4;
    faces.insert(faces.end(), {{a, b, b + 4}, {a, b + 4, a + 4}});
  }
  return sceneBlock() +
         materialList({"*MATERIAL_NAME \"Cuerpo [cartoon]\" *MATERIAL_AMBIENT .3 .15 .05 *MATERIAL_DIFFUSE .9 .5 .1"}) +
         bones("") +
         objectBlock("*GEOMOBJECTWITHBONES", "Cuerpo",
                     meshBlock(vertices, faces) + " *MATERIAL_REF 0 *SKIN_DATA { *SKIN_INFO { *BONE_NAME \"Cadera\"" +
                         " *BONE_NAME \"Espalda\" } *SKIN_TABLE {" + weights + " } }\n");
}

// The figure in a picture: the pixels that differ from the corner's, the rows
// they cover, and their middle above and below the picture's half height.
struct Figure {
  int width = 0, height = 0, top = -1, bottom = -1;
  long pixels = 0;
  double upperCentre = 0, lowerCentre = 0;
};

Figure figureIn(const std::string& png) {
  Figure figure;
  const ILuint image = ilGenImage();
  ilBindImage(image);
  if (ilLoad(IL_PNG, png.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
    figure.width = ilGetInteger(IL_IMAGE_WIDTH);
    figure.height = ilGetInteger(IL_IMAGE_HEIGHT);
    const uint8_t* rgb = ilGetData();
    double count[2] = {0, 0}, sum[2] = {0, 0};
    for (int row = 0; row < figure.height; ++row) {
      for (int x = 0; x < figure.width; ++x) {
        const uint8_t* p = rgb + size_t(row * figure.width + x) * 3;
        if (std::abs(p[0] - rgb[0]) + std::abs(p[1] - rgb[1]) + std::abs(p[2] - rgb[2]) <= 24) continue;
        const bool lower = 2 * row >= figure.height;
        ++figure.pixels, ++count[lower], sum[lower] += x;
        figure.top = figure.top < 0 ? row : figure.top;
        figure.bottom = row;
      }
    }
    figure.upperCentre = sum[0] / count[0];
    figure.lowerCentre = sum[1] / count[1];
  }
  ilDeleteImage(image);
  return figure;
}

class ViewerScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    folder.write("models/Figura/normal.ASZ", modelFile());
    folder.write("models/Figura/andando.ASZ",
                 sceneBlock() + bones(" *TM_ANIMATION { *CONTROL_POS_TRACK { *CONTROL_POS_SAMPLE 0 0 0 60\n"
                                      " *CONTROL_POS_SAMPLE 800 40 0 60 } }\n"));
  }

  // Runs the run folder's viewer, on the virtual display, in the test's folder.
  int view(const std::string& arguments) const {
    const std::string command = std::string("'") + std::getenv("ZUMBOLO_SOURCE_DIR") + "/tests/with-display.sh' '" +
                                std::getenv("ZUMBOLO_RUN_DIR") + "/viewer' " + arguments + " >out.txt 2>errors.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  TempDirectory folder;
  ScopedWorkingDirectory inside{folder.path()};
};

TEST_F(ViewerScreenshotTest, TheTwoClipsShowTheFigureStraightAndLeaningRight) {
  Figure clips[2];
  for (int clip = 0; clip < 2; ++clip) {
    const std::string picture = "clip" + std::to_string(clip) + ".png";
    const std::string clipAt160 = " --clip " + std::to_string(clip) + " --time 160 ";
    ASSERT_EQ(view("--screenshot " + picture + clipAt160 + "--size 400x300 models/Figura/normal.ASZ"), 0)
        << folder.read("errors.txt");
    clips[clip] = figureIn(picture);
    // Visible, and framed: a good part of the picture, away from its edges.
    EXPECT_EQ(clips[clip].width * clips[clip].height, 400 * 300);
    EXPECT_GT(clips[clip].pixels, 400L * 300 / 20);
    EXPECT_GT(clips[clip].top, 0);
    EXPECT_LT(clips[clip].bottom, 299);
  }
  // Taller than wide, and upright at rest.
  EXPECT_GT(clips[0].bottom - clips[0].top, 150);
  EXPECT_NEAR(clips[0].upperCentre, clips[0].lowerCentre, 6.0);
  // In clip 1 the top has gone right of the foot: the file's +x is the
  // picture's right, its +z the picture's top.
  EXPECT_GT(clips[1].upperCentre - clips[1].lowerCentre, 20.0);
}

TEST_F(ViewerScreenshotTest, WhatCannotBeShownGivesOneLineAndFailure) {
  // Without the game's clip files there is no clip 1 to show; a model that
  // cannot be loaded and a camera it does not have cannot be shown either.
  for (const auto& [arguments, named] : {std::pair{"--clip 1 --no-clips models/Figura/normal.ASZ", "clip 1"},
                                         {"models/Figura/nada.ASZ", "nada.ASZ"},
                                         {"--camera Camera01 models/Figura/normal.ASZ", "Camera01"}}) {
    EXPECT_NE(view(std::string("--screenshot none.png ") + arguments), 0) << arguments;
    const std::string errors = folder.read("errors.txt");
    EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
    EXPECT_NE(errors.find(named), std::string::npos) << errors;
    EXPECT_FALSE(std::filesystem::exists("none.png"));
  }
}

}  // namespace
