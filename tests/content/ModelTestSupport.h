#pragma once
// Helpers of the tests of the generated data: the run folder, its files read
// whole, its models read once with the game's reader (as the model reader's
// tests read text), and assimp's reading of the same text.

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "assets/AseReader.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "tests/assets/AseTestSupport.h"

namespace modeltest {

inline std::filesystem::path runFolder() {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  return run ? std::filesystem::path(run) : std::filesystem::path();
}

inline std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A model file of the run folder and its clip files (paths there), read as
// the game reads them, once for the whole test program: the tests only pose
// it.
inline LoadedModel& runModel(const std::string& relative, const std::vector<std::string>& clips = {}) {
  static std::map<std::string, LoadedModel> cache;
  const auto found = cache.find(relative);
  if (found != cache.end()) return found->second;
  LoadedModel& loaded = cache[relative];
  loaded.reader = std::make_unique<AseReader>((runFolder() / relative).string(), loaded.textures);
  testing::internal::CaptureStdout();
  loaded.model = loaded.reader->load();
  for (const std::string& clip : clips) loaded.reader->loadAnimation((runFolder() / clip).string());
  loaded.output = testing::internal::GetCapturedStdout();
  return loaded;
}

// Every object of the tree below `node`, depth first.
inline void forEachObject(const SceneNode& node, const std::function<void(const SceneObject&)>& visit) {
  for (const auto& child : node.children()) {
    if (const auto* object = dynamic_cast<const SceneObject*>(child.get())) visit(*object);
    forEachObject(*child, visit);
  }
}

inline std::vector<Vector3> worldPoints(const SceneObject& object) {
  std::vector<Vector3> points;
  for (const Vector3& v : object.vertices()) points.push_back(transformPoint(v, object.worldMatrix()));
  return points;
}

// The faces of the model's rigid meshes (not bones, skins or cameras) by
// name agree with assimp's import of its text.
inline void expectAssimpFaces(const Model& model, const std::string& text) {
  std::map<std::string, size_t> ours;
  forEachObject(*model.root, [&](const SceneObject& object) {
    if (!dynamic_cast<const BoneObject*>(&object) && !object.isCamera() && !object.faces().empty())
      ours[object.name()] += object.faces().size();
  });
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFileFromMemory(text.data(), text.size(), 0, "ase");
  ASSERT_TRUE(scene) << importer.GetErrorString();
  std::map<std::string, size_t> theirs;
  std::function<void(const aiNode&)> walk = [&](const aiNode& node) {
    for (unsigned i = 0; i < node.mNumMeshes; ++i)
      theirs[node.mName.C_Str()] += scene->mMeshes[node.mMeshes[i]]->mNumFaces;
    for (unsigned i = 0; i < node.mNumChildren; ++i) walk(*node.mChildren[i]);
  };
  walk(*scene->mRootNode);
  EXPECT_EQ(ours, theirs);
}

}  // namespace modeltest
