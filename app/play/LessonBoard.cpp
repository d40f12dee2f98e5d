#include "app/play/LessonBoard.h"

#include <utility>

#include "app/menus/Language.h"
#include "app/menus/TextLines.h"
#include "app/match/MatchState.h"

namespace {

// Overlay space (1024 x 768, y up).
constexpr float kCentreX = 512.0f;
constexpr float kHeadingY = 720.0f;
constexpr float kCountY = 680.0f;
constexpr float kCountScale = 0.6f;
constexpr float kWordY = 560.0f;
constexpr float kFootFirstY = 120.0f;
constexpr float kFootLineGap = 30.0f;
constexpr float kFootScale = 0.5f;

}  // namespace

LessonBoard::LessonBoard(std::weak_ptr<LessonMatch> played, std::vector<ControlNames> controls,
                         std::shared_ptr<TextureFactory> textures)
    : lesson(std::move(played)),
      font(std::make_shared<Font>(kMessageFontPath, kMessageSpacing, std::move(textures))) {
  const std::shared_ptr<LessonMatch> shown = lesson.lock();
  if (!shown) return;
  for (const ControlNames& names : controls) {
    for (const std::string& line : lessonInstruction(shown->lesson(), names)) {
      if (!line.empty()) instruction.push_back(line);
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
  font->beginDrawing();
  const std::string title = heading();
  font->drawText(title, font->centringX(title, kCentreX, 1.0f), kHeadingY, 1.0f);
  const std::string count = countLine();
  font->drawText(count, font->centringX(count, kCentreX, kCountScale), kCountY, kCountScale);
  const std::string word = wordLine();
  if (!word.empty()) font->drawText(word, font->centringX(word, kCentreX, 1.0f), kWordY, 1.0f);
  float y = kFootFirstY;
  for (const std::string& line : instruction) {
    font->drawText(line, font->centringX(line, kCentreX, kFootScale), y, kFootScale);
    y -= kFootLineGap;
  }
  Font::finishDrawing();
}
