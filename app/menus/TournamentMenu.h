#pragma once
// The tournament's screens, one at a time, made of MenuItems as the other
// menus are and moved through the same way (the arrow keys and Enter, or a
// pad's directions and A):
//
// - the entry: singles or doubles, the games a set, the player's character
//   and key set (a pad plays on the key set it drives);
// - the cups: those open to pick, a mark on those this character has won in
//   this mode, the locked ones shown but not to be picked;
// - the bracket (BracketPicture) before every round and once the cup is
//   over, with the scores as the matches end, and beneath it how the cup
//   stands: the round to play, the other matches being played, where the
//   player was beaten or the cup won.
//
// The screen id doubles as a request board that TournamentFlow reads once
// a frame: back to the main menu, a cup picked, play the round, the same
// cup drawn again. The menu owns its fonts, items, background and the entry
// being chosen; it shows the cup and the progress the flow hands it and
// never changes them.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/input/MenuDirection.h"
#include "app/menus/BracketPicture.h"
#include "app/menus/MenuItem.h"
#include "app/tournament/CupProgress.h"
#include "app/tournament/CupRun.h"
#include "engine/Font.h"
#include "engine/Overlay.h"
#include "engine/Texture.h"
#include "engine/TextureFactory.h"

enum class TournamentScreen : int32_t {
  Entry,
  Cups,
  Bracket,
  // Requests for TournamentFlow:
  LeaveRequest,      // back to the main menu
  CupPicked,         // the cup of pickedCup() chosen
  PlayRequest,       // play the player's match of the round
  DrawAgainRequest,  // the same cup again, drawn anew
};

// What Enter does on an item of these screens.
enum class TournamentAction : int32_t {
  ToggleMode,
  CycleGames,
  NextCharacter,
  NextKeySet,
  ToCups,
  Leave,
  PickCup,
  CupsBack,
  Play,
  GiveUp,
  DrawAgain,
};

class TournamentMenu : public Overlay {
 public:
  // `textures` makes the fonts and the background.
  explicit TournamentMenu(std::shared_ptr<TextureFactory> textures);

  TournamentScreen screen() const { return currentScreen; }
  // Grows whenever what the screen shows may have changed.
  uint64_t revision() const { return changes; }
  // Stores the id and builds that screen's items anew (a request has none).
  void goToScreen(TournamentScreen id);
  // Arrow keys move the highlight, Enter runs the highlighted item's
  // action, Escape goes back as the screen's back item does. Left and Right
  // on an item of the entry change its value either way.
  void handleInput();
  void navigate(MenuDirection direction);
  void select();
  // What the screen's back item does (a pad's B, as Escape).
  void goBack();

  const CupEntry& entry() const { return entered; }
  void setEntry(const CupEntry& entry) { entered = entry; }
  // The cup last picked on the cups screen.
  int32_t pickedCup() const { return picked; }
  // What the cups screen shows as won and open.
  void setProgress(const CupProgress& progress);
  // The cup the bracket shows, and whether its other matches are being
  // played; the bracket screen is built again if it shows.
  void showCup(std::shared_ptr<const CupRun> cup, bool othersPlaying);

  void draw2D() override;
  // The menu reads the keyboard once a frame (handleInput), never in a step.
  void update(uint32_t) override {}

  const std::vector<std::shared_ptr<MenuItem>>& items() const { return itemList; }
  const std::shared_ptr<MenuItem>& selected() const { return selectedItem; }
  // The words under the bracket: how the cup stands.
  std::string bracketStatus() const;
  // The label beside a cup on the cups screen: won, locked, or nothing.
  std::string cupLabel(int32_t cup) const;
  // The cup's name in the player's language.
  static std::string cupName(int32_t cup);

 private:
  struct Choice {
    TournamentAction action;
    int32_t value;
  };
  std::shared_ptr<MenuItem> addItem(const std::string& label, TournamentAction action, float x, float y,
                                    int32_t value = 0);
  // Appends without chaining: the caller links it.
  std::shared_ptr<MenuItem> appendItem(const std::string& label, TournamentAction action, float x, float y,
                                       int32_t value = 0);
  static bool changesAValue(TournamentAction action);
  size_t selectedIndex() const;
  void run(const Choice& choice, bool backwards);
  // An item alone at the foot, in the middle.
  void addAlone(const std::string& label, TournamentAction action);
  void addPair(const std::string& left, TournamentAction leftAction, const std::string& right,
               TournamentAction rightAction, const std::shared_ptr<MenuItem>& above);
  void buildEntry();
  void buildCups();
  void buildBracket();
  void drawLabel(const std::string& label, float x, float y, float scale = 1.0f) const;
  void drawEntryValues() const;
  void drawCups() const;
  void drawBracketScreen() const;
  void makeBracketFonts();

  std::shared_ptr<TextureFactory> textureFactory;
  std::shared_ptr<Font> normalFont;
  std::shared_ptr<Font> highlightedFont;
  // The bracket's lettering: the menus' fonts with their spacing made for
  // the bracket's smaller scale.
  std::shared_ptr<Font> bracketFont;
  std::shared_ptr<Font> bracketPlayerFont;
  float bracketFontScale = 0;
  std::shared_ptr<Texture> backgroundImage;
  std::vector<std::shared_ptr<MenuItem>> itemList;
  std::vector<Choice> choices;
  std::shared_ptr<MenuItem> selectedItem;
  TournamentScreen currentScreen = TournamentScreen::Entry;
  uint64_t changes = 0;
  CupEntry entered;
  int32_t picked = 0;
  CupProgress progress;
  std::shared_ptr<const CupRun> cup;
  bool othersPlaying = false;
};
