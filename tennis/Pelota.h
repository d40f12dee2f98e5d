#pragma once
// The ball's flight. A flight is not integrated step by step: it is a
// parabola fixed when it starts (start point, heading, horizontal speed,
// vertical speed, gravity), evaluated every fixed step at the time since the
// flight began. A hit starts a parabola through an aim point, a bounce a
// damped one, and the net drops the ball dead on the hitter's side. The same
// closed form lets the computer players predict where the ball will cross a
// height.
//
// The ball is the root group of the ball model (BallModel), named "Ball": its
// transform's translation is the ball's centre. Players, controllers and the
// match read its state by polling; it calls nobody back. While a node of the
// serving player's model holds it, it follows that node.
//
// Units (see tennis/Court.h): heights and vertical speeds in metres and m/s,
// horizontal positions in scene units, horizontal speed in units per ms,
// times in ms. The heading is in radians: x grows with its sine, z with its
// cosine.

#include <cstdint>
#include <memory>

#include "engine/AnimatedGroup.h"
#include "engine/Matrix.h"
#include "engine/Vector3.h"

class Scene;

// The parabola the ball is on and what its play has counted so far: what
// the ball keeps besides where it is. Starting and stepping a flight change
// only this and the transform.
struct BallMotion {
  float startHeight = 0.0f;
  float verticalSpeed = 0.0f;
  float startX = 0.0f;
  float startZ = 0.0f;
  float elapsedMs = 0.0f;
  float landingMs = 0.0f;
  float heading = 0.0f;
  float horizontalSpeed = 0.0f;
  int32_t bounceCount = 0;
  Vector3 lastBounce;
  int32_t descending = 0;
  int32_t hits = 0;
  bool stoppedByNet = false;

  // Every field equal as floats compare: 0 matches -0, NaN matches nothing.
  bool operator==(const BallMotion&) const = default;
};

// Everything that a hit, a step or a placement changes: a copy taken before
// trial shots puts the ball back exactly as it was.
struct BallFlight : BallMotion {
  Matrix transform;

  bool operator==(const BallFlight&) const = default;
};

class Pelota : public AnimatedGroup {
 public:
  // At rest on the ground at (radius, radius, 0). The blur is spawned into
  // `effects` while that scene lives.
  explicit Pelota(std::weak_ptr<Scene> effects = {});

  // At rest at (x, y, z); a ball above the ground falls straight down.
  void placeAt(float x, float y, float z);
  // A new flight from the current position; the bounce count restarts.
  void startFlight(float heading, float horizontalSpeed, float verticalSpeed);
  // A flight through (targetX, targetY, targetZ) at `speed` units per ms. A
  // speed that is not above 0 (or not a number) cannot reach any aim: the
  // ball is let go and falls from where it is.
  void hitToward(float targetX, float targetY, float targetZ, float speed);
  // Where and when (ms from now) the ball crosses height h (units): [0] coming
  // down before the first bounce, [1] going up and [2] coming down after it.
  // Returns 3, or 1 when the rebound never reaches h: then [1] and [2] both
  // hold the rebound's top, where the ball comes nearest to h (its real
  // height in y), so that no caller ever sees a value that is not a number.
  // The ball itself does not change.
  int predictCrossings(float h, Vector3 points[3], float times[3]) const;

  // Ms from the flight's start until the centre comes down to the radius
  // (0 for a ball below that height with no speed to rise to it).
  float timeToGround() const;
  // Units; for a flight starting downwards the top of the parabola's past.
  float apexHeight() const;
  // -1: no motion along x (sin(heading) exactly 0); 1: towards -x; 0: towards +x.
  int direction() const;
  Vector3 position() const { return translation(transform()); }

  // The serving player (its model's root node; not owned). attachToServer
  // makes its node named "Ball" the holder.
  void setServer(SceneNode* player) { serverNode = player; }
  SceneNode* server() const { return serverNode; }
  void attachToServer();
  void release() { holder.reset(); }
  bool isCarried() const { return !holder.expired(); }

  BallFlight flight() const { return {motion, transform()}; }
  void restoreFlight(const BallFlight& saved) {
    motion = saved;
    setTransform(saved.transform);
  }

  void update(uint32_t dtMs, const Matrix& parentWorld, uint32_t* animationIndex) override;
  // The flight and the counts, and whether the server's hand holds the ball.
  // Who serves is the match's to put back (setServer) before restoring.
  void saveState(StateWriter& out) const override;
  void restoreState(StateReader& in) override;

  int32_t bounceCount() const { return motion.bounceCount; }
  // Hits since the ball was last given to a server, the serve included.
  int32_t hitCount() const { return motion.hits; }
  // The last hit ended against the net.
  bool stoppedByNet() const { return motion.stoppedByNet; }
  const Vector3& lastBounce() const { return motion.lastBounce; }
  // 1 when the last free step did not raise the ball.
  int32_t descending() const { return motion.descending; }
  float horizontalSpeed() const { return motion.horizontalSpeed; }
  float heading() const { return motion.heading; }
  float verticalSpeed() const { return motion.verticalSpeed; }
  float landingMs() const { return motion.landingMs; }
  float elapsedMs() const { return motion.elapsedMs; }
  float gravity() const { return gravityMs2; }

 private:
  // Units, at flight time t (ms).
  float heightAt(float t) const;
  Vector3 groundPointAt(float t, float h) const;

  float gravityMs2;
  BallMotion motion;
  std::weak_ptr<SceneNode> holder;
  SceneNode* serverNode = nullptr;
  std::weak_ptr<Scene> effectScene;
};
