#pragma once
// For the engine tests: comparisons with a tolerance for the math types, and
// stand-ins that run without OpenGL: materials of each kind (textures that
// are never decoded), objects that log their draws and record their updates,
// overlays that count their steps, and clips that place an object.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/AnimatedGroup.h"
#include "engine/Material.h"
#include "engine/Matrix.h"
#include "engine/Model.h"
#include "engine/Overlay.h"
#include "engine/Quaternion.h"
#include "engine/SceneObject.h"
#include "engine/Texture.h"
#include "engine/Vector3.h"

template <size_t N>
testing::AssertionResult allNear(const std::array<float, N>& actual, const std::array<float, N>& expected,
                                 float tolerance) {
  for (size_t i = 0; i < N; ++i) {
    if (!(std::fabs(actual[i] - expected[i]) <= tolerance)) {
      return testing::AssertionFailure() << "element " << i << " is " << actual[i] << ", not " << expected[i];
    }
  }
  return testing::AssertionSuccess();
}

inline testing::AssertionResult vectorNear(const Vector3& a, const Vector3& e, float tolerance = 1e-5f) {
  return allNear<3>({a.x, a.y, a.z}, {e.x, e.y, e.z}, tolerance);
}
inline testing::AssertionResult vectorsNear(const std::vector<Vector3>& actual, const std::vector<Vector3>& expected,
                                            float tolerance = 1e-5f) {
  if (actual.size() != expected.size()) return testing::AssertionFailure() << actual.size() << " vectors";
  for (size_t i = 0; i < actual.size(); ++i) {
    if (!vectorNear(actual[i], expected[i], tolerance)) return vectorNear(actual[i], expected[i], tolerance) << " at " << i;
  }
  return testing::AssertionSuccess();
}
inline testing::AssertionResult quaternionNear(const Quaternion& a, const Quaternion& e, float tolerance = 1e-5f) {
  return allNear<4>({a.x, a.y, a.z, a.w}, {e.x, e.y, e.z, e.w}, tolerance);
}
// The same rotation: q and -q both qualify.
inline testing::AssertionResult sameRotation(const Quaternion& a, const Quaternion& e, float tolerance = 1e-5f) {
  return quaternionNear(a, e, tolerance) ? testing::AssertionSuccess() : quaternionNear(a, e * -1.0f, tolerance);
}
inline testing::AssertionResult matrixNear(const Matrix& a, const Matrix& e, float tolerance = 1e-5f) {
  return allNear<16>(std::to_array(a.m), std::to_array(e.m), tolerance);
}

using Names = std::vector<std::string>;

// Named by kind: "p..." untextured, "o..." opaque textured, anything else
// alpha textured ("g..." for glass).
inline std::shared_ptr<Material> materialNamed(const std::string& name) {
  auto material = std::make_shared<Material>();
  material->setName(name);
  if (name[0] != 'p') material->setTexture(Texture::undecoded(name + ".tga", 4, 4, name[0] != 'o'));
  return material;
}

// Appends its name to the shared log on every draw (its mesh is empty: nothing
// reaches OpenGL); remembers the time and the parent world of every update.
class LoggingObject : public SceneObject {
 public:
  LoggingObject(const std::string& name, std::shared_ptr<Names> log = std::make_shared<Names>())
      : SceneObject(name), drawLog(std::move(log)) {}
  void draw(const Matrix& view) override {
    drawLog->push_back(name());
    SceneObject::draw(view);
  }
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

// A group whose own update runs `onUpdate`, as a game entity's does.
class ScriptedGroup : public AnimatedGroup {
 public:
  void update(uint32_t timeMs, const Matrix&, uint32_t*) override { onUpdate(*this, timeMs); }
  std::function<void(ScriptedGroup&, uint32_t)> onUpdate;
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
