#pragma once
// The screens under OPCIONES on the main menu: their list (controls, sound,
// screen, language), the controls of each key set and the pads, the two
// volumes, window or full screen and the full-screen resolution, and the
// languages found in lang/.
//
// They edit a copy of the player's choices taken when OPCIONES opens, hand
// every change at once to the game through the OptionsStage (without one,
// as in tests of the menus alone, the copy is all there is), and ask the game
// to write the choices down when the player leaves OPCIONES. A language
// picked is loaded here at once, so that the menus speak it from the next
// picture on.
//
// A key is bound by pressing it: Enter on an action waits for the next key
// pressed (any but Escape, which gives up), and while it waits every key
// and pad push goes to it. The key an action takes from another action of
// the same set is given that action's old key; a key that another set
// also uses is allowed and named beside it.
//
// The Menu owns one of these and hands it the screens and actions that are
// its; items, fonts and the highlight stay the Menu's.

#include <array>
#include <cstdint>
#include <vector>

#include "app/input/Keyboard.h"
#include "app/menus/Language.h"
#include "app/menus/MenuItem.h"
#include "app/menus/OptionsStage.h"

class Menu;
enum MenuScreen : int32_t;

class OptionsScreens {
 public:
  void setStage(OptionsStage* gameStage) { stage = gameStage; }

  // Builds the items of an options screen; false for any other screen.
  bool build(MenuScreen screen, Menu& menu);
  // Carries out the action of an options item; false for any other action.
  bool run(const MenuItem& item, ValueStep step, Menu& menu);
  // What the screen shows beside its items: values, keys, pads, notes.
  void draw(MenuScreen screen, const Menu& menu) const;
  // Once a frame, before the menu moves: while a key is awaited, the first
  // key pressed (but Escape) is bound. True while every key is taken here.
  bool followKeys(Menu& menu);
  bool awaitingKey() const { return awaitedRole >= 0; }
  // The key awaited stays as it was.
  void stopAwaiting() { awaitedRole = -1; }

  const OptionChoices& choices() const { return chosen; }
  int32_t editedKeySet() const { return keySet; }
  // The first other key set that also has the key of this role of the set
  // edited, named beside it; -1 when none has.
  int32_t otherSetUsing(int32_t role) const;

 private:
  void open();
  void buildList(Menu& menu) const;
  void buildControls(Menu& menu) const;
  void buildPads(Menu& menu) const;
  void buildSound(Menu& menu) const;
  void buildScreen(Menu& menu);
  void buildLanguages(Menu& menu);
  void drawControls(const Menu& menu) const;
  void drawPads(const Menu& menu) const;
  void drawSound(const Menu& menu) const;
  void drawScreen(const Menu& menu) const;
  void drawLanguages(const Menu& menu) const;
  // Hands the choices over to be made real.
  void changed();
  void bind(int32_t role, int code);
  void stepPadKeySet(int32_t place, ValueStep step);
  void stepScreenSize(ValueStep step);
  void pickLanguage(int32_t index, Menu& menu);

  OptionsStage* stage = nullptr;
  OptionChoices chosen;
  int32_t keySet = 0;
  int32_t awaitedRole = -1;
  // The keys' press counts when the wait began: a key pressed since is bound.
  std::array<uint32_t, kKeyCodeCount> pressesBefore{};
  std::vector<LanguageChoice> languages;
  std::vector<ScreenSize> sizes;
};
