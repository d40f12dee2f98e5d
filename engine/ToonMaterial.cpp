#include "engine/ToonMaterial.h"

#include <GL/glew.h>

#include "engine/SceneObject.h"
#include "engine/ShaderSupport.h"

namespace {
constexpr GLfloat kOutlineWidth = 2.0f;
// The outline starts a little behind the shaded surface (the single-precision
// 0.005, widened).
constexpr GLdouble kOutlineDepthNear = double(0.005f);
}  // namespace

void ToonMaterial::drawObjects(const Matrix& view) {
  GLint polygonModes[2] = {GL_FILL, GL_FILL};
  glGetIntegerv(GL_POLYGON_MODE, polygonModes);
  glDepthFunc(GL_LESS);

  Material::drawObjects(view);

  glDisable(GL_LIGHTING);
  glLineWidth(kOutlineWidth);
  glPolygonMode(GL_BACK, GL_LINE);
  glDepthRange(kOutlineDepthNear, 1.0);
  glCullFace(GL_FRONT);
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  useProgram(0);

  for (const auto& entry : objectList) {
    if (auto object = entry.lock()) object->draw(view);
  }

  glEnable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  glPolygonMode(GL_FRONT, GLenum(polygonModes[0]));
  glPolygonMode(GL_BACK, GLenum(polygonModes[1]));
  glDepthFunc(GL_LESS);
  glDepthRange(0.0, 1.0);
  glCullFace(GL_BACK);
}
