// The model viewer's pictures of a small skinned figure, taken on a virtual
// display: a bar 30 units square and 120 tall (file z up) whose bottom ring of
// vertices follows the bone Cadera, its top ring Cadera's child Espalda and its
// middle ring both. Clip 1 (andando.ASZ) moves Espalda 40 units along +x by 160 ms.

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
  std::vector<Face> faces = {{0, 2, 1}, {0, 3, 2}, {8, 9, 10}, {8, 10, 11}};
  std::string skin =
      " *MATERIAL_REF 0 *SKIN_DATA { *SKIN_INFO { *BONE_NAME \"Cadera\" *BONE_NAME \"Espalda\" } *SKIN_TABLE {";
  for (const auto& [z, shares] : {std::pair{" 0", " 2 1 0"}, {" 60", " 2 .5 .5"}, {" 120", " 2 0 1"}}) {
    for (const char* corner : {"-15 -15", "15 -15", "15 15", "-15 15"}) {
      const auto a = static_cast<uint32_t>(vertices.size()), b = a / 4 * 4 + (a + 1) % 4;
      if (a < 8) faces.insert(faces.end(), {{a, b, b + 4}, {a, b + 4, a + 4}});  // the sides, ring to ring
      skin += " *BONE_WEIGHT " + std::to_string(a) + shares;
      vertices.push_back(corner + std::string(z));
    }
  }
  return sceneBlock() +
         materialList({"*MATERIAL_NAME \"Cuerpo [cartoon]\" *MATERIAL_AMBIENT .3 .15 .05 *MATERIAL_DIFFUSE .9 .5 .1"}) +
         bones("") + objectBlock("*GEOMOBJECTWITHBONES", "Cuerpo", meshBlock(vertices, faces) + skin + " } }\n");
}

// The pixels unlike the corner's: their rows, and their middle above and below half height.
struct Figure {
  int width = 0, height = 0, top = -1, bottom = -1, pixels = 0;
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
    for (int i = 0; i < figure.width * figure.height; ++i) {
      const uint8_t* p = rgb + size_t(i) * 3;
      if (std::abs(p[0] - rgb[0]) + std::abs(p[1] - rgb[1]) + std::abs(p[2] - rgb[2]) <= 24) continue;
      const int row = i / figure.width;
      const bool lower = 2 * row >= figure.height;
      ++figure.pixels, ++count[lower], sum[lower] += i % figure.width;
      if (figure.top < 0) figure.top = row;
      figure.bottom = row;
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
    const std::string options = " --clip " + std::to_string(clip) + " --time 160 --size 400x300 ";
    ASSERT_EQ(view("--screenshot " + picture + options + "models/Figura/normal.ASZ"), 0) << folder.read("errors.txt");
    const Figure& figure = clips[clip] = figureIn(picture);
    // Visible, and framed: a good part of the picture, away from its edges.
    EXPECT_EQ(figure.width * figure.height, 400 * 300);
    EXPECT_GT(figure.pixels, 400 * 300 / 20);
    EXPECT_TRUE(figure.top > 0 && figure.bottom < 299) << figure.top << ".." << figure.bottom;
  }
  // Taller than wide and upright at rest. In clip 1 the top has gone right of
  // the foot: the file's +x is the picture's right, its +z the picture's top.
  EXPECT_GT(clips[0].bottom - clips[0].top, 150);
  EXPECT_NEAR(clips[0].upperCentre, clips[0].lowerCentre, 6.0);
  EXPECT_GT(clips[1].upperCentre - clips[1].lowerCentre, 20.0);
}

// No clip 1 without the game's clip files, no model that is not there, no camera it lacks.
TEST_F(ViewerScreenshotTest, WhatCannotBeShownGivesOneLineAndFailure) {
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
