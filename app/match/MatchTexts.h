#pragma once
// The words a match shows (its calls, the captions of a game and a set, the
// winner's line), in the player's language. The match is handed them when it
// is built and reads no language table of its own; the menus' language file
// fills them in the game (matchTexts() in app/menus/Language.h).

#include <string>

struct MatchTexts {
  std::string fault;
  std::string out;
  std::string game;
  std::string tieBreak;
  std::string set;
  // After one winner's name ("wins"), and after two ("win").
  std::string winsSingles;
  std::string winDoubles;
  // Between two partners' names ("and").
  std::string joinNames;
};
