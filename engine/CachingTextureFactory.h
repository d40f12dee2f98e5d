#pragma once
// A TextureFactory that decodes each picture once: a later request for the
// same path gets the same Texture, for as long as the factory lives. The game
// keeps one for its whole run (gameTextures), so the fonts of the menus serve
// the match as well and a second match finds its pictures ready; the menus
// and matches hand it to everything they load. A picture that could not be
// read is not kept: it is looked for again next time.

#include <map>
#include <memory>
#include <string>

#include "engine/TextureFactory.h"

class CachingTextureFactory : public TextureFactory {
 public:
  explicit CachingTextureFactory(std::shared_ptr<TextureFactory> source);
  std::shared_ptr<Texture> create(const std::string& path) override;

 private:
  std::shared_ptr<TextureFactory> source;
  std::map<std::string, std::shared_ptr<Texture>> loaded;
};

// The game's pictures, decoded and uploaded once (made on first use, which
// needs the window and the image library).
std::shared_ptr<TextureFactory> gameTextures();
// Lets go of them; the entry point calls it while the OpenGL context is
// still current, as it does for the shader programs.
void releaseGameTextures();
