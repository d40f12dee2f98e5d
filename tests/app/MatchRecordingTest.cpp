// Recordings of matches: the file round trip, files that are not recordings,
// the replay folder that keeps the newest, and the game recording a match.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/GameFolders.h"
#include "app/match/MatchRecording.h"
#include "support/TempDirectory.h"

namespace {

// Doubles with people on slots 0 and 3 (slot 3 on key set 0 as well) and
// the computer on the others: slot 0 presses and holds hit, slot 3 taps dive
// between two steps, Escape is held a long while, then slot 0 holds hit
// again without a press being seen (the step before was paused).
MatchRecording sample() {
  MatchRecording recording{true, 3, 6, {{{1, 0}, {2, 4}, {3, 9}, {4, 0}}}, 0xdeadbeef, "Ana 1 [6 2] 30 - Bea 0 [3 1] 15", {}};
  const uint8_t hit = playerKeyBit(KeyHit);
  StepInput pressHit, holdHit, tapDive, escape;
  pressHit.slots[0] = {hit, hit};
  holdHit.slots[0] = {hit, 0};
  tapDive.slots[3] = {0, playerKeyBit(KeyDive)};
  escape.matchKeys = kMatchKeyEscape;
  recording.runs = {{pressHit, 1}, {holdHit, 127}, {tapDive, 1}, {escape, 70'000}, {holdHit, 128}};
  return recording;
}

std::string decodeOutput(const std::string& bytes, std::optional<MatchRecording>& decoded) {
  testing::internal::CaptureStdout();
  decoded = decodeRecording(bytes, "r.zrec");
  return testing::internal::GetCapturedStdout();
}

TEST(MatchRecordingTest, WhatIsWrittenReadsBackTheSameAndAppendPacksRepeatedSteps) {
  const MatchRecording recording = sample();
  const std::string bytes = encodeRecording(recording);
  // Header and score, then runs of length, match keys and a byte a person:
  // the press that starts a hold costs nothing, the tap and the press that
  // was not seen a byte each, and the last hold starts a run of its own.
  EXPECT_EQ(bytes.size(), 20u + 1 + 31 + (2 + 1 + 2) + (1 + 1 + 1 + 2) + (3 + 1 + 2) + (1 + 1 + 2 + 1) + (1 + 1 + 2));
  std::optional<MatchRecording> decoded;
  EXPECT_EQ(decodeOutput(bytes, decoded), "");
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, recording);
  EXPECT_EQ(decoded->stepCount(), 70'257);

  MatchRecording appended;
  for (const InputRun& run : recording.runs) {
    for (int64_t i = 0; i < run.steps; ++i) appended.append(run.input);
  }
  EXPECT_EQ(appended.runs, recording.runs);
}

TEST(MatchRecordingTest, EveryBrokenFileIsOneLineNamingItAndNoRecording) {
  const std::string good = encodeRecording(sample());
  const size_t runs = 21 + sample().finalScore.size();  // where the first run starts
  const std::string runsAt = "byte " + std::to_string(runs);
  const auto with = [&](size_t at, std::string bytes) { return good.substr(0, at) + bytes + good.substr(at + bytes.size()); };
  const struct {
    const char* what;
    std::string bytes;
    std::string says;
  } cases[] = {
      {"empty", "", "no es una grabacion"},
      {"another kind of file", "ZRAC" + good.substr(4), "no es una grabacion"},
      {"another version", with(4, "\x02"), "version 2"},
      {"header cut short", good.substr(0, 12), "byte 12: el archivo se corta"},
      {"run cut short", good.substr(0, good.size() - 1), "se corta"},
      {"no sets", with(6, std::string(1, '\0')), "byte 6: valor fuera de rango"},
      {"controller beyond the levels", with(11, "\x0a"), "byte 11: valor fuera de rango"},
      {"score cut short", good.substr(0, 30), "byte 30: el archivo se corta"},
      {"a seventh control", with(runs + 3, "\x50"), "byte " + std::to_string(runs + 3) + ": valor fuera de rango"},
      {"more presses that are none", with(runs + 3, "\x90"), "byte " + std::to_string(runs + 4) + ": valor fuera de rango"},
      {"a run of no steps", with(runs, std::string(1, '\0')), runsAt + ": una racha sin pasos"},
      {"more steps than a match", good.substr(0, runs) + "\xff\xff\xff\x01", runsAt + ": demasiados pasos"},
      {"a length that never ends", good.substr(0, runs) + std::string(11, '\xff'), runsAt + ": longitud no valida"},
  };
  for (const auto& c : cases) {
    std::optional<MatchRecording> decoded;
    const std::string output = decodeOutput(c.bytes, decoded);
    EXPECT_FALSE(decoded) << c.what;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << c.what << ": " << output;
    EXPECT_NE(output.find("r.zrec"), std::string::npos) << c.what;
    EXPECT_NE(output.find(c.says), std::string::npos) << c.what << ": " << output;
  }
}

TEST(MatchRecordingTest, TheReplayFolderFollowsXdgAndKeepsTheNewestTwenty) {
  TempDirectory home;
  const std::string realHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", home.path().c_str(), 1);
  setenv("XDG_DATA_HOME", "relative/data", 1);  // not absolute: ignored
  EXPECT_EQ(replayFolder(), home.path() / ".local/share/zumbolo/replays");
  setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
  const std::filesystem::path folder = replayFolder();
  EXPECT_EQ(folder, home.path() / "data/zumbolo/replays");

  home.write("data/zumbolo/replays/notes.txt", "mine");
  for (int i = 0; i < 25; ++i) {
    const std::string stamp = "20261208-2100" + std::to_string(10 + i);
    ASSERT_EQ(saveRecording(sample(), folder, stamp), folder / ("match-" + stamp + ".zrec"));
  }
  EXPECT_TRUE(std::filesystem::exists(folder / "notes.txt"));
  EXPECT_FALSE(std::filesystem::exists(folder / "match-20261208-210014.zrec"));
  EXPECT_EQ(loadRecording(folder / "match-20261208-210015.zrec"), sample());
  size_t kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) kept += entry.path().extension() == ".zrec";
  EXPECT_EQ(kept, kKeptRecordings);
  // The same second twice, a folder that is a file, a file that is not there.
  EXPECT_EQ(saveRecording(sample(), folder, "20261208-210034"), folder / "match-20261208-210034-2.zrec");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(saveRecording(sample(), folder / "notes.txt", "20261208-210035"));
  EXPECT_FALSE(loadRecording(folder / "gone.zrec"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "No se puede guardar la grabacion " +
                                                        (folder / "notes.txt/match-20261208-210035.zrec").string() +
                                                        "\nNo se puede abrir la grabacion " +
                                                        (folder / "gone.zrec").string() + "\n");
  unsetenv("HOME");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(replayFolder(), std::filesystem::path());
  setenv("HOME", realHome.c_str(), 1);
}

}  // namespace
