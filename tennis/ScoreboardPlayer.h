#pragma once
// What the scoreboard needs to know about the player who heads one side of
// the net: the character's icon, the name shown in the final table, and the
// partners whose icons stand beside it in doubles. The tennis player
// implements it; the scoreboard only holds weak references, so a side whose
// players are gone simply draws without icons or names.

#include <memory>
#include <string>
#include <vector>

#include "engine/Texture.h"

class ScoreboardPlayer {
 public:
  virtual ~ScoreboardPlayer() = default;

  // Empty when the character has no icon.
  virtual std::shared_ptr<Texture> scoreboardIcon() const = 0;
  virtual std::string scoreboardName() const = 0;
  // The partners still alive, in the order they were teamed; empty in singles.
  virtual std::vector<std::shared_ptr<ScoreboardPlayer>> scoreboardPartners() const = 0;
};
