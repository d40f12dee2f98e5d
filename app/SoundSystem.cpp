#include "app/SoundSystem.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/Sound.h"

namespace {

constexpr int kFrequency = 44100;
constexpr int kOutputChannels = 2;
// Frames in one mixing buffer: about 23 ms at 44.1 kHz, so that a racket hit
// sounds with the stroke that makes it.
constexpr int kBufferFrames = 1024;
constexpr int kMixingChannels = 32;

// Volumes out of MIX_MAX_VOLUME (128) at the loudest level. The music under
// three overlapping effects (a cheer over racket hits) must stay inside the
// output even when every file is at full scale, or the mix clips; the lower
// levels are even shares of these.
constexpr int kMusicVolume = 48;
constexpr int kEffectVolume = 26;
constexpr int kLoudestEffectCount = 3;
static_assert(kMusicVolume + kLoudestEffectCount * kEffectVolume <= MIX_MAX_VOLUME,
              "music plus three effects would clip");

// SDL numbers its open devices 1..16; 1 is kept for the old SDL_OpenAudio
// interface, which the mixer does not use.
constexpr SDL_AudioDeviceID kFirstDeviceId = 2;
constexpr SDL_AudioDeviceID kLastDeviceId = 16;

std::vector<SDL_AudioDeviceID> openDevices() {
  std::vector<SDL_AudioDeviceID> open;
  for (SDL_AudioDeviceID id = kFirstDeviceId; id <= kLastDeviceId; ++id) {
    if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED) open.push_back(id);
  }
  return open;
}

// The mixer does not publish the id of the device it opens; it is the one
// that was not open before Mix_OpenAudio. 0 when it cannot be told.
int mixerVolume(int loudest, int level) { return (loudest * level + kLoudestVolume / 2) / kLoudestVolume; }

SDL_AudioDeviceID deviceOpenedSince(const std::vector<SDL_AudioDeviceID>& before) {
  for (SDL_AudioDeviceID id : openDevices()) {
    if (std::find(before.begin(), before.end(), id) == before.end()) return id;
  }
  return 0;
}

struct MusicDeleter {
  void operator()(Mix_Music* music) const { Mix_FreeMusic(music); }
};
struct ChunkDeleter {
  void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
// Freeing a music or a chunk also stops whatever plays it.
using MusicHandle = std::unique_ptr<Mix_Music, MusicDeleter>;
using ChunkHandle = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

class SoundSystem : public SoundOutput {
 public:
  explicit SoundSystem(SDL_AudioDeviceID device) : device(device) {}
  ~SoundSystem() override { release(); }
  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;

  void playMusic(const std::string& path) override {
    if (!open) return;
    // The old music goes first, even when the new file then fails to load.
    music.reset();
    music.reset(Mix_LoadMUS(path.c_str()));
    if (!music) {
      printMessage("No se pudo cargar la musica %s: %s\n", path.c_str(), Mix_GetError());
      return;
    }
    // A pause before the play is undone by the play itself, so the two happen
    // under the device lock: the mixing thread never hears a buffer of the
    // music before resumeMusic().
    if (device != 0) SDL_LockAudioDevice(device);
    const int played = Mix_PlayMusic(music.get(), -1);
    Mix_PauseMusic();
    if (device != 0) SDL_UnlockAudioDevice(device);
    if (played != 0) printMessage("No se pudo reproducir la musica %s: %s\n", path.c_str(), Mix_GetError());
  }

  void resumeMusic() override {
    if (open && music) Mix_ResumeMusic();
  }

  void loadSamples(const std::vector<std::string>& paths) override {
    if (!open) return;
    samples.clear();
    samples.reserve(paths.size());
    for (const std::string& path : paths) samples.push_back(loadSample(path));
  }

  size_t sampleCount() const override { return samples.size(); }

  int32_t playSample(size_t index) override {
    if (!open || index >= samples.size() || !samples[index]) return kNoVoice;
    // No free channel means too many sounds at once: this one is dropped.
    const int channel = Mix_PlayChannel(-1, samples[index].get(), 0);
    return channel < 0 ? kNoVoice : channel;
  }

  void stopSample(int32_t voice, size_t index) override {
    if (!open || voice < 0 || index >= samples.size() || !samples[index]) return;
    if (Mix_Playing(voice) && Mix_GetChunk(voice) == samples[index].get()) Mix_HaltChannel(voice);
  }

  void setVolumes(int musicLevel, int effectsLevel) override {
    if (!open) return;
    Mix_VolumeMusic(mixerVolume(kMusicVolume, musicLevel));
    Mix_Volume(-1, mixerVolume(kEffectVolume, effectsLevel));
  }

  // Frees the music and the samples while the device is still open; the
  // output does nothing afterwards, even if someone still holds it.
  void release() {
    music.reset();
    samples.clear();
    open = false;
  }

 private:
  static ChunkHandle loadSample(const std::string& path) {
    // Opened here rather than by Mix_LoadWAV, which would replace the reason a
    // file cannot be opened with a complaint about its own argument.
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    ChunkHandle chunk(file ? Mix_LoadWAV_RW(file, 1) : nullptr);
    if (!chunk) printMessage("No se pudo cargar el sonido %s: %s\n", path.c_str(), Mix_GetError());
    return chunk;
  }

  SDL_AudioDeviceID device;
  bool open = true;
  MusicHandle music;
  std::vector<ChunkHandle> samples;
};

std::shared_ptr<SoundSystem>& installedSystem() {
  static std::shared_ptr<SoundSystem> system;
  return system;
}

// Set when a device could not be opened: the game stays silent until
// shutdownSound rather than trying again (and saying so again).
bool& deviceMissing() {
  static bool missing = false;
  return missing;
}

void reportNoDevice(const char* reason) {
  deviceMissing() = true;
  printMessage("No se pudo abrir el dispositivo de sonido: %s; el juego sigue sin sonido\n", reason);
}

}  // namespace

void initSound() {
  std::shared_ptr<SoundSystem>& system = installedSystem();
  if (system || deviceMissing()) return;
  // SDL would otherwise take over SIGINT and SIGTERM and turn them into quit
  // events that nobody reads: Ctrl+C and kill would no longer end the game.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    reportNoDevice(SDL_GetError());
    return;
  }
  const std::vector<SDL_AudioDeviceID> before = openDevices();
  if (Mix_OpenAudio(kFrequency, MIX_DEFAULT_FORMAT, kOutputChannels, kBufferFrames) != 0) {
    reportNoDevice(Mix_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  Mix_AllocateChannels(kMixingChannels);
  system = std::make_shared<SoundSystem>(deviceOpenedSince(before));
  // The output takes the player's volumes as it is installed; channels take
  // theirs when they are allocated, so this comes after.
  setSoundOutput(system);
}

void shutdownSound() {
  deviceMissing() = false;
  std::shared_ptr<SoundSystem>& system = installedSystem();
  if (!system) return;
  system->release();
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  // The last subsystem out also closes SDL's own connections (D-Bus).
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
  if (&soundOutput() == system.get()) setSoundOutput(nullptr);
  system.reset();
}
