#include "engine/Camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

void Camera::draw(const Matrix&) {}

Matrix Camera::viewMatrix() const {
  const Matrix viewScale(kViewScale, 0, 0, 0, kViewScale, 0, 0, 0, kViewScale, 0, 0, 0);
  return multiply(inverse(world), viewScale);
}

void Camera::applyProjection() const {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fieldOfViewY, kCameraAspect, nearDistance, farDistance);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
