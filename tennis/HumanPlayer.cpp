#include "tennis/HumanPlayer.h"

#include <cmath>

#include "engine/Matrix.h"

HumanPlayer::HumanPlayer(float walkSpeed, float hitSpeed, std::weak_ptr<Pelota> ball, std::weak_ptr<Scene> effects)
    : TennisPlayer(walkSpeed, hitSpeed, std::move(ball), std::move(effects)) {}

void HumanPlayer::play(uint32_t dtMs) {
  if (held(KeyHit)) {
    // The stroke starts once the player has turned to the net.
    targetFacing = netFacing();
    phase = 1;
    turnToward(dtMs);
    return;
  }
  if (held(KeyDive) && (held(KeyLeft) || held(KeyRight))) {
    setState(PlayerState::Diving);
    targetFacing = held(KeyLeft) ? kFacingPlusZ : kFacingMinusZ;
    turnToward(dtMs);
    return;
  }
  // Of two opposite keys the one named later wins.
  float dx = 0.0f;
  float dz = 0.0f;
  if (held(KeyUp)) dx = -1.0f;
  if (held(KeyDown)) dx = 1.0f;
  if (held(KeyRight)) dz = -1.0f;
  if (held(KeyLeft)) dz = 1.0f;
  const bool moving = held(KeyUp) || held(KeyDown) || held(KeyLeft) || held(KeyRight);
  if (moving) targetFacing = std::trunc(static_cast<float>(std::atan2(dx, dz) / kDegreesToRadians));
  walk(moving, dtMs);
}

void HumanPlayer::positionForServe(uint32_t dtMs) {
  const float face = netFacing();
  if (held(KeyHit)) {
    if (facing == face) {
      phase = 1;
      resetClock();
    } else {
      targetFacing = face;
      turnToward(dtMs);
    }
    return;
  }
  bool moving = false;
  if (held(KeyLeft)) {
    targetFacing = kFacingPlusZ;
    moving = true;
  } else if (held(KeyRight)) {
    targetFacing = kFacingMinusZ;
    moving = true;
  } else if (targetFacing != face) {
    targetFacing = face;
  }
  walk(moving, dtMs);
}

void HumanPlayer::awaitServeSwing(uint32_t) {
  if (timeBeyondEnd(1) > 0) {
    // The toss came down without a swing: the server catches it.
    takeBallForServe();
    phase = 3;
    resetClock();
  } else if (held(KeyHit)) {
    setState(PlayerState::ServeSwing);
    phase = 0;
    resetClock();
  }
}

void HumanPlayer::chooseAim() {
  int32_t aim = 4;
  if (held(KeyUp)) aim -= 3;
  else if (held(KeyDown)) aim += 3;
  if (held(KeyRight)) aim += 1;
  else if (held(KeyLeft)) aim -= 1;
  phase = aim;
}

void HumanPlayer::diveHit(uint32_t) {
  const int32_t aim = held(KeyLeft) ? 3 : (held(KeyRight) ? 5 : 4);
  hit(aimTarget(aim), hitSpeed * kDiveShotFactor, true);
}

void HumanPlayer::saveState(StateWriter& out) const {
  TennisPlayer::saveState(out);
  out.put(current.held);
  out.put(current.pressed);
}

void HumanPlayer::restoreState(StateReader& in) {
  TennisPlayer::restoreState(in);
  in.get(current.held);
  in.get(current.pressed);
}
