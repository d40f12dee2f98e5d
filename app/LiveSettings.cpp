#include "app/LiveSettings.h"

#include <algorithm>

#include "engine/Sound.h"

namespace {

ScreenSize screenSizeOf(const Resolution& r) { return {r.width, r.height, r.refreshRate}; }

}  // namespace

LiveSettings::LiveSettings() : shownInWindow(settings.windowed) {
  setVolumes(settings.musicVolume, settings.effectsVolume);
}

void LiveSettings::setScreen(ScreenShower shower, ModeLister lister, bool windowedAtStart) {
  showScreen = std::move(shower);
  listModes = std::move(lister);
  shownInWindow = windowedAtStart;
}

OptionChoices LiveSettings::current() const {
  OptionChoices choices;
  choices.keySets = settings.keySets;
  choices.padKeySets = settings.padKeySets;
  choices.padSwapHitAndDive = settings.padSwapHitAndDive;
  choices.musicVolume = settings.musicVolume;
  choices.effectsVolume = settings.effectsVolume;
  choices.windowed = settings.windowed;
  choices.screenSize = screenSizeOf(settings.resolution);
  choices.language = settings.language;
  choices.hints = settings.hints;
  return choices;
}

void LiveSettings::carryOut(const OptionChoices& chosen) {
  const OptionChoices before = current();
  if (chosen == before) return;
  changedSinceSaved = true;
  settings.keySets = chosen.keySets;
  settings.language = chosen.language;
  settings.hints = chosen.hints;
  if (chosen.padKeySets != before.padKeySets || chosen.padSwapHitAndDive != before.padSwapHitAndDive) {
    settings.padKeySets = chosen.padKeySets;
    settings.padSwapHitAndDive = chosen.padSwapHitAndDive;
    if (pads) pads->configure(settings.padKeySets, settings.padSwapHitAndDive);
  }
  settings.musicVolume = chosen.musicVolume;
  settings.effectsVolume = chosen.effectsVolume;
  setVolumes(settings.musicVolume, settings.effectsVolume);
  if (chosen.windowed != before.windowed || !(chosen.screenSize == before.screenSize)) {
    settings.windowed = chosen.windowed;
    Resolution& r = settings.resolution;
    r.width = chosen.screenSize.width;
    r.height = chosen.screenSize.height;
    r.refreshRate = chosen.screenSize.refreshRate;
    if (showScreen) shownInWindow = showScreen(settings.windowed, settings.resolution);
  }
}

void LiveSettings::keep() {
  // Without a folder for the file (no home) the game never writes one.
  if (changedSinceSaved && !settingsFile.empty() && Settings().save(settingsFile)) changedSinceSaved = false;
}

std::vector<ConnectedPad> LiveSettings::connectedPads() const {
  return pads ? pads->connected() : std::vector<ConnectedPad>{};
}

std::vector<ScreenSize> LiveSettings::screenSizes() const {
  std::vector<ScreenSize> sizes = listModes ? listModes() : std::vector<ScreenSize>{};
  const ScreenSize configured = screenSizeOf(settings.resolution);
  // A display that does not say its rate is asked for the one configured.
  for (ScreenSize& size : sizes) {
    if (size.refreshRate == 0) size.refreshRate = configured.refreshRate;
  }
  const auto sameSize = [&](const ScreenSize& size) {
    return size.width == configured.width && size.height == configured.height;
  };
  // The size configured is offered as it is, in its place or first.
  const auto found = std::find_if(sizes.begin(), sizes.end(), sameSize);
  if (found != sizes.end()) {
    *found = configured;
  } else {
    sizes.insert(sizes.begin(), configured);
  }
  return sizes;
}
