#include "content/Music.h"

#include <exception>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "content/ContentFiles.h"
#include "content/LoopingMp3.h"
#include "content/Synth.h"

namespace {

// Loudest sample of a finished piece; the encoder's ripple stays below 1.
constexpr double kMusicPeak = 0.85;
constexpr int kKilobitsPerSecond = 160;

int pitchClass(const std::string& text, size_t& at) {
  static const int letters[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  const char letter = text.at(at++);
  if (letter < 'A' || letter > 'G') throw std::runtime_error("nombre de nota incorrecto en " + text);
  int pc = letters[letter - 'A'];
  while (at < text.size() && (text[at] == '#' || text[at] == 'b')) pc += text[at++] == '#' ? 1 : -1;
  return pc;
}

struct Note {
  double beat = 0;
  double length = 0;
  int pitch = 0;  // MIDI
};

// A line of "C#5:0.5"-style tokens (name, octave, length in beats; "r" is a
// rest) starting at `beat`.
std::vector<Note> melody(const std::string& text, double beat = 0) {
  std::vector<Note> notes;
  std::istringstream tokens(text);
  std::string token;
  while (tokens >> token) {
    const size_t colon = token.find(':');
    if (colon == std::string::npos) throw std::runtime_error("nota sin duracion: " + token);
    const double length = std::stod(token.substr(colon + 1));
    if (token[0] != 'r') {
      size_t at = 0;
      const int pc = pitchClass(token, at);
      const int octave = std::stoi(token.substr(at, colon - at));
      notes.push_back({.beat = beat, .length = length, .pitch = 12 * (octave + 1) + pc});
    }
    beat += length;
  }
  return notes;
}

struct Chord {
  int root = 0;  // pitch class
  std::vector<int> intervals;
};

Chord chord(const std::string& symbol) {
  size_t at = 0;
  Chord c;
  c.root = (pitchClass(symbol, at) + 12) % 12;
  const std::string quality = symbol.substr(at);
  if (quality.empty()) c.intervals = {0, 4, 7};
  else if (quality == "m") c.intervals = {0, 3, 7};
  else if (quality == "7") c.intervals = {0, 4, 7, 10};
  else if (quality == "maj7") c.intervals = {0, 4, 7, 11};
  else if (quality == "m7") c.intervals = {0, 3, 7, 10};
  else if (quality == "sus4") c.intervals = {0, 5, 7};
  else throw std::runtime_error("acorde desconocido " + symbol);
  return c;
}

// The chord's notes stacked upwards from the first one at or above `floor`.
std::vector<int> voicing(const Chord& c, int floor) {
  int root = floor - ((floor - c.root) % 12 + 12) % 12;
  if (root < floor) root += 12;
  std::vector<int> notes;
  for (int interval : c.intervals) notes.push_back(root + interval);
  return notes;
}

int bassNote(const Chord& c, int octaveFloor = 36) { return octaveFloor + c.root; }

// One chord for a span of beats.
struct ChordSpan {
  double beat;
  double length;
  Chord chord;
};

// "C G Am F" one chord a bar; "Bb+C" two chords sharing a bar.
std::vector<ChordSpan> progression(const std::string& text) {
  std::vector<ChordSpan> spans;
  std::istringstream bars(text);
  std::string bar;
  double beat = 0;
  while (bars >> bar) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t plus = bar.find('+'); plus != std::string::npos; plus = bar.find('+', start)) {
      parts.push_back(bar.substr(start, plus - start));
      start = plus + 1;
    }
    parts.push_back(bar.substr(start));
    const double share = 4.0 / static_cast<double>(parts.size());
    for (const std::string& p : parts) {
      spans.push_back({.beat = beat, .length = share, .chord = chord(p)});
      beat += share;
    }
  }
  return spans;
}

// A piece being rendered: a dry bus, a reverb send and the beat clock. All
// of it is a loop, so sounds that ring past the end continue at the start.
class Piece {
 public:
  Piece(int beatsPerMinute, int bars, uint64_t seed)
      : samplesPerBeat(kSampleRate * 60 / beatsPerMinute),
        beats(4 * bars),
        dry(static_cast<size_t>(samplesPerBeat) * static_cast<size_t>(4 * bars)),
        send(dry.frames()),
        random(seed) {
    if (kSampleRate * 60 % beatsPerMinute != 0) {
      throw std::runtime_error("tempo sin un numero entero de muestras por pulso");
    }
  }

  double seconds(double beatCount) const { return beatCount * samplesPerBeat / kSampleRate; }
  size_t at(double beat) const { return static_cast<size_t>(beat * samplesPerBeat + 0.5) % dry.frames(); }
  int totalBeats() const { return beats; }
  ContentRandom& dice() { return random; }

  void play(const Mono& sound, double beat, double gain, double pan, double reverbSend) {
    dry.mix(sound, at(beat), gain, pan, true);
    if (reverbSend > 0) send.mix(sound, at(beat), gain * reverbSend, pan, true);
  }

  // Steps of a 16-step bar pattern ("x" full, "o" soft, "." none) for every
  // bar in [firstBar, lastBar).
  template <typename Make>
  void pattern(const std::string& steps, int firstBar, int lastBar, double gain, double pan, double reverbSend,
               Make make) {
    for (int bar = firstBar; bar < lastBar; ++bar) {
      for (size_t s = 0; s < steps.size(); ++s) {
        if (steps[s] == '.') continue;
        const double level = steps[s] == 'x' ? 1.0 : 0.45;
        play(make(), bar * 4 + static_cast<double>(s) / 4.0, gain * level, pan, reverbSend);
      }
    }
  }

  Stereo finish(double roomSize, double wet, double peak) {
    Stereo out = dry;
    out.add(reverb(send, roomSize, 0.4, true), wet);
    out.scale(peak / out.peak());
    return out;
  }

 private:
  int samplesPerBeat;
  int beats;
  Stereo dry;
  Stereo send;
  ContentRandom random;
};

Stereo menuTheme() {
  Piece piece(126, 16, 1);
  const auto chords = progression("C G Am F C G F G Am F C G Am F Dm G");
  const auto tune = melody(
      "E5:.5 G5:.5 C6:1 B5:.5 C6:.5 G5:1 "
      "D5:.5 G5:.5 B5:1 A5:.5 B5:.5 G5:1 "
      "C5:.5 E5:.5 A5:1 G5:.5 A5:.5 E5:1 "
      "F5:.5 G5:.5 A5:.5 C6:.5 A5:1 G5:1 "
      "E5:.5 G5:.5 C6:1 B5:.5 C6:.5 E6:1 "
      "D6:.5 C6:.5 B5:.5 A5:.5 G5:1 B5:1 "
      "A5:.75 G5:.75 F5:.5 A5:.75 G5:.75 F5:.5 "
      "D5:1 E5:.5 F5:.5 G5:2 "
      "A5:1.5 G5:.5 E5:1 C5:1 "
      "F5:1.5 E5:.5 F5:.5 A5:1.5 "
      "G5:1.5 E5:.5 C6:1 G5:1 "
      "B5:1.5 A5:.5 G5:.5 D5:1.5 "
      "C6:1 B5:.5 A5:.5 E5:1 A5:1 "
      "C6:1 A5:.5 F5:.5 A5:1 C6:1 "
      "D6:1 C6:.5 A5:.5 F5:.5 A5:.5 D6:1 "
      "B5:.5 A5:.5 G5:.5 F5:.5 D5:1 r:1");
  for (const Note& n : tune) {
    const double f = midiFrequency(n.pitch);
    const double held = piece.seconds(n.length * 0.9);
    piece.play(lead(f, held), n.beat, 0.26, 0.0, 0.25);
    piece.play(bell(2 * f, held, 3.5, 1.5, 0.25), n.beat, 0.07, 0.2, 0.3);
  }
  static const int arpeggio[8] = {0, 1, 2, 3, 2, 1, 2, 3};
  for (const ChordSpan& span : chords) {
    std::vector<int> tones = voicing(span.chord, 60);
    tones.push_back(tones[0] + 12);
    for (int step = 0; step < static_cast<int>(span.length * 2); ++step) {
      const int pitch = tones[static_cast<size_t>(arpeggio[step % 8]) % tones.size()];
      piece.play(pluck(midiFrequency(pitch), piece.seconds(0.5), 0.7, piece.dice()), span.beat + step * 0.5, 0.2,
                 step % 2 ? 0.35 : -0.35, 0.3);
    }
    for (int pitch : voicing(span.chord, 55)) {
      piece.play(pad(midiFrequency(pitch), piece.seconds(span.length - 0.2)), span.beat, 0.05, 0.0, 0.5);
    }
    const int root = bassNote(span.chord);
    for (int step = 0; step < static_cast<int>(span.length * 2); ++step) {
      const int pitch = root + (step % 2 ? 12 : 0);
      piece.play(bass(midiFrequency(pitch), piece.seconds(0.4), 0.5), span.beat + step * 0.5, 0.3, 0.0, 0.0);
    }
  }
  const int bars = piece.totalBeats() / 4;
  piece.pattern("x...x...x...x...", 0, bars, 0.55, 0.0, 0.0, [] { return kick(0.6); });
  piece.pattern("....x.......x...", 0, bars - 1, 0.3, 0.05, 0.2, [&] { return clap(piece.dice()); });
  piece.pattern("....x.......xoxx", bars - 1, bars, 0.3, 0.05, 0.2, [&] { return snare(piece.dice(), 0.6); });
  piece.pattern("oox.oox.oox.oox.", 0, bars, 0.1, 0.3, 0.0, [&] { return hat(piece.dice(), false); });
  piece.pattern("x...............", 0, 1, 0.18, -0.2, 0.3, [&] { return crash(piece.dice()); });
  piece.pattern("x...............", 8, 9, 0.18, -0.2, 0.3, [&] { return crash(piece.dice()); });
  return piece.finish(0.4, 0.5, kMusicPeak);
}

Stereo matchIntro() {
  Piece piece(100, 12, 2);
  const auto chords = progression("D D G D Bb C D D G A Bb+C A");
  const auto fanfare = melody(
      "A4:.3333 A4:.3333 A4:.3334 D5:1 F#5:.5 A5:1.5 "
      "A5:.3333 A5:.3333 A5:.3334 B5:.5 A5:.5 F#5:1 D5:1 "
      "B4:.3333 B4:.3333 B4:.3334 D5:1 G5:.5 B5:1.5 "
      "A5:1 F#5:.5 D5:.5 A4:2 "
      "Bb4:.3333 Bb4:.3333 Bb4:.3334 D5:1 F5:.5 Bb5:1.5 "
      "C5:.3333 C5:.3333 C5:.3334 E5:1 G5:.5 C6:1.5 "
      "D6:1.5 C#6:.5 B5:.5 A5:.5 F#5:1 "
      "A5:3 r:1 "
      "G5:1 B5:1 D6:1 B5:1 "
      "A5:1 C#6:1 E6:1 C#6:1 "
      "Bb5:1 F5:1 C6:1 G5:1 "
      "A5:.3333 A5:.3333 A5:.3334 A5:.3333 A5:.3333 A5:.3334 A5:2");
  for (const Note& n : fanfare) {
    const double f = midiFrequency(n.pitch);
    const double held = piece.seconds(n.length * 0.85);
    piece.play(brass(f, held, 0.9), n.beat, 0.3, -0.1, 0.35);
    piece.play(brass(f / 2, held, 0.6), n.beat, 0.14, 0.15, 0.35);
  }
  for (const ChordSpan& span : chords) {
    for (int pitch : voicing(span.chord, 54)) {
      piece.play(brass(midiFrequency(pitch), piece.seconds(1.2), 0.5), span.beat, 0.06, 0.3, 0.4);
      piece.play(strings(midiFrequency(pitch + 12), piece.seconds(span.length - 0.1)), span.beat, 0.045, -0.3, 0.5);
    }
    const int root = bassNote(span.chord);
    for (double b = 0; b < span.length; b += 2) {
      piece.play(bass(midiFrequency(root), piece.seconds(1.8), 0.3), span.beat + b, 0.32, 0.0, 0.0);
    }
    const double drum = midiFrequency(root + (root < 41 ? 12 : 0));
    piece.play(timpani(drum, piece.dice()), span.beat, 0.35, 0.1, 0.3);
    if (span.length >= 4) piece.play(timpani(drum * 0.75, piece.dice()), span.beat + 2, 0.25, 0.1, 0.3);
  }
  const int bars = piece.totalBeats() / 4;
  piece.pattern("x..o..o.x.o.x..o", 0, bars - 1, 0.2, -0.15, 0.25, [&] { return snare(piece.dice(), 0.3); });
  piece.pattern("x.......x.......", 0, bars - 1, 0.45, 0.0, 0.0, [] { return kick(0.2); });
  // The last bar rolls and swells into the return of the tonic.
  for (int step = 0; step < 16; ++step) {
    const double swell = 0.08 + 0.3 * step / 15.0;
    piece.play(snare(piece.dice(), 0.2), (bars - 1) * 4 + step * 0.25, swell, -0.15, 0.25);
    piece.play(timpani(midiFrequency(45), piece.dice()), (bars - 1) * 4 + step * 0.25, swell * 0.6, 0.1, 0.3);
  }
  piece.pattern("x...............", 0, 1, 0.25, 0.2, 0.3, [&] { return crash(piece.dice()); });
  piece.pattern("x...............", 8, 9, 0.25, 0.2, 0.3, [&] { return crash(piece.dice()); });
  return piece.finish(0.6, 0.6, kMusicPeak);
}

// Under a whole match: soft, sparse and low, so that the ball and the crowd
// stay in front.
Stereo inGame() {
  Piece piece(90, 12, 3);
  const auto chords = progression("Fmaj7 Am7 Dm7 Bbmaj7 Fmaj7 Am7 Gm7 C7 Bbmaj7 Am7 Gm7 C7");
  const auto tune = melody(
      "r:2 A5:.5 C6:.5 E6:1 "
      "D6:1.5 C6:.5 r:2 "
      "r:2 F5:.5 A5:.5 C6:1 "
      "A5:2 r:2 "
      "r:2 C6:.5 A5:.5 G5:1 "
      "E5:2 r:2 "
      "r:2 Bb5:.5 A5:.5 G5:1 "
      "E5:1 G5:1 r:2 "
      "r:1 D6:.5 C6:.5 A5:2 "
      "G5:1 E5:1 r:2 "
      "r:2 D5:.5 F5:.5 A5:1 "
      "G5:2 r:2");
  for (const Note& n : tune) {
    piece.play(bell(midiFrequency(n.pitch), piece.seconds(n.length), 1.0, 1.2, 0.7), n.beat, 0.17, 0.1, 0.4);
  }
  static const int arpeggio[8] = {0, 2, 1, 3, 2, 1, 3, 2};
  for (const ChordSpan& span : chords) {
    const std::vector<int> tones = voicing(span.chord, 57);
    for (int step = 0; step < static_cast<int>(span.length * 2); ++step) {
      const int pitch = tones[static_cast<size_t>(arpeggio[step % 8]) % tones.size()];
      piece.play(pluck(midiFrequency(pitch), piece.seconds(0.6), 0.3, piece.dice()), span.beat + step * 0.5, 0.13,
                 step % 2 ? 0.4 : -0.4, 0.35);
    }
    for (int pitch : voicing(span.chord, 53)) {
      piece.play(pad(midiFrequency(pitch), piece.seconds(span.length - 0.3)), span.beat, 0.035, 0.0, 0.5);
    }
    const int root = bassNote(span.chord);
    piece.play(bass(midiFrequency(root), piece.seconds(1.4), 0.12), span.beat, 0.32, 0.0, 0.0);
    piece.play(bass(midiFrequency(root + 7), piece.seconds(0.4), 0.12), span.beat + 1.5, 0.25, 0.0, 0.0);
    piece.play(bass(midiFrequency(root), piece.seconds(1.0), 0.12), span.beat + 2, 0.28, 0.0, 0.0);
    piece.play(bass(midiFrequency(root + 12), piece.seconds(0.4), 0.12), span.beat + 3.5, 0.2, 0.0, 0.0);
  }
  const int bars = piece.totalBeats() / 4;
  piece.pattern("o.x.o.x.o.x.o.x.", 0, bars, 0.07, 0.35, 0.1, [&] { return shaker(piece.dice()); });
  piece.pattern("....x.......x...", 0, bars, 0.1, -0.2, 0.3, [] { return rim(); });
  piece.pattern("x.....x.........", 0, bars, 0.35, 0.0, 0.0, [] { return kick(0.0); });
  return piece.finish(0.5, 0.55, 0.6);
}

Stereo winnerAnthem() {
  Piece piece(120, 16, 4);
  const auto chords = progression("C F G C Am F G G F G Em Am F G C C+G");
  const auto anthem = melody(
      "C5:1 E5:.5 G5:.5 C6:2 "
      "A5:1 C6:.5 A5:.5 F5:2 "
      "G5:1 B5:.5 D6:.5 G5:1 B5:1 "
      "C6:3 r:1 "
      "E6:1 D6:.5 C6:.5 A5:2 "
      "F5:1 A5:.5 C6:.5 F6:2 "
      "E6:1 D6:1 C6:1 B5:1 "
      "D6:3 r:1 "
      "C6:1.5 A5:.5 F5:1 A5:1 "
      "B5:1.5 D6:.5 G5:2 "
      "E5:.5 G5:.5 B5:1 E6:1 D6:1 "
      "C6:2 A5:2 "
      "A5:.5 C6:.5 F6:1 E6:1 C6:1 "
      "D6:.5 E6:.5 D6:1 B5:1 G5:1 "
      "C6:4 "
      "G5:.3333 G5:.3333 G5:.3334 B5:.3333 B5:.3333 B5:.3334 D6:1 r:1");
  for (const Note& n : anthem) {
    const double f = midiFrequency(n.pitch);
    const double held = piece.seconds(n.length * 0.9);
    piece.play(brass(f, held, 1.0), n.beat, 0.28, -0.1, 0.3);
    piece.play(strings(f, held), n.beat, 0.1, 0.2, 0.4);
    piece.play(lead(2 * f, held), n.beat, 0.04, 0.0, 0.3);
  }
  for (const ChordSpan& span : chords) {
    for (int pitch : voicing(span.chord, 55)) {
      const double f = midiFrequency(pitch);
      piece.play(strings(f, piece.seconds(span.length - 0.1)), span.beat, 0.045, -0.3, 0.5);
      for (const double b : {0.0, 1.5, 3.0}) {
        if (b < span.length) piece.play(brass(f, piece.seconds(0.4), 0.6), span.beat + b, 0.05, 0.3, 0.3);
      }
    }
    const int root = bassNote(span.chord);
    for (double b = 0; b < span.length; b += 1) {
      const int pitch = root + (static_cast<int>(b) % 2 ? 7 : 0);
      piece.play(bass(midiFrequency(pitch), piece.seconds(0.8), 0.4), span.beat + b, 0.3, 0.0, 0.0);
    }
  }
  const int bars = piece.totalBeats() / 4;
  piece.pattern("x.......x.x.....", 0, bars, 0.55, 0.0, 0.0, [] { return kick(0.5); });
  piece.pattern("....x.......x...", 0, bars - 1, 0.32, -0.05, 0.25, [&] { return snare(piece.dice(), 0.6); });
  piece.pattern("....x...x.x.xxxx", bars - 1, bars, 0.3, -0.05, 0.25, [&] { return snare(piece.dice(), 0.6); });
  piece.pattern("x.o.x.o.x.o.x.o.", 0, bars, 0.09, 0.3, 0.0, [&] { return hat(piece.dice(), false); });
  for (int bar = 0; bar < bars; bar += 4) {
    piece.play(crash(piece.dice()), bar * 4, 0.2, -0.25, 0.3);
    piece.play(timpani(midiFrequency(36 + chords[static_cast<size_t>(bar)].chord.root), piece.dice()), bar * 4, 0.3,
               0.15, 0.3);
  }
  return piece.finish(0.6, 0.55, kMusicPeak);
}

}  // namespace

void writeMusic(const std::filesystem::path& runDir) {
  struct Track {
    const char* name;
    Stereo (*compose)();
  };
  static const Track tracks[] = {{"sounds/Menu.mp3", menuTheme},
                                 {"sounds/MatchIntro.mp3", matchIntro},
                                 {"sounds/InGame.mp3", inGame},
                                 {"sounds/AndTheWinnerIs.mp3", winnerAnthem}};
  // The pieces are independent: two workers halve the wait on two cores.
  std::exception_ptr failures[2];
  const auto work = [&](size_t first) {
    try {
      for (size_t i = first; i < std::size(tracks); i += 2) {
        writeContentFile(runDir, tracks[i].name, encodeLoopingMp3(tracks[i].compose(), kKilobitsPerSecond));
      }
    } catch (...) {
      failures[first] = std::current_exception();
    }
  };
  std::thread helper(work, 1);
  work(0);
  helper.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}
