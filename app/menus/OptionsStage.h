#pragma once
// What the options screens change, and what they ask of the game to carry
// the changes out. The screens edit a copy of the player's choices and hand
// the whole copy over after every change; the game makes it real at once
// (the keys, the pads, the volumes, the window) and writes it to its
// settings file when the player leaves the options. The menus know nothing
// of that file, of the window or of the sound device: the game implements
// this seam (app/LiveSettings), tests put a recorder in its place.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/input/DefaultKeys.h"
#include "app/input/Gamepads.h"
#include "app/match/MatchSetup.h"
#include "engine/Sound.h"
#include "tennis/PlayerCommand.h"

// A full-screen mode: its size, and its refresh rate (0 when the display
// does not say).
struct ScreenSize {
  int32_t width = 0;
  int32_t height = 0;
  int32_t refreshRate = 0;
  bool operator==(const ScreenSize&) const = default;
};

struct OptionChoices {
  std::array<KeySet, kKeySetCount> keySets = kDefaultKeySets;
  // Key set indices, in the order pads plugged in take them.
  std::array<int32_t, kKeySetCount> padKeySets{0, 1, 2, 3};
  bool padSwapHitAndDive = false;
  int32_t musicVolume = kLoudestVolume;
  int32_t effectsVolume = kLoudestVolume;
  bool windowed = false;
  ScreenSize screenSize{1024, 768, 60};
  std::string language = "ES";  // the code of its file in lang/
  // The hints in a match: the keys card, the serve's keys, a fault's reason.
  bool hints = true;
  bool operator==(const OptionChoices&) const = default;
};

class OptionsStage {
 public:
  virtual ~OptionsStage() = default;
  virtual OptionChoices current() const = 0;
  // Made real at once, as far as the game can while it runs.
  virtual void carryOut(const OptionChoices& chosen) = 0;
  // The player left the options: what changed is written down.
  virtual void keep() = 0;
  virtual std::vector<ConnectedPad> connectedPads() const = 0;
  // The full-screen modes the display offers, the one chosen among them.
  virtual std::vector<ScreenSize> screenSizes() const = 0;
  // Whether the game shows in a window now: a change between window and
  // full screen that it cannot make while it runs waits for the next start.
  virtual bool windowedNow() const = 0;
};
