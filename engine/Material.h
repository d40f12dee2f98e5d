#pragma once
// The surface of a group of meshes: colours, an optional texture and an
// optional GLSL program (0: fixed function). The scene draws materials in
// groups (untextured, textured, alpha-textured), and each material draws the
// objects that use it.
//
// A material refers to its objects without owning them: the scene tree owns
// the meshes, and each mesh owns its material. (Both owning would make every
// loaded model a reference cycle that outlives its scene.) objects() hands out
// the live ones.

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "engine/Matrix.h"
#include "engine/Texture.h"
#include "engine/Vector3.h"

class SceneObject;

using SceneObjectList = std::list<std::shared_ptr<SceneObject>>;

constexpr float kDefaultMaterialColour = 0.7f;

class Material {
 public:
  explicit Material(uint32_t shaderProgram = 0) : program(shaderProgram) {}
  virtual ~Material() = default;
  Material(const Material&) = delete;
  Material& operator=(const Material&) = delete;

  // Sets the OpenGL material colours, the program and the texture.
  virtual void apply();
  // Draws every object with `view` using the material's program (OpenGL).
  virtual void drawObjects(const Matrix& view);
  // The outlines of the objects, drawn by the scene once a pass's surfaces are
  // all down, in the state the outline pass sets (see ToonMaterial.h); a
  // plain material has none.
  virtual bool hasOutlines() const { return false; }
  virtual void drawOutlines(const Matrix& /*view*/) {}

  // Red, green, blue.
  const Vector3& ambient() const { return ambientColour; }
  const Vector3& diffuse() const { return diffuseColour; }
  const Vector3& specular() const { return specularColour; }
  void setAmbient(const Vector3& rgb) { ambientColour = rgb; }
  void setDiffuse(const Vector3& rgb) { diffuseColour = rgb; }
  void setSpecular(const Vector3& rgb) { specularColour = rgb; }
  const std::string& name() const { return materialName; }
  void setName(const std::string& name) { materialName = name; }
  const std::shared_ptr<Texture>& texture() const { return tex; }
  void setTexture(std::shared_ptr<Texture> texture) { tex = std::move(texture); }
  bool hasTexture() const { return tex != nullptr; }
  bool hasAlphaTexture() const { return tex != nullptr && tex->hasAlpha(); }
  uint32_t shaderProgram() const { return program; }

  // Appends the object to the material's list.
  void addObject(const std::shared_ptr<SceneObject>& object);
  // Removes the entry for that object; nothing when it has none.
  void removeObject(const SceneObject* object);
  // The live objects, in the order they were added.
  std::shared_ptr<SceneObjectList> objects() const;
  size_t objectCount() const;

 protected:
  Vector3 ambientColour{kDefaultMaterialColour, kDefaultMaterialColour, kDefaultMaterialColour};
  Vector3 diffuseColour{kDefaultMaterialColour, kDefaultMaterialColour, kDefaultMaterialColour};
  Vector3 specularColour{kDefaultMaterialColour, kDefaultMaterialColour, kDefaultMaterialColour};
  std::string materialName;
  mutable std::list<std::weak_ptr<SceneObject>> objectList;
  std::shared_ptr<Texture> tex;
  uint32_t program;
};
