// Feeds arbitrary bytes to the config.ini reader.
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
  return 0;
}
