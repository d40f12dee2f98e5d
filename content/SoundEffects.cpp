#include "content/SoundEffects.h"

#include <cmath>
#include <numbers>
#include <string>

#include "content/ContentFiles.h"
#include "content/Synth.h"

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kEffectPeak = 0.95;

// What makes one racket sound unlike another.
struct Hit {
  double ping;       // the strings' note, Hz
  double pingDecay;  // seconds
  double crack;      // centre of the impact noise, Hz
  double body;       // the frame's thump, Hz
  double pan;        // -1 left, 1 right
  uint64_t seed;
};

Stereo racketHit(const Hit& hit) {
  ContentRandom random(hit.seed);
  Mono dry(static_cast<size_t>(0.32 * kSampleRate));
  Biquad crack = Biquad::bandPass(hit.crack, 1.1);
  Biquad air = Biquad::highPass(4000, 0.7);
  for (size_t i = 0; i < dry.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double noise = random.noise();
    const double impact = crack.process(static_cast<float>(noise)) * std::exp(-t / 0.0045) * 3.0 +
                          air.process(static_cast<float>(noise)) * std::exp(-t / 0.002);
    // The strings ring a little flat after the blow as their tension settles.
    const double f = hit.ping * (1.0 + 0.05 * std::exp(-t / 0.01));
    const double ping = std::sin(kTwoPi * f * t) * std::exp(-t / hit.pingDecay) +
                        0.35 * std::sin(kTwoPi * 2.76 * f * t) * std::exp(-t / (0.4 * hit.pingDecay));
    const double thump = std::sin(kTwoPi * hit.body * t) * std::exp(-t / 0.012);
    const double attack = std::min(1.0, t / 0.0004);
    dry[i] = static_cast<float>(attack * (impact + 0.8 * ping + 0.7 * thump));
  }
  // The court answers: two quiet reflections off the stands.
  Stereo out(dry.size() + static_cast<size_t>(0.06 * kSampleRate));
  out.mix(dry, 0, 1.0, hit.pan, false);
  out.mix(dry, static_cast<size_t>(0.023 * kSampleRate), 0.16, -0.6, false);
  out.mix(dry, static_cast<size_t>(0.037 * kSampleRate), 0.11, 0.6, false);
  return out;
}

// One voice of the crowd: a rising "whoo" or "yeah" on a vowel.
Mono crowdVoice(ContentRandom& random, double seconds) {
  struct Vowel {
    double f1;  // the first formant, Hz
    double f2;  // the second, Hz
  };
  static const Vowel vowels[] = {{.f1 = 800, .f2 = 1150},
                                 {.f1 = 500, .f2 = 900},
                                 {.f1 = 530, .f2 = 1840},
                                 {.f1 = 350, .f2 = 2000},
                                 {.f1 = 650, .f2 = 1080}};
  const Vowel v = vowels[random.below(5)];
  const double pitch = random.between(150, 400);
  const double rise = random.between(0.15, 0.6);
  const double rate = random.between(4.5, 7.0);
  const double attack = random.between(0.04, 0.15);
  Biquad f1 = Biquad::bandPass(v.f1 * random.between(0.9, 1.1), 5);
  Biquad f2 = Biquad::bandPass(v.f2 * random.between(0.9, 1.1), 6);
  Mono out(static_cast<size_t>(seconds * kSampleRate));
  double phase = random.unit();
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double contour = 1.0 + rise * (1.0 - std::exp(-t / 0.12)) - 0.25 * rise * t / seconds;
    const double f = pitch * contour * (1.0 + 0.02 * std::sin(kTwoPi * rate * t));
    const float source = sawStep(phase, f) + 0.3f * random.noise();
    const double env = std::min(1.0, t / attack) * std::min(1.0, (seconds - t) / 0.25);
    out[i] = static_cast<float>(env * (f1.process(source) + 0.6 * f2.process(source)));
  }
  return out;
}

// How big a cheer is (and the seed of its chance).
struct Cheer {
  double seconds;
  int voices;
  double clapsPerSecond;  // at the applause's height
  uint64_t seed;
};

// A crowd on its feet: many voices, applause, and the rumble of the stands.
Stereo cheer(const Cheer& size) {
  const double seconds = size.seconds;
  ContentRandom random(size.seed);
  const auto frames = static_cast<size_t>(seconds * kSampleRate);
  Stereo crowd(frames);
  for (int v = 0; v < size.voices; ++v) {
    const double start = random.between(0.0, 0.25);
    const double length = random.between(0.6, seconds - start - 0.05);
    crowd.mix(crowdVoice(random, length), static_cast<size_t>(start * kSampleRate), random.between(0.5, 1.0),
              random.between(-0.9, 0.9), false);
  }

  // Hands: short bursts scattered at a rate that swells and fades.
  Stereo hands(frames);
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double swell = std::min(1.0, t / 0.35) * std::min(1.0, (seconds - t) / 0.7);
    if (random.unit() < size.clapsPerSecond * swell / kSampleRate) {
      Mono burst(static_cast<size_t>(random.between(0.006, 0.014) * kSampleRate));
      for (size_t k = 0; k < burst.size(); ++k) {
        burst[k] = random.noise() * static_cast<float>(std::exp(-static_cast<double>(k) / (0.003 * kSampleRate)));
      }
      hands.mix(burst, i, random.between(0.3, 1.0), random.between(-1, 1), false);
    }
  }
  Biquad handsLeft = Biquad::bandPass(1700, 0.8);
  Biquad handsRight = Biquad::bandPass(1500, 0.8);
  Biquad rumbleLeft = Biquad::lowPass(300, 0.7);
  Biquad rumbleRight = Biquad::lowPass(280, 0.7);
  Stereo out(frames);
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double env = std::min(1.0, t / 0.12) * std::min(1.0, (seconds - t) / 0.6);
    const float rl = rumbleLeft.process(random.noise());
    const float rr = rumbleRight.process(random.noise());
    out.left[i] = static_cast<float>(env * (crowd.left[i] + 2.2 * handsLeft.process(hands.left[i]) + 0.6 * rl));
    out.right[i] = static_cast<float>(env * (crowd.right[i] + 2.2 * handsRight.process(hands.right[i]) + 0.6 * rr));
  }
  return out;
}

void writeEffect(const std::filesystem::path& runDir, const std::string& name, Stereo sound) {
  sound.scale(kEffectPeak / sound.peak());
  writeContentFile(runDir, "sounds/" + name, wavFile(sound.left, sound.right, kSampleRate));
}

}  // namespace

void writeSoundEffects(const std::filesystem::path& runDir) {
  writeEffect(runDir, "ball00.wav",
              racketHit({.ping = 560, .pingDecay = 0.045, .crack = 2400, .body = 150, .pan = 0.0, .seed = 101}));
  writeEffect(runDir, "ball01.wav",
              racketHit({.ping = 680, .pingDecay = 0.035, .crack = 3100, .body = 180, .pan = -0.15, .seed = 102}));
  writeEffect(runDir, "ball02.wav",
              racketHit({.ping = 470, .pingDecay = 0.06, .crack = 1900, .body = 120, .pan = 0.15, .seed = 103}));
  writeEffect(runDir, "cheer00.wav", cheer({.seconds = 1.8, .voices = 40, .clapsPerSecond = 260, .seed = 201}));
  writeEffect(runDir, "cheer01.wav", cheer({.seconds = 2.4, .voices = 55, .clapsPerSecond = 320, .seed = 202}));
  writeEffect(runDir, "cheer02.wav", cheer({.seconds = 3.0, .voices = 70, .clapsPerSecond = 380, .seed = 203}));
}
