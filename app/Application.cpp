#include "app/Application.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <vector>

#include "app/match/DoublesMatch.h"
#include "app/input/Keyboard.h"
#include "app/menus/Language.h"
#include "app/match/MatchSetup.h"
#include "app/Settings.h"
#include "app/match/SinglesMatch.h"
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

// Language texts of network play.
constexpr int32_t kTextNetWaiting = 30;
constexpr int32_t kTextNetNoAnswer = 31;
constexpr int32_t kTextNetDesync = 32;
constexpr int32_t kTextNetClosed = 33;
constexpr int32_t kTextNetLeft = 34;
constexpr int32_t kTextNetVersions = 35;
constexpr int32_t kTextNetDelay = 36;
constexpr int32_t kTextNetChoose = 42;
constexpr int32_t kTextNetHostChoosing = 43;
constexpr int32_t kNetNoticeMs = 5000;
constexpr int32_t kNetDelayNoticeMs = 4000;
// A notice is drawn a little after it went, so that it leaves the screen.
constexpr int32_t kNoticeTailMs = 200;
// In singles the joiner plays the far end; in doubles the far pair.
constexpr uint8_t kJoinerSlots = 0x2 | 0x8;

int32_t noticeFor(NetByeReason reason) {
  switch (reason) {
    case NetByeReason::Stalled: return kTextNetNoAnswer;
    case NetByeReason::Desync: return kTextNetDesync;
    case NetByeReason::Left: return kTextNetLeft;
    case NetByeReason::Refused: return kTextNetVersions;
    default: return kTextNetClosed;
  }
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
  // The other game is told at once rather than left to wait for a stall.
  if (net) net->finish(NetByeReason::Left, netStep);
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
  followNetSessions();
  shareNetChoice();
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
  const bool noticeShown = notice && notice->countdownMs() > -kNoticeTailMs;
  const bool draws =
      stepped && display == SceneDisplay::Window && (phase == InMatch || menuChangedSinceDrawn() || noticeShown);
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
  if (!draws) readStadiumAhead();
  carryOutPhaseRequests();
  return draws;
}

void Application::readStadiumAhead() {
  // The menus are still while the players are set up: a frame that showed
  // nothing has time to spare, and the match then starts that much sooner.
  const bool settingUp = phase == InMenus && (menu->screen() == PlayerSelect || menu->screen() == PlayerSetup);
  if (settingUp && !stadiumAhead && display == SceneDisplay::Window) {
    stadiumAhead = readModel(kStadiumFile, matchTextureFactory());
  }
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
    // A match over takes no step more: two games playing it over the
    // network must end it at the same step, whatever their frames.
    if (match && match->isFinished()) break;
    // The other game plays on while this one shows its pause screen.
    if ((menu->screen() != Paused || net) && !runStep()) {
      // Waiting for the other game: the time owed is kept, up to one frame's
      // worth of steps, and caught up once its commands come.
      stepAccumulator = std::min(stepAccumulator, kFixedStepMs * kMaxStepsPerFrame);
      return steps;
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
  return match && slot >= 0 && slot < kPlayerSlotCount ? slotPlayers[slot].lock() : nullptr;
}

bool Application::runStep() {
  StepInput input;
  if (match && net) {
    if (!takeNetInput(input)) return false;
  } else if (match) {
    if (beforeStep) beforeStep();
    if (replay && !replay->next(input)) {
      // The recording ends here: the picture stays until the menus take over.
      replayOver = true;
      return true;
    }
    if (!replay) input = sampler.sample(slotKeySets, settings.keySets);
  }
  if (match) {
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
      if (const auto person = people[slot].lock()) person->setCommand(input.slots[slot]);
    }
  }
  scene->update(kFixedStepMs);
  ++steps;
  if (match) rumbleForStrikes();
  if (recording) recording->append(input);
  if (match) match->onStep(input);
  if (match && net) afterNetStep();
  if (recording) notePointMarks();
  return true;
}

bool Application::takeNetInput(StepInput& input) {
  if (net->phase() != NetPhase::Ready) return false;
  // This game's people, sampled once a step played, for the step one delay on.
  while (net->nextLocalStep() <= netStep + net->setup().inputDelay) {
    net->sendLocal(sampler.sample(slotKeySets, settings.keySets));
  }
  return net->inputFor(netStep, input);
}

void Application::afterNetStep() {
  if ((netStep + 1) % kStepsPerStateHash == 0) {
    if (const std::optional<uint64_t> hash = matchHash()) net->checkState(netStep, *hash);
  }
  ++netStep;
}

std::optional<uint64_t> Application::matchHash() const {
  const auto state = std::dynamic_pointer_cast<MatchState>(match);
  if (!state) return std::nullopt;
  return state->stateHash();
}

const NetSession* Application::netSession() const {
  if (net) return net.get();
  if (lingeringNet) return lingeringNet.get();
  return pendingNet.get();
}

void Application::waitForNetwork(uint32_t ms) {
  if (net) {
    net->pump(ms);
    noteNetReport(*net);
  } else if (pendingNet) {
    pendingNet->pump(ms);
  } else if (lingeringNet) {
    lingeringNet->pump(ms);
    noteNetReport(*lingeringNet);
    if (lingeringNet->closed()) lingeringNet.reset();
  }
}

void Application::noteNetReport(const NetSession& session) {
  NetReport report{session.setup().inputDelay, session.roundTripMs(), session.bytesSent(), session.bytesReceived(),
                   session.endMessage()};
  while (!report.ended.empty() && report.ended.back() == '\n') report.ended.pop_back();
  netReport = std::move(report);
}

void Application::awaitNetMatch(std::unique_ptr<NetSession> session) {
  pendingNet = std::move(session);
  showNotice(kTextNetWaiting, kNetNoticeMs);
}

void Application::followNetSessions() {
  if (net) {
    net->pump();
    noteNetReport(*net);
  }
  if (lingeringNet) {
    lingeringNet->pump();
    noteNetReport(*lingeringNet);
    if (lingeringNet->closed()) lingeringNet.reset();
  }
  if (!pendingNet) {
    pendingSeen = nullptr;
    return;
  }
  // The phase may also have moved on while the loop waited for the network.
  const NetPhase before = pendingNet.get() == pendingSeen ? pendingSeenPhase : NetPhase::Waiting;
  pendingNet->pump();
  pendingSeen = pendingNet.get();
  pendingSeenPhase = pendingNet->phase();
  const bool waitingScreen = menu && (menu->screen() == HostWaiting || menu->screen() == JoinWaiting);
  if (pendingNet->phase() == NetPhase::Ended) {
    showNotice(noticeFor(pendingNet->endReason()), kNetNoticeMs);
    pendingNet.reset();
    if (waitingScreen) menu->goToScreen(NetworkMenu);
  } else if (pendingNet->phase() == NetPhase::Greeted && before != NetPhase::Greeted) {
    // The other game is there: the host chooses the match; the joiner its
    // people, first each on its own keys.
    if (!pendingNet->hosting()) {
      int32_t keySet = 0;
      for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
        if (kJoinerSlots >> slot & 1u) matchSetup.slots[slot].controller = keySet++;
      }
    }
    if (pendingNet->hosting() && waitingScreen) {
      menu->goToScreen(MatchOptions);
      showNotice(kTextNetChoose, kNetNoticeMs);
    } else if (waitingScreen) {
      menu->setNetworkLines({menu->typedAddress(), text(kTextNetHostChoosing)});
    }
  } else if (pendingNet->phase() == NetPhase::Ready && phase == InMenus) {
    startNetMatch(std::move(pendingNet));
  }
}

void Application::shareNetChoice() {
  const bool choosing = pendingNet && pendingNet->phase() == NetPhase::Greeted && phase == InMenus && menu;
  if (!choosing) {
    if (menu) menu->setNetworkPlay(0, false, true);
    return;
  }
  const bool hosting = pendingNet->hosting();
  const uint8_t others = hosting ? kJoinerSlots : static_cast<uint8_t>(kAllSlotsMask & ~kJoinerSlots);
  bool changed = false;
  if (const std::optional<NetChoice> theirs = pendingNet->takeOtherChoice()) {
    if (!hosting) {
      changed = matchSetup.doublesFlag != (theirs->doubles ? 1 : 0) || matchSetup.setsToPlay != theirs->setsToPlay ||
                matchSetup.gamesPerSet != theirs->gamesPerSet;
      matchSetup.doublesFlag = theirs->doubles ? 1 : 0;
      matchSetup.setsToPlay = theirs->setsToPlay;
      matchSetup.gamesPerSet = theirs->gamesPerSet;
    }
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
      if ((others >> slot & 1u) == 0 || matchSetup.slots[slot] == theirs->slots[slot]) continue;
      matchSetup.slots[slot] = theirs->slots[slot];
      changed = true;
    }
    // The joiner's picture opens once it knows the host's mode.
    if (!hosting && menu->screen() != PlayerSelect && menu->screen() != PlayerSetup) {
      menu->setNetworkPlay(others, true, false);
      menu->goToScreen(PlayerSelect);
    }
  }
  pendingNet->shareChoice(NetChoice{0, 0, matchSetup.doublesFlag != 0, matchSetup.setsToPlay, matchSetup.gamesPerSet,
                                    matchSetup.slots});
  menu->setNetworkPlay(others, !hosting, hosting && pendingNet->otherSeesMyChoice());
  if (changed) menu->refreshPlayerSelect();
}

void Application::startNetMatch(std::unique_ptr<NetSession> session) {
  const NetSetup& agreed = session->setup();
  matchSetup.slots = agreed.slots;
  matchSetup.doublesFlag = agreed.doubles ? 1 : 0;
  matchSetup.setsToPlay = agreed.setsToPlay;
  matchSetup.gamesPerSet = agreed.gamesPerSet;
  setRandomState(agreed.seed);
  menu.reset();
  match.reset();
  notice.reset();
  startMatch(agreed.doubles);
  phase = InMatch;
  // The other game's people are sampled there and come as its commands.
  const uint8_t own = session->localSlots();
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    if ((own >> slot & 1u) == 0) slotKeySets[slot] = kNoKeySet;
  }
  net = std::move(session);
  netStep = 0;
  if (const auto state = std::dynamic_pointer_cast<MatchState>(match)) {
    // The language file's text is data: its "%d" marks are filled in by
    // hand, never handed to printf.
    std::string shown = text(kTextNetDelay);
    for (const int32_t value : {agreed.inputDelay, agreed.roundTripMs}) {
      const size_t mark = shown.find("%d");
      if (mark != std::string::npos) shown.replace(mark, 2, std::to_string(value));
    }
    state->shared().message->show(shown, kNetDelayNoticeMs);
  }
}

int32_t Application::endNetMatch() {
  int32_t reason = -1;
  if (net->phase() == NetPhase::Ended) {
    reason = noticeFor(net->endReason());
  } else {
    net->finish(match && match->isFinished() ? NetByeReason::Finished : NetByeReason::Left, netStep);
  }
  lingeringNet = std::move(net);
  return reason;
}

void Application::followNetworkMenus() {
  switch (menu->screen()) {
    case HostRequest: {
      if (!pendingNet) pendingNet = NetSession::host(NetAddress{"", kDefaultNetPort});
      if (!pendingNet) {
        menu->goToScreen(NetworkMenu);
        showNotice(kTextNetClosed, kNetNoticeMs);
        break;
      }
      std::vector<std::string> lines;
      for (const std::string& address : localAddresses()) lines.push_back(address + ":" + std::to_string(kDefaultNetPort));
      lines.push_back(text(kTextNetWaiting));
      menu->goToScreen(HostWaiting);
      menu->setNetworkLines(std::move(lines));
      break;
    }
    case JoinRequest: {
      const std::string typed = menu->typedAddress();
      const std::optional<NetAddress> address = parseNetAddress(typed, "");
      pendingNet.reset();
      if (address) pendingNet = NetSession::join(*address);
      if (!pendingNet) {
        menu->goToScreen(JoinAddress);
        showNotice(kTextNetClosed, kNetNoticeMs);
        break;
      }
      menu->goToScreen(JoinWaiting);
      menu->setNetworkLines({typed, text(kTextNetWaiting)});
      break;
    }
    case NetCancel:
      pendingNet.reset();
      menu->goToScreen(NetworkMenu);
      break;
    default: break;
  }
}

void Application::showNotice(int32_t textIndex, int32_t ms) {
  if (!notice || noticeScene != scene.get()) {
    notice = std::make_shared<TimedMessage>(matchTextureFactory());
    scene->addOverlay(notice);
    noticeScene = scene.get();
  }
  notice->show(text(textIndex), ms);
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
    followNetworkMenus();
    if ((menu->screen() == StartSingles || menu->screen() == StartDoubles) && pendingNet) {
      // A network match starts when the other game is there, as the host
      // chose it; a joiner waits for the host's choice.
      const bool doubles = menu->screen() == StartDoubles;
      if (pendingNet->hosting() && pendingNet->phase() == NetPhase::Greeted && pendingNet->otherSeesMyChoice()) {
        NetSetup offered{doubles, matchSetup.setsToPlay, matchSetup.gamesPerSet, matchSetup.slots,
                         randomState(), 0, kJoinerSlots, 0};
        pendingNet->offer(offered, forcedInputDelay);
        startNetMatch(std::move(pendingNet));
      } else {
        menu->goToScreen(PlayerSelect);
        showNotice(kTextNetWaiting, kNetNoticeMs);
      }
      return;
    }
    if (menu->screen() == StartSingles || menu->screen() == StartDoubles) {
      const bool doubles = menu->screen() == StartDoubles;
      menu.reset();  // the main menu dies here
      doubles ? startDoublesMatch() : startSinglesMatch();
      phase = InMatch;
    }
    return;
  }
  if (menu->screen() == WatchPointAgain) watchLastPointAgain();
  const bool netEnded = net && net->phase() == NetPhase::Ended;
  const bool over = (match && match->isFinished()) || menu->screen() == QuitMatch || replayOver || netEnded;
  if (over && suspended) {
    resumeLiveMatch();
  } else if (over) {
    saveRecording();
    const int32_t netNotice = net ? endNetMatch() : -1;
    replay.reset();
    replayOver = false;
    match.reset();
    goToMainMenu();
    phase = InMenus;
    // Why a network match ended stays over the menus for a while.
    if (netNotice >= 0) showNotice(netNotice, kNetNoticeMs);
  }
}

void Application::goToMainMenu() {
  redrawRequested = true;  // a new menu may sit where the old one was
  notice.reset();
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

  const std::shared_ptr<Model> stadium = stadiumAhead ? stadiumAhead : readModel(kStadiumFile, textures);
  stadiumAhead.reset();  // a scene takes a model's tree for its own: the next match reads its own
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

  if (const auto source = std::dynamic_pointer_cast<Camera>(stadium->root->findReadNode(kStadiumCameraName))) {
    scene->addObject(std::make_shared<BroadcastCamera>(ball, *source));
    scene->setCamera(kBroadcastCameraName);
  }
  scene->addObject(std::make_shared<TrackingCamera>(nullptr, kFixedCameraName));
  scene->addObject(std::make_shared<OrbitCamera>(nullptr, kFixedRotateCameraName));

  const auto message = std::make_shared<TimedMessage>(textures);
  const auto fader = std::make_shared<ScreenFade>();
  scene->addOverlay(message);
  scene->addOverlay(fader);

  MatchParts parts{ball, scoreboard, fader, message, umpire, scene, textures, matchTexts()};
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
  if (!recording || points.lastEnd < 0 || replay || net) {
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
