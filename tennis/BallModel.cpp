#include "tennis/BallModel.h"

#include "tennis/GroundShadow.h"

BallModel::BallModel(std::weak_ptr<Scene> effects, std::shared_ptr<TextureFactory> textures, const std::string& path)
    : AseReader(path, std::move(textures)), flight(std::make_shared<Pelota>(std::move(effects))) {
  setRoot(flight);
  loaded = load();
}

std::string BallModel::readNodeName(AseTokenizer& tokens, std::shared_ptr<SceneObject>& object) {
  std::string name = AseReader::readNodeName(tokens, object);
  if (name == kShadowNodeName) object = std::make_shared<GroundShadow>();
  return name;
}
