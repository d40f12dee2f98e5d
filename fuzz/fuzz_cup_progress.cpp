// Feeds arbitrary bytes to the tournament's progress reader. What it accepts
// must write back to the same progress, and nothing larger than a progress
// can be is accepted.
#include <cstdio>
#include <string>

#include "app/tournament/CupProgress.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader's messages would slow every run down.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<CupProgress> progress = decodeProgress(text, "cups.txt");
  if (!progress) return 0;
  if (size > kMaxProgressBytes) __builtin_trap();
  if (decodeProgress(encodeProgress(*progress), "cups.txt") != progress) __builtin_trap();
  return 0;
}
