// Feeds arbitrary bytes to the reader of the lessons passed: it never marks
// more lessons than there are, and what it keeps reads back the same.
#include <cstdio>
#include <sstream>
#include <string>

#include "app/menus/TrainingProgress.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader's messages would slow every run down.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  const TrainingProgress progress = TrainingProgress::read(in, "lessons.txt");
  if (progress.passedCount() > kLessonCount) __builtin_trap();
  std::istringstream again(progress.formatted());
  if (TrainingProgress::read(again, "lessons.txt").formatted() != progress.formatted()) __builtin_trap();
  return 0;
}
