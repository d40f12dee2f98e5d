#pragma once
// The ball that the players see: "models/ball/pelota.ASE" read under a
// Pelota as its root (named "Ball"), so that the ball's flight moves the
// whole model. The file's object named exactly "Sombra" becomes the ball's
// GroundShadow. The match adds model() to the scene and hands ball() to the
// players, the computer controllers and the umpire.

#include <memory>
#include <string>

#include "assets/AseReader.h"
#include "tennis/ModelFiles.h"
#include "tennis/NodeNames.h"
#include "tennis/Pelota.h"

class BallModel : public AseReader {
 public:
  // Reads the model file at once. Textures come from `textures` (only
  // recorded when none is given); the blur goes into `effects`.
  explicit BallModel(std::weak_ptr<Scene> effects, std::shared_ptr<TextureFactory> textures = nullptr,
                     const std::string& path = kBallModelFile);

  const std::shared_ptr<Pelota>& ball() const { return flight; }
  const std::shared_ptr<Model>& model() const { return loaded; }

 protected:
  std::string readNodeName(AseTokenizer& tokens, std::shared_ptr<SceneObject>& object) override;

 private:
  std::shared_ptr<Pelota> flight;
  std::shared_ptr<Model> loaded;
};
