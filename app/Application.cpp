#include "app/Application.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <vector>

#include "app/DoublesMatch.h"
#include "app/Keyboard.h"
#include "app/Language.h"
#include "app/MatchSetup.h"
#include "app/Settings.h"
#include "app/SinglesMatch.h"
#include "app/SoundSystem.h"
#include "assets/AseReader.h"
#include "engine/BroadcastCamera.h"
#include "engine/FreeCamera.h"
#include "engine/OrbitCamera.h"
#include "engine/Random.h"
#include "engine/Sound.h"
#include "engine/TrackingCamera.h"
#include "tennis/BallModel.h"
#include "tennis/Character.h"
#include "tennis/CpuPlayer.h"
#include "tennis/HumanPlayer.h"
#include "tennis/PlayEffects.h"

uint32_t stepAccumulator = 0;
std::shared_ptr<Application> application;

namespace {

std::shared_ptr<TennisPlayer> createPlayer(int32_t slot, const std::shared_ptr<Pelota>& ball,
                                           const std::shared_ptr<Scene>& scene,
                                           const std::shared_ptr<TextureFactory>& textures) {
  const PlayerSlot& chosen = matchSetup.slots[slot];
  const bool human = chosen.controller < kKeySetCount;
  Character built(characterIdentifier(chosen.character), human ? kHumanController : kCpuController, ball, scene, textures);
  scene->addModel(built.model());
  const std::shared_ptr<TennisPlayer> player = built.player();
  if (human) {
    player->setKeys(settings.keySets[std::max(chosen.controller, 0)]);
  } else if (const auto cpu = std::dynamic_pointer_cast<CpuPlayer>(player)) {
    cpu->setLevel(chosen.controller - kKeySetCount);
  }
  return player;
}

std::shared_ptr<Model> readModel(const std::string& path, const std::shared_ptr<TextureFactory>& textures) {
  AseReader reader(path, textures);
  return reader.load();
}

}  // namespace

Application::Application(std::shared_ptr<Clock> clock, SceneDisplay display) : display(display) {
  loadLanguage("lang/" + settings.language + ".data");
  timer = std::make_shared<FrameTimer>(std::move(clock));
  initSound();
  goToMainMenu();
}

Application::~Application() {
  if (suspended) {
    match = suspended->match;
    recording = std::move(suspended->recording);
  }
  saveRecording();  // a match still going when the window closed
  shutdownSound();
  timer.reset();
  menu.reset();
  match.reset();
  scene.reset();
}

void Application::setGamepads(std::shared_ptr<Gamepads> connected) {
  pads = std::move(connected);
  sampler = KeySampler(pads.get());
}

bool Application::frame() {
  const uint32_t elapsed = timer->tick();
  stepAccumulator += elapsed;
  if (pads) pads->poll();
  const bool stepped = runFixedSteps() > 0;

  menu->update(1);
  const bool padEscape = pads && followPadMenuPresses(pads->takeMenuPresses(elapsed));
  // Asked in every phase, so that Escape held in the menus is consumed and
  // does not pause the match that starts next.
  if ((wasKeyPressed(kKeyEscape) || padEscape) && phase != InMenus) {
    if (replay) {
      replayOver = true;
    } else {
      menu->goToScreen(menu->screen() == Playing ? Paused : Playing);
    }
  }
  const bool draws = stepped && display == SceneDisplay::Window && (phase == InMatch || menuChangedSinceDrawn());
  if (draws) {
    // Only the depth starts afresh: the scene covers every pixel of colour.
    glClear(GL_DEPTH_BUFFER_BIT);
    scene->draw();
    drawnMenu = menu.get();
    drawnMenuRevision = menu->revision();
    redrawRequested = false;
  } else if (stepped) {
    scene->dropFinishedEffects();
  }
  carryOutPhaseRequests();
  return draws;
}

bool Application::menuChangedSinceDrawn() const {
  return redrawRequested || menu.get() != drawnMenu || menu->revision() != drawnMenuRevision;
}

uint32_t Application::msUntilNextStep() const {
  // A step runs once more than one step's time is due.
  const uint32_t due = stepAccumulator + timer->sinceTick();
  return due > kFixedStepMs ? 0 : kFixedStepMs + 1 - due;
}

int Application::runFixedSteps() {
  int steps = 0;
  // A remainder of exactly one step waits for the next frame.
  while (stepAccumulator > kFixedStepMs && steps < kMaxStepsPerFrame) {
    if (menu->screen() != Paused) runStep();
    stepAccumulator -= kFixedStepMs;
    ++steps;
  }
  // After a stall, drop the backlog: game time slows down instead of the
  // next frames stalling too while they catch up.
  if (steps == kMaxStepsPerFrame) stepAccumulator = 0;
  return steps;
}

std::shared_ptr<TennisPlayer> Application::slotPlayer(int32_t slot) const {
  return match && slot >= 0 && slot < kPlayerSlotCount ? slotPlayers[slot].lock() : nullptr;
}

void Application::runStep() {
  StepInput input;
  if (match) {
    if (beforeStep) beforeStep();
    if (replay && !replay->next(input)) {
      // The recording ends here: the picture stays until the menus take over.
      replayOver = true;
      return;
    }
    if (!replay) input = sampler.sample(slotKeySets, settings.keySets);
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
      if (const auto person = people[slot].lock()) person->setCommand(input.slots[slot]);
    }
  }
  scene->update(kFixedStepMs);
  ++steps;
  if (match) rumbleForStrikes();
  if (recording) recording->append(input);
  if (match) match->onStep(input);
  if (recording) notePointMarks();
}

bool Application::followPadMenuPresses(const PadMenuPresses& presses) {
  for (int32_t direction = 0; direction < kMenuDirectionCount; ++direction) {
    if (presses.directions[direction]) menu->navigate(static_cast<MenuDirection>(direction));
  }
  if (presses.select) menu->select();
  // While play goes on, B is the dive and only Start pauses.
  return presses.pause || (presses.back && menu->screen() != Playing);
}

void Application::rumbleForStrikes() {
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    const auto person = people[slot].lock();
    const bool struck = person && person->swingHasHit();
    if (struck && !swingStruck[slot] && pads && !replay) pads->rumble(slotKeySets[slot]);
    swingStruck[slot] = struck;
  }
}

void Application::carryOutPhaseRequests() {
  if (phase == InMenus) {
    if (menu->screen() == EndGame) quitting = true;
    if (menu->screen() == StartSingles || menu->screen() == StartDoubles) {
      const bool doubles = menu->screen() == StartDoubles;
      menu.reset();  // the main menu dies here
      doubles ? startDoublesMatch() : startSinglesMatch();
      phase = InMatch;
    }
    return;
  }
  if (menu->screen() == WatchPointAgain) watchLastPointAgain();
  const bool over = (match && match->isFinished()) || menu->screen() == QuitMatch || replayOver;
  if (over && suspended) {
    resumeLiveMatch();
  } else if (over) {
    saveRecording();
    replay.reset();
    replayOver = false;
    match.reset();
    goToMainMenu();
    phase = InMenus;
  }
}

void Application::goToMainMenu() {
  redrawRequested = true;  // a new menu may sit where the old one was
  scene = std::make_shared<Scene>(display);
  menu = std::make_shared<Menu>(false);
  scene->addOverlay(menu);
  playMusic("sounds/Menu.mp3");
  resumeMusic();
}

void Application::startSinglesMatch() { startMatch(false); }

void Application::startDoublesMatch() { startMatch(true); }

void Application::startMatch(bool doubles) {
  const std::shared_ptr<TextureFactory> textures = matchTextureFactory();
  scene = std::make_shared<Scene>(display);
  loadPlayEffectTemplates(*scene, textures);
  loadEffects(kEffectSetMatch);
  menu = std::make_shared<Menu>(true);
  scene->addOverlay(menu);

  auto freeCamera = std::make_shared<FreeCamera>(isKeyDown);
  scene->addObject(freeCamera);
  scene->setCamera(freeCamera->name());

  const std::shared_ptr<Model> stadium = readModel(kStadiumFile, textures);
  scene->addModel(stadium);

  const auto ballModel = std::make_shared<BallModel>(scene, textures);
  scene->addModel(ballModel->model());
  const std::shared_ptr<Pelota> ball = ballModel->ball();
  const auto umpire = std::make_shared<Birdy>(ball, textures);
  scene->addModel(umpire->model());

  std::array<std::shared_ptr<TennisPlayer>, kPlayerSlotCount> players;
  const std::vector<int32_t> order = doubles ? std::vector<int32_t>{2, 0, 1, 3} : std::vector<int32_t>{0, 1};
  slotKeySets.fill(kNoKeySet);
  people = {};
  slotPlayers = {};
  points = PointMarks{};
  for (const int32_t slot : order) {
    players[slot] = createPlayer(slot, ball, scene, textures);
    slotPlayers[slot] = players[slot];
    people[slot] = std::dynamic_pointer_cast<HumanPlayer>(players[slot]);
    const int32_t controller = matchSetup.slots[slot].controller;
    if (people[slot].lock()) slotKeySets[slot] = std::max(controller, 0);
  }
  sampler = KeySampler(pads.get());
  swingStruck = {};

  const auto font = std::make_shared<Font>(kScoreFontPath, kScoreFontSpacing, textures);
  const auto scoreboard = std::make_shared<MatchScore>(players[1], players[doubles ? 2 : 0], doubles,
                                                       matchSetup.setsToPlay, matchSetup.gamesPerSet, font);
  scene->addOverlay(scoreboard);
  menu->setScoreboard(scoreboard);

  if (const auto source = std::dynamic_pointer_cast<Camera>(stadium->root->findNode(kStadiumCameraName))) {
    scene->addObject(std::make_shared<BroadcastCamera>(ball, *source));
    scene->setCamera(kBroadcastCameraName);
  }
  scene->addObject(std::make_shared<TrackingCamera>(nullptr, kFixedCameraName));
  scene->addObject(std::make_shared<OrbitCamera>(nullptr, kFixedRotateCameraName));

  const auto message = std::make_shared<TimedMessage>(textures);
  const auto fader = std::make_shared<ScreenFade>();
  scene->addOverlay(message);
  scene->addOverlay(fader);

  MatchParts parts{ball, scoreboard, fader, message, umpire, scene, textures};
  if (doubles) {
    match = std::make_shared<DoublesMatch>(parts, players);
  } else {
    match = std::make_shared<SinglesMatch>(parts, players[0], players[1]);
  }
  playMusic(kIntroMusic);
  resumeMusic();
  timer->reset();
  recording = MatchRecording{doubles, matchSetup.setsToPlay, matchSetup.gamesPerSet, matchSetup.slots, randomState(),
                             {}, {}};
}

void Application::notePointMarks() {
  const auto state = std::dynamic_pointer_cast<MatchState>(match);
  if (!state) return;
  // The recording's length is counted only where a point begins or ends:
  // counting its runs every step would grow with the match.
  // A second serve goes on with the point its first serve began.
  if (state->phase() == ServeInFlight && !points.inPoint) {
    points.inPoint = true;
    points.currentStart = recording->stepCount();
  } else if (state->phase() == PointOver && points.inPoint) {
    points.inPoint = false;
    points.lastStart = points.currentStart;
    points.lastEnd = recording->stepCount();
  }
}

void Application::watchLastPointAgain() {
  if (!recording || points.lastEnd < 0 || replay) {
    menu->goToScreen(Paused);  // nothing to show yet
    return;
  }
  MatchRecording upToTheCall = *recording;
  upToTheCall.runs.clear();
  int64_t stepsLeft = std::min(points.lastEnd + kStepsAfterPointCall, recording->stepCount());
  for (const InputRun& run : recording->runs) {
    upToTheCall.append(run.input, std::min(run.steps, stepsLeft));
    stepsLeft -= std::min(run.steps, stepsLeft);
  }
  const int64_t firstServe = points.lastStart;
  suspended = SuspendedMatch{scene, match, menu, people, slotPlayers, slotKeySets, std::move(recording), points, randomState()};
  startReplay(std::move(upToTheCall));
  // Unseen and unheard up to the first serve of the point.
  const std::shared_ptr<SoundOutput> heard = setSoundOutput(nullptr);
  for (int64_t step = 0; step < firstServe && !replayOver; ++step) runStep();
  setSoundOutput(heard);
  playMusic(kInGameMusic);
  resumeMusic();
}

void Application::resumeLiveMatch() {
  replay.reset();
  replayOver = false;
  scene = suspended->scene;
  match = suspended->match;
  menu = suspended->menu;
  people = suspended->people;
  slotPlayers = suspended->slotPlayers;
  slotKeySets = suspended->slotKeySets;
  recording = std::move(suspended->recording);
  points = suspended->points;
  setRandomState(suspended->randomState);
  suspended.reset();
  sampler = KeySampler(pads.get());
  menu->goToScreen(Playing);
  playMusic(kInGameMusic);
  resumeMusic();
  timer->reset();
}

void Application::startReplay(MatchRecording recorded) {
  matchSetup.slots = recorded.slots;
  matchSetup.doublesFlag = recorded.doubles ? 1 : 0;
  matchSetup.setsToPlay = recorded.setsToPlay;
  matchSetup.gamesPerSet = recorded.gamesPerSet;
  menu.reset();
  match.reset();
  startMatch(recorded.doubles);
  phase = InMatch;
  setRandomState(recorded.randomState);
  recording.reset();  // a replay is not recorded again
  replay = Replay{std::move(recorded)};
  replayOver = false;
}

bool Application::Replay::next(StepInput& input) {
  while (run < recording.runs.size() && stepsIntoRun >= recording.runs[run].steps) {
    ++run;
    stepsIntoRun = 0;
  }
  if (run >= recording.runs.size()) return false;
  input = recording.runs[run].input;
  ++stepsIntoRun;
  return true;
}

void Application::saveRecording() {
  if (recording && !recordingFolder.empty()) {
    if (const auto state = std::dynamic_pointer_cast<MatchState>(match)) {
      recording->finalScore = describeScore(*state->shared().scoreboard);
    }
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "";
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    ::saveRecording(*recording, recordingFolder, stamp);
  }
  recording.reset();
}
