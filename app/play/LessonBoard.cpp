#include "app/play/LessonBoard.h"

#include <algorithm>
#include <utility>

#include "app/menus/Language.h"
#include "app/menus/TextLines.h"
#include "app/match/MatchState.h"
#include "app/play/WordsPanel.h"

namespace {

// Overlay space (1024 x 768, y up).
constexpr float kCentreX = 512.0f;
// The heading and the count at the top, on a panel that ends above the far
// stand's banner and the ball machine.
constexpr float kHeadingY = 740.0f;
constexpr float kHeadingScale = 0.8f;
constexpr float kCountY = 706.0f;
constexpr float kCountScale = 0.65f;
constexpr float kWordY = 560.0f;
// The instruction along the foot, under the near baseline: its last line
// this high. A pad's lines added to the keys' are drawn smaller to fit.
constexpr float kFootLastY = 40.0f;
constexpr float kFootScale = 0.75f;
constexpr float kFootLineGap = 36.0f;
constexpr size_t kFootFullSizeLines = 2;
constexpr float kFootSmallScale = 0.55f;
constexpr float kFootSmallLineGap = 24.0f;
}  // namespace

LessonBoard::LessonBoard(std::weak_ptr<LessonMatch> played, std::vector<ControlNames> controls,
                         std::shared_ptr<TextureFactory> textures)
    : lesson(std::move(played)),
      font(std::make_shared<Font>(kMessageFontPath, kMessageSpacing, std::move(textures))) {
  const std::shared_ptr<LessonMatch> shown = lesson.lock();
  if (!shown) return;
  for (const ControlNames& names : controls) {
    for (const std::string& line : lessonInstruction(shown->lesson(), names)) {
      // A line naming no control reads the same for the pad: it is said once.
      if (!line.empty() && std::find(instruction.begin(), instruction.end(), line) == instruction.end()) {
        instruction.push_back(line);
      }
    }
  }
}

std::string LessonBoard::heading() const {
  const std::shared_ptr<LessonMatch> shown = lesson.lock();
  return shown ? numberedLessonName(shown->lesson()) : std::string();
}

std::string LessonBoard::countLine() const {
  const std::shared_ptr<LessonMatch> shown = lesson.lock();
  if (!shown) return {};
  const LessonScore& score = shown->score();
  std::string line = fillIn(text(kTextLessonCount), {std::to_string(score.successes),
                                                     std::to_string(lessonRules(shown->lesson()).goal),
                                                     std::to_string(score.tries)});
  const ShotRequest asked = shown->ask();
  if (asked.side != AskedSide::Any && !score.passed) {
    const int32_t side = asked.side == AskedSide::Left ? KeyLeft : KeyRight;
    line += "   " + fillIn(text(kTextNowAimAt), {text(kTextFirstRole + side)});
  }
  return line;
}

std::string LessonBoard::wordLine() const {
  const std::shared_ptr<LessonMatch> shown = lesson.lock();
  if (!shown) return {};
  if (shown->showingPassed() || shown->isFinished()) return text(kTextLessonPassed);
  if (!shown->showingVerdict()) return {};
  return verdictWord(shown->score().lastVerdict);
}

void LessonBoard::draw2D() {
  if (lesson.expired()) return;
  const std::string title = heading();
  const std::string count = countLine();
  const float topWidth = std::max(drawnWidth(*font, title, kHeadingScale), drawnWidth(*font, count, kCountScale));
  drawWordsPanel(kCentreX, textBottom(*font, kCountY, kCountScale) - kWordsPanelPadY,
                 textTop(*font, kHeadingY, kHeadingScale) + kWordsPanelPadY, topWidth + 2 * kWordsPanelPadX);
  const bool small = instruction.size() > kFootFullSizeLines;
  const float footScale = fittingScale(*font, instruction, small ? kFootSmallScale : kFootScale);
  const float gap = small ? kFootSmallLineGap : kFootLineGap;
  const float firstY = kFootLastY + gap * static_cast<float>(instruction.empty() ? 0 : instruction.size() - 1);
  drawWordsPanelBehind(*font, instruction, kCentreX, firstY, kFootLastY, footScale);
  font->beginDrawing();
  font->drawText(title, font->centringX(title, kCentreX, kHeadingScale), kHeadingY, kHeadingScale);
  font->drawText(count, font->centringX(count, kCentreX, kCountScale), kCountY, kCountScale);
  const std::string word = wordLine();
  if (!word.empty()) font->drawText(word, font->centringX(word, kCentreX, 1.0f), kWordY, 1.0f);
  float y = firstY;
  for (const std::string& line : instruction) {
    font->drawText(line, font->centringX(line, kCentreX, footScale), y, footScale);
    y -= gap;
  }
  Font::finishDrawing();
}
