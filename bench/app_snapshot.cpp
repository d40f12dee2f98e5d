// Saving and restoring a match, as network play that rolls back does at
// every correction: a level 5 match in singles and in doubles, built without
// a window and played into a rally, then saved (and restored) over and over.
// Counters: the saved state's size in bytes, and a plain step's time beside
// it for scale. Needs the game's data: run from the run folder or set
// ZUMBOLO_RUN_DIR.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "app/Settings.h"
#include "app/match/MatchSimulation.h"
#include "app/match/MatchState.h"
#include "app/menus/Language.h"
#include "engine/Random.h"
#include "engine/TextureFactory.h"

namespace {

// Into the second point's rally: the introduction is gone, players run,
// effects live.
constexpr int kStepsIntoTheMatch = 6000;

std::unique_ptr<MatchSimulation> matchInARally(bool doubles) {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  if (run && chdir(run) != 0) std::abort();
  settings = Settings::defaults();
  MatchSetup setup;
  setup.doublesFlag = doubles ? 1 : 0;
  setup.setsToPlay = 1;
  setup.gamesPerSet = 6;
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) setup.slots[slot] = {slot + 1, kKeySetCount + 5};
  setRandomState(kUnseededRandomState);
  MatchMaking making{SceneDisplay::None, std::make_shared<RecordingTextureFactory>(), matchTexts(), nullptr,
                     settings.keySets, {}};
  auto match = std::make_unique<MatchSimulation>(setup, std::move(making));
  for (int step = 0; step < kStepsIntoTheMatch; ++step) {
    StepInput input;
    const int32_t phase = match->state()->phase();
    if (phase == IntroPlaying || phase == FinalScore) input.matchKeys = kMatchKeyEnter;
    match->step(input);
  }
  return match;
}

void BM_SaveMatch(benchmark::State& state) {
  const std::unique_ptr<MatchSimulation> match = matchInARally(state.range(0) != 0);
  MatchSnapshot snapshot;
  for (auto _ : state) {
    match->save(snapshot);
    benchmark::DoNotOptimize(snapshot.bytes.data());
  }
  state.counters["bytes"] = double(snapshot.bytes.size());
}
BENCHMARK(BM_SaveMatch)->ArgName("doubles")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_RestoreMatch(benchmark::State& state) {
  const std::unique_ptr<MatchSimulation> match = matchInARally(state.range(0) != 0);
  MatchSnapshot snapshot;
  match->save(snapshot);
  for (auto _ : state) {
    if (!match->restore(snapshot)) state.SkipWithError("the saved state did not restore");
  }
  state.counters["bytes"] = double(snapshot.bytes.size());
}
BENCHMARK(BM_RestoreMatch)->ArgName("doubles")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One plain step, for scale: a rollback of k steps costs a restore and k steps.
void BM_StepMatch(benchmark::State& state) {
  const std::unique_ptr<MatchSimulation> match = matchInARally(state.range(0) != 0);
  MatchSnapshot snapshot;
  match->save(snapshot);
  int steps = 0;
  for (auto _ : state) {
    match->step(StepInput{});
    // Back now and then, so that every step is one of a rally.
    if (++steps % 200 == 0) {
      state.PauseTiming();
      match->restore(snapshot);
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_StepMatch)->ArgName("doubles")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
