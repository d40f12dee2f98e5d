// The shader loader's part that needs no OpenGL: reading a source file.

#include <gtest/gtest.h>

#include <string>

#include "assets/ShaderProgram.h"
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

}  // namespace
