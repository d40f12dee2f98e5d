#include "app/menus/LessonWords.h"

#include "app/input/Keyboard.h"
#include "app/menus/KeyNames.h"
#include "app/menus/Language.h"
#include "app/menus/TextLines.h"

namespace {

constexpr const char* kFilledMark = "%s";

// A pad's buttons, as the pads' screen names them.
constexpr const char* kSouthButton = "A";
constexpr const char* kEastButton = "B";

}  // namespace

ControlNames keyboardControls(const KeySet& keys) {
  ControlNames names;
  for (int key = 0; key < kPlayerKeyCount; ++key) names.of[key] = keyName(keys[key]);
  const bool arrows = keys[KeyDown] == kKeyDown && keys[KeyUp] == kKeyUp && keys[KeyLeft] == kKeyLeft &&
                      keys[KeyRight] == kKeyRight;
  names.directions = arrows ? text(kTextArrowKeys)
                            : names.of[KeyUp] + " " + names.of[KeyDown] + " " + names.of[KeyLeft] + " " +
                                  names.of[KeyRight];
  return names;
}

ControlNames padControls(bool swapHitAndDive) {
  ControlNames names;
  for (int key = KeyDown; key <= KeyRight; ++key) names.of[key] = text(kTextFirstRole + key);
  names.of[KeyHit] = swapHitAndDive ? kEastButton : kSouthButton;
  names.of[KeyDive] = swapHitAndDive ? kSouthButton : kEastButton;
  names.directions = text(kTextPadDirections);
  return names;
}

std::string fillIn(const std::string& pattern, const std::vector<std::string>& values) {
  std::string filled;
  size_t from = 0;
  for (const std::string& value : values) {
    const size_t at = pattern.find(kFilledMark, from);
    if (at == std::string::npos) break;
    filled += pattern.substr(from, at - from) + value;
    from = at + std::char_traits<char>::length(kFilledMark);
  }
  return filled + pattern.substr(from);
}

std::string lessonName(LessonId lesson) { return text(kTextFirstLesson + lessonIndex(lesson)); }

std::string numberedLessonName(LessonId lesson) {
  return std::to_string(lessonIndex(lesson) + 1) + ". " + lessonName(lesson);
}

std::array<std::string, 2> lessonInstruction(LessonId lesson, const ControlNames& controls) {
  const auto& c = controls.of;
  // The near player's "up" goes towards the net: the low drive; "down" the lob.
  std::vector<std::string> first;
  std::vector<std::string> second;
  switch (lesson) {
    case LessonId::Serve:
      first = {c[KeyHit], c[KeyHit]};
      second = {c[KeyLeft], c[KeyRight]};
      break;
    case LessonId::Stroke:
      first = {controls.directions};
      second = {c[KeyHit]};
      break;
    case LessonId::Aim: first = {c[KeyLeft], c[KeyRight], c[KeyHit]}; break;
    case LessonId::Drive: first = {c[KeyUp], c[KeyHit]}; break;
    case LessonId::Lob: first = {c[KeyDown], c[KeyHit]}; break;
    case LessonId::Dive: first = {c[KeyLeft], c[KeyRight], c[KeyDive]}; break;
    case LessonId::Smash:
    case LessonId::Point: first = {c[KeyHit]}; break;
  }
  const int32_t line = kTextFirstInstruction + 2 * lessonIndex(lesson);
  return {fillIn(text(line), first), fillIn(text(line + 1), second)};
}

std::string verdictWord(ShotVerdict verdict) {
  switch (verdict) {
    case ShotVerdict::None: return {};
    case ShotVerdict::Good: return text(kTextGoodShot);
    case ShotVerdict::Net: return text(kTextIntoTheNet);
    case ShotVerdict::Long: return text(kTextLong);
    case ShotVerdict::Wide: return text(kTextWide);
    case ShotVerdict::TooEarly: return text(kTextTooEarly);
    case ShotVerdict::TooLate: return text(kTextTooLate);
    case ShotVerdict::NotTheStroke: return text(kTextNotThatStroke);
    case ShotVerdict::OffTarget: return text(kTextOffTarget);
  }
  return {};
}
