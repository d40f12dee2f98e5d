// The shader loader's parts that need no OpenGL: reading a source file, and
// the promise that without shader support a request opens nothing and calls
// nothing (this program has no OpenGL context, so any shader call would
// crash it).

#include <gtest/gtest.h>

#include <string>

#include "assets/ShaderProgram.h"
#include "engine/ShaderSupport.h"
#include "support/TempDirectory.h"

namespace {

TEST(ShaderSourceTest, ATextFileIsReadWholeByteForByte) {
  TempDirectory folder;
  std::string text = "// Sombreado de dibujos\n\n#version 110\nvoid main() {}\n";
  text += "\xe9\xe1 trailing blanks   \n\n";  // Windows-1252 letters and blank lines stay as they are
  const auto path = folder.write("cartoon.vs", text);
  EXPECT_EQ(readTextFile(path.string()), text);
}

TEST(ShaderSourceTest, AFileWithoutALastLineEndKeepsItsLastCharacter) {
  TempDirectory folder;
  const auto path = folder.write("end.fs", "void main() {}");
  EXPECT_EQ(readTextFile(path.string()), "void main() {}");
}

TEST(ShaderSourceTest, AMissingFileReadsAsEmptyText) {
  TempDirectory folder;
  EXPECT_EQ(readTextFile((folder.path() / "missing.vs").string()), "");
  EXPECT_EQ(readTextFile(folder.path().string()), "");  // a folder is no text file
}

TEST(ShaderSourceTest, TheFolderNameGetsItsTrailingSlash) {
  const std::string saved = shaderFolder();
  EXPECT_EQ(saved, kDefaultShaderFolder);
  setShaderFolder("run/shaders");
  EXPECT_EQ(shaderFolder(), "run/shaders/");
  setShaderFolder("run/shaders/");
  EXPECT_EQ(shaderFolder(), "run/shaders/");
  setShaderFolder(saved);
}

TEST(ShaderSourceTest, WithoutShaderSupportEveryNameGivesZeroWithoutAMessage) {
  TempDirectory folder;
  folder.write("cartoon.vs", "void main() { gl_Position = ftransform(); }\n");
  folder.write("cartoon.fs", "void main() { gl_FragColor = vec4(1.0); }\n");
  const std::string saved = shaderFolder();
  setShaderFolder(folder.path().string());
  ASSERT_FALSE(shaderSupport);
  testing::internal::CaptureStdout();
  const uint32_t cartoon = loadShaderProgram("cartoon");
  const uint32_t missing = loadShaderProgram("missing");
  const uint32_t empty = loadShaderProgram("");
  const std::string output = testing::internal::GetCapturedStdout();
  setShaderFolder(saved);
  EXPECT_EQ(cartoon, 0u);
  EXPECT_EQ(missing, 0u);
  EXPECT_EQ(empty, 0u);
  EXPECT_EQ(output, "");
}

}  // namespace
