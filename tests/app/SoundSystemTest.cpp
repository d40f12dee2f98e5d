// The mixer's output, heard through SDL's "disk" driver: it writes the mixed
// output, in real time, to a raw file that the tests read back once the device
// is closed. The test sounds are small PCM WAV files made here.

#include "app/SoundSystem.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/Random.h"
#include "engine/Sound.h"
#include "support/TempDirectory.h"

namespace {

constexpr int kWavRate = 44100;

// Half a second of 16-bit stereo PCM at 44.1 kHz, a 441 Hz square wave the
// same on both channels: loud enough to be told from silence at any volume.
std::string tone() {
  constexpr uint32_t kBytes = kWavRate / 2 * 4;
  std::string out = "RIFF";
  const auto put = [&out](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  };
  put(36 + kBytes, 4);
  out += "WAVEfmt ";
  // Format block size, PCM, two channels, the rate, bytes a second, bytes a frame, bits a sample.
  for (const auto& [value, bytes] : {std::pair{16u, 4}, {1u, 2}, {2u, 2}, {44100u, 4}, {176400u, 4}, {4u, 2}, {16u, 2}})
    put(value, bytes);
  out += "data";
  put(kBytes, 4);
  for (uint32_t i = 0; i < kBytes / 4; ++i) put(static_cast<uint16_t>((i / 50) % 2 ? -8000 : 8000) * 0x10001u, 4);
  return out;
}

enum class Heard { Nothing, ToTheEnd, ThenSilence };

class SoundSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", outputFile.c_str(), 1);
  }
  void TearDown() override {
    shutdownSound();
    setenv("SDL_AUDIODRIVER", "dummy", 1);  // no sound card, as for every other test
    setRandomState(savedRandomState);
  }

  // Opens the device on the disk driver, writing what the tests read: 16-bit little-endian samples.
  void startSound() {
    std::filesystem::remove(outputFile);
    initSound();
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_TRUE(Mix_QuerySpec(&frequency, &format, &channels) != 0 && format == AUDIO_S16LSB);
    bytesPerSecond = static_cast<uintmax_t>(frequency) * static_cast<uintmax_t>(channels) * 2;
  }

  // Waits until the driver has written `milliseconds` more of output (it
  // writes in real time), or gives up after a generous deadline on a busy
  // machine; the checks then decide.
  void waitForOutput(int milliseconds) const {
    const auto written = [this] {
      std::error_code error;
      const uintmax_t size = std::filesystem::file_size(outputFile, error);
      return error ? 0 : size;
    };
    const uintmax_t target = written() + bytesPerSecond * static_cast<uintmax_t>(milliseconds) / 1000;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(10 * milliseconds);
    while (written() < target && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // Closes the device, which flushes the file, and tells what the samples
  // written held: at least some thousands, so that all zeros mean silence.
  Heard finishOutput() {
    shutdownSound();
    std::ifstream in(outputFile, std::ios::binary);
    std::vector<int16_t> samples;
    unsigned char bytes[2];
    while (in.read(reinterpret_cast<char*>(bytes), 2)) samples.push_back(int16_t(bytes[0] | (bytes[1] << 8)));
    EXPECT_GT(samples.size(), size_t{kWavRate * 2 / 100});
    const auto lastSound = std::find_if(samples.rbegin(), samples.rend(), [](int16_t sample) { return sample != 0; });
    if (lastSound == samples.rend()) return Heard::Nothing;
    // The file may hold some tens of milliseconds mixed before a switch.
    const bool silentAtTheEnd = static_cast<double>(lastSound - samples.rbegin()) * 2 > 0.1 * bytesPerSecond;
    return silentAtTheEnd ? Heard::ThenSilence : Heard::ToTheEnd;
  }

  void writeSounds() const {
    for (const char* name : {"Menu", "ball00", "ball01", "ball02", "cheer00", "cheer01", "cheer02"}) {
      folder.write("sounds/" + std::string(name) + ".wav", tone());
    }
  }

  TempDirectory folder;
  ScopedWorkingDirectory workingDirectory{folder.path()};
  std::filesystem::path outputFile = folder.path() / "output.raw";
  uint32_t savedRandomState = randomState();
  uintmax_t bytesPerSecond = 0;
};

TEST_F(SoundSystemTest, WhatIsHeardIsWhatWasAskedFor) {
  const auto switchMusic = [this](const char* next, bool resumed) {
    return [=, this] {
      playMusic("sounds/Menu.wav");
      resumeMusic();
      waitForOutput(150);
      playMusic(next);
      if (resumed) resumeMusic();
    };
  };
  const auto loadAndPlay = [](int set, int played, size_t loaded) {
    return [=] {
      loadEffects(kEffectSetMatch);
      loadEffects(set);
      EXPECT_EQ(soundOutput().sampleCount(), loaded);
      playEffect(played);
    };
  };
  // A file that cannot be loaded keeps its slot, silent, and the others their index.
  const auto breakAndPlay = [this](const char* file, const char* contents, int played) {
    return [=, this] {
      contents ? (void)folder.write(file, contents) : (void)std::filesystem::remove(folder.path() / file);
      loadEffects(kEffectSetMatch);
      EXPECT_EQ(soundOutput().sampleCount(), 6u);
      playEffect(played);
    };
  };
  const struct {
    const char* what;
    std::function<void()> calls;
    Heard heard;
    std::string named;  // the one line printed names it; empty: nothing printed
  } cases[] = {
      {"music resumed", [] { playMusic("sounds/Menu.wav"); resumeMusic(); }, Heard::ToTheEnd, ""},
      {"music not resumed", [] { playMusic("sounds/Menu.wav"); }, Heard::Nothing, ""},
      {"music after a restart", [this] { shutdownSound(); startSound(); playMusic("sounds/Menu.wav"); resumeMusic(); },
       Heard::ToTheEnd, ""},
      // The old music stops even when the new one cannot be loaded; the new one waits to be resumed.
      {"another music", switchMusic("sounds/MatchIntro.wav", false), Heard::ThenSilence, ""},
      {"missing music", switchMusic("sounds/InGame.mp3", true), Heard::ThenSilence, "sounds/InGame.mp3"},
      {"effects loaded twice", loadAndPlay(kEffectSetMatch, kRandomBallSound, 6), Heard::ToTheEnd, ""},
      {"another effect set", loadAndPlay(2, 0, 0), Heard::Nothing, ""},
      {"outside the list", loadAndPlay(kEffectSetMatch, 6, 6), Heard::Nothing, ""},
      {"missing effect", breakAndPlay("sounds/ball01.wav", nullptr, 1), Heard::Nothing, "sounds/ball01.wav"},
      {"after a missing effect", breakAndPlay("sounds/ball00.wav", nullptr, 1), Heard::ToTheEnd, "sounds/ball00.wav"},
      {"undecodable effect", breakAndPlay("sounds/cheer01.wav", "RIFF no", 4), Heard::Nothing, "sounds/cheer01.wav"},
  };
  folder.write("sounds/MatchIntro.wav", tone());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeSounds();
    startSound();
    testing::internal::CaptureStdout();
    c.calls();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), c.named.empty() ? 0 : 1) << printed;
    if (!c.named.empty()) {
      EXPECT_NE(printed.find(c.named), std::string::npos) << printed;
    }
    waitForOutput(250);
    EXPECT_EQ(finishOutput(), c.heard);
  }
}

// The player's levels are shares of the mix the game was made with, set
// before the device opens or after; effects at level 0 are not heard.
TEST_F(SoundSystemTest, VolumeLevelsReachTheMixerWhenItOpensAndAfter) {
  setVolumes(5, 3);
  writeSounds();
  startSound();
  EXPECT_EQ(Mix_VolumeMusic(-1), 24);  // half of 48
  EXPECT_EQ(Mix_Volume(0, -1), 8);     // 26 * 3 / 10, rounded
  setVolumes(kLoudestVolume, 0);
  EXPECT_EQ(Mix_VolumeMusic(-1), 48);
  EXPECT_EQ(Mix_Volume(Mix_AllocateChannels(-1) - 1, -1), 0);  // every channel, the last too
  loadEffects(kEffectSetMatch);
  playEffect(0);
  waitForOutput(250);
  EXPECT_EQ(finishOutput(), Heard::Nothing);
  setVolumes(kLoudestVolume, kLoudestVolume);
}

TEST_F(SoundSystemTest, WithoutADeviceEveryCallIsHarmless) {
  setenv("SDL_AUDIODRIVER", "zumbolo-no-such-driver", 1);
  testing::internal::CaptureStdout();
  initSound();
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
  // None of these files exists: an open output would print a line for each.
  playMusic("sounds/Menu.mp3");
  resumeMusic();
  loadEffects(kEffectSetMatch);
  playEffect(kRandomCheerSound);
  shutdownSound();
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed.rfind("No se pudo abrir el dispositivo de sonido", 0), 0u) << printed;
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
}

}  // namespace

// With sound started, Ctrl+C and kill still end the game: SDL must not keep
// the signals for quit events that nobody reads.
TEST(SoundSystemDeathTest, TerminationSignalStillEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        initSound();
        std::raise(SIGTERM);
        std::exit(0);
      },
      testing::KilledBySignal(SIGTERM), "");
}
