#pragma once
// The cups a player has won, by mode (singles, doubles) and by character,
// and which cups are open: the first always, each further one once the
// cup before it has been won in that mode, with any character. Kept in the
// user's data folder as a short text file, written whole (a temporary file
// beside it, then renamed over it):
//
//   ZUMBOLO CUPS 1
//   singles Vazuvodod bronce plata
//   doubles Doredu bronce
//
// The first line names the file and its version; each further line is a
// mode, a character's folder name (CharacterRoster) and the cups that
// character has won in that mode, by their keys (Cups.h), in any order. A
// blank line is nothing. A file that says anything else, names a mode and
// character twice or a cup twice, or is larger than any progress could be,
// is damaged: one line says where, and the progress starts afresh, as it
// does without a file.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/match/MatchSetup.h"
#include "app/tournament/Cups.h"

// More bytes than every mode and character with every cup could take.
constexpr size_t kMaxProgressBytes = 4096;

class CupProgress {
 public:
  // `character` is a set-up index, 1..kCharacterCount; others have won nothing.
  bool won(bool doubles, int32_t character, int32_t cup) const;
  void markWon(bool doubles, int32_t character, int32_t cup);
  bool open(bool doubles, int32_t cup) const;
  bool operator==(const CupProgress&) const = default;

 private:
  // A bit a cup, by mode and character.
  std::array<std::array<uint8_t, kCharacterCount>, 2> cupsWon{};
};

std::string encodeProgress(const CupProgress& progress);
// The progress in `text`; damaged, one line naming `name` and the line at
// fault, and nothing.
std::optional<CupProgress> decodeProgress(std::string_view text, const std::string& name);
// The progress kept in `file`; a missing or damaged file says so in one line
// and gives no cups won.
CupProgress loadProgress(const std::filesystem::path& file);
// Writes the whole file (its folder made if missing); false after a line
// that says why.
bool saveProgress(const CupProgress& progress, const std::filesystem::path& file);
