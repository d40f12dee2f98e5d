// What reading four gamepads costs each fixed step: SDL's events polled and
// every slot's command sampled, beside the keyboard alone, with the four pads
// idle and with every pad
// moving its stick and pressing a button each step (far more than hands do).
// The pads are SDL's virtual joysticks; the cost of setting their state is
// paused out of the timing.

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <array>

#include "app/input/Gamepads.h"
#include "app/input/KeySampler.h"

namespace {

constexpr int kPads = 4;

struct FourPads {
  FourPads() : pads({0, 1, 2, 3}, false), sampler(&pads) {
    for (int pad = 0; pad < kPads; ++pad) {
      SDL_VirtualJoystickDesc description{};
      description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
      description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
      description.naxes = SDL_CONTROLLER_AXIS_MAX;
      description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
      joysticks[pad] = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&description));
    }
    pads.poll();
  }
  ~FourPads() {
    for (SDL_Joystick* joystick : joysticks) SDL_JoystickClose(joystick);
    while (SDL_NumJoysticks() > 0) SDL_JoystickDetachVirtual(0);
  }
  StepInput step() {
    pads.poll();
    return sampler.sample({0, 1, 2, 3}, keySets);
  }

  Gamepads pads;
  KeySampler sampler;
  std::array<SDL_Joystick*, kPads> joysticks{};
  std::array<KeySet, kKeySetCount> keySets{};
};

// The yardstick: the keyboard's sampling alone, as before there were pads.
void BM_KeyboardAlone(benchmark::State& state) {
  KeySampler sampler;
  const std::array<KeySet, kKeySetCount> keySets{};
  for (auto _ : state) benchmark::DoNotOptimize(sampler.sample({0, 1, 2, 3}, keySets));
}
BENCHMARK(BM_KeyboardAlone);

void BM_FourIdlePads(benchmark::State& state) {
  FourPads four;
  for (auto _ : state) benchmark::DoNotOptimize(four.step());
}
BENCHMARK(BM_FourIdlePads);

void BM_FourBusyPads(benchmark::State& state) {
  FourPads four;
  int64_t step = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ++step;
    for (SDL_Joystick* joystick : four.joysticks) {
      SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(step % 2 ? 30000 : -30000));
      SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, static_cast<Uint8>(step % 2));
    }
    state.ResumeTiming();
    benchmark::DoNotOptimize(four.step());
  }
}
BENCHMARK(BM_FourBusyPads);

}  // namespace
