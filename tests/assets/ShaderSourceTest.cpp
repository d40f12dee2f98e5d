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

TEST(ShaderSourceTest, TextFilesAreReadWholeByteForByteAndMissingOnesAsEmpty) {
  TempDirectory folder;
  // Windows-1252 letters, trailing blanks and blank lines stay as they are,
  // and so does a last line without its line end.
  for (const std::string text : {"// Sombreado\n\n#version 110\n\xe9\xe1 trailing blanks   \n\n", "void main() {}"}) {
    EXPECT_EQ(readTextFile(folder.write("cartoon.vs", text).string()), text);
  }
  EXPECT_EQ(readTextFile((folder.path() / "missing.vs").string()), "");
  EXPECT_EQ(readTextFile(folder.path().string()), "");  // a folder is no text file
}

TEST(ShaderSourceTest, WithoutShaderSupportEveryNameGivesZeroWithoutAMessage) {
  const std::string saved = shaderFolder();
  EXPECT_EQ(saved, kDefaultShaderFolder);
  // The folder name gets its trailing slash once.
  setShaderFolder("run/shaders");
  EXPECT_EQ(shaderFolder(), "run/shaders/");
  setShaderFolder("run/shaders/");
  EXPECT_EQ(shaderFolder(), "run/shaders/");

  TempDirectory folder;
  folder.write("cartoon.vs", "void main() { gl_Position = ftransform(); }\n");
  folder.write("cartoon.fs", "void main() { gl_FragColor = vec4(1.0); }\n");
  setShaderFolder(folder.path().string());
  ASSERT_FALSE(shaderSupport);
  testing::internal::CaptureStdout();
  for (const char* name : {"cartoon", "missing", ""}) EXPECT_EQ(loadShaderProgram(name), 0u) << name;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  setShaderFolder(saved);
}

}  // namespace
