#include "engine/Material.h"

#include <GL/glew.h>

#include "engine/SceneObject.h"
#include "engine/ShaderSupport.h"

namespace {
// OpenGL takes four components per colour and a material stores three. The
// diffuse alpha becomes the alpha of every lit vertex, which the blended passes
// multiply with the texture's: 1 leaves an object's transparency wholly to its
// texture.
void setColour(GLenum which, const Vector3& rgb) {
  const GLfloat rgba[4] = {rgb.x, rgb.y, rgb.z, 1.0f};
  glMaterialfv(GL_FRONT, which, rgba);
}
}  // namespace

void Material::apply() {
  setColour(GL_AMBIENT, ambientColour);
  setColour(GL_DIFFUSE, diffuseColour);
  setColour(GL_SPECULAR, specularColour);
  useProgram(program);
  if (tex) tex->bind();
}

void Material::drawObjects(const Matrix& view) {
  useProgram(program);
  for (const auto& entry : objectList) {
    if (auto object = entry.lock()) object->draw(view);
  }
}

void Material::addObject(const std::shared_ptr<SceneObject>& object) { objectList.push_back(object); }

void Material::removeObject(const SceneObject* object) {
  objectList.remove_if([](const std::weak_ptr<SceneObject>& entry) { return entry.expired(); });
  for (auto it = objectList.begin(); it != objectList.end(); ++it) {
    if (it->lock().get() == object) {
      objectList.erase(it);
      return;
    }
  }
}

std::shared_ptr<SceneObjectList> Material::objects() const {
  auto live = std::make_shared<SceneObjectList>();
  for (const auto& entry : objectList) {
    if (auto object = entry.lock()) live->push_back(std::move(object));
  }
  return live;
}

size_t Material::objectCount() const {
  objectList.remove_if([](const std::weak_ptr<SceneObject>& entry) { return entry.expired(); });
  return objectList.size();
}
