#include "app/menus/TournamentMenu.h"

#include <GL/gl.h>

#include <utility>

#include "app/input/Keyboard.h"
#include "app/menus/ControllerNames.h"
#include "app/menus/Language.h"
#include "app/menus/Menu.h"
#include "app/menus/TextLines.h"

namespace {

struct Spot {
  float x;
  float y;
};

constexpr Spot kHeading{512, 480};
constexpr Spot kEntryMode{400, 420};
constexpr Spot kEntryGames{400, 380};
constexpr Spot kEntryCharacter{400, 340};
constexpr Spot kEntryKeys{400, 300};
constexpr float kEntryValueX = 700;
// The bracket's foot: its items are longer than next and back, and stand
// farther apart than a foot row's.
constexpr float kBracketFootGap = 310;

constexpr Spot kFirstCup{400, 420};
constexpr float kCupGap = 40;
constexpr float kCupLabelX = 680;
constexpr Spot kCupsHint{512, 220};
constexpr float kHintScale = 0.6f;

constexpr Spot kBracketTitle{512, 530};
constexpr float kBracketTitleScale = 0.8f;
constexpr Spot kBracketStatus{512, 170};
constexpr float kBracketStatusScale = 0.6f;

constexpr float kLockedShade = 0.5f;

// Games a set go 2 -> 6 -> 2, as on the match options.
constexpr int32_t kShortSet = 2;
constexpr int32_t kLongSet = 6;

// The value after `value` (before it, going backwards), coming round
// between `first` and `last`.
int32_t stepRound(int32_t value, int32_t first, int32_t last, bool backwards) {
  if (backwards) return value <= first ? last : value - 1;
  return value >= last ? first : value + 1;
}

std::string keySetLabel(int32_t keySet) {
  return keySet >= 0 && keySet < kKeySetCount ? kControllerNames[keySet] : "?";
}

std::string characterLabel(int32_t character) {
  return character >= 1 && character <= kCharacterCount ? kCharacters[character - 1].shownName : "?";
}

}  // namespace

TournamentMenu::TournamentMenu(std::shared_ptr<TextureFactory> textures) : textureFactory(std::move(textures)) {
  normalFont = std::make_shared<Font>(kMenuFontPath, kMenuFontSpacing, textureFactory);
  highlightedFont = std::make_shared<Font>(kMenuSelectedFontPath, kMenuFontSpacing, textureFactory);
  backgroundImage = textureFactory->create(kMenuBackground);
  goToScreen(TournamentScreen::Entry);
}

void TournamentMenu::setEntry(const CupEntry& entry) {
  entered = entry;
  if (entered.gamesPerSet != kLongSet) entered.gamesPerSet = kShortSet;
  ++changes;
}

void TournamentMenu::goToScreen(TournamentScreen id) {
  ++changes;
  currentScreen = id;
  itemList.clear();
  choices.clear();
  selectedItem.reset();
  switch (id) {
    case TournamentScreen::Entry: buildEntry(); break;
    case TournamentScreen::Cups: buildCups(); break;
    case TournamentScreen::Bracket: buildBracket(); break;
    default: break;
  }
}

std::shared_ptr<MenuItem> TournamentMenu::appendItem(const std::string& label, TournamentAction action, float x,
                                                     float y, int32_t value) {
  auto item = std::make_shared<MenuItem>(TournamentChoice, x, y, label, normalFont, highlightedFont);
  itemList.push_back(item);
  choices.push_back({action, value});
  if (itemList.size() == 1) selectedItem = item;
  return item;
}

std::shared_ptr<MenuItem> TournamentMenu::addItem(const std::string& label, TournamentAction action, float x, float y,
                                                  int32_t value) {
  const std::shared_ptr<MenuItem> previous = itemList.empty() ? nullptr : itemList.back();
  auto item = appendItem(label, action, x, y, value);
  if (previous) {
    previous->link(Down, item);
    item->link(Up, previous);
  }
  return item;
}

void TournamentMenu::addPair(const std::string& left, TournamentAction leftAction, const std::string& right,
                             TournamentAction rightAction, const std::shared_ptr<MenuItem>& above) {
  const bool bracket = currentScreen == TournamentScreen::Bracket;
  const float half = bracket ? kBracketFootGap / 2 : (Menu::footX(1, 2) - Menu::footX(0, 2)) / 2;
  const float centre = Menu::footX(0, 1);
  const auto first = addItem(left, leftAction, centre - half, Menu::kFootY);
  const auto second = appendItem(right, rightAction, centre + half, Menu::kFootY);
  first->link(Right, second);
  second->link(Left, first);
  if (above) second->link(Up, above);
}

void TournamentMenu::addAlone(const std::string& label, TournamentAction action) {
  addItem(label, action, Menu::footX(0, 1), Menu::kFootY);
}

void TournamentMenu::buildEntry() {
  addItem(text(kTextMode), TournamentAction::ToggleMode, kEntryMode.x, kEntryMode.y);
  addItem(text(kTextGames), TournamentAction::CycleGames, kEntryGames.x, kEntryGames.y);
  addItem(text(kTextCharacter), TournamentAction::NextCharacter, kEntryCharacter.x, kEntryCharacter.y);
  const auto keys = addItem(text(kTextController), TournamentAction::NextKeySet, kEntryKeys.x, kEntryKeys.y);
  addPair(text(kTextNext), TournamentAction::ToCups, text(kTextBack), TournamentAction::Leave, keys);
}

void TournamentMenu::buildCups() {
  for (int32_t cupIndex = 0; cupIndex < kCupCount; ++cupIndex) {
    // A locked cup is drawn, not offered (drawCups).
    if (!progress.open(entered.doubles, cupIndex)) continue;
    addItem(text(kTextFirstCup + cupIndex), TournamentAction::PickCup, kFirstCup.x,
            kFirstCup.y - kCupGap * float(cupIndex), cupIndex);
  }
  addAlone(text(kTextBack), TournamentAction::CupsBack);
  // The highlight starts on the last cup open: the one to win next.
  for (size_t i = itemList.size(); i-- > 0;) {
    if (choices[i].action == TournamentAction::PickCup) {
      selectedItem = itemList[i];
      break;
    }
  }
}

void TournamentMenu::buildBracket() {
  if (!cup) return;
  // While the round's other matches play, the next round is not yet drawn:
  // only giving up is offered.
  const bool toPlay = cup->standing() == CupStanding::Playing && !cup->playerMatchPlayed();
  if (toPlay) {
    addPair(text(kTextPlay), TournamentAction::Play, text(kTextLeaveCup), TournamentAction::GiveUp, nullptr);
  } else if (cup->standing() == CupStanding::Out) {
    addPair(text(kTextDrawAgain), TournamentAction::DrawAgain, text(kTextBack), TournamentAction::GiveUp, nullptr);
  } else {
    addAlone(text(cup->standing() == CupStanding::Champion ? kTextBack : kTextLeaveCup), TournamentAction::GiveUp);
  }
}

void TournamentMenu::setProgress(const CupProgress& shown) {
  progress = shown;
  if (currentScreen == TournamentScreen::Cups) goToScreen(TournamentScreen::Cups);
}

void TournamentMenu::showCup(std::shared_ptr<const CupRun> shown, bool playing) {
  cup = std::move(shown);
  othersPlaying = playing;
  if (cup) makeBracketFonts();
  if (currentScreen != TournamentScreen::Bracket) return;
  // The highlight stays on the item of the same action when there is one.
  const std::optional<TournamentAction> highlighted = [this]() -> std::optional<TournamentAction> {
    for (size_t i = 0; i < itemList.size(); ++i) {
      if (itemList[i] == selectedItem) return choices[i].action;
    }
    return std::nullopt;
  }();
  goToScreen(TournamentScreen::Bracket);
  for (size_t i = 0; highlighted && i < itemList.size(); ++i) {
    if (choices[i].action == *highlighted) selectedItem = itemList[i];
  }
}

void TournamentMenu::makeBracketFonts() {
  const float scale = layoutBracket(cup->bracket(), cup->entry().doubles).scale;
  if (scale == bracketFontScale && bracketFont) return;
  bracketFontScale = scale;
  bracketFont = std::make_shared<Font>(kMenuFontPath, kMenuFontSpacing * scale, textureFactory);
  bracketPlayerFont = std::make_shared<Font>(kMenuSelectedFontPath, kMenuFontSpacing * scale, textureFactory);
}

void TournamentMenu::handleInput() {
  if (wasKeyPressed(kKeyEscape)) {
    goBack();
    return;
  }
  if (wasKeyPressed(kKeyUp)) navigate(Up);
  if (wasKeyPressed(kKeyDown)) navigate(Down);
  if (wasKeyPressed(kKeyLeft)) navigate(Left);
  if (wasKeyPressed(kKeyRight)) navigate(Right);
  if (wasKeyPressed(kKeyEnter)) select();
}

void TournamentMenu::navigate(MenuDirection direction) {
  if (!selectedItem) return;
  if (std::shared_ptr<MenuItem> next = selectedItem->neighbour(direction)) {
    selectedItem = std::move(next);
    ++changes;
  } else if (direction == Left || direction == Right) {
    const size_t at = selectedIndex();
    if (at < itemList.size() && changesAValue(choices[at].action)) run(choices[at], direction == Left);
  }
}

void TournamentMenu::select() {
  const size_t at = selectedIndex();
  if (at < itemList.size()) run(choices[at], false);
}

void TournamentMenu::goBack() {
  // The back item of each screen: on the bracket the foot row's last item.
  switch (currentScreen) {
    case TournamentScreen::Entry: run({TournamentAction::Leave, 0}, false); break;
    case TournamentScreen::Cups: run({TournamentAction::CupsBack, 0}, false); break;
    case TournamentScreen::Bracket:
      if (!choices.empty()) run(choices.back(), false);
      break;
    default: break;
  }
}

bool TournamentMenu::changesAValue(TournamentAction action) {
  return action == TournamentAction::ToggleMode || action == TournamentAction::CycleGames ||
         action == TournamentAction::NextCharacter || action == TournamentAction::NextKeySet;
}

size_t TournamentMenu::selectedIndex() const {
  size_t at = 0;
  while (at < itemList.size() && itemList[at] != selectedItem) ++at;
  return at;
}

void TournamentMenu::run(const Choice& choice, bool backwards) {
  ++changes;
  switch (choice.action) {
    case TournamentAction::ToggleMode: entered.doubles = !entered.doubles; break;
    case TournamentAction::CycleGames:
      entered.gamesPerSet = entered.gamesPerSet == kShortSet ? kLongSet : kShortSet;
      break;
    case TournamentAction::NextCharacter:
      entered.character = stepRound(entered.character, 1, kCharacterCount, backwards);
      break;
    case TournamentAction::NextKeySet:
      entered.keySet = stepRound(entered.keySet, 0, kKeySetCount - 1, backwards);
      break;
    case TournamentAction::ToCups: goToScreen(TournamentScreen::Cups); break;
    case TournamentAction::Leave: goToScreen(TournamentScreen::LeaveRequest); break;
    case TournamentAction::PickCup:
      picked = choice.value;
      goToScreen(TournamentScreen::CupPicked);
      break;
    case TournamentAction::CupsBack: goToScreen(TournamentScreen::Entry); break;
    case TournamentAction::Play: goToScreen(TournamentScreen::PlayRequest); break;
    case TournamentAction::GiveUp: goToScreen(TournamentScreen::Cups); break;
    case TournamentAction::DrawAgain: goToScreen(TournamentScreen::DrawAgainRequest); break;
  }
}

std::string TournamentMenu::cupName(int32_t cupIndex) { return text(kTextFirstCup + cupIndex); }

std::string TournamentMenu::cupLabel(int32_t cupIndex) const {
  if (!progress.open(entered.doubles, cupIndex)) return text(kTextLocked);
  if (progress.won(entered.doubles, entered.character, cupIndex)) return text(kTextWon);
  return {};
}

std::string TournamentMenu::bracketStatus() const {
  if (!cup) return {};
  switch (cup->standing()) {
    case CupStanding::Champion: return text(kTextCupWon);
    case CupStanding::Out: return text(kTextFirstBeaten + cup->round());
    case CupStanding::Playing: break;
  }
  return text(othersPlaying ? kTextOthersPlaying : kTextFirstRound + cup->round());
}

void TournamentMenu::drawLabel(const std::string& label, float x, float y, float scale) const {
  normalFont->drawText(label, x, y, scale);
}

void TournamentMenu::draw2D() {
  if (backgroundImage) Menu::drawBackground(*backgroundImage);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  for (const auto& item : itemList) item->draw(item == selectedItem);
  switch (currentScreen) {
    case TournamentScreen::Entry: drawEntryValues(); break;
    case TournamentScreen::Cups: drawCups(); break;
    case TournamentScreen::Bracket: drawBracketScreen(); break;
    default: break;
  }
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glDisable(GL_BLEND);
}

void TournamentMenu::drawEntryValues() const {
  drawLabel(text(kTextTournament), kHeading.x, kHeading.y);
  drawLabel(text(entered.doubles ? kTextDoubles : kTextSingles), kEntryValueX, kEntryMode.y);
  drawLabel(std::to_string(entered.gamesPerSet), kEntryValueX, kEntryGames.y);
  drawLabel(characterLabel(entered.character), kEntryValueX, kEntryCharacter.y);
  drawLabel(keySetLabel(entered.keySet), kEntryValueX, kEntryKeys.y);
}

void TournamentMenu::drawCups() const {
  drawLabel(characterLabel(entered.character) + "  " + text(entered.doubles ? kTextDoubles : kTextSingles),
            kHeading.x, kHeading.y);
  bool anyLocked = false;
  for (int32_t cupIndex = 0; cupIndex < kCupCount; ++cupIndex) {
    const float y = kFirstCup.y - kCupGap * float(cupIndex);
    if (!progress.open(entered.doubles, cupIndex)) {
      anyLocked = true;
      glColor4f(kLockedShade, kLockedShade, kLockedShade, 1.0f);
      drawLabel(text(kTextFirstCup + cupIndex), kFirstCup.x, y);
      glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    drawLabel(cupLabel(cupIndex), kCupLabelX, y);
  }
  if (anyLocked) drawLabel(text(kTextCupsOpen), kCupsHint.x, kCupsHint.y, kHintScale);
}

void TournamentMenu::drawBracketScreen() const {
  if (!cup) return;
  drawLabel(cupName(cup->cup()), kBracketTitle.x, kBracketTitle.y, kBracketTitleScale);
  drawLabel(bracketStatus(), kBracketStatus.x, kBracketStatus.y, kBracketStatusScale);
  if (bracketFont && bracketPlayerFont) {
    drawBracket(layoutBracket(cup->bracket(), cup->entry().doubles), *bracketFont, *bracketPlayerFont);
  }
}
