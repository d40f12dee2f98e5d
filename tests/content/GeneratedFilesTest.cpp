// The data that the content program writes into the run folder: every file
// the game asks for is there after a build, and the program writes the same
// bytes on every run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "support/TempDirectory.h"

namespace {

namespace fs = std::filesystem;

const char* const kGeneratedFiles[] = {
    "imgs/main_menu.tga",         "imgs/menu_background.tga",    "imgs/menu_match_background.tga",
    "fonts/menuFont.fnz",         "fonts/menuFont.tga",          "fonts/menuFontSelected.fnz",
    "fonts/menuFontSelected.tga", "fonts/toon.fnz",              "fonts/toon.tga",
    "sounds/ball00.wav",          "sounds/ball01.wav",           "sounds/ball02.wav",
    "sounds/cheer00.wav",         "sounds/cheer01.wav",          "sounds/cheer02.wav",
    "sounds/Menu.mp3",            "sounds/MatchIntro.mp3",       "sounds/InGame.mp3",
    "sounds/AndTheWinnerIs.mp3",
};

// ZUMBOLO_RUN_DIR names the run folder; without it, the run folder beside
// the build's tests/ folder, where CTest runs this suite.
fs::path runFolder() {
  if (const char* run = std::getenv("ZUMBOLO_RUN_DIR")) return fs::path(run);
  const fs::path beside = fs::current_path().parent_path() / "run";
  return fs::is_directory(beside) ? beside : fs::path();
}

// The build puts the content program in its own folder beside the run folder.
fs::path contentProgram() { return runFolder().parent_path() / "content" / "zumbolo-content"; }

std::string readAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::map<std::string, std::string> tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).generic_string()] = readAll(entry.path());
  }
  return files;
}

TEST(GeneratedFilesTest, EveryFileTheGameReadsIsInTheRunFolder) {
  ASSERT_FALSE(runFolder().empty()) << "ZUMBOLO_RUN_DIR is not set";
  for (const char* name : kGeneratedFiles) {
    const fs::path file = runFolder() / name;
    EXPECT_TRUE(fs::is_regular_file(file)) << name;
    if (fs::is_regular_file(file)) {
      EXPECT_GT(fs::file_size(file), 100u) << name;
    }
  }
}

TEST(GeneratedFilesTest, TwoRunsWriteTheSameBytes) {
  ASSERT_FALSE(runFolder().empty()) << "ZUMBOLO_RUN_DIR is not set";
  ASSERT_TRUE(fs::is_regular_file(contentProgram())) << contentProgram();
  TempDirectory first;
  TempDirectory second;
  int status[2] = {-1, -1};
  const auto run = [](const fs::path& program, const fs::path& folder, int& result) {
    result = std::system(("\"" + program.string() + "\" \"" + folder.string() + "\"").c_str());
  };
  std::thread other(run, contentProgram(), first.path(), std::ref(status[0]));
  run(contentProgram(), second.path(), status[1]);
  other.join();
  ASSERT_EQ(status[0], 0);
  ASSERT_EQ(status[1], 0);

  const auto a = tree(first.path());
  const auto b = tree(second.path());
  for (const char* name : kGeneratedFiles) EXPECT_EQ(a.count(name), 1u) << name;
  ASSERT_EQ(a.size(), b.size());
  for (const auto& [name, bytes] : a) {
    const auto match = b.find(name);
    ASSERT_NE(match, b.end()) << name;
    EXPECT_TRUE(match->second == bytes) << name << " differs between two runs";
  }
}

TEST(GeneratedFilesTest, TheProgramRefusesAMissingRunFolderArgument) {
  ASSERT_TRUE(fs::is_regular_file(contentProgram())) << contentProgram();
  const int status = std::system(("\"" + contentProgram().string() + "\" >/dev/null 2>&1").c_str());
  EXPECT_NE(status, 0);
}

}  // namespace
