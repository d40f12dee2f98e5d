#pragma once
// The hints of a match for people who skipped training: while a person
// serves one of their first serves of the match, a line at the foot names
// their keys for the toss and the swing ("M: LANZAR   M OTRA VEZ ARRIBA");
// after a fault, a word under the match's message says why (too early, too
// late, the net, long, wide), judged as the referee judged it. OPCIONES can
// turn them off (the Application then makes none). It reads the match after
// every step shown and never changes it.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/match/MatchSimulation.h"
#include "engine/Font.h"
#include "engine/Overlay.h"
#include "engine/TextureFactory.h"

// Serves of a match a person is shown their keys for.
constexpr int32_t kHintedServes = 3;
// How long a fault's reason stays (ms of steps).
constexpr int32_t kFaultReasonMs = 2000;

class MatchHints : public Overlay {
 public:
  // `serveLines`: each slot's line, empty for a slot no person plays here.
  MatchHints(std::array<std::string, kPlayerSlotCount> serveLines, std::shared_ptr<TextureFactory> textures);
  void draw2D() override;
  void update(uint32_t) override {}

  // After every step shown.
  void afterStep(const MatchSimulation& match);

  const std::string& serveLine() const { return shownServeLine; }
  const std::string& faultReason() const { return reason; }

 private:
  std::array<std::string, kPlayerSlotCount> lines;
  std::array<int32_t, kPlayerSlotCount> serves{};
  std::array<bool, kPlayerSlotCount> wasServing{};
  std::shared_ptr<Font> font;
  std::string shownServeLine;
  std::string reason;
  int32_t reasonMs = 0;
};
