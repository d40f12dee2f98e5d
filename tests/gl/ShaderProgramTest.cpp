// Building shader programs from their source files: the messages of each
// failure byte for byte (the compiler's log is fetched here on its own, with
// the same entry points, to know what must follow the message), the cache
// by name, and no shader call at all without shader support.

#include "assets/ShaderProgram.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "GlTestContext.h"
#include "engine/ShaderSupport.h"
#include "support/TempDirectory.h"

namespace {

const char* kVertexSource =
    "#version 110\n"
    "varying vec3 tint;\n"
    "void main() {\n"
    "  tint = gl_Normal;\n"
    "  gl_Position = ftransform();\n"
    "}\n";
const char* kFragmentSource =
    "#version 110\n"
    "varying vec3 tint;\n"
    "void main() { gl_FragColor = vec4(tint, 1.0); }\n";

// The compiler's log for one source, read into a buffer far larger than the
// loader's.
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

class ShaderProgramTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (HasFatalFailure()) return;
    savedSupport = shaderSupport;
    savedFolder = shaderFolder();
    ASSERT_TRUE(checkShaderSupport());
    setShaderFolder(folder.path().string());
  }
  void TearDown() override {
    shaderSupport = savedSupport;
    setShaderFolder(savedFolder);
  }

  // Every test names its own programs: the cache lives as long as the process.
  std::string uniqueName(const std::string& stem) const {
    return stem + "_" + testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  void writeSources(const std::string& name, const std::string& vertex, const std::string& fragment) const {
    folder.write(name + ".vs", vertex);
    folder.write(name + ".fs", fragment);
  }
  // Loads `name`; returns what was printed.
  std::string load(const std::string& name, uint32_t& program) const {
    testing::internal::CaptureStdout();
    program = loadShaderProgram(name);
    return testing::internal::GetCapturedStdout();
  }

  TempDirectory folder;
  bool savedSupport = false;
  std::string savedFolder;
};

TEST_F(ShaderProgramTest, AMissingVertexFileGivesTheVertexMessageFollowedByTheCompilersLog) {
  const std::string name = uniqueName("missing");
  folder.write(name + ".fs", kFragmentSource);
  uint32_t program = 1;
  const std::string output = load(name, program);
  EXPECT_EQ(program, 0u);
  const std::string log = compilerLog(GL_VERTEX_SHADER_ARB, "");
  ASSERT_FALSE(log.empty()) << "an empty source should not compile";
  EXPECT_EQ(output, "Error: El vertex shader no compila\n" + log.substr(0, kShaderLogSize - 1));
}

TEST_F(ShaderProgramTest, AFragmentShaderThatDoesNotCompileGivesTheFragmentMessageAndItsLog) {
  const std::string name = uniqueName("broken");
  const std::string broken = "#version 110\nvoid main() { gl_FragColor = undeclaredColour; }\n";
  writeSources(name, kVertexSource, broken);
  uint32_t program = 1;
  const std::string output = load(name, program);
  EXPECT_EQ(program, 0u);
  const std::string log = compilerLog(GL_FRAGMENT_SHADER_ARB, broken);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(output, "Error: El fragment shader no compila\n" + log);
}

TEST_F(ShaderProgramTest, AMissingFragmentFileIsAFragmentThatDoesNotCompile) {
  const std::string name = uniqueName("half");
  folder.write(name + ".vs", kVertexSource);
  uint32_t program = 1;
  const std::string output = load(name, program);
  EXPECT_EQ(program, 0u);
  EXPECT_EQ(output, "Error: El fragment shader no compila\n" +
                        compilerLog(GL_FRAGMENT_SHADER_ARB, "").substr(0, kShaderLogSize - 1));
}

TEST_F(ShaderProgramTest, AProgramThatDoesNotLinkGivesTheLinkMessageAlone) {
  // Both stages compile; the fragment stage has no main, which only the
  // linker sees.
  const std::string name = uniqueName("unlinked");
  const std::string noMain = "#version 110\nvec4 shade() { return vec4(1.0); }\n";
  ASSERT_EQ(compilerLog(GL_FRAGMENT_SHADER_ARB, noMain).find("error"), std::string::npos);
  writeSources(name, kVertexSource, noMain);
  uint32_t program = 1;
  const std::string output = load(name, program);
  EXPECT_EQ(program, 0u);
  EXPECT_EQ(output, "Error: El programa no se ha podido linkar adecuadamente\n");
}

TEST_F(ShaderProgramTest, ALongCompilerLogIsCutToTheBuffer) {
  std::string broken = "#version 110\nvoid main() {\n";
  for (int i = 0; i < 200; ++i) broken += "  gl_FragColor = undeclaredColourNumber" + std::to_string(i) + ";\n";
  broken += "}\n";
  const std::string log = compilerLog(GL_FRAGMENT_SHADER_ARB, broken);
  ASSERT_GT(log.size(), size_t(kShaderLogSize)) << "the compiler should report every line";

  const std::string name = uniqueName("noisy");
  writeSources(name, kVertexSource, broken);
  uint32_t program = 1;
  const std::string output = load(name, program);
  EXPECT_EQ(program, 0u);
  EXPECT_EQ(output, "Error: El fragment shader no compila\n" + log.substr(0, kShaderLogSize - 1));
}

TEST_F(ShaderProgramTest, AFailureIsNotRememberedSoTheFilesAreTriedAgain) {
  const std::string name = uniqueName("later");
  uint32_t program = 1;
  const std::string first = load(name, program);
  EXPECT_EQ(program, 0u);
  const std::string second = load(name, program);
  EXPECT_EQ(program, 0u);
  EXPECT_EQ(second, first);
  EXPECT_EQ(second.rfind("Error: El vertex shader no compila\n", 0), 0u);

  writeSources(name, kVertexSource, kFragmentSource);
  EXPECT_EQ(load(name, program), "");
  EXPECT_NE(program, 0u);
}

TEST_F(ShaderProgramTest, TheSameNameGivesTheSameProgramWithoutReadingTheFilesAgain) {
  const std::string name = uniqueName("shared");
  writeSources(name, kVertexSource, kFragmentSource);
  uint32_t first = 0;
  EXPECT_EQ(load(name, first), "");
  ASSERT_NE(first, 0u);
  GLint type = 0;
  glGetObjectParameterivARB(first, GL_OBJECT_TYPE_ARB, &type);
  EXPECT_EQ(type, GL_PROGRAM_OBJECT_ARB);

  // Were the files read again, the missing sources would not compile.
  std::filesystem::remove(folder.path() / (name + ".vs"));
  std::filesystem::remove(folder.path() / (name + ".fs"));
  uint32_t second = 0;
  EXPECT_EQ(load(name, second), "");
  EXPECT_EQ(second, first);
}

TEST_F(ShaderProgramTest, AnotherNameWithTheSameSourcesGetsAProgramOfItsOwn) {
  const std::string a = uniqueName("first");
  const std::string b = uniqueName("second");
  writeSources(a, kVertexSource, kFragmentSource);
  writeSources(b, kVertexSource, kFragmentSource);
  uint32_t programA = 0;
  uint32_t programB = 0;
  load(a, programA);
  load(b, programB);
  EXPECT_NE(programA, 0u);
  EXPECT_NE(programB, 0u);
  EXPECT_NE(programA, programB);
}

TEST_F(ShaderProgramTest, TheGamesCartoonShaderBuildsSilently) {
  const char* runDir = std::getenv("ZUMBOLO_RUN_DIR");
  ASSERT_NE(runDir, nullptr) << "ZUMBOLO_RUN_DIR names the run folder that holds shaders/";
  setShaderFolder(std::string(runDir) + "/shaders");
  uint32_t program = 0;
  EXPECT_EQ(load("cartoon", program), "");
  EXPECT_NE(program, 0u);
}

TEST_F(ShaderProgramTest, OnceAProgramIsBuiltTextureZeroSamplesWhite) {
  const std::string name = uniqueName("white");
  writeSources(name, kVertexSource, kFragmentSource);
  uint32_t program = 0;
  load(name, program);
  ASSERT_NE(program, 0u);
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glBindTexture(GL_TEXTURE_2D, 0);
  GLubyte texel[4] = {0, 0, 0, 0};
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  GLint minFilter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glBindTexture(GL_TEXTURE_2D, GLuint(bound));
  EXPECT_EQ(int{texel[0]}, 255);
  EXPECT_EQ(int{texel[1]}, 255);
  EXPECT_EQ(int{texel[2]}, 255);
  EXPECT_EQ(int{texel[3]}, 255);
  // A mipmapping filter on a single level would make it incomplete (black).
  EXPECT_TRUE(minFilter == GL_NEAREST || minFilter == GL_LINEAR);
}

// --- Without shader support ---------------------------------------------------

int shaderCalls = 0;
GLhandleARB GLAPIENTRY recordCreateShader(GLenum) { return GLhandleARB(++shaderCalls); }
GLhandleARB GLAPIENTRY recordCreateProgram() { return GLhandleARB(++shaderCalls); }
void GLAPIENTRY recordShaderSource(GLhandleARB, GLsizei, const GLcharARB**, const GLint*) { ++shaderCalls; }

TEST_F(ShaderProgramTest, WithoutSupportEveryNameGivesZeroSilentlyAndNoShaderCallIsMade) {
  const std::string built = uniqueName("built");
  writeSources(built, kVertexSource, kFragmentSource);
  uint32_t program = 0;
  load(built, program);
  ASSERT_NE(program, 0u);

  const auto savedCreateShader = __glewCreateShaderObjectARB;
  const auto savedCreateProgram = __glewCreateProgramObjectARB;
  const auto savedShaderSource = __glewShaderSourceARB;
  __glewCreateShaderObjectARB = recordCreateShader;
  __glewCreateProgramObjectARB = recordCreateProgram;
  __glewShaderSourceARB = recordShaderSource;
  shaderCalls = 0;
  shaderSupport = false;
  std::vector<std::string> outputs;
  std::vector<uint32_t> programs;
  for (const std::string& name : {built, uniqueName("missing"), std::string("cartoon")}) {
    outputs.push_back(load(name, program));
    programs.push_back(program);
  }
  __glewCreateShaderObjectARB = savedCreateShader;
  __glewCreateProgramObjectARB = savedCreateProgram;
  __glewShaderSourceARB = savedShaderSource;

  EXPECT_EQ(shaderCalls, 0);
  EXPECT_EQ(programs, (std::vector<uint32_t>{0, 0, 0}));
  EXPECT_EQ(outputs, (std::vector<std::string>{"", "", ""}));
}

}  // namespace
