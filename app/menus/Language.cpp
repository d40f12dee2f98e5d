#include "app/menus/Language.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "app/menus/TextLines.h"
#include "engine/Log.h"

namespace {

std::vector<std::string> languageTable;
const std::string kNoText;

// Reads one line into `line`, at most kMaxLanguageLineLength characters.
// Returns false at end of file or when the line does not fit.
bool readLine(std::istream& in, std::string& line, bool& tooLong) {
  line.clear();
  tooLong = false;
  int c = in.get();
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    if (line.size() > kMaxLanguageLineLength) {  // one more than fits, to tell a "\r\n" ending apart
      tooLong = true;
      return false;
    }
    line.push_back(static_cast<char>(c));
    c = in.get();
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > kMaxLanguageLineLength) {
    tooLong = true;
    return false;
  }
  return true;
}

}  // namespace

void loadLanguage(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    printMessage("No se pudo abrir el archivo de idioma %s; los textos quedan vacios\n", path.c_str());
    languageTable.clear();
    return;
  }
  readLanguage(in, path);
}

void readLanguage(std::istream& in, const std::string& fileName) {
  std::vector<std::string> lines;
  std::string line;
  bool tooLong = false;
  while (readLine(in, line, tooLong)) {
    if (lines.size() == kMaxLanguageLines) {
      printMessage("%s:%zu: demasiadas lineas; el resto del archivo no se lee\n", fileName.c_str(), lines.size() + 1);
      break;
    }
    lines.push_back(line);
  }
  if (tooLong) {
    printMessage("%s:%zu: linea de mas de %zu caracteres; el resto del archivo no se lee\n", fileName.c_str(),
                 lines.size() + 1, kMaxLanguageLineLength);
  }
  languageTable = std::move(lines);
}

std::string languageFilePath(const std::string& code) {
  return std::string(kLanguageFolder) + "/" + code + kLanguageFileEnding;
}

std::string readOwnLanguageName(std::istream& in) {
  std::string line;
  bool tooLong = false;
  for (int32_t index = 0; readLine(in, line, tooLong); ++index) {
    if (index == kTextOwnLanguageName) return line;
  }
  return "";
}

std::vector<LanguageChoice> availableLanguages(const std::filesystem::path& folder) {
  std::vector<LanguageChoice> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::filesystem::path& path = entry.path();
    if (path.extension() != kLanguageFileEnding || !entry.is_regular_file(error)) continue;
    std::ifstream in(path, std::ios::binary);
    const std::string code = path.stem().string();
    const std::string name = readOwnLanguageName(in);
    found.push_back({code, name.empty() ? code : name});
  }
  std::sort(found.begin(), found.end(), [](const LanguageChoice& a, const LanguageChoice& b) { return a.code < b.code; });
  return found;
}

const std::string& text(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= languageTable.size()) return kNoText;
  return languageTable[static_cast<size_t>(index)];
}

size_t languageTextCount() { return languageTable.size(); }

MatchTexts matchTexts() {
  return MatchTexts{text(kTextFault), text(kTextOut),         text(kTextGame),         text(kTextTieBreak),
                    text(kTextSet),   text(kTextWinsSingles), text(kTextWinDoubles), text(kTextAnd)};
}
