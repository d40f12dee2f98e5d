#pragma once
// The menus: one screen at a time of MenuItem texts over an optional
// background picture. The arrow keys move the highlight along each item's
// neighbour links and Enter runs the highlighted item's action, which changes
// the process-wide MatchSetup, goes to another screen, or asks to end the game.
// On an item that shows a value beside it (sets, a character, a volume...)
// Left and Right change the value, as Enter does. Escape goes back one
// screen, exactly as the screen's back item would (on the main menu it does
// nothing); a pad's B does the same through goBack.
//
// There is one Menu at a time: the main menu while no match runs and the
// in-game menu during a match, which never has a background, so the match
// shows behind the pause screen; there the Application keeps Escape for the
// pause. The MatchSetup outlives the menus: the players find the set-up of
// the last match waiting for them. The main menu reads JUGAR, then the ways
// to play, ENTRENAMIENTO, then OPCIONES, CRÉDITOS and SALIR (kMainMenuEntries, Menu.cpp), on
// a panel as tall as its items; the options screens are OptionsScreens'.
// Some screen ids are not screens but requests the Application reads once a
// frame: start a singles or doubles match, leave the match, end the game,
// open the tournament (whose screens are TournamentMenu's); Playing and
// Paused tell it whether the match runs.
//
// The menu owns its fonts, items and background; it only watches the
// match's scoreboard, which it draws on the pause screen while it lives.
// Visible words come from the language file, except the character and
// controller labels and the credit names, which are the program's own.
//
// Network play starts from the match options (PLAY): its network item
// leads to hosting, where the screen shows the addresses to give the other
// player while the game waits, or to joining, where the host's address is
// typed with the keyboard (digits, letters, '.', ':', '-', Backspace) or a
// pad (up and down change the last character, right adds one, left takes
// one away, and on an empty address goes back). The Application carries out
// the requests and tells the menu what to show (setNetworkLines).
//
// Once two games are connected, the player set-up picture is shared: each
// game edits only its own slots and shows the other game's as they come
// (setNetworkPlay); only the host has the next item, and only while the
// other game has seen everything the host chose.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/input/Keyboard.h"
#include "app/match/MatchSetup.h"
#include "app/menus/ControllerNames.h"
#include "app/menus/MenuItem.h"
#include "app/menus/OptionsScreens.h"
#include "app/menus/TrainingProgress.h"
#include "engine/Font.h"
#include "engine/Overlay.h"
#include "engine/Texture.h"
#include "engine/TextureFactory.h"
#include "tennis/MatchScore.h"

enum MenuScreen : int32_t {
  MainMenu = 0,
  MatchOptions = 1,
  StartSingles = 2,  // request: start a singles match
  StartDoubles = 3,  // request: start a doubles match
  PlayerSelect = 4,
  PlayerSetup = 5,
  Paused = 6,
  Playing = 7,
  QuitMatch = 8,  // request: leave the match
  Credits = 9,
  EndGame = 10,  // request: end the game (the main menu's quit item)
  WatchPointAgain = 11,  // request: show the match's last point again
  NetworkMenu = 12,      // host a network match or join one
  HostRequest = 13,      // request: listen for another game
  HostWaiting = 14,      // the address to give the other player, waiting
  JoinAddress = 15,      // the host's address, typed
  JoinRequest = 16,      // request: connect to the typed address
  JoinWaiting = 17,      // connected or connecting, waiting for the host
  NetCancel = 18,        // request: give the network session up
  OptionsMenu = 19,      // controls, sound, screen, language
  ControlsMenu = 20,
  PadsMenu = 21,
  SoundMenu = 22,
  ScreenMenu = 23,
  LanguageMenu = 24,
  Tournament = 25,         // request: the tournament's own screens show instead
  TrainingMenu = 26,       // the lessons, each with a mark once passed
  StartLesson = 27,        // request: play the lesson picked (pickedLesson)
  NextLessonRequest = 28,  // request: go on to the lesson after this one
};

constexpr const char* kMenuFontPath = "fonts/menuFont.fnz";
constexpr const char* kMenuSelectedFontPath = "fonts/menuFontSelected.fnz";
constexpr float kMenuFontSpacing = -7.0f;

constexpr const char* kMainMenuBackground = "imgs/main_menu.tga";
constexpr const char* kMenuBackground = "imgs/menu_background.tga";
constexpr const char* kPlayerSelectBackground = "imgs/menu_match_background.tga";

// The people behind the game, under the credits' headings.
inline const std::array<std::string, 3> kCreditNames{"MARTA ROBLEDO", "IKER SALVATIERRA", "NURIA BALAGUER"};

// The texture factory of menus built without one. Empty (the default) means
// the game's ImageTextureFactory; tests and tools without OpenGL put a
// RecordingTextureFactory here so that the Application's menus run too.
void setMenuTextureFactory(std::shared_ptr<TextureFactory> textures);
// The factory the menus make their fonts and backgrounds with.
std::shared_ptr<TextureFactory> menuTextureFactory();

class Menu : public Overlay {
 public:
  // The main menu starts on MainMenu; the in-game menu starts on Playing. `textures` makes the fonts and the
  // backgrounds (see setMenuTextureFactory when empty).
  explicit Menu(bool inGame, std::shared_ptr<TextureFactory> textures = nullptr);

  MenuScreen screen() const { return currentScreen; }
  // Grows whenever what the menu shows may have changed (another screen,
  // another highlighted item, a value picked): a still menu need not be
  // drawn again.
  uint64_t revision() const { return changes; }
  // Stores the id and builds that screen's items anew (a request id has none).
  void goToScreen(MenuScreen id);
  // Arrow keys move the highlight, Enter runs the highlighted item's action,
  // Escape goes back (main menus only).
  void handleInput();
  // Runs the highlighted item's action; nothing on a screen without items.
  void select();
  // Moves the highlight along the link, if it leads to a live item; Left
  // and Right without one change the item's value, if it shows one.
  void navigate(MenuDirection direction);
  // What the screen's back item does (giving up a key awaited first); on
  // the main menu and the in-game screens, nothing.
  void goBack();
  // Appends an item, chained below the previous last one; the first item of
  // a screen becomes the highlighted one.
  void addItem(const std::shared_ptr<MenuItem>& item);
  // The row at the foot of a screen, left to right, centred: the one at
  // `reachedFromAbove` is chained below the items above, the others sit
  // beside it (Left and Right) and lead up to the same item it does.
  void addFootRow(const std::vector<std::shared_ptr<MenuItem>>& row, size_t reachedFromAbove);
  static constexpr float kFootY = 100;
  // Where the index-th of `count` items of a foot row is centred.
  static float footX(size_t index, size_t count);
  std::shared_ptr<MenuItem> makeItem(int32_t textIndex, MenuAction action, float x, float y, int32_t choice = 0) const;
  std::shared_ptr<MenuItem> makeItem(const std::string& label, MenuAction action, float x, float y,
                                     int32_t choice = 0) const;
  // Moves the highlight to the item of this action and choice, if the
  // screen has one.
  void highlight(MenuAction action, int32_t choice = 0);
  // What the menu shows changed otherwise than by a screen or a highlight.
  void touch() { ++changes; }
  // The game side of the options screens; none (the default) leaves them
  // editing a copy of their own.
  void setOptionsStage(OptionsStage* stage) { options.setStage(stage); }
  const OptionsScreens& optionsScreens() const { return options; }

  // What the network screens show beside their items (addresses, state).
  void setNetworkLines(std::vector<std::string> lines) {
    networkLines = std::move(lines);
    ++changes;
  }
  // The slots the other game chooses (a bit a slot), whether this game
  // joined, and whether the host may start the match now. The player
  // set-up picture showing is built again, its highlight kept.
  void setNetworkPlay(uint8_t otherSlots, bool joiner, bool mayStart);
  // Builds the player set-up picture again after the other game changed
  // something on it.
  void refreshPlayerSelect();
  // The address typed on the join screen.
  const std::string& typedAddress() const { return address; }
  // The lessons passed, marked in the lesson list.
  void setTrainingProgress(const TrainingProgress& passed) {
    progress = passed;
    ++changes;
  }
  // The lesson the list picked last (StartLesson).
  LessonId pickedLesson() const { return picked; }
  // The in-game menu of a lesson: its pause offers the next lesson and
  // leaving training instead of the match's items.
  void setLessonPlay(bool lesson) { lessonPlay = lesson; }
  // A line under the main menu's items while it shows (the suggestion to
  // train on a first start); gone once another screen was shown.
  void setMainMenuLine(std::string line) {
    mainMenuLine = std::move(line);
    ++changes;
  }
  // The match's scoreboard, shown on the pause screen while it lives.
  void setScoreboard(std::weak_ptr<MatchScore> score) { scoreboard = std::move(score); }

  void draw2D() override;
  // The menu reads the keyboard once a frame (handleInput), never in a step.
  void update(uint32_t) override {}

  const std::vector<std::shared_ptr<MenuItem>>& items() const { return itemList; }
  const std::shared_ptr<MenuItem>& selected() const { return selectedItem; }
  // The first item of this screen with this action, or empty.
  std::shared_ptr<MenuItem> findItem(MenuAction action) const;
  const std::shared_ptr<Texture>& background() const { return backgroundImage; }
  // A background picture where the menus place theirs, blended (OpenGL); the
  // loading picture shows the title's there too.
  static void drawBackground(Texture& picture);
  int32_t selectedSlot() const { return slot; }
  // The labels as shown; an index outside the table shows an empty label.
  const std::string& characterLabel(int32_t character) const;
  const std::string& controllerLabel(int32_t controller) const;
  // A text beside the items, in the normal lettering, centred on (x, y).
  void drawLabel(const std::string& label, float x, float y, float scale = 1.0f) const;
  float labelWidth(const std::string& label, float scale) const;

 private:
  // Appends without chaining: the caller sets the item's links itself.
  void appendItem(const std::shared_ptr<MenuItem>& item);
  void runAction(const MenuItem& item, ValueStep step);
  void drawMainMenuPanel() const;
  void setBackground(const std::string& path);
  void buildMainMenu();
  void buildMatchOptions();
  void buildPlayerSelect();
  void buildPlayerSetup();
  void buildPaused();
  void buildCredits();
  void buildTraining();
  void drawTrainingMarks() const;
  void buildNetwork();
  void buildNetworkWait();
  void buildJoinAddress();
  // Typing on the join screen; true when the key or direction was used.
  bool typeAddress();
  bool editAddress(MenuDirection direction);
  void drawExtras() const;
  bool everyPlayingSlotHasCharacter() const;

  // Index = character index of a slot; 0 is "not chosen yet".
  static std::array<std::string, kCharacterCount + 1> shownCharacterNames();
  const std::array<std::string, kCharacterCount + 1> characterNames = shownCharacterNames();
  // Index = controller.
  static std::array<std::string, kControllerCount> shownControllerNames();
  const std::array<std::string, kControllerCount> controllerNames = shownControllerNames();

  std::vector<std::shared_ptr<MenuItem>> itemList;
  std::shared_ptr<MenuItem> selectedItem;
  std::shared_ptr<TextureFactory> textureFactory;
  std::shared_ptr<Font> normalFont;
  std::shared_ptr<Font> highlightedFont;
  std::weak_ptr<MatchScore> scoreboard;
  std::shared_ptr<Texture> backgroundImage;
  MenuScreen currentScreen = MainMenu;
  bool inGameMenu = false;
  OptionsScreens options;
  int32_t slot = 0;
  uint64_t changes = 0;
  std::vector<std::string> networkLines;
  TrainingProgress progress;
  LessonId picked = LessonId::Serve;
  bool lessonPlay = false;
  std::string mainMenuLine;
  std::string address;
  uint8_t otherGameSlots = 0;
  bool joining = false;
  bool startAllowed = true;
  // The keys' press counts when last typed: a tap shorter than a frame
  // still types its character.
  std::array<uint32_t, kSpecialKeyBase> typedPresses{};
};
