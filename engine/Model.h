#pragma once
// One loaded model as the scene takes it: the root group that owns the node
// tree and drives its clips, the model's materials in file order, and the
// objects that must stay findable by name (the model's cameras). The model
// reader builds it; the Scene adds it whole (Scene::addModel) or keeps it as
// the template of a short-lived effect (Scene::addEffectTemplate).

#include <memory>
#include <vector>

#include "engine/AnimatedGroup.h"
#include "engine/Material.h"
#include "engine/SceneObject.h"

struct Model {
  std::shared_ptr<AnimatedGroup> root;
  std::vector<std::shared_ptr<Material>> materials;
  std::vector<std::shared_ptr<SceneObject>> objects;
};
