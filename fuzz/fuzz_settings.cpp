// Feeds arbitrary bytes to the config.ini reader, and to the pass that picks
// the lines a save keeps: what it keeps must never set anything when read.
#include <cstdio>
#include <sstream>
#include <string>

#include "app/Settings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader's messages would slow every run down.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  settings = SettingsValues{};
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  Settings().read(in, "config.ini");
  if (settings.language.size() > Settings::kMaxWordLength) __builtin_trap();

  std::istringstream again(std::string(reinterpret_cast<const char*>(data), size));
  const std::string kept = Settings::linesKeptOnSave(again);
  if (kept.size() > size + 1) __builtin_trap();
  settings = SettingsValues{};
  std::istringstream keptLines(kept);
  Settings().read(keptLines, "config.ini");
  if (Settings::formatted(settings) != Settings::formatted(SettingsValues{})) __builtin_trap();
  return 0;
}
