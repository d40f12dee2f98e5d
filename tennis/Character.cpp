#include "tennis/Character.h"

#include "engine/Animation.h"
#include "engine/Log.h"
#include "engine/Matrix.h"
#include "engine/SceneObject.h"
#include "tennis/CharacterRoster.h"
#include "tennis/Court.h"
#include "tennis/CpuPlayer.h"
#include "tennis/HumanPlayer.h"
#include "tennis/ModelFiles.h"
#include "tennis/NodeNames.h"

namespace {

// An empty, unseen node held at `at` in the player's own space.
std::shared_ptr<SceneObject> standInNode(const char* name, const Vector3& at) {
  auto node = std::make_shared<SceneObject>(name);
  auto place = std::make_shared<Animation>(1, 0);
  place->setMatrix(translate(Matrix(), at));
  node->animator().addAnimation(std::move(place));
  node->setVisible(false);
  return node;
}

// A player whose model could not be read still plays, unseen: what the play
// needs of the model is the racket point, here at the height the computer
// brings the ball to, and the ball held for the toss.
void addStandIn(TennisPlayer& player) {
  player.addChild(standInNode(kRacketPointName, Vector3(0.0f, kCpuHitHeight, 0.0f)));
  player.addChild(standInNode(kHeldBallName, kServeTossPoint));
}

// The play waits for the ends of its clips by their numbers: each clip that
// could not be read still takes its number and lasts as long as its role,
// while the meshes, lacking it, play their first (the rest pose).
void keepClipNumbers(TennisPlayer& player, uint32_t count) {
  while (player.animationCount() < count) player.addAnimation(characterClipMs(player.animationCount()));
}

}  // namespace

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
  if (builtPlayer->children().empty()) addStandIn(*builtPlayer);
  keepClipNumbers(*builtPlayer, ClipWalking);
  for (uint32_t clip = ClipWalking; clip < ClipCount; ++clip) {
    loadAnimation(directory + characterClipFile(clip));
    keepClipNumbers(*builtPlayer, clip + 1);
  }
  builtPlayer->setIcon(textureFactory().create(directory + kCharacterPortraitFile));

  if (const std::shared_ptr<SceneNode> held = builtPlayer->findReadNode(kHeldBallName)) {
    if (auto* object = dynamic_cast<SceneObject*>(held.get())) object->setVisible(false);
    held->setName(kServeBallHolderName);
  }
  // Without it the player never reaches the ball with a stroke or a dive.
  builtPlayer->setHitNode(builtPlayer->findReadNode(kRacketPointName));
}
