#pragma once
// Everything drawn in 3D, advanced by the fixed game step and drawn once a
// frame in a fixed order of passes:
//   1. materials without texture, 2. opaque textured materials (each of the
//   two ends with the outlines of its cartoon materials), 3. objects of
//   alpha-textured materials, farthest first, blended, 4. effect instances,
//   farthest first, 5. the 2D overlays in the 1024 x 768 overlay space.
// The scene owns the roots it is given (model roots, game entities, cameras
// and other lone objects, overlays, effect templates and instances); parents
// own the rest of the tree. Materials are kept in draw order: untextured ones,
// then those with an opaque texture (from texturedBegin), then those with an
// alpha texture (from alphaBegin); within a group the latest added comes
// first. The camera that draw() looks through is chosen by name.
//
// An effect instance is a template model played at a placement: every frame
// its template's clock is set to the instance's own age, and the step after
// which the template's clip has run through drops the instance. Drawing
// leaves the list as the steps made it.
//
// Only draw and render touch OpenGL (and the constructor, which enables the
// vertex and normal arrays and the blend function); lists, update and removal
// are plain processor code. The scene is made after the window exists, or
// without a window on purpose by tools that only step the game.

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "engine/Camera.h"
#include "engine/Material.h"
#include "engine/Matrix.h"
#include "engine/Model.h"
#include "engine/Overlay.h"
#include "engine/SceneEntity.h"
#include "engine/SceneObject.h"
#include "engine/StateBuffer.h"

// One effect being played: the template it shows, its age and where it is.
struct EffectInstance {
  uint32_t templateIndex = 0;
  uint32_t timeMs = 0;
  Matrix matrix;
};

using MaterialList = std::list<std::shared_ptr<Material>>;

// Whether a scene will be drawn into a window, or is made without one on
// purpose and never drawn (it then makes no OpenGL call at all). A scene
// without a window poses only the nodes the game reads; PosingAll poses every
// node as a drawn scene does, to check that this changes nothing but speed.
enum class SceneDisplay { Window, None, PosingAll };

// The depth range of the blended passes stops just short of the far plane's 1.
constexpr double kBlendedDepthFar = 0.999997;

class Scene {
 public:
  // For a window: enables the vertex and normal arrays and sets the blend
  // function; without an OpenGL context it says so and the scene is built
  // all the same. Without a window on purpose it says nothing.
  explicit Scene(SceneDisplay display = SceneDisplay::Window);
  virtual ~Scene() = default;
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // The passes, with `view` as the camera's view matrix (OpenGL).
  virtual void render(const Matrix& view);
  // Looks through the active camera (or an identity view and the current
  // projection when there is none) and renders.
  virtual void draw();
  // One fixed step: model roots and game entities, lone objects, effect ages
  // and overlays, in that order.
  virtual void update(uint32_t dtMs);
  // The same without the lone objects (the cameras): a simulation's step,
  // which a rollback may play again, while its cameras move once a step
  // shown (updateLoneObjects).
  void updateSimulation(uint32_t dtMs);
  void updateLoneObjects(uint32_t dtMs);

  // The model's materials in file order, its findable objects, its root.
  void addModel(const std::shared_ptr<Model>& model);
  // A scene without a window poses only what the game reads in the entity's
  // tree (SceneNode::findReadNode).
  void addEntity(std::shared_ptr<SceneEntity> entity);
  // Files the material into its group; an alpha-textured material's current
  // objects join the blended pass.
  void addMaterial(std::shared_ptr<Material> material);
  // A findable object (the game's cameras). One without a parent is updated
  // on its own every step, with the step as its time.
  void addObject(std::shared_ptr<SceneObject> object);
  void addOverlay(std::shared_ptr<Overlay> overlay);
  // Drawn before every overlay added so far (a menu under the match's fade).
  void addOverlayUnderneath(std::shared_ptr<Overlay> overlay);
  // Drawn just before `above` (at the end when it is not there).
  void addOverlayBefore(std::shared_ptr<Overlay> overlay, const Overlay* above);
  void removeOverlay(const std::shared_ptr<Overlay>& overlay) { overlayList.remove(overlay); }
  // Keeps the model as an effect template; returns its index.
  uint32_t addEffectTemplate(std::shared_ptr<Model> model);
  // Starts the template's effect at `placement`, aged 0.
  void spawnEffect(uint32_t templateIndex, const Matrix& placement);
  // Removes the effects whose clip has finished (every step does).
  void dropFinishedEffects();
  // The effects being played, for a saved game: restoring puts back exactly
  // these (a template index the scene does not hold stops the reader).
  void saveEffects(StateWriter& out) const;
  void restoreEffects(StateReader& in);
  // Makes the first object of `objects` named `name` the camera, then loads
  // the camera's projection; an unknown name keeps the camera as it was.
  void setCamera(const std::string& name);
  // Takes a subtree out of the scene: detached from its parent, each node
  // taken out of its material (a material left without objects leaves the
  // scene) and out of the blended pass; a camera leaves `objects`, and a
  // root leaves the roots. Other objects stay findable in `objects`. Taken
  // by value: the caller's pointer may live in the very list it leaves.
  void remove(std::shared_ptr<SceneNode> node);

  const std::list<std::shared_ptr<SceneEntity>>& entities() const { return entityList; }
  const MaterialList& materials() const { return materialList; }
  // First material with a texture, first with an alpha texture (end() when
  // the group is empty and nothing follows).
  MaterialList::const_iterator texturedBegin() const { return texturedStart; }
  MaterialList::const_iterator alphaBegin() const { return alphaStart; }
  const std::list<std::shared_ptr<SceneObject>>& transparentObjects() const { return transparentList; }
  const std::list<std::shared_ptr<SceneObject>>& objects() const { return objectList; }
  const std::list<std::shared_ptr<Overlay>>& overlays() const { return overlayList; }
  const std::shared_ptr<Camera>& camera() const { return activeCamera; }
  const std::vector<std::shared_ptr<Model>>& effectTemplates() const { return templates; }
  const std::list<EffectInstance>& effects() const { return effectList; }
  // The draw calls of the frame rendered last (overlays included).
  uint32_t drawCallsLastFrame() const { return callsLastFrame; }

 private:
  // The material passes: apply and draw each material of [begin, end).
  void drawMaterials(MaterialList::iterator begin, MaterialList::iterator end, const Matrix& view);
  // The outlines of the cartoon materials of [begin, end), after all their surfaces.
  void drawOutlines(MaterialList::iterator begin, MaterialList::iterator end, const Matrix& view);
  void drawTransparentObjects(const Matrix& view);
  void drawEffects(const Matrix& view);
  // The effect's template; nullptr when it has none (or no root to time it).
  const Model* effectTemplate(const EffectInstance& effect) const;
  // Poses the template at the effect's age and tells whether its clip is over.
  static bool poseEffect(const Model& model, const EffectInstance& effect);
  void drawOverlays();
  void updateRoots(uint32_t dtMs);
  void updateEffectsAndOverlays(uint32_t dtMs);
  // Takes one object out of its material and the blended pass, or a camera
  // out of `objects`.
  void forgetObject(const std::shared_ptr<SceneObject>& object);
  // Finds the group starts again after a material left the list.
  void findGroupStarts();

  MaterialList::iterator texturedStart;
  MaterialList::iterator alphaStart;
  std::list<std::shared_ptr<SceneEntity>> entityList;
  MaterialList materialList;
  std::list<std::shared_ptr<SceneObject>> transparentList;
  std::list<std::shared_ptr<SceneObject>> objectList;
  std::list<std::shared_ptr<Overlay>> overlayList;
  std::shared_ptr<Camera> activeCamera;
  Matrix rootMatrix;
  SceneDisplay sceneDisplay;
  std::vector<std::shared_ptr<Model>> templates;
  std::list<EffectInstance> effectList;
  uint32_t callsLastFrame = 0;
};
