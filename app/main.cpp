// The entry point: settings, window, libraries, the Application, and GLUT's
// main loop. The game ends when the main menu's quit item is picked or the
// window is closed: either way the Application (match, scene, textures, sound)
// and the shader programs are released while the window's OpenGL context is
// current and the sound device still open, then GLUT's loop returns, freeglut
// destroys the window, and main returns 0.
//
// The game first finds its data (GameFolders.h) and works in that folder.
// "zumbolo --replay FILE" first plays a recorded match (Escape leaves it),
// then goes on to the main menu as usual; a recording that cannot be read is
// said in one line and the game does not start. "--pad-script FILE" plays
// virtual pads from a file as it grows (see app/input/PadScript.h). A command line
// it cannot follow ends it with status 2, missing data with status 1.
// "--host [PORT]" waits for another game to join and plays the match its
// menus choose with it; "--join ADDRESS[:PORT]" plays the host's match (see
// NetSession.h); a network that cannot be opened ends it with status 1.

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/Application.h"
#include "app/DisplayModes.h"
#include "app/FramePacer.h"
#include "app/FrameStats.h"
#include "app/GameFolders.h"
#include "app/GameOptions.h"
#include "app/input/Gamepads.h"
#include "app/input/Keyboard.h"
#include "app/LoadingPicture.h"
#include "app/menus/Menu.h"
#include "app/net/NetSession.h"
#include "app/input/PadScript.h"
#include "app/Settings.h"
#include "app/SoundSystem.h"
#include "app/Window.h"
#include "assets/ShaderProgram.h"
#include "engine/CachingTextureFactory.h"
#include "engine/Font.h"
#include "engine/Log.h"
#include "engine/Scene.h"
#include "engine/ShaderSupport.h"

namespace {

std::unique_ptr<PadScript> padScript;
std::unique_ptr<FrameStats> frameStats;  // with --stats
// A frame is held at most until the millisecond before the next step is due:
// holding it longer would put off the step.
FramePacer pacer{std::chrono::milliseconds(kFixedStepMs - 1)};
FrameStats::Clock::time_point launchedAt;

void onKeyboard(unsigned char key, int, int) { pressCharacterKey(key); }
void onSpecial(int key, int, int) { pressSpecialKey(key); }
void onKeyboardUp(unsigned char key, int, int) { releaseCharacterKey(key); }
void onSpecialUp(int key, int, int) { releaseSpecialKey(key); }

// Everything that holds OpenGL objects or sound goes while the context and
// the device are still there; a second call does nothing.
void releaseGame() {
  if (frameStats) printMessage("%s\n", frameStats->summary().c_str());
  // Over the network: how often the other game's predicted play was
  // corrected, how deep, and how long the match waited for it.
  if (frameStats && application && application->lastNetReport()) {
    const Application::NetReport& net = *application->lastNetReport();
    const double seconds = double(net.steps) * kFixedStepMs / 1000.0;
    printMessage("Red: %lld correcciones (%.1f por segundo), de %.1f pasos de media y %d la mayor; espera %.2f s\n",
                 static_cast<long long>(net.rollbacks), seconds > 0 ? double(net.rollbacks) / seconds : 0.0,
                 net.rollbacks ? double(net.stepsPlayedAgain) / double(net.rollbacks) : 0.0, net.deepestRollback,
                 net.waitedSeconds);
  }
  frameStats.reset();
  application.reset();
  padScript.reset();
  releaseShaderPrograms();
  releaseGameTextures();
}

// With --stats, where each person's player stands, once a second of a
// match: what a drive of two games reads to see its people move.
void printPeoplePositions() {
  static std::chrono::steady_clock::time_point due;
  const auto now = std::chrono::steady_clock::now();
  if (!frameStats || application->currentPhase() != InMatch || now < due) return;
  due = now + std::chrono::seconds(1);
  std::string line;
  const std::shared_ptr<MatchSimulation>& match = application->currentSimulation();
  for (int32_t slot = 0; match && slot < kPlayerSlotCount; ++slot) {
    const std::shared_ptr<HumanPlayer> person = match->person(slot);
    if (!person) continue;
    char place[64];
    std::snprintf(place, sizeof place, " %d %.0f %.0f", slot, person->position().x, person->position().z);
    line += place;
  }
  if (!line.empty()) {
    printMessage("Paso %lld, jugadores (hueco x z):%s\n", static_cast<long long>(application->stepsTaken()),
                 line.c_str());
  }
}

// With --stats, the round trip a host measured to the other game and the
// input delay of network play, once.
void printRoundTrip() {
  static bool printed = false;
  const NetSession* session = application->netSession();
  if (!frameStats || printed || !session || !session->hosting()) return;
  if (session->phase() != NetPhase::Greeted && session->phase() != NetPhase::Ready) return;
  printed = true;
  printMessage("Ida y vuelta medida: %d ms, retardo de %d pasos\n", session->roundTripMs(),
               kRollbackInputDelay);
}

// A match frame's pixels are finished first, so that the pacer knows what the
// frame cost, and it then waits for its turn to be shown. The menus draw only
// when they change: they have no pace to keep.
void holdToPace(FrameStats::Clock::time_point began) {
  glFinish();
  std::this_thread::sleep_until(pacer.showAt(began, FramePacer::Clock::now()));
}

// Display and idle alike. Only a frame that drew is shown: swapping an undrawn back buffer would
// show the frame before last where the driver flips buffers. Nothing moves
// before the next fixed step, so the loop sleeps until then instead of
// spinning (GLUT handles the window's events before it calls again).
void onDisplay() {
  // GLUT may still call in while its loop winds down after the game ended.
  if (!application) return;
  if (padScript) padScript->follow();
  // A frame draws the phase it began in; a match it starts is built after the drawing.
  const AppPhase drawnPhase = application->currentPhase();
  const FrameStats::Clock::time_point frameStart = FrameStats::Clock::now();
  const bool drawn = application->frame();
  if (frameStats && drawnPhase == InMenus && application->currentPhase() != InMenus) {
    frameStats->matchRequested(frameStart);
  }
  if (application->quitRequested()) {
    releaseGame();
    glutLeaveMainLoop();
    return;
  }
  if (drawn) {
    if (drawnPhase == InMatch) holdToPace(frameStart);
    glutSwapBuffers();
    glFlush();
    if (frameStats) {
      frameStats->frameShown(FrameStats::Clock::now(), drawnPhase == InMenus ? ShownScene::Menus : ShownScene::Match,
                             application->currentScene()->drawCallsLastFrame());
    }
  }
  printPeoplePositions();
  printRoundTrip();
  // The other game's packets (a ping above all) are answered while the
  // loop waits, not a frame later.
  const uint32_t waitMs = application->msUntilNextStep();
  if (application->netSession()) {
    application->waitForNetwork(waitMs);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
  }
}

// GLUT's display callback: the window was uncovered or resized.
void onExpose() {
  if (application) application->requestRedraw();
  onDisplay();
}

// freeglut calls this with the window's context current, just before it
// destroys the window: when the player closes it, and as the loop ends.
void onClose() { releaseGame(); }

void registerCallbacks() {
  glutKeyboardFunc(onKeyboard);
  glutSpecialFunc(onSpecial);
  glutKeyboardUpFunc(onKeyboardUp);
  glutSpecialUpFunc(onSpecialUp);
  glutReshapeFunc(reshapeWindow);
  glutDisplayFunc(onExpose);
  glutIdleFunc(onDisplay);
  glutCloseFunc(onClose);
  // X repeats a held key as release/press pairs; a held key is one press.
  glutIgnoreKeyRepeat(1);
}

// One frame of the loading picture, shown at once.
void showLoadingFrame(Scene& loadingScene) {
  loadingScene.draw();
  glutSwapBuffers();
  if (frameStats) {
    frameStats->frameShown(FrameStats::Clock::now(), ShownScene::Loading, loadingScene.drawCallsLastFrame());
  }
}

// The title's pictures are read, and the sound device opened, one to a
// frame behind the loading picture, so that the window shows something from
// its first moments on and never stands still for long: a picture and its
// smaller copies take tens of milliseconds each on a slow machine, and so may
// the device. The texture cache keeps the pictures for the title, which then
// finds them ready.
void loadTitle() {
  const auto picture = std::make_shared<LoadingPicture>();
  Scene loadingScene;
  loadingScene.addOverlay(picture);
  const std::shared_ptr<TextureFactory> textures = gameTextures();
  const std::function<void()> steps[] = {
      [&] { picture->setBackground(textures->create(kMainMenuBackground)); },
      [&] { picture->addFont(std::make_shared<Font>(kMenuFontPath, kMenuFontSpacing, textures)); },
      [&] { picture->addFont(std::make_shared<Font>(kMenuSelectedFontPath, kMenuFontSpacing, textures)); },
      [] { initSound(); },
  };
  showLoadingFrame(loadingScene);
  for (size_t done = 0; done < std::size(steps); ++done) {
    steps[done]();
    picture->setProgress(float(done + 1) / float(std::size(steps)));
    showLoadingFrame(loadingScene);
  }
}

void startLibraries() {
  ilInit();
  iluInit();
  const bool glewStarted = glewInit() == GLEW_OK;
  // ILUT asks the driver about texture sizes: it needs the window and GLEW first.
  ilutRenderer(ILUT_OPENGL);
  if (!glewStarted) {
    printMessage("No se pudo inicializar glew correctamente");
  } else if (!checkShaderSupport()) {
    printMessage("Tu tarjeta no soporta shader objects");
  }
}

}  // namespace

int main(int argc, char** argv) {
  launchedAt = FrameStats::Clock::now();
  const std::optional<GameOptions> options = parseGameOptions(argc, argv);
  if (!options) return 2;
  if (options->help || options->version) {
    std::fputs(options->help ? kGameUsage : "zumbolo " ZUMBOLO_VERSION "\n", stdout);
    return 0;
  }
  std::error_code error;
  const std::filesystem::path startedIn = std::filesystem::current_path(error);
  const std::optional<GameFolders> folders = findGameFolders(executablePath(), startedIn);
  if (!folders) return 1;
  // Files named on the command line are the caller's, from where it started.
  std::optional<MatchRecording> replay;
  if (!options->replay.empty()) {
    replay = loadRecording(options->replay);
    if (!replay) return 1;
  }
  // The network is opened before the window, so that a port already taken
  // or an address not found is one line and no game.
  std::unique_ptr<NetSession> session;
  if (options->hosting || !options->join.empty()) {
    const std::optional<NetAddress> address =
        options->hosting ? parseNetAddress(options->host.empty() ? std::to_string(kDefaultNetPort) : options->host, "")
                         : parseNetAddress(options->join, "");
    if (address) session = options->hosting ? NetSession::host(*address) : NetSession::join(*address);
    if (!session) return 1;
    if (options->hosting) printMessage("Esperando a otro juego en el puerto %u\n", address->port);
  }
  const std::filesystem::path padScriptPath =
      options->padScript.empty() ? std::filesystem::path() : std::filesystem::absolute(options->padScript, error);
  // Every data path of the game is relative to its data folder.
  std::filesystem::current_path(folders->data, error);
  if (error) {
    printMessage("No se puede entrar en la carpeta de datos %s\n", folders->data.string().c_str());
    return 1;
  }
  // A first start: no settings yet, so the main menu suggests training.
  const bool firstStart = !folders->settingsFile.empty() && !std::filesystem::exists(folders->settingsFile, error);
  Settings().load(folders->settingsFile);
  // --windowed is for this run: the settings, which may be saved, keep theirs.
  SettingsValues opened = settings;
  if (options->windowed) opened.windowed = true;
  if (options->stats) frameStats = std::make_unique<FrameStats>(launchedAt);

  glutInit(&argc, argv);
  // Closing the window ends the loop instead of calling exit() from inside it.
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
  glutInitDisplayMode(kDisplayMode);
  openWindow(opened);
  // Nothing can be shown before this: connecting to the display and making
  // the window and its context take a good part of the launch.
  if (frameStats) frameStats->windowOpened(FrameStats::Clock::now());
  registerCallbacks();
  setFixedGlState();
  startLibraries();
  loadTitle();
  application = std::make_shared<Application>();
  application->liveSettings().setSettingsFile(folders->settingsFile);
  application->liveSettings().setScreen(showScreen, displayModes, opened.windowed);
  application->setRecordingFolder(replayFolder());
  application->setProgressFile(cupProgressFile());
  if (firstStart) application->suggestTraining();
  application->offerKeysCards(true);
  application->setGamepads(std::make_shared<Gamepads>(settings.padKeySets, settings.padSwapHitAndDive));
  if (!padScriptPath.empty()) padScript = std::make_unique<PadScript>(padScriptPath.string());
  if (replay) application->startReplay(std::move(*replay));
  if (session) application->awaitNetMatch(std::move(session));
  glutMainLoop();
  releaseGame();
  return 0;
}
