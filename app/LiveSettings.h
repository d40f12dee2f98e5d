#pragma once
// The options screens' changes made real while the game runs, and written
// down: the keys of the four key sets (the next step samples them), the
// pads' key sets and buttons, the volumes of the music and of the effects,
// window or full screen and the resolution, the language's name; and
// config.ini, saved when the player leaves the options and something
// changed (a save that fails is said, and the changes hold until the game
// ends; they are tried again at the next leaving, and as the game ends).
//
// It edits the process-wide settings of app/Settings.h. The window and the
// list of display modes are handed in by the entry point: without them, as
// in tests and tools, nothing changes on screen and the only mode offered
// is the one configured.

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "app/Settings.h"
#include "app/input/Gamepads.h"
#include "app/menus/OptionsStage.h"

class LiveSettings : public OptionsStage {
 public:
  // Shows a window (true) or the full screen; answers whether the game now
  // shows in a window.
  using ScreenShower = std::function<bool(bool windowed, const Resolution& windowSize)>;
  using ModeLister = std::function<std::vector<ScreenSize>()>;

  // The volumes of the settings are set as it starts.
  LiveSettings();

  void setSettingsFile(std::filesystem::path file) { settingsFile = std::move(file); }
  void setGamepads(std::shared_ptr<Gamepads> connected) { pads = std::move(connected); }
  // How the screen is changed, and whether the game opened in a window.
  void setScreen(ScreenShower shower, ModeLister lister, bool windowedAtStart);
  bool unsaved() const { return changedSinceSaved; }

  OptionChoices current() const override;
  void carryOut(const OptionChoices& chosen) override;
  void keep() override;
  std::vector<ConnectedPad> connectedPads() const override;
  std::vector<ScreenSize> screenSizes() const override;
  bool windowedNow() const override { return shownInWindow; }

 private:
  std::filesystem::path settingsFile = Settings::kFileName;
  std::shared_ptr<Gamepads> pads;
  ScreenShower showScreen;
  ModeLister listModes;
  bool shownInWindow = false;
  bool changedSinceSaved = false;
};
