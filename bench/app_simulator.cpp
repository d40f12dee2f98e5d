// How much faster than real time the simulator plays: one-set matches at
// level 5 in singles and doubles, posing only the nodes the match reads (as
// the simulator does) and posing every node as a drawn game does. Counters:
// microseconds a 16 ms step and times real time. Needs the game's data: run
// from the run folder or set ZUMBOLO_RUN_DIR.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "app/MatchSimulator.h"
#include "app/Settings.h"

namespace {

void enterRunFolder() {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  if (run && chdir(run) != 0) std::abort();
  settings = Settings::defaults();
}

// state.range(0): doubles; state.range(1): pose every node.
void BM_SimulateOneSetAtLevelFive(benchmark::State& state) {
  enterRunFolder();
  SimulatedMatch match;
  match.doubles = state.range(0) != 0;
  match.poseEverything = state.range(1) != 0;
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) match.slots[slot] = {slot + 1, kKeySetCount + 5};
  int64_t steps = 0;
  double seconds = 0.0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    steps += simulateMatch(match).steps;
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ++match.seed;
  }
  state.counters["usPerStep"] = seconds * 1e6 / double(steps);
  state.counters["timesRealTime"] = double(steps) * kFixedStepMs / 1000.0 / seconds;
}
BENCHMARK(BM_SimulateOneSetAtLevelFive)
    ->ArgNames({"doubles", "poseAll"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kSecond)
    ->Iterations(3);

}  // namespace
