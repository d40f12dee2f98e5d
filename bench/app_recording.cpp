// A recording of a one-set singles match between two people: how big its
// file is, how fast it is written and read, and how long replaying it takes
// beside simulating the same length of play between two computers.
//
// The people are stood in for by a fixed sequence of key changes at a
// quick human rate: each person holds a new set of keys (a direction, hit,
// dive, a direction with hit, or nothing) every 150 to 600 ms. Replaying
// needs the game's data: run from the run folder or set ZUMBOLO_RUN_DIR.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

#include "app/match/MatchRecording.h"
#include "app/MatchSimulator.h"
#include "app/Settings.h"
#include "engine/Random.h"

namespace {

// A one-set match of six games between two level 3 computers, seed 1.
constexpr int64_t kOneSetSteps = 109'186;
constexpr uint32_t kShortestHoldMs = 150;
constexpr uint32_t kHoldSpreadMs = 450;

MatchRecording oneSetBetweenTwoPeople() {
  MatchRecording recording{false, 1, 6, {{{1, 0}, {4, 1}, {}, {}}}, kUnseededRandomState, "", {}};
  const uint8_t left = playerKeyBit(KeyLeft), right = playerKeyBit(KeyRight), up = playerKeyBit(KeyUp),
                down = playerKeyBit(KeyDown), hit = playerKeyBit(KeyHit), dive = playerKeyBit(KeyDive);
  const std::array<uint8_t, 10> choices{0, left, right, up, down, hit, dive | left, left | hit, right | hit, up | hit};
  uint32_t draw = 1;
  std::array<int64_t, 2> nextChange{0, 0};
  StepInput input;
  for (int64_t step = 0; step < kOneSetSteps; ++step) {
    for (int32_t slot = 0; slot < 2; ++slot) {
      PlayerCommand& command = input.slots[slot];
      command.pressed = 0;
      if (step < nextChange[slot]) continue;
      draw = draw * 1103515245u + 12345u;
      const uint8_t held = choices[(draw >> 16) % choices.size()];
      command.pressed = held & ~command.held;
      command.held = held;
      nextChange[slot] = step + (kShortestHoldMs + (draw >> 8) % kHoldSpreadMs) / 16;
    }
    recording.append(input);
  }
  return recording;
}

void enterRunFolder() {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  if (run && chdir(run) != 0) std::abort();
  settings = Settings::defaults();
}

void BM_WriteRecording(benchmark::State& state) {
  const MatchRecording recording = oneSetBetweenTwoPeople();
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string file = encodeRecording(recording);
    bytes = file.size();
    benchmark::DoNotOptimize(file.data());
  }
  state.counters["fileBytes"] = static_cast<double>(bytes);
  state.counters["runsInMemory"] = static_cast<double>(recording.runs.size());
}
BENCHMARK(BM_WriteRecording)->Unit(benchmark::kMillisecond);

void BM_ReadRecording(benchmark::State& state) {
  const std::string file = encodeRecording(oneSetBetweenTwoPeople());
  for (auto _ : state) benchmark::DoNotOptimize(decodeRecording(file, "bench.zrec"));
}
BENCHMARK(BM_ReadRecording)->Unit(benchmark::kMillisecond);

void BM_ReplayOneSet(benchmark::State& state) {
  enterRunFolder();
  SimulatedMatch match;
  match.replay = oneSetBetweenTwoPeople();
  for (auto _ : state) state.counters["steps"] = static_cast<double>(simulateMatch(match).steps);
}
BENCHMARK(BM_ReplayOneSet)->Unit(benchmark::kSecond)->Iterations(1);

void BM_SimulateOneSetLive(benchmark::State& state) {
  enterRunFolder();
  SimulatedMatch match;
  match.slots = {{{1, kKeySetCount + 3}, {4, kKeySetCount + 3}, {}, {}}};
  for (auto _ : state) state.counters["steps"] = static_cast<double>(simulateMatch(match).steps);
}
BENCHMARK(BM_SimulateOneSetLive)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
