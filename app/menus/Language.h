#pragma once
// The game's words in the player's language: one text a line of the file
// "lang/" + LANG + ".data" (Windows-1252), looked up by line number from 0.
// Which index means what is the menus' and the match's business; this module
// only reads and hands out lines.

#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>
#include <vector>

#include "app/match/MatchTexts.h"
#include "app/menus/TextLines.h"

// A line longer than this many characters (without its line end) stops the
// reading: it and everything after it are left out.
constexpr size_t kMaxLanguageLineLength = 254;
// More lines than the game could ever use are a broken file; the rest is left out.
constexpr size_t kMaxLanguageLines = 4096;

// Where the language files are, and the line of each that names its own
// language in that language ("ESPAÑOL", "ENGLISH").
constexpr const char* kLanguageFolder = "lang";
constexpr const char* kLanguageFileEnding = ".data";

// A language the game can be played in: the code that names its file, and
// its own name.
struct LanguageChoice {
  std::string code;
  std::string ownName;
};

// "lang/" + code + ".data".
std::string languageFilePath(const std::string& code);
// Every "*.data" file of the folder, by code; a file too short to name its
// language is shown by its code.
std::vector<LanguageChoice> availableLanguages(const std::filesystem::path& folder = kLanguageFolder);
// The line kTextOwnLanguageName of a language file, read as loadLanguage
// reads lines; empty when the file stops before it.
std::string readOwnLanguageName(std::istream& in);

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
