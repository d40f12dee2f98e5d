#include "engine/Sound.h"

#include <algorithm>

#include "engine/Random.h"

namespace {

class SilentOutput : public SoundOutput {
 public:
  void playMusic(const std::string&) override {}
  void resumeMusic() override {}
  void loadSamples(const std::vector<std::string>& paths) override { count = paths.size(); }
  size_t sampleCount() const override { return count; }
  int32_t playSample(size_t) override { return kNoVoice; }
  void stopSample(int32_t, size_t) override {}
  void setVolumes(int, int) override {}

 private:
  size_t count = 0;
};

std::shared_ptr<SoundOutput>& currentOutput() {
  static std::shared_ptr<SoundOutput> output = std::make_shared<SilentOutput>();
  return output;
}

const std::vector<std::string> kMatchEffects = {
    "sounds/ball00.wav",  "sounds/ball01.wav",  "sounds/ball02.wav",
    "sounds/cheer00.wav", "sounds/cheer01.wav", "sounds/cheer02.wav",
};
constexpr int kFirstCheer = 3;

struct Volumes {
  int music = kLoudestVolume;
  int effects = kLoudestVolume;
};
Volumes& volumes() {
  static Volumes levels;
  return levels;
}
constexpr int kChoices = 3;

}  // namespace

std::shared_ptr<SoundOutput> setSoundOutput(std::shared_ptr<SoundOutput> output) {
  std::shared_ptr<SoundOutput> previous = currentOutput();
  currentOutput() = output ? std::move(output) : std::make_shared<SilentOutput>();
  currentOutput()->setVolumes(volumes().music, volumes().effects);
  return previous;
}

SoundOutput& soundOutput() { return *currentOutput(); }

void playMusic(const std::string& path) { soundOutput().playMusic(path); }

void resumeMusic() { soundOutput().resumeMusic(); }

void loadEffects(int set) {
  soundOutput().loadSamples(set == kEffectSetMatch ? kMatchEffects : std::vector<std::string>{});
}

int effectIndex(int id) {
  if (id != kRandomBallSound && id != kRandomCheerSound) return id;
  int k = kChoices * nextRandom() / kRandomMax;
  if (k > kChoices - 1) k = kChoices - 1;
  return id == kRandomBallSound ? k : kFirstCheer + k;
}

void playEffect(int id) {
  const int index = effectIndex(id);
  if (index >= 0) soundOutput().playSample(static_cast<size_t>(index));
}

void setVolumes(int musicLevel, int effectsLevel) {
  volumes() = {std::clamp(musicLevel, 0, kLoudestVolume), std::clamp(effectsLevel, 0, kLoudestVolume)};
  soundOutput().setVolumes(volumes().music, volumes().effects);
}

int musicVolume() { return volumes().music; }

int effectsVolume() { return volumes().effects; }
