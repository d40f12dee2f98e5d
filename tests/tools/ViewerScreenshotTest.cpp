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

#include "support/TempDirectory.h"

namespace {

const char* kMaterialList = R"(*MATERIAL_LIST {
  *MATERIAL_COUNT 1
  *MATERIAL 0 {
    *MATERIAL_NAME "Cuerpo [cartoon]"
    *MATERIAL_CLASS "Standard"
    *MATERIAL_AMBIENT 0.3 0.15 0.05
    *MATERIAL_DIFFUSE 0.9 0.5 0.1
    *MATERIAL_SPECULAR 0.2 0.2 0.2
  }
}
)";

std::string sceneBlock() {
  return "*SCENE {\n  *SCENE_FILENAME \"figura.max\"\n  *SCENE_FIRSTFRAME 0\n  *SCENE_LASTFRAME 10\n"
         "  *SCENE_FRAMESPEED 30\n  *SCENE_TICKSPERFRAME 160\n}\n";
}

std::string nodeTm(const std::string& name, const std::string& position) {
  return "  *NODE_TM {\n    *NODE_NAME \"" + name +
         "\"\n    *TM_ROW0 1 0 0\n    *TM_ROW1 0 1 0\n    *TM_ROW2 0 0 1\n    *TM_ROW3 " + position + "\n  }\n";
}

std::string bones(const std::string& spineAnimation) {
  return "*BONEOBJECT {\n  *NODE_NAME \"Cadera\"\n" + nodeTm("Cadera", "0 0 0") +
         "}\n*BONEOBJECT {\n  *NODE_NAME \"Espalda\"\n  *NODE_PARENT \"Cadera\"\n" + nodeTm("Espalda", "0 0 60") +
         spineAnimation + "}\n";
}

// Three rings of four corners at z = 0, 60, 120, wound outwards.
std::string bar() {
  std::string vertices;
  int index = 0;
  for (int z : {0, 60, 120}) {
    for (const char* corner : {"-15 -15", "15 -15", "15 15", "-15 15"}) {
      vertices += "      *MESH_VERTEX " + std::to_string(index++) + " " + corner + " " + std::to_string(z) + "\n";
    }
  }
  std::vector<std::vector<int>> faces;
  for (int ring = 0; ring < 2; ++ring) {
    for (int j = 0; j < 4; ++j) {
      const int a = 4 * ring + j;
      const int b = 4 * ring + (j + 1) % 4;
      const int c = 4 * (ring + 1) + (j + 1) % 4;
      const int d = 4 * (ring + 1) + j;
      faces.push_back({a, b, c});
      faces.push_back({a, c, d});
    }
  }
  faces.push_back({0, 2, 1});
  faces.push_back({0, 3, 2});
  faces.push_back({8, 9, 10});
  faces.push_back({8, 10, 11});
  std::string faceList;
  for (size_t f = 0; f < faces.size(); ++f) {
    faceList += "      *MESH_FACE " + std::to_string(f) + ": A: " + std::to_string(faces[f][0]) +
                " B: " + std::to_string(faces[f][1]) + " C: " + std::to_string(faces[f][2]) +
                " AB: 1 BC: 1 CA: 1 *MESH_SMOOTHING 1 *MESH_MTLID 0\n";
  }
  std::string weights;
  for (int v = 0; v < 12; ++v) {
    const char* columns = v < 4 ? "1.0 0.0" : v < 8 ? "0.5 0.5" : "0.0 1.0";
    weights += "      *BONE_WEIGHT " + std::to_string(v) + " 2 " + columns + "\n";
  }
  return "*GEOMOBJECTWITHBONES {\n  *NODE_NAME \"Cuerpo\"\n" + nodeTm("Cuerpo", "0 0 0") +
         "  *MESH {\n    *TIMEVALUE 0\n    *MESH_NUMVERTEX 12\n    *MESH_NUMFACES " +
         std::to_string(faces.size()) + "\n    *MESH_VERTEX_LIST {\n" + vertices +
         "    }\n    *MESH_FACE_LIST {\n" + faceList +
         "    }\n  }\n  *MATERIAL_REF 0\n  *SKIN_DATA {\n    *SKIN_INFO {\n      *BONE_NAME \"Cadera\"\n"
         "      *BONE_NAME \"Espalda\"\n    }\n    *SKIN_TABLE {\n" +
         weights + "    }\n  }\n}\n";
}

std::string modelFile() { return "*3DSMAX_ASCIIEXPORT 200\n" + sceneBlock() + kMaterialList + bones("") + bar(); }

std::string clipFile() {
  const std::string lean =
      "  *TM_ANIMATION {\n    *NODE_NAME \"Espalda\"\n    *CONTROL_POS_TRACK {\n"
      "      *CONTROL_POS_SAMPLE 0 0 0 60\n      *CONTROL_POS_SAMPLE 800 40 0 60\n    }\n  }\n";
  return "*3DSMAX_ASCIIEXPORT 200\n" + sceneBlock() + bones(lean);
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

// Where the figure is: the rows it covers and the middle of its pixels in
// its top and bottom quarters.
struct Figure {
  long pixels = 0;
  int top = -1;
  int bottom = -1;
  double topCentre = 0;
  double bottomCentre = 0;
};

Figure findFigure(const Picture& picture) {
  const uint8_t* background = picture.at(0, 0);
  Figure figure;
  for (int row = 0; row < picture.height; ++row) {
    for (int x = 0; x < picture.width; ++x) {
      if (!picture.differs(x, row, background)) continue;
      ++figure.pixels;
      if (figure.top < 0) figure.top = row;
      figure.bottom = row;
    }
  }
  const int quarter = (figure.bottom - figure.top) / 4;
  const auto centre = [&](int from, int to) {
    double sum = 0;
    long count = 0;
    for (int row = from; row <= to; ++row) {
      for (int x = 0; x < picture.width; ++x) {
        if (picture.differs(x, row, background)) {
          sum += x;
          ++count;
        }
      }
    }
    return count ? sum / double(count) : -1.0;
  };
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
  ASSERT_EQ(straight.width, 400);
  ASSERT_EQ(straight.height, 300);
  ASSERT_EQ(leaning.width, 400);
  ASSERT_EQ(leaning.height, 300);

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

TEST_F(ViewerScreenshotTest, TheClipFileBesideTheModelIsClipOne) {
  // Without the game's clip files there is no clip 1 to show.
  const ViewerRun run = view("--screenshot none.png --clip 1 --no-clips models/Figura/normal.ASZ");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.errors.find("clip 1"), std::string::npos) << run.errors;
}

TEST_F(ViewerScreenshotTest, AModelThatCannotBeLoadedGivesOneLineAndFailure) {
  const ViewerRun run = view("--screenshot missing.png models/Figura/nada.ASZ");
  EXPECT_NE(run.status, 0);
  ASSERT_FALSE(run.errors.empty());
  EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << run.errors;
  EXPECT_NE(run.errors.find("nada.ASZ"), std::string::npos) << run.errors;
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing.png"));
}

TEST_F(ViewerScreenshotTest, AnUnknownCameraGivesOneLineAndFailure) {
  const ViewerRun run = view("--screenshot camera.png --camera Camera01 models/Figura/normal.ASZ");
  EXPECT_NE(run.status, 0);
  ASSERT_FALSE(run.errors.empty());
  EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << run.errors;
  EXPECT_NE(run.errors.find("Camera01"), std::string::npos) << run.errors;
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "camera.png"));
}

TEST_F(ViewerScreenshotTest, HelpIsOffered) {
  const std::string out = (folder.path() / "help.txt").string();
  const int status = std::system((shellQuoted(viewer) + " --help >" + shellQuoted(out)).c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string help = folder.read("help.txt");
  for (const char* option : {"--screenshot", "--clip", "--time", "--size", "--camera"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
}

}  // namespace
