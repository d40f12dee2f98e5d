#pragma once
// The content program's own chance: crowd dots in the pictures, noise and
// voices in the sounds. A fixed-seed generator (SplitMix64), so that every
// run writes the same bytes. Kept apart from engine/Random.h, whose sequence
// belongs to the game's simulation.

#include <cstdint>

class ContentRandom {
 public:
  explicit ContentRandom(uint64_t seed) : state(seed) {}

  uint64_t next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double between(double low, double high) { return low + (high - low) * unit(); }
  // Uniform in [-1, 1): white noise.
  float noise() { return static_cast<float>(2.0 * unit() - 1.0); }
  int below(int n) { return static_cast<int>(unit() * n); }

 private:
  uint64_t state;
};
