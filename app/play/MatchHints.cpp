#include "app/play/MatchHints.h"

#include <utility>

#include "app/match/ShotVerdict.h"
#include "app/menus/LessonWords.h"
#include "app/play/WordsPanel.h"

namespace {

constexpr float kCentreX = 512.0f;
// The serve's keys along the foot, read as a lesson's instruction is.
constexpr float kServeLineY = 40.0f;
constexpr float kServeLineScale = 0.75f;
constexpr float kReasonY = 320.0f;
constexpr float kReasonScale = 0.8f;

bool serving(const TennisPlayer& player) {
  return player.state() == PlayerState::Serving || player.state() == PlayerState::ServeSwing;
}

}  // namespace

MatchHints::MatchHints(std::array<std::string, kPlayerSlotCount> serveLines, std::shared_ptr<TextureFactory> textures)
    : lines(std::move(serveLines)),
      font(std::make_shared<Font>(kMessageFontPath, kMessageSpacing, std::move(textures))) {}

void MatchHints::afterStep(const MatchSimulation& match) {
  shownServeLine.clear();
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    const std::shared_ptr<TennisPlayer> player = match.slotPlayer(slot);
    if (!player || lines[slot].empty()) continue;
    const bool now = serving(*player);
    if (wasServing[slot] && !now) ++serves[slot];
    wasServing[slot] = now;
    if (now && serves[slot] < kHintedServes) shownServeLine = lines[slot];
  }
  reasonMs -= static_cast<int32_t>(kFixedStepMs);
  if (reasonMs <= 0) reason.clear();
  const std::shared_ptr<MatchState> state = match.state();
  if (!state) return;
  const Pelota& ball = *state->shared().ball;
  for (const RallyReport& rally : match.outcome().rallies) {
    if (rally.call != RefereeCall::Fault && rally.call != RefereeCall::DoubleFault) continue;
    const auto* server = dynamic_cast<const TennisPlayer*>(ball.server());
    if (!server) continue;
    reason = verdictWord(whyMissed(state->judge().box, ball, *server));
    reasonMs = kFaultReasonMs;
  }
}

void MatchHints::draw2D() {
  if (shownServeLine.empty() && reason.empty()) return;
  if (!shownServeLine.empty()) {
    drawWordsPanelBehind(*font, {shownServeLine}, kCentreX, kServeLineY, kServeLineY, kServeLineScale);
  }
  font->beginDrawing();
  if (!shownServeLine.empty()) {
    font->drawText(shownServeLine, font->centringX(shownServeLine, kCentreX, kServeLineScale), kServeLineY,
                   kServeLineScale);
  }
  if (!reason.empty()) font->drawText(reason, font->centringX(reason, kCentreX, kReasonScale), kReasonY, kReasonScale);
  Font::finishDrawing();
}
