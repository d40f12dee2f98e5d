#pragma once
// The game's words in the player's language: one text a line of the file
// "lang/" + LANG + ".data" (Windows-1252), looked up by line number from 0.
// Which index means what is the menus' and the match's business; this module
// only reads and hands out lines.

#include <cstdint>
#include <istream>
#include <string>

#include "app/match/MatchTexts.h"

// A line longer than this many characters (without its line end) stops the
// reading: it and everything after it are left out.
constexpr size_t kMaxLanguageLineLength = 254;
// More lines than the game could ever use are a broken file; the rest is left out.
constexpr size_t kMaxLanguageLines = 4096;

// Replaces the table with the lines of the file. A file that cannot be opened
// leaves the table empty (every text then reads empty and the menus still
// work). A "\r" before a line end is dropped, so files saved with Windows line
// ends read the same.
void loadLanguage(const std::string& path);
// The reading itself, from any stream; fileName only names it in messages.
void readLanguage(std::istream& in, const std::string& fileName);

// The text at `index`, or an empty string past the end of the table.
const std::string& text(int32_t index);
size_t languageTextCount();

// The match's words from the table.
MatchTexts matchTexts();
