#include "engine/ImageTextureFactory.h"

std::shared_ptr<Texture> ImageTextureFactory::create(const std::string& path) {
  return std::make_shared<Texture>(path);
}
