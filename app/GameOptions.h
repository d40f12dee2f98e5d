#pragma once
// The game's command line. Its own options are read before anything starts,
// so that --help and --version work without a display; the X options that
// GLUT takes itself (-display NAME, -geometry WxH+X+Y, -iconic, -direct,
// -indirect, -gldebug, -sync) are let through for glutInit.

#include <optional>
#include <string>

struct GameOptions {
  bool help = false;
  bool version = false;
  bool windowed = false;  // a window for this run, whatever config.ini says
  bool stats = false;     // frame statistics printed at the end
  std::string replay;     // a recording to play first
  std::string padScript;  // virtual pads to follow (PadScript.h)
  // Network play: host on "[ADDRESS:]PORT" (the port alone listens on every
  // address), or join "ADDRESS[:PORT]". Empty: no network at all.
  std::string host;
  std::string join;
  bool hosting = false;
};

// The options, or nothing after one line naming the option at fault (the
// caller then ends with status 2).
std::optional<GameOptions> parseGameOptions(int argc, const char* const* argv);

// What --help prints.
extern const char* const kGameUsage;
