// The keyboard tables, and the menus driven through them as the players drive
// them, with fonts and pictures that are only recorded, never decoded.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/input/Keyboard.h"
#include "app/menus/Language.h"
#include "app/match/MatchSetup.h"
#include "app/menus/Menu.h"
#include "engine/TextureFactory.h"
#include "tests/app/MenuKeys.h"

namespace {

std::string label(int index) { return "T" + std::to_string(index); }

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override { releaseAllKeys(); }
  void TearDown() override { releaseAllKeys(); }
};

TEST_F(KeyboardTest, HeldKeyIsReportedOnceUntilReleasedAndReleaseFreesBothCases) {
  pressCharacterKey('M');
  EXPECT_TRUE(isKeyDown(77));
  EXPECT_FALSE(isKeyDown(109));  // case matters for presses
  EXPECT_TRUE(wasKeyPressed('M'));
  pressCharacterKey('M');  // a repeated press while held
  EXPECT_FALSE(wasKeyPressed('M'));
  releaseCharacterKey('m');  // Shift let go first: X reports the lower case
  EXPECT_FALSE(isKeyDown('M'));
  EXPECT_FALSE(wasKeyPressed('M'));
  pressCharacterKey('M');
  EXPECT_TRUE(wasKeyPressed('M'));
}

TEST_F(KeyboardTest, SpecialKeysLiveAbove256AndCodesOutsideTheTablesNeverMatchAndNeverWrite) {
  pressSpecialKey(101);  // GLUT_KEY_UP
  EXPECT_TRUE(wasKeyPressed(357));
  EXPECT_FALSE(isKeyDown(101));  // the character 'e' is another key
  releaseSpecialKey(101);
  EXPECT_FALSE(isKeyDown(357));

  for (int code = 0; code < kSpecialKeyBase; ++code) pressCharacterKey(static_cast<unsigned char>(code));
  for (int key = 0; kSpecialKeyBase + key < kKeyCodeCount; ++key) pressSpecialKey(key);
  for (int code : {-1, -256, kKeyCodeCount, 9000, 2147483647, -2147483647 - 1}) {
    EXPECT_FALSE(isKeyDown(code)) << code;
    EXPECT_FALSE(wasKeyPressed(code)) << code;
  }
  pressSpecialKey(300);
  pressSpecialKey(-400);
  releaseSpecialKey(300);
  EXPECT_TRUE(isKeyDown(kKeyCodeCount - 1));
  EXPECT_TRUE(isKeyDown(0));
}

class MenuTest : public KeyboardTest {
 protected:
  void SetUp() override {
    KeyboardTest::SetUp();
    // Every language line names its own index, so an item shows which text it is.
    std::string lines;
    for (int i = 0; i <= kTextMove; ++i) lines += label(i) + "\n";
    std::istringstream in(lines);
    readLanguage(in, "XX.data");
    matchSetup = MatchSetup{};
  }

  std::unique_ptr<Menu> menuOn(MenuScreen screen, bool inGame = false) {
    auto menu = std::make_unique<Menu>(inGame, textures);
    menu->goToScreen(screen);
    return menu;
  }
  // Taps the keys one by one, each seen by one poll of the menu: u d l r for
  // the arrows, e for Enter, x for Escape.
  static void press(Menu& menu, const std::string& keys) { pressMenuKeys(menu, keys); }
  static std::string highlighted(const Menu& menu) { return highlightedText(menu); }
  static std::vector<std::string> texts(const Menu& menu) {
    std::vector<std::string> result;
    for (const auto& item : menu.items()) result.push_back(item->text());
    return result;
  }

  std::shared_ptr<RecordingTextureFactory> textures = std::make_shared<RecordingTextureFactory>();
};

TEST_F(MenuTest, TheLessonListStartsAtTheFirstLessonNotPassedAndPicksTheOneHighlighted) {
  const auto menu = menuOn(MainMenu);
  TrainingProgress progress;
  progress.markPassed(LessonId::Serve);
  progress.markPassed(LessonId::Stroke);
  menu->setTrainingProgress(progress);
  menu->goToScreen(TrainingMenu);
  EXPECT_EQ(highlighted(*menu), "3. " + label(kTextFirstLesson + 2));
  press(*menu, "de");
  EXPECT_EQ(menu->screen(), StartLesson);
  EXPECT_EQ(menu->pickedLesson(), LessonId::Drive);
}

TEST_F(MenuTest, ALessonsPauseOffersTheNextLessonAndLeavingTraining) {
  const auto menu = menuOn(Playing, true);
  menu->setLessonPlay(true);
  menu->goToScreen(Paused);
  EXPECT_EQ(texts(*menu), (std::vector<std::string>{label(13), label(kTextNextLesson), label(kTextLeaveTraining)}));
  press(*menu, "de");
  EXPECT_EQ(menu->screen(), NextLessonRequest);
}

TEST_F(MenuTest, ArrowsFollowTheLinksAndEnterRunsTheHighlightedItem) {
  const struct {
    MenuScreen screen;
    bool inGame;
    const char* keys;
    MenuScreen screenAfter;
    std::string highlighted;
  } cases[] = {
      {MainMenu, false, "u", MainMenu, label(0)},  // nothing above the first item
      {MainMenu, false, "dddddd", MainMenu, label(15)},  // nor below the last
      {MainMenu, false, "due", MatchOptions, label(6)},
      {MainMenu, false, "de", Tournament, "(none)"},  // its screens are the tournament's own
      {MainMenu, false, "dde", TrainingMenu, "1. " + label(kTextFirstLesson)},  // ENTRENAMIENTO, just above OPCIONES
      {MainMenu, false, "ddde", OptionsMenu, label(48)},  // OPCIONES, just above CRÉDITOS
      {MainMenu, false, "dddde", Credits, label(9)},
      {MainMenu, false, "ddddde", EndGame, "(none)"},
      {TrainingMenu, false, "dde", StartLesson, "(none)"},
      {TrainingMenu, false, "ddddddddd", TrainingMenu, label(10)},  // back is under the last lesson
      {TrainingMenu, false, "ddddddddde", MainMenu, label(0)},
      {TrainingMenu, false, "x", MainMenu, label(0)},
      {MatchOptions, false, "dddd", MatchOptions, label(9)},  // back is beside next, not below it
      {MatchOptions, false, "dddr", MatchOptions, label(10)},
      {MatchOptions, false, "dddrl", MatchOptions, label(9)},
      {MatchOptions, false, "dddru", MatchOptions, label(8)},
      {MatchOptions, false, "dddre", MainMenu, label(0)},
      {MatchOptions, false, "ddde", PlayerSelect, "?"},
      {MatchOptions, false, "dddlr", MatchOptions, label(9)},  // network sits left of next
      {MatchOptions, false, "dddlu", MatchOptions, label(8)},
      {MatchOptions, false, "dddle", NetworkMenu, label(38)},
      {NetworkMenu, false, "dde", MatchOptions, label(6)},
      {NetworkMenu, false, "e", HostRequest, "(none)"},
      {NetworkMenu, false, "de", JoinAddress, label(39)},
      {JoinAddress, false, "uuurue", JoinRequest, "(none)"},
      {JoinAddress, false, "ulll", NetworkMenu, label(38)},  // left on an empty address goes back
      {HostWaiting, false, "e", NetCancel, "(none)"},
      {Credits, false, "ddulrd", Credits, label(9)},  // the highlight stays on the one item that does something
      {Credits, false, "e", MainMenu, label(0)},
      {PlayerSelect, false, "ddde", MatchOptions, label(6)},  // only back until every player has a character
      {PlayerSelect, false, "eeddedeedde", PlayerSelect, "VAZUVODOD"},
      {PlayerSelect, false, "eeddedeeddedd", PlayerSelect, label(9)},  // down from the last player reaches next
      {PlayerSelect, false, "eeddedeeddeddrle", StartSingles, "(none)"},
      {Paused, true, "e", Playing, "(none)"},
      {Paused, true, "de", QuitMatch, "(none)"},
      {StartDoubles, false, "edurle", StartDoubles, "(none)"},
      // Escape goes back as each screen's back item does; the main menu stays,
      // and in a match Escape is the pause's, not the menu's.
      {MatchOptions, false, "x", MainMenu, label(0)},
      {PlayerSelect, false, "x", MatchOptions, label(6)},
      {PlayerSetup, false, "x", PlayerSelect, "?"},
      {Credits, false, "x", MainMenu, label(0)},
      {NetworkMenu, false, "x", MatchOptions, label(6)},
      {JoinAddress, false, "x", NetworkMenu, label(38)},
      {HostWaiting, false, "x", NetCancel, "(none)"},
      {MainMenu, false, "dddx", MainMenu, label(3)},
      {Paused, true, "x", Paused, label(13)},
      {OptionsMenu, false, "ddx", MainMenu, label(3)},
      {OptionsMenu, false, "ddddde", MainMenu, label(3)},
      {OptionsMenu, false, "dddde", OptionsMenu, label(kTextHints) + ": " + label(kTextOff)},  // the hints turned off
      {ControlsMenu, false, "x", OptionsMenu, label(48)},
      {ControlsMenu, false, "dddddddde", OptionsMenu, label(48)},
      {ControlsMenu, false, "ddddddddle", PadsMenu, label(63) + " 1"},
      {PadsMenu, false, "x", ControlsMenu, label(62)},
      {PadsMenu, false, "ddddde", ControlsMenu, label(62)},
      {SoundMenu, false, "x", OptionsMenu, label(49)},
      {ScreenMenu, false, "x", OptionsMenu, label(50)},
      {ScreenMenu, false, "dde", OptionsMenu, label(50)},
      {LanguageMenu, false, "x", OptionsMenu, label(51)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.screen << " " << c.keys);
    matchSetup.slots = MatchSetup{}.slots;  // the set-up outlives the menus
    const auto menu = menuOn(c.screen, c.inGame);
    press(*menu, c.keys);
    EXPECT_EQ(menu->screen(), c.screenAfter);
    EXPECT_EQ(highlighted(*menu), c.highlighted);
  }
  EXPECT_EQ(matchSetup.setsToPlay, MatchSetup{}.setsToPlay);  // nothing chose an option

  // A key held down acts once.
  const auto menu = menuOn(MainMenu);
  pressSpecialKey(kKeyDown - kSpecialKeyBase);
  for (int poll = 0; poll < 3; ++poll) menu->handleInput();
  EXPECT_EQ(highlighted(*menu), label(kTextTournament));
}

TEST_F(MenuTest, OverTheNetworkEachGameEditsOnlyItsOwnSlotsAndOnlyTheHostStarts) {
  const auto joiner = menuOn(PlayerSelect);
  const auto host = menuOn(PlayerSelect);
  // Each main menu starts the slots afresh: the players choose after.
  matchSetup.slots[0].character = 1;
  matchSetup.slots[1].character = 2;
  const uint8_t joinerSlots = 0x2 | 0x8;
  joiner->setNetworkPlay(0x1 | 0x4, true, true);  // the host's slots
  EXPECT_EQ(texts(*joiner), (std::vector<std::string>{"ROVERIRU", label(10)}));
  press(*joiner, "e");
  EXPECT_EQ(joiner->selectedSlot(), 1);
  joiner->goToScreen(PlayerSelect);
  press(*joiner, "de");
  EXPECT_EQ(joiner->screen(), NetCancel);  // a joiner going back leaves

  host->setNetworkPlay(joinerSlots, false, false);
  EXPECT_EQ(texts(*host), (std::vector<std::string>{"VAZUVODOD", label(10)}));
  host->setNetworkPlay(joinerSlots, false, true);  // the joiner has seen the host's choice
  EXPECT_EQ(texts(*host), (std::vector<std::string>{"VAZUVODOD", label(9), label(10)}));
  EXPECT_EQ(highlighted(*host), "VAZUVODOD");
}

TEST_F(MenuTest, TheHostsAddressIsTypedByKeysAndByAPad) {
  const auto menu = menuOn(JoinAddress);
  for (const unsigned char key : std::string("127.0.0.9\b1:x!7")) {
    pressCharacterKey(key);
    releaseCharacterKey(key);  // a tap within one frame still types
    menu->handleInput();
  }
  EXPECT_EQ(menu->typedAddress(), "127.0.0.1:x7");
  press(*menu, "lllrdd");  // a pad: away go three, a "0" comes and steps down twice
  EXPECT_EQ(menu->typedAddress(), "127.0.0.1.");
}

// Right steps a value as Enter does and Left steps it back; neither moves
// the highlight off a value.
TEST_F(MenuTest, SetsCycleThreeFiveOneAndGamesTwoSixAndTheModeToggles) {
  const struct {
    const char* keys;
    int32_t sets;
    int32_t games;
    int32_t doubles;
  } cases[] = {{"", 3, 2, 0},    {"e", 5, 2, 0},   {"ee", 1, 2, 0},  {"eee", 3, 2, 0},
               {"de", 3, 6, 0}, {"dee", 3, 2, 0}, {"dde", 3, 2, 1}, {"ddee", 3, 2, 0},
               {"r", 5, 2, 0},  {"rr", 1, 2, 0},  {"l", 1, 2, 0},   {"ll", 5, 2, 0},
               {"dl", 3, 6, 0}, {"ddr", 3, 2, 1}, {"ddl", 3, 2, 1}, {"ddrl", 3, 2, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    matchSetup = MatchSetup{};
    const auto menu = menuOn(MatchOptions);
    press(*menu, c.keys);
    EXPECT_EQ(matchSetup.setsToPlay, c.sets);
    EXPECT_EQ(matchSetup.gamesPerSet, c.games);
    EXPECT_EQ(matchSetup.doublesFlag, c.doubles);
    EXPECT_EQ(menu->screen(), MatchOptions);
  }
}

TEST_F(MenuTest, ANewMainMenuKeepsTheLastSetUpAndDoublesNeedAllFourCharacters) {
  matchSetup.doublesFlag = 1;
  matchSetup.slots[3] = {3, 7};
  const auto menu = menuOn(MainMenu);  // after a match: its set-up is the next one's start
  EXPECT_EQ(matchSetup.slots[3], (PlayerSlot{3, 7}));
  EXPECT_EQ(menu->controllerLabel(6), "CPU LEVEL 2");
  matchSetup.slots[0].character = 2;
  matchSetup.slots[1].character = 3;
  matchSetup.slots[3].character = kNoCharacter;
  menu->goToScreen(PlayerSelect);
  // Far player, far partner, near partner, near player: top of the court down.
  EXPECT_EQ(texts(*menu), (std::vector<std::string>{"REVIRADE", "?", "?", "ROVERIRU", label(10)}));
  EXPECT_EQ(menu->items()[1]->action(), EditSlot3);
  EXPECT_EQ(menu->items()[2]->action(), EditSlot2);
  EXPECT_FALSE(menu->findItem(StartMatch));
  matchSetup.slots[2].character = 4;
  matchSetup.slots[3].character = 1;
  menu->goToScreen(PlayerSelect);
  EXPECT_TRUE(menu->findItem(StartMatch));
  // The foot row lies centred: next left of the middle, back right of it.
  EXPECT_EQ(menu->findItem(StartMatch)->x() + menu->findItem(PlayerSelectBack)->x(), 2 * 512.0f);
  press(*menu, "dddde");
  EXPECT_EQ(menu->screen(), StartDoubles);
}

// Each cycle comes round to where it began (slot 1: its own key set, P2);
// "not chosen" is only where a slot starts.
TEST_F(MenuTest, CharacterAndControllerCyclesComeRoundAndLabelsOutsideTheTablesAreEmpty) {
  const auto menu = menuOn(PlayerSelect);
  press(*menu, "e" + std::string(kCharacterCount + 1, 'e') + "d" + std::string(kControllerCount, 'e'));
  EXPECT_EQ(menu->characterLabel(matchSetup.slots[1].character), "VAZUVODOD");
  EXPECT_EQ(menu->controllerLabel(matchSetup.slots[1].controller), "P2 KEYS");
  EXPECT_EQ(matchSetup.slots[0].character, kNoCharacter);  // only the edited slot changes
  EXPECT_EQ(menu->characterLabel(5), "");
  EXPECT_EQ(menu->characterLabel(-1), "");
  EXPECT_EQ(menu->controllerLabel(kControllerCount), "");
}

// Left goes the other way round, past "not chosen" and the first key set.
TEST_F(MenuTest, LeftAndRightStepTheCharacterAndTheController) {
  const struct {
    const char* keys;
    PlayerSlot slot1;
  } cases[] = {
      {"r", {1, 1}},  {"l", {kCharacterCount, 1}}, {"lr", {1, 1}},       {"dl", {kNoCharacter, 0}},
      {"dll", {kNoCharacter, kControllerCount - 1}}, {"dr", {kNoCharacter, 2}}, {"rdr", {1, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    matchSetup = MatchSetup{};
    const auto menu = menuOn(PlayerSelect);
    press(*menu, "e");  // the far player: slot 1
    press(*menu, c.keys);
    EXPECT_EQ(matchSetup.slots[1], c.slot1);
    EXPECT_EQ(menu->screen(), PlayerSetup);
  }
}

}  // namespace
