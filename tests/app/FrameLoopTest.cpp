// The frame loop driven by a clock that moves only when the test says so, and
// the matches it starts: the players the set-up asked for, a person's keys, a
// match on the game's own data played through its introduction, and whole
// matches played by the simulator from the main menu to their end and back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/match/DoublesMatch.h"
#include "app/FrameStats.h"
#include "app/FrameTimer.h"
#include "app/input/Gamepads.h"
#include "app/input/Keyboard.h"
#include "app/menus/Language.h"
#include "app/match/MatchSetup.h"
#include "app/MatchSimulator.h"
#include "app/input/PadScript.h"
#include "app/Settings.h"
#include "app/match/SinglesMatch.h"
#include "app/menus/TextLines.h"
#include "app/net/NetSession.h"
#include "app/Window.h"
#include "engine/Random.h"
#include "support/TempDirectory.h"

namespace {

// Counts the fixed steps (every overlay is updated once a step) and the
// frames in which the scene was drawn.
class StepCounter : public Overlay {
 public:
  void update(uint32_t dtMs) override {
    ++steps;
    lastStepMs = dtMs;
  }
  void draw2D() override { ++draws; }
  int steps = 0;
  int draws = 0;
  uint32_t lastStepMs = 0;
};

// The build's run folder when the game's data is there, else null.
const char* builtRunFolder() {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  const bool built = run && std::filesystem::is_regular_file(std::filesystem::path(run) / "models/stadium/pista.ASZ");
  return built ? run : nullptr;
}

class FrameLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings = SettingsValues{};
    settings.language = "XX";
    settings.keySets[1] = {1, 2, 3, 4, 5, 6};
    folder.write("lang/XX.data", "texto\n");
    matchSetup = MatchSetup{};
    releaseAllKeys();
    stepAccumulator = 0;
    startIn(folder.path());
  }
  void TearDown() override {
    app.reset();
    setMenuTextureFactory(nullptr);
    setMatchTextureFactory(nullptr);
    releaseAllKeys();
  }

  // The game's own data, its pictures recorded, not decoded (no image
  // library was started); false when it is not built.
  bool startInGameData() {
    const char* run = builtRunFolder();
    if (!run) return false;
    setMenuTextureFactory(textures);
    setMatchTextureFactory(textures);
    startIn(run);
    return true;
  }

  void startIn(const std::filesystem::path& runFolder) {
    app.reset();
    inside.emplace(runFolder);
    app = std::make_unique<Application>(clock);
    watchScene();
  }

  // The scene is replaced whenever a match starts or ends; watch the new one.
  void watchScene() {
    counter = std::make_shared<StepCounter>();
    app->currentScene()->addOverlay(counter);
  }

  void frameAfter(uint32_t ms) {
    clock->advance(ms);
    app->frame();
  }

  void startMatch(MenuScreen request = StartSingles) {
    matchSetup.slots = {{{1, 4}, {4, 1}, {2, 9}, {3, 7}}};
    matchSetup.doublesFlag = request == StartDoubles ? 1 : 0;
    app->currentMenu()->goToScreen(request);
    frameAfter(0);
    ASSERT_EQ(app->currentPhase(), InMatch);
  }

  void tapEscape() {
    pressCharacterKey(kKeyEscape);
    frameAfter(0);
    releaseCharacterKey(kKeyEscape);
  }
  MenuScreen screen() const { return app->currentMenu()->screen(); }

  TempDirectory folder;
  std::optional<ScopedWorkingDirectory> inside;
  std::shared_ptr<RecordingTextureFactory> textures = std::make_shared<RecordingTextureFactory>();
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(123456);
  std::unique_ptr<Application> app;
  std::shared_ptr<StepCounter> counter;
};

TEST(FrameTimerTest, TicksMeasureTheTimeBetweenThemAcrossTheWrapAtMostOneSecondAndNotTheLoading) {
  auto clock = std::make_shared<ManualClock>(0xFFFFFFF0u);
  FrameTimer timer(clock);
  clock->advance(40);  // wraps past zero
  EXPECT_EQ(timer.tick(), 40u);
  EXPECT_EQ(timer.tick(), 0u);
  clock->advance(5000);
  EXPECT_EQ(timer.tick(), kMaxFrameMs);
  clock->advance(700);
  timer.reset();  // after loading
  clock->advance(3);
  EXPECT_EQ(timer.tick(), 3u);
}

// Launched at 0, the window at 50 ms, the loading picture at 60 ms, the
// title at 90 ms (a quiet title draws again only much later, which is no
// load's), a menu frame whose frame started a match at
// 990 ms and built it until 1100 ms, then twelve match frames: eleven gaps,
// ten of 16 ms and one of 120 ms, a hitch within the frames that still count
// as the load's.
TEST(FrameStatsTest, MatchFramesDrawCallsAndLoads) {
  using std::chrono::milliseconds;
  const FrameStats::Clock::time_point launched{};
  FrameStats stats(launched);
  EXPECT_EQ(stats.summary().substr(0, 57), "Fotogramas mostrados: menos de dos, sin tiempos que medir");
  stats.windowOpened(launched + milliseconds(50));
  stats.frameShown(launched + milliseconds(60), ShownScene::Loading, 2);
  stats.frameShown(launched + milliseconds(90), ShownScene::Menus, 16);
  stats.matchRequested(launched + milliseconds(990));
  stats.frameShown(launched + milliseconds(1100), ShownScene::Menus, 20);
  FrameStats::Clock::time_point at = launched + milliseconds(1180);
  for (int frame = 0; frame < 12; ++frame) {
    stats.frameShown(at, ShownScene::Match, frame == 0 ? 100u : 90u);
    at += milliseconds(frame == 5 ? 120 : 16);
  }
  EXPECT_EQ(stats.summary(),
            "Fotogramas mostrados en partido: 12 en 0.3 s, 39.3 por segundo; entre uno y otro: 50% 16.0 ms, "
            "99% 120.0 ms, el mas largo 120.0 ms\n"
            "Llamadas de dibujo por fotograma: partido 50% 90, el mas alto 100; menus 20\n"
            "Cargas: del arranque al primer fotograma de los menus 90 ms (la ventana a los 50 ms, despues el hueco mas "
            "largo 30 ms), de SIGUIENTE "
            "al primer fotograma del partido 190 ms (el hueco mas largo 120 ms)");
}

TEST(WindowTest, GameModeStringFromTheResolution) { EXPECT_EQ(gameModeString({1024, 768, 32, 60}), "1024x768:32@60"); }

TEST_F(FrameLoopTest, StepsRunWhileMoreThanOneIsDueAtMostTenAFrame) {
  const struct {
    std::vector<uint32_t> framesMs;
    int steps;
    int draws;
    uint32_t remainder;
  } cases[] = {
      {{16}, 0, 0, 16},  // a remainder of exactly one step waits for the next frame
      {{17}, 1, 1, 1},
      {{17, 15}, 1, 1, 16},
      {{17, 15, 1}, 2, 2, 1},
      {{9 * 16 + 5}, 9, 1, 5},
      {{5000, 0}, kMaxStepsPerFrame, 1, 0},  // the backlog of a stall is dropped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.framesMs));
    stepAccumulator = 0;
    watchScene();
    for (const uint32_t ms : c.framesMs) {
      app->requestRedraw();  // as if the picture had changed every time
      frameAfter(ms);
    }
    EXPECT_EQ(counter->steps, c.steps);
    EXPECT_EQ(counter->draws, c.draws);
    EXPECT_EQ(stepAccumulator, c.remainder);
    if (c.steps > 0) {
      EXPECT_EQ(counter->lastStepMs, kFixedStepMs);
    }
  }
  // The loop may sleep until the next step: one more than a step's time due.
  stepAccumulator = 0;
  frameAfter(17);
  EXPECT_EQ(app->msUntilNextStep(), 16u);
  clock->advance(10);
  EXPECT_EQ(app->msUntilNextStep(), 6u);
  clock->advance(7);
  EXPECT_EQ(app->msUntilNextStep(), 0u);
  // A still menu is not drawn again; a moved highlight is.
  watchScene();
  frameAfter(0);
  frameAfter(17);
  EXPECT_EQ(counter->draws, 0);
  app->currentMenu()->navigate(Down);
  frameAfter(17);
  EXPECT_EQ(counter->draws, 1);
}

TEST_F(FrameLoopTest, MatchRequestReplacesTheSceneEscapePausesItAPersonPlaysAndLeavingGoesBackToTheMainMenu) {
  EXPECT_EQ(text(0), "texto");
  const std::weak_ptr<Scene> menuScene = app->currentScene();
  app->setRecordingFolder(folder.path() / "replays");
  pressCharacterKey(kKeyEscape);
  frameAfter(0);
  EXPECT_EQ(screen(), MainMenu);
  startMatch(StartDoubles);
  const int64_t firstStep = app->stepsTaken();  // Escape still held: it was consumed in the menus
  const auto* doubles = dynamic_cast<const DoublesMatch*>(app->currentMatch().get());
  ASSERT_TRUE(doubles);
  EXPECT_EQ(doubles->side(0).first->name(), "Vazuvodod");
  EXPECT_EQ(doubles->side(0).second->name(), "Roveriru");
  EXPECT_EQ(doubles->side(1).first->name(), "Revirade");
  const std::shared_ptr<TennisPlayer> person = doubles->side(1).second;  // slot 1, on key set 1
  EXPECT_EQ(person->name(), "Doredu");
  EXPECT_TRUE(menuScene.expired());
  // The menu first and the fade last: the fade covers everything before it.
  EXPECT_EQ(app->currentScene()->overlays().front(), app->currentMenu());
  EXPECT_TRUE(std::dynamic_pointer_cast<ScreenFade>(app->currentScene()->overlays().back()));
  watchScene();
  frameAfter(0);
  EXPECT_EQ(screen(), Playing);
  releaseCharacterKey(kKeyEscape);

  // Paused, the steps are counted and the frame drawn, but the scene stays.
  tapEscape();
  ASSERT_EQ(screen(), Paused);
  app->currentMenu()->goToScreen(WatchPointAgain);  // no point played yet: nothing to show
  frameAfter(0);
  EXPECT_TRUE(screen() == Paused && !app->showingPointAgain());
  frameAfter(17 * 3);
  EXPECT_EQ(counter->steps, 0);
  EXPECT_EQ(counter->draws, 1);
  EXPECT_EQ(stepAccumulator, 3u);
  tapEscape();
  EXPECT_EQ(screen(), Playing);
  frameAfter(14);
  EXPECT_EQ(counter->steps, 1);

  for (int i = 0; i < 200 && doubles->phase() != ServeInFlight; ++i) frameAfter(17);
  const float before = person->position().z;
  pressCharacterKey(3);  // key set 1's "left", towards +z
  for (int i = 0; i < 10; ++i) frameAfter(17);
  releaseAllKeys();
  EXPECT_GT(person->position().z, before);

  const std::weak_ptr<Scene> matchScene = app->currentScene();
  const Vector3 reached = person->position();
  const int64_t matchSteps = app->stepsTaken() - firstStep;
  const auto slots = matchSetup.slots;
  setMenuTextureFactory(textures);  // from here on the menus' pictures are there
  app->currentMenu()->goToScreen(QuitMatch);
  frameAfter(0);
  EXPECT_EQ(app->currentPhase(), InMenus);
  // The match left behind its recording: the set-up, every step, the person's "left".
  const std::filesystem::directory_iterator replays(folder.path() / "replays");
  ASSERT_NE(replays, std::filesystem::directory_iterator());
  const std::optional<MatchRecording> recording = loadRecording(replays->path());
  ASSERT_TRUE(recording);
  EXPECT_TRUE(recording->doubles && recording->slots == slots);
  EXPECT_EQ(recording->stepCount(), matchSteps);
  EXPECT_TRUE(std::any_of(recording->runs.begin(), recording->runs.end(),
                          [](const InputRun& run) { return run.input.slots[1].held == playerKeyBit(KeyLeft); }));
  // Played back, with the keyboard idle, the person walks to the same place;
  // no keys card waits for a recording (the person of key set 1 has had none).
  app->offerKeysCards(true);
  app->startReplay(*recording);
  EXPECT_FALSE(app->showingKeysCard());
  const auto* replayed = dynamic_cast<const DoublesMatch*>(app->currentMatch().get());
  ASSERT_TRUE(replayed);
  const std::shared_ptr<TennisPlayer> again = replayed->side(1).second;
  for (int i = 0; i < 500 && app->currentPhase() == InMatch; ++i) frameAfter(17);
  EXPECT_EQ(app->currentPhase(), InMenus);
  EXPECT_EQ(distance(again->position(), reached), 0.0f);
  EXPECT_FALSE(app->currentMatch());
  EXPECT_EQ(screen(), MainMenu);
  EXPECT_TRUE(matchScene.expired());  // the old scene died with its last owner
  // Every menu screen is drawn over its picture.
  watchScene();
  for (const MenuScreen menuScreen : {MainMenu, MatchOptions, PlayerSetup}) {
    app->currentMenu()->goToScreen(menuScreen);
    frameAfter(17);
    EXPECT_TRUE(app->currentMenu()->background());
  }
  EXPECT_EQ(counter->draws, 3);
}

// A key bound on the controls screen with real key presses is in config.ini
// once the player leaves the options, and moves its player in the next
// match; that match's set-up waits on the main menu after it.
TEST_F(FrameLoopTest, AKeyBoundInTheOptionsIsSavedAndPlaysAndTheSetUpOutlivesTheMatch) {
  settings = Settings::defaults();
  settings.language = "XX";
  const auto tap = [this](int key) {
    key >= kSpecialKeyBase ? pressSpecialKey(key - kSpecialKeyBase) : pressCharacterKey(static_cast<unsigned char>(key));
    frameAfter(17);
    releaseAllKeys();
    frameAfter(17);
  };
  // Options, controls, P2 KEYS, its left: z. Then back twice, to the main menu.
  for (const int key : {kKeyDown, kKeyDown, kKeyDown, kKeyEnter, kKeyEnter, kKeyRight, kKeyDown, kKeyDown, kKeyDown,
                        kKeyEnter, int('z')}) {
    tap(key);
  }
  EXPECT_EQ(screen(), ControlsMenu);
  EXPECT_EQ(folder.read("config.ini"), "");  // written as the options are left, not before
  tap(kKeyEscape);
  EXPECT_EQ(screen(), OptionsMenu);
  tap(kKeyEscape);
  EXPECT_EQ(screen(), MainMenu);
  const std::string saved = folder.read("config.ini");
  EXPECT_NE(saved.find("\nP2_KEYS 100 101 122 102 97 113\n"), std::string::npos) << saved;
  EXPECT_EQ(settings.keySets[1][KeyLeft], 'z');

  matchSetup.slots = {{{1, kKeySetCount}, {4, 1}, {}, {}}};  // the computer serves to a person on P2 KEYS
  app->currentMenu()->goToScreen(StartSingles);
  frameAfter(0);
  const auto match = std::dynamic_pointer_cast<SinglesMatch>(app->currentMatch());
  ASSERT_TRUE(match);
  for (int i = 0; i < 200 && match->phase() != ServeInFlight; ++i) frameAfter(17);
  const std::shared_ptr<TennisPlayer> person = match->player(1);
  const float before = person->position().z;
  pressCharacterKey('z');  // left, towards +z
  for (int i = 0; i < 10; ++i) frameAfter(17);
  releaseAllKeys();
  EXPECT_GT(person->position().z, before);

  const auto slots = matchSetup.slots;
  app->currentMenu()->goToScreen(QuitMatch);
  frameAfter(0);
  ASSERT_EQ(screen(), MainMenu);
  EXPECT_EQ(matchSetup.slots, slots);
  app->currentMenu()->goToScreen(PlayerSelect);
  EXPECT_TRUE(app->currentMenu()->findItem(StartMatch));  // every player still has a character
}

// The main menu's quit item only asks: the entry point then ends GLUT's loop
// and releases the game in order. Ending the process from inside the frame
// ran the static destructors under a live Application and corrupted the heap.
// A match over the network shows no keys card, which would hold the other
// game too; this game's person still gets their serve's keys, the other
// game's person none here.
TEST_F(FrameLoopTest, ANetworkMatchHoldsNobodyOnAKeysCardAndNamesTheServeKeysOfThisGamesPerson) {
  std::string lines;
  for (int32_t line = 0; line < kTextServeHint; ++line) lines += "texto\n";
  folder.write("lang/XX.data", lines + "%s: LANZAR   %s OTRA VEZ ARRIBA\n");
  settings.keySets[0] = {359, 357, 356, 358, 109, 110};  // the arrows, m and n
  startIn(folder.path());
  std::unique_ptr<NetSession> host = NetSession::host({"127.0.0.1", 0});
  ASSERT_TRUE(host);
  std::unique_ptr<NetSession> joiner = NetSession::join({"127.0.0.1", host->localPort()});
  ASSERT_TRUE(joiner);
  const auto pumpUntil = [&](const std::function<bool()>& done) {
    for (int tries = 0; tries < 1000 && !done(); ++tries) {
      host->pump(2);
      joiner->pump(2);
    }
    return done();
  };
  ASSERT_TRUE(pumpUntil([&] { return host->phase() == NetPhase::Greeted; }));
  // The host's person on key set 0 serves first; the joiner's plays slot 1.
  host->offer(NetSetup{false, 1, 1, {{{1, 0}, {4, 1}, {0, 2}, {0, 3}}}, 5, 0, 0x2, 0}, 2);
  ASSERT_TRUE(pumpUntil([&] { return joiner->phase() == NetPhase::Ready && host->phase() == NetPhase::Ready; }));
  app->offerKeysCards(true);
  app->startNetMatch(std::move(host));
  ASSERT_EQ(app->currentPhase(), InMatch);
  EXPECT_FALSE(app->showingKeysCard());
  ASSERT_TRUE(app->matchHints());
  const auto match = std::dynamic_pointer_cast<MatchState>(app->currentMatch());
  ASSERT_TRUE(match);
  const std::shared_ptr<TennisPlayer> server = app->slotPlayer(0);
  for (int frame = 0; frame < 600 && server->state() != PlayerState::Serving; ++frame) {
    // The joiner's person stands still; the introduction is passed with Enter.
    while (joiner->nextLocalStep() < app->currentSimulation()->stepsTaken() + 4) joiner->sendLocal(StepInput{});
    joiner->pump(0);
    if (match->phase() == IntroPlaying) {
      pressCharacterKey(kKeyEnter);
    } else {
      releaseCharacterKey(kKeyEnter);
    }
    frameAfter(17);
    app->waitForNetwork(1);
  }
  ASSERT_EQ(server->state(), PlayerState::Serving);
  EXPECT_EQ(app->matchHints()->serveLine(), "M: LANZAR   M OTRA VEZ ARRIBA");
}

TEST_F(FrameLoopTest, QuitItemAfterAMatchAsksTheLoopToEndAndEndsNothingItself) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  constexpr int kAskedAndStillRunning = 42;
  EXPECT_EXIT(
      {
        startMatch();
        app->currentMenu()->goToScreen(QuitMatch);
        frameAfter(0);
        const bool askedTooEarly = app->quitRequested();
        for (const int key : {kKeyDown, kKeyDown, kKeyDown, kKeyDown, kKeyDown, kKeyEnter}) {
          key >= kSpecialKeyBase ? pressSpecialKey(key - kSpecialKeyBase) : pressCharacterKey(key);
          frameAfter(0);
          releaseAllKeys();
        }
        const bool asked = app->quitRequested() && !askedTooEarly;
        app.reset();  // the sound and the scenes go while everything else is alive
        std::_Exit(asked ? kAskedAndStillRunning : 1);
      },
      testing::ExitedWithCode(kAskedAndStillRunning), "");
}

TEST_F(FrameLoopTest, GameDataMatchPlaysOnPastItsIntroduction) {
  if (!startInGameData()) GTEST_SKIP() << "the game's data is not built";
  startMatch();
  const auto match = std::dynamic_pointer_cast<MatchState>(app->currentMatch());
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
  EXPECT_EQ(app->currentScene()->camera()->name(), "OnGameCamera");
}

// A serve that bounces in its box and again beyond it, both bounces inside
// one frame of ten steps: the referee sees them one by one and gives the
// server the point. Judged once a frame, the second bounce alone was seen
// and called a fault.
TEST_F(FrameLoopTest, TwoBouncesInOneLongFrameAreJudgedOneByOne) {
  if (!startInGameData()) GTEST_SKIP() << "the game's data is not built";
  startMatch();  // slot 0, the computer, serves; slot 1 is a person who presses nothing
  const auto match = std::dynamic_pointer_cast<MatchState>(app->currentMatch());
  const std::shared_ptr<Pelota> ball = match->shared().ball;
  std::vector<RallyReport> calls;
  match->setRallyListener([&calls](const RallyReport& r) { calls.push_back(r); });
  const auto served = [&] { return match->phase() == ServeInFlight && ball->hitCount() == 1 && !ball->isCarried(); };
  for (int i = 0; i < 5'000 && !served(); ++i) frameAfter(17);
  ASSERT_TRUE(served());
  ASSERT_EQ(match->judge().servingSide, 0);
  const TargetBox box = match->judge().box;
  // Let fall from 14 units while rolling away from the net at 0.8 units a ms,
  // it bounces on its 7th step 580 units from the net, inside the box, and on
  // its 15th 677 units out, beyond it.
  ball->placeAt(-500, 14, (box.zMin + box.zMax) / 2);
  ball->startFlight(-kHitHalfTurn / 2, 0.8f, 0.0f);
  stepAccumulator = 0;
  for (int i = 0; i < 5; ++i) frameAfter(17);  // a step each
  frameAfter(160);  // ten steps
  ASSERT_EQ(ball->bounceCount(), 2);
  EXPECT_TRUE(box.xMin > ball->lastBounce().x || ball->lastBounce().x > box.xMax);
  ASSERT_EQ(calls.size(), 0u);
  frameAfter(17);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].call, RefereeCall::SecondBounce);
  EXPECT_EQ(calls[0].winner, 0);
}

// A pad alone, no key pressed: it moves through the menus, pauses and
// resumes the match, walks and serves for the person of its key set, who
// stops when the pad is pulled out; the serve's strike rumbles that pad.
TEST_F(FrameLoopTest, APadAloneMovesThroughTheMenusPlaysItsSlotAndRumblesOnItsStrike) {
  if (!startInGameData()) GTEST_SKIP() << "the game's data is not built";
  app->setGamepads(std::make_shared<Gamepads>(std::array<int32_t, kKeySetCount>{0, 1, 2, 3}, false));
  PadScript script;
  const auto pad = [&](const std::string& orders) {
    script.take(orders + "\n");
    frameAfter(17);
  };
  pad("0 plug\n1 plug");
  pad("0 dpdown 1");
  EXPECT_EQ(app->currentMenu()->selected()->action(), OpenTournament);
  pad("0 dpdown 0");
  pad("0 dpdown 1");
  pad("0 dpdown 0");
  pad("0 dpdown 1");
  pad("0 dpdown 0");
  pad("0 dpdown 1");
  EXPECT_EQ(app->currentMenu()->selected()->action(), OpenCredits);
  pad("0 dpdown 0\n0 a 1");
  EXPECT_EQ(screen(), Credits);
  pad("0 a 0");
  pad("0 b 1");  // B goes back, as Escape does
  EXPECT_EQ(screen(), MainMenu);
  pad("0 b 0");
  pad("0 b 1");  // and on the main menu it does nothing
  EXPECT_EQ(screen(), MainMenu);
  pad("0 b 0");

  // Both players are people: the near one, who serves first, on the first
  // pad's key set, the far one on the second's.
  matchSetup.slots = {{{1, 0}, {4, 1}, {}, {}}};
  app->currentMenu()->goToScreen(StartSingles);
  frameAfter(0);
  const auto match = std::dynamic_pointer_cast<SinglesMatch>(app->currentMatch());
  ASSERT_TRUE(match);
  pad("0 start 1");
  EXPECT_EQ(screen(), Paused);
  pad("0 start 0\n1 b 1");
  EXPECT_EQ(screen(), Playing);
  pad("1 b 0\n1 b 1");  // while play goes on, B dives and does not pause
  EXPECT_EQ(screen(), Playing);
  pad("1 b 0\n0 a 1");
  pad("0 a 0");  // skips the introduction
  for (int i = 0; i < 300 && match->phase() != ServeInFlight; ++i) frameAfter(17);
  ASSERT_EQ(match->phase(), ServeInFlight);

  const std::shared_ptr<TennisPlayer> far = match->player(1);
  const float before = far->position().z;
  pad("1 dpleft 1");
  for (int i = 0; i < 10; ++i) frameAfter(17);
  pad("1 unplug");  // with the direction still held
  const float reached = far->position().z;
  EXPECT_GT(reached, before);
  for (int i = 0; i < 10; ++i) frameAfter(17);
  EXPECT_EQ(far->position().z, reached);

  pad("0 a 1");
  for (int i = 0; i < 300 && script.rumbles(0) == 0; ++i) frameAfter(17);
  EXPECT_EQ(script.rumbles(0), 1);
  EXPECT_GE(match->shared().ball->hitCount(), 1);
}

// The same match between two computers, played straight through and with
// its second point watched again from the pause screen during the next
// rally: the point shown is the point played, and the match then goes on as
// if it had never paused.
TEST_F(FrameLoopTest, ThePauseScreenShowsTheLastPointAgainAndTheMatchGoesOnUnchanged) {
  if (!builtRunFolder()) GTEST_SKIP() << "the game's data is not built";
  std::vector<std::string> logs[2];
  for (int play = 0; play < 2; ++play) {
    std::vector<std::string>& log = logs[play];
    const auto listen = [&log](const std::shared_ptr<GameState>& match) {
      // Points only: a first serve's fault is reported too, but the point goes on.
      std::dynamic_pointer_cast<MatchState>(match)->setRallyListener([&log](const RallyReport& r) {
        if (r.call == RefereeCall::Fault) return;
        log.push_back(r.winnerName + " " + std::to_string(int(r.call)) + " " + std::to_string(r.shots));
      });
    };
    startInGameData();
    setRandomState(kUnseededRandomState);
    matchSetup.slots = {{{1, kKeySetCount + 3}, {4, kKeySetCount + 3}, {}, {}}};
    app->currentMenu()->goToScreen(StartSingles);
    frameAfter(0);
    const std::shared_ptr<GameState> live = app->currentMatch();
    listen(live);
    bool watched = play == 0;
    for (int i = 0; i < 100'000 && log.size() < 4; ++i) {
      frameAfter(17);
      // Paused in the rally after the point: the random draws have gone on since.
      if (watched || log.size() != 2 || std::dynamic_pointer_cast<MatchState>(live)->phase() != BallInPlay) continue;
      watched = true;
      tapEscape();
      app->currentMenu()->goToScreen(WatchPointAgain);
      frameAfter(0);
      ASSERT_TRUE(app->showingPointAgain());
      const std::string played = log.back();
      for (int j = 0; j < 5'000 && app->showingPointAgain(); ++j) frameAfter(17);
      ASSERT_EQ(app->currentMatch(), live);
      EXPECT_EQ(screen(), Playing);
      // The shown point was called as it was in play.
      ASSERT_EQ(log.size(), 3u);
      EXPECT_EQ(log.back(), played);
      log.pop_back();
    }
  }
  EXPECT_EQ(logs[0].size(), 4u);
  EXPECT_EQ(logs[1], logs[0]);
}

TEST(MatchSimulatorTest, OneGameMatchesEndBackInTheMenusAndRepeatRallyForRally) {
  const char* run = builtRunFolder();
  if (!run) GTEST_SKIP() << "the game's data is not built";
  const ScopedWorkingDirectory inside(run);
  settings = Settings::defaults();
  // Four computers at level 5, the net players volleying each other: their
  // strokes stray more as a rally grows, so the game ends. Two level 4
  // players reach every ball; without the stray of a long rally their first
  // rally never ended.
  const struct {
    int32_t level;
    bool doubles;
    bool paced;
  } cases[] = {{5, false, true}, {5, true, true}, {4, false, false}, {0, false, false}};
  // One step a frame, ten a frame (with the backlog dropped after each),
  // and frames of uneven length: the same match, rally for rally. The last
  // play poses every node of the models, as a drawn game does.
  const std::vector<std::vector<uint32_t>> pacings = {{16}, {176}, {5, 40, 16, 90, 3, 33, 170, 1}, {16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level << (c.doubles ? " doubles" : " singles"));
    // One game: short, and still every phase from the intro to the table.
    SimulatedMatch match;
    match.doubles = c.doubles;
    match.gamesPerSet = 1;
    match.stepLimit = 200'000;
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) match.slots[slot] = {slot + 1, kKeySetCount + c.level};
    std::vector<std::string> logs[4];
    SimulationResult results[4];
    for (size_t play = 0; play < (c.paced ? pacings.size() : 1); ++play) {
      match.frameMs = pacings[play];
      match.poseEverything = play == 3;
      results[play] = simulateMatch(match, [&log = logs[play]](const SimulatedRally& ended) {
        const RallyReport& r = ended.rally;
        log.push_back(std::to_string(ended.step) + ": " + r.serverName + " " + std::to_string(int(r.call)) + " " +
                      std::to_string(r.shots) + " " + r.winnerName + " " + ended.score);
      });
    }
    const SimulationResult& result = results[0];
    ASSERT_TRUE(result.finished);
    EXPECT_GE(result.points, 4);
    EXPECT_GE(result.shots, result.points);
    ASSERT_GE(logs[0].size(), static_cast<size_t>(result.points));
    // The last point wins the match for the side that won the game's last point.
    EXPECT_NE(logs[0].back().find(result.winnerName), std::string::npos);
    EXPECT_TRUE(!result.loserName.empty() && result.winnerName != result.loserName) << result.loserName;
    for (size_t play = 1; c.paced && play < pacings.size(); ++play) EXPECT_EQ(logs[play], logs[0]) << play;
  }
}

// A person's recorded play against the computer, replayed with frames of
// one step, of ten and of uneven length: the same match to the step.
TEST(MatchSimulatorTest, ARecordingPlaysBackTheSameAtAnyPacing) {
  const char* run = builtRunFolder();
  if (!run) GTEST_SKIP() << "the game's data is not built";
  const ScopedWorkingDirectory inside(run);
  settings = Settings::defaults();
  SimulatedMatch match;
  match.replay = MatchRecording{false, 1, 1, {{{1, 0}, {4, kKeySetCount + 3}}}, 7, "", {}};
  // Keys held for a tenth of a second to a second, chosen by a fixed sequence.
  uint32_t draw = 12345;
  for (int i = 0; i < 400; ++i) {
    draw = draw * 1103515245u + 12345u;
    const auto keys = static_cast<uint8_t>(draw >> 16 & 0x3f);
    match.replay->runs.push_back({{{{{keys, keys}}}, 0}, 1});
    match.replay->runs.push_back({{{{{keys, 0}}}, 0}, 5 + (draw >> 8) % 60});
  }
  std::vector<std::string> logs[3];
  SimulationResult results[3];
  const std::vector<std::vector<uint32_t>> pacings = {{16}, {176}, {5, 40, 16, 90, 3, 33, 170, 1}};
  for (size_t play = 0; play < pacings.size(); ++play) {
    match.frameMs = pacings[play];
    testing::internal::CaptureStdout();
    results[play] = simulateMatch(match, [&log = logs[play]](const SimulatedRally& ended) {
      log.push_back(std::to_string(ended.step) + ": " + ended.score);
    });
    // Its scenes are made without a window on purpose: not a word about it.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  }
  EXPECT_GE(results[0].points, 2);
  EXPECT_EQ(results[0].steps, match.replay->stepCount());
  for (size_t play = 1; play < pacings.size(); ++play) {
    EXPECT_EQ(logs[play], logs[0]) << play;
    EXPECT_EQ(results[play].steps, results[0].steps);
    EXPECT_EQ(distance(results[play].ballAtEnd, results[0].ballAtEnd), 0.0f) << play;
  }
}


// A modelled beginner plays the computer at level 0 with the keys of its key
// set, sampled as a person's are: it presses them, wins points with its own
// strokes, and the match's recording replays to the same end without it.
TEST(MatchSimulatorTest, AModelledBeginnerWinsRalliesAgainstLevelZeroWithItsKeys) {
  const char* run = builtRunFolder();
  if (!run) GTEST_SKIP() << "the game's data is not built";
  const ScopedWorkingDirectory inside(run);
  settings = Settings::defaults();
  SimulatedMatch match;
  match.gamesPerSet = 2;
  match.stepLimit = 200'000;
  match.seed = 3;
  match.slots = {{{1, kKeySetCount + 5}, {4, kKeySetCount + 0}}};
  match.people[0] = findHumanSkill("beginner");
  ASSERT_NE(match.people[0], nullptr);
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zumbolo-model-recording";
  std::filesystem::remove_all(folder);
  match.recordingFolder = folder.string();
  const uint32_t hitPresses = keyPressCount(settings.keySets[0][KeyHit]);
  int32_t ralliesWon = 0;
  const SimulationResult result = simulateMatch(match, [&](const SimulatedRally& ended) {
    if (ended.winnerTeam == 0 && ended.lastShot != LastShot::Serve) ++ralliesWon;
  });
  ASSERT_TRUE(result.finished);
  EXPECT_GT(keyPressCount(settings.keySets[0][KeyHit]), hitPresses + 4);
  EXPECT_GE(ralliesWon, 2);
  EXPECT_EQ(result.pointsWonByTeam[0] + result.pointsWonByTeam[1], result.points);

  SimulatedMatch again;
  for (const auto& file : std::filesystem::directory_iterator(folder)) again.replay = loadRecording(file.path());
  std::filesystem::remove_all(folder);
  ASSERT_TRUE(again.replay.has_value());
  const SimulationResult replayed = simulateMatch(again);
  EXPECT_EQ(replayed.finalScore, result.finalScore);
  EXPECT_EQ(replayed.steps, result.steps);
}

// The computer's levels are steps for a person: the same modelled regular
// player, with its keys, wins clearly fewer points against the top level
// than against level 1, over the same two short matches.
TEST(MatchSimulatorTest, AModelledRegularWinsFewerPointsAgainstLevelFiveThanAgainstLevelOne) {
  const char* run = builtRunFolder();
  if (!run) GTEST_SKIP() << "the game's data is not built";
  const ScopedWorkingDirectory inside(run);
  settings = Settings::defaults();
  const auto shareWon = [](int32_t level) {
    int32_t won = 0, played = 0;
    for (const uint32_t seed : {1u, 4u}) {
      SimulatedMatch match;
      match.gamesPerSet = 2;
      match.stepLimit = 200'000;
      match.seed = seed;
      match.slots = {{{1, kKeySetCount + 5}, {4, kKeySetCount + level}}};
      match.people[0] = findHumanSkill("regular");
      const SimulationResult result = simulateMatch(match);
      EXPECT_TRUE(result.finished) << "level " << level << " seed " << seed;
      won += result.pointsWonByTeam[0];
      played += result.points;
    }
    return static_cast<float>(won) / static_cast<float>(std::max(played, 1));
  };
  const float againstOne = shareWon(1), againstFive = shareWon(5);
  EXPECT_LT(againstFive, againstOne - 0.15f) << againstFive << " against level 5, " << againstOne << " against 1";
}

}  // namespace
