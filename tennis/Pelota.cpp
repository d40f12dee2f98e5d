#include "tennis/Pelota.h"

#include <cmath>
#include <string>

#include "engine/Log.h"
#include "engine/Scene.h"
#include "tennis/Court.h"
#include "tennis/NodeNames.h"
#include "tennis/PlayEffects.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kMsPerSecond = 1000.0f;

Matrix withTranslation(Matrix m, float x, float y, float z) {
  m[12] = x;
  m[13] = y;
  m[14] = z;
  return m;
}

}  // namespace

Pelota::Pelota(std::weak_ptr<Scene> effects)
    : AnimatedGroup("Ball"), gravityMs2(kGravity), effectScene(std::move(effects)) {
  setTransform(withTranslation(Matrix(), kBallRadius, kBallRadius, 0.0f));
  motion.startX = kBallRadius;
  motion.startHeight = kBallRadiusMetres;
  motion.landingMs = timeToGround();
  motion.lastBounce = Vector3(0.0f, kBallRadius, 0.0f);
}

void Pelota::placeAt(float x, float y, float z) {
  setTransform(withTranslation(transform(), x, y, z));
  motion.startX = x;
  motion.startZ = z;
  motion.startHeight = y / kUnitsPerMetre;
  motion.verticalSpeed = 0.0f;
  motion.elapsedMs = 0.0f;
  motion.landingMs = timeToGround();
  motion.heading = 0.0f;
  motion.horizontalSpeed = 0.0f;
  motion.bounceCount = 0;
}

void Pelota::startFlight(float heading, float horizontalSpeed, float verticalSpeed) {
  const Vector3 p = position();
  motion.startHeight = p.y / kUnitsPerMetre;
  motion.verticalSpeed = verticalSpeed;
  motion.elapsedMs = 0.0f;
  motion.landingMs = timeToGround();
  motion.heading = heading;
  motion.horizontalSpeed = horizontalSpeed;
  motion.startX = p.x;
  motion.startZ = p.z;
  motion.bounceCount = 0;
}

void Pelota::hitToward(float targetX, float targetY, float targetZ, float hitSpeed) {
  const Vector3 p = position();
  if (!(hitSpeed > 0.0f) || !std::isfinite(hitSpeed)) {
    // No horizontal speed can reach an aim point: the ball just drops.
    startFlight(0.0f, 0.0f, 0.0f);
    return;
  }
  const float dx = p.x - targetX;
  const float dz = p.z - targetZ;
  // atan(dx / dz), written out for dz = 0 so that an aim straight along x
  // keeps its quarter turn and an aim at the ball itself gets no NaN.
  float heading = 0.0f;
  if (dz != 0.0f) {
    heading = std::atan(dx / dz);
  } else if (dx > 0.0f) {
    heading = kHalfPi;
  } else if (dx < 0.0f) {
    heading = -kHalfPi;
  }
  if (p.z >= targetZ) heading -= kHitHalfTurn;

  const float distance = std::sqrt(dz * dz + dx * dx);
  float seconds = distance / hitSpeed * 0.001f;
  if (seconds == 0.0f) seconds = kMinHitSeconds;
  const float verticalSpeed =
      (targetY / kUnitsPerMetre - p.y / kUnitsPerMetre + gravityMs2 * seconds * seconds / 2.0f) / seconds;
  ++motion.hits;
  motion.stoppedByNet = false;
  if (verticalSpeed < 0.0f) printMessage("Pelota.cpp Golpear Hacia, con potencia negativa - Algo raro ha pasado\n");
  startFlight(heading, hitSpeed, verticalSpeed);
}

float Pelota::timeToGround() const {
  float discriminant =
      motion.verticalSpeed * motion.verticalSpeed + 2.0f * gravityMs2 * (motion.startHeight - kBallRadiusMetres);
  // Below the resting height with no speed to rise to it there is no later
  // root: the ball is on the ground already.
  if (!(discriminant > 0.0f)) discriminant = 0.0f;
  return kMsPerSecond * (motion.verticalSpeed + std::sqrt(discriminant)) / gravityMs2;
}

float Pelota::apexHeight() const {
  const float rise = motion.verticalSpeed / gravityMs2;
  return kUnitsPerMetre * (motion.startHeight + rise * motion.verticalSpeed - gravityMs2 * rise * rise / 2.0f);
}

float Pelota::heightAt(float t) const {
  const float s = t / kMsPerSecond;
  return kUnitsPerMetre * (motion.startHeight + motion.verticalSpeed * s - gravityMs2 * s * s / 2.0f);
}

Vector3 Pelota::groundPointAt(float t, float h) const {
  return Vector3(motion.startX + std::sin(motion.heading) * t * motion.horizontalSpeed, h,
                 motion.startZ + std::cos(motion.heading) * motion.horizontalSpeed * t);
}

int Pelota::direction() const {
  const float s = std::sin(motion.heading);
  if (s == 0.0f) return -1;
  return s < 0.0f ? 1 : 0;
}

void Pelota::saveState(StateWriter& out) const {
  AnimatedGroup::saveState(out);
  for (const float value : {motion.startHeight, motion.verticalSpeed, motion.startX, motion.startZ, motion.elapsedMs,
                            motion.landingMs, motion.heading, motion.horizontalSpeed}) {
    out.put(value);
  }
  out.put(motion.bounceCount);
  out.put(motion.lastBounce);
  out.put(motion.descending);
  out.put(motion.hits);
  out.put(motion.stoppedByNet);
  out.put(isCarried());
}

void Pelota::restoreState(StateReader& in) {
  AnimatedGroup::restoreState(in);
  for (float* value : {&motion.startHeight, &motion.verticalSpeed, &motion.startX, &motion.startZ, &motion.elapsedMs,
                       &motion.landingMs, &motion.heading, &motion.horizontalSpeed}) {
    in.get(*value);
  }
  in.get(motion.bounceCount);
  in.get(motion.lastBounce);
  in.get(motion.descending);
  in.get(motion.hits);
  in.get(motion.stoppedByNet);
  bool carried = false;
  in.get(carried);
  holder.reset();
  if (carried && serverNode) holder = serverNode->findReadNode(kServeBallHolderName);
}

void Pelota::attachToServer() {
  if (serverNode) holder = serverNode->findReadNode(kServeBallHolderName);
  motion.heading = 0.0f;
  motion.bounceCount = 0;
  motion.hits = 0;
  motion.stoppedByNet = false;
}

void Pelota::update(uint32_t dtMs, const Matrix& parentWorld, uint32_t*) {
  if (const std::shared_ptr<SceneNode> node = holder.lock()) {
    if (const auto* entity = dynamic_cast<const SceneEntity*>(node.get())) setTransform(entity->worldMatrix());
    return;
  }

  setTransform(multiply(transform(), parentWorld));
  const Vector3 old = position();
  motion.elapsedMs += static_cast<float>(dtMs);

  // A ball stopped low against the net drops in less than a bounce's worth
  // of time; its landing still counts, or the point would never be called.
  const bool netDrop = motion.stoppedByNet && motion.bounceCount == 0;
  if (motion.elapsedMs > motion.landingMs && (motion.landingMs > kMinBounceArcMs || netDrop)) {
    const float impactSpeed = motion.verticalSpeed - gravityMs2 * motion.landingMs / kMsPerSecond;
    motion.verticalSpeed = impactSpeed * -kBounceRestitution;
    motion.startHeight = kBallRadiusMetres;
    motion.elapsedMs -= motion.landingMs;
    motion.lastBounce = groundPointAt(motion.landingMs, kBallRadius);
    motion.landingMs = timeToGround();
    // The new arc starts where the ball was a step ago, not at the bounce.
    motion.startX = old.x;
    motion.startZ = old.z;
    ++motion.bounceCount;
  }

  float y = heightAt(motion.elapsedMs);
  if (y < kBallRadius) y = kBallRadius;
  motion.descending = y - old.y <= 0.0f ? 1 : 0;
  const Vector3 now = groundPointAt(motion.elapsedMs, y);
  setTransform(withTranslation(transform(), now.x, now.y, now.z));

  // The net: a ball that crosses the plane x = 0 below the net's top is
  // stopped against it on the side it came from and drops from there.
  const bool crossed = (now.x <= 0.0f && old.x >= 0.0f) || (now.x >= 0.0f && old.x <= 0.0f);
  if (crossed && now.x != old.x) {
    const float k = -now.x / (old.x - now.x);
    const float crossingY = now.y + k * (old.y - now.y);
    const float crossingZ = now.z + k * (old.z - now.z);
    if (crossingY < kNetTopY) {
      const float stopX = now.x > 0.0f ? -kBallRadius : (k >= 0.0f ? kBallRadius : -kBallRadius);
      placeAt(stopX, crossingY, crossingZ);
      motion.stoppedByNet = true;
    }
  }

  if (motion.horizontalSpeed > kBlurSpeed) {
    if (const std::shared_ptr<Scene> scene = effectScene.lock()) {
      scene->spawnEffect(playEffectTemplates().blur, transform());
    }
  }
}

int Pelota::predictCrossings(float h, Vector3 points[3], float times[3]) const {
  const float apex = apexHeight();
  // Also catches an h that is not a number.
  if (!(h <= apex)) h = apex - kApexMargin;
  const float g = gravityMs2;
  const float vy = motion.verticalSpeed;

  float down = vy * vy + 2.0f * g * (motion.startHeight - h / kUnitsPerMetre);
  if (down < 0.0f) down = 0.0f;  // only float rounding right at the apex
  const float t0 = kMsPerSecond * (vy + std::sqrt(down)) / g;
  points[0] = groundPointAt(t0, h);
  times[0] = t0 - motion.elapsedMs;

  const float rebound = -kBounceRestitution * (vy - g * motion.landingMs / kMsPerSecond);
  const float reach = rebound * rebound + 2.0f * g * (kBallRadiusMetres - h / kUnitsPerMetre);
  if (reach < 0.0f) {
    const float top = motion.landingMs + kMsPerSecond * rebound / g;
    const float topHeight = kUnitsPerMetre * (kBallRadiusMetres + rebound * rebound / (2.0f * g));
    points[1] = points[2] = groundPointAt(top, topHeight);
    times[1] = times[2] = top - motion.elapsedMs;
    return 1;
  }
  const float s = std::sqrt(reach);
  const float up = motion.landingMs + kMsPerSecond * (rebound - s) / g;
  const float downAgain = motion.landingMs + kMsPerSecond * (rebound + s) / g;
  points[1] = groundPointAt(up, h);
  points[2] = groundPointAt(downAgain, h);
  times[1] = up - motion.elapsedMs;
  times[2] = downAgain - motion.elapsedMs;
  return 3;
}
