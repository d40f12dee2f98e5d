#include "app/match/MatchRecording.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "engine/Log.h"

namespace {

constexpr std::string_view kMagic = "ZREC";
constexpr uint8_t kAllPlayerKeys = (1u << kPlayerKeyCount) - 1;
constexpr uint8_t kAllMatchKeys = kMatchKeyEnter | kMatchKeyEscape;
// Set on a person's held byte when a byte of presses follows it.
constexpr uint8_t kMorePressesFlag = 0x80;
constexpr int kMaxSets = 5;
constexpr int kMaxGamesPerSet = 6;
// Seven bits a byte: ten bytes hold any 64-bit length.
constexpr int kMaxLengthBytes = 10;

void putLength(std::string& out, uint64_t value) {
  while (value >= 0x80) {
    out += static_cast<char>((value & 0x7f) | 0x80);
    value >>= 7;
  }
  out += static_cast<char>(value);
}

// Reads the bytes in order and remembers the first fault and where it was.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes(bytes) {}

  bool atEnd() const { return at >= bytes.size(); }
  bool failed() const { return !fault.empty(); }
  const std::string& why() const { return fault; }
  size_t offset() const { return faultAt; }

  uint8_t byte() {
    if (failed()) return 0;
    if (atEnd()) {
      fail("el archivo se corta");
      return 0;
    }
    return static_cast<uint8_t>(bytes[at++]);
  }
  size_t position() const { return at; }
  // A value from `min` to `max`, else a fault.
  uint8_t byteIn(uint8_t min, uint8_t max) {
    const size_t start = at;
    const uint8_t value = byte();
    if (value < min || value > max) fail("valor fuera de rango", start);
    return value;
  }
  uint8_t byteUpTo(uint8_t max) { return byteIn(0, max); }
  uint64_t length() {
    const size_t start = at;
    uint64_t value = 0;
    for (int i = 0; i < kMaxLengthBytes && !failed(); ++i) {
      const uint8_t b = byte();
      value |= static_cast<uint64_t>(b & 0x7f) << (7 * i);
      if ((b & 0x80) == 0) return value;
    }
    fail("longitud no valida", start);
    return 0;
  }
  void fail(const std::string& why, size_t where = SIZE_MAX) {
    if (failed()) return;
    fault = why;
    faultAt = where == SIZE_MAX ? at : where;
  }

 private:
  std::string_view bytes;
  size_t at = 0;
  std::string fault;
  size_t faultAt = 0;
};

void readSetUp(ByteReader& in, MatchRecording& recording) {
  recording.doubles = in.byteUpTo(1) == 1;
  recording.setsToPlay = in.byteIn(1, kMaxSets);
  recording.gamesPerSet = in.byteIn(1, kMaxGamesPerSet);
  for (PlayerSlot& slot : recording.slots) {
    slot.character = in.byteUpTo(kCharacterCount);
    slot.controller = in.byteUpTo(kControllerCount - 1);
  }
  uint32_t state = 0;
  for (int i = 0; i < 4; ++i) state |= static_cast<uint32_t>(in.byte()) << (8 * i);
  recording.randomState = state;
  const uint8_t scoreBytes = in.byte();
  for (uint8_t i = 0; i < scoreBytes && !in.failed(); ++i) recording.finalScore += static_cast<char>(in.byte());
}

// A step as the file holds it: for each person the held controls, and in
// `pressed` only the presses that the held controls do not already tell
// (a key down now that was up a step before is a press).
StepInput packStep(const StepInput& input, const std::array<uint8_t, kPlayerSlotCount>& previousHeld) {
  StepInput packed = input;
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    PlayerCommand& command = packed.slots[slot];
    command.pressed ^= command.held & ~previousHeld[slot];
  }
  return packed;
}

StepInput unpackStep(const StepInput& packed, const std::array<uint8_t, kPlayerSlotCount>& previousHeld) {
  // The same exclusive or, undone.
  return packStep(packed, previousHeld);
}

std::array<uint8_t, kPlayerSlotCount> heldOf(const StepInput& input) {
  std::array<uint8_t, kPlayerSlotCount> held{};
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) held[slot] = input.slots[slot].held;
  return held;
}

void putRun(std::string& out, const MatchRecording& recording, const InputRun& packed) {
  putLength(out, static_cast<uint64_t>(packed.steps));
  out += static_cast<char>(packed.input.matchKeys);
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    if (!recording.isPerson(slot)) continue;
    const PlayerCommand& command = packed.input.slots[slot];
    out += static_cast<char>(command.held | (command.pressed ? kMorePressesFlag : 0));
    if (command.pressed) out += static_cast<char>(command.pressed);
  }
}

void readRuns(ByteReader& in, MatchRecording& recording) {
  int64_t total = 0;
  std::array<uint8_t, kPlayerSlotCount> previousHeld{};
  while (!in.atEnd() && !in.failed()) {
    const size_t start = in.position();
    const uint64_t steps = in.length();
    if (!in.failed() && (steps == 0 || steps > static_cast<uint64_t>(kMaxRecordedSteps - total))) {
      in.fail(steps == 0 ? "una racha sin pasos" : "demasiados pasos", start);
    }
    StepInput packed;
    packed.matchKeys = in.byteUpTo(kAllMatchKeys);
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
      if (!recording.isPerson(slot)) continue;
      const size_t at = in.position();
      const uint8_t held = in.byte();
      if ((held & ~(kAllPlayerKeys | kMorePressesFlag)) != 0) in.fail("valor fuera de rango", at);
      packed.slots[slot].held = held & kAllPlayerKeys;
      if (held & kMorePressesFlag) packed.slots[slot].pressed = in.byteIn(1, kAllPlayerKeys);
    }
    if (in.failed()) return;
    const StepInput first = unpackStep(packed, previousHeld);
    previousHeld = heldOf(first);
    recording.append(first);
    recording.append(unpackStep(packed, previousHeld), static_cast<int64_t>(steps) - 1);
    total += static_cast<int64_t>(steps);
  }
}

}  // namespace

void MatchRecording::append(const StepInput& input, int64_t steps) {
  if (steps <= 0) return;
  if (!runs.empty() && runs.back().input == input) {
    runs.back().steps += steps;
  } else {
    runs.push_back({input, steps});
  }
}

int64_t MatchRecording::stepCount() const {
  int64_t total = 0;
  for (const InputRun& run : runs) total += run.steps;
  return total;
}

void RecordingCursor::seek(int64_t step) {
  run = 0;
  stepsIntoRun = std::max<int64_t>(step, 0);
  at = stepsIntoRun;
  while (run < recording->runs.size() && stepsIntoRun >= recording->runs[run].steps) {
    stepsIntoRun -= recording->runs[run].steps;
    ++run;
  }
}

bool RecordingCursor::next(StepInput& input) {
  while (run < recording->runs.size() && stepsIntoRun >= recording->runs[run].steps) {
    ++run;
    stepsIntoRun = 0;
  }
  if (run >= recording->runs.size()) return false;
  input = recording->runs[run].input;
  ++stepsIntoRun;
  ++at;
  return true;
}

std::string encodeRecording(const MatchRecording& recording) {
  std::string out(kMagic);
  out += static_cast<char>(kRecordingVersion);
  out += static_cast<char>(recording.doubles ? 1 : 0);
  out += static_cast<char>(recording.setsToPlay);
  out += static_cast<char>(recording.gamesPerSet);
  for (const PlayerSlot& slot : recording.slots) {
    out += static_cast<char>(slot.character);
    out += static_cast<char>(slot.controller);
  }
  for (int i = 0; i < 4; ++i) out += static_cast<char>(recording.randomState >> (8 * i) & 0xff);
  const std::string score = recording.finalScore.substr(0, kMaxScoreBytes);
  out += static_cast<char>(score.size());
  out += score;
  // The first step of a run may press what the step before held up; the
  // others repeat its held keys. Packed runs that come out the same join.
  std::array<uint8_t, kPlayerSlotCount> previousHeld{};
  InputRun packed;
  for (const InputRun& run : recording.runs) {
    const InputRun parts[] = {{packStep(run.input, previousHeld), 1},
                              {packStep(run.input, heldOf(run.input)), run.steps - 1}};
    for (const InputRun& part : parts) {
      if (part.steps <= 0) continue;
      if (packed.steps > 0 && packed.input == part.input) {
        packed.steps += part.steps;
        continue;
      }
      if (packed.steps > 0) putRun(out, recording, packed);
      packed = part;
    }
    previousHeld = heldOf(run.input);
  }
  if (packed.steps > 0) putRun(out, recording, packed);
  return out;
}

std::optional<MatchRecording> decodeRecording(std::string_view bytes, const std::string& name) {
  if (bytes.substr(0, kMagic.size()) != kMagic) {
    printMessage("El archivo %s no es una grabacion de partido\n", name.c_str());
    return std::nullopt;
  }
  if (bytes.size() > kMagic.size() && static_cast<uint8_t>(bytes[kMagic.size()]) != kRecordingVersion) {
    printMessage("La grabacion %s es de la version %d; esta version del juego lee la %d\n", name.c_str(),
                 static_cast<uint8_t>(bytes[kMagic.size()]), kRecordingVersion);
    return std::nullopt;
  }
  ByteReader in(bytes.substr(std::min(bytes.size(), kMagic.size() + 1)));
  MatchRecording recording;
  readSetUp(in, recording);
  readRuns(in, recording);
  if (in.failed()) {
    printMessage("La grabacion %s esta danada en el byte %zu: %s\n", name.c_str(),
                 in.offset() + kMagic.size() + 1, in.why().c_str());
    return std::nullopt;
  }
  return recording;
}

std::optional<MatchRecording> loadRecording(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    printMessage("No se puede abrir la grabacion %s\n", file.string().c_str());
    return std::nullopt;
  }
  // A recording of the longest match is far smaller than this.
  constexpr std::streamsize kMaxFileBytes = 64 << 20;
  std::string bytes(static_cast<size_t>(kMaxFileBytes) + 1, '\0');
  in.read(bytes.data(), kMaxFileBytes + 1);
  bytes.resize(static_cast<size_t>(in.gcount()));
  if (bytes.size() > static_cast<size_t>(kMaxFileBytes)) {
    printMessage("La grabacion %s es demasiado grande\n", file.string().c_str());
    return std::nullopt;
  }
  return decodeRecording(bytes, file.string());
}

namespace {

void keepNewest(const std::filesystem::path& folder) {
  std::error_code error;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().extension() == kRecordingExtension) files.push_back(entry.path());
  }
  if (files.size() <= kKeptRecordings) return;
  // Names carry the time they were made: the oldest sort first.
  std::sort(files.begin(), files.end());
  for (size_t i = 0; i + kKeptRecordings < files.size(); ++i) std::filesystem::remove(files[i], error);
}

}  // namespace

std::optional<std::filesystem::path> saveRecording(const MatchRecording& recording,
                                                   const std::filesystem::path& folder, const std::string& stamp) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  std::filesystem::path file = folder / ("match-" + stamp + kRecordingExtension);
  for (int copy = 2; std::filesystem::exists(file, error) && copy < 100; ++copy) {
    file = folder / ("match-" + stamp + "-" + std::to_string(copy) + kRecordingExtension);
  }
  const std::string bytes = encodeRecording(recording);
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    printMessage("No se puede guardar la grabacion %s\n", file.string().c_str());
    std::filesystem::remove(file, error);
    return std::nullopt;
  }
  keepNewest(folder);
  return file;
}

