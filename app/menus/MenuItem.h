#pragma once
// One line of a menu screen: a text centred on a point of the overlay space,
// the action Enter runs on it (with, for items alike but for what they
// stand for, which one this is: a key's role, a pad, a language), and the
// items the arrow keys lead to from it.
// The item only borrows its two fonts (the menu owns them) and only points
// at its neighbours (the menu owns every item of the screen), so a screen's
// items die together when the menu moves to another screen.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/input/MenuDirection.h"
#include "engine/Font.h"

// What Enter does on an item; the Menu carries it out.
enum MenuAction : int32_t {
  OpenMatchOptions = 0,
  OpenCredits = 1,
  CycleSets = 2,
  CycleGames = 3,
  ToggleDoubles = 4,
  OpenPlayerSelect = 5,
  MatchOptionsBack = 6,
  EditSlot0 = 7,
  EditSlot1 = 8,
  EditSlot2 = 9,
  EditSlot3 = 10,
  StartMatch = 11,
  PlayerSelectBack = 12,
  NextCharacter = 13,
  NextController = 14,
  PlayerSetupDone = 15,
  ResumeMatch = 16,
  LeaveMatch = 17,
  QuitGame = 18,
  CreditsBack = 19,
  WatchAgain = 20,
  OpenNetwork = 21,
  HostGame = 22,
  JoinGame = 23,
  ConnectToHost = 24,
  NetworkBack = 25,
  CancelNetwork = 26,
  OpenOptions = 27,
  LeaveOptions = 28,  // back to the main menu, the changes written down
  OpenControls = 29,
  OpenSound = 30,
  OpenScreen = 31,
  OpenLanguage = 32,
  NextKeySet = 33,     // the key set the controls screen edits
  BindKey = 34,        // choice: the key's role (KeyRole order)
  ResetKeys = 35,
  OpenPads = 36,
  ControlsBack = 37,
  NextPadKeySet = 38,  // choice: the pad's place in the plugging order
  SwapHitAndDive = 39,
  PadsBack = 40,
  MusicVolume = 41,
  EffectsVolume = 42,
  ToggleWindowed = 43,
  NextScreenSize = 44,
  PickLanguage = 45,   // choice: the language's place in the list
  BackToOptions = 46,  // from a screen of the options to their list
  OpenTournament = 47,
  // An item of the tournament's screens, which carry out their own choices
  // (TournamentMenu).
  TournamentChoice = 48,
  OpenTraining = 49,
  PickLesson = 50,  // choice: the lesson's place in the order taught
  TrainingBack = 51,
  NextLesson = 52,  // the lesson's pause: on to the next lesson
  ToggleHints = 53,
};

// How an action moves the value it changes: Enter takes the next value and
// comes round after the last; Right and Left take the next or the one
// before, coming round too except where a value has ends (a volume).
enum class ValueStep { Enter, Next, Previous };

// The actions that change a value shown beside their item: Left and Right
// step those instead of moving the highlight.
bool changesAValue(MenuAction action);

class MenuItem {
 public:
  MenuItem(MenuAction action, float x, float y, std::string text, std::weak_ptr<Font> normalFont,
           std::weak_ptr<Font> highlightedFont, int32_t choice = 0);

  // With the highlighted font when it is the menu's selected item. A font
  // that is gone draws nothing.
  void draw(bool highlighted) const;

  // Empty when the link leads nowhere or its item is gone.
  std::shared_ptr<MenuItem> neighbour(MenuDirection direction) const { return links[direction].lock(); }
  void link(MenuDirection direction, const std::shared_ptr<MenuItem>& item) { links[direction] = item; }

  MenuAction action() const { return itemAction; }
  int32_t choice() const { return itemChoice; }
  float x() const { return centreX; }
  float y() const { return centreY; }
  const std::string& text() const { return itemText; }

 private:
  MenuAction itemAction;
  int32_t itemChoice;
  float centreX;
  float centreY;
  std::string itemText;
  std::weak_ptr<Font> normal;
  std::weak_ptr<Font> highlighted;
  std::array<std::weak_ptr<MenuItem>, kMenuDirectionCount> links;
};
