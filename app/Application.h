#pragma once
// The one Application: it owns the current scene, match, menu and frame timer
// and runs the frame loop that GLUT calls for every displayed frame.
//
// The frame loop advances the game in fixed 16 ms steps from an accumulator of
// real time, at most ten steps a frame: after a longer stall the backlog is
// dropped, so game time slows down rather than the frame stalling. The scene
// is drawn only in frames in which a step ran, and in the menus only when the
// menu changed (nothing else moves there) or a redraw was asked for. While
// the pause screen shows, steps are counted and their time spent, but the
// scene does not move.
//
// In a match every step that moves the scene begins by sampling the keyboard
// and the gamepads into one command a slot (KeySampler), hands each person's player its
// command, steps the scene and then lets the match judge what happened. The
// players never read the keyboard themselves, so the frame rate has no say in
// how a point goes. The pads are polled once a frame, before the steps; any
// pad also moves through the menus (its A picks like Enter, its B and Start
// do what Escape does, except that B dives while play goes on), and the pad
// of a person whose player strikes the ball rumbles.
//
// A match over the network (NetSession) takes each step's input from the
// session instead: this game's people are sampled as usual and sent one
// input delay ahead, and a step runs only once the other game's commands for
// it are here, so a late packet holds the match still. The pause screen then
// does not stop the match (the other game plays on), and leaving it, or the
// session ending badly, takes both games back to the menus, the reason shown
// there for a while.
//
// The pause screen can show the last point again: the live match is set
// aside untouched, its recording so far is played in a fresh scene, silently
// and undrawn up to that point's first serve, then shown to a little after
// its call, and the live match takes over again where it paused.
//
// The top-level flow has two phases, the menus and a match. The menu's screen
// id doubles as a request board: the menus ask for a singles or doubles match
// or for the end of the game, and the pause screen asks to leave a match; the
// loop carries the request out once per frame, after everything else. The end
// of the game is only noted here: the entry point then leaves GLUT's loop and
// releases the Application while the OpenGL context and the sound device are
// still there, so nothing is torn down by static destructors in an order
// nobody chose.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <memory>

#include "app/Clock.h"
#include "app/FrameTimer.h"
#include "app/match/GameState.h"
#include "app/input/KeySampler.h"
#include "app/match/MatchRecording.h"
#include "app/match/MatchState.h"
#include "app/menus/Menu.h"
#include "app/net/NetSession.h"
#include "engine/Scene.h"
#include "tennis/HumanPlayer.h"

enum AppPhase : int32_t { InMenus = 0, InMatch = 2 };

constexpr int kMaxStepsPerFrame = 10;

// Real time not yet played as steps, in milliseconds; kept across frames.
extern uint32_t stepAccumulator;

class Application {
 public:
  // Loads the language texts, starts the sound and goes to the main menu.
  // Tools that play matches without a window (the simulator) pass
  // SceneDisplay::None (or PosingAll): nothing is drawn and the scenes stay
  // off OpenGL; everything else runs as in the game.
  explicit Application(std::shared_ptr<Clock> clock = std::make_shared<SystemClock>(),
                       SceneDisplay display = SceneDisplay::Window);
  ~Application();
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
  void startSinglesMatch();
  void startDoublesMatch();
  // The pads that play beside the keyboard; none (the default) for tools.
  void setGamepads(std::shared_ptr<Gamepads> connected);
  // Where every match played is recorded when it ends; empty (the default)
  // records nothing.
  void setRecordingFolder(std::filesystem::path folder) { recordingFolder = std::move(folder); }
  // The recording of the match being played (its steps so far).
  const std::optional<MatchRecording>& currentRecording() const { return recording; }
  // Plays a recording as the match it was: its set-up, its random state and
  // each step's input in place of the keyboard. When its steps run out, or
  // Escape is pressed, the game goes back to the main menu.
  void startReplay(MatchRecording recorded);
  bool replaying() const { return replay.has_value(); }
  // The match set aside while its last point is shown again.
  bool showingPointAgain() const { return suspended.has_value(); }
  // Plays the match a Ready session agreed, with the other game.
  void startNetMatch(std::unique_ptr<NetSession> session);
  // A session waiting for its other game: its match starts on its own once
  // agreed (the host offers the match when its menus ask for one).
  void awaitNetMatch(std::unique_ptr<NetSession> session);
  // The session of the network match being played, or of the one that has
  // just ended while it says goodbye, or the one waiting; else none.
  const NetSession* netSession() const;
  // How the last network match went on the wire, kept after its session.
  struct NetReport {
    int32_t inputDelay = 0;
    int32_t roundTripMs = 0;
    uint64_t bytesSent = 0;
    uint64_t bytesReceived = 0;
    // The line that ended it early, without its line end; else empty.
    std::string ended;
  };
  const std::optional<NetReport>& lastNetReport() const { return netReport; }
  // Handles the network, waiting at most `ms` for it (tools without a
  // window call this instead of sleeping).
  void waitForNetwork(uint32_t ms);
  // Forces the input delay the host offers (0: from the round trip).
  void setForcedInputDelay(int32_t steps) { forcedInputDelay = steps; }
  // The hash of the match being played, as the games compare it.
  std::optional<uint64_t> matchHash() const;
  // Heard at the start of every step of a match, before the keys are
  // sampled: a tool that presses keys for a modelled person does it here.
  void setBeforeStep(std::function<void()> listener) { beforeStep = std::move(listener); }
  // The player of a slot in the match being played; null outside one.
  std::shared_ptr<TennisPlayer> slotPlayer(int32_t slot) const;

  const std::shared_ptr<Scene>& currentScene() const { return scene; }
  const std::shared_ptr<Menu>& currentMenu() const { return menu; }
  const std::shared_ptr<GameState>& currentMatch() const { return match; }
  AppPhase currentPhase() const { return phase; }
  // The players the people play, by slot (empty for a computer's slot).
  const std::array<std::weak_ptr<HumanPlayer>, kPlayerSlotCount>& currentPeople() const { return people; }
  // Steps that moved the scene since the Application began.
  int64_t stepsTaken() const { return steps; }
  // True once the main menu's quit item was picked; the loop then stops.
  bool quitRequested() const { return quitting; }

 private:
  // Runs the due fixed steps and returns how many ran.
  int runFixedSteps();
  // One step of the scene, with the match's input and judgement around it;
  // false when a network match must wait for the other game's commands.
  bool runStep();
  bool takeNetInput(StepInput& input);
  void afterNetStep();
  // A waiting session whose match is agreed starts it; a host's menus that
  // ask for a match offer it.
  void followNetSessions();
  // While both games are on the menus, each sends its choice of the match
  // and takes the other's part of the other's; the menus show both.
  void shareNetChoice();
  // The network screens' requests: host, join, give up.
  void followNetworkMenus();
  // Tells the other game the match is over, unless the session ended it;
  // returns the language text that says why it ended badly, or -1.
  int32_t endNetMatch();
  void showNotice(int32_t textIndex, int32_t ms);
  void noteNetReport(const NetSession& session);
  void carryOutPhaseRequests();
  bool menuChangedSinceDrawn() const;
  // Moves through the menus as the pads asked; true when they asked for
  // what Escape does.
  bool followPadMenuPresses(const PadMenuPresses& presses);
  // A pad rumbles for each person whose player struck the ball this step.
  void rumbleForStrikes();
  void saveRecording();
  // Where the live match's points begin and end, in recorded steps.
  void notePointMarks();
  void watchLastPointAgain();
  void resumeLiveMatch();
  void startMatch(bool doubles);
  // Reads the stadium of the next match in a frame of the player set-up
  // that drew nothing.
  void readStadiumAhead();

  std::shared_ptr<Scene> scene;
  std::shared_ptr<Model> stadiumAhead;
  std::shared_ptr<GameState> match;
  std::shared_ptr<Menu> menu;
  std::shared_ptr<FrameTimer> timer;
  std::shared_ptr<Gamepads> pads;
  KeySampler sampler;
  // Per slot: the player's swing had struck the ball at the previous step.
  std::array<bool, kPlayerSlotCount> swingStruck{};
  SlotKeySets slotKeySets{kNoKeySet, kNoKeySet, kNoKeySet, kNoKeySet};
  std::array<std::weak_ptr<HumanPlayer>, kPlayerSlotCount> people;
  std::array<std::weak_ptr<TennisPlayer>, kPlayerSlotCount> slotPlayers;
  std::function<void()> beforeStep;
  AppPhase phase = InMenus;
  SceneDisplay display;
  bool quitting = false;
  // The menus as last drawn: in the menus a frame draws only when they changed.
  const Menu* drawnMenu = nullptr;
  uint64_t drawnMenuRevision = 0;
  bool redrawRequested = true;
  int64_t steps = 0;
  std::filesystem::path recordingFolder;
  std::optional<MatchRecording> recording;

  // A recording being played back, and how far.
  struct Replay {
    MatchRecording recording;
    size_t run = 0;
    int64_t stepsIntoRun = 0;
    // The next step's input; false once the recording is over.
    bool next(StepInput& input);
  };
  std::optional<Replay> replay;
  bool replayOver = false;

  struct PointMarks {
    bool inPoint = false;
    int64_t currentStart = 0;
    // The last point decided: the step its first serve was set up, and the
    // step of the call; -1 before any.
    int64_t lastStart = -1;
    int64_t lastEnd = -1;
  };
  PointMarks points;

  // The live match while its last point is shown again.
  struct SuspendedMatch {
    std::shared_ptr<Scene> scene;
    std::shared_ptr<GameState> match;
    std::shared_ptr<Menu> menu;
    std::array<std::weak_ptr<HumanPlayer>, kPlayerSlotCount> people;
    std::array<std::weak_ptr<TennisPlayer>, kPlayerSlotCount> slotPlayers;
    SlotKeySets slotKeySets;
    std::optional<MatchRecording> recording;
    PointMarks points;
    uint32_t randomState = 0;
  };
  std::optional<SuspendedMatch> suspended;

  std::unique_ptr<NetSession> net;
  std::unique_ptr<NetSession> pendingNet;
  std::unique_ptr<NetSession> lingeringNet;
  // The waiting session as followNetSessions last saw it.
  const NetSession* pendingSeen = nullptr;
  NetPhase pendingSeenPhase = NetPhase::Waiting;
  int64_t netStep = 0;
  std::optional<NetReport> netReport;
  int32_t forcedInputDelay = 0;
  // A line over the menus after a network match ended badly, or while a
  // session waits.
  std::shared_ptr<TimedMessage> notice;
  const Scene* noticeScene = nullptr;
};

// How long a point shown again goes on after its call: the call's message.
constexpr int64_t kStepsAfterPointCall = 2000 / kFixedStepMs;

// The process-wide Application, set by the entry point and released by it
// when the game ends.
extern std::shared_ptr<Application> application;
