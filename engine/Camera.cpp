#include "engine/Camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "engine/Matrix.h"

void Camera::draw(const Matrix&) {}

Matrix Camera::viewMatrix() const {
  const Matrix viewScale(kViewScale, 0, 0, 0, kViewScale, 0, 0, 0, kViewScale, 0, 0, 0);
  return multiply(inverse(world), viewScale);
}

double Camera::fittedFovY(double fovY, double aspect) {
  if (aspect >= kCameraAspect) return fovY;
  return 2.0 * std::atan(std::tan(fovY * kDegreesToRadians / 2.0) * kCameraAspect / aspect) / kDegreesToRadians;
}

void Camera::applyProjection() const {
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  const double aspect = viewport[2] > 0 && viewport[3] > 0 ? double(viewport[2]) / viewport[3] : kCameraAspect;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fittedFovY(fieldOfViewY, aspect), aspect, nearDistance, farDistance);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
