#include "tennis/Character.h"

#include "engine/Log.h"
#include "tennis/CpuPlayer.h"
#include "tennis/GameClipFiles.h"
#include "tennis/HumanPlayer.h"

std::string characterName(int identifier) {
  switch (identifier) {
    case 0: return "Vazuvodod";
    case 1: return "Revirade";
    case 2: return "Roveriru";
    case 5: return "~Rida";
    case 6: return "Doredu";
    case 7: return "~Vazuvodod";
    case 8: return "~Revirade";
    case 9: return "~Roveriru";
    case 10: return "~Doredu";
    default: return {};
  }
}

Character::Character(int identifier, int controllerKind, std::weak_ptr<Pelota> ball, std::weak_ptr<Scene> effects,
                     std::shared_ptr<TextureFactory> textures)
    : AseReader(std::string(), std::move(textures)) {
  if (controllerKind == kHumanController)
    builtPlayer = std::make_shared<HumanPlayer>(kWalkSpeed, kHitSpeed, ball, effects);
  else if (controllerKind == kCpuController)
    builtPlayer = std::make_shared<CpuPlayer>(kWalkSpeed, kHitSpeed, ball, effects);
  if (builtPlayer) setRoot(builtPlayer);

  const std::string name = characterName(identifier);
  if (name.empty()) printMessage("Personaje no implementado a\xFAn");
  const std::string directory = "models/" + name + "/";

  setPath(directory + kCharacterModelFile);
  loaded = load();
  if (!builtPlayer) return;
  builtPlayer->setName(name);
  for (const char* clip : kCharacterClipFiles) loadAnimation(directory + clip);
  builtPlayer->setIcon(textureFactory().create(directory + "Icon.bmp"));

  if (const std::shared_ptr<SceneNode> held = builtPlayer->findNode("Pelota")) {
    if (auto* object = dynamic_cast<SceneObject*>(held.get())) object->setVisible(false);
    held->setName("Ball");
  }
  // Without it the player never reaches the ball with a stroke or a dive.
  builtPlayer->setHitNode(builtPlayer->findNode("Golpe"));
}
