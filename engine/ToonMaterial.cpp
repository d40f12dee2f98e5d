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
  glDepthFunc(GL_LESS);
  Material::drawObjects(view);
}

void ToonMaterial::drawOutlines(const Matrix& view) {
  // Each object works out its own silhouette's edges on the processor: the
  // driver would otherwise turn every face turned away into three thick
  // lines, nearly all of them hidden.
  for (const auto& entry : objectList) {
    if (auto object = entry.lock()) object->drawOutline(view);
  }
}

void ToonMaterial::beginOutlinePass() {
  glDepthFunc(GL_LESS);
  glDisable(GL_LIGHTING);
  glLineWidth(kOutlineWidth);
  glDepthRange(kOutlineDepthNear, 1.0);
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  useProgram(0);
}

void ToonMaterial::endOutlinePass() {
  glEnable(GL_LIGHTING);
  glDepthRange(0.0, 1.0);
}
