#include "content/Synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2 * std::numbers::pi;

size_t samplesFor(double seconds) { return static_cast<size_t>(std::max(0.0, seconds) * kSampleRate); }

double timeOf(size_t i) { return static_cast<double>(i) / kSampleRate; }

// Attack, decay, sustain, release; the release starts at `held` seconds.
double adsr(double t, double attack, double decay, double sustain, double release, double held) {
  const auto level = [&](double at) {
    if (at < attack) return at / attack;
    if (at < attack + decay) return 1.0 - (1.0 - sustain) * (at - attack) / decay;
    return sustain;
  };
  if (t < held) return level(t);
  const double after = t - held;
  return after >= release ? 0.0 : level(held) * (1.0 - after / release);
}

double polyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

// A short fade at both ends, so no sound starts or stops with a click.
void softenEdges(Mono& sound, double seconds = 0.002) {
  const size_t n = std::min(sound.size() / 2, samplesFor(seconds));
  for (size_t i = 0; i < n; ++i) {
    const auto g = static_cast<float>(static_cast<double>(i) / static_cast<double>(n));
    sound[i] *= g;
    sound[sound.size() - 1 - i] *= g;
  }
}

// Tone for the early notes of a sound, so held notes breathe a little.
double vibrato(double t, double delay, double rate, double depth) {
  const double fadeIn = std::clamp((t - delay) / 0.3, 0.0, 1.0);
  return 1.0 + depth * fadeIn * std::sin(kTwoPi * rate * t);
}

}  // namespace

void Stereo::mix(const Mono& sound, size_t start, double gain, double pan, bool loop) {
  const size_t n = frames();
  if (n == 0) return;
  const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4;
  const auto gl = static_cast<float>(gain * std::cos(angle) * std::numbers::sqrt2);
  const auto gr = static_cast<float>(gain * std::sin(angle) * std::numbers::sqrt2);
  for (size_t i = 0; i < sound.size(); ++i) {
    size_t at = start + i;
    if (at >= n) {
      if (!loop) break;
      at %= n;
    }
    left[at] += gl * sound[i];
    right[at] += gr * sound[i];
  }
}

void Stereo::add(const Stereo& other, double gain) {
  const size_t n = std::min(frames(), other.frames());
  for (size_t i = 0; i < n; ++i) {
    left[i] += static_cast<float>(gain) * other.left[i];
    right[i] += static_cast<float>(gain) * other.right[i];
  }
}

float Stereo::peak() const {
  float highest = 0;
  for (size_t i = 0; i < frames(); ++i) highest = std::max({highest, std::fabs(left[i]), std::fabs(right[i])});
  return highest;
}

void Stereo::scale(double gain) {
  for (size_t i = 0; i < frames(); ++i) {
    left[i] *= static_cast<float>(gain);
    right[i] *= static_cast<float>(gain);
  }
}

Biquad Biquad::lowPass(double frequency, double q) {
  const double w = kTwoPi * frequency / kSampleRate;
  const double alpha = std::sin(w) / (2 * q);
  const double a0 = 1 + alpha;
  Biquad f;
  f.b0 = (1 - std::cos(w)) / 2 / a0;
  f.b1 = (1 - std::cos(w)) / a0;
  f.b2 = f.b0;
  f.a1 = -2 * std::cos(w) / a0;
  f.a2 = (1 - alpha) / a0;
  return f;
}

Biquad Biquad::highPass(double frequency, double q) {
  const double w = kTwoPi * frequency / kSampleRate;
  const double alpha = std::sin(w) / (2 * q);
  const double a0 = 1 + alpha;
  Biquad f;
  f.b0 = (1 + std::cos(w)) / 2 / a0;
  f.b1 = -(1 + std::cos(w)) / a0;
  f.b2 = f.b0;
  f.a1 = -2 * std::cos(w) / a0;
  f.a2 = (1 - alpha) / a0;
  return f;
}

Biquad Biquad::bandPass(double frequency, double q) {
  const double w = kTwoPi * frequency / kSampleRate;
  const double alpha = std::sin(w) / (2 * q);
  const double a0 = 1 + alpha;
  Biquad f;
  f.b0 = alpha / a0;
  f.b1 = 0;
  f.b2 = -alpha / a0;
  f.a1 = -2 * std::cos(w) / a0;
  f.a2 = (1 - alpha) / a0;
  return f;
}

float Biquad::process(float x) {
  const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
  x2 = x1;
  x1 = x;
  y2 = y1;
  y1 = y;
  return static_cast<float>(y);
}

float SweepFilter::lowPass(float x, double cutoff) {
  // 2 sin(x) by its series: x stays below 0.36, where three terms are exact
  // to a few parts in a million, and the cutoff moves every sample.
  const double w = kPi * std::clamp(cutoff, 20.0, 10000.0) / (2.0 * kSampleRate);
  const double w2 = w * w;
  const double f = 2 * w * (1 - w2 / 6 * (1 - w2 / 20));
  for (int pass = 0; pass < 2; ++pass) {
    low += f * band;
    const double high = x - low - damping * band;
    band += f * high;
  }
  return static_cast<float>(low);
}

float sawStep(double& phase, double frequency) {
  const double dt = frequency / kSampleRate;
  const double value = 2.0 * phase - 1.0 - polyBlep(phase, dt);
  phase += dt;
  if (phase >= 1.0) phase -= 1.0;
  return static_cast<float>(value);
}

float squareStep(double& phase, double frequency, double width) {
  const double dt = frequency / kSampleRate;
  double value = phase < width ? 1.0 : -1.0;
  value += polyBlep(phase, dt);
  value -= polyBlep(std::fmod(phase + 1.0 - width, 1.0), dt);
  phase += dt;
  if (phase >= 1.0) phase -= 1.0;
  return static_cast<float>(value);
}

namespace {

class Comb {
 public:
  explicit Comb(size_t length) : buffer(length, 0.0f) {}
  float process(float x, double feedback, double damping) {
    const float out = buffer[at];
    store = static_cast<float>(out * (1 - damping) + store * damping);
    buffer[at] = static_cast<float>(x + store * feedback);
    at = (at + 1) % buffer.size();
    return out;
  }

 private:
  std::vector<float> buffer;
  size_t at = 0;
  float store = 0;
};

class Allpass {
 public:
  explicit Allpass(size_t length) : buffer(length, 0.0f) {}
  float process(float x) {
    const float delayed = buffer[at];
    const float out = -x + delayed;
    buffer[at] = x + delayed * 0.5f;
    at = (at + 1) % buffer.size();
    return out;
  }

 private:
  std::vector<float> buffer;
  size_t at = 0;
};

struct RoomChannel {
  std::vector<Comb> combs;
  std::vector<Allpass> allpasses;
  explicit RoomChannel(size_t spread) {
    for (size_t length : {1116u, 1188u, 1277u, 1356u, 1422u, 1491u}) combs.emplace_back(length + spread);
    for (size_t length : {556u, 441u, 341u}) allpasses.emplace_back(length + spread);
  }
  float process(float x, double feedback, double damping) {
    float sum = 0;
    for (Comb& c : combs) sum += c.process(x, feedback, damping);
    for (Allpass& a : allpasses) sum = a.process(sum);
    return sum * 0.15f;
  }
};

}  // namespace

Stereo reverb(const Stereo& send, double roomSize, double damping, bool loop) {
  RoomChannel left(0);
  RoomChannel right(23);
  const double feedback = 0.7 + 0.28 * roomSize;
  Stereo out(send.frames());
  // A looped piece goes round twice: the first time only fills the room, so
  // that its start hears the echoes of its end.
  for (int pass = loop ? 0 : 1; pass < 2; ++pass) {
    for (size_t i = 0; i < send.frames(); ++i) {
      const float l = left.process(send.left[i], feedback, damping);
      const float r = right.process(send.right[i], feedback, damping);
      if (pass == 1) {
        out.left[i] = l;
        out.right[i] = r;
      }
    }
  }
  return out;
}

double midiFrequency(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

Mono pluck(double frequency, double seconds, double brightness, ContentRandom& random) {
  const auto period = std::max<size_t>(2, static_cast<size_t>(std::lround(kSampleRate / frequency)));
  std::vector<float> line(period);
  float smooth = 0;
  for (float& s : line) {
    smooth += static_cast<float>(0.2 + 0.8 * brightness) * (random.noise() - smooth);
    s = smooth;
  }
  const double release = 0.12;
  Mono out(samplesFor(std::min(seconds, 2.5) + release));
  const size_t held = samplesFor(seconds);
  size_t at = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const size_t next = (at + 1) % period;
    const float value = line[at];
    // Averaging neighbours damps the high partials first, as a string does.
    line[at] = 0.4985f * (line[at] + line[next]);
    at = next;
    double gain = 1.0;
    if (i > held) gain = std::max(0.0, 1.0 - timeOf(i - held) / release);
    out[i] = static_cast<float>(value * gain);
  }
  softenEdges(out, 0.001);
  return out;
}

Mono bell(double frequency, double seconds, double ratio, double index, double decay) {
  const double release = 0.08;
  Mono out(samplesFor(std::min(seconds + release, 4 * decay)));
  const size_t held = samplesFor(seconds);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    const double modulation = index * std::exp(-t / (0.4 * decay)) * std::sin(kTwoPi * ratio * frequency * t);
    double gain = std::exp(-t / decay);
    if (i > held) gain *= std::max(0.0, 1.0 - timeOf(i - held) / release);
    out[i] = static_cast<float>(gain * std::sin(kTwoPi * frequency * t + modulation));
  }
  softenEdges(out);
  return out;
}

Mono brass(double frequency, double seconds, double brightness) {
  const double release = 0.15;
  Mono out(samplesFor(seconds + release));
  double p1 = 0, p2 = 0.31;
  SweepFilter filter(0.25);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    const double f = frequency * vibrato(t, 0.25, 5.5, 0.004);
    const double swell = t < 0.05 ? t / 0.05 : 0.65 + 0.35 * std::exp(-(t - 0.05) / 0.2);
    const double raw = 0.5 * (sawStep(p1, f * 1.0023) + sawStep(p2, f / 1.0023));
    const double cutoff = frequency * (1.2 + 7.0 * brightness * swell);
    const double amp = adsr(t, 0.03, 0.25, 0.75, release, seconds);
    out[i] = static_cast<float>(amp * filter.lowPass(static_cast<float>(raw), cutoff));
  }
  softenEdges(out);
  return out;
}

Mono pad(double frequency, double seconds) {
  const double release = 0.6;
  Mono out(samplesFor(seconds + release));
  double phases[3] = {0.0, 0.37, 0.71};
  const double detune[3] = {0.996, 1.0, 1.004};
  Biquad filter = Biquad::lowPass(std::min(1800.0, frequency * 6), 0.7);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    double raw = 0;
    for (int k = 0; k < 3; ++k) raw += sawStep(phases[k], frequency * detune[k]);
    const double amp = adsr(t, 0.35, 0.3, 0.8, release, seconds);
    out[i] = static_cast<float>(amp * filter.process(static_cast<float>(raw / 3)));
  }
  return out;
}

Mono strings(double frequency, double seconds) {
  const double release = 0.45;
  Mono out(samplesFor(seconds + release));
  double phases[4] = {0.0, 0.23, 0.51, 0.77};
  const double detune[4] = {0.995, 0.9985, 1.0015, 1.005};
  Biquad filter = Biquad::lowPass(std::min(3500.0, frequency * 8), 0.6);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    const double f = frequency * vibrato(t, 0.2, 5.0, 0.003);
    double raw = 0;
    for (int k = 0; k < 4; ++k) raw += sawStep(phases[k], f * detune[k]);
    const double amp = adsr(t, 0.18, 0.2, 0.85, release, seconds);
    out[i] = static_cast<float>(amp * filter.process(static_cast<float>(raw / 4)));
  }
  return out;
}

Mono lead(double frequency, double seconds) {
  const double release = 0.1;
  Mono out(samplesFor(seconds + release));
  double square = 0, sine = 0;
  SweepFilter filter(0.2);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    const double f = frequency * vibrato(t, 0.18, 6.0, 0.006);
    const double raw = 0.6 * squareStep(square, f, 0.3) + 0.5 * std::sin(kTwoPi * sine);
    sine += f / kSampleRate;
    if (sine >= 1) sine -= 1;
    const double amp = adsr(t, 0.008, 0.12, 0.7, release, seconds);
    out[i] = static_cast<float>(amp * filter.lowPass(static_cast<float>(raw), 2500 + frequency * 2));
  }
  softenEdges(out);
  return out;
}

Mono bass(double frequency, double seconds, double brightness) {
  const double release = 0.05;
  Mono out(samplesFor(seconds + release));
  double saw = 0, sine = 0;
  SweepFilter filter(0.35);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    const double raw = 0.55 * sawStep(saw, frequency) + 0.8 * std::sin(kTwoPi * sine);
    sine += frequency / kSampleRate;
    if (sine >= 1) sine -= 1;
    const double cutoff = frequency * (2.0 + 10.0 * brightness * std::exp(-t / 0.12));
    const double amp = adsr(t, 0.004, 0.35, 0.65, release, seconds);
    out[i] = static_cast<float>(amp * filter.lowPass(static_cast<float>(raw), cutoff));
  }
  softenEdges(out, 0.003);
  return out;
}

Mono kick(double punch) {
  Mono out(samplesFor(0.45));
  double phase = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    const double f = 48 + 120 * std::exp(-t / 0.035);
    phase += f / kSampleRate;
    const double body = std::sin(kTwoPi * phase) * std::exp(-t / 0.22);
    const double click = punch * std::sin(kTwoPi * 1200 * t) * std::exp(-t / 0.003);
    out[i] = static_cast<float>(std::tanh(1.4 * (body + 0.3 * click)));
  }
  softenEdges(out, 0.0005);
  return out;
}

Mono snare(ContentRandom& random, double snappy) {
  Mono out(samplesFor(0.32));
  Biquad bright = Biquad::highPass(900, 0.7);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    const double tone = (std::sin(kTwoPi * 185 * t) + 0.5 * std::sin(kTwoPi * 330 * t)) * std::exp(-t / 0.045);
    const double noise = bright.process(random.noise()) * std::exp(-t / (0.07 + 0.08 * snappy));
    out[i] = static_cast<float>(0.55 * tone + 0.9 * noise);
  }
  softenEdges(out, 0.0005);
  return out;
}

Mono hat(ContentRandom& random, bool open) {
  Mono out(samplesFor(open ? 0.5 : 0.09));
  Biquad high1 = Biquad::highPass(7000, 0.7);
  Biquad high2 = Biquad::highPass(7000, 0.7);
  const double decay = open ? 0.18 : 0.025;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    out[i] = static_cast<float>(high2.process(high1.process(random.noise())) * std::exp(-t / decay));
  }
  softenEdges(out, 0.0005);
  return out;
}

Mono clap(ContentRandom& random) {
  Mono out(samplesFor(0.25));
  Biquad band = Biquad::bandPass(1300, 0.9);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    // Several hands a few milliseconds apart, then the room.
    double env = std::exp(-t / 0.07);
    for (const double at : {0.0, 0.011, 0.022}) {
      if (t >= at) env += 1.5 * std::exp(-(t - at) / 0.004);
    }
    out[i] = static_cast<float>(band.process(random.noise()) * env);
  }
  softenEdges(out, 0.0005);
  return out;
}

Mono crash(ContentRandom& random) {
  Mono out(samplesFor(2.5));
  Biquad high = Biquad::highPass(3500, 0.7);
  Biquad ring = Biquad::bandPass(5200, 1.5);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    const float n = high.process(random.noise());
    out[i] = static_cast<float>((0.7 * n + 0.8 * ring.process(n)) * std::exp(-t / 0.75));
  }
  softenEdges(out, 0.001);
  return out;
}

Mono timpani(double frequency, ContentRandom& random) {
  Mono out(samplesFor(1.6));
  Biquad low = Biquad::lowPass(400, 0.7);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    const double f = frequency * (1.0 + 0.04 * std::exp(-t / 0.05));
    const double body = std::sin(kTwoPi * f * t) * std::exp(-t / 0.7) +
                        0.5 * std::sin(kTwoPi * 1.5 * f * t) * std::exp(-t / 0.35) +
                        0.3 * std::sin(kTwoPi * 1.98 * f * t) * std::exp(-t / 0.25);
    const double thump = low.process(random.noise()) * std::exp(-t / 0.03);
    out[i] = static_cast<float>(0.7 * body + 1.2 * thump);
  }
  softenEdges(out, 0.001);
  return out;
}

Mono shaker(ContentRandom& random) {
  Mono out(samplesFor(0.09));
  Biquad band = Biquad::bandPass(6500, 1.2);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    const double env = (t < 0.012 ? t / 0.012 : std::exp(-(t - 0.012) / 0.025));
    out[i] = static_cast<float>(band.process(random.noise()) * env);
  }
  softenEdges(out, 0.0005);
  return out;
}

Mono rim() {
  Mono out(samplesFor(0.06));
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = timeOf(i);
    out[i] = static_cast<float>((std::sin(kTwoPi * 1700 * t) + 0.6 * std::sin(kTwoPi * 520 * t)) *
                                std::exp(-t / 0.009));
  }
  softenEdges(out, 0.0003);
  return out;
}
