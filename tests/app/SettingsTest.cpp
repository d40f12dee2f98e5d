#include "app/Settings.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/TempDirectory.h"

namespace {

const char* const kDefaultFile =
    "LANG ES\n"
    "RESOLUTION 1024 768 32 60\n"
    "WINDOWED 0\n"
    "P1_KEYS 359 357 356 358 109 110\n"
    "P2_KEYS 100 101 115 102 97 113\n"
    "P3_KEYS 106 117 104 107 103 116\n"
    "P4_KEYS 53 56 52 54 49 50\n";

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { settings = SettingsValues{}; }

  void read(const std::string& contents) {
    std::istringstream in(contents);
    Settings().read(in, "config.ini");
  }

  TempDirectory folder;
};

TEST_F(SettingsTest, MissingFileGivesDefaultsAndWritesExactlySevenLines) {
  ScopedWorkingDirectory inside(folder.path());
  Settings().load();
  EXPECT_EQ(folder.read("config.ini"), kDefaultFile);
  EXPECT_EQ(settings.language, "ES");
  EXPECT_EQ(settings.resolution.width, 1024);
  EXPECT_EQ(settings.resolution.refreshRate, 60);
  EXPECT_FALSE(settings.windowed);
  EXPECT_EQ(settings.keySets[0][KeyRoleDown], 359);
  EXPECT_EQ(settings.keySets[3][KeyRoleDive], 50);
}

TEST_F(SettingsTest, WrittenDefaultsReadBackUnchanged) {
  ScopedWorkingDirectory inside(folder.path());
  Settings().load();
  const SettingsValues written = settings;
  settings = SettingsValues{};
  Settings().load();
  EXPECT_EQ(settings.language, written.language);
  EXPECT_EQ(settings.keySets, written.keySets);
  EXPECT_EQ(settings.resolution.bitsPerPixel, 32);
  EXPECT_EQ(folder.read("config.ini"), kDefaultFile);
}

TEST_F(SettingsTest, ExistingFileIsReadAndNeverRewritten) {
  const std::string custom = "WINDOWED 1\nLANG EN\n";
  folder.write("config.ini", custom);
  ScopedWorkingDirectory inside(folder.path());
  Settings().load();
  EXPECT_TRUE(settings.windowed);
  EXPECT_EQ(settings.language, "EN");
  EXPECT_EQ(folder.read("config.ini"), custom);
}

TEST_F(SettingsTest, UnwritableFileIsReportedAndTheGameGoesOn) {
  folder.write("config.ini/blocker", "");  // a folder where the file should be
  ScopedWorkingDirectory inside(folder.path());
  testing::internal::CaptureStdout();
  Settings().save();
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_NE(output.find("config.ini"), std::string::npos);
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1);
}

TEST_F(SettingsTest, MissingKeysStayZeroWithoutDefaults) {
  read("LANG EN\n");
  EXPECT_EQ(settings.language, "EN");
  EXPECT_EQ(settings.resolution.width, 0);
  EXPECT_EQ(settings.resolution.height, 0);
  EXPECT_FALSE(settings.windowed);
  EXPECT_EQ(settings.keySets[2], (KeySet{0, 0, 0, 0, 0, 0}));
}

TEST_F(SettingsTest, WithoutLangTheLanguageIsEmpty) {
  read("RESOLUTION 640 480 16 75\n");
  EXPECT_EQ(settings.language, "");
  EXPECT_EQ(settings.resolution.bitsPerPixel, 16);
}

TEST_F(SettingsTest, OnlyWindowedOneSelectsAWindow) {
  read("WINDOWED 2");
  EXPECT_FALSE(settings.windowed);
  read("WINDOWED 1");
  EXPECT_TRUE(settings.windowed);
  read("WINDOWED -1");
  EXPECT_FALSE(settings.windowed);
}

TEST_F(SettingsTest, ShortResolutionFailsOnTheNextKeyWordAndStopsReading) {
  testing::internal::CaptureStdout();
  read("RESOLUTION 800 600\nWINDOWED 1\nLANG EN\n");
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(settings.resolution.width, 800);
  EXPECT_EQ(settings.resolution.height, 600);
  EXPECT_EQ(settings.resolution.bitsPerPixel, 0);
  EXPECT_EQ(settings.resolution.refreshRate, 0);
  EXPECT_FALSE(settings.windowed);
  EXPECT_EQ(settings.language, "");  // read after the failure: never reached
  EXPECT_EQ(output, "config.ini:2: se esperaba un numero entero tras RESOLUTION; el resto del archivo no se lee\n");
}

TEST_F(SettingsTest, FailedIntegerKeepsEarlierValuesOfThatKey) {
  settings.keySets[1] = {1, 2, 3, 4, 5, 6};
  testing::internal::CaptureStdout();
  read("P2_KEYS 10 20 x 40 50 60 LANG EN");
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(settings.keySets[1], (KeySet{10, 20, 3, 4, 5, 6}));
  EXPECT_EQ(settings.language, "");
}

TEST_F(SettingsTest, NumberTooLargeForAnIntegerStopsReading) {
  settings.resolution.width = 7;
  testing::internal::CaptureStdout();
  read("RESOLUTION 99999999999 600 32 60 LANG EN");
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(settings.resolution.width, 7);
  EXPECT_EQ(settings.resolution.height, 0);
  EXPECT_EQ(settings.language, "");
}

TEST_F(SettingsTest, StrayTokensAreSkippedOneByOne) {
  read("# my settings\nfoo LANG EN bar 12 RESOLUTION 1 2 3 4 -- P4_KEYS 1 2 3 4 5 6 end");
  EXPECT_EQ(settings.language, "EN");
  EXPECT_EQ(settings.resolution.height, 2);
  EXPECT_EQ(settings.keySets[3], (KeySet{1, 2, 3, 4, 5, 6}));
}

TEST_F(SettingsTest, KeysInAnyOrderOnAnyLinesLaterValuesWin) {
  read("P1_KEYS 1\n2 3\n4 5 6 LANG ES\tLANG EN P1_KEYS 7 8 9 10 11 12");
  EXPECT_EQ(settings.language, "EN");
  EXPECT_EQ(settings.keySets[0], (KeySet{7, 8, 9, 10, 11, 12}));
}

TEST_F(SettingsTest, KeyWordsAreCaseSensitiveWholeWords) {
  read("lang EN LANGUAGE FR RESOLUTIONS 1 2 3 4");
  EXPECT_EQ(settings.language, "");
  EXPECT_EQ(settings.resolution.width, 0);
}

TEST_F(SettingsTest, IntegerStopsAtItsLastDigitAsStreamsDo) {
  testing::internal::CaptureStdout();
  read("RESOLUTION +800abc 600 32 60");
  // 800 is taken; "abc" is the next token, which is not an integer.
  EXPECT_EQ(settings.resolution.width, 800);
  EXPECT_EQ(settings.resolution.height, 0);
  EXPECT_NE(testing::internal::GetCapturedStdout(), "");
  read("WINDOWED 1x LANG EN");
  EXPECT_TRUE(settings.windowed);
  EXPECT_EQ(settings.language, "EN");
}

TEST_F(SettingsTest, KeyWordAtEndOfFileLeavesTheSettingAlone) {
  settings.language = "ES";
  read("LANG");
  EXPECT_EQ(settings.language, "ES");
  testing::internal::CaptureStdout();
  read("RESOLUTION 640");
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(settings.resolution.width, 640);
}

TEST_F(SettingsTest, HugeWordIsCutAndReadingGoesOn) {
  read("LANG " + std::string(100000, 'x') + " RESOLUTION 1 2 3 4");
  EXPECT_EQ(settings.language.size(), Settings::kMaxWordLength);
  EXPECT_EQ(settings.resolution.refreshRate, 4);
}

}  // namespace
