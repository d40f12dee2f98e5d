// The menus driven through the keyboard tables, as the players drive them,
// with fonts and pictures that are only recorded, never decoded.

#include <gtest/gtest.h>

#include <string>

#include "app/Application.h"
#include "app/Keyboard.h"
#include "app/Language.h"
#include "app/MatchSetup.h"
#include "app/Menu.h"
#include "app/Settings.h"
#include "support/TempDirectory.h"

namespace {

constexpr int kGlutUp = kKeyUp - kSpecialKeyBase;
constexpr int kGlutDown = kKeyDown - kSpecialKeyBase;
constexpr int kGlutLeft = kKeyLeft - kSpecialKeyBase;
constexpr int kGlutRight = kKeyRight - kSpecialKeyBase;

// Every language line names its own index, so an item shows which text it is.
std::string languageFile() {
  std::string lines;
  for (int i = 0; i < 29; ++i) lines += "T" + std::to_string(i) + "\n";
  return lines;
}

std::string label(int index) { return "T" + std::to_string(index); }

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.write("lang/XX.data", languageFile());
    loadLanguage((folder.path() / "lang/XX.data").string());
    matchSetup = MatchSetup{};
    releaseAllKeys();
  }
  void TearDown() override { releaseAllKeys(); }

  std::unique_ptr<Menu> mainMenu() { return std::make_unique<Menu>(false, textures); }

  // One press and release of a special key, seen by one poll of the menu.
  void tapSpecial(Menu& menu, int glutKey) {
    pressSpecialKey(glutKey);
    menu.handleInput();
    releaseSpecialKey(glutKey);
  }
  void tapEnter(Menu& menu) {
    pressCharacterKey(kKeyEnter);
    menu.handleInput();
    releaseCharacterKey(kKeyEnter);
  }
  std::string highlighted(const Menu& menu) const {
    return menu.selected() ? menu.selected()->text() : std::string("(none)");
  }
  // Moves the highlight down to the item showing `wanted`, then presses Enter.
  void choose(Menu& menu, const std::string& wanted) {
    for (size_t i = 0; i < menu.items().size() && highlighted(menu) != wanted; ++i) tapSpecial(menu, kGlutDown);
    ASSERT_EQ(highlighted(menu), wanted);
    tapEnter(menu);
  }
  std::vector<std::string> texts(const Menu& menu) const {
    std::vector<std::string> result;
    for (const auto& item : menu.items()) result.push_back(item->text());
    return result;
  }

  TempDirectory folder;
  std::shared_ptr<RecordingTextureFactory> textures = std::make_shared<RecordingTextureFactory>();
};

// --- navigation and screens --------------------------------------------------

TEST_F(MenuTest, MainMenuOffersPlayCreditsAndQuitInThatOrder) {
  auto menu = mainMenu();
  EXPECT_EQ(menu->screen(), MainMenu);
  EXPECT_EQ(texts(*menu), (std::vector<std::string>{label(0), label(1), label(15)}));
  EXPECT_EQ(highlighted(*menu), label(0));
  tapSpecial(*menu, kGlutUp);  // nothing above the first item
  EXPECT_EQ(highlighted(*menu), label(0));
  tapSpecial(*menu, kGlutDown);
  tapSpecial(*menu, kGlutDown);
  tapSpecial(*menu, kGlutDown);  // nothing below the last
  EXPECT_EQ(highlighted(*menu), label(15));
  tapSpecial(*menu, kGlutUp);
  tapEnter(*menu);
  EXPECT_EQ(menu->screen(), Credits);
}

TEST_F(MenuTest, MatchOptionsLinksReachNextAndBackAndReturnUp) {
  auto menu = mainMenu();
  tapEnter(*menu);
  ASSERT_EQ(menu->screen(), MatchOptions);
  EXPECT_EQ(highlighted(*menu), label(6));
  tapSpecial(*menu, kGlutDown);
  tapSpecial(*menu, kGlutDown);
  EXPECT_EQ(highlighted(*menu), label(8));
  tapSpecial(*menu, kGlutDown);
  EXPECT_EQ(highlighted(*menu), label(9));
  tapSpecial(*menu, kGlutDown);  // back is beside next, not below it
  EXPECT_EQ(highlighted(*menu), label(9));
  tapSpecial(*menu, kGlutRight);
  EXPECT_EQ(highlighted(*menu), label(10));
  tapSpecial(*menu, kGlutLeft);
  EXPECT_EQ(highlighted(*menu), label(9));
  tapSpecial(*menu, kGlutRight);
  tapSpecial(*menu, kGlutUp);
  EXPECT_EQ(highlighted(*menu), label(8));
  // Back returns to the main menu with its first item highlighted.
  tapSpecial(*menu, kGlutDown);
  tapSpecial(*menu, kGlutRight);
  tapEnter(*menu);
  EXPECT_EQ(menu->screen(), MainMenu);
  EXPECT_EQ(highlighted(*menu), label(0));
}

TEST_F(MenuTest, CreditsHoldTheHighlightAndEnterReturnsToTheMainMenu) {
  auto menu = mainMenu();
  menu->goToScreen(Credits);
  EXPECT_EQ(texts(*menu), (std::vector<std::string>{label(9), label(16), kCreditNames[0], label(17), label(18),
                                                    kCreditNames[1], label(19), kCreditNames[2], label(20)}));
  for (int glutKey : {kGlutDown, kGlutDown, kGlutUp, kGlutLeft, kGlutRight, kGlutDown}) {
    tapSpecial(*menu, glutKey);
    EXPECT_EQ(menu->selected(), menu->items().front());
  }
  tapEnter(*menu);
  EXPECT_EQ(menu->screen(), MainMenu);
}

TEST_F(MenuTest, EnterOnScreensWithoutItemsDoesNothing) {
  for (MenuScreen screen : {StartSingles, StartDoubles, Playing, QuitMatch}) {
    auto menu = mainMenu();
    menu->goToScreen(screen);
    EXPECT_TRUE(menu->items().empty());
    tapEnter(*menu);
    tapSpecial(*menu, kGlutDown);
    tapEnter(*menu);
    EXPECT_EQ(menu->screen(), screen);
  }
  EXPECT_EQ(matchSetup.setsToPlay, 3);
  EXPECT_EQ(matchSetup.doublesFlag, 0);
}

TEST_F(MenuTest, KeyHeldDownActsOnce) {
  auto menu = mainMenu();
  pressSpecialKey(kGlutDown);
  menu->handleInput();
  menu->handleInput();
  menu->handleInput();
  EXPECT_EQ(highlighted(*menu), label(1));
}

TEST_F(MenuTest, PauseScreenResumesOrLeaves) {
  Menu menu(true, textures);
  EXPECT_EQ(menu.screen(), Playing);
  menu.goToScreen(Paused);
  EXPECT_EQ(texts(menu), (std::vector<std::string>{label(13), label(14)}));
  tapEnter(menu);
  EXPECT_EQ(menu.screen(), Playing);
  menu.goToScreen(Paused);
  tapSpecial(menu, kGlutDown);
  tapEnter(menu);
  EXPECT_EQ(menu.screen(), QuitMatch);
}

TEST_F(MenuTest, BackgroundsChangeOnlyOnTheirScreens) {
  auto menu = mainMenu();
  ASSERT_TRUE(menu->background());
  EXPECT_EQ(menu->background()->path(), "imgs/main_menu.tga");
  menu->goToScreen(MatchOptions);
  EXPECT_EQ(menu->background()->path(), "imgs/menu_background.tga");
  menu->goToScreen(PlayerSelect);
  EXPECT_EQ(menu->background()->path(), "imgs/menu_match_background.tga");
  menu->goToScreen(StartSingles);  // a request keeps the picture behind it
  EXPECT_EQ(menu->background()->path(), "imgs/menu_match_background.tga");
  menu->goToScreen(PlayerSetup);
  EXPECT_EQ(menu->background()->path(), "imgs/menu_background.tga");

  Menu inGame(true, textures);
  inGame.goToScreen(Paused);
  EXPECT_FALSE(inGame.background());  // the match shows behind the pause screen
}

TEST_F(MenuTest, MissingLanguageFileLeavesEmptyItemsThatStillWork) {
  loadLanguage((folder.path() / "lang/none.data").string());
  auto menu = mainMenu();
  EXPECT_EQ(texts(*menu), (std::vector<std::string>{"", "", ""}));
  tapEnter(*menu);
  EXPECT_EQ(menu->screen(), MatchOptions);
}

// --- match options -----------------------------------------------------------

TEST_F(MenuTest, SetsCycleThreeFiveOneAndGamesTwoSix) {
  auto menu = mainMenu();
  menu->goToScreen(MatchOptions);
  EXPECT_EQ(matchSetup.setsToPlay, 3);
  for (int expected : {5, 1, 3}) {
    tapEnter(*menu);
    EXPECT_EQ(matchSetup.setsToPlay, expected);
  }
  tapSpecial(*menu, kGlutDown);
  EXPECT_EQ(matchSetup.gamesPerSet, 2);
  for (int expected : {6, 2, 6}) {
    tapEnter(*menu);
    EXPECT_EQ(matchSetup.gamesPerSet, expected);
  }
  tapSpecial(*menu, kGlutDown);
  tapEnter(*menu);
  EXPECT_EQ(matchSetup.doublesFlag, 1);
  tapEnter(*menu);
  EXPECT_EQ(matchSetup.doublesFlag, 0);
  EXPECT_EQ(menu->screen(), MatchOptions);
}

TEST_F(MenuTest, NewMainMenuResetsTheSlotsButKeepsTheOptions) {
  matchSetup.setsToPlay = 5;
  matchSetup.gamesPerSet = 6;
  matchSetup.doublesFlag = 1;
  matchSetup.slots[2] = {3, 7};
  auto menu = mainMenu();
  EXPECT_EQ(matchSetup.setsToPlay, 5);
  EXPECT_EQ(matchSetup.gamesPerSet, 6);
  EXPECT_EQ(matchSetup.doublesFlag, 1);
  for (int slot = 0; slot < kPlayerSlotCount; ++slot) {
    EXPECT_EQ(matchSetup.slots[slot].character, 0);
    EXPECT_EQ(matchSetup.slots[slot].controller, slot);  // each slot its own key set
  }
}

// --- players -----------------------------------------------------------------

TEST_F(MenuTest, PlayerSelectOffersOnlyBackUntilEveryPlayingSlotHasACharacter) {
  auto menu = mainMenu();
  menu->goToScreen(PlayerSelect);
  EXPECT_EQ(texts(*menu), (std::vector<std::string>{"?", "?", label(10)}));
  EXPECT_EQ(menu->findItem(PlayerSelectBack)->x(), 500);  // alone, in the middle
  EXPECT_FALSE(menu->findItem(StartMatch));

  // The far player (slot 1, listed first) picks a character.
  tapEnter(*menu);
  ASSERT_EQ(menu->screen(), PlayerSetup);
  EXPECT_EQ(menu->selectedSlot(), 1);
  tapEnter(*menu);
  choose(*menu, label(9));
  ASSERT_EQ(menu->screen(), PlayerSelect);
  EXPECT_EQ(texts(*menu), (std::vector<std::string>{"VAZUVODOD", "?", label(10)}));

  // Then the near player (slot 0): twice round to the second character.
  tapSpecial(*menu, kGlutDown);
  tapEnter(*menu);
  EXPECT_EQ(menu->selectedSlot(), 0);
  tapEnter(*menu);
  tapEnter(*menu);
  choose(*menu, label(9));
  EXPECT_EQ(texts(*menu), (std::vector<std::string>{"VAZUVODOD", "ROVERIRU", label(9), label(10)}));

  // Next sits left of back; down from the last slot reaches next.
  tapSpecial(*menu, kGlutDown);
  tapSpecial(*menu, kGlutDown);
  EXPECT_EQ(highlighted(*menu), label(9));
  tapSpecial(*menu, kGlutRight);
  EXPECT_EQ(highlighted(*menu), label(10));
  tapSpecial(*menu, kGlutLeft);
  tapEnter(*menu);
  EXPECT_EQ(menu->screen(), StartSingles);
}

TEST_F(MenuTest, DoublesNeedAllFourCharactersAndStartADoublesMatch) {
  matchSetup.doublesFlag = 1;
  auto menu = mainMenu();
  matchSetup.slots[0].character = 2;
  matchSetup.slots[1].character = 3;
  menu->goToScreen(PlayerSelect);
  // Far player, far partner, near partner, near player: top of the court down.
  EXPECT_EQ(texts(*menu), (std::vector<std::string>{"REVIRADE", "?", "?", "ROVERIRU", label(10)}));
  EXPECT_EQ(menu->items()[1]->action(), EditSlot3);
  EXPECT_EQ(menu->items()[2]->action(), EditSlot2);
  matchSetup.slots[2].character = 4;
  matchSetup.slots[3].character = 1;
  menu->goToScreen(PlayerSelect);
  ASSERT_TRUE(menu->findItem(StartMatch));
  menu->goToScreen(PlayerSelect);
  choose(*menu, label(9));
  EXPECT_EQ(menu->screen(), StartDoubles);
}

TEST_F(MenuTest, CharacterCycleNeverReturnsToUnchosen) {
  auto menu = mainMenu();
  menu->goToScreen(PlayerSelect);
  tapEnter(*menu);  // slot 1
  ASSERT_EQ(menu->screen(), PlayerSetup);
  const std::vector<std::string> expected{"VAZUVODOD", "ROVERIRU", "REVIRADE", "DOREDU", "VAZUVODOD", "ROVERIRU"};
  for (const std::string& name : expected) {
    tapEnter(*menu);
    EXPECT_EQ(menu->characterLabel(matchSetup.slots[1].character), name);
  }
  EXPECT_EQ(matchSetup.slots[0].character, 0);  // only the edited slot changes
}

TEST_F(MenuTest, ControllerCycleRunsThroughAllTenAndBack) {
  auto menu = mainMenu();
  menu->goToScreen(PlayerSelect);
  tapEnter(*menu);  // slot 1, on the second key set
  tapSpecial(*menu, kGlutDown);
  ASSERT_EQ(highlighted(*menu), label(12));
  const std::vector<std::string> expected{"P3 KEYS",     "P4 KEYS",     "CPU LEVEL 0", "CPU LEVEL 1",
                                          "CPU_LEVEL 2", "CPU LEVEL 3", "CPU LEVEL 4", "CPU LEVEL 5",
                                          "P1 KEYS",     "P2 KEYS"};
  for (const std::string& name : expected) {
    tapEnter(*menu);
    EXPECT_EQ(menu->controllerLabel(matchSetup.slots[1].controller), name);
  }
  // Around once more to the first key set: two slots may share it.
  for (int i = 0; i < 9; ++i) tapEnter(*menu);
  EXPECT_EQ(matchSetup.slots[1].controller, 0);
  EXPECT_EQ(matchSetup.slots[0].controller, 0);
}

TEST_F(MenuTest, LabelOutsideTheTablesIsEmpty) {
  auto menu = mainMenu();
  EXPECT_EQ(menu->characterLabel(5), "");
  EXPECT_EQ(menu->characterLabel(-1), "");
  EXPECT_EQ(menu->controllerLabel(10), "");
}

// --- the frame loop acting on the menu's requests ----------------------------

class MenuFrameLoopTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    settings = SettingsValues{};
    settings.language = "XX";
    setMenuTextureFactory(textures);
    stepAccumulator = 0;
    app = std::make_unique<Application>(clock);
  }
  void TearDown() override {
    app.reset();
    setMenuTextureFactory(nullptr);
    MenuTest::TearDown();
  }

  void frame() {
    clock->advance(17);
    app->frame();
  }
  void tap(int glutSpecialKey) {
    pressSpecialKey(glutSpecialKey);
    frame();
    releaseSpecialKey(glutSpecialKey);
    frame();
  }
  void tapCharacter(unsigned char key) {
    pressCharacterKey(key);
    frame();
    releaseCharacterKey(key);
    frame();
  }
  void down(int times) {
    for (int i = 0; i < times; ++i) tap(kGlutDown);
  }
  void enter() { tapCharacter(kKeyEnter); }
  std::string highlighted() const { return MenuTest::highlighted(*app->currentMenu()); }

  // From the title screen through the options to a started match.
  void playThroughTheMenus(bool doubles) {
    enter();  // title -> options
    ASSERT_EQ(app->currentMenu()->screen(), MatchOptions);
    if (doubles) {
      down(2);
      enter();
      down(1);
    } else {
      down(3);
    }
    enter();  // next -> players
    ASSERT_EQ(app->currentMenu()->screen(), PlayerSelect);
    const int slots = doubles ? 4 : 2;
    for (int i = 0; i < slots; ++i) {
      down(i);
      enter();  // the i-th slot from the top -> its set-up
      ASSERT_EQ(app->currentMenu()->screen(), PlayerSetup);
      enter();  // a character
      down(2);
      enter();  // done
      ASSERT_EQ(app->currentMenu()->screen(), PlayerSelect);
    }
    down(slots);
    ASSERT_EQ(highlighted(), label(9));
    enter();
  }

  ScopedWorkingDirectory inside{folder.path()};
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(1000);
  std::unique_ptr<Application> app;
};

TEST_F(MenuFrameLoopTest, SinglesChosenInTheMenusStartsAMatch) {
  playThroughTheMenus(false);
  EXPECT_EQ(app->currentPhase(), InMatch);
  EXPECT_TRUE(app->currentMatch());
  EXPECT_EQ(app->currentMenu()->screen(), Playing);
  EXPECT_EQ(matchSetup.doublesFlag, 0);
  EXPECT_NE(matchSetup.slots[0].character, 0);
  EXPECT_NE(matchSetup.slots[1].character, 0);
}

TEST_F(MenuFrameLoopTest, DoublesChosenInTheMenusStartsAMatchThatCanBeLeft) {
  playThroughTheMenus(true);
  ASSERT_EQ(app->currentPhase(), InMatch);
  EXPECT_EQ(matchSetup.doublesFlag, 1);
  for (int slot = 0; slot < kPlayerSlotCount; ++slot) EXPECT_NE(matchSetup.slots[slot].character, 0);

  tapCharacter(kKeyEscape);
  ASSERT_EQ(app->currentMenu()->screen(), Paused);
  EXPECT_EQ(highlighted(), label(13));
  down(1);
  enter();  // leave the match
  EXPECT_EQ(app->currentPhase(), InMenus);
  EXPECT_FALSE(app->currentMatch());
  EXPECT_EQ(app->currentMenu()->screen(), MainMenu);
  EXPECT_EQ(matchSetup.slots[0].character, 0);  // a new main menu, new slots
  EXPECT_EQ(matchSetup.doublesFlag, 1);
}

}  // namespace
