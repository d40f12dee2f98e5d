#pragma once
// The one Application: it conducts. It owns the current scene and menu, the
// match being played (a MatchSimulation and the presentation that shows it),
// the frame timer and the pads, and runs the frame loop that GLUT calls for
// every displayed frame. The network match flow, the replay player and
// "watch the point again" each live in their own file pair; the Application
// decides, once a frame, which of them gives the next step its input.
//
// The frame loop advances the game in fixed 16 ms steps from an accumulator of
// real time, at most ten steps a frame: after a longer stall the backlog is
// dropped, so game time slows down rather than the frame stalling. The scene
// is drawn only in frames in which a step ran, and in the menus only when the
// menu changed (nothing else moves there) or a redraw was asked for. While
// the pause screen shows, steps are counted and their time spent, but the
// match does not move.
//
// In a match every step begins by sampling the keyboard and the gamepads
// into one command a slot (KeySampler); the simulation steps from those
// commands alone, and its events (sounds, music, cameras, strikes) are then
// carried out by the presentation. The pads are polled once a frame, before
// the steps; any pad also moves through the menus (its A picks like Enter,
// its B goes back a screen as Escape does there; in a match B and Start do
// what Escape does, except that B dives while play goes on), and the pad of
// a person whose player strikes the ball rumbles.
//
// The top-level flow has two phases, the menus and a match. The menu's screen
// id doubles as a request board: the menus ask for a singles or doubles match,
// for the tournament or for the end of the game, and the pause screen asks to
// leave a match or to see the last point again; the loop carries the request
// out once per frame, after everything else. The tournament (TournamentFlow)
// shows screens of its own in the menus and plays its cups' matches as
// matches of the game; when one ends, its bracket shows again instead of the
// main menu. The end of the game is only noted here: the
// entry point then leaves GLUT's loop and releases the Application while the
// OpenGL context and the sound device are still there, so nothing is torn
// down by static destructors in an order nobody chose.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "app/Clock.h"
#include "app/FrameTimer.h"
#include "app/LiveSettings.h"
#include "app/play/KeysCard.h"
#include "app/play/MatchHints.h"
#include "app/play/MatchPresentation.h"
#include "app/play/NetMatchFlow.h"
#include "app/play/PointReplay.h"
#include "app/play/ReplayPlayer.h"
#include "app/play/TournamentFlow.h"
#include "app/input/KeySampler.h"
#include "app/match/GameState.h"
#include "app/match/MatchRecording.h"
#include "app/match/MatchSimulation.h"
#include "app/match/PointStarts.h"
#include "app/match/StepInput.h"
#include "app/menus/Menu.h"
#include "app/menus/TrainingProgress.h"
#include "engine/Scene.h"
#include "tennis/HumanPlayer.h"

enum AppPhase : int32_t { InMenus = 0, InMatch = 2 };

constexpr int kMaxStepsPerFrame = 10;

// Real time not yet played as steps, in milliseconds; kept across frames.
extern uint32_t stepAccumulator;

class Application : private NetMatchStage, private TournamentStage {
 public:
  // Loads the language texts, starts the sound and goes to the main menu.
  // Tools that play matches without a window (the simulator) pass
  // SceneDisplay::None (or PosingAll): nothing is drawn and the scenes stay
  // off OpenGL; everything else runs as in the game.
  explicit Application(std::shared_ptr<Clock> clock = std::make_shared<SystemClock>(),
                       SceneDisplay display = SceneDisplay::Window);
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // One frame: the due steps, the menus, and the scene drawn if a step ran.
  // True when it drew.
  bool frame();
  // How long until the next step is due; nothing changes on screen before.
  uint32_t msUntilNextStep() const;
  // The next frame that runs a step draws, even a still menu (the window
  // was uncovered or resized).
  void requestRedraw() { redrawRequested = true; }
  void goToMainMenu();
  void startSinglesMatch() { startMatch(false); }
  // Plays a lesson of training: the person of slot 0's set-up (the first
  // character and key set when it has none) on the near half. Passed, it is
  // kept in the training progress and the next lesson follows; after the
  // last, or when left, the lesson list shows again.
  void startLesson(LessonId lesson);
  // The lesson being played; none in a match or the menus.
  const std::optional<LessonId>& currentLesson() const { return lessonPlayed; }
  // Where the lessons passed are kept; empty keeps them for this run only.
  void setTrainingProgressFile(std::filesystem::path file);
  const TrainingProgress& trainingProgress() const { return progress; }
  // The line under the main menu that suggests training (a first start).
  void suggestTraining();
  // Before a person's first match of the run a card shows their controls
  // and the match waits at its first serve until Enter (or a pad's A) puts
  // it away; off (the default) for tools and tests. Only with the hints on.
  void offerKeysCards(bool offered) { keysCardsOffered = offered; }
  bool showingKeysCard() const { return keysCard != nullptr; }
  // The hints of the match being played; none when they are off.
  const MatchHints* matchHints() const { return hints.get(); }
  void startDoublesMatch() { startMatch(true); }
  // The pads that play beside the keyboard; none (the default) for tools.
  void setGamepads(std::shared_ptr<Gamepads> connected);
  // What the options screens change while the game runs (the entry point
  // hands it the window and the settings file).
  LiveSettings& liveSettings() { return options; }
  // Where every match played is recorded when it ends; empty (the default)
  // records nothing.
  void setRecordingFolder(std::filesystem::path folder) { recordingFolder = std::move(folder); }
  // Where the cups won are kept; empty (the default) keeps none.
  void setProgressFile(std::filesystem::path file) { tournament.setProgressFile(std::move(file)); }
  const TournamentFlow& tournamentFlow() const { return tournament; }
  // The recording of the match being played (its steps so far).
  const std::optional<MatchRecording>& currentRecording() const { return recording; }
  // Plays a recording as the match it was: its set-up, its random state and
  // each step's input in place of the keyboard. When its steps run out, or
  // Escape is pressed, the game goes back to the main menu.
  void startReplay(MatchRecording recorded);
  bool replaying() const { return replay != nullptr; }
  // The live match is set aside while its last point is shown again.
  bool showingPointAgain() const { return pointAgain.showing(); }
  // Plays the match a Ready session agreed, with the other game.
  void startNetMatch(std::unique_ptr<NetSession> session) { net.startMatch(std::move(session)); }
  // A session waiting for its other game: its match starts on its own once
  // agreed (the host offers the match when its menus ask for one).
  void awaitNetMatch(std::unique_ptr<NetSession> session) { net.awaitMatch(std::move(session)); }
  const NetSession* netSession() const { return net.session(); }
  using NetReport = NetMatchFlow::Report;
  const std::optional<NetReport>& lastNetReport() const { return net.lastReport(); }
  // Handles the network, waiting at most `ms` for it (tools without a
  // window call this instead of sleeping).
  void waitForNetwork(uint32_t ms) { net.waitForNetwork(ms); }
  // Forces the input delay the host offers (0: from the round trip).
  void setForcedInputDelay(int32_t steps) { net.setForcedInputDelay(steps); }
  // The hash of the match being played, as the games compare it.
  std::optional<uint64_t> matchHash() const;
  // Heard at the start of every step of a match, before the keys are
  // sampled: a tool that presses keys for a modelled person does it here.
  void setBeforeStep(std::function<void()> listener) { beforeStep = std::move(listener); }
  // Told what each step of the match told, once the step is certain (over
  // the network, once both games have played it with the same commands).
  void setOutcomeListener(std::function<void(const StepOutcome&)> listener) { onOutcome = std::move(listener); }
  // The player of a slot in the match being played; null outside one.
  std::shared_ptr<TennisPlayer> slotPlayer(int32_t slot) const;

  const std::shared_ptr<Scene>& currentScene() const { return scene; }
  const std::shared_ptr<Menu>& currentMenu() const { return menu; }
  // The match's phase machine; empty outside a match.
  std::shared_ptr<GameState> currentMatch() const;
  // The match being played, as a steppable simulation; empty outside one.
  const std::shared_ptr<MatchSimulation>& currentSimulation() const { return simulation; }
  AppPhase currentPhase() const { return phase; }
  // Steps that moved the scene since the Application began.
  int64_t stepsTaken() const { return steps; }
  // True once the main menu's quit item was picked; the loop then stops.
  bool quitRequested() const { return quitting; }

 private:
  // NetMatchStage: what the network flow asks of the game.
  Menu& currentMenus() override { return *menu; }
  bool playingMatch() const override { return phase == InMatch; }
  MatchSimulation& playedMatch() override { return *simulation; }
  MatchPresentation& matchPresentation() override { return presentation; }
  void startAgreedMatch(bool doubles, uint8_t localSlots) override;
  void showNotice(const std::string& text, int32_t ms) override;
  // TournamentStage: what the tournament asks of the game.
  void showTournamentScreens(const std::shared_ptr<TournamentMenu>& screens) override;
  void startTournamentMatch(const MatchSetup& setup, uint32_t seed) override;
  void leaveTournament() override { goToMainMenu(); }

  // Runs the due fixed steps and returns how many ran.
  int runFixedSteps();
  // One step of the match with its input and events around it; false when
  // a network match must wait for the other game's commands.
  bool runStep();
  // The input of the next step, from whichever source plays the match now.
  bool nextInput(StepInput& input);
  // A step of a network match (NetMatchFlow decides what is played).
  bool runNetStep();
  // The match is over: played out here, and over the network certain so.
  bool matchOver() const;
  // Escape, the replay's keys and the pads' menu presses of this frame.
  void followFrameKeys(uint32_t elapsedMs);
  void carryOutPhaseRequests();
  void leaveMatch();
  bool keysCardHolds() const;
  bool menuChangedSinceDrawn() const;
  // Moves through the menus as the pads asked; true when they asked for
  // what Escape does.
  bool followPadMenuPresses(const PadMenuPresses& presses);
  void saveRecording();
  void watchLastPointAgain();
  void resumeLiveMatch();
  void startMatch(bool doubles);
  // The in-game menu and the presentation of the simulation just built.
  void showBuiltMatch();
  // The hints of a live match on this machine, and, when the match may wait
  // for it, the keys card of the people new to this run (settings.hints).
  void offerHints(bool withKeysCard);
  // The controls of a key set by name, and its pad's when one plays it.
  std::vector<ControlNames> controlsOf(int32_t keySet) const;
  // A lesson is over, or left: on to the next lesson or the lesson list.
  void followLesson();
  void leaveLesson();
  // Reads the stadium of the next match in a frame of the player set-up
  // that drew nothing.
  void readStadiumAhead();

  std::shared_ptr<Scene> scene;
  std::shared_ptr<Model> stadiumAhead;
  std::shared_ptr<MatchSimulation> simulation;
  MatchPresentation presentation;
  std::shared_ptr<Menu> menu;
  std::shared_ptr<FrameTimer> timer;
  std::shared_ptr<Gamepads> pads;
  int32_t padsSeen = 0;
  LiveSettings options;
  KeySampler sampler;
  SlotKeySets slotKeySets{kNoKeySet, kNoKeySet, kNoKeySet, kNoKeySet};
  std::function<void()> beforeStep;
  std::function<void(const StepOutcome&)> onOutcome;
  AppPhase phase = InMenus;
  SceneDisplay display;
  bool quitting = false;
  // The menus as last drawn: in the menus a frame draws only when they changed.
  const Menu* drawnMenu = nullptr;
  uint64_t drawnMenuRevision = 0;
  uint64_t drawnTournamentRevision = 0;
  bool redrawRequested = true;
  int64_t steps = 0;
  std::filesystem::path recordingFolder;
  std::optional<MatchRecording> recording;
  PointStarts livePoints{false};

  std::unique_ptr<ReplayPlayer> replay;
  bool replayOver = false;
  // Steps a frame's each due step plays: more while a replay is sped up.
  int32_t stepsPerDueStep = 1;
  PointReplay pointAgain;
  NetMatchFlow net{*this};
  TournamentFlow tournament{*this};
  // A line over the menus (a network match that ended badly, a session
  // waiting) or the match.
  std::shared_ptr<TimedMessage> notice;
  std::optional<LessonId> lessonPlayed;
  std::shared_ptr<MatchHints> hints;
  std::shared_ptr<KeysCard> keysCard;
  bool keysCardsOffered = false;
  std::array<bool, kKeySetCount> keySetsCarded{};
  TrainingProgress progress;
  std::filesystem::path progressFile;
  const Scene* noticeScene = nullptr;
};

// The process-wide Application, set by the entry point and released by it
// when the game ends.
extern std::shared_ptr<Application> application;
