#pragma once
// The computer player, at a level from 0 to 5. It asks the ball where it will
// cross a comfortable hitting height, picks one of those points by its level,
// walks there, starts its stroke as the ball arrives and dives when it cannot
// get across in time. At the higher levels it tries each aim on the real ball
// (put back exactly afterwards) to find the shot that lands in the court
// farthest from the opponents. Its strokes stray from the aim by a scatter
// that is narrower the higher the level and wider the longer the rally (at
// the top level only after a long steady run): that is how a computer
// misses, and why two of them never rally for ever. The higher levels hit
// harder.
// Chance comes only from engine/Random.h.

#include <vector>

#include "engine/Vector3.h"
#include "tennis/TennisPlayer.h"

// A hitting point the player could go to: where, in how many ms, and its
// score (the smaller the better) for the nearest-point choices.
struct HitCandidate {
  Vector3 point;
  float timeMs = 0.0f;
  float score = 0.0f;
};

class CpuPlayer : public TennisPlayer {
 public:
  CpuPlayer(float walkSpeed, float hitSpeed, std::weak_ptr<Pelota> ball, std::weak_ptr<Scene> effects);

  // Any level above 4, or below 0, plays as 5. A few of a level's ways are
  // its own in doubles (the aim scatter, steady shots and stroke pace).
  void setLevel(int32_t level, bool doubles = false);
  void setState(PlayerState s) override;

  // The hitting points for the ball as it flies now, after the doubles zone
  // filter; never empty, never holding a coordinate that is not a number.
  std::vector<HitCandidate> candidates() const;
  // One of them, by the level's hit choice.
  HitCandidate chooseHitPoint(std::vector<HitCandidate> list) const;
  bool canReach(const Vector3& point, float timeMs) const;
  // Whether walking covers the distance across the court (z) alone in time.
  bool canReachAcross(const Vector3& point, float timeMs) const;
  float homeX() const;

  const Vector3& moveTargetPoint() const { return moveTarget; }
  int32_t serveDelay() const { return serveDelayMs; }
  int32_t serveAimIndex() const { return serveAim; }
  bool hasPlan() const { return planned; }
  int32_t hitChoiceLevel() const { return hitChoice; }
  int32_t aimChoiceLevel() const { return aimChoice; }
  const Vector3& aimScatterOffset() const { return aimOffset; }

  // The aim decision of a stroke, callable on its own.
  void chooseAim() override;

  // The player's state and the plan under way (the level stays as set).
  void saveState(StateWriter& out) const override;
  void restoreState(StateReader& in) override;

 protected:
  void play(uint32_t dtMs) override;
  void positionForServe(uint32_t dtMs) override;
  void awaitServeSwing(uint32_t dtMs) override;
  void diveHit(uint32_t dtMs) override;
  void strikeStroke() override;

 private:
  bool moveToward(uint32_t dtMs);
  // Where this stroke strays from its aim: the level's scatter, widened as
  // the rally grows long, so that two computers never rally for ever.
  // Returns how far (units, either way) this stroke may stray.
  float drawAimScatter();
  float horizontalDistance(const Vector3& p) const;
  // A stroke's aim point and speed at the level's pace, from the ball where
  // it is now.
  Vector3 pacedAim(const Vector3& aim) const;
  float pacedSpeed(int32_t aim) const;

  Vector3 moveTarget;
  float timeToHit = 0.0f;
  bool planned = false;
  int32_t serveDelayMs = 0;
  int32_t serveAim = 4;
  int32_t hitChoice = 0;
  int32_t noFaceNet = 0;
  int32_t sideStep = 0;
  int32_t aimChoice = 0;
  int32_t recovery = 0;
  int32_t serveChoice = 0;
  // The level's scatter and how it grows in a rally, the pace of its
  // strokes and how far its serve swing may start early or late (Court.h).
  float aimScatter = 0.0f;
  float strayGrowth = 0.0f;
  float steadyShots = 0.0f;
  float strokePace = 1.0f;
  float serveStray = 0.0f;
  float openCourtShare = 1.0f;
  // Added to the serve's swing height (units) for the serve being played.
  float serveSwingStray = 0.0f;
  float aimInside = 0.0f;
  float netPlayerX = kCpuHomeX;
};
