#include "tennis/Character.h"

#include "engine/Log.h"
#include "tennis/CharacterRoster.h"
#include "tennis/CpuPlayer.h"
#include "tennis/HumanPlayer.h"
#include "tennis/ModelFiles.h"
#include "tennis/NodeNames.h"

std::string characterName(int identifier) { return std::string(characterFolder(identifier)); }

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
  builtPlayer->setIcon(textureFactory().create(directory + kCharacterPortraitFile));

  if (const std::shared_ptr<SceneNode> held = builtPlayer->findNode(kHeldBallName)) {
    if (auto* object = dynamic_cast<SceneObject*>(held.get())) object->setVisible(false);
    held->setName(kServeBallHolderName);
  }
  // Without it the player never reaches the ball with a stroke or a dive.
  builtPlayer->setHitNode(builtPlayer->findNode(kRacketPointName));
}
