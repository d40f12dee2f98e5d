// The options screens driven by key presses as the players drive them, with
// the game's own side of them (LiveSettings) or a recorder in its place, and
// the names they give keys.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/LiveSettings.h"
#include "app/Settings.h"
#include "app/input/Keyboard.h"
#include "app/menus/KeyNames.h"
#include "app/menus/Language.h"
#include "app/menus/Menu.h"
#include "engine/Sound.h"
#include "engine/TextureFactory.h"
#include "support/RecordingSound.h"
#include "support/TempDirectory.h"
#include "tests/app/MenuKeys.h"

namespace {

// What the options screens hand over, and what they are told there is.
class RecordingStage : public OptionsStage {
 public:
  OptionChoices current() const override { return start; }
  void carryOut(const OptionChoices& chosen) override { carried.push_back(chosen); }
  void keep() override { ++kept; }
  std::vector<ConnectedPad> connectedPads() const override { return pads; }
  std::vector<ScreenSize> screenSizes() const override { return sizes; }
  bool windowedNow() const override { return carried.empty() ? start.windowed : carried.back().windowed; }

  const OptionChoices& last() const { return carried.empty() ? start : carried.back(); }

  OptionChoices start;
  std::vector<OptionChoices> carried;
  int kept = 0;
  std::vector<ConnectedPad> pads;
  std::vector<ScreenSize> sizes{{1920, 1080, 60}, {1280, 1024, 75}, {1024, 768, 60}};
};

// Language files with every line naming its index and language, and the
// line that names the language in its own words.
std::string languageFile(const std::string& code, const std::string& ownName) {
  std::string lines;
  for (int i = 0; i < 100; ++i) lines += (i == kTextOwnLanguageName ? ownName : code + std::to_string(i)) + "\n";
  return lines;
}

class OptionsMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    releaseAllKeys();
    folder.write("lang/ES.data", languageFile("es", "ESPA\xD1OL"));
    folder.write("lang/EN.data", languageFile("en", "ENGLISH"));
    folder.write("lang/XX.data", "short\n");  // too short to name itself
    loadLanguage("lang/ES.data");
    previousOutput = setSoundOutput(output);
  }
  void TearDown() override {
    releaseAllKeys();
    setVolumes(kLoudestVolume, kLoudestVolume);
    setSoundOutput(previousOutput);
  }

  // The main menu with OPCIONES open on one of its screens: u d l r e x as
  // for pressMenuKeys, from the list (controls, sound, screen, language).
  std::unique_ptr<Menu> optionsMenu(OptionsStage* stage, const std::string& keys = "") {
    auto menu = std::make_unique<Menu>(false, textures);
    menu->setOptionsStage(stage);
    pressMenuKeys(*menu, "ddde" + keys);
    return menu;
  }

  TempDirectory folder;
  ScopedWorkingDirectory inside{folder.path()};
  std::shared_ptr<RecordingTextureFactory> textures = std::make_shared<RecordingTextureFactory>();
  std::shared_ptr<RecordingSound> output = std::make_shared<RecordingSound>();
  std::shared_ptr<SoundOutput> previousOutput;
  RecordingStage stage;
};

KeySet keysWith(KeySet keys, std::initializer_list<std::pair<int, int>> changes) {
  for (const auto& [role, code] : changes) keys[role] = code;
  return keys;
}

// Enter on an action, then the key: it becomes the action's key; the key
// that another action of the set had goes to it in exchange; Escape gives up.
TEST_F(OptionsMenuTest, AnActionTakesTheNextKeyPressedAndSwapsWithTheActionThatHadIt) {
  const KeySet p1 = kDefaultKeySets[0];
  const KeySet p2 = kDefaultKeySets[1];
  const struct {
    const char* keys;  // from the controls screen, before the key pressed
    int key;           // a character key pressed when the action waits; 0: none
    int32_t set;
    KeySet expected;
  } cases[] = {
      {"ddde", 'z', 0, keysWith(p1, {{KeyLeft, 'z'}})},
      {"ddde", 'm', 0, keysWith(p1, {{KeyLeft, 'm'}, {KeyHit, kKeyLeft}})},  // m was the hit's
      {"ddddde", kKeyEnter, 0, keysWith(p1, {{KeyHit, kKeyEnter}})},          // Enter is a key like the others
      {"rdde", 'a', 1, keysWith(p2, {{KeyUp, 'a'}, {KeyHit, 'e'}})},          // P2 KEYS, Right on the set
      {"ldddddde", 'M', 3, keysWith(kDefaultKeySets[3], {{KeyDive, 'M'}})},   // Left comes round to P4 KEYS
      {"ddex", 0, 0, p1},                                                       // Escape: nothing changes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    stage.carried.clear();
    const auto menu = optionsMenu(&stage, "e" + std::string(c.keys));
    ASSERT_EQ(menu->screen(), ControlsMenu);
    if (c.key != 0) {
      EXPECT_TRUE(menu->optionsScreens().awaitingKey());
      // While the action waits, an arrow or Enter of a pad moves nothing.
      menu->navigate(Down);
      menu->select();
      const std::string waiting = highlightedText(*menu);
      pressCharacter(*menu, static_cast<unsigned char>(c.key));
      EXPECT_EQ(highlightedText(*menu), waiting);  // the key bound neither moved nor picked
    }
    EXPECT_FALSE(menu->optionsScreens().awaitingKey());
    EXPECT_EQ(menu->screen(), ControlsMenu);
    EXPECT_EQ(menu->optionsScreens().editedKeySet(), c.set);
    EXPECT_EQ(stage.last().keySets[c.set], c.expected);
    EXPECT_EQ(stage.carried.size(), c.key != 0 ? 1u : 0u);
  }
}

TEST_F(OptionsMenuTest, AnArrowIsBoundAsAKeyAndAKeyOfAnotherSetIsNamedBesideIt) {
  const auto menu = optionsMenu(&stage, "e");  // the controls of P1 KEYS
  pressMenuKeys(*menu, "dde");                 // up, waiting
  pressSpecialKey(kKeyLeft - kSpecialKeyBase);
  menu->handleInput();
  releaseAllKeys();
  EXPECT_EQ(highlightedText(*menu), "es54");  // the press bound the key and moved nothing
  EXPECT_EQ(stage.last().keySets[0][KeyUp], kKeyLeft);
  EXPECT_EQ(stage.last().keySets[0][KeyLeft], kKeyUp);
  pressMenuKeys(*menu, "de");  // left, waiting: P2's "d"
  pressCharacter(*menu, 'd');
  EXPECT_EQ(menu->optionsScreens().otherSetUsing(KeyLeft), 1);
  EXPECT_EQ(menu->optionsScreens().otherSetUsing(KeyDown), -1);
  // Back to the defaults of the set, the other set's key left alone.
  pressMenuKeys(*menu, "dddde");
  EXPECT_EQ(stage.last().keySets[0], kDefaultKeySets[0]);
  EXPECT_EQ(menu->optionsScreens().otherSetUsing(KeyLeft), -1);
}

TEST_F(OptionsMenuTest, LeavingTheOptionsKeepsWhatChangedAndTheListComesBackWhereItWas) {
  const auto menu = optionsMenu(&stage, "ex");  // controls, and back
  EXPECT_EQ(menu->screen(), OptionsMenu);
  EXPECT_EQ(highlightedText(*menu), "es48");
  EXPECT_EQ(stage.kept, 0);
  pressMenuKeys(*menu, "x");
  EXPECT_EQ(menu->screen(), MainMenu);
  EXPECT_EQ(stage.kept, 1);
}

// Places in the plugging order keep one key set each: the place that had
// the set chosen takes the one given up. Hit and dive swap on the pads.
TEST_F(OptionsMenuTest, PadsTakeKeySetsInPluggingOrderAndSwapHitAndDive) {
  const struct {
    const char* keys;  // on the pads screen
    std::array<int32_t, kKeySetCount> order;
    bool swapped;
  } cases[] = {
      {"e", {1, 0, 2, 3}, false}, {"r", {1, 0, 2, 3}, false},  {"l", {3, 1, 2, 0}, false},
      {"ddl", {0, 2, 1, 3}, false}, {"dddde", {0, 1, 2, 3}, true}, {"ddddrl", {0, 1, 2, 3}, false},
  };
  stage.pads = {{"Pad One", 0}, {"Pad Two", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    stage.carried.clear();
    const auto menu = optionsMenu(&stage, "eddddddddle");  // controls, then pads
    ASSERT_EQ(menu->screen(), PadsMenu);
    pressMenuKeys(*menu, c.keys);
    EXPECT_EQ(stage.last().padKeySets, c.order);
    EXPECT_EQ(stage.last().padSwapHitAndDive, c.swapped);
  }
}

// The game's side: the volumes reach the sound output at once, and each
// change of the effects is heard at its new loudness.
TEST_F(OptionsMenuTest, VolumesReachTheSoundOutputAtOnceAndTheEffectsAreHeardAsTheyChange) {
  settings = Settings::defaults();
  LiveSettings live;
  const struct {
    const char* keys;  // on the sound screen
    int music;
    int effects;
    size_t hitsHeard;
  } cases[] = {
      {"r", 10, 10, 0},        // the loudest is the end
      {"ll", 8, 10, 0},        {"e", 0, 10, 0},  // Enter comes round
      {"dl", 10, 9, 1},        {"dlll", 10, 7, 3},
      {"dllllllllllll", 10, 0, 12},  // silence is the other end
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    settings = Settings::defaults();
    setVolumes(kLoudestVolume, kLoudestVolume);
    output->played.clear();
    output->playedAt.clear();
    const auto menu = optionsMenu(&live, "de");
    ASSERT_EQ(menu->screen(), SoundMenu);
    pressMenuKeys(*menu, c.keys);
    EXPECT_EQ(output->volumes.back(), std::make_pair(c.music, c.effects));
    EXPECT_EQ(settings.musicVolume, c.music);
    EXPECT_EQ(settings.effectsVolume, c.effects);
    ASSERT_EQ(output->played.size(), c.hitsHeard);
    if (c.hitsHeard > 0) {
      EXPECT_EQ(output->played.back(), size_t{0});
      EXPECT_EQ(output->playedAt.back(), std::make_pair(c.music, c.effects));
    }
  }
}

TEST_F(OptionsMenuTest, TheScreenGoesBetweenWindowAndFullScreenAndThroughTheDisplaysModes) {
  stage.start.screenSize = {1280, 1024, 75};
  const struct {
    const char* keys;  // on the screen screen
    bool windowed;
    ScreenSize size;
  } cases[] = {
      {"e", true, {1280, 1024, 75}},  {"rl", false, {1280, 1024, 75}}, {"de", false, {1024, 768, 60}},
      {"dl", false, {1920, 1080, 60}}, {"dee", false, {1920, 1080, 60}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    stage.carried.clear();
    const auto menu = optionsMenu(&stage, "dde");
    ASSERT_EQ(menu->screen(), ScreenMenu);
    pressMenuKeys(*menu, c.keys);
    EXPECT_EQ(stage.last().windowed, c.windowed);
    EXPECT_EQ(stage.last().screenSize, c.size);
  }
}

// Every file of lang/ is offered by its own name (or its code when it
// cannot say); the one picked is loaded at once and the menus speak it.
TEST_F(OptionsMenuTest, TheLanguagesOfTheFolderAreOfferedByTheirOwnNamesAndOnePickedSpeaksAtOnce) {
  const auto menu = optionsMenu(&stage, "ddde");
  ASSERT_EQ(menu->screen(), LanguageMenu);
  std::vector<std::string> names;
  for (const auto& item : menu->items()) names.push_back(item->text());
  EXPECT_EQ(names, (std::vector<std::string>{"ENGLISH", "ESPA\xD1OL", "XX", "es10"}));
  EXPECT_EQ(highlightedText(*menu), "ESPA\xD1OL");  // the language in use
  pressMenuKeys(*menu, "ue");
  EXPECT_EQ(stage.last().language, "EN");
  EXPECT_EQ(text(10), "en10");
  EXPECT_EQ(menu->items().back()->text(), "en10");  // the screen in the new words
  EXPECT_EQ(highlightedText(*menu), "ENGLISH");
  pressMenuKeys(*menu, "x");
  EXPECT_EQ(highlightedText(*menu), "en51");
  loadLanguage("lang/ES.data");
}

// Codes to names and back, in each language: every code of the keyboard's
// tables has a name of its own.
TEST_F(OptionsMenuTest, KeysAreNamedInEachLanguageAndEachNameTellsItsCode) {
  const struct {
    std::string language;
    int code;
    std::string name;
  } cases[] = {
      {"ES", kKeyUp, "FLECHA ARRIBA"},    {"EN", kKeyUp, "UP ARROW"},     {"ES", 'm', "M"},
      {"ES", 'M', "MAY\xDAS+M"},          {"EN", 'M', "SHIFT+M"},         {"ES", '4', "4"},
      {"ES", ' ', "ESPACIO"},             {"EN", kKeyEnter, "ENTER"},     {"ES", 0xF1, "\xD1"},
      {"EN", kSpecialKeyBase + 5, "F5"},  {"EN", kSpecialKeyBase + 112, "LEFT SHIFT"},
      {"ES", kSpecialKeyBase + 111, "TECLA 367"},  {"EN", 1, "KEY 1"},  {"ES", 9000, "TECLA 9000"},
  };
  const std::string spanish =
      readFile(std::filesystem::path(ZUMBOLO_TEST_SOURCE_DIR) / "data/lang/ES.data");
  const std::string english =
      readFile(std::filesystem::path(ZUMBOLO_TEST_SOURCE_DIR) / "data/lang/EN.data");
  for (const auto& [language, file] : {std::pair{"ES", spanish}, std::pair{"EN", english}}) {
    std::istringstream in(file);
    readLanguage(in, language);
    for (const auto& c : cases) {
      if (c.language != language) continue;
      SCOPED_TRACE(c.name);
      EXPECT_EQ(keyName(c.code), c.name);
      EXPECT_EQ(keyCodeNamed(c.name), c.code < kKeyCodeCount ? std::optional<int>(c.code) : std::nullopt);
    }
    for (int code = 0; code < kKeyCodeCount; ++code) EXPECT_EQ(keyCodeNamed(keyName(code)), code) << language << code;
  }
  EXPECT_EQ(keyCodeNamed("NO SUCH KEY"), std::nullopt);
  loadLanguage("lang/ES.data");
}

}  // namespace
