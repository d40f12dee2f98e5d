#pragma once
// How readers (models, fonts) turn an image path into a Texture. The game
// hands them an ImageTextureFactory (engine/ImageTextureFactory.h), which
// decodes and uploads; tests, tools and the fuzzers hand them a
// RecordingTextureFactory, which only notes the paths and never touches
// OpenGL or DevIL.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/Texture.h"

class TextureFactory {
 public:
  virtual ~TextureFactory() = default;
  virtual std::shared_ptr<Texture> create(const std::string& path) = 0;
};

// Records every requested path in order and hands back undecoded textures
// (Texture::undecoded). Paths marked with markAlpha report an alpha channel;
// paths given a size with setSize report that pixel size (0 x 0 otherwise).
class RecordingTextureFactory : public TextureFactory {
 public:
  std::shared_ptr<Texture> create(const std::string& path) override;

  void markAlpha(const std::string& path) { alphaPaths.insert(path); }
  void setSize(const std::string& path, int width, int height) { sizes[path] = {width, height}; }
  const std::vector<std::string>& paths() const { return requested; }

 private:
  std::vector<std::string> requested;
  std::set<std::string> alphaPaths;
  std::map<std::string, std::pair<int, int>> sizes;
};
