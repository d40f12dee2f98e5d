#include "app/play/ReplayPlayer.h"

#include <utility>

#include "app/match/MatchState.h"

namespace {

// Overlay space (1024 x 768, y up): the title near the top, the keys along
// the foot, smaller.
constexpr float kTitleX = 512.0f;
constexpr float kTitleY = 715.0f;
constexpr float kKeysY = 70.0f;
constexpr float kKeysLineGap = 34.0f;
constexpr float kKeysScale = 0.55f;

}  // namespace

ReplayLabel::ReplayLabel(std::string title, std::vector<std::string> keys, std::shared_ptr<TextureFactory> textures)
    : font(std::make_shared<Font>(kMessageFontPath, kMessageSpacing, std::move(textures))),
      heading(std::move(title)),
      keyLines(std::move(keys)) {}

void ReplayLabel::draw2D() {
  font->beginDrawing();
  font->drawText(heading, kTitleX, kTitleY, 1.0f);
  float y = kKeysY + kKeysLineGap * static_cast<float>(keyLines.size() > 0 ? keyLines.size() - 1 : 0);
  for (const std::string& line : keyLines) {
    font->drawText(line, font->centringX(line, kTitleX, kKeysScale), y, kKeysScale);
    y -= kKeysLineGap;
  }
  Font::finishDrawing();
}

bool ReplayPlayer::nextInput(const MatchSimulation& match, StepInput& input) {
  if (cursor.step() != match.stepsTaken()) cursor.seek(match.stepsTaken());
  return cursor.next(input);
}

bool ReplayPlayer::jumpBack(MatchSimulation& match) {
  const std::vector<PlayedPoint>& points = starts.points();
  const int64_t now = match.stepsTaken();
  for (auto it = points.rbegin(); it != points.rend(); ++it) {
    if (now - it->startStep <= kReplayBackGraceSteps) continue;
    const int64_t step = it->startStep;
    if (!match.restore(it->start)) return false;
    starts.forgetAfter(step);
    cursor.seek(step);
    return true;
  }
  return false;
}

bool ReplayPlayer::jumpForward(MatchSimulation& match, const std::function<bool()>& playStep) {
  const size_t seen = starts.points().size();
  while (starts.points().size() == seen && !match.isFinished()) {
    if (!playStep()) return false;
  }
  // The new point is taken up from its start, as a jump back would.
  const PlayedPoint& reached = starts.points().back();
  if (starts.points().size() == seen || !match.restore(reached.start)) return true;
  const int64_t step = reached.startStep;
  starts.forgetAfter(step);
  cursor.seek(step);
  return true;
}
