// The data that the content program writes into the run folder: every file
// the game asks for is there after a build, and the program writes the same
// bytes on every run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <thread>

#include "support/TempDirectory.h"
#include "tests/content/ModelTestSupport.h"

namespace {

namespace fs = std::filesystem;
using modeltest::runFolder;

const char* const kGeneratedFiles[] = {
    "imgs/main_menu.tga", "imgs/menu_background.tga", "imgs/menu_match_background.tga", "fonts/menuFont.fnz",
    "fonts/menuFont.tga", "fonts/menuFontSelected.fnz", "fonts/menuFontSelected.tga", "fonts/toon.fnz",
    "fonts/toon.tga", "sounds/ball00.wav", "sounds/ball01.wav", "sounds/ball02.wav", "sounds/cheer00.wav",
    "sounds/cheer01.wav", "sounds/cheer02.wav", "sounds/Menu.mp3", "sounds/MatchIntro.mp3", "sounds/InGame.mp3",
    "sounds/AndTheWinnerIs.mp3"};

// The build puts the content program in its own folder beside the run
// folder; it needs a folder to write into.
int runContent(const std::string& arguments) {
  const fs::path program = runFolder().parent_path() / "content" / "zumbolo-content";
  EXPECT_TRUE(fs::is_regular_file(program)) << program;
  return std::system(("\"" + program.string() + "\" " + arguments).c_str());
}

std::map<std::string, std::string> tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).generic_string()] = modeltest::readFile(entry);
  }
  return files;
}

TEST(GeneratedFilesTest, EveryFileTheGameReadsIsWrittenWithTheSameBytesOnEveryRun) {
  ASSERT_FALSE(runFolder().empty()) << "ZUMBOLO_RUN_DIR is not set";
  EXPECT_NE(runContent(">/dev/null 2>&1"), 0);
  TempDirectory first, second;
  int status = -1;
  std::thread other([&] { status = runContent("\"" + first.path().string() + "\""); });
  ASSERT_EQ(runContent("\"" + second.path().string() + "\""), 0);
  other.join();
  ASSERT_EQ(status, 0);
  const auto a = tree(first.path());
  for (const char* name : kGeneratedFiles) {
    EXPECT_GT(fs::is_regular_file(runFolder() / name) ? fs::file_size(runFolder() / name) : 0, 100u) << name;
    EXPECT_EQ(a.count(name), 1u) << name;
  }
  EXPECT_TRUE(a == tree(second.path())) << "two runs wrote different files";
}

}  // namespace
