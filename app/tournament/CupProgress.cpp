#include "app/tournament/CupProgress.h"

#include <fstream>
#include <vector>

#include "engine/Log.h"

namespace {

constexpr std::string_view kHeader = "ZUMBOLO CUPS 1";
constexpr std::array<std::string_view, 2> kModeWords = {"singles", "doubles"};

bool validCharacter(int32_t character) { return character >= 1 && character <= kCharacterCount; }
bool validCup(int32_t cup) { return cup >= 0 && cup < kCupCount; }

int32_t modeOf(std::string_view word) {
  for (int32_t mode = 0; mode < 2; ++mode) {
    if (word == kModeWords[mode]) return mode;
  }
  return -1;
}

int32_t characterOf(std::string_view word) {
  for (int32_t index = 1; index <= kCharacterCount; ++index) {
    if (word == kCharacters[index - 1].folder) return index;
  }
  return -1;
}

std::vector<std::string_view> wordsOf(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < line.size()) {
    const size_t start = line.find_first_not_of(" \t", at);
    if (start == std::string_view::npos) break;
    const size_t end = std::min(line.find_first_of(" \t", start), line.size());
    words.push_back(line.substr(start, end - start));
    at = end;
  }
  return words;
}

// One line after the header; empty when it reads, else why not.
std::string readLine(std::string_view line, CupProgress& progress, std::array<std::array<bool, kCharacterCount>, 2>& seen) {
  const std::vector<std::string_view> words = wordsOf(line);
  if (words.empty()) return {};
  const int32_t mode = modeOf(words[0]);
  if (mode < 0) return "se esperaba singles o doubles";
  if (words.size() < 2) return "falta el personaje";
  const int32_t character = characterOf(words[1]);
  if (character < 0) return "personaje desconocido";
  if (seen[mode][character - 1]) return "personaje repetido";
  seen[mode][character - 1] = true;
  for (size_t i = 2; i < words.size(); ++i) {
    const int32_t cup = findCup(words[i]);
    if (cup < 0) return "copa desconocida";
    if (progress.won(mode == 1, character, cup)) return "copa repetida";
    progress.markWon(mode == 1, character, cup);
  }
  return {};
}

void sayDamaged(const std::string& name, int32_t line, const std::string& why) {
  printMessage("El progreso de los torneos %s esta danado en la linea %d (%s): se empieza de cero\n", name.c_str(),
               line, why.c_str());
}

}  // namespace

bool CupProgress::won(bool doubles, int32_t character, int32_t cup) const {
  if (!validCharacter(character) || !validCup(cup)) return false;
  return (cupsWon[doubles ? 1 : 0][character - 1] >> cup & 1u) != 0;
}

void CupProgress::markWon(bool doubles, int32_t character, int32_t cup) {
  if (!validCharacter(character) || !validCup(cup)) return;
  cupsWon[doubles ? 1 : 0][character - 1] |= static_cast<uint8_t>(1u << cup);
}

bool CupProgress::open(bool doubles, int32_t cup) const {
  if (!validCup(cup)) return false;
  if (cup == 0) return true;
  for (int32_t character = 1; character <= kCharacterCount; ++character) {
    if (won(doubles, character, cup - 1)) return true;
  }
  return false;
}

std::string encodeProgress(const CupProgress& progress) {
  std::string text(kHeader);
  text += '\n';
  for (int32_t mode = 0; mode < 2; ++mode) {
    for (int32_t character = 1; character <= kCharacterCount; ++character) {
      std::string cups;
      for (int32_t cup = 0; cup < kCupCount; ++cup) {
        if (progress.won(mode == 1, character, cup)) cups += std::string(" ") + kCups[cup].key;
      }
      if (cups.empty()) continue;
      text += std::string(kModeWords[mode]) + " " + kCharacters[character - 1].folder + cups + "\n";
    }
  }
  return text;
}

std::optional<CupProgress> decodeProgress(std::string_view text, const std::string& name) {
  if (text.size() > kMaxProgressBytes) {
    sayDamaged(name, 1, "el archivo es demasiado grande");
    return std::nullopt;
  }
  CupProgress progress;
  std::array<std::array<bool, kCharacterCount>, 2> seen{};
  int32_t number = 0;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++number;
    // Saved with Windows line ends, the file reads the same.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string why = number == 1 ? (line == kHeader ? "" : "se esperaba " + std::string(kHeader))
                                        : readLine(line, progress, seen);
    if (!why.empty()) {
      sayDamaged(name, number, why);
      return std::nullopt;
    }
  }
  if (number == 0) {
    sayDamaged(name, 1, "el archivo esta vacio");
    return std::nullopt;
  }
  return progress;
}

CupProgress loadProgress(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    printMessage("No hay progreso de los torneos en %s: se empieza de cero\n", file.string().c_str());
    return {};
  }
  // One byte more than a progress can take tells a file too large.
  std::string bytes(kMaxProgressBytes + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return decodeProgress(bytes, file.string()).value_or(CupProgress{});
}

bool saveProgress(const CupProgress& progress, const std::filesystem::path& file) {
  std::error_code error;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  const std::filesystem::path temporary = file.string() + ".new";
  const std::string text = encodeProgress(progress);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      printMessage("No se puede guardar el progreso de los torneos en %s\n", temporary.string().c_str());
      std::filesystem::remove(temporary, error);
      return false;
    }
  }
  std::filesystem::rename(temporary, file, error);
  if (error) {
    printMessage("No se puede guardar el progreso de los torneos en %s\n", file.string().c_str());
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}
