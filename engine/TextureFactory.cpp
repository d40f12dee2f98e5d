#include "engine/TextureFactory.h"

std::shared_ptr<Texture> RecordingTextureFactory::create(const std::string& path) {
  requested.push_back(path);
  const auto size = sizes.find(path);
  const int width = size == sizes.end() ? 0 : size->second.first;
  const int height = size == sizes.end() ? 0 : size->second.second;
  return Texture::undecoded(path, width, height, alphaPaths.count(path) != 0);
}
