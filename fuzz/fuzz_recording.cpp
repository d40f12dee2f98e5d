// Feeds arbitrary bytes to the match recording reader. What it accepts must
// write back to the same recording and stay within a match's length.
#include <cstdio>
#include <string>

#include "app/match/MatchRecording.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader's messages would slow every run down.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<MatchRecording> recording = decodeRecording(bytes, "fuzz.zrec");
  if (!recording) return 0;
  if (recording->stepCount() > kMaxRecordedSteps) __builtin_trap();
  if (decodeRecording(encodeRecording(*recording), "fuzz.zrec") != recording) __builtin_trap();
  return 0;
}
