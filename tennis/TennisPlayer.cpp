#include "tennis/TennisPlayer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/Matrix.h"
#include "engine/Scene.h"
#include "engine/Sound.h"
#include "tennis/Pelota.h"
#include "tennis/PlayEffects.h"

namespace {

// Degrees to radians as the walk has always converted its facing.
constexpr float kTurnToRadians = (1.0f / 360.0f) * 6.2831855f;

}  // namespace

float wrapDegrees(float degrees) {
  if (!std::isfinite(degrees)) return degrees;
  if (degrees > 180.0f || degrees <= -180.0f) {
    degrees = std::remainder(degrees, 360.0f);
    if (degrees <= -180.0f) degrees += 360.0f;
  }
  return degrees;
}

TennisPlayer::TennisPlayer(float walkSpeed, float hitSpeed, std::weak_ptr<Pelota> ball, std::weak_ptr<Scene> effects)
    : ball(std::move(ball)), walkSpeed(walkSpeed), hitSpeed(hitSpeed), effects(std::move(effects)) {}

void TennisPlayer::update(uint32_t dtMs, const Matrix& parentWorld, uint32_t*) {
  switch (playerState) {
    case PlayerState::Serving: stepServing(dtMs); break;
    case PlayerState::Moving: stepMoving(dtMs); break;
    case PlayerState::ServeSwing: stepServeSwing(dtMs); break;
    case PlayerState::Stroke: stepStroke(dtMs); break;
    case PlayerState::Diving: stepDiving(dtMs); break;
    case PlayerState::Won:
    case PlayerState::Lost: break;
  }
  chooseClip();

  const Matrix placed = rotate(translate(parentWorld, x, y, z), facing, 0.0f, 1.0f, 0.0f);
  setTransform(placed);
  if (currentAnimation() == ClipWalking && clockMs() % kDustIntervalMs == 0) {
    if (const std::shared_ptr<Scene> scene = effects.lock()) scene->spawnEffect(playEffectTemplates().dust, placed);
  }
}

void TennisPlayer::updateTree(uint32_t dtMs, const Matrix& parentWorld, uint32_t animationIndex) {
  const bool holding = (playerState == PlayerState::Won || playerState == PlayerState::Lost) && phase == 2;
  if (holding) {
    // The clock goes back to the clip's end every step: its last frame stays.
    const uint32_t clip = currentAnimation();
    const uint32_t duration = clip < animationDurations().size() ? animationDurations()[clip] : 0;
    resetClock();
    AnimatedGroup::updateTree(duration, parentWorld, animationIndex);
    return;
  }
  AnimatedGroup::updateTree(dtMs, parentWorld, animationIndex);
}

void TennisPlayer::saveState(StateWriter& out) const {
  AnimatedGroup::saveState(out);
  for (const float value : {x, y, z, facing, previousX, previousZ, previousFacing, serveZMax, serveZMin, targetFacing}) {
    out.put(value);
  }
  out.put(playerState);
  out.put(phase);
  for (const Vector3& target : targets) out.put(target);
  out.put(hitDone);
  out.put(index);
  out.put(serveSide);
  out.put(smash);
  out.put(aimOffset);
  out.put(swingMiss);
}

void TennisPlayer::restoreState(StateReader& in) {
  AnimatedGroup::restoreState(in);
  for (float* value : {&x, &y, &z, &facing, &previousX, &previousZ, &previousFacing, &serveZMax, &serveZMin,
                       &targetFacing}) {
    in.get(*value);
  }
  in.get(playerState);
  in.get(phase);
  for (Vector3& target : targets) in.get(target);
  in.get(hitDone);
  in.get(index);
  in.get(serveSide);
  in.get(smash);
  in.get(aimOffset);
  in.get(swingMiss);
}

void TennisPlayer::chooseClip() {
  switch (playerState) {
    case PlayerState::Moving: {
      const bool still = x == previousX && z == previousZ && facing == previousFacing;
      setAnimation(still ? ClipStanding : ClipWalking);
      break;
    }
    case PlayerState::Serving:
      if (phase == 0) setAnimation(z == previousZ ? ClipServeWait : ClipWalking);
      else if (phase == 1) setAnimation(ClipServeToss);
      else if (phase == 2) setAnimation(ClipServeBallUp);
      else setAnimation(ClipServeCatch);
      break;
    case PlayerState::ServeSwing: setAnimation(ClipServeSwing); break;
    case PlayerState::Stroke: {
      if (smash) {
        setAnimation(ClipServeSwing);
        break;
      }
      const int32_t column = ((phase % 3) + 3) % 3;
      bool backhand = false;
      if (column == 0) backhand = facing == 90.0f;
      if (column == 2) backhand = facing == -90.0f;
      setAnimation(backhand ? ClipBackhand : ClipForehand);
      break;
    }
    case PlayerState::Won:
    case PlayerState::Lost:
      setAnimation(playerState == PlayerState::Won ? ClipWon : ClipLost);
      if (phase == 0) {
        resetClock();
        phase = 1;
      } else if (phase == 1 && timeBeyondEnd(1) >= 0) {
        phase = 2;
      }
      break;
    case PlayerState::Diving:
      setAnimation(phase == 0 ? ClipDiveStart : (phase == 1 ? ClipDiveAir : ClipDiveLand));
      break;
  }
}

void TennisPlayer::setState(PlayerState s) {
  playerState = s;
  phase = 0;
  if (s == PlayerState::ServeSwing || s == PlayerState::Stroke || s == PlayerState::Diving) swingMiss = SwingMiss::None;
  switch (s) {
    case PlayerState::Moving:
      previousX = x;
      previousZ = z;
      previousFacing = facing;
      break;
    case PlayerState::Stroke: {
      const std::shared_ptr<Pelota> b = ball.lock();
      smash = b && b->position().y > kSmashHeight && distanceToBall() < kSmashReach;
      break;
    }
    case PlayerState::Diving: resetClock(); break;
    default: break;
  }
}

void TennisPlayer::placeForPoint(int32_t playerIndex, int32_t side) {
  const int32_t i = ((playerIndex % 4) + 4) % 4;
  const float xs[4] = {kBaselineX, -kBaselineX, kServiceLineX, -kServiceLineX};
  x = xs[i];
  facing = targetFacing = i % 2 == 0 ? kFacingNetFromPlusX : kFacingNetFromMinusX;
  if (side == kServeSideMinusZ) {
    z = -kServeStartZ;
    serveZMax = -kServeCentreMargin;
    serveZMin = -kSinglesSideZ;
  } else {
    z = kServeStartZ;
    serveZMax = kSinglesSideZ;
    serveZMin = kServeCentreMargin;
  }
  index = i;
  serveSide = side;
  previousX = x;
  previousZ = z;
  previousFacing = facing;
}

void TennisPlayer::addOpponent(const std::shared_ptr<TennisPlayer>& player) {
  if (player) opponents.push_back(player);
}

void TennisPlayer::setTeam(const std::shared_ptr<TennisPlayer>& partner, const std::shared_ptr<TennisPlayer>& opponent1,
                           const std::shared_ptr<TennisPlayer>& opponent2) {
  partners.clear();
  opponents.clear();
  if (partner) partners.push_back(partner);
  if (opponent1) opponents.push_back(opponent1);
  if (opponent2) opponents.push_back(opponent2);
}

std::vector<std::shared_ptr<TennisPlayer>> TennisPlayer::livePartners() const {
  std::vector<std::shared_ptr<TennisPlayer>> live;
  for (const auto& p : partners)
    if (auto player = p.lock()) live.push_back(std::move(player));
  return live;
}

std::vector<std::shared_ptr<TennisPlayer>> TennisPlayer::liveOpponents() const {
  std::vector<std::shared_ptr<TennisPlayer>> live;
  for (const auto& p : opponents)
    if (auto player = p.lock()) live.push_back(std::move(player));
  return live;
}

std::vector<std::shared_ptr<ScoreboardPlayer>> TennisPlayer::scoreboardPartners() const {
  std::vector<std::shared_ptr<ScoreboardPlayer>> live;
  for (auto& p : livePartners()) live.push_back(std::move(p));
  return live;
}

float TennisPlayer::netFacing() const { return onPlusSide() ? kFacingNetFromPlusX : kFacingNetFromMinusX; }

void TennisPlayer::setPosition(float newX, float newZ) {
  x = previousX = newX;
  z = previousZ = newZ;
}

void TennisPlayer::setFacing(float degrees) { facing = previousFacing = degrees; }

const Vector3& TennisPlayer::aimTarget(int32_t aim) const { return targets[std::clamp(aim, 0, 8)]; }

void TennisPlayer::move(float dx, float dz) {
  previousX = x;
  previousZ = z;
  x += dx;
  z += dz;
  if (x == previousX && z == previousZ) return;
  if (playerState == PlayerState::Moving || playerState == PlayerState::Diving) {
    x = std::clamp(x, -kPlayerLimitX, kPlayerLimitX);
    z = std::clamp(z, -kPlayerLimitZ, kPlayerLimitZ);
    // Nobody crosses into the net band; one already inside is left there.
    if (previousX <= -kNetBandX && x > -kNetBandX) x = -kNetBandX;
    else if (previousX >= kNetBandX && x < kNetBandX) x = kNetBandX;
  } else if (playerState == PlayerState::Serving) {
    // A server only steps sideways along its baseline.
    x = previousX;
    z = std::clamp(z, serveZMin, serveZMax);
  }
}

void TennisPlayer::turnToward(uint32_t& dtMs) {
  facing = wrapDegrees(facing);
  previousFacing = facing;
  if (targetFacing == facing) return;
  const float d = wrapDegrees(targetFacing - facing);
  const float needed = std::fabs(d) / turnRate;
  if (static_cast<float>(dtMs) < needed) {
    facing += (d > 0.0f ? 1.0f : -1.0f) * static_cast<float>(dtMs) * turnRate;
    dtMs = 0;
  } else {
    facing = targetFacing;
    const uint32_t used = static_cast<uint32_t>(needed);
    dtMs = used < dtMs ? dtMs - used : 0;
  }
}

void TennisPlayer::walk(bool moving, uint32_t dtMs) {
  // Walking goes on at full speed while the player still turns.
  const float distance = static_cast<float>(dtMs) * walkSpeed;
  turnToward(dtMs);
  if (moving) {
    const float a = targetFacing * kTurnToRadians;
    move(std::sin(a) * distance, std::cos(a) * distance);
  } else {
    previousX = x;
    previousZ = z;
  }
}

void TennisPlayer::prepareTargets() {
  switch (playerState) {
    case PlayerState::ServeSwing: {
      const bool knownFacing = facing == 90.0f || facing == -90.0f;
      if (z != 0.0f && knownFacing) {
        for (int row = 0; row < 3; ++row) {
          // A server on -x (facing +90) aims at +x; rows go from the net out.
          const float rowX = facing == 90.0f ? kServeAimX[row] : -kServeAimX[2 - row];
          for (int column = 0; column < 3; ++column) {
            const float columnZ = z > 0.0f ? -kServeAimZ[column] : kServeAimZ[2 - column];
            targets[3 * row + column] = Vector3(rowX, targets[3 * row + column].y, columnZ);
          }
        }
      }
      for (auto& t : targets) t.y = kBallRadius;
      break;
    }
    case PlayerState::Stroke: {
      const float aimX = onPlusSide() ? -kStrokeAimX : kStrokeAimX;
      const float centre = std::clamp(z, -kSinglesSideZ, kSinglesSideZ);
      const float columnZ[3] = {z + kStrokeColumnZ, centre, z - kStrokeColumnZ};
      for (int row = 0; row < 3; ++row) {
        const float h = onPlusSide() ? kStrokeAimY[row] : kStrokeAimY[2 - row];
        for (int column = 0; column < 3; ++column) targets[3 * row + column] = Vector3(aimX, h, columnZ[column]);
      }
      break;
    }
    case PlayerState::Diving: {
      const float aimX = onPlusSide() ? -kServiceLineX : kServiceLineX;
      for (int column = 0; column < 3; ++column) targets[3 + column] = Vector3(aimX, kBallRadius, kDiveAimZ[column]);
      break;
    }
    default: break;
  }
}

float TennisPlayer::rowSpeedFactor(int32_t aim) const {
  const int32_t row = std::clamp(aim, 0, 8) / 3;
  const int32_t lowRow = onPlusSide() ? 0 : 2;
  if (row == lowRow) return kLowShotFactor;
  if (row == 2 - lowRow) return kLobFactor;
  return 1.0f;
}

void TennisPlayer::hit(const Vector3& target, float speed, bool flash) {
  const std::shared_ptr<Pelota> b = ball.lock();
  if (!b) return;
  if (ballHeading() != 0 && playerState != PlayerState::ServeSwing) return;
  b->hitToward(target.x, target.y, target.z, speed);
  if (flash) {
    if (const std::shared_ptr<Scene> scene = effects.lock()) scene->spawnEffect(playEffectTemplates().hitFlash, b->transform());
    const int sound = effectIndex(kRandomBallSound);
    if (const std::shared_ptr<PlayEventLog> log = eventLog.lock()) log->add(PlayEventKind::Sound, sound);
  }
}

int32_t TennisPlayer::ballHeading() const {
  const std::shared_ptr<Pelota> b = ball.lock();
  if (!b) return 2;
  const int d = b->direction();
  if (d < 0) return 2;
  // Direction 0 is towards +x: away from players on -x, towards those on +x.
  return onPlusSide() ? d : 1 - d;
}

float TennisPlayer::distanceToBall() const {
  const std::shared_ptr<Pelota> b = ball.lock();
  const auto* racket = dynamic_cast<const SceneEntity*>(hitNode.get());
  if (!b || !racket) return std::numeric_limits<float>::infinity();
  return distance(b->position(), translation(racket->worldMatrix()));
}

void TennisPlayer::serveToss() {
  const std::shared_ptr<Pelota> b = ball.lock();
  if (!b) return;
  const float side = facing >= 0.0f ? 1.0f : -1.0f;
  b->placeAt(x + side * kTossOffsetX, y + kTossOffsetY, z + side * kTossOffsetZ);
  b->startFlight(0.0f, 0.0f, kTossSpeed);
  b->release();
}

void TennisPlayer::takeBallForServe() {
  const std::shared_ptr<Pelota> b = ball.lock();
  if (!b) return;
  b->placeAt(facing >= 0.0f ? -kBallParkX : kBallParkX, 0.0f, 0.0f);
  b->setServer(this);
  b->attachToServer();
}

float TennisPlayer::serveSpeed() const {
  const std::shared_ptr<Pelota> b = ball.lock();
  const float h = b ? b->position().y : kServeIdealY;
  return kServeBaseSpeed - std::fabs(h - kServeIdealY) * kServeSpeedLoss + hitSpeed;
}

void TennisPlayer::serveHitCheck() {
  const std::shared_ptr<Pelota> b = ball.lock();
  if (!b) return;
  const float h = b->position().y;
  if (clockMs() <= kServeHitStartMs || clockMs() >= kServeHitEndMs) return;
  if (h > kServeHitMinY && h < kServeHitMaxY) {
    hit(aimTarget(phase), serveSpeed(), true);
    hitDone = true;
    swingMiss = SwingMiss::None;
  } else {
    // The swing's moment passes with the ball out of its reach: still above
    // it, or fallen below.
    swingMiss = h >= kServeHitMaxY ? SwingMiss::TooEarly : SwingMiss::TooLate;
  }
}

void TennisPlayer::noteMissedSwing() {
  if (hitDone) return;
  const std::shared_ptr<Pelota> b = ball.lock();
  // Still between the player and the net, and coming: the swing was early.
  const float towardNet = onPlusSide() ? -1.0f : 1.0f;
  const bool ahead = b && ballHeading() == 0 && (b->position().x - x) * towardNet > 0.0f;
  swingMiss = ahead ? SwingMiss::TooEarly : SwingMiss::TooLate;
}

void TennisPlayer::stepServing(uint32_t dtMs) {
  switch (phase) {
    case 0: positionForServe(dtMs); break;
    case 1:
      if (timeBeyondEnd(1) > 0) {
        phase = 2;
        resetClock();
        serveToss();
      }
      break;
    case 2: awaitServeSwing(dtMs); break;
    default:
      if (timeBeyondEnd(1) > 0) {
        phase = 0;
        resetClock();
      }
      break;
  }
}

void TennisPlayer::stepMoving(uint32_t dtMs) {
  switch (phase) {
    case 0: play(dtMs); break;
    case 1:
      turnToward(dtMs);
      if (dtMs > 0) phase = 2;
      break;
    default:
      setState(PlayerState::Stroke);
      resetClock();
      chooseAim();
      break;
  }
}

void TennisPlayer::stepServeSwing(uint32_t) {
  if (!hitDone) {
    chooseAim();
    prepareTargets();
    serveHitCheck();
  }
  if (timeBeyondEnd(1) > 0) {
    phase = 0;
    resetClock();
    hitDone = false;
    setState(PlayerState::Moving);
  }
}

void TennisPlayer::strikeStroke() { hit(aimTarget(phase) + aimOffset, hitSpeed * rowSpeedFactor(phase), true); }

void TennisPlayer::stepStroke(uint32_t) {
  if (!hitDone && distanceToBall() < kStrokeReach) {
    prepareTargets();
    strikeStroke();
    hitDone = true;
  }
  if (timeBeyondEnd(1) >= 0) {
    noteMissedSwing();
    phase = 0;
    resetClock();
    hitDone = false;
    setState(PlayerState::Moving);
  }
}

void TennisPlayer::diveMove(float t) {
  if (timeBeyondEnd(1) > 0) t -= static_cast<float>(timeBeyondEnd(1));
  if (t < 0.0f) t = 0.0f;
  const float towardZ = targetFacing == kFacingMinusZ ? -1.0f : 1.0f;
  move(0.0f, towardZ * t * diveSpeed);
  if (!hitDone && distanceToBall() < kDiveReach) {
    hitDone = true;
    prepareTargets();
    diveHit(static_cast<uint32_t>(t));
  }
  if (timeBeyondEnd(1) > 0) {
    phase = 2;
    resetClock();
  }
}

void TennisPlayer::stepDiving(uint32_t dtMs) {
  turnToward(dtMs);
  switch (phase) {
    case 0:
      if (timeBeyondEnd(1) > 0) {
        const float overrun = static_cast<float>(timeBeyondEnd(1));
        phase = 1;
        resetClock();
        diveMove(overrun);
      }
      break;
    case 1: diveMove(static_cast<float>(dtMs)); break;
    default:
      if (timeBeyondEnd(1) > 0) {
        noteMissedSwing();
        hitDone = false;
        setState(PlayerState::Moving);
      }
      break;
  }
}
