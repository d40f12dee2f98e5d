#include "app/input/Keyboard.h"

#include <cctype>

KeyboardState keyboardState;

namespace {

bool inTable(int code) { return code >= 0 && code < kKeyCodeCount; }

void press(int code) {
  if (!inTable(code)) return;
  if (keyboardState.down[code] == 0) ++keyboardState.presses[code];
  keyboardState.down[code] = 1;
}

void release(int code) {
  if (!inTable(code)) return;
  keyboardState.down[code] = 0;
  keyboardState.latched[code] = 0;
}

}  // namespace

bool isKeyDown(int code) { return inTable(code) && keyboardState.down[code] != 0; }

bool wasKeyPressed(int code) {
  if (!inTable(code) || keyboardState.down[code] == 0 || keyboardState.latched[code] == 1) return false;
  keyboardState.latched[code] = 1;
  return true;
}

uint32_t keyPressCount(int code) { return inTable(code) ? keyboardState.presses[code] : 0u; }

void pressCharacterKey(unsigned char key) { press(key); }

void releaseCharacterKey(unsigned char key) {
  release(key);
  // X reports Shift+A as 'A' down but 'a' up when Shift is let go first:
  // a letter's release frees both cases, or the capital would stick.
  if (std::isalpha(key)) {
    release(std::tolower(key));
    release(std::toupper(key));
  }
}

void pressSpecialKey(int key) { press(kSpecialKeyBase + key); }

void releaseSpecialKey(int key) { release(kSpecialKeyBase + key); }

void releaseAllKeys() {
  keyboardState.down = {};
  keyboardState.latched = {};
}
