#pragma once
// STAND-IN until the menus land: a menu without items. It keeps the screen id
// that the frame loop reads (some ids are requests to the Application: start a
// match, pause, resume, leave) and is the scene's 2D overlay, as the real menu
// will be. It will be replaced, not kept beside, by the menus with their
// items, fonts, backgrounds and language texts.

#include <cstdint>

#include "engine/Overlay.h"

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
};

class Menu : public Overlay {
 public:
  // The main menu starts on MainMenu, the in-game menu on Playing.
  explicit Menu(bool inGame);

  MenuScreen screen() const { return currentScreen; }
  void goToScreen(MenuScreen id) { currentScreen = id; }
  // Reads the keyboard; with no items there is nothing to move or activate.
  void handleInput() {}

  void draw2D() override {}
  void update(uint32_t) override { handleInput(); }

 private:
  MenuScreen currentScreen;
};
