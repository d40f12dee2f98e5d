#include "app/Window.h"

#include <GL/freeglut.h>

static_assert(kDisplayMode == (GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH));

std::string gameModeString(const Resolution& r) {
  return std::to_string(r.width) + "x" + std::to_string(r.height) + ":" + std::to_string(r.bitsPerPixel) + "@" +
         std::to_string(r.refreshRate);
}

void openWindow(const SettingsValues& values) {
  const Resolution& r = values.resolution;
  if (!values.windowed) {
    glutGameModeString(gameModeString(r).c_str());
    if (glutGameModeGet(GLUT_GAME_MODE_POSSIBLE)) {
      glutEnterGameMode();
      return;
    }
  }
  glutInitWindowPosition(0, 0);
  glutInitWindowSize(r.width, r.height);
  glutCreateWindow(kWindowTitle);
  if (!values.windowed) {
    glutFullScreen();
    glutSetCursor(GLUT_CURSOR_NONE);
  }
}

bool showScreen(bool windowed, const Resolution& windowSize) {
  if (glutGameModeGet(GLUT_GAME_MODE_ACTIVE)) return false;
  if (windowed) {
    glutLeaveFullScreen();
    glutReshapeWindow(windowSize.width, windowSize.height);
    glutPositionWindow(0, 0);
    glutSetCursor(GLUT_CURSOR_INHERIT);
  } else {
    glutFullScreen();
    glutSetCursor(GLUT_CURSOR_NONE);
  }
  return windowed;
}

void setFixedGlState() {
  const GLfloat ambient[] = {0.3f, 0.3f, 0.3f, 1.0f};
  const GLfloat diffuse[] = {0.7f, 0.7f, 0.7f, 1.0f};
  const GLfloat specular[] = {0.1f, 0.1f, 0.1f, 1.0f};
  const GLfloat direction[] = {0.0f, 0.0f, 100.0f, 0.0f};  // w = 0: a directional light along +z
  glEnable(GL_DEPTH_TEST);
  glFrontFace(GL_CCW);
  glEnable(GL_LIGHTING);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
  glLightfv(GL_LIGHT0, GL_POSITION, direction);
  glMaterialf(GL_FRONT, GL_SHININESS, 128.0f);
  glEnable(GL_CULL_FACE);
  glEnable(GL_LIGHT0);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glEnable(GL_NORMALIZE);
}

void reshapeWindow(int width, int height) {
  if (height == 0) height = 1;
  constexpr double kShortSide = 250.0;
  glViewport(0, 0, width, height);
  glLoadIdentity();
  if (width > height) {
    glOrtho(0.0, width * kShortSide / height, 0.0, kShortSide, 1.0, -1.0);
  } else {
    glOrtho(0.0, kShortSide, 0.0, height * kShortSide / (width > 0 ? width : 1), 1.0, -1.0);
  }
}
