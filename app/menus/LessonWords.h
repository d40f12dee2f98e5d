#pragma once
// The words of training and of the hints, in the player's language: the
// lessons' names and their two lines of instruction with the player's own
// controls filled in (the keys of the key set as the controls screen names
// them, or a pad's buttons), the word a try gets (good, or why it missed),
// and the names of a key set's controls or a pad's. The language file holds
// the sentences with %s where a control's name goes; this fills them in.

#include <array>
#include <string>
#include <vector>

#include "app/match/Lessons.h"
#include "app/match/ShotVerdict.h"
#include "tennis/PlayerCommand.h"

// The player's controls as the screen names them: each of the six
// (PlayerKey order) and the four directions together.
struct ControlNames {
  std::array<std::string, kPlayerKeyCount> of;
  std::string directions;
};

// A key set's keys ("M", "FLECHA ARRIBA"); the four arrows together are
// "LAS FLECHAS", other directions their four names.
ControlNames keyboardControls(const KeySet& keys);
// A pad's: the directions by their words, A and B for hit and dive (or
// the other way round), the d-pad or stick for all four.
ControlNames padControls(bool swapHitAndDive);

// The pattern with each "%s" replaced by the next value, in order; a
// pattern with more than the values given keeps the rest as they are.
std::string fillIn(const std::string& pattern, const std::vector<std::string>& values);

std::string lessonName(LessonId lesson);
// "3. DIRECCIÓN": the lesson's number in the order taught and its name.
std::string numberedLessonName(LessonId lesson);
// The instruction of a lesson for a player on the near half, naming
// `controls`.
std::array<std::string, 2> lessonInstruction(LessonId lesson, const ControlNames& controls);
// The word a try gets; empty for None.
std::string verdictWord(ShotVerdict verdict);
