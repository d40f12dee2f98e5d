#include "assets/ModelProbe.h"

#include <functional>
#include <set>

#include "engine/AnimationPlayer.h"
#include "engine/SkinnedObject.h"

namespace {

void checkObject(const SceneObject& object, std::vector<std::string>& problems) {
  const std::string name = "\"" + object.name() + "\": ";
  const size_t vertexCount = object.vertices().size();
  if (object.animator().animationCount() == 0) problems.push_back(name + "sin clips");
  for (const auto& animation : object.animator().animations()) {
    if (!animation) {
      problems.push_back(name + "clip vacio");
    } else if (animation->frameCount() == 0 || animation->msPerFrame() == 0) {
      problems.push_back(name + "clip sin fotogramas o de 0 ms");
    }
  }
  if (object.normals().size() != vertexCount) problems.push_back(name + "normales y vertices no coinciden");
  for (const Face& face : object.faces()) {
    if (face[0] >= vertexCount || face[1] >= vertexCount || face[2] >= vertexCount) {
      problems.push_back(name + "cara fuera de la lista de vertices");
      break;
    }
  }
  const size_t texCount = object.texCoords().size();
  for (const Face& face : object.texFaces()) {
    if (face[0] >= texCount || face[1] >= texCount || face[2] >= texCount) {
      problems.push_back(name + "cara de textura fuera de sus coordenadas");
      break;
    }
  }
  if (object.texFaces().size() > object.faces().size()) problems.push_back(name + "mas caras de textura que caras");
  if (const auto* skin = dynamic_cast<const SkinnedObject*>(&object)) {
    const auto& weights = skin->boneWeights();
    const auto& bones = skin->boneIndices();
    if (skin->bones().empty()) problems.push_back(name + "piel sin huesos");
    for (const BoneObject* bone : skin->bones()) {
      if (!bone) problems.push_back(name + "hueso nulo");
    }
    if (weights.size() != bones.size()) problems.push_back(name + "pesos y huesos no coinciden");
    if (weights.size() < vertexCount * kMaxBonesPerVertex) problems.push_back(name + "vertices sin pesos");
    for (size_t i = 0; i < weights.size() && i < bones.size(); ++i) {
      if (weights[i] != 0 && (bones[i] < 0 || static_cast<size_t>(bones[i]) >= skin->bones().size())) {
        problems.push_back(name + "peso de un hueso que no existe");
        break;
      }
    }
    if (skin->bindVertices().size() != vertexCount || skin->bindNormals().size() != vertexCount) {
      problems.push_back(name + "copias de reposo incompletas");
    }
  }
}

}  // namespace

std::vector<std::string> findModelProblems(const Model& model) {
  std::vector<std::string> problems;
  if (!model.root) {
    problems.push_back("modelo sin raiz");
    return problems;
  }
  std::set<const SceneNode*> seen;
  std::function<void(const SceneNode&)> visit = [&](const SceneNode& node) {
    for (const auto& child : node.children()) {
      if (!child) {
        problems.push_back("\"" + node.name() + "\": hijo nulo");
        continue;
      }
      if (!seen.insert(child.get()).second) {
        problems.push_back("\"" + child->name() + "\": nodo dos veces en el arbol");
        continue;
      }
      if (child->parent() != &node) problems.push_back("\"" + child->name() + "\": enlace al padre roto");
      if (const auto* object = dynamic_cast<const SceneObject*>(child.get())) checkObject(*object, problems);
      visit(*child);
    }
  };
  seen.insert(model.root.get());
  visit(*model.root);
  for (const auto& material : model.materials) {
    if (!material) problems.push_back("material nulo");
  }
  for (const auto& object : model.objects) {
    if (!object) problems.push_back("objeto nulo");
  }
  return problems;
}

void poseModel(AnimatedGroup& root, uint32_t clip, uint32_t timeMs) {
  root.setAnimation(clip);
  root.resetClock();
  root.updateTree(timeMs - kBlendMs, Matrix(), 0);
  root.updateTree(kBlendMs, Matrix(), 0);
  std::function<void(const SceneNode&)> skinAll = [&](const SceneNode& node) {
    for (const auto& child : node.children()) {
      if (auto* skin = dynamic_cast<SkinnedObject*>(child.get())) skin->skin();
      skinAll(*child);
    }
  };
  skinAll(root);
}
