// The entry point: settings, window, libraries, the Application, and GLUT's
// main loop, which never returns. The game ends by exit(0), from the main
// menu's quit item or when the window is closed.

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include "app/Application.h"
#include "app/Keyboard.h"
#include "app/Settings.h"
#include "app/Window.h"
#include "engine/Log.h"
#include "engine/ShaderSupport.h"

namespace {

void onKeyboard(unsigned char key, int, int) { pressCharacterKey(key); }
void onSpecial(int key, int, int) { pressSpecialKey(key); }
void onKeyboardUp(unsigned char key, int, int) { releaseCharacterKey(key); }
void onSpecialUp(int key, int, int) { releaseSpecialKey(key); }

// Display and idle alike. The colour buffer is not cleared: the scene covers it.
void onDisplay() {
  glClear(GL_DEPTH_BUFFER_BIT);
  application->frame();
  glutSwapBuffers();
  glFlush();
}

void registerCallbacks() {
  glutKeyboardFunc(onKeyboard);
  glutSpecialFunc(onSpecial);
  glutKeyboardUpFunc(onKeyboardUp);
  glutSpecialUpFunc(onSpecialUp);
  glutReshapeFunc(reshapeWindow);
  glutDisplayFunc(onDisplay);
  glutIdleFunc(onDisplay);
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
  glutInitDisplayMode(kDisplayMode);
  openWindow(settings);
  registerCallbacks();
  setFixedGlState();
  startLibraries();
  application = std::make_shared<Application>();
  glutMainLoop();
  return 0;
}
