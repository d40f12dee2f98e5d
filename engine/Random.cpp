#include "engine/Random.h"

namespace {
uint32_t state = kUnseededRandomState;
constexpr float kInverseRandomMax = 1.0f / 32767.0f;

int32_t advance(uint32_t& s) {
  s = s * 214013u + 2531011u;
  return static_cast<int32_t>((s >> 16) & 0x7fff);
}

float scaledFloat(int32_t drawn, float max) { return static_cast<float>(drawn) * kInverseRandomMax * max; }

int32_t scaledInt(int32_t drawn, int32_t n) {
  const float scaled = static_cast<float>(drawn) * kInverseRandomMax * static_cast<float>(n + 1);
  const int32_t value = static_cast<int32_t>(scaled);
  return value > n ? n : value;
}
}  // namespace

int32_t nextRandom() { return advance(state); }

float randomFloat(float max) { return scaledFloat(nextRandom(), max); }

int32_t randomInt(int32_t n) { return scaledInt(nextRandom(), n); }

uint32_t randomState() { return state; }

void setRandomState(uint32_t newState) { state = newState; }

int32_t RandomSequence::next() { return advance(state); }

float RandomSequence::nextFloat(float max) { return scaledFloat(next(), max); }

int32_t RandomSequence::nextInt(int32_t n) { return scaledInt(next(), n); }
