#pragma once
// The game's own random generator. It follows the rule of the Windows C
// runtime's rand(): state = state * 214013 + 2531011, result = bits 16..30 of
// the new state (0..32767). The game never seeds it, so every run draws the
// same sequence, and the same inputs give the same match. It is the only
// source of chance in the simulation: never call the C library's rand().

#include <cstdint>

constexpr int32_t kRandomMax = 32767;

// The next value, 0..kRandomMax.
int32_t nextRandom();

// nextRandom() / 32767 * max, in 32-bit float arithmetic: 0..max inclusive.
float randomFloat(float max);

// A whole number 0..n; n itself only when nextRandom() gives 32767.
int32_t randomInt(int32_t n);

// The generator's state, so that tests and tools can replay a run from the
// start (state 1 is the unseeded runtime's).
uint32_t randomState();
void setRandomState(uint32_t state);
constexpr uint32_t kUnseededRandomState = 1;

// The same rule with a state of its own, for chance that must leave the
// game's sequence alone: a modelled person's, whose keys a recording of the
// match holds, so that the recording replays without the model.
class RandomSequence {
 public:
  explicit RandomSequence(uint32_t state) : state(state) {}
  // As nextRandom, randomFloat and randomInt.
  int32_t next();
  float nextFloat(float max);
  int32_t nextInt(int32_t n);

 private:
  uint32_t state;
};
