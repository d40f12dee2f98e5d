#include "tennis/Pelota.h"

#include <cmath>
#include <string>

#include "engine/Log.h"
#include "engine/Scene.h"
#include "tennis/Court.h"
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
  startX = kBallRadius;
  startHeight = kBallRadiusMetres;
  landingTime = timeToGround();
  lastBouncePoint = Vector3(0.0f, kBallRadius, 0.0f);
}

void Pelota::placeAt(float x, float y, float z) {
  setTransform(withTranslation(transform(), x, y, z));
  startX = x;
  startZ = z;
  startHeight = y / kUnitsPerMetre;
  startVerticalSpeed = 0.0f;
  elapsed = 0.0f;
  landingTime = timeToGround();
  headingRadians = 0.0f;
  speed = 0.0f;
  bounces = 0;
}

void Pelota::startFlight(float heading, float horizontalSpeed, float verticalSpeed) {
  const Vector3 p = position();
  startHeight = p.y / kUnitsPerMetre;
  startVerticalSpeed = verticalSpeed;
  elapsed = 0.0f;
  landingTime = timeToGround();
  headingRadians = heading;
  speed = horizontalSpeed;
  startX = p.x;
  startZ = p.z;
  bounces = 0;
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
  ++hits;
  netted = false;
  if (verticalSpeed < 0.0f) printMessage("Pelota.cpp Golpear Hacia, con potencia negativa - Algo raro ha pasado\n");
  startFlight(heading, hitSpeed, verticalSpeed);
}

float Pelota::timeToGround() const {
  float discriminant = startVerticalSpeed * startVerticalSpeed + 2.0f * gravityMs2 * (startHeight - kBallRadiusMetres);
  // Below the resting height with no speed to rise to it there is no later
  // root: the ball is on the ground already.
  if (!(discriminant > 0.0f)) discriminant = 0.0f;
  return kMsPerSecond * (startVerticalSpeed + std::sqrt(discriminant)) / gravityMs2;
}

float Pelota::apexHeight() const {
  const float rise = startVerticalSpeed / gravityMs2;
  return kUnitsPerMetre * (startHeight + rise * startVerticalSpeed - gravityMs2 * rise * rise / 2.0f);
}

float Pelota::heightAt(float t) const {
  const float s = t / kMsPerSecond;
  return kUnitsPerMetre * (startHeight + startVerticalSpeed * s - gravityMs2 * s * s / 2.0f);
}

Vector3 Pelota::groundPointAt(float t, float h) const {
  return Vector3(startX + std::sin(headingRadians) * t * speed, h, startZ + std::cos(headingRadians) * speed * t);
}

int Pelota::direction() const {
  const float s = std::sin(headingRadians);
  if (s == 0.0f) return -1;
  return s < 0.0f ? 1 : 0;
}

void Pelota::attachToServer() {
  if (serverNode) holder = serverNode->findNode("Ball");
  headingRadians = 0.0f;
  bounces = 0;
  hits = 0;
  netted = false;
}

BallFlight Pelota::flight() const {
  return BallFlight{transform(), startHeight, startVerticalSpeed, startX, startZ, elapsed, landingTime, headingRadians,
                    speed,       bounces,     lastBouncePoint,    falling,       hits,    netted};
}

void Pelota::restoreFlight(const BallFlight& saved) {
  setTransform(saved.transform);
  startHeight = saved.startHeight;
  startVerticalSpeed = saved.verticalSpeed;
  startX = saved.startX;
  startZ = saved.startZ;
  elapsed = saved.elapsedMs;
  landingTime = saved.landingMs;
  headingRadians = saved.heading;
  speed = saved.horizontalSpeed;
  bounces = saved.bounceCount;
  lastBouncePoint = saved.lastBounce;
  falling = saved.descending;
  hits = saved.hits;
  netted = saved.stoppedByNet;
}

void Pelota::update(uint32_t dtMs, const Matrix& parentWorld, uint32_t*) {
  if (const std::shared_ptr<SceneNode> node = holder.lock()) {
    if (const auto* entity = dynamic_cast<const SceneEntity*>(node.get())) setTransform(entity->worldMatrix());
    return;
  }

  setTransform(multiply(transform(), parentWorld));
  const Vector3 old = position();
  elapsed += static_cast<float>(dtMs);

  // A ball stopped low against the net drops in less than a bounce's worth
  // of time; its landing still counts, or the point would never be called.
  const bool netDrop = netted && bounces == 0;
  if (elapsed > landingTime && (landingTime > kMinBounceArcMs || netDrop)) {
    const float impactSpeed = startVerticalSpeed - gravityMs2 * landingTime / kMsPerSecond;
    startVerticalSpeed = impactSpeed * -kBounceRestitution;
    startHeight = kBallRadiusMetres;
    elapsed -= landingTime;
    lastBouncePoint = groundPointAt(landingTime, kBallRadius);
    landingTime = timeToGround();
    // The new arc starts where the ball was a step ago, not at the bounce.
    startX = old.x;
    startZ = old.z;
    ++bounces;
  }

  float y = heightAt(elapsed);
  if (y < kBallRadius) y = kBallRadius;
  falling = y - old.y <= 0.0f ? 1 : 0;
  const Vector3 now = groundPointAt(elapsed, y);
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
      netted = true;
    }
  }

  if (speed > kBlurSpeed) {
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
  const float vy = startVerticalSpeed;

  float down = vy * vy + 2.0f * g * (startHeight - h / kUnitsPerMetre);
  if (down < 0.0f) down = 0.0f;  // only float rounding right at the apex
  const float t0 = kMsPerSecond * (vy + std::sqrt(down)) / g;
  points[0] = groundPointAt(t0, h);
  times[0] = t0 - elapsed;

  const float rebound = -kBounceRestitution * (vy - g * landingTime / kMsPerSecond);
  const float reach = rebound * rebound + 2.0f * g * (kBallRadiusMetres - h / kUnitsPerMetre);
  if (reach < 0.0f) {
    const float top = landingTime + kMsPerSecond * rebound / g;
    const float topHeight = kUnitsPerMetre * (kBallRadiusMetres + rebound * rebound / (2.0f * g));
    points[1] = points[2] = groundPointAt(top, topHeight);
    times[1] = times[2] = top - elapsed;
    return 1;
  }
  const float s = std::sqrt(reach);
  const float up = landingTime + kMsPerSecond * (rebound - s) / g;
  const float downAgain = landingTime + kMsPerSecond * (rebound + s) / g;
  points[1] = groundPointAt(up, h);
  points[2] = groundPointAt(downAgain, h);
  times[1] = up - elapsed;
  times[2] = downAgain - elapsed;
  return 3;
}
