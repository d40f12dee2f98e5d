#pragma once
// The small synthesiser behind the game's sound effects and music: filters,
// band-limited oscillators, a reverb, and the instruments and drums the
// pieces are played on. An instrument renders one note into a mono buffer
// (its whole sound, release included); the caller mixes it into a stereo
// bus at its start sample, with a level and a place in the stereo field.
// For music the bus is a loop: whatever rings past its end continues at its
// start, so the piece repeats without a seam.
//
// Everything is plain arithmetic on fixed-seed noise: the same program
// renders the same samples on every run.

#include <cstddef>
#include <vector>

#include "content/ContentRandom.h"

constexpr int kSampleRate = 44100;

using Mono = std::vector<float>;

struct Stereo {
  Mono left;
  Mono right;

  explicit Stereo(size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
  size_t frames() const { return left.size(); }
  // Adds a mono sound starting at `start`, at `gain`, placed at `pan` (-1
  // left, 1 right) with equal power. Samples past the end wrap to the start
  // when `loop` is set and are dropped otherwise.
  void mix(const Mono& sound, size_t start, double gain, double pan, bool loop);
  void add(const Stereo& other, double gain);
  float peak() const;
  void scale(double gain);
};

// Second-order filters (the audio cookbook's biquads).
class Biquad {
 public:
  static Biquad lowPass(double frequency, double q);
  static Biquad highPass(double frequency, double q);
  static Biquad bandPass(double frequency, double q);
  float process(float x);

 private:
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// A resonant low-pass whose cutoff may change every sample (the Chamberlin
// state-variable filter, run twice per sample to stay stable up high).
class SweepFilter {
 public:
  explicit SweepFilter(double resonance = 0.5) : damping(2.0 * (1.0 - resonance * 0.9)) {}
  float lowPass(float x, double cutoff);

 private:
  double damping;
  double low = 0, band = 0;
};

// A sawtooth with its corners smoothed (PolyBLEP), so high notes do not fold
// back into the audible range; `phase` is kept by the caller, in cycles.
float sawStep(double& phase, double frequency);
float squareStep(double& phase, double frequency, double width);

// A stereo room (parallel combs into allpasses). With `loop`, the input is
// taken as a loop: the tail of its end rings on into its start.
Stereo reverb(const Stereo& send, double roomSize, double damping, bool loop);

double midiFrequency(double note);

// Instruments: one note of `seconds` held, returned with its release.
Mono pluck(double frequency, double seconds, double brightness, ContentRandom& random);
Mono bell(double frequency, double seconds, double ratio, double index, double decay);
Mono brass(double frequency, double seconds, double brightness);
Mono pad(double frequency, double seconds);
Mono lead(double frequency, double seconds);
Mono bass(double frequency, double seconds, double brightness);
Mono strings(double frequency, double seconds);

// Drums and percussion, each a complete hit.
Mono kick(double punch);
Mono snare(ContentRandom& random, double snappy);
Mono hat(ContentRandom& random, bool open);
Mono clap(ContentRandom& random);
Mono crash(ContentRandom& random);
Mono timpani(double frequency, ContentRandom& random);
Mono shaker(ContentRandom& random);
Mono rim();
