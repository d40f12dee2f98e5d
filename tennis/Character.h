#pragma once
// Builds one player from a character identifier: reads the character's model
// ("models/<name>/normal.ASZ") into the player, which becomes the model's
// root, adds its thirteen further clips in clip order, takes its icon, hides
// the ball it holds in the hand (renamed "Ball" so that a served ball can
// follow it) and finds its racket point "Golpe". The match adds model() to
// the scene. An identifier without a character says so and looks for its
// files under "models//".
//
// A file that is missing costs only its own motion or picture: a clip that
// could not be read lasts its usual length in the rest pose, and a model
// that could not be read leaves an unseen player that still plays.

#include <memory>
#include <string>

#include "assets/AseReader.h"
#include "tennis/TennisPlayer.h"

// Controller kinds of the player factory.
constexpr int kHumanController = 0;
constexpr int kCpuController = 1;

// The directory name of a character, empty for an identifier without one.
std::string characterName(int identifier);

class Character : public AseReader {
 public:
  Character(int identifier, int controllerKind, std::weak_ptr<Pelota> ball, std::weak_ptr<Scene> effects,
            std::shared_ptr<TextureFactory> textures = nullptr);

  // Empty for a controller kind other than human or computer.
  const std::shared_ptr<TennisPlayer>& player() const { return builtPlayer; }
  const std::shared_ptr<Model>& model() const { return loaded; }

 private:
  std::shared_ptr<TennisPlayer> builtPlayer;
  std::shared_ptr<Model> loaded;
};
