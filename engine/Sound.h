#pragma once
// The game's sound: one looping, streamed music at a time and a short list of
// effect sounds played fire-and-forget on free channels.
//
// The calls below are what the game uses (the menus, the match, the players'
// racket hits). They speak to one process-wide SoundOutput, the seam behind
// which the sound library sits: the game installs the mixer's output at start
// (app/SoundSystem), tests install a recorder, and until then a silent output
// takes every call. The random choice of playEffect(100) and playEffect(200)
// draws from the game's generator whatever the output, so a silent run and a
// run with sound play the same match.
//
// The music and the effects each have a volume, a level from 0 (silent) to
// kLoudestVolume. The loudest is the mix as the game was made: the music
// under three overlapping effects stays inside the output. The levels are
// kept here, so that an output installed later plays at them too.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Releases the current music (which stops it) and starts the file as a
  // streamed loop, paused: resumeMusic() lets it be heard.
  virtual void playMusic(const std::string& path) = 0;
  virtual void resumeMusic() = 0;
  // Releases every loaded effect (stopping whatever plays it) and loads these
  // files in order; index = effect number. A file that cannot be loaded keeps
  // its index and plays nothing.
  virtual void loadSamples(const std::vector<std::string>& paths) = 0;
  virtual size_t sampleCount() const = 0;
  // Plays effect `index` once on a free channel and returns the channel (a
  // voice), or kNoVoice when nothing plays. An index outside the list plays
  // nothing.
  virtual int32_t playSample(size_t index) = 0;
  // Stops the voice if it still plays effect `index` (a voice that has
  // ended may play another sound since: that one goes on).
  virtual void stopSample(int32_t voice, size_t index) = 0;
  // Levels 0..kLoudestVolume, already within range.
  virtual void setVolumes(int musicLevel, int effectsLevel) = 0;
};

constexpr int32_t kNoVoice = -1;
constexpr int kLoudestVolume = 10;

// Installs the output that every call below goes to; nullptr restores the
// silent one. Returns the previous output.
std::shared_ptr<SoundOutput> setSoundOutput(std::shared_ptr<SoundOutput> output);
SoundOutput& soundOutput();

// Effect numbers with a random choice among three sounds.
constexpr int kRandomBallSound = 100;   // ball00..ball02
constexpr int kRandomCheerSound = 200;  // cheer00..cheer02
constexpr int kEffectSetMatch = 1;

void playMusic(const std::string& path);
void resumeMusic();
// Set 1 is the match's six effects; any other set leaves the list empty.
void loadEffects(int set);
void playEffect(int id);
// Levels outside 0..kLoudestVolume are taken as the nearest end.
void setVolumes(int musicLevel, int effectsLevel);
int musicVolume();
int effectsVolume();

// The effect index that playEffect(id) plays: id itself, or for 100 and 200 a
// draw from the game's generator (k = trunc(3 * r / 32767), at most 2).
int effectIndex(int id);
