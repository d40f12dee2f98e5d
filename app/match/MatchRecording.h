#pragma once
// A match as a recording: its set-up, the random generator's state when its
// first step began, and the input of every step. Since the simulation is a
// function of exactly these, playing the steps back gives the same match.
//
// The file (".zrec") is a few bytes a second of play, little-endian:
//
//   0   "ZREC"
//   4   format version (kRecordingVersion)
//   5   1 for doubles, 0 for singles
//   6   sets to play, then games per set (one byte each)
//   8   the four slots: character, controller (one byte each)
//   16  the random generator's state (4 bytes)
//   20  the score the match was left at (describeScore's line, Windows-1252):
//       its length in bytes (one byte), then its text; a replay that ends
//       elsewhere did not play the same match
//   then runs, to the end of the file: the run's length in steps (an unsigned
//       LEB128 number, at least 1), the match keys byte (MatchKey bits), then
//       for each slot a person plays (controller below kKeySetCount; in
//       singles slots 0 and 1 only), in slot order, the held controls
//       (PlayerKey bits), with bit 7 set when a byte of further presses
//       follows (PlayerKey bits, not 0).
//
// Every step of a run holds the same keys. A key held in a step that was up
// in the step before is a press and is not written; the byte of further
// presses carries only the others (a tap that came and went between two
// steps, a key let go and pressed again). A computer's slot stores nothing:
// its play follows from the rest.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/match/StepInput.h"
#include "app/match/MatchSetup.h"

constexpr uint8_t kRecordingVersion = 1;
constexpr const char* kRecordingExtension = ".zrec";
// The newest recordings kept in the replay folder.
constexpr size_t kKeptRecordings = 20;
// About nine hours of play: more steps than that is not a recording.
constexpr int64_t kMaxRecordedSteps = 2'000'000;
constexpr int32_t kSinglesSlotCount = 2;
constexpr size_t kMaxScoreBytes = 255;

// One input repeated for a number of steps.
struct InputRun {
  StepInput input;
  int64_t steps = 0;
  bool operator==(const InputRun&) const = default;
};

struct MatchRecording {
  bool doubles = false;
  int32_t setsToPlay = 1;
  int32_t gamesPerSet = 6;
  std::array<PlayerSlot, kPlayerSlotCount> slots{};
  uint32_t randomState = 0;
  // Empty until the match is over or left.
  std::string finalScore;
  std::vector<InputRun> runs;

  // Adds the input of the next steps.
  void append(const StepInput& input, int64_t steps = 1);
  int64_t stepCount() const;
  // A slot played by a person; a computer's slot, or one that singles
  // leaves empty, has no commands to keep.
  bool isPerson(int32_t slot) const {
    return (doubles || slot < kSinglesSlotCount) && slots[slot].controller >= 0 &&
           slots[slot].controller < kKeySetCount;
  }
  bool operator==(const MatchRecording&) const = default;
};

// Reads a recording's input step by step, from its first step or from any
// step on. The recording must outlive the cursor and not change under it.
class RecordingCursor {
 public:
  explicit RecordingCursor(const MatchRecording& recording) : recording(&recording) {}
  // The next input to read is that of `step` (from 0).
  void seek(int64_t step);
  // The input of the next step; false past the last.
  bool next(StepInput& input);
  // The step whose input next() reads.
  int64_t step() const { return at; }

 private:
  const MatchRecording* recording;
  size_t run = 0;
  int64_t stepsIntoRun = 0;
  int64_t at = 0;
};

std::string encodeRecording(const MatchRecording& recording);
// The recording in `bytes`; a file that is not one, from another version,
// truncated or out of range gives one line naming `name` and nothing.
std::optional<MatchRecording> decodeRecording(std::string_view bytes, const std::string& name);

std::optional<MatchRecording> loadRecording(const std::filesystem::path& file);
// Writes the recording into `folder` (made if missing) under a name from
// `stamp` (say "20261208-213000"), then removes all but the newest
// kKeptRecordings there. Returns the file written, or nothing after a line
// that says why.
std::optional<std::filesystem::path> saveRecording(const MatchRecording& recording,
                                                   const std::filesystem::path& folder, const std::string& stamp);

