// The two files the game reads as it starts: its settings and its texts.

#include "app/Settings.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

#include "app/GameFolders.h"
#include "app/menus/Language.h"

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

std::string failureAfter(int line, const std::string& keyWord) {
  return "config.ini:" + std::to_string(line) + ": se esperaba un numero entero tras " + keyWord +
         "; el resto del archivo no se lee\n";
}

// Every setting on one line; key sets that are all zero are left out.
std::string describe(const SettingsValues& s) {
  const Resolution& r = s.resolution;
  std::ostringstream out;
  out << s.language << " " << r.width << "x" << r.height << ":" << r.bitsPerPixel << "@" << r.refreshRate
      << (s.windowed ? " windowed" : "");
  for (int set = 0; set < kKeySetCount; ++set) {
    if (s.keySets[set] == KeySet{}) continue;
    out << " P" << set + 1;
    for (const int32_t key : s.keySets[set]) out << " " << key;
  }
  if (s.padKeySets != SettingsValues{}.padKeySets) {
    out << " pads";
    for (const int32_t set : s.padKeySets) out << " " << set + 1;
  }
  if (s.musicVolume != kLoudestVolume) out << " music " << s.musicVolume;
  if (s.effectsVolume != kLoudestVolume) out << " effects " << s.effectsVolume;
  if (!s.hints) out << " nohints";
  return out.str() + (s.padSwapHitAndDive ? " swap" : "");
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { settings = SettingsValues{}; }
  TempDirectory folder;
  ScopedWorkingDirectory inside{folder.path()};
};

TEST_F(SettingsTest, MissingFileGivesTheDefaultsWrittenAsSevenLinesAndAFileThereIsReadAndNeverRewritten) {
  Settings().load();
  EXPECT_EQ(folder.read("config.ini"), kDefaultFile);
  EXPECT_EQ(describe(settings), describe(Settings::defaults()));
  settings = SettingsValues{};
  Settings().load();
  EXPECT_EQ(describe(settings), describe(Settings::defaults()));

  const std::string custom = "WINDOWED 1\nLANG EN\n";
  folder.write("config.ini", custom);
  Settings().load();
  EXPECT_TRUE(settings.windowed);
  EXPECT_EQ(settings.language, "EN");
  EXPECT_EQ(folder.read("config.ini"), custom);
}

TEST_F(SettingsTest, AFileInAFolderNotYetMadeMakesItAndNoFolderAtAllKeepsTheDefaultsUnsaved) {
  Settings().load(folder.path() / "config/zumbolo/config.ini");
  EXPECT_EQ(folder.read("config/zumbolo/config.ini"), kDefaultFile);
  settings = SettingsValues{};
  testing::internal::CaptureStdout();
  Settings().load({});
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "No hay carpeta para config.ini (ni XDG_CONFIG_HOME ni HOME): el juego sigue con los valores por defecto\n");
  EXPECT_EQ(describe(settings), describe(Settings::defaults()));
}

// The run folder beside the executable, the installed data from bin/ or
// games/, the working folder as a last resort; and where config.ini goes.
TEST(GameFoldersTest, DataIsFoundBesideTheGameThenInstalledThenInTheWorkingFolder) {
  TempDirectory root;
  const std::filesystem::path at = root.path();
  for (const char* data : {"run", "usr/share/zumbolo", "here"}) root.write(std::string(data) + "/lang/ES.data", "");
  root.write("nowhere/zumbolo", "");
  const std::string realHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", (at / "home").c_str(), 1);
  const struct {
    std::filesystem::path executable;
    std::string xdgConfig;  // empty: not set
    std::filesystem::path data;
    std::filesystem::path settingsFile;
  } cases[] = {
      {at / "run/zumbolo", "", at / "run", "config.ini"},
      {at / "usr/bin/zumbolo", at / "xdg", at / "usr/share/zumbolo", at / "xdg/zumbolo/config.ini"},
      {at / "usr/games/zumbolo", "relative/xdg", at / "usr/share/zumbolo", at / "home/.config/zumbolo/config.ini"},
      {at / "nowhere/zumbolo", "", at / "here", "config.ini"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.executable);
    c.xdgConfig.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", c.xdgConfig.c_str(), 1);
    const std::optional<GameFolders> found = findGameFolders(c.executable, at / "here");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->data, c.data);
    EXPECT_EQ(found->settingsFile, c.settingsFile);
    EXPECT_EQ(found->installed, c.data == at / "usr/share/zumbolo");
  }
  unsetenv("HOME");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(findGameFolders(at / "usr/bin/zumbolo", at)->settingsFile, std::filesystem::path());
  setenv("HOME", realHome.c_str(), 1);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(findGameFolders(at / "nowhere/zumbolo", at / "nowhere"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "No se encuentran los datos del juego (la carpeta lang): se busco en " + (at / "nowhere").string() + ", " +
                (at / "share/zumbolo").string() + ", " + (at / "nowhere").string() + "\n");
}

TEST_F(SettingsTest, UnwritableFileIsReportedAndTheGameGoesOn) {
  folder.write("config.ini/blocker", "");  // a folder where the file should be
  testing::internal::CaptureStdout();
  EXPECT_FALSE(Settings().save());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "No se pudo escribir config.ini; los ajustes valen solo hasta que se cierre el juego\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);  // no temporary file left
}

// The seven lines first, then what is not at its default, then the lines
// of the old file that set nothing the game reads, as they stood.
TEST_F(SettingsTest, SavingWritesTheSevenLinesThenTheNewSettingsThenTheOldFilesOtherLines) {
  const auto changed = [](auto change) {
    SettingsValues values = Settings::defaults();
    change(values);
    return values;
  };
  const struct {
    const char* what;
    SettingsValues values;
    std::optional<std::string> oldFile;
    std::string written;  // after the seven lines
  } cases[] = {
      {"defaults", Settings::defaults(), std::nullopt, ""},
      {"volumes", changed([](SettingsValues& v) { v.musicVolume = 7, v.effectsVolume = 0; }), std::nullopt,
       "MUSIC_VOLUME 7\nEFFECTS_VOLUME 0\n"},
      {"pads", changed([](SettingsValues& v) { v.padKeySets = {2, 0, 1, 3}, v.padSwapHitAndDive = true; }),
       std::nullopt, "PAD_KEYS 3 1 2 4\nPAD_SWAP_HIT_DIVE 1\n"},
      {"hints off", changed([](SettingsValues& v) { v.hints = false; }), std::nullopt, "HINTS 0\n"},
      {"lines of others kept", Settings::defaults(),
       "# mis ajustes\nLANG EN\nFULLSCREEN_GAMMA 1.2 0.9\r\n\n  \nP1_KEYS 1 2\n3 4 5 6 AFTER\nMUSIC_VOLUME 3\n",
       "# mis ajustes\nFULLSCREEN_GAMMA 1.2 0.9\r\n"},
      // Lines after a value that stopped the reading: those that name a
      // setting go, or their old values would win over the new ones.
      {"after a broken value", Settings::defaults(), "RESOLUTION 800 x\nWINDOWED 1\nSKIN blue\nfoo LANG EN\n",
       "SKIN blue\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(folder.path() / "config.ini");
    if (c.oldFile) folder.write("config.ini", *c.oldFile);
    settings = c.values;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(Settings().save());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    const std::string written = folder.read("config.ini");
    EXPECT_EQ(written, kDefaultFile + c.written);
    // Read again, the file gives back what was saved.
    settings = SettingsValues{};
    Settings().load();
    EXPECT_EQ(describe(settings), describe(c.values));
    EXPECT_EQ(folder.read("config.ini"), written);
  }
}

// A folder nobody may write into: the file stays as it was, whole, and no
// temporary file is left beside it. Root writes anywhere, so for root the
// folder is made immutable as well.
TEST_F(SettingsTest, AFileThatCannotBeWrittenStaysWholeAsItWas) {
  const std::string old = "LANG EN\nP1_KEYS 1 2 3 4 5 6\n# mine\n";
  const std::filesystem::path locked = folder.write("locked/config.ini", old).parent_path();
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  int attributes = 0;
  const int handle = ::open(locked.c_str(), O_RDONLY | O_DIRECTORY);
  const bool immutable = ::access(locked.c_str(), W_OK) == 0 && handle >= 0 &&
                         ::ioctl(handle, FS_IOC_GETFLAGS, &attributes) == 0 &&
                         (attributes |= FS_IMMUTABLE_FL, ::ioctl(handle, FS_IOC_SETFLAGS, &attributes) == 0);
  const bool writable = ::access(locked.c_str(), W_OK) == 0 && !immutable;
  settings = Settings::defaults();
  settings.musicVolume = 3;
  testing::internal::CaptureStdout();
  const bool saved = writable || Settings().save(locked / "config.ini");
  const std::string printed = testing::internal::GetCapturedStdout();
  if (immutable) {
    attributes &= ~FS_IMMUTABLE_FL;
    ::ioctl(handle, FS_IOC_SETFLAGS, &attributes);
  }
  if (handle >= 0) ::close(handle);
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
  if (writable) GTEST_SKIP() << "no folder here can be kept from being written";
  EXPECT_FALSE(saved);
  EXPECT_EQ(printed, "No se pudo escribir " + (locked / "config.ini").string() +
                         "; los ajustes valen solo hasta que se cierre el juego\n");
  EXPECT_EQ(readFile(locked / "config.ini"), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked), {}), 1);
}

// Every case reads into the same earlier settings: whatever the file does not
// set, or sets only after a failure, keeps its earlier value.
TEST_F(SettingsTest, ReadingTakesWhatComesBeforeTheFirstFailure) {
  SettingsValues before;
  before.language = "ES";
  before.resolution = {7, 6, 5, 4};
  before.keySets[1] = {1, 2, 3, 4, 5, 6};
  const std::string huge(100000, 'x');
  const struct {
    std::string file;
    std::string settings;
    std::string message;
  } cases[] = {
      {"LANG EN\n", "EN 7x6:5@4 P2 1 2 3 4 5 6", ""},
      {"WINDOWED 1", "ES 7x6:5@4 windowed P2 1 2 3 4 5 6", ""},
      {"WINDOWED 2", "ES 7x6:5@4 P2 1 2 3 4 5 6", ""},
      {"WINDOWED -1", "ES 7x6:5@4 P2 1 2 3 4 5 6", ""},
      {"RESOLUTION 800 600\nWINDOWED 1\nLANG EN\n", "ES 800x600:5@4 P2 1 2 3 4 5 6", failureAfter(2, "RESOLUTION")},
      {"P2_KEYS 10 20 x 40 50 60 LANG EN", "ES 7x6:5@4 P2 10 20 3 4 5 6", failureAfter(1, "P2_KEYS")},
      {"RESOLUTION 99999999999 600 32 60 LANG EN", "ES 7x6:5@4 P2 1 2 3 4 5 6", failureAfter(1, "RESOLUTION")},
      // Unknown tokens are skipped one by one; key words come in any order on any lines and later values win.
      {"# my settings\nfoo LANG EN bar 12 RESOLUTION 1 2 3 4 -- P4_KEYS 1 2 3 4 5 6 end",
       "EN 1x2:3@4 P2 1 2 3 4 5 6 P4 1 2 3 4 5 6", ""},
      {"P1_KEYS 1\n2 3\n4 5 6 LANG FR\tLANG EN P1_KEYS 7 8 9 10 11 12",
       "EN 7x6:5@4 P1 7 8 9 10 11 12 P2 1 2 3 4 5 6", ""},
      {"lang EN LANGUAGE FR RESOLUTIONS 1 2 3 4", "ES 7x6:5@4 P2 1 2 3 4 5 6", ""},
      // An integer ends at its last digit, as streams read it: "abc" is the next token.
      {"RESOLUTION +800abc 600 32 60", "ES 800x6:5@4 P2 1 2 3 4 5 6", failureAfter(1, "RESOLUTION")},
      {"WINDOWED 1x LANG EN", "EN 7x6:5@4 windowed P2 1 2 3 4 5 6", ""},
      {"LANG", "ES 7x6:5@4 P2 1 2 3 4 5 6", ""},
      {"PAD_KEYS 2 1 4 3 PAD_SWAP_HIT_DIVE 1", "ES 7x6:5@4 P2 1 2 3 4 5 6 pads 2 1 4 3 swap", ""},
      {"PAD_KEYS 2 1 4 3 PAD_KEYS 1 3 3 4", "ES 7x6:5@4 P2 1 2 3 4 5 6",
       "config.ini:1: PAD_KEYS necesita los numeros 1 2 3 4, cada uno una vez; se usa 1 2 3 4\n"},
      {"RESOLUTION 640", "ES 640x6:5@4 P2 1 2 3 4 5 6", failureAfter(1, "RESOLUTION")},
      {"MUSIC_VOLUME 7 EFFECTS_VOLUME 0", "ES 7x6:5@4 P2 1 2 3 4 5 6 music 7 effects 0", ""},
      {"EFFECTS_VOLUME 4\nEFFECTS_VOLUME 11 MUSIC_VOLUME -1", "ES 7x6:5@4 P2 1 2 3 4 5 6 effects 4",
       "config.ini:2: EFFECTS_VOLUME va de 0 a 10; se deja en 4\n"
       "config.ini:2: MUSIC_VOLUME va de 0 a 10; se deja en 10\n"},
      {"MUSIC_VOLUME loud", "ES 7x6:5@4 P2 1 2 3 4 5 6", failureAfter(1, "MUSIC_VOLUME")},
      {"HINTS 0", "ES 7x6:5@4 P2 1 2 3 4 5 6 nohints", ""},
      {"HINTS 0 HINTS 1", "ES 7x6:5@4 P2 1 2 3 4 5 6", ""},
      {"LANG " + huge + " RESOLUTION 1 2 3 4", huge.substr(0, Settings::kMaxWordLength) + " 1x2:3@4 P2 1 2 3 4 5 6",
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 60));
    settings = before;
    std::istringstream in(c.file);
    testing::internal::CaptureStdout();
    Settings().read(in, "config.ini");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
    EXPECT_EQ(describe(settings), c.settings);
  }
}

TEST(LanguageTest, LinesAreTextsByIndexFromZeroUpToTheFirstBrokenLine) {
  const TempDirectory folder;
  const std::string path = (folder.path() / "lang/XX.data").string();
  const std::string longest(kMaxLanguageLineLength, 'a');
  const struct {
    std::optional<std::string> contents;  // none: there is no file
    std::vector<std::string> texts;
    std::string message;
  } cases[] = {
      {"JUGAR\nCREDITOS\n\nSALIR", {"JUGAR", "CREDITOS", "", "SALIR"}, ""},
      {"Espa\xF1ol\r\n\xBFJugar?\r\n", {"Espa\xF1ol", "\xBFJugar?"}, ""},
      {longest + "\r\n" + longest + "\nnext\n", {longest, longest, "next"}, ""},
      {"first\n" + longest + "b\nnever\n",
       {"first"},
       path + ":2: linea de mas de 254 caracteres; el resto del archivo no se lee\n"},
      {longest + "bb\nnever\n", {}, path + ":1: linea de mas de 254 caracteres; el resto del archivo no se lee\n"},
      {std::string(kMaxLanguageLines + 10, '\n'), std::vector<std::string>(kMaxLanguageLines),
       path + ":4097: demasiadas lineas; el resto del archivo no se lee\n"},
      {std::nullopt, {}, "No se pudo abrir el archivo de idioma " + path + "; los textos quedan vacios\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.contents.value_or("(no file)").substr(0, 40));
    std::istringstream previous("old\n");  // a missing file must not leave these behind
    readLanguage(previous, "old");
    std::filesystem::remove(path);
    if (c.contents) folder.write("lang/XX.data", *c.contents);
    testing::internal::CaptureStdout();
    loadLanguage(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
    ASSERT_EQ(languageTextCount(), c.texts.size());
    for (size_t i = 0; i < c.texts.size(); ++i) EXPECT_EQ(text(static_cast<int32_t>(i)), c.texts[i]) << i;
    EXPECT_EQ(text(static_cast<int32_t>(c.texts.size())), "");  // past the end
    EXPECT_EQ(text(-1), "");
  }
}

}  // namespace
