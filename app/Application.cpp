#include "app/Application.h"

#include <GL/gl.h>

#include <algorithm>
#include <ctime>

#include "app/Settings.h"
#include "app/SoundSystem.h"
#include "app/input/Keyboard.h"
#include "app/match/MatchSetup.h"
#include "app/match/LessonMatch.h"
#include "app/menus/Language.h"
#include "app/menus/LessonWords.h"
#include "app/play/LessonBoard.h"
#include "app/menus/TextLines.h"
#include "assets/AseReader.h"
#include "engine/Random.h"
#include "engine/Sound.h"
#include "tennis/ModelFiles.h"

uint32_t stepAccumulator = 0;
std::shared_ptr<Application> application;

namespace {

// A notice is drawn a little after it went, so that it leaves the screen.
constexpr int32_t kNoticeTailMs = 200;
// Notices stand at the foot of the screen, under every menu's items and away
// from the match's own message.
constexpr float kNoticeX = 512.0f;
constexpr float kNoticeY = 24.0f;
// How long the reason a network match ended stays over the menus.
constexpr int32_t kEndNoticeMs = 5000;
// A lesson's match would last: the point lesson never reaches its end.
constexpr int32_t kLessonSets = 5;
constexpr int32_t kLessonGames = 6;

constexpr const char* kMenuMusic = "sounds/Menu.mp3";

}  // namespace

Application::Application(std::shared_ptr<Clock> clock, SceneDisplay display) : display(display) {
  loadLanguage(languageFilePath(settings.language));
  progressFile = trainingProgressPath();
  progress = TrainingProgress::load(progressFile);
  timer = std::make_shared<FrameTimer>(std::move(clock));
  initSound();
  presentation.setStrikeListener([this](int32_t slot) {
    if (pads && !replay) pads->rumble(slotKeySets[slot]);
  });
  goToMainMenu();
}

Application::~Application() {
  if (pointAgain.showing()) pointAgain.finish(*simulation);
  saveRecording();  // a match still going when the window closed
  options.keep();   // options changed when the window closed
  shutdownSound();
}

void Application::setGamepads(std::shared_ptr<Gamepads> connected) {
  pads = std::move(connected);
  options.setGamepads(pads);
  sampler = KeySampler(pads.get());
}

bool Application::frame() {
  const uint32_t elapsed = timer->tick();
  stepAccumulator += elapsed;
  if (pads) {
    pads->poll();
    // The pads screen names the pads plugged in: it is drawn again when they change.
    if (pads->padCount() != padsSeen) requestRedraw();
    padsSeen = pads->padCount();
  }
  net.followSessions();
  const bool stepped = runFixedSteps() > 0;
  followFrameKeys(elapsed);
  const bool noticeShown = notice && notice->countdownMs() > -kNoticeTailMs;
  const bool draws =
      stepped && display == SceneDisplay::Window && (phase == InMatch || menuChangedSinceDrawn() || noticeShown);
  if (draws) {
    // Only the depth starts afresh: the scene covers every pixel of colour.
    glClear(GL_DEPTH_BUFFER_BIT);
    scene->draw();
    drawnMenu = menu.get();
    drawnMenuRevision = menu->revision();
    drawnTournamentRevision = tournament.revision();
    redrawRequested = false;
  }
  if (!draws) readStadiumAhead();
  carryOutPhaseRequests();
  return draws;
}

void Application::followFrameKeys(uint32_t elapsedMs) {
  const PadMenuPresses presses = pads ? pads->takeMenuPresses(elapsedMs) : PadMenuPresses{};
  // In the menus Escape goes back a screen (the menu reads it, so that it
  // is consumed there too and does not pause the match that starts next).
  const bool escape = phase != InMenus && wasKeyPressed(kKeyEscape);
  if (phase == InMatch && replay) {
    if (escape || presses.back || presses.pause) replayOver = true;
    const auto playHidden = [this] {
      presentation.setSilent(true);
      runStep();
      presentation.setSilent(false);
      return !replayOver;
    };
    const bool forward = wasKeyPressed(kKeyRight) || presses.directions[Right];
    const bool back = wasKeyPressed(kKeyLeft) || presses.directions[Left];
    if (forward) replay->jumpForward(*simulation, playHidden);
    if (back) replay->jumpBack(*simulation);
    if (forward || back) presentation.showAsItIs(*simulation);
    const bool fast = isKeyDown(' ') || (pads && pads->anyHolds(SDL_CONTROLLER_BUTTON_A));
    stepsPerDueStep = fast ? kReplayFastSteps : 1;
    return;
  }
  if (phase == InMatch && pointAgain.showing()) {
    if (escape || wasKeyPressed(kKeyEnter) || presses.select || presses.back || presses.pause) replayOver = true;
    return;
  }
  if (phase == InMenus && tournament.showing()) {
    tournament.followKeys(presses);
    return;
  }
  if (keysCard && (wasKeyPressed(kKeyEnter) || presses.select)) {
    scene->removeOverlay(keysCard);
    keysCard.reset();
    timer->reset();
  }
  menu->handleInput();
  const bool padEscape = followPadMenuPresses(presses);
  if ((escape || padEscape) && phase != InMenus) menu->goToScreen(menu->screen() == Playing ? Paused : Playing);
}

void Application::readStadiumAhead() {
  // The menus are still while the players are set up: a frame that showed
  // nothing has time to spare, and the match then starts that much sooner.
  const bool settingUp = phase == InMenus && (menu->screen() == PlayerSelect || menu->screen() == PlayerSetup ||
                                              tournament.showing());
  if (settingUp && !stadiumAhead && display == SceneDisplay::Window) {
    stadiumAhead = AseReader(kStadiumFile, matchTextureFactory()).load();
  }
}

bool Application::menuChangedSinceDrawn() const {
  return redrawRequested || menu.get() != drawnMenu || menu->revision() != drawnMenuRevision ||
         tournament.revision() != drawnTournamentRevision;
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
    // A match over takes no step more: two games playing it over the
    // network must end it at the same step, whatever their frames.
    if (matchOver()) break;
    // The other game plays on while this one shows its pause screen.
    if ((menu->screen() != Paused && !keysCardHolds()) || net.playing()) {
      for (int32_t k = 0; k < (replay ? stepsPerDueStep : 1); ++k) {
        if (runStep()) continue;
        // Waiting for the other game: the time owed is kept, up to one
        // frame's worth of steps, and caught up once its commands come.
        stepAccumulator = std::min(stepAccumulator, kFixedStepMs * kMaxStepsPerFrame);
        return steps;
      }
    }
    stepAccumulator -= kFixedStepMs;
    ++steps;
  }
  // After a stall, drop the backlog: game time slows down instead of the
  // next frames stalling too while they catch up.
  if (steps == kMaxStepsPerFrame) stepAccumulator = 0;
  return steps;
}

std::shared_ptr<TennisPlayer> Application::slotPlayer(int32_t slot) const {
  return simulation ? simulation->slotPlayer(slot) : nullptr;
}

std::shared_ptr<GameState> Application::currentMatch() const {
  return simulation ? simulation->state() : nullptr;
}

std::optional<uint64_t> Application::matchHash() const {
  if (!simulation) return std::nullopt;
  return simulation->stateHash();
}

bool Application::matchOver() const {
  if (!simulation) return false;
  return net.playing() ? net.overForCertain() : simulation->isFinished();
}

bool Application::runNetStep() {
  // The people of this game are sampled for a step two steps on; the modelled
  // ones press their keys first.
  const auto sample = [this] {
    if (beforeStep) beforeStep();
    return sampler.sample(slotKeySets, settings.keySets);
  };
  const int64_t before = simulation->stepsTaken();
  const bool went = net.playStep(sample, [this](const PlayedStep& certain) {
    if (recording) recording->append(certain.input);
    if (onOutcome) onOutcome(certain.outcome);
  });
  steps += std::max<int64_t>(simulation->stepsTaken() - before, 0);
  // The hints read the newest step played; a step played again after a
  // correction was read when it was first played.
  if (hints && simulation->stepsTaken() > before) hints->afterStep(*simulation);
  return went;
}

bool Application::nextInput(StepInput& input) {
  if (pointAgain.showing()) {
    if (!pointAgain.nextInput(*simulation, input)) replayOver = true;
    return true;
  }
  if (beforeStep) beforeStep();
  if (replay) {
    // The recording ends here: the picture stays until the menus take over.
    if (!replay->nextInput(*simulation, input)) replayOver = true;
    return true;
  }
  input = sampler.sample(slotKeySets, settings.keySets);
  return true;
}

bool Application::runStep() {
  if (!simulation) {
    scene->update(kFixedStepMs);
    ++steps;
    return true;
  }
  if (net.playing()) return runNetStep();
  StepInput input;
  if (!nextInput(input)) return false;
  if (replayOver) return true;
  simulation->step(input);
  ++steps;
  presentation.moveCameras(*simulation);
  presentation.carryOut(simulation->events(), *simulation);
  if (hints && !pointAgain.showing()) hints->afterStep(*simulation);
  if (onOutcome) onOutcome(simulation->outcome());
  if (pointAgain.showing()) return true;
  if (replay) replay->afterStep(*simulation);
  if (recording) {
    recording->append(input);
    livePoints.afterStep(*simulation);
  }
  return true;
}

void Application::showNotice(const std::string& text, int32_t ms) {
  if (!notice || noticeScene != scene.get()) {
    notice = std::make_shared<TimedMessage>(matchTextureFactory(), kNoticeX, kNoticeY);
    scene->addOverlay(notice);
    noticeScene = scene.get();
  }
  notice->show(text, ms);
}

bool Application::followPadMenuPresses(const PadMenuPresses& presses) {
  for (int32_t direction = 0; direction < kMenuDirectionCount; ++direction) {
    if (presses.directions[direction]) menu->navigate(static_cast<MenuDirection>(direction));
  }
  if (presses.select) menu->select();
  if (phase == InMenus) {
    if (presses.back) menu->goBack();
    return false;
  }
  // While play goes on, B is the dive and only Start pauses.
  return presses.pause || (presses.back && menu->screen() != Playing);
}

void Application::carryOutPhaseRequests() {
  if (phase == InMenus) {
    if (menu->screen() == EndGame) quitting = true;
    if (menu->screen() == Tournament && !tournament.showing()) tournament.open(matchTexts(), menuTextureFactory());
    if (tournament.showing()) {
      tournament.followFrame();
      return;
    }
    if (menu->screen() == StartLesson) {
      const LessonId picked = menu->pickedLesson();
      menu.reset();
      startLesson(picked);
      return;
    }
    net.followMenus();
    const bool asked = menu->screen() == StartSingles || menu->screen() == StartDoubles;
    // A network match starts when the other game is there, as the host
    // chose it; a joiner waits for the host's choice.
    if (asked && !net.offerMatch(menu->screen() == StartDoubles)) {
      const bool doubles = menu->screen() == StartDoubles;
      menu.reset();  // the main menu dies here
      startMatch(doubles);
      offerHints(true);
    }
    return;
  }
  if (lessonPlayed) {
    followLesson();
    return;
  }
  if (menu->screen() == WatchPointAgain) watchLastPointAgain();
  if (tournament.playingMatch()) tournament.followMatch(*simulation);
  const bool over = matchOver() || menu->screen() == QuitMatch || replayOver || net.ended();
  if (over && pointAgain.showing()) {
    resumeLiveMatch();
  } else if (over) {
    leaveMatch();
  }
}

bool Application::keysCardHolds() const {
  // The introduction plays on behind the card; the first serve waits.
  if (!keysCard || !simulation) return false;
  const auto match = std::dynamic_pointer_cast<MatchState>(simulation->state());
  return match && match->phase() != IntroPlaying && match->phase() != LeavingIntro;
}

void Application::leaveMatch() {
  hints.reset();
  keysCard.reset();
  saveRecording();
  const std::string reason = net.endMatch(matchOver());
  replay.reset();
  replayOver = false;
  stepsPerDueStep = 1;
  // A cup's match goes back to its bracket.
  const bool cupMatch = tournament.playingMatch();
  if (cupMatch) tournament.matchLeft(*simulation);
  simulation.reset();
  if (!cupMatch) goToMainMenu();
  // Why a network match ended stays over the menus for a while.
  if (!reason.empty()) showNotice(reason, kEndNoticeMs);
}

void Application::goToMainMenu() {
  redrawRequested = true;  // a new menu may sit where the old one was
  notice.reset();
  scene = std::make_shared<Scene>(display);
  menu = std::make_shared<Menu>(false);
  menu->setOptionsStage(&options);
  menu->setTrainingProgress(progress);
  scene->addOverlay(menu);
  phase = InMenus;
  playMusic(kMenuMusic);
  resumeMusic();
}

void Application::showTournamentScreens(const std::shared_ptr<TournamentMenu>& screens) {
  const bool fromMatch = phase == InMatch;
  redrawRequested = true;
  notice.reset();
  scene = std::make_shared<Scene>(display);
  scene->addOverlay(screens);
  // The main menu waits underneath, unseen, until the tournament is left.
  menu = std::make_shared<Menu>(false);
  menu->goToScreen(Tournament);
  phase = InMenus;
  if (fromMatch) {
    playMusic(kMenuMusic);
    resumeMusic();
  }
}

void Application::startTournamentMatch(const MatchSetup& setup, uint32_t seed) {
  matchSetup = setup;
  menu.reset();
  setRandomState(seed);
  startMatch(setup.doublesFlag != 0);
  offerHints(true);
}

void Application::startAgreedMatch(bool doubles, uint8_t localSlots) {
  menu.reset();
  startMatch(doubles);
  // The other game's people are sampled there and come as its commands.
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    if ((localSlots >> slot & 1u) == 0) slotKeySets[slot] = kNoKeySet;
  }
  // The other game plays on: no card holds the match, only the lines of
  // this game's people show.
  offerHints(false);
}

void Application::startMatch(bool doubles) {
  notice.reset();
  loadEffects(kEffectSetMatch);
  matchSetup.doublesFlag = doubles ? 1 : 0;
  MatchMaking making{display, matchTextureFactory(), matchTexts(), std::move(stadiumAhead), settings.keySets, {}};
  // A scene takes a model's tree for its own: the next match reads its own.
  stadiumAhead.reset();
  simulation = std::make_shared<MatchSimulation>(matchSetup, std::move(making));
  lessonPlayed.reset();
  hints.reset();
  keysCard.reset();
  showBuiltMatch();
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    slotKeySets[slot] = simulation->person(slot) ? std::max(matchSetup.slots[slot].controller, 0) : kNoKeySet;
  }
  livePoints = PointStarts(false);
  recording = MatchRecording{doubles,           matchSetup.setsToPlay, matchSetup.gamesPerSet, matchSetup.slots,
                             simulation->randomStateNow(), {}, {}};
}

void Application::showBuiltMatch() {
  scene = simulation->scene();
  menu = std::make_shared<Menu>(true);
  // Under the match's own overlays: the fade covers the pause screen too.
  scene->addOverlayUnderneath(menu);
  menu->setScoreboard(simulation->state()->shared().scoreboard);
  presentation.attach(*simulation);
  presentation.carryOut(simulation->events(), *simulation);
  sampler = KeySampler(pads.get());
  timer->reset();
  phase = InMatch;
}

void Application::startLesson(LessonId lesson) {
  notice.reset();
  loadEffects(kEffectSetMatch);
  MatchSetup setup = matchSetup;
  PlayerSlot person = matchSetup.slots[0];
  if (person.character == kNoCharacter) person.character = 1;
  if (person.controller < 0 || person.controller >= kKeySetCount) person.controller = 0;
  setup.slots[0] = person;
  // The point lesson's opponent: another character, at the first level.
  setup.slots[1] = {person.character % kCharacterCount + 1, kKeySetCount};
  setup.doublesFlag = 0;
  setup.setsToPlay = kLessonSets;
  setup.gamesPerSet = kLessonGames;
  MatchMaking making{display, matchTextureFactory(), matchTexts(), std::move(stadiumAhead), settings.keySets, lesson};
  stadiumAhead.reset();
  simulation = std::make_shared<MatchSimulation>(setup, std::move(making));
  lessonPlayed = lesson;
  recording.reset();
  showBuiltMatch();
  menu->setLessonPlay(true);
  slotKeySets = {person.controller, kNoKeySet, kNoKeySet, kNoKeySet};
  std::vector<ControlNames> controls = controlsOf(person.controller);
  const auto played = std::dynamic_pointer_cast<LessonMatch>(simulation->state());
  scene->addOverlay(std::make_shared<LessonBoard>(played, std::move(controls), matchTextureFactory()));
}

std::vector<ControlNames> Application::controlsOf(int32_t keySet) const {
  std::vector<ControlNames> controls{keyboardControls(settings.keySets[keySet])};
  if (!pads) return controls;
  for (const ConnectedPad& pad : pads->connected()) {
    if (pad.keySet != keySet) continue;
    controls.push_back(padControls(settings.padSwapHitAndDive));
    break;
  }
  return controls;
}

void Application::offerHints(bool withKeysCard) {
  // Only a game that shows its matches has hints to show.
  if (!settings.hints || !simulation || display != SceneDisplay::Window) return;
  std::array<std::string, kPlayerSlotCount> serveLines;
  std::vector<KeysCard::Person> newPeople;
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    const int32_t keySet = slotKeySets[slot];
    if (keySet < 0 || keySet >= kKeySetCount) continue;
    const std::vector<ControlNames> controls = controlsOf(keySet);
    const std::string& hit = controls.front().of[KeyHit];
    serveLines[slot] = fillIn(text(kTextServeHint), {hit, hit});
    if (keySetsCarded[keySet] || !withKeysCard) continue;
    keySetsCarded[keySet] = true;
    newPeople.push_back({menu->controllerLabel(keySet), controls});
  }
  // Under the fade, which covers everything, the hints too.
  const Overlay* fade = simulation->state()->shared().fader.get();
  hints = std::make_shared<MatchHints>(serveLines, matchTextureFactory());
  scene->addOverlayBefore(hints, fade);
  if (withKeysCard && keysCardsOffered && !newPeople.empty()) {
    keysCard = std::make_shared<KeysCard>(std::move(newPeople), matchTextureFactory());
    scene->addOverlayBefore(keysCard, fade);
  }
}

void Application::followLesson() {
  const LessonId lesson = *lessonPlayed;
  const bool over = simulation->isFinished();
  if (over && !progress.passed(lesson)) {
    progress.markPassed(lesson);
    progress.save(progressFile);
  }
  if (over || menu->screen() == NextLessonRequest) {
    const std::optional<LessonId> next = lessonAfter(lesson);
    simulation.reset();
    if (next) {
      menu.reset();
      startLesson(*next);
    } else {
      leaveLesson();
    }
    return;
  }
  if (menu->screen() == QuitMatch) leaveLesson();
}

void Application::leaveLesson() {
  simulation.reset();
  lessonPlayed.reset();
  goToMainMenu();
  menu->goToScreen(TrainingMenu);
}

void Application::setTrainingProgressFile(std::filesystem::path file) {
  progressFile = std::move(file);
  progress = TrainingProgress::load(progressFile);
  if (phase == InMenus) menu->setTrainingProgress(progress);
}

void Application::suggestTraining() {
  if (phase == InMenus && menu->screen() == MainMenu) menu->setMainMenuLine(text(kTextTryTraining));
}

void Application::watchLastPointAgain() {
  const bool shown = recording && !replay && !net.playing() && pointAgain.start(*simulation, livePoints, *recording);
  if (!shown) {
    menu->goToScreen(Paused);  // nothing to show yet
    return;
  }
  presentation.showAsItIs(*simulation);
  menu->goToScreen(Playing);
  scene->addOverlay(std::make_shared<ReplayLabel>(text(kTextReplay), std::vector<std::string>{text(kTextPointAgainSkip)},
                                                  matchTextureFactory()));
  playMusic(kInGameMusic);
  resumeMusic();
}

void Application::resumeLiveMatch() {
  const CameraShot live = presentation.lastShot();
  pointAgain.finish(*simulation);
  presentation.showAsItIs(*simulation);
  replayOver = false;
  const std::list<std::shared_ptr<Overlay>> overlays = scene->overlays();
  for (const auto& overlay : overlays) {
    if (std::dynamic_pointer_cast<ReplayLabel>(overlay)) scene->removeOverlay(overlay);
  }
  presentation.lookThrough(live, *simulation);
  sampler = KeySampler(pads.get());
  menu->goToScreen(Playing);
  playMusic(kInGameMusic);
  resumeMusic();
  timer->reset();
}

void Application::startReplay(MatchRecording recorded) {
  matchSetup.slots = recorded.slots;
  matchSetup.setsToPlay = recorded.setsToPlay;
  matchSetup.gamesPerSet = recorded.gamesPerSet;
  menu.reset();
  simulation.reset();
  startMatch(recorded.doubles);
  simulation->reseed(recorded.randomState);
  recording.reset();  // a replay is not recorded again
  replay = std::make_unique<ReplayPlayer>(std::move(recorded));
  replay->afterStep(*simulation);
  replayOver = false;
  scene->addOverlay(std::make_shared<ReplayLabel>(
      text(kTextReplay), std::vector<std::string>{text(kTextReplayJumps), text(kTextReplaySpeedAndLeave)},
      matchTextureFactory()));
}

void Application::saveRecording() {
  if (recording && !recordingFolder.empty()) {
    if (simulation) recording->finalScore = describeScore(*simulation->state()->shared().scoreboard);
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "";
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    ::saveRecording(*recording, recordingFolder, stamp);
  }
  recording.reset();
}
