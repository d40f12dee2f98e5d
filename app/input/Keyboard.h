#pragma once
// The keyboard as the game sees it: two process-wide tables indexed by key
// code, written by the GLUT input callbacks and polled by everyone else.
//
// Key codes: 0..255 a character key as GLUT reports it (case matters: 'm' is
// 109, 'M' is 77); 256 + k the GLUT special key k (arrows 356..359). Player
// key bindings from config.ini use the same codes. A code outside the tables
// (a hand-edited binding such as -5 or 9000) is never down and never pressed.

#include <array>
#include <cstdint>

constexpr int kKeyCodeCount = 512;
constexpr int kSpecialKeyBase = 256;

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeyLeft = kSpecialKeyBase + 100;
constexpr int kKeyUp = kSpecialKeyBase + 101;
constexpr int kKeyRight = kSpecialKeyBase + 102;
constexpr int kKeyDown = kSpecialKeyBase + 103;

struct KeyboardState {
  std::array<uint8_t, kKeyCodeCount> down{};
  // Set when wasKeyPressed has reported the press; cleared by the release.
  std::array<uint8_t, kKeyCodeCount> latched{};
  // Presses of each key since the program started (an auto-repeated press of
  // a key already down does not count); the per-step sampling compares them.
  std::array<uint32_t, kKeyCodeCount> presses{};
};
extern KeyboardState keyboardState;

bool isKeyDown(int code);
// True once per press: the first call while the key is down. Needs the
// window's key repeat off, or X's repeated release/press pairs re-arm it.
bool wasKeyPressed(int code);
// How often the key went down so far; 0 for a code outside the tables.
uint32_t keyPressCount(int code);

// The GLUT callbacks' side.
void pressCharacterKey(unsigned char key);
void releaseCharacterKey(unsigned char key);
void pressSpecialKey(int key);
void releaseSpecialKey(int key);
// Lets every key go; the press counts stay.
void releaseAllKeys();
