// The generated effects and music, loaded the way the game loads them (the
// sound system on SDL2_mixer, here on SDL's dummy driver) and decoded by the
// same mixer: they load without a complaint, last as long as their use
// needs, loop without a gap or a click, and never clip when the music plays
// under three effects at the game's volumes.

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/SoundSystem.h"
#include "engine/Sound.h"
#include "support/TempDirectory.h"
#include "tests/content/ModelTestSupport.h"

namespace {

using modeltest::runFolder;

constexpr int kRate = 44100;
const char* const kHits[] = {"sounds/ball00.wav", "sounds/ball01.wav", "sounds/ball02.wav"};
const char* const kCheers[] = {"sounds/cheer00.wav", "sounds/cheer01.wav", "sounds/cheer02.wav"};
const char* const kMusic[] = {"sounds/Menu.mp3", "sounds/MatchIntro.mp3", "sounds/InGame.mp3",
                              "sounds/AndTheWinnerIs.mp3"};

// A sound as the mixer plays it, one vector a channel.
struct Decoded {
  std::vector<int16_t> left;
  std::vector<int16_t> right;
  double seconds() const { return static_cast<double>(left.size()) / kRate; }
};

// A whole file decoded to the mixer's output format, once.
const Decoded& decode(const std::string& relative) {
  static std::map<std::string, Decoded> decoded;
  if (decoded.count(relative)) return decoded[relative];
  Decoded& out = decoded[relative];
  const std::string path = (runFolder() / relative).string();
  std::unique_ptr<Mix_Chunk, decltype(&Mix_FreeChunk)> chunk(Mix_LoadWAV(path.c_str()), Mix_FreeChunk);
  if (!chunk) return out;
  const auto* samples = reinterpret_cast<const int16_t*>(chunk->abuf);
  for (size_t i = 0; i < chunk->alen / 4; ++i) {
    out.left.push_back(samples[2 * i]);
    out.right.push_back(samples[2 * i + 1]);
  }
  return out;
}

double peakOf(const Decoded& sound) {
  int peak = 0;
  for (const auto* channel : {&sound.left, &sound.right}) {
    for (int16_t s : *channel) peak = std::max(peak, std::abs(static_cast<int>(s)));
  }
  return peak / 32768.0;
}

double rms(const std::vector<int16_t>& samples, size_t from, size_t count) {
  double sum = 0;
  for (size_t i = from; i < from + count && i < samples.size(); ++i) {
    sum += static_cast<double>(samples[i]) * samples[i];
  }
  return std::sqrt(sum / static_cast<double>(std::max<size_t>(1, count)));
}

class GeneratedSoundTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { initSound(); }
  static void TearDownTestSuite() { shutdownSound(); }

  void SetUp() override {
    ASSERT_FALSE(runFolder().empty()) << "ZUMBOLO_RUN_DIR is not set";
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1) << "the sound system opened no device";
    ASSERT_EQ(rate, kRate);
    ASSERT_EQ(format, AUDIO_S16SYS);
    ASSERT_EQ(channels, 2);
  }
};

TEST_F(GeneratedSoundTest, EverySoundLoadsAndPlaysWithoutAComplaint) {
  ScopedWorkingDirectory inRunFolder(runFolder());
  testing::internal::CaptureStdout();
  loadEffects(kEffectSetMatch);
  playEffect(kRandomBallSound);
  playEffect(kRandomCheerSound);
  for (const char* name : kMusic) {
    playMusic(name);
    resumeMusic();
    std::unique_ptr<Mix_Music, decltype(&Mix_FreeMusic)> music(Mix_LoadMUS(name), Mix_FreeMusic);
    EXPECT_EQ(music ? Mix_GetMusicType(music.get()) : MUS_NONE, MUS_MP3) << name << ": " << Mix_GetError();
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(soundOutput().sampleCount(), 6u);
}

TEST_F(GeneratedSoundTest, RacketHitsAreShortLoudAndEachItsOwn) {
  std::vector<Decoded> hits;
  for (const char* name : kHits) {
    hits.push_back(decode(name));
    const Decoded& hit = hits.back();
    ASSERT_FALSE(hit.left.empty()) << name << ": " << Mix_GetError();
    EXPECT_GE(hit.seconds(), 0.1) << name;
    EXPECT_LE(hit.seconds(), 0.6) << name;
    EXPECT_GE(peakOf(hit), 0.5) << name;
    // The blow comes at once: the loudest moment within the first 20 ms.
    const auto loudest = std::max_element(hit.left.begin(), hit.left.end(),
                                          [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); });
    EXPECT_LT(loudest - hit.left.begin(), kRate / 50) << name;
  }
  for (size_t a = 0; a < hits.size(); ++a) {
    for (size_t b = a + 1; b < hits.size(); ++b) {
      const size_t n = std::min(hits[a].left.size(), hits[b].left.size());
      double difference = 0;
      for (size_t i = 0; i < n; ++i) difference += std::abs(hits[a].left[i] - hits[b].left[i]);
      EXPECT_GT(difference / static_cast<double>(n), 100.0) << kHits[a] << " sounds like " << kHits[b];
    }
  }
}

TEST_F(GeneratedSoundTest, CheersLastOneAndAHalfToThreeSecondsAndFadeOut) {
  for (const char* name : kCheers) {
    const Decoded& cheer = decode(name);
    ASSERT_FALSE(cheer.left.empty()) << name << ": " << Mix_GetError();
    EXPECT_GE(cheer.seconds(), 1.5) << name;
    EXPECT_LE(cheer.seconds(), 3.0) << name;
    const size_t n = cheer.left.size();
    const double middle = rms(cheer.left, n / 2 - kRate / 20, kRate / 10);
    const double end = rms(cheer.left, n - kRate / 100, kRate / 100);
    EXPECT_GT(middle, 2000.0) << name;
    EXPECT_LT(end, middle / 10) << name << " stops abruptly";
  }
}

// A looping MP3 must decode to exactly its loop: no encoder delay at the
// start and no padding at the end (either would be a gap of silence at every
// repeat), and its last sample must lead into its first as smoothly as its
// neighbours lead into each other.
TEST_F(GeneratedSoundTest, MusicLoopsWithoutGapOrClick) {
  for (const char* name : kMusic) {
    const Decoded& music = decode(name);
    ASSERT_FALSE(music.left.empty()) << name << ": " << Mix_GetError();
    EXPECT_GE(music.seconds(), 20.0) << name;
    EXPECT_LE(music.seconds(), 40.0) << name;
    const size_t n = music.left.size();
    for (const auto* channel : {&music.left, &music.right}) {
      EXPECT_GT(rms(*channel, 0, kRate / 100), 50.0) << name << " starts with silence";
      EXPECT_GT(rms(*channel, n - kRate / 100, kRate / 100), 50.0) << name << " ends with silence";
      const auto at = [&](long i) {
        return static_cast<int>((*channel)[static_cast<size_t>((i + static_cast<long>(n)) % static_cast<long>(n))]);
      };
      int largestNearby = 0;
      for (long i = -300; i < 300; ++i) {
        if (i != 0) largestNearby = std::max(largestNearby, std::abs(at(i) - at(i - 1)));
      }
      EXPECT_LE(std::abs(at(0) - at(-1)), largestNearby) << name << " clicks where it loops";
    }
  }
}

// Music under three effects at the game's volumes never clips, and the
// match music, which plays for minutes under the game's own sounds, stays
// well below the menu music's level.
TEST_F(GeneratedSoundTest, MixLevelsLeaveRoomForEachOther) {
  double musicPeak = 0;
  for (const char* name : kMusic) musicPeak = std::max(musicPeak, peakOf(decode(name)));
  std::vector<double> effectPeaks;
  for (const char* name : kHits) effectPeaks.push_back(peakOf(decode(name)));
  for (const char* name : kCheers) effectPeaks.push_back(peakOf(decode(name)));
  std::sort(effectPeaks.rbegin(), effectPeaks.rend());
  const double musicVolume = Mix_VolumeMusic(-1) / static_cast<double>(MIX_MAX_VOLUME);
  const double effectVolume = Mix_Volume(-1, -1) / static_cast<double>(MIX_MAX_VOLUME);
  EXPECT_LE(musicPeak * musicVolume + (effectPeaks[0] + effectPeaks[1] + effectPeaks[2]) * effectVolume, 1.0);
  EXPECT_GT(musicPeak, 0.3);

  const Decoded& menu = decode("sounds/Menu.mp3");
  const Decoded& match = decode("sounds/InGame.mp3");
  ASSERT_FALSE(menu.left.empty() || match.left.empty());
  EXPECT_LT(rms(match.left, 0, match.left.size()), 0.8 * rms(menu.left, 0, menu.left.size()));
}

}  // namespace
