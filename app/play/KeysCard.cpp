#include "app/play/KeysCard.h"

#include <algorithm>
#include <utility>

#include "app/match/MatchState.h"
#include "app/menus/Language.h"
#include "app/menus/TextLines.h"
#include "app/play/WordsPanel.h"

namespace {

constexpr float kCentreX = 512.0f;
constexpr float kHeadingY = 560.0f;
constexpr float kFirstLineY = 500.0f;
constexpr float kLineGap = 42.0f;
constexpr float kLineScale = 0.75f;
// The card is at least this wide, wider for a longer line.
constexpr float kPanelWidth = 860.0f;
constexpr float kPanelMargin = 60.0f;

}  // namespace

KeysCard::KeysCard(std::vector<Person> people, std::shared_ptr<TextureFactory> textures)
    : font(std::make_shared<Font>(kMessageFontPath, kMessageSpacing, std::move(textures))) {
  for (const Person& person : people) {
    for (const ControlNames& names : person.controls) {
      shown.push_back(person.name + "   " + text(kTextMove) + ": " + names.directions + "   " +
                      text(kTextFirstRole + KeyHit) + ": " + names.of[KeyHit] + "   " + text(kTextFirstRole + KeyDive) +
                      ": " + names.of[KeyDive]);
    }
  }
  shown.push_back(text(kTextPauseKeys));
  shown.push_back(text(kTextCardLeave));
}

void KeysCard::draw2D() {
  const float bottom = kFirstLineY - kLineGap * static_cast<float>(shown.size()) - kPanelMargin / 2;
  const float top = kHeadingY + kPanelMargin;
  const float scale = fittingScale(*font, shown, kLineScale);
  float width = kPanelWidth;
  for (const std::string& line : shown) width = std::max(width, drawnWidth(*font, line, scale) + 2 * kWordsPanelPadX);
  drawWordsPanel(kCentreX, bottom, top, width);
  font->beginDrawing();
  const std::string heading = text(kTextYourControls);
  font->drawText(heading, font->centringX(heading, kCentreX, 1.0f), kHeadingY, 1.0f);
  float y = kFirstLineY;
  for (const std::string& line : shown) {
    font->drawText(line, font->centringX(line, kCentreX, scale), y, scale);
    y -= kLineGap;
  }
  Font::finishDrawing();
}
