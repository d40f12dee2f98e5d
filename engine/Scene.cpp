#include "engine/Scene.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>

#include "engine/DrawCalls.h"
#include "engine/Log.h"
#include "engine/ShaderSupport.h"
#include "engine/ToonMaterial.h"

namespace {

// Element 14 of multiply(world, view): the depth of the placement in eye
// space, more negative farther from the camera.
float eyeDepth(const Matrix& world, const Matrix& view) {
  return world.m[12] * view.m[2] + world.m[13] * view.m[6] + world.m[14] * view.m[10] + world.m[15] * view.m[14];
}

}  // namespace

Scene::Scene(SceneDisplay display) : sceneDisplay(display) {
  texturedStart = materialList.end();
  alphaStart = materialList.end();
  if (display != SceneDisplay::Window) return;
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  // Without a current context the calls above go nowhere and report no error;
  // the missing version string gives it away.
  if (glGetError() != GL_NO_ERROR || glGetString(GL_VERSION) == nullptr) {
    printMessage("Error al iniciar la scena. Debe iniciar antes una ventana de OpenGl");
  }
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// --- Filling the scene ---------------------------------------------------

void Scene::addModel(const std::shared_ptr<Model>& model) {
  if (!model) return;
  for (const auto& material : model->materials) addMaterial(material);
  for (const auto& object : model->objects) addObject(object);
  addEntity(model->root);
}

void Scene::addEntity(std::shared_ptr<SceneEntity> entity) {
  if (!entity) return;
  if (sceneDisplay == SceneDisplay::None) entity->setPoseOnlyWhatIsRead(true);
  entityList.push_back(std::move(entity));
}

void Scene::addMaterial(std::shared_ptr<Material> material) {
  if (!material) return;
  if (!material->hasTexture()) {
    materialList.push_front(std::move(material));
  } else if (!material->hasAlphaTexture()) {
    texturedStart = materialList.insert(texturedStart, std::move(material));
  } else {
    const std::shared_ptr<SceneObjectList> objects = material->objects();
    for (const auto& object : *objects) transparentList.push_back(object);
    const bool noOpaqueTextured = texturedStart == alphaStart;
    alphaStart = materialList.insert(alphaStart, std::move(material));
    if (noOpaqueTextured) texturedStart = alphaStart;
  }
}

void Scene::addObject(std::shared_ptr<SceneObject> object) {
  if (object) objectList.push_back(std::move(object));
}

void Scene::addOverlay(std::shared_ptr<Overlay> overlay) {
  if (overlay) overlayList.push_back(std::move(overlay));
}

void Scene::addOverlayUnderneath(std::shared_ptr<Overlay> overlay) {
  if (overlay) overlayList.push_front(std::move(overlay));
}

void Scene::addOverlayBefore(std::shared_ptr<Overlay> overlay, const Overlay* above) {
  if (!overlay) return;
  const auto at = std::find_if(overlayList.begin(), overlayList.end(),
                               [above](const std::shared_ptr<Overlay>& item) { return item.get() == above; });
  overlayList.insert(at, std::move(overlay));
}

uint32_t Scene::addEffectTemplate(std::shared_ptr<Model> model) {
  templates.push_back(std::move(model));
  return uint32_t(templates.size() - 1);
}

void Scene::spawnEffect(uint32_t templateIndex, const Matrix& placement) {
  effectList.push_back({templateIndex, 0, placement});
}

void Scene::saveEffects(StateWriter& out) const {
  out.putCount(effectList.size());
  for (const EffectInstance& effect : effectList) {
    out.put(effect.templateIndex);
    out.put(effect.timeMs);
    out.put(effect.matrix);
  }
}

void Scene::restoreEffects(StateReader& in) {
  effectList.clear();
  const size_t count = in.getCount();
  for (size_t i = 0; i < count && in.ok(); ++i) {
    EffectInstance effect;
    in.get(effect.templateIndex);
    in.get(effect.timeMs);
    in.get(effect.matrix);
    if (effect.templateIndex >= templates.size()) in.fail();
    if (in.ok()) effectList.push_back(effect);
  }
}

void Scene::setCamera(const std::string& name) {
  for (const auto& object : objectList) {
    if (object->name() != name) continue;
    if (auto found = std::dynamic_pointer_cast<Camera>(object)) {
      activeCamera = std::move(found);
      break;
    }
  }
  if (activeCamera) activeCamera->applyProjection();
}

// --- Taking things out -----------------------------------------------------

void Scene::remove(std::shared_ptr<SceneNode> node) {
  if (!node) return;
  // `node` keeps the subtree alive while its parent lets go of it.
  if (SceneNode* parent = node->parent()) parent->removeChild(node.get());
  while (!node->children().empty()) {
    const std::shared_ptr<SceneNode> child = node->children().front();
    remove(child);
    // A child whose parent link names another node is still listed here.
    if (!node->children().empty() && node->children().front() == child) node->removeChild(child.get());
  }
  if (auto object = std::dynamic_pointer_cast<SceneObject>(node)) forgetObject(object);
  entityList.remove_if([&node](const std::shared_ptr<SceneEntity>& entity) { return entity.get() == node.get(); });
}

void Scene::forgetObject(const std::shared_ptr<SceneObject>& object) {
  if (object->isCamera()) {
    objectList.remove(object);
    return;
  }
  const std::shared_ptr<Material> material = object->material();
  if (!material) return;
  material->removeObject(object.get());
  // Whether or not the material stays, the object must not be drawn blended.
  if (material->hasAlphaTexture()) transparentList.remove(object);
  if (material->objectCount() == 0) {
    materialList.remove(material);
    findGroupStarts();
  }
}

void Scene::findGroupStarts() {
  texturedStart = std::find_if(materialList.begin(), materialList.end(),
                               [](const std::shared_ptr<Material>& m) { return m->hasTexture(); });
  alphaStart = std::find_if(texturedStart, materialList.end(),
                            [](const std::shared_ptr<Material>& m) { return m->hasAlphaTexture(); });
}

// --- One step ----------------------------------------------------------------

void Scene::update(uint32_t dtMs) {
  updateRoots(dtMs);
  updateLoneObjects(dtMs);
  updateEffectsAndOverlays(dtMs);
}

void Scene::updateSimulation(uint32_t dtMs) {
  updateRoots(dtMs);
  updateEffectsAndOverlays(dtMs);
}

void Scene::updateRoots(uint32_t dtMs) {
  rootMatrix = Matrix();
  // Copies, so that game code run inside an update may add to the scene or
  // take roots out of it.
  const std::vector<std::shared_ptr<SceneEntity>> roots(entityList.begin(), entityList.end());
  for (const auto& entity : roots) entity->updateTree(dtMs, rootMatrix, 0);
}

void Scene::updateLoneObjects(uint32_t dtMs) {
  const std::vector<std::shared_ptr<SceneObject>> lone(objectList.begin(), objectList.end());
  for (const auto& object : lone) {
    if (!object->parent()) object->updateTree(dtMs, Matrix(), 0);
  }
}

void Scene::updateEffectsAndOverlays(uint32_t dtMs) {
  for (EffectInstance& effect : effectList) effect.timeMs += dtMs;
  // Here and not when drawing, so that which effects live after a step does
  // not depend on which frames were drawn.
  dropFinishedEffects();
  const std::vector<std::shared_ptr<Overlay>> items(overlayList.begin(), overlayList.end());
  for (const auto& overlay : items) overlay->update(dtMs);
}

// --- One frame ---------------------------------------------------------------

void Scene::draw() {
  Matrix view;
  if (activeCamera) {
    view = activeCamera->viewMatrix();
    activeCamera->applyProjection();
  }
  render(view);
}

void Scene::render(const Matrix& view) {
  const uint64_t callsBefore = drawCallsIssued;
  glDepthFunc(GL_LESS);
  glDisable(GL_TEXTURE_2D);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisable(GL_BLEND);
  // The cartoon shader samples whatever texture is bound even here; texture 0
  // holds one white texel, so untextured materials keep their own colour
  // instead of showing the last frame's overlay.
  glBindTexture(GL_TEXTURE_2D, 0);
  drawMaterials(materialList.begin(), texturedStart, view);

  glEnable(GL_TEXTURE_2D);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  drawMaterials(texturedStart, alphaStart, view);

  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  // Blended surfaces are drawn a hair nearer and pass where they lie on an
  // opaque surface (GL_LEQUAL): marks on the court show.
  glDepthRange(0.0, kBlendedDepthFar);
  glEnable(GL_BLEND);
  glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glDepthFunc(GL_LEQUAL);
  drawTransparentObjects(view);
  // A blended material's program ends with its pass: effects and overlays are fixed function.
  useProgram(0);
  glDepthRange(0.0, 1.0);

  drawEffects(view);
  drawOverlays();
  callsLastFrame = static_cast<uint32_t>(drawCallsIssued - callsBefore);
}

void Scene::drawMaterials(MaterialList::iterator begin, MaterialList::iterator end, const Matrix& view) {
  for (auto it = begin; it != end; ++it) {
    (*it)->apply();
    (*it)->drawObjects(view);
  }
  drawOutlines(begin, end, view);
}

void Scene::drawOutlines(MaterialList::iterator begin, MaterialList::iterator end, const Matrix& view) {
  if (std::none_of(begin, end, [](const std::shared_ptr<Material>& m) { return m->hasOutlines(); })) return;
  ToonMaterial::beginOutlinePass();
  for (auto it = begin; it != end; ++it) {
    if ((*it)->hasOutlines()) (*it)->drawOutlines(view);
  }
  ToonMaterial::endOutlinePass();
}

void Scene::drawTransparentObjects(const Matrix& view) {
  // Farthest first, so that each blends over what lies behind it.
  transparentList.sort([&view](const std::shared_ptr<SceneObject>& a, const std::shared_ptr<SceneObject>& b) {
    return eyeDepth(a->worldMatrix(), view) < eyeDepth(b->worldMatrix(), view);
  });
  for (const auto& object : transparentList) {
    if (const auto material = object->material()) material->apply();
    object->draw(view);
  }
}

const Model* Scene::effectTemplate(const EffectInstance& effect) const {
  const Model* model = effect.templateIndex < templates.size() ? templates[effect.templateIndex].get() : nullptr;
  return model && model->root ? model : nullptr;
}

bool Scene::poseEffect(const Model& model, const EffectInstance& effect) {
  AnimatedGroup& root = *model.root;
  root.resetClock();
  root.updateTree(effect.timeMs, Matrix(), 0);
  return root.timeBeyondEnd(1) > 0;
}

void Scene::drawEffects(const Matrix& view) {
  // Sorted on the side: the list itself is the step's, and keeps its order.
  std::vector<const EffectInstance*> farthestFirst;
  for (const EffectInstance& effect : effectList) farthestFirst.push_back(&effect);
  std::stable_sort(farthestFirst.begin(), farthestFirst.end(), [&view](const EffectInstance* a, const EffectInstance* b) {
    return eyeDepth(a->matrix, view) < eyeDepth(b->matrix, view);
  });
  for (const EffectInstance* effect : farthestFirst) {
    const Model* model = effectTemplate(*effect);
    if (!model) continue;
    const std::shared_ptr<Material> material = model->materials.empty() ? nullptr : model->materials.front();
    if (material) material->apply();
    if (poseEffect(*model, *effect)) continue;
    if (material) {
      const auto objects = material->objects();
      if (!objects->empty()) objects->front()->draw(multiply(effect->matrix, view));
    }
  }
}

void Scene::dropFinishedEffects() {
  // The age alone tells: posing the template would give the same answer, as
  // poseEffect sets the root's clock to the effect's age. Without a template
  // to time it, an instance could never finish: it goes at once.
  effectList.remove_if([this](const EffectInstance& effect) {
    const Model* model = effectTemplate(effect);
    return !model || int64_t(effect.timeMs) > int64_t(model->root->currentDuration());
  });
}

void Scene::drawOverlays() {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const OverlayArea area = visibleOverlayArea();
  gluOrtho2D(area.left, area.right, area.bottom, area.top);
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (const auto& overlay : overlayList) overlay->draw2D();
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
}
