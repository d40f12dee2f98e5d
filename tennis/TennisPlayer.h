#pragma once
// A tennis player on the court: position and facing, a small state machine
// with phases, the nine aim targets, the hit itself and the choice of clip.
// It is the root group of its character's model (Character builds it); the
// scene steps it every 16 ms through its tree update. What a player decides
// (where to go, when to swing, where to aim) is left to the controllers,
// HumanPlayer and CpuPlayer, through the pure virtual operations.
//
// Units: scene units and ms; facing in degrees about y (0 looks along +z, 90
// along +x), kept in (-180, 180]. Players 0 and 2 play on the +x half, 1 and 3
// on the -x half. The clips of a character are numbered as PlayerClip
// (tennis/ModelFiles.h) says.
//
// The player holds the ball and the scene only weakly; partners and
// opponents are weak links too, filled by the match set-up. A model without
// the racket point ("Golpe") never reaches the ball with a stroke or a dive.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/AnimatedGroup.h"
#include "engine/Texture.h"
#include "engine/Vector3.h"
#include "tennis/Court.h"
#include "tennis/ModelFiles.h"
#include "tennis/PlayEvents.h"
#include "tennis/PlayerCommand.h"
#include "tennis/ScoreboardPlayer.h"

class Pelota;
class Scene;

enum class PlayerState : int32_t { Serving = 0, Moving = 1, ServeSwing = 2, Stroke = 3, Won = 4, Lost = 5, Diving = 6 };

// How the last swing that missed the ball missed it: before the ball came
// within reach (a serve: the tossed ball still above the swing's reach as
// its moment passed) or after it had gone by (a serve: the ball already
// below it). None while a swing is under way or struck the ball.
enum class SwingMiss : int32_t { None = 0, TooEarly = 1, TooLate = 2 };

class TennisPlayer : public AnimatedGroup, public ScoreboardPlayer {
 public:
  TennisPlayer(float walkSpeed, float hitSpeed, std::weak_ptr<Pelota> ball, std::weak_ptr<Scene> effects);
  ~TennisPlayer() override = default;

  void update(uint32_t dtMs, const Matrix& parentWorld, uint32_t* animationIndex) override;
  // Holds the last frame of the Won and Lost clips once they have played.
  void updateTree(uint32_t dtMs, const Matrix& parentWorld, uint32_t animationIndex) override;
  // Where the player is and what it is doing: everything a step changes.
  void saveState(StateWriter& out) const override;
  void restoreState(StateReader& in) override;
  int32_t courtSide() const override { return index % 2; }

  virtual void setState(PlayerState s);

  // The match's calls: where the player stands for a point (serveSide 3 serves
  // from the -z half), keys of a human, the other players.
  void placeForPoint(int32_t playerIndex, int32_t serveSide);
  void setKeys(const KeySet& codes) { keys = codes; }
  void addOpponent(const std::shared_ptr<TennisPlayer>& player);
  void setTeam(const std::shared_ptr<TennisPlayer>& partner, const std::shared_ptr<TennisPlayer>& opponent1,
               const std::shared_ptr<TennisPlayer>& opponent2);
  // The character's calls.
  void setIcon(std::shared_ptr<Texture> texture) { icon = std::move(texture); }
  // Where the sounds of its strokes go; none (the default) hears nothing,
  // but the sound is chosen all the same.
  void setEventLog(std::weak_ptr<PlayEventLog> log) { eventLog = std::move(log); }
  void setHitNode(std::shared_ptr<SceneNode> node) { hitNode = std::move(node); }

  // Movement, used by the handlers and the controllers. turnToward uses up
  // the part of dtMs that the turn takes.
  void move(float dx, float dz);
  void turnToward(uint32_t& dtMs);
  void walk(bool moving, uint32_t dtMs);

  void prepareTargets();
  // Strikes the ball only while it comes towards this half (or on the serve).
  void hit(const Vector3& target, float speed, bool flash);
  void serveToss();
  void takeBallForServe();
  void serveHitCheck();
  float serveSpeed() const;
  // 0: the ball comes towards this player's half; 1: it goes away; 2: it does
  // not move along x (or there is no ball).
  int32_t ballHeading() const;
  // From the racket point to the ball; infinite without either.
  float distanceToBall() const;
  // Row 0 or 2 of the stroke targets, whichever is this half's low drive
  // (and the other its lob): its hitSpeed factor.
  float rowSpeedFactor(int32_t aim) const;

  PlayerState state() const { return playerState; }
  int32_t statePhase() const { return phase; }
  int32_t playerIndex() const { return index; }
  int32_t serveSideValue() const { return serveSide; }
  Vector3 position() const { return Vector3(x, y, z); }
  float facingAngle() const { return facing; }
  float targetFacingAngle() const { return targetFacing; }
  float serveZMinimum() const { return serveZMin; }
  float serveZMaximum() const { return serveZMax; }
  float walkingSpeed() const { return walkSpeed; }
  float strokeSpeed() const { return hitSpeed; }
  bool swingHasHit() const { return hitDone; }
  SwingMiss lastSwingMiss() const { return swingMiss; }
  bool isSmash() const { return smash; }
  const std::array<Vector3, 9>& aimTargets() const { return targets; }
  const Vector3& aimTarget(int32_t aim) const;
  const KeySet& keyCodes() const { return keys; }
  bool hasPartner() const { return !partners.empty(); }
  std::vector<std::shared_ptr<TennisPlayer>> livePartners() const;
  std::vector<std::shared_ptr<TennisPlayer>> liveOpponents() const;
  std::shared_ptr<Pelota> currentBall() const { return ball.lock(); }
  // Facing towards the net from this player's half.
  float netFacing() const;
  // Players 0 and 2 play on +x.
  bool onPlusSide() const { return index % 2 == 0; }

  // Test and set-up access.
  void setPosition(float newX, float newZ);
  void setFacing(float degrees);
  void setTargetFacing(float degrees) { targetFacing = degrees; }
  void setPhase(int32_t p) { phase = p; }

  std::shared_ptr<Texture> scoreboardIcon() const override { return icon; }
  std::string scoreboardName() const override { return name(); }
  std::vector<std::shared_ptr<ScoreboardPlayer>> scoreboardPartners() const override;

 protected:
  // Handlers of the states, and the controllers' decisions.
  virtual void stepMoving(uint32_t dtMs);
  virtual void play(uint32_t dtMs) = 0;
  virtual void stepServing(uint32_t dtMs);
  virtual void positionForServe(uint32_t dtMs) = 0;
  virtual void awaitServeSwing(uint32_t dtMs) = 0;
  virtual void stepServeSwing(uint32_t dtMs);
  // Sets the aim index (0..8, 3 x row + column) in phase.
  virtual void chooseAim() = 0;
  virtual void stepStroke(uint32_t dtMs);
  // The stroke meeting the ball: towards the aim point the phase names, at
  // the hit speed of its row.
  virtual void strikeStroke();
  virtual void stepDiving(uint32_t dtMs);
  virtual void diveHit(uint32_t dtMs) = 0;

  void chooseClip();
  void diveMove(float t);
  // A stroke or dive ends without the ball: was it still to come?
  void noteMissedSwing();

  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float facing = 0.0f;
  float previousX = 0.0f;
  float previousZ = 0.0f;
  float previousFacing = 0.0f;
  PlayerState playerState = PlayerState::Moving;
  std::weak_ptr<Pelota> ball;
  int32_t phase = 0;
  KeySet keys{};
  float walkSpeed;
  float diveSpeed = kDiveSpeed;
  float hitSpeed;
  float serveZMax = 0.0f;
  float serveZMin = 0.0f;
  std::array<Vector3, 9> targets{};
  bool hitDone = false;
  int32_t index = 0;
  int32_t serveSide = 2;
  std::shared_ptr<Texture> icon;
  float targetFacing = 90.0f;
  float turnRate = kTurnRate;
  std::shared_ptr<SceneNode> hitNode;
  std::weak_ptr<Scene> effects;
  std::weak_ptr<PlayEventLog> eventLog;
  std::vector<std::weak_ptr<TennisPlayer>> partners;
  std::vector<std::weak_ptr<TennisPlayer>> opponents;
  bool smash = false;
  SwingMiss swingMiss = SwingMiss::None;
  // Added to the aim point of a stroke or a dive volley: the computer's
  // scatter (CpuPlayer), always zero for a person.
  Vector3 aimOffset;
};

// (-180, 180]; anything not finite comes back unchanged.
float wrapDegrees(float degrees);
