#pragma once
// Virtual gamepads played from a text file that grows while the game runs:
// how the end-to-end drive and demonstrations hold a pad without a pad. The
// pads are SDL's own virtual joysticks, so the game reads them through the
// same events as a pad in the hand.
//
// One order a line: "<pad> plug", "<pad> unplug" or "<pad> <control>
// <value>", pads numbered from 0 to kScriptPadCount - 1, controls named as
// SDL names them ("a", "b", "start", "dpup", "leftx", ...), a button's value
// 0 or 1, an axis's -32768 to 32767. A line that cannot be followed is named
// with its line number and skipped; an unfinished last line waits for the
// rest of it.

#include <SDL_joystick.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

constexpr int32_t kScriptPadCount = 4;
// A longer line is no order: it is skipped whole.
constexpr size_t kMaxScriptLineLength = 80;

class PadScript {
 public:
  // Opens the file (it may still be empty); a file that cannot be opened is
  // said in one line and the script does nothing. Without a path the script
  // follows only what take() gives it.
  explicit PadScript(const std::string& path = "");
  ~PadScript();
  PadScript(const PadScript&) = delete;
  PadScript& operator=(const PadScript&) = delete;

  // Reads what the file gained since the previous call and follows it.
  void follow();
  // Follows text as if the file had gained it.
  void take(std::string_view text);
  // How often the game asked the pad to rumble since it was plugged in.
  int32_t rumbles(int32_t pad) const { return pad >= 0 && pad < kScriptPadCount ? rumbleCounts[pad] : 0; }

 private:
  void followLine(std::string_view line);
  void plug(int32_t pad);
  void unplug(int32_t pad);

  std::string name;
  bool joystickStarted = false;
  std::FILE* file = nullptr;
  std::string partial;
  bool skippingLongLine = false;
  int32_t lineNumber = 0;
  std::array<SDL_Joystick*, kScriptPadCount> joysticks{};
  std::array<int32_t, kScriptPadCount> rumbleCounts{};
};
