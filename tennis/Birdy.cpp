#include "tennis/Birdy.h"

#include "tennis/BirdyHead.h"
#include "tennis/Pelota.h"

Birdy::Birdy(std::weak_ptr<Pelota> watched, std::shared_ptr<TextureFactory> textures, const std::string& path,
             const std::string& introClip)
    : AseReader(path, std::move(textures)), ball(std::move(watched)) {
  loaded = load();
  loadAnimation(introClip);
}

void Birdy::setHeadTracking(bool on) {
  if (!root()) return;
  if (const auto head = std::dynamic_pointer_cast<BirdyHead>(root()->findReadNode(kBirdyHeadName))) {
    head->setTracking(on);
  }
}

std::string Birdy::readNodeName(AseTokenizer& tokens, std::shared_ptr<SceneObject>& object) {
  std::string name = AseReader::readNodeName(tokens, object);
  if (name == kBirdyHeadName) object = std::make_shared<BirdyHead>(ball);
  return name;
}
