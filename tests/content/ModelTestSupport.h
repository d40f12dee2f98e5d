#pragma once
// Helpers of the generated-model tests: read a model file or text with the
// game's reader (recording the texture paths, capturing what it prints) and
// with assimp, and count each rigid object's faces both ways.

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "assets/AseReader.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "engine/TextureFactory.h"

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

struct LoadedFile {
  std::shared_ptr<RecordingTextureFactory> textures = std::make_shared<RecordingTextureFactory>();
  std::unique_ptr<AseReader> reader;
  std::shared_ptr<Model> model;
  // What the reader printed.
  std::string output;

  template <typename T = SceneObject>
  std::shared_ptr<T> find(const std::string& name) const {
    return std::dynamic_pointer_cast<T>(model->root->findNode(name));
  }
};

// Reads a model file of the run folder by its path there, as the game does.
inline LoadedFile loadRunModel(const std::string& relative) {
  LoadedFile loaded;
  loaded.reader = std::make_unique<AseReader>((runFolder() / relative).string(), loaded.textures);
  testing::internal::CaptureStdout();
  loaded.model = loaded.reader->load();
  loaded.output = testing::internal::GetCapturedStdout();
  return loaded;
}

// Faces of every object that is drawn as a rigid mesh (not bones, skins or
// cameras), by name.
inline std::map<std::string, size_t> readerFaceCounts(const Model& model) {
  std::map<std::string, size_t> counts;
  std::function<void(const SceneNode&)> walk = [&](const SceneNode& node) {
    for (const auto& child : node.children()) {
      const auto* object = dynamic_cast<const SceneObject*>(child.get());
      if (object && !dynamic_cast<const BoneObject*>(object) && !object->isCamera() && !object->faces().empty()) {
        counts[object->name()] += object->faces().size();
      }
      walk(*child);
    }
  };
  walk(*model.root);
  return counts;
}

// assimp's import of the same text, as faces by node name; `error` is
// assimp's message when it refuses the file.
inline std::map<std::string, size_t> assimpFaceCounts(const std::string& text, std::string& error) {
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFileFromMemory(text.data(), text.size(), 0, "ase");
  std::map<std::string, size_t> counts;
  if (!scene) {
    error = importer.GetErrorString();
    return counts;
  }
  std::function<void(const aiNode&)> walk = [&](const aiNode& node) {
    for (unsigned i = 0; i < node.mNumMeshes; ++i)
      counts[node.mName.C_Str()] += scene->mMeshes[node.mMeshes[i]]->mNumFaces;
    for (unsigned i = 0; i < node.mNumChildren; ++i) walk(*node.mChildren[i]);
  };
  walk(*scene->mRootNode);
  return counts;
}

}  // namespace modeltest
