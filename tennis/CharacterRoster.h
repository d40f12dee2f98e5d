#pragma once
// The characters, written once. The menus show a character's shown name,
// the match set-up turns a choice on the player set-up screen into its
// identifier, the game reads its files from "models/<folder>/" (ModelFiles.h
// says which files) and the content program writes that folder from the
// recipe keyed by the same folder name. Adding a character is one row of
// kCharacters and one recipe in the content program.

#include <array>
#include <cstdint>
#include <string_view>

struct CharacterEntry {
  int32_t identifier;     // the game's character identifier (Character)
  const char* shownName;  // in the menus
  const char* folder;     // under "models/"; also the content recipe's key
};

// In the order of the player set-up screen: set-up index i (1, 2, ...) is
// kCharacters[i - 1]; set-up index 0, before any choice, plays as the first.
inline constexpr std::array<CharacterEntry, 4> kCharacters = {{
    {0, "VAZUVODOD", "Vazuvodod"},
    {2, "ROVERIRU", "Roveriru"},
    {1, "REVIRADE", "Revirade"},
    {6, "DOREDU", "Doredu"},
}};

// Identifiers the game still answers for although no set-up choice leads to
// them and the game ships no folder for them.
inline constexpr std::array<CharacterEntry, 5> kUnlistedCharacters = {{
    {5, "", "~Rida"},
    {7, "", "~Vazuvodod"},
    {8, "", "~Revirade"},
    {9, "", "~Roveriru"},
    {10, "", "~Doredu"},
}};

// The folder of a character identifier; empty for an identifier without one.
constexpr std::string_view characterFolder(int32_t identifier) {
  for (const CharacterEntry& entry : kCharacters)
    if (entry.identifier == identifier) return entry.folder;
  for (const CharacterEntry& entry : kUnlistedCharacters)
    if (entry.identifier == identifier) return entry.folder;
  return {};
}
