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

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDirectory.h"
#include "tests/assets/AseTestSupport.h"

namespace {

// Cadera at the bar's foot and Espalda, its child, halfway up; `spine`
// animates Espalda.
std::string bones(const std::string& spine) {
  return objectBlock("*BONEOBJECT", "Cadera") +
         objectBlock("*BONEOBJECT", "Espalda", spine, "Cadera", nodeTmAt("0 0 60"));
}

// Three rings of four corners at z = 0, 60, 120, wound outwards, with
// weights on Cadera, on both, and on Espalda.
std::string modelFile() {
  std::vector<std::string> vertices;
  std::string weights;
  for (int z : {0, 60, 120}) {
    for (const char* corner : {"-15 -15", "15 -15", "15 15", "-15 15"}) {
      weights += "   *BONE_WEIGHT " + std::to_string(vertices.size()) + " 2 " +
                 (z == 0    ? "1.0 0.0\n"
                  : z == 60 ? "0.5 0.5\n"
                            : "0.0 1.0\n");
      vertices.push_back(std::string(corner) + " " + std::to_string(z));
    }
  }
  std::vector<Face> faces = {{0, 2, 1}, {0, 3, 2}, {8, 9, 10}, {8, 10, 11}};
  for (uint32_t ring = 0; ring < 2; ++ring) {
    for (uint32_t j = 0; j < 4; ++j) {
      const uint32_t a = 4 * ring + j, b = 4 * ring + (j + 1) % 4;
      faces.push_back({a, b, b + 4});
      faces.push_back({a, b + 4, a + 4});
    }
  }
  return sceneBlock() +
         materialList(
             {"*MATERIAL_NAME \"Cuerpo [cartoon]\" *MATERIAL_AMBIENT 0.3 0.15 0.05 *MATERIAL_DIFFUSE 0.9 0.5 0.1"}) +
         bones("") +
         objectBlock("*GEOMOBJECTWITHBONES", "Cuerpo",
                     meshBlock(vertices, faces) +
                         " *MATERIAL_REF 0\n *SKIN_DATA {\n  *SKIN_INFO { *BONE_NAME \"Cadera\"" +
                         " *BONE_NAME \"Espalda\" }\n  *SKIN_TABLE {\n" + weights + "  }\n }\n");
}

std::string clipFile() {
  return sceneBlock() + bones(
                            " *TM_ANIMATION { *CONTROL_POS_TRACK {\n  *CONTROL_POS_SAMPLE 0 0 0 60\n"
                            "  *CONTROL_POS_SAMPLE 800 40 0 60\n } }\n");
}

struct ViewerRun {
  int status = -1;
  std::string errors;
};

std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

class ViewerScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* runDir = std::getenv("ZUMBOLO_RUN_DIR");
    const char* sourceDir = std::getenv("ZUMBOLO_SOURCE_DIR");
    ASSERT_NE(runDir, nullptr) << "ZUMBOLO_RUN_DIR names the run folder that holds the viewer";
    ASSERT_NE(sourceDir, nullptr) << "ZUMBOLO_SOURCE_DIR names the source tree (for tests/with-display.sh)";
    viewer = std::string(runDir) + "/viewer";
    withDisplay = std::string(sourceDir) + "/tests/with-display.sh";
    folder.write("models/Figura/normal.ASZ", modelFile());
    folder.write("models/Figura/andando.ASZ", clipFile());
  }

  // Runs the viewer in the test's folder with `arguments`.
  ViewerRun view(const std::string& arguments) const {
    const std::string errors = (folder.path() / "errors.txt").string();
    const std::string command = "cd " + shellQuoted(folder.path().string()) + " && " + shellQuoted(withDisplay) + " " +
                                shellQuoted(viewer) + " " + arguments + " >/dev/null 2>" + shellQuoted(errors);
    const int status = std::system(command.c_str());
    ViewerRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = folder.read("errors.txt");
    return run;
  }

  TempDirectory folder;
  std::string viewer;
  std::string withDisplay;
};

// A picture read back with rows from the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  const uint8_t* at(int x, int row) const { return &rgb[size_t(row * width + x) * 3]; }
  bool differs(int x, int row, const uint8_t* other) const {
    const uint8_t* p = at(x, row);
    return std::abs(p[0] - other[0]) + std::abs(p[1] - other[1]) + std::abs(p[2] - other[2]) > 24;
  }
};

Picture readPng(const std::string& path) {
  static const bool started = (ilInit(), true);
  (void)started;
  Picture picture;
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  ilEnable(IL_ORIGIN_SET);
  ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
  if (ilLoad(IL_PNG, path.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
    picture.width = ilGetInteger(IL_IMAGE_WIDTH);
    picture.height = ilGetInteger(IL_IMAGE_HEIGHT);
    const auto* data = ilGetData();
    picture.rgb.assign(data, data + size_t(picture.width) * size_t(picture.height) * 3);
  }
  ilDeleteImages(1, &image);
  return picture;
}

// Where the figure is: its pixels, the rows it covers and the middle of its
// pixels in its top and bottom quarters.
struct Figure {
  long pixels = 0;
  int top = -1;
  int bottom = -1;
  double topCentre = 0;
  double bottomCentre = 0;
};

Figure findFigure(const Picture& picture) {
  std::vector<long> count(size_t(picture.height)), sum(size_t(picture.height));
  Figure figure;
  for (int row = 0; row < picture.height; ++row) {
    for (int x = 0; x < picture.width; ++x) {
      if (!picture.differs(x, row, picture.at(0, 0))) continue;
      ++figure.pixels;
      ++count[size_t(row)];
      sum[size_t(row)] += x;
      figure.top = figure.top < 0 ? row : figure.top;
      figure.bottom = row;
    }
  }
  const auto centre = [&](int from, int to) {
    long n = 0, total = 0;
    for (int row = std::max(from, 0); row <= to; ++row) {
      n += count[size_t(row)];
      total += sum[size_t(row)];
    }
    return n ? double(total) / double(n) : -1.0;
  };
  const int quarter = (figure.bottom - figure.top) / 4;
  figure.topCentre = centre(figure.top, figure.top + quarter);
  figure.bottomCentre = centre(figure.bottom - quarter, figure.bottom);
  return figure;
}

TEST_F(ViewerScreenshotTest, TheTwoClipsShowTheFigureStraightAndLeaningRight) {
  const ViewerRun rest = view("--screenshot rest.png --clip 0 --time 160 --size 400x300 models/Figura/normal.ASZ");
  ASSERT_EQ(rest.status, 0) << rest.errors;
  const ViewerRun lean = view("--screenshot lean.png --clip 1 --time 160 --size 400x300 models/Figura/normal.ASZ");
  ASSERT_EQ(lean.status, 0) << lean.errors;

  const Picture straight = readPng((folder.path() / "rest.png").string());
  const Picture leaning = readPng((folder.path() / "lean.png").string());
  for (const Picture* picture : {&straight, &leaning}) {
    ASSERT_EQ(picture->width, 400);
    ASSERT_EQ(picture->height, 300);
  }

  const Figure a = findFigure(straight);
  const Figure b = findFigure(leaning);
  // Visible, and framed: a good part of the picture, away from its edges.
  for (const Figure& figure : {a, b}) {
    EXPECT_GT(figure.pixels, 400L * 300 / 20);
    EXPECT_GT(figure.top, 0);
    EXPECT_LT(figure.bottom, 299);
  }
  // Taller than wide, and upright at rest.
  EXPECT_GT(a.bottom - a.top, 150);
  EXPECT_NEAR(a.topCentre, a.bottomCentre, 6.0);
  // In clip 1 the top has gone right of the foot: the file's +x is the
  // picture's right, its +z the picture's top.
  EXPECT_GT(b.topCentre - b.bottomCentre, 20.0);

  long changed = 0;
  for (int row = 0; row < 300; ++row) {
    for (int x = 0; x < 400; ++x) changed += straight.differs(x, row, leaning.at(x, row));
  }
  EXPECT_GT(changed, 400L * 300 / 50);
}

TEST_F(ViewerScreenshotTest, WhatCannotBeShownGivesOneLineAndFailure) {
  // Without the game's clip files there is no clip 1 to show; a model that
  // cannot be loaded and a camera it does not have cannot be shown either.
  const struct {
    const char* arguments;
    const char* named;
  } requests[] = {{"--clip 1 --no-clips models/Figura/normal.ASZ", "clip 1"},
                  {"models/Figura/nada.ASZ", "nada.ASZ"},
                  {"--camera Camera01 models/Figura/normal.ASZ", "Camera01"}};
  for (const auto& request : requests) {
    SCOPED_TRACE(request.arguments);
    const ViewerRun run = view(std::string("--screenshot none.png ") + request.arguments);
    EXPECT_NE(run.status, 0);
    ASSERT_FALSE(run.errors.empty());
    EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << run.errors;
    EXPECT_NE(run.errors.find(request.named), std::string::npos) << run.errors;
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "none.png"));
  }
  // The options are explained.
  const int status =
      std::system((shellQuoted(viewer) + " --help >" + shellQuoted((folder.path() / "help.txt").string())).c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  for (const char* option : {"--screenshot", "--clip", "--time", "--size", "--camera"}) {
    EXPECT_NE(folder.read("help.txt").find(option), std::string::npos) << option;
  }
}

}  // namespace
