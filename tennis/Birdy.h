#pragma once
// The umpire: a cartoon bird in the umpire's chair whose head ("Cabeza", a
// BirdyHead) follows the ball. Clip 0 is the model's own; clip 1, the bird's
// part in the singles introduction, comes from a second file. The match
// adds model() to the scene and decides when the head tracks the ball and
// which clip plays.

#include <memory>
#include <string>

#include "assets/AseReader.h"
#include "tennis/ModelFiles.h"
#include "tennis/NodeNames.h"

class Pelota;

class Birdy : public AseReader {
 public:
  // Reads the model and the introduction clip at once. Textures come from
  // `textures` (only recorded when none is given).
  explicit Birdy(std::weak_ptr<Pelota> ball, std::shared_ptr<TextureFactory> textures = nullptr,
                 const std::string& path = kBirdyModelFile, const std::string& introClip = kBirdyIntroClipFile);

  const std::shared_ptr<Model>& model() const { return loaded; }
  // Nothing when the model has no head.
  void setHeadTracking(bool on);

 protected:
  std::string readNodeName(AseTokenizer& tokens, std::shared_ptr<SceneObject>& object) override;

 private:
  std::weak_ptr<Pelota> ball;
  std::shared_ptr<Model> loaded;
};
