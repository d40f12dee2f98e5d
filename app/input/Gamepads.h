#pragma once
// The gamepads, read through SDL's game controller API and the mapping
// database SDL ships, so that every pad SDL knows reads alike. Each pad
// drives one key set, beside the keyboard: its d-pad and left stick move, its
// south button (A, cross) hits and its east button (B, circle) dives, or the
// other way round when the settings swap them. Start pauses like Escape.
//
// The frame loop polls SDL's events once a frame. The per-step sampling then
// reads, for each key set, what its pad holds and how often each control went
// down, exactly as it reads the keyboard's tables: a pad reaches the match
// only through the step commands, so recordings stay exact.
//
// A pad plugged in, at start or during a match, takes the first key set of
// the settings' pad order that no other pad holds; a pad beyond the fourth
// moves through the menus only. Unplugged, it lets go of everything at once
// and its key set is free again. A device SDL cannot read as a pad is named in
// one line and ignored. The options screens may give the pads another order
// of key sets, or swap hit and dive, while the game runs: the pads plugged
// in then take the new order's key sets in the order they came.
//
// Any pad moves through the menus: one push, one move; a direction held
// repeats after a pause. The stick has a dead zone with some hysteresis, so
// a stick resting near its edge does not flicker a direction on and off.

#include <SDL_gamecontroller.h>
#include <SDL_joystick.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/input/MenuDirection.h"
#include "app/match/MatchSetup.h"
#include "tennis/PlayerCommand.h"

// What the pads give one key set: the controls held and how often each went
// down since the program started (a pad unplugged keeps its counts here).
struct PadControls {
  uint8_t held = 0;  // PlayerKey bits
  std::array<uint32_t, kPlayerKeyCount> presses{};
};

// A pad plugged in now, as the options screens name it.
struct ConnectedPad {
  std::string name;
  int32_t keySet = -1;  // none beyond the fourth pad
};

// What the pads asked of the menus since the previous frame.
struct PadMenuPresses {
  std::array<bool, kMenuDirectionCount> directions{};  // MenuDirection order
  bool select = false;  // the south button, whatever the settings swap
  bool back = false;    // the east button
  bool pause = false;   // Start
};

// A stick direction counts from this far out (of 32767) and lets go below
// the release mark: the release mark is XInput's recommended dead zone.
constexpr int32_t kStickEngage = 12000;
constexpr int32_t kStickRelease = 7849;
// A menu direction held repeats after this long, then at this interval.
constexpr uint32_t kMenuRepeatDelayMs = 400;
constexpr uint32_t kMenuRepeatIntervalMs = 150;
// A struck ball's rumble: strength of the two motors (of 65535) and length.
constexpr uint16_t kRumbleLow = 0x5000;
constexpr uint16_t kRumbleHigh = 0xB000;
constexpr uint32_t kRumbleMs = 90;

class Gamepads {
 public:
  // Starts SDL's game controller subsystem; if it cannot start, says so in
  // one line and there are no pads. `keySetOrder` holds key set indices.
  Gamepads(const std::array<int32_t, kKeySetCount>& keySetOrder, bool swapHitAndDive);
  ~Gamepads();
  Gamepads(const Gamepads&) = delete;
  Gamepads& operator=(const Gamepads&) = delete;

  // Takes every pending SDL event: pads plugged and unplugged, buttons, sticks.
  void poll();

  // An empty PadControls for a key set outside the table.
  const PadControls& controls(int32_t keySet) const;
  // True when any pad holds the button.
  bool anyHolds(SDL_GameControllerButton button) const;
  // The menu pushes since the previous call, with `elapsedMs` of holding
  // towards the repeats.
  PadMenuPresses takeMenuPresses(uint32_t elapsedMs);
  // A short rumble on the pad of the key set, if it has one that can.
  void rumble(int32_t keySet);

  int32_t padCount() const { return static_cast<int32_t>(pads.size()); }
  // The pads plugged in, in the order they came.
  std::vector<ConnectedPad> connected() const;
  // Another order of key sets and another hit and dive: every pad lets go
  // of what it held and takes its key set from the new order.
  void configure(const std::array<int32_t, kKeySetCount>& keySetOrder, bool swapHitAndDive);

  static constexpr int32_t kNoPadKeySet = -1;

 private:
  struct Pad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID instance = 0;
    int32_t keySet = kNoPadKeySet;
    uint32_t buttons = 0;         // SDL_GameControllerButton bits held
    int16_t stickX = 0;
    int16_t stickY = 0;
    uint8_t stickDirections = 0;  // PlayerKey direction bits the stick holds
    uint8_t controls = 0;         // PlayerKey bits held, stick and buttons
    int32_t menuDirection = -1;   // MenuDirection held, or -1
    bool freshPush = false;
    uint32_t menuHeldMs = 0;
    uint32_t nextRepeatMs = kMenuRepeatDelayMs;
  };

  void open(int32_t deviceIndex);
  void close(SDL_JoystickID instance);
  Pad* find(SDL_JoystickID instance);
  int32_t freeKeySet() const;
  void setButton(Pad& pad, uint8_t button, bool down);
  void setAxis(Pad& pad, uint8_t axis, int16_t value);
  // The player's controls a pad holds now, sticks and buttons.
  uint8_t heldControls(const Pad& pad) const;
  void updateControls(Pad& pad);
  void updateMenuDirection(Pad& pad);

  bool started = false;
  std::array<int32_t, kKeySetCount> order;
  bool swapped;
  std::vector<Pad> pads;
  std::array<PadControls, kKeySetCount> sets{};
  PadMenuPresses pending;
};
