// Feeds arbitrary bytes to the language file reader, and to the look at a
// file's own language name that the language screen makes: both read the
// lines alike.
#include <cstdio>
#include <sstream>
#include <string>

#include "app/menus/Language.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader's messages would slow every run down.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  readLanguage(in, "lang/XX.data");
  if (languageTextCount() > kMaxLanguageLines) __builtin_trap();
  for (size_t i = 0; i <= languageTextCount(); ++i) {
    if (text(static_cast<int32_t>(i)).size() > kMaxLanguageLineLength) __builtin_trap();
  }
  std::istringstream again(std::string(reinterpret_cast<const char*>(data), size));
  if (readOwnLanguageName(again) != text(kTextOwnLanguageName)) __builtin_trap();
  return 0;
}
