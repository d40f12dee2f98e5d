#include "app/play/KeysCard.h"

#include <GL/gl.h>

#include <utility>

#include "app/match/MatchState.h"
#include "app/menus/Language.h"
#include "app/menus/TextLines.h"
#include "tennis/RoundedPanel.h"

namespace {

constexpr float kCentreX = 512.0f;
constexpr float kHeadingY = 560.0f;
constexpr float kFirstLineY = 500.0f;
constexpr float kLineGap = 38.0f;
constexpr float kLineScale = 0.6f;
constexpr float kPanelWidth = 860.0f;
constexpr float kPanelMargin = 60.0f;
// Painted as the main menu's panel: deep blue, a pale rim.
constexpr float kPanelRed = 0.08f;
constexpr float kPanelGreen = 0.17f;
constexpr float kPanelBlue = 0.38f;
constexpr float kPanelAlpha = 0.85f;
constexpr float kPanelCornerRadius = 26.0f;
constexpr int32_t kPanelCornerSegments = 8;
constexpr float kRimWidth = 4.0f;
constexpr float kRimAlpha = 0.7f;

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
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  const RoundedPanel panel(kPanelWidth, top - bottom, kPanelRed, kPanelGreen, kPanelBlue, kPanelAlpha,
                           kPanelCornerRadius, kPanelCornerSegments, kCentreX, (top + bottom) / 2);
  panel.draw();
  panel.drawOutline(kRimWidth, 1.0f, 1.0f, 1.0f, kRimAlpha);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  font->beginDrawing();
  const std::string heading = text(kTextYourControls);
  font->drawText(heading, font->centringX(heading, kCentreX, 1.0f), kHeadingY, 1.0f);
  float y = kFirstLineY;
  for (const std::string& line : shown) {
    font->drawText(line, font->centringX(line, kCentreX, kLineScale), y, kLineScale);
    y -= kLineGap;
  }
  Font::finishDrawing();
}
