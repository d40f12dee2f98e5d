#pragma once
// The game's TextureFactory: every request decodes the file and uploads it
// (a new Texture each time; sharing is the caller's). Needs the OpenGL and
// DevIL set-up that Texture needs.

#include "engine/TextureFactory.h"

class ImageTextureFactory : public TextureFactory {
 public:
  std::shared_ptr<Texture> create(const std::string& path) override;
};
