#include "app/Settings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/input/DefaultKeys.h"
#include "engine/Log.h"
#include "engine/WholeFile.h"

SettingsValues settings;

namespace {

// Reads words and integers the way formatted stream extraction does (blanks
// skipped; an integer is an optional sign and decimal digits, ending at the
// first other character, which stays for the next read) and counts lines for
// the messages. Once a read fails the reader stays failed.
class TokenReader {
 public:
  explicit TokenReader(std::istream& stream) : in(stream) {}

  bool failed() const { return failure; }
  int line() const { return lineNumber; }
  // The line on which the last token read began.
  int tokenLine() const { return tokenStart; }

  bool readWord(std::string& word) {
    if (failure || !skipBlanks()) return fail();
    tokenStart = lineNumber;
    word.clear();
    for (int c = in.peek(); c != EOF && !isBlank(c); c = in.peek()) {
      in.get();
      if (word.size() < Settings::kMaxWordLength) word.push_back(static_cast<char>(c));
    }
    return true;
  }

  bool readInteger(int32_t& value) {
    if (failure || !skipBlanks()) return fail();
    tokenStart = lineNumber;
    std::string digits;
    if (in.peek() == '+' || in.peek() == '-') digits.push_back(static_cast<char>(in.get()));
    for (int c = in.peek(); c >= '0' && c <= '9'; c = in.peek()) {
      in.get();
      // Digits beyond any int32 are still consumed; the number then fails below.
      if (digits.size() < 16) digits.push_back(static_cast<char>(c));
    }
    const char* first = digits.data();
    if (!digits.empty() && digits.front() == '+') ++first;
    int32_t parsed = 0;
    const auto [end, error] = std::from_chars(first, digits.data() + digits.size(), parsed);
    if (error != std::errc() || end != digits.data() + digits.size()) return fail();
    value = parsed;
    return true;
  }

 private:
  static bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

  bool skipBlanks() {
    for (int c = in.peek(); c != EOF && isBlank(c); c = in.peek()) {
      if (in.get() == '\n') ++lineNumber;
    }
    return in.peek() != EOF;
  }

  bool fail() {
    failure = true;
    return false;
  }

  std::istream& in;
  int lineNumber = 1;
  int tokenStart = 1;
  bool failure = false;
};

constexpr const char* kKeySetNames[kKeySetCount] = {"P1_KEYS", "P2_KEYS", "P3_KEYS", "P4_KEYS"};
constexpr const char* kLanguageKey = "LANG";
constexpr const char* kResolutionKey = "RESOLUTION";
constexpr const char* kWindowedKey = "WINDOWED";
constexpr const char* kPadKeySetsKey = "PAD_KEYS";
constexpr const char* kPadSwapKey = "PAD_SWAP_HIT_DIVE";
constexpr const char* kHintsKey = "HINTS";
constexpr const char* kMusicVolumeKey = "MUSIC_VOLUME";
constexpr const char* kEffectsVolumeKey = "EFFECTS_VOLUME";

bool isKeyWord(const std::string& word) {
  for (const char* key : {kLanguageKey, kResolutionKey, kWindowedKey, kPadKeySetsKey, kPadSwapKey, kHintsKey,
                          kMusicVolumeKey, kEffectsVolumeKey}) {
    if (word == key) return true;
  }
  for (const char* key : kKeySetNames) {
    if (word == key) return true;
  }
  return false;
}

// One pass over a settings file. It reads into `into`, says what is wrong
// when `report` is set, and notes every line that held a token of a setting
// (a key word or one of its values).
class SettingsParser {
 public:
  SettingsParser(std::istream& in, const std::string& fileName, SettingsValues& into, bool report)
      : reader(in), fileName(fileName), values(into), report(report) {}

  void run() {
    while (reader.readWord(keyWord)) {
      if (!isKeyWord(keyWord)) continue;  // a stray word or value: skipped on its own
      markLine();
      readSetting();
    }
  }

  const std::vector<int>& settingLines() const { return lines; }

 private:
  void readSetting() {
    if (keyWord == kLanguageKey) {
      std::string language;
      if (reader.readWord(language)) {
        markLine();
        values.language = language;
      }
    } else if (keyWord == kResolutionKey) {
      Resolution& r = values.resolution;
      readIntegers({&r.width, &r.height, &r.bitsPerPixel, &r.refreshRate});
    } else if (keyWord == kWindowedKey) {
      int32_t windowed = 0;
      if (readIntegers({&windowed})) values.windowed = windowed == 1;
    } else if (keyWord == kPadKeySetsKey) {
      std::array<int32_t, kKeySetCount> order{};
      if (readIntegers({&order[0], &order[1], &order[2], &order[3]})) readPadOrder(order);
    } else if (keyWord == kPadSwapKey) {
      int32_t swap = 0;
      if (readIntegers({&swap})) values.padSwapHitAndDive = swap == 1;
    } else if (keyWord == kHintsKey) {
      int32_t hints = 1;
      if (readIntegers({&hints})) values.hints = hints != 0;
    } else if (keyWord == kMusicVolumeKey || keyWord == kEffectsVolumeKey) {
      readVolume(keyWord == kMusicVolumeKey ? values.musicVolume : values.effectsVolume);
    } else {
      for (int set = 0; set < kKeySetCount; ++set) {
        if (keyWord != kKeySetNames[set]) continue;
        KeySet& keys = values.keySets[set];
        readIntegers({&keys[0], &keys[1], &keys[2], &keys[3], &keys[4], &keys[5]});
      }
    }
  }

  // A failed integer leaves its own field and the rest of its key untouched.
  bool readIntegers(std::initializer_list<int32_t*> fields) {
    for (int32_t* field : fields) {
      if (!reader.readInteger(*field)) {
        if (report) {
          printMessage("%s:%d: se esperaba un numero entero tras %s; el resto del archivo no se lee\n", fileName.c_str(),
                       reader.line(), keyWord.c_str());
        }
        return false;
      }
      markLine();
    }
    return true;
  }

  void readVolume(int32_t& volume) {
    int32_t level = 0;
    if (!readIntegers({&level})) return;
    if (level < 0 || level > kLoudestVolume) {
      if (report) {
        printMessage("%s:%d: %s va de 0 a %d; se deja en %d\n", fileName.c_str(), reader.line(), keyWord.c_str(),
                     kLoudestVolume, volume);
      }
      return;
    }
    volume = level;
  }

  // PAD_KEYS numbers the key sets from 1, as their names do; the four must
  // all be there, once each, or pads would be left without one.
  void readPadOrder(const std::array<int32_t, kKeySetCount>& numbers) {
    std::array<int32_t, kKeySetCount> order{};
    std::array<bool, kKeySetCount> seen{};
    for (int i = 0; i < kKeySetCount; ++i) {
      const int32_t set = numbers[i] - 1;
      if (set < 0 || set >= kKeySetCount || seen[set]) {
        if (report) {
          printMessage("%s:%d: PAD_KEYS necesita los numeros 1 2 3 4, cada uno una vez; se usa 1 2 3 4\n",
                       fileName.c_str(), reader.line());
        }
        values.padKeySets = SettingsValues{}.padKeySets;
        return;
      }
      seen[set] = true;
      order[i] = set;
    }
    values.padKeySets = order;
  }

  void markLine() {
    if (lines.empty() || lines.back() != reader.tokenLine()) lines.push_back(reader.tokenLine());
  }

  TokenReader reader;
  const std::string& fileName;
  SettingsValues& values;
  bool report;
  std::string keyWord;
  std::vector<int> lines;
};

// Whether a line holds a key word as one of its tokens.
bool namesASetting(const std::string& line) {
  std::istringstream words(line);
  std::string word;
  while (words >> word) {
    if (isKeyWord(word)) return true;
  }
  return false;
}

}  // namespace

SettingsValues Settings::defaults() {
  SettingsValues values;
  values.language = "ES";
  values.resolution = {1024, 768, 32, 60};
  values.windowed = false;
  values.keySets = kDefaultKeySets;
  return values;
}

void Settings::load(const std::filesystem::path& file) {
  if (file.empty()) {
    settings = defaults();
    printMessage("No hay carpeta para %s (ni XDG_CONFIG_HOME ni HOME): el juego sigue con los valores por defecto\n",
                 kFileName);
    return;
  }
  std::ifstream in(file);
  if (!in) {
    settings = defaults();
    save(file);
    return;
  }
  read(in, file.string());
}

void Settings::read(std::istream& in, const std::string& fileName) {
  SettingsParser(in, fileName, settings, true).run();
}

std::string Settings::linesKeptOnSave(std::istream& in) {
  std::ostringstream whole;
  whole << in.rdbuf();
  const std::string text = whole.str();
  std::istringstream again(text);
  SettingsValues scratch;
  SettingsParser parser(again, "", scratch, false);
  parser.run();
  const std::vector<int>& taken = parser.settingLines();
  // Lines after a value that stopped the reading were never read: one that
  // names a setting goes too, or its old value would win over the new one.
  std::string kept;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    const bool blank = line.find_first_not_of(" \t\r\v\f") == std::string::npos;
    if (blank || std::binary_search(taken.begin(), taken.end(), number) || namesASetting(line)) continue;
    kept += line + "\n";
  }
  return kept;
}

std::string Settings::formatted(const SettingsValues& values) {
  std::string out;
  const auto line = [&out](const std::string& key, std::initializer_list<int32_t> numbers) {
    out += key;
    for (const int32_t number : numbers) out += " " + std::to_string(number);
    out += "\n";
  };
  const Resolution& r = values.resolution;
  out += std::string(kLanguageKey) + " " + values.language + "\n";
  line(kResolutionKey, {r.width, r.height, r.bitsPerPixel, r.refreshRate});
  line(kWindowedKey, {values.windowed ? 1 : 0});
  for (int set = 0; set < kKeySetCount; ++set) {
    const KeySet& k = values.keySets[set];
    line(kKeySetNames[set], {k[0], k[1], k[2], k[3], k[4], k[5]});
  }
  const SettingsValues unset;
  if (values.musicVolume != unset.musicVolume) line(kMusicVolumeKey, {values.musicVolume});
  if (values.effectsVolume != unset.effectsVolume) line(kEffectsVolumeKey, {values.effectsVolume});
  if (values.padKeySets != unset.padKeySets) {
    const auto& o = values.padKeySets;
    line(kPadKeySetsKey, {o[0] + 1, o[1] + 1, o[2] + 1, o[3] + 1});
  }
  if (values.padSwapHitAndDive != unset.padSwapHitAndDive) line(kPadSwapKey, {1});
  if (values.hints != unset.hints) line(kHintsKey, {0});
  return out;
}

bool Settings::save(const std::filesystem::path& path) {
  std::error_code error;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
  std::string kept;
  if (std::ifstream old{path, std::ios::binary}) kept = linesKeptOnSave(old);
  if (writeWholeFile(path, formatted(settings) + kept)) return true;
  printMessage("No se pudo escribir %s; los ajustes valen solo hasta que se cierre el juego\n", path.string().c_str());
  return false;
}
