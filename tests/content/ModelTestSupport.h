#pragma once
// Helpers of the tests of the generated data: the run folder, its files and
// models, and assimp's reading of the same text.

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "support/ModelText.h"
#include "support/TempDirectory.h"
#include "tennis/ModelFiles.h"

namespace modeltest {

// Set for every test program by its test environment.
inline std::filesystem::path runFolder() { return std::getenv("ZUMBOLO_RUN_DIR"); }

// A model file of the run folder read as the game reads it, once for the
// whole test program: the tests only pose it.
inline LoadedModel& runModel(const std::string& relative) {
  static std::map<std::string, LoadedModel> cache;
  const auto [found, fresh] = cache.try_emplace(relative);
  if (!fresh) return found->second;
  const std::filesystem::path file = runFolder() / relative;
  std::vector<std::string> clips;
  for (const std::string& clip : gameClipFilesFor(file.filename().string())) {
    clips.push_back((file.parent_path() / clip).string());
  }
  return found->second = loadAse("", file.string(), true, clips);
}

inline std::vector<Vector3> worldPoints(const SceneObject& object) {
  std::vector<Vector3> points;
  for (const Vector3& v : object.vertices()) points.push_back(transformPoint(v, object.worldMatrix()));
  return points;
}

// A node's own world: a bone's (and a skin's) world matrix carries its
// pivot, the inverse of its bind transform, taken off here.
inline Matrix placement(const SceneObject& object) {
  const auto* bone = dynamic_cast<const BoneObject*>(&object);
  return bone ? multiply(inverse(bone->pivot()), object.worldMatrix()) : object.worldMatrix();
}

// The faces of the model's rigid meshes (not bones, skins or cameras) by
// name agree with assimp's import of its text.
inline void expectAssimpFaces(const Model& model, const std::string& text) {
  std::map<std::string, size_t> ours, theirs;
  forEachObject(*model.root, [&](const SceneObject& object) {
    if (!dynamic_cast<const BoneObject*>(&object) && !object.isCamera() && !object.faces().empty())
      ours[object.name()] += object.faces().size();
  });
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFileFromMemory(text.data(), text.size(), 0, "ase");
  ASSERT_TRUE(scene) << importer.GetErrorString();
  std::function<void(const aiNode&)> walk = [&](const aiNode& node) {
    for (unsigned i = 0; i < node.mNumMeshes; ++i)
      theirs[node.mName.C_Str()] += scene->mMeshes[node.mMeshes[i]]->mNumFaces;
    for (unsigned i = 0; i < node.mNumChildren; ++i) walk(*node.mChildren[i]);
  };
  walk(*scene->mRootNode);
  EXPECT_EQ(ours, theirs);
}

}  // namespace modeltest
