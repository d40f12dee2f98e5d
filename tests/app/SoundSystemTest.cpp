// The mixer's output, heard through SDL's "disk" driver: it writes the mixed
// output, in real time, to a raw file that the tests read back once the device
// is closed. The test sounds are small PCM WAV files made here.

#include "app/SoundSystem.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/Random.h"
#include "engine/Sound.h"
#include "support/TempDirectory.h"

namespace {

constexpr int kWavRate = 44100;
constexpr int kWavChannels = 2;
constexpr int16_t kFullScale = 32767;

void appendLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// A 16-bit stereo PCM WAV at 44.1 kHz; `frame` gives the sample of frame i
// (the same on both channels).
template <typename Frame>
std::string wav(double seconds, Frame frame) {
  const uint32_t frames = static_cast<uint32_t>(seconds * kWavRate);
  const uint32_t dataBytes = frames * kWavChannels * 2;
  std::string out = "RIFF";
  appendLittleEndian(out, 36 + dataBytes, 4);
  out += "WAVEfmt ";
  appendLittleEndian(out, 16, 4);
  appendLittleEndian(out, 1, 2);  // PCM
  appendLittleEndian(out, kWavChannels, 2);
  appendLittleEndian(out, kWavRate, 4);
  appendLittleEndian(out, kWavRate * kWavChannels * 2, 4);
  appendLittleEndian(out, kWavChannels * 2, 2);
  appendLittleEndian(out, 16, 2);
  out += "data";
  appendLittleEndian(out, dataBytes, 4);
  for (uint32_t i = 0; i < frames; ++i) {
    const uint16_t sample = static_cast<uint16_t>(frame(i));
    for (int channel = 0; channel < kWavChannels; ++channel) appendLittleEndian(out, sample, 2);
  }
  return out;
}

// A 441 Hz square wave: loud enough to be told from silence at any volume.
std::string tone(double seconds, int16_t amplitude = 8000) {
  return wav(seconds, [amplitude](uint32_t i) {
    return (i / 50) % 2 == 0 ? amplitude : static_cast<int16_t>(-amplitude);
  });
}

// A constant level: what the mixer makes of it shows each source's share of
// the output without any question of phase.
std::string level(double seconds, int16_t value) {
  return wav(seconds, [value](uint32_t) { return value; });
}

const std::vector<std::string> kEffectFiles = {
    "sounds/ball00.wav",  "sounds/ball01.wav",  "sounds/ball02.wav",
    "sounds/cheer00.wav", "sounds/cheer01.wav", "sounds/cheer02.wav",
};

size_t lineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// Sets an environment variable for one test and puts back what was there.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name(name) {
    if (const char* old = std::getenv(name)) previous = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (previous) {
      setenv(name, previous->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name;
  std::optional<std::string> previous;
};

class SoundSystemTest : public ::testing::Test {
 protected:
  void TearDown() override {
    shutdownSound();
    setRandomState(savedRandomState);
  }

  // Opens the device on the disk driver and checks that it writes what the
  // tests read: 16-bit little-endian samples.
  void startSound() {
    initSound();
    int channels = 0;
    Uint16 format = 0;
    ASSERT_NE(Mix_QuerySpec(&frequency, &format, &channels), 0) << "the disk driver did not open";
    ASSERT_EQ(format, AUDIO_S16LSB);
    bytesPerSecond = static_cast<uintmax_t>(frequency) * static_cast<uintmax_t>(channels) * 2;
  }

  uintmax_t writtenBytes() const {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(outputFile, error);
    return error ? 0 : size;
  }

  // Waits until the driver has written `milliseconds` more of output (it
  // writes in real time), or gives up after a generous deadline on a busy
  // machine; the checks then decide.
  void waitForOutput(int milliseconds) const {
    const uintmax_t target = writtenBytes() + bytesPerSecond * static_cast<uintmax_t>(milliseconds) / 1000;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(10 * milliseconds);
    while (writtenBytes() < target && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // Closes the device, which flushes the file, and returns every sample written.
  std::vector<int16_t> finishOutput() {
    shutdownSound();
    std::ifstream in(outputFile, std::ios::binary);
    std::vector<int16_t> samples;
    unsigned char bytes[2];
    while (in.read(reinterpret_cast<char*>(bytes), 2)) {
      samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8))));
    }
    return samples;
  }

  static bool isSilent(const std::vector<int16_t>& samples) {
    return std::all_of(samples.begin(), samples.end(), [](int16_t sample) { return sample == 0; });
  }

  double trailingSilenceMs(const std::vector<int16_t>& samples) const {
    const auto lastSound = std::find_if(samples.rbegin(), samples.rend(), [](int16_t sample) { return sample != 0; });
    const auto silent = static_cast<double>(lastSound - samples.rbegin());
    return silent * 2 * 1000 / static_cast<double>(bytesPerSecond);
  }

  void writeEffects() const {
    for (const std::string& file : kEffectFiles) folder.write(file, tone(0.5));
  }

  TempDirectory folder;
  ScopedWorkingDirectory workingDirectory{folder.path()};
  std::filesystem::path outputFile = folder.path() / "output.raw";
  ScopedEnvironment driver{"SDL_AUDIODRIVER", "disk"};
  ScopedEnvironment diskFile{"SDL_DISKAUDIOFILE", outputFile.string()};
  uint32_t savedRandomState = randomState();
  int frequency = 0;
  uintmax_t bytesPerSecond = 0;
};

// One output second is 44100 frames of two samples: a short wait still
// writes thousands of samples, so an all-zero file means real silence.
constexpr size_t kSamplesInTenMs = kWavRate * kWavChannels / 100;

TEST_F(SoundSystemTest, ResumedMusicIsHeard) {
  folder.write("sounds/Menu.wav", tone(0.25));
  startSound();
  playMusic("sounds/Menu.wav");
  resumeMusic();
  waitForOutput(200);
  EXPECT_FALSE(isSilent(finishOutput()));
}

TEST_F(SoundSystemTest, MusicStaysSilentUntilResumed) {
  folder.write("sounds/Menu.wav", tone(0.25));
  startSound();
  playMusic("sounds/Menu.wav");
  waitForOutput(200);
  const std::vector<int16_t> samples = finishOutput();
  ASSERT_GT(samples.size(), kSamplesInTenMs);
  EXPECT_TRUE(isSilent(samples));
}

TEST_F(SoundSystemTest, PlayedEffectIsHeard) {
  writeEffects();
  startSound();
  loadEffects(kEffectSetMatch);
  playEffect(kRandomBallSound);
  waitForOutput(150);
  EXPECT_FALSE(isSilent(finishOutput()));
}

TEST_F(SoundSystemTest, LoadedEffectsAreNotPlayedUnasked) {
  writeEffects();
  startSound();
  loadEffects(kEffectSetMatch);
  waitForOutput(150);
  const std::vector<int16_t> samples = finishOutput();
  ASSERT_GT(samples.size(), kSamplesInTenMs);
  EXPECT_TRUE(isSilent(samples));
}

TEST_F(SoundSystemTest, EffectOutsideTheListPlaysNothing) {
  writeEffects();
  startSound();
  loadEffects(kEffectSetMatch);
  playEffect(6);
  playEffect(99);
  soundOutput().playSample(1000);
  waitForOutput(150);
  const std::vector<int16_t> samples = finishOutput();
  ASSERT_GT(samples.size(), kSamplesInTenMs);
  EXPECT_TRUE(isSilent(samples));
}

TEST_F(SoundSystemTest, LoadingEffectsTwiceLeavesSixThatPlay) {
  writeEffects();
  startSound();
  loadEffects(kEffectSetMatch);
  loadEffects(kEffectSetMatch);
  EXPECT_EQ(soundOutput().sampleCount(), 6u);
  playEffect(5);
  waitForOutput(150);
  EXPECT_FALSE(isSilent(finishOutput()));
}

TEST_F(SoundSystemTest, OtherEffectSetEmptiesTheList) {
  writeEffects();
  startSound();
  loadEffects(kEffectSetMatch);
  loadEffects(2);
  EXPECT_EQ(soundOutput().sampleCount(), 0u);
  playEffect(0);
  waitForOutput(150);
  EXPECT_TRUE(isSilent(finishOutput()));
}

TEST_F(SoundSystemTest, MissingEffectKeepsItsSlotSilentAndPrintsOneLine) {
  writeEffects();
  std::filesystem::remove(folder.path() / "sounds/ball01.wav");
  startSound();
  testing::internal::CaptureStdout();
  loadEffects(kEffectSetMatch);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(lineCount(printed), 1u) << printed;
  EXPECT_NE(printed.find("sounds/ball01.wav"), std::string::npos) << printed;
  EXPECT_EQ(soundOutput().sampleCount(), 6u);
  playEffect(1);
  waitForOutput(150);
  const std::vector<int16_t> samples = finishOutput();
  ASSERT_GT(samples.size(), kSamplesInTenMs);
  EXPECT_TRUE(isSilent(samples));
}

TEST_F(SoundSystemTest, UndecodableEffectPrintsOneLineNamingIt) {
  writeEffects();
  folder.write("sounds/cheer01.wav", "RIFF this is no sound");
  startSound();
  testing::internal::CaptureStdout();
  loadEffects(kEffectSetMatch);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(lineCount(printed), 1u) << printed;
  EXPECT_NE(printed.find("sounds/cheer01.wav"), std::string::npos) << printed;
  EXPECT_EQ(soundOutput().sampleCount(), 6u);
}

TEST_F(SoundSystemTest, EffectsAfterAMissingOneKeepTheirIndex) {
  writeEffects();
  std::filesystem::remove(folder.path() / "sounds/ball00.wav");
  startSound();
  testing::internal::CaptureStdout();
  loadEffects(kEffectSetMatch);
  testing::internal::GetCapturedStdout();
  playEffect(1);
  waitForOutput(150);
  EXPECT_FALSE(isSilent(finishOutput()));
}

TEST_F(SoundSystemTest, SecondMusicStopsTheFirst) {
  folder.write("sounds/Menu.wav", tone(0.25));
  folder.write("sounds/MatchIntro.wav", tone(0.25, 12000));
  startSound();
  playMusic("sounds/Menu.wav");
  resumeMusic();
  waitForOutput(150);
  // The new music is not resumed: from here on nothing may sound.
  playMusic("sounds/MatchIntro.wav");
  waitForOutput(250);
  const std::vector<int16_t> samples = finishOutput();
  EXPECT_FALSE(isSilent(samples));
  // The file may hold some tens of milliseconds mixed before the switch.
  EXPECT_GE(trailingSilenceMs(samples), 100.0);
}

TEST_F(SoundSystemTest, MissingMusicPrintsOneLineAndStopsTheOldOne) {
  folder.write("sounds/Menu.wav", tone(0.25));
  startSound();
  playMusic("sounds/Menu.wav");
  resumeMusic();
  waitForOutput(150);
  testing::internal::CaptureStdout();
  playMusic("sounds/InGame.mp3");
  resumeMusic();
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(lineCount(printed), 1u) << printed;
  EXPECT_NE(printed.find("sounds/InGame.mp3"), std::string::npos) << printed;
  waitForOutput(250);
  const std::vector<int16_t> samples = finishOutput();
  EXPECT_FALSE(isSilent(samples));
  EXPECT_GE(trailingSilenceMs(samples), 100.0);
}

TEST_F(SoundSystemTest, MusicUnderThreeEffectsDoesNotClip) {
  // Every file at full scale, so that any headroom comes from the volumes.
  folder.write("sounds/InGame.wav", level(0.5, kFullScale));
  for (const std::string& file : kEffectFiles) folder.write(file, level(1.0, kFullScale));
  startSound();
  loadEffects(kEffectSetMatch);
  playMusic("sounds/InGame.wav");
  resumeMusic();
  waitForOutput(80);
  playEffect(0);
  waitForOutput(80);
  playEffect(1);
  playEffect(2);
  waitForOutput(150);
  const std::vector<int16_t> samples = finishOutput();

  std::set<int16_t> levels;
  for (int16_t sample : samples) {
    if (sample != 0) levels.insert(sample);
  }
  // Music alone, music with one effect, and the loudest mix at least.
  ASSERT_GE(levels.size(), 3u);
  const int music = *levels.begin();
  const int oneEffect = *std::next(levels.begin()) - music;
  const int loudest = *levels.rbegin();
  EXPECT_GT(music, 0);
  EXPECT_GE(loudest - music, 3 * oneEffect - 3) << "three effects did not overlap";
  EXPECT_LT(loudest, kFullScale) << "the mix clipped";
}

TEST_F(SoundSystemTest, ShutdownRestoresTheSilentOutput) {
  startSound();
  testing::internal::CaptureStdout();
  playMusic("sounds/Menu.mp3");
  const std::string whileOpen = testing::internal::GetCapturedStdout();
  EXPECT_EQ(lineCount(whileOpen), 1u) << whileOpen;

  shutdownSound();
  EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
  testing::internal::CaptureStdout();
  playMusic("sounds/Menu.mp3");
  resumeMusic();
  loadEffects(kEffectSetMatch);
  playEffect(kRandomCheerSound);
  shutdownSound();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(SoundSystemTest, SoundCanBeStartedAgainAfterShutdown) {
  folder.write("sounds/Menu.wav", tone(0.25));
  startSound();
  shutdownSound();
  std::filesystem::remove(outputFile);
  startSound();
  playMusic("sounds/Menu.wav");
  resumeMusic();
  waitForOutput(150);
  EXPECT_FALSE(isSilent(finishOutput()));
}

TEST_F(SoundSystemTest, NoDeviceLeavesEveryCallHarmless) {
  ScopedEnvironment noDriver("SDL_AUDIODRIVER", "zumbolo-no-such-driver");
  testing::internal::CaptureStdout();
  initSound();
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(lineCount(printed), 1u) << printed;
  EXPECT_EQ(printed.rfind("No se pudo abrir el dispositivo de sonido", 0), 0u) << printed;
  EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);

  // None of these files exists: an open output would print a line for each.
  testing::internal::CaptureStdout();
  playMusic("sounds/Menu.mp3");
  resumeMusic();
  loadEffects(kEffectSetMatch);
  playEffect(kRandomBallSound);
  playEffect(kRandomCheerSound);
  playEffect(3);
  shutdownSound();
  shutdownSound();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
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
