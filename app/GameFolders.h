#pragma once
// Where the game finds its data and where it keeps what it writes, in the
// two layouts it runs from:
//
// - the build's run folder: the executable beside its data (lang/, models/,
//   ...). The game works in that folder and keeps config.ini there, as it
//   always has; a data folder that is the working folder is taken the same
//   way.
// - an installed tree: bin/zumbolo with its data in ../share/zumbolo. The
//   game works in the data folder but never writes there: config.ini goes
//   to the user's XDG configuration folder.
//
// Match recordings and the tournament's progress go to the user's XDG data
// folder in both (MatchRecording.h, app/tournament/CupProgress.h).

#include <filesystem>
#include <optional>
#include <string>

struct GameFolders {
  std::filesystem::path data;
  // config.ini: relative to the data folder in a run folder, else absolute.
  std::filesystem::path settingsFile;
  bool installed = false;
};

// A folder is the game's data when it holds this folder.
constexpr const char* kDataMarker = "lang";
// The installed data, from the executable's folder.
constexpr const char* kInstalledDataFolder = "../share/zumbolo";

// The running program's own file, or empty when the system does not say.
std::filesystem::path executablePath();

// The layout around the executable (or the working folder); when no data
// is found, one line naming every place looked at, and nothing.
std::optional<GameFolders> findGameFolders(const std::filesystem::path& executable,
                                           const std::filesystem::path& workingFolder);

// $<variable>/zumbolo when the variable holds an absolute path, else
// $HOME/<underHome>/zumbolo, else empty (the XDG base directory rules).
std::filesystem::path xdgFolder(const char* variable, const std::string& underHome);

// $XDG_DATA_HOME/zumbolo/replays, else ~/.local/share/zumbolo/replays; empty
// when neither variable is set.
std::filesystem::path replayFolder();

// $XDG_DATA_HOME/zumbolo/cups.txt, else ~/.local/share/zumbolo/cups.txt; empty
// when neither variable is set.
std::filesystem::path cupProgressFile();
