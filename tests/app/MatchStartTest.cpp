// Starting a match from the Application: what the match scene holds and in
// which order, the players the set-up asked for, the music of each part,
// and a match on the game's own data played through its introduction.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/DoublesMatch.h"
#include "app/Keyboard.h"
#include "app/MatchSetup.h"
#include "app/Settings.h"
#include "app/SinglesMatch.h"
#include "engine/Sound.h"
#include "support/TempDirectory.h"

namespace {

class MusicRecorder : public SoundOutput {
 public:
  void playMusic(const std::string& path) override { music.push_back(path); }
  void resumeMusic() override {}
  void loadSamples(const std::vector<std::string>& paths) override { samples = paths; }
  size_t sampleCount() const override { return samples.size(); }
  void playSample(size_t) override {}
  std::vector<std::string> music;
  std::vector<std::string> samples;
};

bool hasObject(const Scene& scene, const std::string& name) {
  for (const auto& object : scene.objects()) {
    if (object->name() == name) return true;
  }
  return false;
}

class MatchStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    releaseAllKeys();
    settings = SettingsValues{};
    settings.language = "XX";
    settings.keySets[1] = {1, 2, 3, 4, 5, 6};
    matchSetup = MatchSetup{};
    stepAccumulator = 0;
    setMenuTextureFactory(textures);
    setMatchTextureFactory(textures);
  }
  void TearDown() override {
    // The Application's own output back first: its shutdown takes it down.
    if (app) setSoundOutput(previousOutput);
    app.reset();
    setMenuTextureFactory(nullptr);
    setMatchTextureFactory(nullptr);
    releaseAllKeys();
    matchSetup = MatchSetup{};
  }

  void startIn(const std::filesystem::path& folder, MenuScreen request) {
    inside = std::make_unique<ScopedWorkingDirectory>(folder);
    app = std::make_unique<Application>(clock);
    previousOutput = setSoundOutput(recorder);
    // The main menu resets the slots: the players choose after it is built.
    matchSetup.slots[0] = {1, 4};
    matchSetup.slots[1] = {4, 1};
    matchSetup.slots[2] = {2, 9};
    matchSetup.slots[3] = {3, 7};
    app->currentMenu()->goToScreen(request);
    frameAfter(0);
  }
  void frameAfter(uint32_t ms) {
    clock->advance(ms);
    app->frame();
  }

  std::shared_ptr<RecordingTextureFactory> textures = std::make_shared<RecordingTextureFactory>();
  std::shared_ptr<MusicRecorder> recorder = std::make_shared<MusicRecorder>();
  std::shared_ptr<SoundOutput> previousOutput;
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(5000);
  TempDirectory folder;
  std::unique_ptr<ScopedWorkingDirectory> inside;
  std::unique_ptr<Application> app;
};

TEST_F(MatchStartTest, SinglesSceneHoldsCamerasOverlaysAndTheChosenPlayers) {
  startIn(folder.path(), StartSingles);
  ASSERT_EQ(app->currentPhase(), InMatch);
  const Scene& scene = *app->currentScene();
  EXPECT_TRUE(hasObject(scene, "Camera0"));
  EXPECT_TRUE(hasObject(scene, "FixedCamera"));
  EXPECT_TRUE(hasObject(scene, "FixedRotateCamera"));
  EXPECT_FALSE(hasObject(scene, "OnGameCamera"));  // no stadium, no "Camera01"
  EXPECT_EQ(scene.camera()->name(), "Camera0");

  // Menu, scoreboard, message, fade: the fade covers everything before it.
  std::vector<std::shared_ptr<Overlay>> overlays(scene.overlays().begin(), scene.overlays().end());
  ASSERT_EQ(overlays.size(), 4u);
  EXPECT_EQ(overlays[0], app->currentMenu());
  EXPECT_TRUE(std::dynamic_pointer_cast<MatchScore>(overlays[1]));
  EXPECT_TRUE(std::dynamic_pointer_cast<TimedMessage>(overlays[2]));
  EXPECT_TRUE(std::dynamic_pointer_cast<ScreenFade>(overlays[3]));
  EXPECT_EQ(app->currentMenu()->screen(), Playing);
  EXPECT_EQ(scene.effectTemplates().size(), 3u);

  const auto match = std::dynamic_pointer_cast<SinglesMatch>(app->currentMatch());
  ASSERT_TRUE(match);
  EXPECT_EQ(match->playerName(0), "Vazuvodod");
  EXPECT_EQ(match->playerName(1), "Doredu");
  EXPECT_EQ(match->player(1)->keyCodes(), (KeySet{1, 2, 3, 4, 5, 6}));
  const auto score = std::dynamic_pointer_cast<MatchScore>(overlays[1]);
  EXPECT_EQ(score->setsInMatch(), matchSetup.setsToPlay);
  EXPECT_EQ(score->gamesInSet(), matchSetup.gamesPerSet);
}

TEST_F(MatchStartTest, DoublesBuildsADoublesMatchOfFourPlayers) {
  startIn(folder.path(), StartDoubles);
  const auto match = std::dynamic_pointer_cast<DoublesMatch>(app->currentMatch());
  ASSERT_TRUE(match);
  EXPECT_EQ(match->side(0).first->name(), "Vazuvodod");
  EXPECT_EQ(match->side(0).second->name(), "Roveriru");
  EXPECT_EQ(match->side(1).first->name(), "Revirade");
  EXPECT_EQ(match->side(1).second->name(), "Doredu");
  EXPECT_EQ(recorder->music, std::vector<std::string>{"sounds/MatchIntro.mp3"});
}

TEST_F(MatchStartTest, PersonMovesTheirPlayerWithTheKeysOfTheirSet) {
  startIn(folder.path(), StartSingles);
  const auto match = std::dynamic_pointer_cast<SinglesMatch>(app->currentMatch());
  ASSERT_TRUE(match);
  pressCharacterKey(kKeyEnter);
  frameAfter(17);
  releaseAllKeys();
  for (int i = 0; i < 200 && match->phase() != ServeInFlight; ++i) frameAfter(17);
  ASSERT_EQ(match->phase(), ServeInFlight);

  // Slot 1 plays on key set 1, whose "left" (towards +z) is code 3.
  const TennisPlayer& person = *match->player(1);
  const float before = person.position().z;
  pressCharacterKey(3);
  for (int i = 0; i < 10; ++i) frameAfter(17);
  releaseAllKeys();
  EXPECT_GT(person.position().z, before);
}

TEST_F(MatchStartTest, MatchLoadsTheMatchEffectsAndPlaysTheIntroMusic) {
  startIn(folder.path(), StartSingles);
  EXPECT_EQ(recorder->samples.size(), 6u);
  EXPECT_EQ(recorder->music, std::vector<std::string>{"sounds/MatchIntro.mp3"});
}

TEST_F(MatchStartTest, GameDataMatchPlaysOnPastItsIntroduction) {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  if (!run || !std::filesystem::is_regular_file(std::filesystem::path(run) / "models/stadium/pista.ASZ")) {
    GTEST_SKIP() << "the game's data is not built";
  }
  startIn(run, StartSingles);
  const Scene& scene = *app->currentScene();
  EXPECT_TRUE(hasObject(scene, "OnGameCamera"));
  const auto match = std::dynamic_pointer_cast<MatchState>(app->currentMatch());
  ASSERT_TRUE(match);

  // The Enter that started the match, still held, does not skip the intro.
  pressCharacterKey(kKeyEnter);
  frameAfter(17);
  EXPECT_EQ(match->phase(), IntroPlaying);
  releaseAllKeys();
  frameAfter(17);
  pressCharacterKey(kKeyEnter);
  frameAfter(17);
  releaseAllKeys();
  EXPECT_EQ(match->phase(), LeavingIntro);
  for (int i = 0; i < 200 && match->phase() == LeavingIntro; ++i) frameAfter(17);
  EXPECT_EQ(match->phase(), ServeInFlight);
  EXPECT_FALSE(match->intro());
  ASSERT_FALSE(recorder->music.empty());
  EXPECT_EQ(recorder->music.back(), "sounds/InGame.mp3");
  EXPECT_EQ(scene.camera()->name(), "OnGameCamera");

  // A minute of play between a person who does nothing and the computer.
  for (int i = 0; i < 3750; ++i) frameAfter(17);
  const MatchScore& score = *match->shared().scoreboard;
  const TeamScore& computer = score.sideB();
  // The computer serves first and its serves go unanswered: points were played.
  EXPECT_GT(match->gamesPlayedSoFar() + computer.points, 0);
  EXPECT_FALSE(match->isFinished());
}

}  // namespace
