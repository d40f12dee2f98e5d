// The data that the content program writes into the run folder: every file
// the game asks for is there after a build, the program writes the same
// bytes on every run, and the sounds play through the game's sound system
// (on SDL's dummy driver) and decode with the same mixer.

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/SoundSystem.h"
#include "engine/Sound.h"
#include "support/TempDirectory.h"
#include "tests/content/ModelTestSupport.h"

namespace {

namespace fs = std::filesystem;
using modeltest::runFolder;

// The pictures and fonts the game reads (the sounds are loaded below).
const char* const kGeneratedFiles[] = {
    "imgs/main_menu.tga", "imgs/menu_background.tga", "imgs/menu_match_background.tga", "fonts/menuFont.fnz",
    "fonts/menuFont.tga", "fonts/menuFontSelected.fnz", "fonts/menuFontSelected.tga", "fonts/toon.fnz",
    "fonts/toon.tga"};

// The build puts the content program in its own folder beside the run
// folder; it needs a folder to write into.
int runContent(const std::string& arguments) {
  const fs::path program = runFolder().parent_path() / "content" / "zumbolo-content";
  EXPECT_TRUE(fs::is_regular_file(program)) << program;
  return std::system(("\"" + program.string() + "\" " + arguments).c_str());
}

std::map<std::string, std::string> tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).generic_string()] = readFile(entry);
  }
  return files;
}

TEST(GeneratedFilesTest, EveryFileTheGameReadsIsWrittenWithTheSameBytesOnEveryRun) {
  EXPECT_NE(runContent(">/dev/null 2>&1"), 0);
  TempDirectory first, second;
  int status = -1;
  std::thread other([&] { status = runContent("\"" + first.path().string() + "\""); });
  const int secondStatus = runContent("\"" + second.path().string() + "\"");
  other.join();
  ASSERT_TRUE(status == 0 && secondStatus == 0) << status << ", " << secondStatus;
  const auto a = tree(first.path());
  for (const char* name : kGeneratedFiles) {
    EXPECT_GT(fs::is_regular_file(runFolder() / name) ? fs::file_size(runFolder() / name) : 0, 100u) << name;
    EXPECT_EQ(a.count(name), 1u) << name;
  }
  EXPECT_TRUE(a == tree(second.path())) << "two runs wrote different files";
}

constexpr int kRate = 44100;
const char* const kMusic[] = {"sounds/Menu.mp3", "sounds/MatchIntro.mp3", "sounds/InGame.mp3",
                              "sounds/AndTheWinnerIs.mp3"};

// A whole file decoded to the mixer's output format, one vector a channel.
std::array<std::vector<int16_t>, 2> decode(const std::string& relative) {
  std::array<std::vector<int16_t>, 2> out;
  const std::string path = (runFolder() / relative).string();
  std::unique_ptr<Mix_Chunk, decltype(&Mix_FreeChunk)> chunk(Mix_LoadWAV(path.c_str()), Mix_FreeChunk);
  if (!chunk) return out;
  const auto* samples = reinterpret_cast<const int16_t*>(chunk->abuf);
  for (size_t i = 0; i < chunk->alen / 2; ++i) out[i % 2].push_back(samples[i]);
  return out;
}

// The root mean square of the 10 ms of `samples` from `from` on.
double level(const std::vector<int16_t>& samples, size_t from) {
  double sum = 0;
  for (size_t i = from; i < from + kRate / 100; ++i) sum += static_cast<double>(samples.at(i)) * samples.at(i);
  return std::sqrt(sum / (kRate / 100));
}

class GeneratedSoundTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { initSound(); }
  static void TearDownTestSuite() { shutdownSound(); }

  // The decoding above reads 16-bit stereo at kRate.
  void SetUp() override {
    int rate = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1) << "the sound system opened no device";
    ASSERT_TRUE(rate == kRate && format == AUDIO_S16SYS && channels == 2) << rate << ", " << format << ", " << channels;
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
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(soundOutput().sampleCount(), 6u);
}

// A looping MP3 must decode to exactly its loop: no encoder delay at the
// start and no padding at the end (either would be a gap of silence at every
// repeat), and its last sample must lead into its first as smoothly as its
// neighbours lead into each other.
TEST_F(GeneratedSoundTest, MusicLoopsWithoutGapOrClick) {
  for (const char* name : kMusic) {
    const auto music = decode(name);
    const long n = static_cast<long>(music[0].size());
    ASSERT_GT(n, 0) << name << ": " << Mix_GetError();
    EXPECT_TRUE(n >= 20 * kRate && n <= 40 * kRate) << name << ": " << n << " samples";
    for (const std::vector<int16_t>& channel : music) {
      EXPECT_GT(level(channel, 0), 50.0) << name << " starts with silence";
      EXPECT_GT(level(channel, static_cast<size_t>(n) - kRate / 100), 50.0) << name << " ends with silence";
      const auto at = [&](long i) { return static_cast<int>(channel[static_cast<size_t>((i + n) % n)]); };
      int largestNearby = 0;
      for (long i = -300; i < 300; ++i) {
        if (i != 0) largestNearby = std::max(largestNearby, std::abs(at(i) - at(i - 1)));
      }
      EXPECT_LE(std::abs(at(0) - at(-1)), largestNearby) << name << " clicks where it loops";
    }
  }
}

}  // namespace
