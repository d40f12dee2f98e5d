// Building shader programs from their source files, and the game's cartoon
// shader drawn for real through the scene. Shader calls are watched by
// swapping GLEW's function pointers for recorders.

#include "assets/ShaderProgram.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "SceneFrame.h"
#include "TestImages.h"
#include "engine/ShaderSupport.h"
#include "engine/ToonMaterial.h"

namespace {

const char* kVertexSource = "#version 110\nvarying vec3 tint;\nvoid main() { tint = gl_Normal; gl_Position = ftransform(); }\n";
const char* kFragmentSource = "#version 110\nvarying vec3 tint;\nvoid main() { gl_FragColor = vec4(tint, 1.0); }\n";

// The compiler's log for one source, in a buffer far larger than the loader's.
std::string compilerLog(GLenum stage, const std::string& source) {
  const GLhandleARB shader = glCreateShaderObjectARB(stage);
  const GLcharARB* text = source.c_str();
  glShaderSourceARB(shader, 1, &text, nullptr);
  glCompileShaderARB(shader);
  std::vector<GLcharARB> log(1 << 16, '\0');
  glGetInfoLogARB(shader, GLsizei(log.size()), nullptr, log.data());
  glDeleteObjectARB(shader);
  return std::string(log.data());
}

std::vector<GLhandleARB> programsUsed;
int shaderCalls = 0;
void GLAPIENTRY recordUseProgram(GLhandleARB program) { programsUsed.push_back(program); }
GLhandleARB GLAPIENTRY recordCreateShader(GLenum) { return GLhandleARB(++shaderCalls); }
GLhandleARB GLAPIENTRY recordCreateProgram() { return GLhandleARB(++shaderCalls); }
void GLAPIENTRY recordShaderSource(GLhandleARB, GLsizei, const GLcharARB**, const GLint*) { ++shaderCalls; }

class ShaderProgramTest : public ScenePixelTestBase {
 protected:
  void SetUp() override {
    ScenePixelTestBase::SetUp();
    if (HasFatalFailure()) return;
    savedSupport = shaderSupport;
    savedFolder = shaderFolder();
    ASSERT_TRUE(checkShaderSupport()) << "the virtual display's driver offers shader objects";
    setShaderFolder(folder.path().string());
  }
  void TearDown() override {
    glewInit();  // fetches GLEW's own entry points again in place of the recorders
    glUseProgramObjectARB(0);
    shaderSupport = savedSupport;
    setShaderFolder(savedFolder);
  }

  // Every test names its own programs: the cache lives as long as the process.
  std::string uniqueName(const std::string& stem) const {
    return stem + "_" + testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  void writeSources(const std::string& name, const std::string& vertex, const std::string& fragment) const {
    if (!vertex.empty()) folder.write(name + ".vs", vertex);
    if (!fragment.empty()) folder.write(name + ".fs", fragment);
  }
  // Loads `name`; returns what was printed.
  std::string load(const std::string& name, uint32_t& program) const {
    testing::internal::CaptureStdout();
    program = loadShaderProgram(name);
    return testing::internal::GetCapturedStdout();
  }
  // A fresh frame and scene holding `objects`, drawn twice: the second frame
  // starts with the texture of the first still bound.
  void drawTwice(const std::vector<std::shared_ptr<SceneObject>>& objects,
                 const std::vector<std::shared_ptr<Material>>& materials) {
    beginSceneFrame(kBackground);
    scene = sceneWithEye();
    scene->addModel(modelOf(objects, materials));
    for (int frame = 0; frame < 2; ++frame) {
      scene->update(16);
      scene->draw();
    }
  }

  bool savedSupport = false;
  std::string savedFolder;
};

TEST_F(ShaderProgramTest, EachFailureGivesItsMessageWithTheCompilersLogCutToTheBufferAndIsTriedAgainLater) {
  std::string noisy = "#version 110\nvoid main() {\n";
  for (int i = 0; i < 200; ++i) noisy += "  gl_FragColor = undeclaredColourNumber" + std::to_string(i) + ";\n";
  noisy += "}\n";
  ASSERT_GT(compilerLog(GL_FRAGMENT_SHADER_ARB, noisy).size(), size_t(kShaderLogSize));
  // A fragment stage without main compiles; only the linker sees it.
  const std::string noMain = "#version 110\nvec4 shade() { return vec4(1.0); }\n";
  const struct {
    const char* stem;
    std::string vertex, fragment;  // empty: no file
    const char* message;
    std::string log;
  } cases[] = {
      {"missingVertex", "", kFragmentSource, "El vertex shader no compila", compilerLog(GL_VERTEX_SHADER_ARB, "")},
      {"missingFragment", kVertexSource, "", "El fragment shader no compila", compilerLog(GL_FRAGMENT_SHADER_ARB, "")},
      {"noisy", kVertexSource, noisy, "El fragment shader no compila", compilerLog(GL_FRAGMENT_SHADER_ARB, noisy)},
      {"unlinked", kVertexSource, noMain, "El programa no se ha podido linkar adecuadamente", ""},
  };
  for (const auto& c : cases) {
    const std::string name = uniqueName(c.stem);
    writeSources(name, c.vertex, c.fragment);
    const std::string expected = ("Error: " + std::string(c.message) + "\n" + c.log).substr(0, 7 + strlen(c.message) + kShaderLogSize);
    uint32_t program = 1;
    EXPECT_EQ(load(name, program), expected) << c.stem;
    EXPECT_EQ(program, 0u) << c.stem;
    EXPECT_EQ(load(name, program), expected) << c.stem;
  }
  // Once the files are fixed the same name builds.
  writeSources(uniqueName("missingVertex"), kVertexSource, "");
  uint32_t program = 0;
  EXPECT_EQ(load(uniqueName("missingVertex"), program), "");
  EXPECT_NE(program, 0u);
}

TEST_F(ShaderProgramTest, TheSameNameGivesTheSameProgramWithoutReadingAgainAndWithoutSupportNoShaderCallIsMade) {
  const std::string name = uniqueName("shared"), other = uniqueName("other");
  writeSources(name, kVertexSource, kFragmentSource);
  writeSources(other, kVertexSource, kFragmentSource);
  uint32_t first = 0, second = 0, own = 0;
  EXPECT_EQ(load(name, first), "");
  // Once a program is built, texture 0 samples white, and with a filter
  // that does not ask for the mipmaps it lacks (which would make it black).
  glBindTexture(GL_TEXTURE_2D, 0);
  GLubyte texel[4] = {0, 0, 0, 0};
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  GLint minFilter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  EXPECT_EQ((std::vector<int>{texel[0], texel[1], texel[2], texel[3]}), (std::vector<int>{255, 255, 255, 255}));
  EXPECT_TRUE(minFilter == GL_NEAREST || minFilter == GL_LINEAR);
  // Were the files read again, the missing sources would not compile.
  std::filesystem::remove(folder.path() / (name + ".vs"));
  EXPECT_EQ(load(name, second), "");
  EXPECT_EQ(second, first);
  load(other, own);
  EXPECT_TRUE(own != 0 && own != first);

  __glewCreateShaderObjectARB = recordCreateShader;
  __glewCreateProgramObjectARB = recordCreateProgram;
  __glewShaderSourceARB = recordShaderSource;
  __glewUseProgramObjectARB = recordUseProgram;
  shaderCalls = 0;
  programsUsed.clear();
  shaderSupport = false;
  for (const std::string& each : {name, uniqueName("missing"), std::string("cartoon")}) {
    EXPECT_EQ(load(each, own), "") << each;
    EXPECT_EQ(own, 0u) << each;
  }
  useProgram(3);
  EXPECT_EQ(shaderCalls, 0);
  EXPECT_TRUE(programsUsed.empty());
}

TEST_F(ShaderProgramTest, EachMaterialSwitchesToItsProgramAndTheOutlineToNoneOnlyWithSupport) {
  __glewUseProgramObjectARB = recordUseProgram;
  auto shaded = diffuseMaterial({1, 0, 0}, std::make_shared<Material>(7));
  auto cartoon = diffuseMaterial({0, 1, 0}, std::make_shared<ToonMaterial>(9));
  const std::vector<std::shared_ptr<SceneObject>> objects = {
      placed(squareObject("wall", 100), -150, 0, -500, shaded),
      placed(sphereObject("body", 50, 16, 8), 150, 0, -500, cartoon)};
  for (bool support : {false, true}) {
    programsUsed.clear();
    shaderSupport = support;
    drawTwice(objects, {shaded, cartoon});
    // The cartoon material is the later untextured one, so it is drawn first:
    // apply, its shaded pass; then the plain one: apply, draw; then the
    // pass's outlines; after the blended pass, fixed function again for
    // effects and overlays.
    EXPECT_EQ(programsUsed,
              support ? (std::vector<GLhandleARB>{9, 9, 7, 7, 0, 0, 9, 9, 7, 7, 0, 0}) : std::vector<GLhandleARB>{});
  }
  // Without support the materials still drew, with fixed function.
  EXPECT_TRUE(colourNear(pixel(512 - 278, 384), kRed, 8));
}

// Runs of equal values (within 2) along a line: the flat stretches.
size_t runsOf(const std::vector<int>& values) {
  size_t runs = 0;
  for (size_t i = 0; i < values.size(); ++i) runs += i == 0 || std::abs(values[i] - values[i - 1]) > 2;
  return runs;
}

TEST_F(ShaderProgramTest, TheCartoonShaderShowsFlatBandsAndATexturedMaterialAsItsLitColourTimesItsTexture) {
  setShaderFolder(std::string(std::getenv("ZUMBOLO_RUN_DIR")) + "/shaders");  // the game's own
  uint32_t cartoon = 0;
  ASSERT_EQ(load("cartoon", cartoon), "");
  // A red sphere of radius 100 at 500 shows about 189 pixels wide; where
  // fixed function shows a gradient, the shader shows a few rings, the
  // brightest (the full lit colour) facing the light.
  auto material = diffuseMaterial({1, 0, 0}, std::make_shared<ToonMaterial>(cartoon));
  drawTwice({placed(sphereObject("Cabeza", 100, 64, 32), 0, 0, -500, material)}, {material});
  std::vector<int> across, up;
  for (int d = 0; d < 180; ++d) {
    across.push_back(pixel(kCentreX + d, kCentreY).r);
    up.push_back(pixel(kCentreX, kCentreY + d).r);
  }
  EXPECT_TRUE(runsOf(across) >= 2 && runsOf(across) <= 5) << runsOf(across);
  EXPECT_EQ(runsOf(up), runsOf(across));
  for (size_t i = 1; i < across.size(); ++i) ASSERT_LE(across[i], across[i - 1] + 2) << "at " << i;
  EXPECT_LT(across.back(), across.front() - 40);
  EXPECT_TRUE(colourNear(pixel(kCentreX, kCentreY), kRed, 6));

  // 200 units aside at 500 is 0.4 / (tan(22.5 degrees) * 4 / 3) of the
  // half-width; the sign's halves lie 92 pixels either side of its middle.
  Picture picture(8, 8, Rgba{200, 100, 40, 255});
  picture.paint(4, 0, 8, 8, Rgba{40, 200, 120, 255});
  auto textured = diffuseMaterial({1, 0.5f, 1}, std::make_shared<ToonMaterial>(cartoon));
  textured->setTexture(std::make_shared<Texture>(folder.write("halves.tga", tgaFile(picture, false, false)).string()));
  auto plain = diffuseMaterial({0.2f, 0.8f, 0.4f}, std::make_shared<ToonMaterial>(cartoon));
  drawTwice({placed(squareObject("Cartel", 100), -200, 0, -500, textured),
             placed(squareObject("Cuerpo", 60), 200, 0, -500, plain)},
            {textured, plain});
  const int aside = int(0.4 / (0.41421356 * 4.0 / 3.0) * kCentreX);
  expectPixels({{kCentreX - aside - 92, kCentreY, Rgba{200, 50, 40, 255}},
                {kCentreX - aside + 92, kCentreY, Rgba{40, 100, 120, 255}},
                {kCentreX + aside, kCentreY, Rgba{51, 204, 102, 255}}}, 6);
}

}  // namespace
