#include "app/Keyboard.h"

#include <cctype>

KeyboardState keyboardState;

namespace {

bool inTable(int code) { return code >= 0 && code < kKeyCodeCount; }

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

void pressCharacterKey(unsigned char key) { keyboardState.down[key] = 1; }

void releaseCharacterKey(unsigned char key) {
  release(key);
  // X reports Shift+A as 'A' down but 'a' up when Shift is let go first:
  // a letter's release frees both cases, or the capital would stick.
  if (std::isalpha(key)) {
    release(std::tolower(key));
    release(std::toupper(key));
  }
}

void pressSpecialKey(int key) {
  const int code = kSpecialKeyBase + key;
  if (inTable(code)) keyboardState.down[code] = 1;
}

void releaseSpecialKey(int key) { release(kSpecialKeyBase + key); }

void releaseAllKeys() { keyboardState = KeyboardState{}; }
