#include "app/menus/OptionsScreens.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>

#include "app/menus/KeyNames.h"
#include "app/menus/Menu.h"
#include "app/menus/Language.h"
#include "app/menus/TextLines.h"
#include "engine/OverlayRect.h"
#include "engine/Sound.h"

namespace {

// Where things go, in overlay units (y up): an item's label on the left,
// its value on the right, as on the match options, a little smaller so that
// the longest key names fit beside the labels.
constexpr float kLabelX = 280;
constexpr float kValueScale = 0.8f;
constexpr float kCentreX = 512;
// Small print beside a value (another set's use of a key, a pad's name)
// and under the items (a change that waits for the next start).
constexpr float kSmallScale = 0.55f;

// The list under OPCIONES, top down.
constexpr float kListTopY = 440;
constexpr float kListGap = 50;

// The controls of a key set: the set, its six actions, then the reset.
constexpr float kKeySetY = 500;
constexpr float kFirstRoleY = 450;
constexpr float kRoleGap = 40;
constexpr float kResetY = 195;
// Labels, keys and another set's use of them side by side: the longest key
// names and the note both fit inside the panel.
constexpr float kRoleLabelX = 230;
constexpr float kKeyX = 515;
constexpr float kAlsoOnX = 760;

// The pads: one row a place in the plugging order, then hit and dive.
constexpr float kPadLabelX = 260;
constexpr float kPadValueX = 460;
constexpr float kPadNameX = 720;
constexpr float kFirstPadY = 450;
constexpr float kPadGap = 45;
constexpr float kHitAndDiveY = 250;
constexpr float kHitAndDiveX = 320;
constexpr float kHitAndDiveValueX = 660;
// A pad's name is cut to this many characters: some are long sentences.
constexpr size_t kLongestPadName = 24;

// The volumes: a number and a bar of one block a level.
constexpr float kMusicY = 420;
constexpr float kEffectsY = 370;
constexpr float kVolumeNumberX = 480;
constexpr float kBarLeft = 530;
constexpr float kBlockWidth = 16;
constexpr float kBlockGap = 4;
constexpr float kBlockHeight = 22;
// The lit blocks in the highlighted lettering's gold, the others faint.
constexpr float kLitBlock[4] = {1.0f, 0.75f, 0.2f, 1.0f};
constexpr float kUnlitBlock[4] = {1.0f, 1.0f, 1.0f, 0.25f};

// Window or full screen, and the resolution, with what waits under them.
constexpr float kModeY = 420;
constexpr float kResolutionY = 370;
constexpr float kScreenValueX = 620;
constexpr float kFirstNoteY = 300;
constexpr float kNoteGap = 35;

// The languages, top down, the one in use between two marks.
constexpr float kMarkGap = 24;

// The sound heard as the effects volume changes: the first racket hit.
constexpr int kHitSound = 0;

int32_t stepped(int32_t value, int32_t count, ValueStep step) {
  const int32_t by = step == ValueStep::Previous ? count - 1 : 1;
  return (value + by) % count;
}

// A volume stops at its ends under Left and Right; Enter comes round.
int32_t steppedVolume(int32_t level, ValueStep step) {
  if (step == ValueStep::Enter) return stepped(level, kLoudestVolume + 1, step);
  return std::clamp(level + (step == ValueStep::Next ? 1 : -1), 0, kLoudestVolume);
}

std::string numberedPad(int32_t place) { return text(kTextPad) + " " + std::to_string(place + 1); }

std::string hitAndDiveButtons(bool swapped) {
  const char* hit = swapped ? "B" : "A";
  const char* dive = swapped ? "A" : "B";
  return std::string(hit) + " " + text(kTextAnd) + " " + dive;
}

std::string sizeLabel(const ScreenSize& size) {
  return std::to_string(size.width) + " X " + std::to_string(size.height);
}

}  // namespace

void OptionsScreens::open() {
  chosen = stage ? stage->current() : OptionChoices{};
  awaitedRole = -1;
}

bool OptionsScreens::build(MenuScreen screen, Menu& menu) {
  switch (screen) {
    case OptionsMenu:
      buildList(menu);
      return true;
    case ControlsMenu:
      buildControls(menu);
      return true;
    case PadsMenu:
      buildPads(menu);
      return true;
    case SoundMenu:
      buildSound(menu);
      return true;
    case ScreenMenu:
      buildScreen(menu);
      return true;
    case LanguageMenu:
      buildLanguages(menu);
      return true;
    default:
      return false;
  }
}

void OptionsScreens::buildList(Menu& menu) const {
  const int32_t texts[] = {kTextControls, kTextSound, kTextScreen, kTextLanguage};
  const MenuAction actions[] = {OpenControls, OpenSound, OpenScreen, OpenLanguage};
  for (size_t i = 0; i < std::size(texts); ++i) {
    menu.addItem(menu.makeItem(texts[i], actions[i], kCentreX, kListTopY - kListGap * float(i)));
  }
  const std::string hints = text(kTextHints) + ": " + text(chosen.hints ? kTextOn : kTextOff);
  menu.addItem(menu.makeItem(hints, ToggleHints, kCentreX, kListTopY - kListGap * float(std::size(texts))));
  menu.addFootRow({menu.makeItem(kTextBack, LeaveOptions, Menu::footX(0, 1), Menu::kFootY)}, 0);
}

void OptionsScreens::buildControls(Menu& menu) const {
  menu.addItem(menu.makeItem(menu.controllerLabel(keySet), NextKeySet, kCentreX, kKeySetY));
  for (int32_t role = 0; role < kPlayerKeyCount; ++role) {
    menu.addItem(menu.makeItem(kTextFirstRole + role, BindKey, kRoleLabelX, kFirstRoleY - kRoleGap * float(role), role));
  }
  menu.addItem(menu.makeItem(kTextReset, ResetKeys, kCentreX, kResetY));
  menu.addFootRow({menu.makeItem(kTextPads, OpenPads, Menu::footX(0, 2), Menu::kFootY),
                   menu.makeItem(kTextBack, ControlsBack, Menu::footX(1, 2), Menu::kFootY)},
                  1);
}

void OptionsScreens::buildPads(Menu& menu) const {
  for (int32_t place = 0; place < kKeySetCount; ++place) {
    menu.addItem(menu.makeItem(numberedPad(place), NextPadKeySet, kPadLabelX, kFirstPadY - kPadGap * float(place), place));
  }
  menu.addItem(menu.makeItem(kTextHitAndDive, SwapHitAndDive, kHitAndDiveX, kHitAndDiveY));
  menu.addFootRow({menu.makeItem(kTextBack, PadsBack, Menu::footX(0, 1), Menu::kFootY)}, 0);
}

void OptionsScreens::buildSound(Menu& menu) const {
  menu.addItem(menu.makeItem(kTextMusic, MusicVolume, kLabelX, kMusicY));
  menu.addItem(menu.makeItem(kTextEffects, EffectsVolume, kLabelX, kEffectsY));
  menu.addFootRow({menu.makeItem(kTextBack, BackToOptions, Menu::footX(0, 1), Menu::kFootY)}, 0);
}

void OptionsScreens::buildScreen(Menu& menu) {
  // The list is asked for each time: a display may have been plugged in.
  sizes = stage ? stage->screenSizes() : std::vector<ScreenSize>{};
  if (std::find(sizes.begin(), sizes.end(), chosen.screenSize) == sizes.end()) sizes.insert(sizes.begin(), chosen.screenSize);
  menu.addItem(menu.makeItem(kTextScreenMode, ToggleWindowed, kLabelX, kModeY));
  menu.addItem(menu.makeItem(kTextResolution, NextScreenSize, kLabelX, kResolutionY));
  menu.addFootRow({menu.makeItem(kTextBack, BackToOptions, Menu::footX(0, 1), Menu::kFootY)}, 0);
}

void OptionsScreens::buildLanguages(Menu& menu) {
  languages = availableLanguages();
  for (size_t i = 0; i < languages.size(); ++i) {
    menu.addItem(menu.makeItem(languages[i].ownName, PickLanguage, kCentreX, kListTopY - kListGap * float(i),
                               static_cast<int32_t>(i)));
  }
  menu.addFootRow({menu.makeItem(kTextBack, BackToOptions, Menu::footX(0, 1), Menu::kFootY)}, 0);
  // The highlight starts on the language in use.
  for (size_t i = 0; i < languages.size(); ++i) {
    if (languages[i].code == chosen.language) menu.highlight(PickLanguage, static_cast<int32_t>(i));
  }
}

bool OptionsScreens::run(const MenuItem& item, ValueStep step, Menu& menu) {
  switch (item.action()) {
    case OpenOptions:
      open();
      menu.goToScreen(OptionsMenu);
      return true;
    case LeaveOptions:
      if (stage) stage->keep();
      menu.goToScreen(MainMenu);
      menu.highlight(OpenOptions);
      return true;
    case OpenControls:
      menu.goToScreen(ControlsMenu);
      return true;
    case OpenSound:
      menu.goToScreen(SoundMenu);
      return true;
    case OpenScreen:
      menu.goToScreen(ScreenMenu);
      return true;
    case OpenLanguage:
      menu.goToScreen(LanguageMenu);
      return true;
    case OpenPads:
      menu.goToScreen(PadsMenu);
      return true;
    case ControlsBack:
    case BackToOptions: {
      const MenuScreen from = menu.screen();
      menu.goToScreen(OptionsMenu);
      menu.highlight(from == ControlsMenu ? OpenControls
                     : from == SoundMenu  ? OpenSound
                     : from == ScreenMenu ? OpenScreen
                                          : OpenLanguage);
      return true;
    }
    case PadsBack:
      menu.goToScreen(ControlsMenu);
      menu.highlight(OpenPads);
      return true;
    case NextKeySet:
      keySet = stepped(keySet, kKeySetCount, step);
      menu.goToScreen(ControlsMenu);  // the item names the set
      return true;
    case BindKey:
      awaitedRole = item.choice();
      for (int code = 0; code < kKeyCodeCount; ++code) pressesBefore[code] = keyPressCount(code);
      return true;
    case ResetKeys:
      chosen.keySets[keySet] = kDefaultKeySets[keySet];
      changed();
      return true;
    case NextPadKeySet:
      stepPadKeySet(item.choice(), step);
      return true;
    case SwapHitAndDive:
      chosen.padSwapHitAndDive = !chosen.padSwapHitAndDive;
      changed();
      return true;
    case ToggleHints:
      chosen.hints = !chosen.hints;
      changed();
      menu.goToScreen(OptionsMenu);  // the item says whether they are on
      menu.highlight(ToggleHints);
      return true;
    case MusicVolume:
      chosen.musicVolume = steppedVolume(chosen.musicVolume, step);
      changed();
      return true;
    case EffectsVolume:
      chosen.effectsVolume = steppedVolume(chosen.effectsVolume, step);
      changed();
      // Heard at its new loudness; the effects are the match's, loaded on need.
      if (soundOutput().sampleCount() == 0) loadEffects(kEffectSetMatch);
      playEffect(kHitSound);
      return true;
    case ToggleWindowed:
      chosen.windowed = !chosen.windowed;
      changed();
      return true;
    case NextScreenSize:
      stepScreenSize(step);
      return true;
    case PickLanguage:
      pickLanguage(item.choice(), menu);
      return true;
    default:
      return false;
  }
}

bool OptionsScreens::followKeys(Menu& menu) {
  if (!awaitingKey()) return false;
  for (int code = 0; code < kKeyCodeCount; ++code) {
    if (code == kKeyEscape || keyPressCount(code) == pressesBefore[code]) continue;
    // The press is the binding's: it neither moves nor picks in the menu.
    wasKeyPressed(code);
    bind(awaitedRole, code);
    awaitedRole = -1;
    menu.touch();
    break;
  }
  return true;
}

void OptionsScreens::bind(int32_t role, int code) {
  KeySet& keys = chosen.keySets[keySet];
  for (int32_t other = 0; other < kPlayerKeyCount; ++other) {
    if (other != role && keys[other] == code) keys[other] = keys[role];
  }
  keys[role] = code;
  changed();
}

void OptionsScreens::stepPadKeySet(int32_t place, ValueStep step) {
  std::array<int32_t, kKeySetCount>& order = chosen.padKeySets;
  const int32_t taken = stepped(order[place], kKeySetCount, step);
  // Every key set stays with one place: the place that had it takes this one's.
  for (int32_t& other : order) {
    if (other == taken) other = order[place];
  }
  order[place] = taken;
  changed();
}

void OptionsScreens::stepScreenSize(ValueStep step) {
  const auto at = std::find(sizes.begin(), sizes.end(), chosen.screenSize);
  if (sizes.empty() || at == sizes.end()) return;
  chosen.screenSize = sizes[stepped(int32_t(at - sizes.begin()), int32_t(sizes.size()), step)];
  changed();
}

void OptionsScreens::pickLanguage(int32_t index, Menu& menu) {
  if (index < 0 || index >= static_cast<int32_t>(languages.size())) return;
  chosen.language = languages[index].code;
  loadLanguage(languageFilePath(chosen.language));
  changed();
  menu.goToScreen(LanguageMenu);  // every item in the new words
  menu.highlight(PickLanguage, index);
}

void OptionsScreens::changed() {
  if (stage) stage->carryOut(chosen);
}

void OptionsScreens::draw(MenuScreen screen, const Menu& menu) const {
  switch (screen) {
    case ControlsMenu:
      drawControls(menu);
      break;
    case PadsMenu:
      drawPads(menu);
      break;
    case SoundMenu:
      drawSound(menu);
      break;
    case ScreenMenu:
      drawScreen(menu);
      break;
    case LanguageMenu:
      drawLanguages(menu);
      break;
    default:
      break;
  }
}

void OptionsScreens::drawControls(const Menu& menu) const {
  const KeySet& keys = chosen.keySets[keySet];
  for (int32_t role = 0; role < kPlayerKeyCount; ++role) {
    const float y = kFirstRoleY - kRoleGap * float(role);
    menu.drawLabel(role == awaitedRole ? text(kTextPressAKey) : keyName(keys[role]), kKeyX, y, kValueScale);
    const int32_t other = otherSetUsing(role);
    if (role != awaitedRole && other >= 0) {
      menu.drawLabel(text(kTextAlsoOn) + " " + menu.controllerLabel(other), kAlsoOnX, y, kSmallScale);
    }
  }
}

int32_t OptionsScreens::otherSetUsing(int32_t role) const {
  const int code = chosen.keySets[keySet][role];
  for (int32_t other = 0; other < kKeySetCount; ++other) {
    const KeySet& theirs = chosen.keySets[other];
    if (other != keySet && std::find(theirs.begin(), theirs.end(), code) != theirs.end()) return other;
  }
  return -1;
}

void OptionsScreens::drawPads(const Menu& menu) const {
  const std::vector<ConnectedPad> pads = stage ? stage->connectedPads() : std::vector<ConnectedPad>{};
  for (int32_t place = 0; place < kKeySetCount; ++place) {
    const float y = kFirstPadY - kPadGap * float(place);
    const int32_t set = chosen.padKeySets[place];
    menu.drawLabel(menu.controllerLabel(set), kPadValueX, y, kValueScale);
    const auto pad = std::find_if(pads.begin(), pads.end(), [set](const ConnectedPad& p) { return p.keySet == set; });
    const std::string name = pad == pads.end() ? text(kTextNoPad) : pad->name.substr(0, kLongestPadName);
    menu.drawLabel(name, kPadNameX, y, kSmallScale);
  }
  menu.drawLabel(hitAndDiveButtons(chosen.padSwapHitAndDive), kHitAndDiveValueX, kHitAndDiveY, kValueScale);
}

void OptionsScreens::drawSound(const Menu& menu) const {
  const struct {
    int32_t level;
    float y;
  } rows[] = {{chosen.musicVolume, kMusicY}, {chosen.effectsVolume, kEffectsY}};
  for (const auto& row : rows) menu.drawLabel(std::to_string(row.level), kVolumeNumberX, row.y, kValueScale);
  glDisable(GL_TEXTURE_2D);
  for (const auto& row : rows) {
    for (int32_t block = 0; block < kLoudestVolume; ++block) {
      const float x = kBarLeft + (kBlockWidth + kBlockGap) * float(block);
      glColor4fv(block < row.level ? kLitBlock : kUnlitBlock);
      fillOverlayRect(x, row.y - kBlockHeight / 2, x + kBlockWidth, row.y + kBlockHeight / 2);
    }
  }
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
}

void OptionsScreens::drawScreen(const Menu& menu) const {
  menu.drawLabel(text(chosen.windowed ? kTextWindow : kTextFullScreen), kScreenValueX, kModeY, kValueScale);
  menu.drawLabel(sizeLabel(chosen.screenSize), kScreenValueX, kResolutionY, kValueScale);
  float y = kFirstNoteY;
  const bool windowedNow = stage ? stage->windowedNow() : chosen.windowed;
  if (windowedNow != chosen.windowed) {
    menu.drawLabel(text(kTextModeAtRestart), kCentreX, y, kSmallScale);
    y -= kNoteGap;
  }
  // A full screen shows the display as it found it; another mode is only
  // asked for as the game starts.
  if (!windowedNow) menu.drawLabel(text(kTextResolutionAtStart), kCentreX, y, kSmallScale);
}

void OptionsScreens::drawLanguages(const Menu& menu) const {
  for (const auto& item : menu.items()) {
    if (item->action() != PickLanguage || languages[item->choice()].code != chosen.language) continue;
    const float half = menu.labelWidth(item->text(), 1.0f) / 2;
    menu.drawLabel(">", item->x() - half - kMarkGap, item->y());
    menu.drawLabel("<", item->x() + half + kMarkGap, item->y());
  }
}
