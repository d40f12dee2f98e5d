// The entry point: settings, window, libraries, the Application, and GLUT's
// main loop. The game ends when the main menu's quit item is picked or the
// window is closed: either way the Application (match, scene, textures, sound)
// and the shader programs are released while the window's OpenGL context is
// current and the sound device still open, then GLUT's loop returns, freeglut
// destroys the window, and main returns 0.
//
// "zumbolo --replay FILE" first plays a recorded match (Escape leaves it),
// then goes on to the main menu as usual; a recording that cannot be read is
// said in one line and the game does not start. "--pad-script FILE" plays
// virtual pads from a file as it grows (see app/PadScript.h).

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <cstring>
#include <memory>
#include <string>
#include <optional>

#include "app/Application.h"
#include "app/Gamepads.h"
#include "app/Keyboard.h"
#include "app/PadScript.h"
#include "app/Settings.h"
#include "app/Window.h"
#include "assets/ShaderProgram.h"
#include "engine/Log.h"
#include "engine/ShaderSupport.h"

namespace {

std::unique_ptr<PadScript> padScript;

void onKeyboard(unsigned char key, int, int) { pressCharacterKey(key); }
void onSpecial(int key, int, int) { pressSpecialKey(key); }
void onKeyboardUp(unsigned char key, int, int) { releaseCharacterKey(key); }
void onSpecialUp(int key, int, int) { releaseSpecialKey(key); }

// Everything that holds OpenGL objects or sound goes while the context and
// the device are still there; a second call does nothing.
void releaseGame() {
  application.reset();
  padScript.reset();
  releaseShaderPrograms();
}

// Display and idle alike. The colour buffer is not cleared: the scene covers it.
void onDisplay() {
  // GLUT may still call in while its loop winds down after the game ended.
  if (!application) return;
  glClear(GL_DEPTH_BUFFER_BIT);
  if (padScript) padScript->follow();
  application->frame();
  if (application->quitRequested()) {
    releaseGame();
    glutLeaveMainLoop();
    return;
  }
  glutSwapBuffers();
  glFlush();
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
  glutDisplayFunc(onDisplay);
  glutIdleFunc(onDisplay);
  glutCloseFunc(onClose);
  // X repeats a held key as release/press pairs; a held key is one press.
  glutIgnoreKeyRepeat(1);
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
  Settings().load();
  glutInit(&argc, argv);
  std::optional<MatchRecording> replay;
  std::string padScriptPath;
  for (int i = 1; i < argc; ++i) {
    const bool wantsReplay = std::strcmp(argv[i], "--replay") == 0;
    const bool wantsPadScript = std::strcmp(argv[i], "--pad-script") == 0;
    if (!wantsReplay && !wantsPadScript) continue;
    if (i + 1 >= argc) {
      printMessage(wantsReplay ? "Falta el archivo de la grabacion tras --replay\n"
                               : "Falta el archivo del guion de mandos tras --pad-script\n");
      return 1;
    }
    if (wantsPadScript) padScriptPath = argv[++i];
    if (wantsReplay) {
      replay = loadRecording(argv[++i]);
      if (!replay) return 1;
    }
  }
  // Closing the window ends the loop instead of calling exit() from inside it.
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
  glutInitDisplayMode(kDisplayMode);
  openWindow(settings);
  registerCallbacks();
  setFixedGlState();
  startLibraries();
  application = std::make_shared<Application>();
  application->setRecordingFolder(replayFolder());
  application->setGamepads(std::make_shared<Gamepads>(settings.padKeySets, settings.padSwapHitAndDive));
  if (!padScriptPath.empty()) padScript = std::make_unique<PadScript>(padScriptPath);
  if (replay) application->startReplay(std::move(*replay));
  glutMainLoop();
  releaseGame();
  return 0;
}
