#include "app/menus/MenuItem.h"

#include <utility>

namespace {
constexpr float kItemScale = 1.0f;
}

bool changesAValue(MenuAction action) {
  switch (action) {
    case CycleSets:
    case CycleGames:
    case ToggleDoubles:
    case NextCharacter:
    case NextController:
    case NextKeySet:
    case NextPadKeySet:
    case SwapHitAndDive:
    case ToggleHints:
    case MusicVolume:
    case EffectsVolume:
    case ToggleWindowed:
    case NextScreenSize:
      return true;
    default:
      return false;
  }
}

MenuItem::MenuItem(MenuAction action, float x, float y, std::string text, std::weak_ptr<Font> normalFont,
                   std::weak_ptr<Font> highlightedFont, int32_t choice)
    : itemAction(action),
      itemChoice(choice),
      centreX(x),
      centreY(y),
      itemText(std::move(text)),
      normal(std::move(normalFont)),
      highlighted(std::move(highlightedFont)) {}

void MenuItem::draw(bool isHighlighted) const {
  const std::shared_ptr<Font> font = (isHighlighted ? highlighted : normal).lock();
  if (font) font->drawText(itemText, centreX, centreY, kItemScale);
}
