#include "app/Settings.h"

#include <charconv>
#include <cstdio>
#include <fstream>

#include "engine/Log.h"

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

  bool readWord(std::string& word) {
    if (failure || !skipBlanks()) return fail();
    word.clear();
    for (int c = in.peek(); c != EOF && !isBlank(c); c = in.peek()) {
      in.get();
      if (word.size() < Settings::kMaxWordLength) word.push_back(static_cast<char>(c));
    }
    return true;
  }

  bool readInteger(int32_t& value) {
    if (failure || !skipBlanks()) return fail();
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
  bool failure = false;
};

constexpr const char* kKeySetNames[kKeySetCount] = {"P1_KEYS", "P2_KEYS", "P3_KEYS", "P4_KEYS"};

// PAD_KEYS numbers the key sets from 1, as their names do; the four must all
// be there, once each, or pads would be left without one.
void readPadOrder(const std::array<int32_t, kKeySetCount>& numbers, const std::string& fileName, int line) {
  std::array<int32_t, kKeySetCount> order{};
  std::array<bool, kKeySetCount> seen{};
  for (int i = 0; i < kKeySetCount; ++i) {
    const int32_t set = numbers[i] - 1;
    if (set < 0 || set >= kKeySetCount || seen[set]) {
      printMessage("%s:%d: PAD_KEYS necesita los numeros 1 2 3 4, cada uno una vez; se usa 1 2 3 4\n",
                   fileName.c_str(), line);
      settings.padKeySets = SettingsValues{}.padKeySets;
      return;
    }
    seen[set] = true;
    order[i] = set;
  }
  settings.padKeySets = order;
}

}  // namespace

SettingsValues Settings::defaults() {
  SettingsValues values;
  values.language = "ES";
  values.resolution = {1024, 768, 32, 60};
  values.windowed = false;
  values.keySets = {{
      {359, 357, 356, 358, 109, 110},  // arrows, m hits, n dives
      {100, 101, 115, 102, 97, 113},   // d e s f, a, q
      {106, 117, 104, 107, 103, 116},  // j u h k, g, t
      {53, 56, 52, 54, 49, 50},        // the keypad's 5 8 4 6 cross, 1, 2
  }};
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
  TokenReader reader(in);
  std::string keyWord;
  // A failed integer leaves its own field and the rest of its key untouched.
  auto readIntegers = [&](std::initializer_list<int32_t*> fields) {
    for (int32_t* field : fields) {
      if (!reader.readInteger(*field)) {
        printMessage("%s:%d: se esperaba un numero entero tras %s; el resto del archivo no se lee\n",
                     fileName.c_str(), reader.line(), keyWord.c_str());
        return false;
      }
    }
    return true;
  };

  while (reader.readWord(keyWord)) {
    if (keyWord == "LANG") {
      std::string language;
      if (reader.readWord(language)) settings.language = language;
    } else if (keyWord == "RESOLUTION") {
      Resolution& r = settings.resolution;
      readIntegers({&r.width, &r.height, &r.bitsPerPixel, &r.refreshRate});
    } else if (keyWord == "WINDOWED") {
      int32_t windowed = 0;
      if (readIntegers({&windowed})) settings.windowed = windowed == 1;
    } else if (keyWord == "PAD_KEYS") {
      std::array<int32_t, kKeySetCount> order{};
      if (readIntegers({&order[0], &order[1], &order[2], &order[3]})) readPadOrder(order, fileName, reader.line());
    } else if (keyWord == "PAD_SWAP_HIT_DIVE") {
      int32_t swap = 0;
      if (readIntegers({&swap})) settings.padSwapHitAndDive = swap == 1;
    } else {
      for (int set = 0; set < kKeySetCount; ++set) {
        if (keyWord != kKeySetNames[set]) continue;
        KeySet& keys = settings.keySets[set];
        readIntegers({&keys[0], &keys[1], &keys[2], &keys[3], &keys[4], &keys[5]});
      }
    }
  }
}

void Settings::save(const std::filesystem::path& path) {
  std::error_code error;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
  const std::string name = path.string();
  std::FILE* file = std::fopen(name.c_str(), "w");
  if (!file) {
    printMessage("No se pudo escribir %s; el juego sigue con los valores por defecto\n", name.c_str());
    return;
  }
  const Resolution& r = settings.resolution;
  std::fprintf(file, "LANG %s\n", settings.language.c_str());
  std::fprintf(file, "RESOLUTION %d %d %d %d\n", r.width, r.height, r.bitsPerPixel, r.refreshRate);
  std::fprintf(file, "WINDOWED %d\n", settings.windowed ? 1 : 0);
  for (int set = 0; set < kKeySetCount; ++set) {
    const KeySet& k = settings.keySets[set];
    std::fprintf(file, "%s %d %d %d %d %d %d\n", kKeySetNames[set], k[0], k[1], k[2], k[3], k[4], k[5]);
  }
  if (std::fclose(file) != 0) {
    printMessage("No se pudo escribir %s; el juego sigue con los valores por defecto\n", name.c_str());
  }
}
