#pragma once
// A sound output that hears nothing and notes every effect played (with the
// volumes it was played at) and stopped, and every change of the volumes,
// for the tests of what the game asks to be heard.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/Sound.h"

class RecordingSound : public SoundOutput {
 public:
  void playMusic(const std::string&) override {}
  void resumeMusic() override {}
  void loadSamples(const std::vector<std::string>& paths) override { loaded = paths.size(); }
  size_t sampleCount() const override { return loaded; }
  // Each effect gets a voice of its own, numbered from 1.
  int32_t playSample(size_t index) override {
    played.push_back(index);
    playedAt.push_back(volumes.empty() ? std::pair{kLoudestVolume, kLoudestVolume} : volumes.back());
    return static_cast<int32_t>(played.size());
  }
  void stopSample(int32_t voice, size_t index) override { stopped.emplace_back(voice, index); }
  void setVolumes(int music, int effects) override { volumes.emplace_back(music, effects); }

  std::vector<size_t> played;
  // The music's and the effects' volumes each effect was played at.
  std::vector<std::pair<int, int>> playedAt;
  std::vector<std::pair<int32_t, size_t>> stopped;
  std::vector<std::pair<int, int>> volumes;
  size_t loaded = 0;
};
