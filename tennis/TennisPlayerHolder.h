#pragma once
// Carries a player's model along an animated path of the introduction and
// closing scenes. The holder takes every child of the player (the mesh and
// bone tree) under itself, plays "andando" (clip 1) while the path moves it
// and "normal" (clip 0) while it stands, and gives the model back at the end.
// PlayerHolderReader reads such a scene, making a holder of every object
// named "TennisPlayerHolder[i]" for player i.

#include <memory>
#include <string>
#include <vector>

#include "assets/AseReader.h"
#include "engine/SceneObject.h"
#include "tennis/NodeNames.h"
#include "tennis/TennisPlayer.h"

// The digit just before the closing bracket of a holder's name; -1 if none.
int holderPlayerIndex(const std::string& name);

class TennisPlayerHolder : public SceneObject {
 public:
  explicit TennisPlayerHolder(std::shared_ptr<TennisPlayer> player);

  void update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) override;
  void saveState(StateWriter& out) const override {
    SceneObject::saveState(out);
    out.put(previousWorld);
  }
  void restoreState(StateReader& in) override {
    SceneObject::restoreState(in);
    in.get(previousWorld);
  }
  // Moves the model back under its player.
  void giveModelBack();

  const std::shared_ptr<TennisPlayer>& player() const { return heldPlayer; }

 private:
  std::shared_ptr<TennisPlayer> heldPlayer;
  Matrix previousWorld;
};

class PlayerHolderReader : public AseReader {
 public:
  PlayerHolderReader(const std::string& path, std::vector<std::shared_ptr<TennisPlayer>> players,
                     std::shared_ptr<TextureFactory> textures = nullptr);

 protected:
  std::string readNodeName(AseTokenizer& tokens, std::shared_ptr<SceneObject>& object) override;

 private:
  std::vector<std::shared_ptr<TennisPlayer>> players;
};
