#include "engine/Random.h"

namespace {
uint32_t state = kUnseededRandomState;
constexpr float kInverseRandomMax = 1.0f / 32767.0f;
}  // namespace

int32_t nextRandom() {
  state = state * 214013u + 2531011u;
  return static_cast<int32_t>((state >> 16) & 0x7fff);
}

float randomFloat(float max) {
  return static_cast<float>(nextRandom()) * kInverseRandomMax * max;
}

int32_t randomInt(int32_t n) {
  const float scaled = static_cast<float>(nextRandom()) * kInverseRandomMax * static_cast<float>(n + 1);
  const int32_t value = static_cast<int32_t>(scaled);
  return value > n ? n : value;
}

uint32_t randomState() { return state; }

void setRandomState(uint32_t newState) { state = newState; }
