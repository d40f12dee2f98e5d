// The real game started in an empty folder on the virtual display, as a new
// player would start it: it writes its default settings, opens its window and
// plays the menu music.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <lame/lame.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "support/TempDirectory.h"

namespace {

using namespace std::chrono_literals;

// One second of a 440 Hz tone, encoded as MP3 like the game's music.
std::string toneMp3() {
  constexpr int kRate = 44100;
  std::vector<int16_t> samples(kRate);
  for (int i = 0; i < kRate; ++i) samples[i] = static_cast<int16_t>(12000 * std::sin(i * 2 * M_PI * 440 / kRate));
  lame_t encoder = lame_init();
  lame_set_num_channels(encoder, 1);
  lame_set_in_samplerate(encoder, kRate);
  lame_set_mode(encoder, MONO);
  lame_init_params(encoder);
  std::vector<unsigned char> mp3(kRate * 2 + 7200);
  int bytes = lame_encode_buffer(encoder, samples.data(), samples.data(), kRate, mp3.data(), static_cast<int>(mp3.size()));
  bytes += lame_encode_flush(encoder, mp3.data() + bytes, static_cast<int>(mp3.size()) - bytes);
  lame_close(encoder);
  return std::string(mp3.begin(), mp3.begin() + bytes);
}

class RunningGame {
 public:
  RunningGame(const std::filesystem::path& folder, const std::filesystem::path& audioFile) {
    const std::string executable = std::string(std::getenv("ZUMBOLO_RUN_DIR")) + "/zumbolo";
    const std::string output = (folder / "stdout.txt").string();
    pid = fork();
    if (pid == 0) {
      if (chdir(folder.c_str()) != 0 || !std::freopen(output.c_str(), "w", stdout)) _exit(127);
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", audioFile.c_str(), 1);
      execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~RunningGame() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  bool stillRunning() const { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

 private:
  pid_t pid = -1;
};

bool windowNamed(const std::string& title) {
  return std::system(("xdotool search --name '^" + title + "$' >/dev/null 2>&1").c_str()) == 0;
}

bool anySoundIn(const std::filesystem::path& rawFile) {
  std::ifstream in(rawFile, std::ios::binary);
  int16_t sample = 0;
  while (in.read(reinterpret_cast<char*>(&sample), sizeof sample)) {
    if (std::abs(sample) > 1000) return true;
  }
  return false;
}

TEST(FirstRunTest, WritesDefaultsOpensTheWindowAndPlaysTheMenuMusic) {
  ASSERT_NE(std::getenv("ZUMBOLO_RUN_DIR"), nullptr);
  TempDirectory folder;
  folder.write("sounds/Menu.mp3", toneMp3());
  const auto audio = folder.path() / "audio.raw";
  RunningGame game(folder.path(), audio);

  bool windowOpen = false;
  for (int i = 0; i < 100 && !windowOpen; ++i) {
    std::this_thread::sleep_for(100ms);
    windowOpen = windowNamed("Zumbolo");
  }
  EXPECT_TRUE(windowOpen);
  std::this_thread::sleep_for(1500ms);
  EXPECT_TRUE(game.stillRunning());
  EXPECT_EQ(folder.read("config.ini"),
            "LANG ES\nRESOLUTION 1024 768 32 60\nWINDOWED 0\nP1_KEYS 359 357 356 358 109 110\n"
            "P2_KEYS 100 101 115 102 97 113\nP3_KEYS 106 117 104 107 103 116\nP4_KEYS 53 56 52 54 49 50\n");
  EXPECT_TRUE(anySoundIn(audio));
  const std::string output = folder.read("stdout.txt");
  EXPECT_EQ(output.find("glew"), std::string::npos) << output;
  EXPECT_EQ(output.find("shader"), std::string::npos) << output;
}

}  // namespace
