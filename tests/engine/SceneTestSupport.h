#pragma once
// Stand-ins for the scene tests that run without OpenGL: materials of each
// kind (textures that are never decoded), objects that log their draws
// instead of drawing and record their updates, overlays that count their
// steps, and clips that place an object.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/AnimatedGroup.h"
#include "engine/Material.h"
#include "engine/Model.h"
#include "engine/Overlay.h"
#include "engine/SceneObject.h"
#include "engine/Texture.h"

using Names = std::vector<std::string>;

// Named by kind: "p..." untextured, "o..." opaque textured, anything else
// alpha textured ("g..." for glass).
inline std::shared_ptr<Material> materialNamed(const std::string& name) {
  auto material = std::make_shared<Material>();
  material->setName(name);
  if (name[0] != 'p') material->setTexture(Texture::undecoded(name + ".tga", 4, 4, name[0] != 'o'));
  return material;
}

// Appends its name to the shared log on every draw; remembers the time and
// the parent world of every update.
class LoggingObject : public SceneObject {
 public:
  LoggingObject(const std::string& name, std::shared_ptr<Names> log = std::make_shared<Names>())
      : SceneObject(name), drawLog(std::move(log)) {}
  void draw(const Matrix&) override { drawLog->push_back(name()); }
  void update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) override {
    times.push_back(timeMs);
    parentWorlds.push_back(parentWorld);
    SceneObject::update(timeMs, parentWorld, animationIndex);
  }
  std::vector<uint32_t> times;
  std::vector<Matrix> parentWorlds;

 private:
  std::shared_ptr<Names> drawLog;
};

class CountingOverlay : public Overlay {
 public:
  void draw2D() override {}
  void update(uint32_t dtMs) override { steps.push_back(dtMs); }
  std::vector<uint32_t> steps;
};

// An object that uses `material`, as the model reader wires them: the
// object holds the material and the material lists the object.
template <class Object = SceneObject, class... Args>
std::shared_ptr<Object> objectWith(const std::shared_ptr<Material>& material, Args&&... args) {
  auto object = std::make_shared<Object>(std::forward<Args>(args)...);
  object->setMaterial(material);
  material->addObject(object);
  return object;
}

inline Matrix placedAt(float x, float y, float z) { return translate(Matrix(), x, y, z); }

// A one-frame clip that only holds a base matrix: an object animated by it
// is placed as a loaded mesh is placed by its file transform.
inline std::shared_ptr<Animation> clipWithBase(const Matrix& base) {
  auto clip = std::make_shared<Animation>(1, 32);
  clip->setMatrix(base);
  return clip;
}
