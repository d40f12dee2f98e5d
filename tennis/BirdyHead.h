#pragma once
// The umpire bird's head ("Cabeza"): it plays its own clip and then, while
// tracking is on and the ball still exists, turns to look straight at the
// ball, upright, from where the clip put it. The look-at is right-handed:
// the head's -z axis points at the ball and its y axis stays in the vertical
// plane through it, so a ball straight along -z leaves the rotation at the
// identity.

#include <memory>

#include "engine/SceneObject.h"

class Pelota;

class BirdyHead : public SceneObject {
 public:
  explicit BirdyHead(std::weak_ptr<Pelota> ball);

  void setTracking(bool on) { tracking = on; }
  bool isTracking() const { return tracking; }

  void update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) override;
  void saveState(StateWriter& out) const override {
    SceneObject::saveState(out);
    out.put(tracking);
  }
  void restoreState(StateReader& in) override {
    SceneObject::restoreState(in);
    in.get(tracking);
  }

 private:
  std::weak_ptr<Pelota> ball;
  bool tracking = true;
};
