#pragma once
// Presses keys on a menu the way the game's frame does: each key goes down,
// the menu reads the keyboard once, and every key is let go again.

#include <string>

#include "app/input/Keyboard.h"
#include "app/menus/Menu.h"

// u d l r: the arrows, e: Enter, x: Escape. Any screen that reads the
// keyboard in handleInput() will do (the menus, the tournament's screens).
template <typename Screen>
void pressMenuKeys(Screen& menu, const std::string& keys) {
  for (const char key : keys) {
    if (key == 'e' || key == 'x') {
      pressCharacterKey(key == 'e' ? kKeyEnter : kKeyEscape);
    } else {
      pressSpecialKey((key == 'u' ? kKeyUp : key == 'd' ? kKeyDown : key == 'l' ? kKeyLeft : kKeyRight) -
                      kSpecialKeyBase);
    }
    menu.handleInput();
    releaseAllKeys();
  }
}

// One character key, as GLUT reports it.
inline void pressCharacter(Menu& menu, unsigned char key) {
  pressCharacterKey(key);
  menu.handleInput();
  releaseAllKeys();
}

inline std::string highlightedText(const Menu& menu) {
  return menu.selected() ? menu.selected()->text() : "(none)";
}
