#pragma once
// A player steered by six keys of the shared keyboard. The keys act in world
// directions, the same for all four players: "down" towards +x, "up" towards
// -x, "left" towards +z, "right" towards -z, then hit and dive. The keyboard
// itself belongs to the application: the match hands in the test that says
// whether a key code is held (its isKeyDown); without one no key is held.

#include <functional>

#include "tennis/TennisPlayer.h"

using KeyTest = std::function<bool(int)>;

class HumanPlayer : public TennisPlayer {
 public:
  HumanPlayer(float walkSpeed, float hitSpeed, std::weak_ptr<Pelota> ball, std::weak_ptr<Scene> effects,
              KeyTest keyTest = {});

  void setKeyTest(KeyTest test) { isHeld = std::move(test); }

 protected:
  void play(uint32_t dtMs) override;
  void positionForServe(uint32_t dtMs) override;
  void awaitServeSwing(uint32_t dtMs) override;
  void chooseAim() override;
  void diveHit(uint32_t dtMs) override;

 private:
  bool held(PlayerKey key) const { return isHeld && isHeld(keys[key]); }

  KeyTest isHeld;
};
