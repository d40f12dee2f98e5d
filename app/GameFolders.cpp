#include "app/GameFolders.h"

#include <cstdlib>
#include <vector>

#include "app/Settings.h"
#include "engine/Log.h"

namespace {

bool holdsData(const std::filesystem::path& folder) {
  std::error_code error;
  return !folder.empty() && std::filesystem::is_directory(folder / kDataMarker, error);
}

}  // namespace

std::filesystem::path executablePath() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self;
}

std::optional<GameFolders> findGameFolders(const std::filesystem::path& executable,
                                           const std::filesystem::path& workingFolder) {
  const std::filesystem::path beside = executable.parent_path();
  const std::filesystem::path installed = (beside / kInstalledDataFolder).lexically_normal();
  if (holdsData(beside)) return GameFolders{beside, Settings::kFileName, false};
  if (holdsData(installed)) {
    const std::filesystem::path config = xdgFolder("XDG_CONFIG_HOME", ".config");
    return GameFolders{installed, config.empty() ? std::filesystem::path() : config / Settings::kFileName, true};
  }
  if (holdsData(workingFolder)) return GameFolders{workingFolder, Settings::kFileName, false};
  std::string places;
  for (const std::filesystem::path& place : {beside, installed, workingFolder}) {
    if (place.empty()) continue;
    places += (places.empty() ? "" : ", ") + place.string();
  }
  printMessage("No se encuentran los datos del juego (la carpeta %s): se busco en %s\n", kDataMarker, places.c_str());
  return std::nullopt;
}

std::filesystem::path xdgFolder(const char* variable, const std::string& underHome) {
  const char* base = std::getenv(variable);
  if (base && *base == '/') return std::filesystem::path(base) / "zumbolo";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::filesystem::path(home) / underHome / "zumbolo";
  return {};
}

std::filesystem::path replayFolder() {
  const std::filesystem::path data = xdgFolder("XDG_DATA_HOME", ".local/share");
  return data.empty() ? data : data / "replays";
}

std::filesystem::path cupProgressFile() {
  const std::filesystem::path data = xdgFolder("XDG_DATA_HOME", ".local/share");
  return data.empty() ? data : data / "cups.txt";
}
