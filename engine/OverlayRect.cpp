#include "engine/OverlayRect.h"

#include <GL/gl.h>

#include "engine/DrawCalls.h"

void fillOverlayRect(float left, float bottom, float right, float top) {
  countDrawCall();
  glBegin(GL_TRIANGLE_STRIP);
  glVertex2f(right, top);
  glVertex2f(left, top);
  glVertex2f(right, bottom);
  glVertex2f(left, bottom);
  glEnd();
}
