#pragma once
// One line of a menu screen: a text centred on a point of the overlay space,
// the action Enter runs on it, and the items the arrow keys lead to from it.
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
  OpenOptions = 0,
  OpenCredits = 1,
  CycleSets = 2,
  CycleGames = 3,
  ToggleDoubles = 4,
  OpenPlayerSelect = 5,
  OptionsBack = 6,
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
  OpenTournament = 27,
  // An item of the tournament's screens, which carry out their own choices
  // (TournamentMenu).
  TournamentChoice = 28,
};

// The neighbour links, in the order the items keep them.

class MenuItem {
 public:
  MenuItem(MenuAction action, float x, float y, std::string text, std::weak_ptr<Font> normalFont,
           std::weak_ptr<Font> highlightedFont);

  // With the highlighted font when it is the menu's selected item. A font
  // that is gone draws nothing.
  void draw(bool highlighted) const;

  // Empty when the link leads nowhere or its item is gone.
  std::shared_ptr<MenuItem> neighbour(MenuDirection direction) const { return links[direction].lock(); }
  void link(MenuDirection direction, const std::shared_ptr<MenuItem>& item) { links[direction] = item; }

  MenuAction action() const { return itemAction; }
  float x() const { return centreX; }
  float y() const { return centreY; }
  const std::string& text() const { return itemText; }

 private:
  MenuAction itemAction;
  float centreX;
  float centreY;
  std::string itemText;
  std::weak_ptr<Font> normal;
  std::weak_ptr<Font> highlighted;
  std::array<std::weak_ptr<MenuItem>, kMenuDirectionCount> links;
};
