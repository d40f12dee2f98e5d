#pragma once
// A player steered by a person through one command a fixed step. The
// controls act in world directions, the same for all four players: "down"
// towards +x, "up" towards -x, "left" towards +z, "right" towards -z, then hit
// and dive. The keyboard belongs to the application, which samples the slot's
// key set into a command before each step; until one is given nothing is held.

#include "tennis/PlayerCommand.h"
#include "tennis/TennisPlayer.h"

class HumanPlayer : public TennisPlayer {
 public:
  HumanPlayer(float walkSpeed, float hitSpeed, std::weak_ptr<Pelota> ball, std::weak_ptr<Scene> effects);

  // The controls for the coming step; they hold until the next command.
  void setCommand(PlayerCommand next) { current = next; }
  const PlayerCommand& command() const { return current; }

  // The player's state and the controls it holds.
  void saveState(StateWriter& out) const override;
  void restoreState(StateReader& in) override;

 protected:
  void play(uint32_t dtMs) override;
  void positionForServe(uint32_t dtMs) override;
  void awaitServeSwing(uint32_t dtMs) override;
  void chooseAim() override;
  void diveHit(uint32_t dtMs) override;

 private:
  bool held(PlayerKey key) const { return current.isHeld(key); }

  PlayerCommand current;
};
