#include "engine/CachingTextureFactory.h"

#include "engine/ImageTextureFactory.h"

namespace {

std::shared_ptr<TextureFactory> shared;

}  // namespace

CachingTextureFactory::CachingTextureFactory(std::shared_ptr<TextureFactory> from) : source(std::move(from)) {}

std::shared_ptr<Texture> CachingTextureFactory::create(const std::string& path) {
  if (const auto found = loaded.find(path); found != loaded.end()) return found->second;
  std::shared_ptr<Texture> texture = source->create(path);
  if (texture && texture->glTexture() != 0) loaded.emplace(path, texture);
  return texture;
}

std::shared_ptr<TextureFactory> gameTextures() {
  if (!shared) shared = std::make_shared<CachingTextureFactory>(std::make_shared<ImageTextureFactory>());
  return shared;
}

void releaseGameTextures() { shared.reset(); }
