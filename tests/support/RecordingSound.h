#pragma once
// A sound output that hears nothing and notes every effect played and
// stopped, for the tests of what the game asks to be heard.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/Sound.h"

class RecordingSound : public SoundOutput {
 public:
  void playMusic(const std::string&) override {}
  void resumeMusic() override {}
  void loadSamples(const std::vector<std::string>&) override {}
  size_t sampleCount() const override { return 0; }
  // Each effect gets a voice of its own, numbered from 1.
  int32_t playSample(size_t index) override {
    played.push_back(index);
    return static_cast<int32_t>(played.size());
  }
  void stopSample(int32_t voice, size_t index) override { stopped.emplace_back(voice, index); }

  std::vector<size_t> played;
  std::vector<std::pair<int32_t, size_t>> stopped;
};
