#include "app/menus/TournamentMenu.h"

#include <GL/gl.h>

#include <utility>

#include "app/input/Keyboard.h"
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
constexpr Spot kFootLeft{400, 100};
constexpr Spot kFootRight{600, 100};
constexpr Spot kFootAlone{500, 100};
// The bracket's foot: its items are longer than next and back.
constexpr Spot kBracketFootLeft{330, 100};
constexpr Spot kBracketFootRight{640, 100};
constexpr Spot kBracketFootAlone{512, 100};

constexpr Spot kFirstCup{400, 420};
constexpr float kCupGap = 40;
constexpr float kCupLabelX = 680;
constexpr Spot kCupsHint{512, 220};
constexpr float kHintScale = 0.6f;

constexpr Spot kBracketTitle{512, 530};
constexpr float kBracketTitleScale = 0.8f;
constexpr Spot kBracketStatus{512, 170};
constexpr float kBracketStatusScale = 0.6f;

constexpr int kBackgroundX = 512;
constexpr int kBackgroundY = 256;
constexpr float kLockedShade = 0.5f;

// Games a set go 2 -> 6 -> 2, as on the match options.
constexpr int32_t kShortSet = 2;
constexpr int32_t kLongSet = 6;

std::string keySetLabel(int32_t keySet) { return "P" + std::to_string(keySet + 1) + " KEYS"; }

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
  const Spot leftSpot = bracket ? kBracketFootLeft : kFootLeft;
  const Spot rightSpot = bracket ? kBracketFootRight : kFootRight;
  const auto first = addItem(left, leftAction, leftSpot.x, leftSpot.y);
  const auto second = appendItem(right, rightAction, rightSpot.x, rightSpot.y);
  first->link(Right, second);
  second->link(Left, first);
  if (above) second->link(Up, above);
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
  addItem(text(kTextBack), TournamentAction::CupsBack, kFootAlone.x, kFootAlone.y);
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
    addItem(text(cup->standing() == CupStanding::Champion ? kTextBack : kTextLeaveCup), TournamentAction::GiveUp,
            kBracketFootAlone.x, kBracketFootAlone.y);
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
  }
}

void TournamentMenu::select() {
  size_t at = 0;
  while (at < itemList.size() && itemList[at] != selectedItem) ++at;
  if (at >= itemList.size()) return;
  ++changes;
  const Choice choice = choices[at];
  switch (choice.action) {
    case TournamentAction::ToggleMode: entered.doubles = !entered.doubles; break;
    case TournamentAction::CycleGames: entered.gamesPerSet = entered.gamesPerSet == kShortSet ? kLongSet : kShortSet; break;
    case TournamentAction::NextCharacter:
      entered.character = entered.character >= kCharacterCount ? 1 : entered.character + 1;
      break;
    case TournamentAction::NextKeySet: entered.keySet = (entered.keySet + 1) % kKeySetCount; break;
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
