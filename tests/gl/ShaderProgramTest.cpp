// Building shader programs from their source files: the messages of each
// failure byte for byte (the compiler's log is fetched here on its own, with
// the same entry points, to know what must follow the message), the cache
// by name, the white texture 0 that untextured materials sample, and no
// shader call at all without shader support.

#include "assets/ShaderProgram.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

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

TEST_F(ShaderProgramTest, EachFailureGivesItsMessageWithTheCompilersLogCutToTheBufferAndIsTriedAgainLater) {
  const std::string undeclared = "#version 110\nvoid main() { gl_FragColor = undeclaredColour; }\n";
  std::string noisy = "#version 110\nvoid main() {\n";
  for (int i = 0; i < 200; ++i) noisy += "  gl_FragColor = undeclaredColourNumber" + std::to_string(i) + ";\n";
  noisy += "}\n";
  ASSERT_GT(compilerLog(GL_FRAGMENT_SHADER_ARB, noisy).size(), size_t(kShaderLogSize))
      << "the compiler should report every line";
  // Both stages compile; the fragment stage has no main, which only the
  // linker sees.
  const std::string noMain = "#version 110\nvec4 shade() { return vec4(1.0); }\n";
  ASSERT_EQ(compilerLog(GL_FRAGMENT_SHADER_ARB, noMain).find("error"), std::string::npos);
  const struct {
    const char* stem;
    const char* vertex;  // nullptr: no file
    std::string fragment;  // empty: no file
    GLenum failingStage;  // 0: the link fails
  } cases[] = {
      {"missingVertex", nullptr, kFragmentSource, GL_VERTEX_SHADER_ARB},
      {"missingFragment", kVertexSource, "", GL_FRAGMENT_SHADER_ARB},
      {"undeclared", kVertexSource, undeclared, GL_FRAGMENT_SHADER_ARB},
      {"noisy", kVertexSource, noisy, GL_FRAGMENT_SHADER_ARB},
      {"unlinked", kVertexSource, noMain, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stem);
    const std::string name = uniqueName(c.stem);
    if (c.vertex) folder.write(name + ".vs", c.vertex);
    if (!c.fragment.empty()) folder.write(name + ".fs", c.fragment);
    std::string expected = "Error: El programa no se ha podido linkar adecuadamente\n";
    if (c.failingStage == GL_VERTEX_SHADER_ARB) {
      expected = "Error: El vertex shader no compila\n" + compilerLog(c.failingStage, "");
    } else if (c.failingStage == GL_FRAGMENT_SHADER_ARB) {
      expected = "Error: El fragment shader no compila\n" + compilerLog(c.failingStage, c.fragment);
    }
    expected = expected.substr(0, expected.find('\n') + kShaderLogSize);
    uint32_t program = 1;
    EXPECT_EQ(load(name, program), expected);
    EXPECT_EQ(program, 0u);
    EXPECT_EQ(load(name, program), expected);
  }
  // Once the files are fixed the same name builds.
  const std::string later = uniqueName("missingVertex");
  writeSources(later, kVertexSource, kFragmentSource);
  uint32_t program = 0;
  EXPECT_EQ(load(later, program), "");
  EXPECT_NE(program, 0u);
}

TEST_F(ShaderProgramTest, TheSameNameGivesTheSameProgramWithoutReadingTheFilesAgainAndAnotherNameItsOwn) {
  const std::string name = uniqueName("shared");
  const std::string other = uniqueName("other");
  writeSources(name, kVertexSource, kFragmentSource);
  writeSources(other, kVertexSource, kFragmentSource);
  uint32_t first = 0;
  EXPECT_EQ(load(name, first), "");
  ASSERT_NE(first, 0u);
  GLint type = 0;
  glGetObjectParameterivARB(first, GL_OBJECT_TYPE_ARB, &type);
  EXPECT_EQ(type, GL_PROGRAM_OBJECT_ARB);
  // Once a program is built, texture 0 samples white, and with a filter
  // that does not ask for the mipmaps it lacks (which would make it black).
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glBindTexture(GL_TEXTURE_2D, 0);
  GLubyte texel[4] = {0, 0, 0, 0};
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  GLint minFilter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glBindTexture(GL_TEXTURE_2D, GLuint(bound));
  EXPECT_EQ((std::vector<int>{texel[0], texel[1], texel[2], texel[3]}), (std::vector<int>{255, 255, 255, 255}));
  EXPECT_TRUE(minFilter == GL_NEAREST || minFilter == GL_LINEAR);

  // Were the files read again, the missing sources would not compile.
  std::filesystem::remove(folder.path() / (name + ".vs"));
  std::filesystem::remove(folder.path() / (name + ".fs"));
  uint32_t second = 0;
  EXPECT_EQ(load(name, second), "");
  EXPECT_EQ(second, first);
  uint32_t own = 0;
  load(other, own);
  EXPECT_NE(own, 0u);
  EXPECT_NE(own, first);
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
