#include "tennis/HumanModel.h"

#include <algorithm>
#include <cmath>

#include "engine/Random.h"
#include "tennis/Court.h"
#include "tennis/ModelFiles.h"
#include "tennis/Pelota.h"
#include "tennis/TennisPlayer.h"

namespace {

constexpr uint8_t bit(PlayerKey key) { return playerKeyBit(key); }

float horizontalDistance(const Vector3& a, const Vector3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

// The key that points towards the net from this player's half, and the one
// that points away: the low drive and the lob of a stroke, the deep row of a
// serve.
PlayerKey towardNet(const TennisPlayer& me) { return me.onPlusSide() ? KeyUp : KeyDown; }
PlayerKey awayFromNet(const TennisPlayer& me) { return me.onPlusSide() ? KeyDown : KeyUp; }

// Where the ball will be `ms` from now, by what a player knows of its
// flight: the arc it is on and the bounces that follow, each keeping its
// share of the vertical speed. Counts the bounces on the way.
Vector3 expectedBallAt(const BallFlight& f, float gravity, float ms, int32_t& bounces) {
  const Vector3 direction(std::sin(f.heading), 0.0f, std::cos(f.heading));
  float t = f.elapsedMs + ms;
  float arcStart = 0.0f;
  float startHeight = f.startHeight;
  float verticalSpeed = f.verticalSpeed;
  float landing = f.landingMs;
  bounces = 0;
  while (t - arcStart > landing && landing > kMinBounceArcMs) {
    const float impact = verticalSpeed - gravity * landing / 1000.0f;
    arcStart += landing;
    startHeight = kBallRadiusMetres;
    verticalSpeed = -kBounceRestitution * impact;
    landing = 2000.0f * verticalSpeed / gravity;
    ++bounces;
  }
  const float s = (t - arcStart) / 1000.0f;
  const float y = std::max(kUnitsPerMetre * (startHeight + verticalSpeed * s - gravity * s * s / 2.0f), kBallRadius);
  const Vector3 ground = Vector3(f.startX, 0.0f, f.startZ) + direction * (f.horizontalSpeed * t);
  return Vector3(ground.x, y, ground.z);
}

}  // namespace

const HumanSkill* findHumanSkill(std::string_view name) {
  for (const HumanSkill& skill : kHumanSkills)
    if (name == skill.name) return &skill;
  return nullptr;
}

HumanModel::HumanModel(const HumanSkill& skill, uint32_t seed) : skill(skill), chance(seed) {}

float HumanModel::normal(float deviation) {
  // Four uniform draws: near enough to a bell, and bounded.
  float sum = 0.0f;
  for (int i = 0; i < 4; ++i) sum += chance.nextFloat(1.0f);
  return (sum - 2.0f) * std::sqrt(3.0f) * deviation;
}

float HumanModel::timingError(float speed) const {
  return skill.timingErrorMs * std::max(speed, 0.0f) / kHumanReferenceSpeed;
}

PlayerCommand HumanModel::next(const TennisPlayer& me, uint32_t dtMs) {
  nowMs += static_cast<float>(dtMs);
  const std::shared_ptr<Pelota> ball = me.currentBall();
  if (!ball) return {};
  watchForHits(me, *ball);
  const PlayerState state = me.state();
  if (state == PlayerState::Won || state == PlayerState::Lost) return {};
  if (state == PlayerState::Serving || state == PlayerState::ServeSwing) return serve(me);
  serveReady = false;
  return rally(me, *ball);
}

void HumanModel::watchForHits(const TennisPlayer& me, const Pelota& ball) {
  const int32_t hits = ball.hitCount();
  if (hits == seenHits) return;
  seenHits = hits;
  plan = Plan{};
  // A hit is seen at once; where it goes only after the reaction time.
  incoming = hits > 0 && me.ballHeading() == 0;
  seeAtMs = nowMs + skill.reactionMs;
}

PlayerCommand HumanModel::serve(const TennisPlayer& me) {
  PlayerCommand command;
  if (me.state() == PlayerState::ServeSwing) {
    // The aim is read until the swing meets the ball.
    command.held = serveKeys;
    return command;
  }
  const int32_t phase = me.statePhase();
  if (phase == 0) {
    if (!serveReady) {
      serveReady = true;
      tossAtMs = nowMs + kHumanServeReadyMinMs + chance.nextFloat(kHumanServeReadyMaxMs - kHumanServeReadyMinMs);
    }
    if (nowMs >= tossAtMs) command.held = bit(KeyHit);
  } else if (phase == 2) {
    if (servePhaseSeen != 2) {
      swingAtMs = nowMs + kHumanServeSwingMs + normal(timingError(kHumanReferenceSpeed));
      serveKeys = serveAimKeys(me);
    }
    if (nowMs >= swingAtMs) command.held = static_cast<uint8_t>(bit(KeyHit) | serveKeys);
  } else if (phase == 3) {
    // Caught: another toss after another pause.
    serveReady = false;
  }
  servePhaseSeen = phase;
  return command;
}

PlayerCommand HumanModel::rally(const TennisPlayer& me, const Pelota& ball) {
  const PlayerState state = me.state();
  if (state == PlayerState::Stroke || state == PlayerState::Diving) {
    tapSteps = 0;
    return {};
  }
  if (tapSteps > 0) {
    // Held until the player takes the press up; the aim is read as the
    // swing starts, after the turn to the net.
    --tapSteps;
    return {tapKeys, 0};
  }
  // Before the serve everyone waits where the match put them.
  if (ball.isCarried() || ball.hitCount() == 0) return {};
  if (!incoming || nowMs < seeAtMs) return walkTo(me, home(me));
  if (!plan.made) makePlan(me, ball);
  if (!plan.made) return walkTo(me, home(me));
  const Vector3 target = judgedPoint(ball, plan.meetAt);
  const float timeLeft = plan.arriveMs - nowMs;
  if (plan.dive) {
    const float gap = std::fabs(target.z - me.position().z);
    // The dive moves the player only once its take-off clip has played.
    const float takeOffMs = static_cast<float>(characterClipMs(ClipDiveStart));
    if (timeLeft <= takeOffMs + gap / kDiveSpeed + plan.pressErrorMs) {
      return tap(static_cast<uint8_t>(bit(KeyDive) | bit(target.z > me.position().z ? KeyLeft : KeyRight)));
    }
    return walkTo(me, target);
  }
  const float turnMs = std::fabs(wrapDegrees(me.netFacing() - me.facingAngle())) / kTurnRate;
  const float lead = asked.stroke == AskedStroke::Smash ? kHumanSmashLeadMs : kHumanStrokeLeadMs;
  if (timeLeft <= lead + turnMs + plan.pressErrorMs) {
    return tap(static_cast<uint8_t>(bit(KeyHit) | strokeAimKeys(me)));
  }
  return walkTo(me, target);
}

PlayerCommand HumanModel::tap(uint8_t keys) {
  // This ball is dealt with: the keys go down and stay until taken up.
  incoming = false;
  tapKeys = keys;
  tapSteps = kHumanTapSteps;
  return {tapKeys, tapKeys};
}

void HumanModel::makePlan(const TennisPlayer& me, const Pelota& ball) {
  const float speed = ball.horizontalSpeed();
  const float deviation = timingError(speed);
  const float acrossError = normal(skill.timingErrorMs) * speed;
  const float alongError = normal(skill.timingErrorMs) * speed;
  const Vector3 at = me.position();
  const BallFlight flight = ball.flight();
  // A serve must bounce before it is returned; a rally ball may be volleyed.
  // Asked for a smash, the person lets the lesson's high ball bounce and
  // meets it as it comes down from the top of its bounce.
  const bool smash = asked.stroke == AskedStroke::Smash;
  const int32_t fewestBounces = ball.hitCount() <= 1 || smash ? 1 : 0;
  const float lowest = smash ? kHumanSmashLowY : kHumanMeetLowY;
  const float highest = smash ? kHumanSmashHighY : kHumanMeetHighY;
  int32_t best = -1;
  float bestDistance = 0.0f;
  float bestSlack = 0.0f;
  Vector3 bestPoint;
  float bestTime = 0.0f;
  float previousY = ball.position().y;
  for (int32_t k = 1; k <= kHumanLookAheadSteps; ++k) {
    const float t = static_cast<float>(k) * kHumanLookAheadStepMs;
    int32_t bounces = 0;
    const Vector3 p = expectedBallAt(flight, ball.gravity(), t, bounces);
    if (bounces > 1) break;
    const bool falling = p.y < previousY;
    previousY = p.y;
    const bool onMyHalf = me.onPlusSide() ? p.x > kNetBandX : p.x < -kNetBandX;
    if (bounces < fewestBounces || (smash && !falling)) continue;
    if (!onMyHalf || p.y < lowest || p.y > highest) continue;
    if (std::fabs(p.x) > kPlayerLimitX || std::fabs(p.z) > kPlayerLimitZ) continue;
    const float d = horizontalDistance(p, at);
    const float slack = t - d / me.walkingSpeed();
    // Of the points reachable in time the nearest; else the least late.
    const bool better = best < 0 || (slack >= 0.0f && (bestSlack < 0.0f || d < bestDistance)) ||
                        (slack < 0.0f && bestSlack < 0.0f && slack > bestSlack);
    if (better) {
      best = k;
      bestDistance = d;
      bestSlack = slack;
      bestPoint = p;
      bestTime = t;
    }
  }
  if (best < 0 || partnerTakesIt(me, bestPoint)) {
    incoming = false;
    return;
  }
  plan.made = true;
  plan.meetAt = bestPoint;
  plan.arriveMs = nowMs + bestTime;
  plan.acrossError = acrossError;
  plan.alongError = alongError;
  plan.pressErrorMs = normal(deviation);
  plan.dive = asked.stroke == AskedStroke::Dive || (skill.dives && bestSlack < 0.0f);
}

Vector3 HumanModel::judgedPoint(const Pelota& ball, const Vector3& truePoint) const {
  const float along = ball.heading();
  const Vector3 forward(std::sin(along), 0.0f, std::cos(along));
  const Vector3 across(std::cos(along), 0.0f, -std::sin(along));
  return truePoint + forward * plan.alongError + across * plan.acrossError;
}

bool HumanModel::partnerTakesIt(const TennisPlayer& me, const Vector3& point) const {
  for (const auto& partner : me.livePartners()) {
    if (horizontalDistance(partner->position(), point) < horizontalDistance(me.position(), point)) return true;
  }
  return false;
}

PlayerCommand HumanModel::walkTo(const TennisPlayer& me, const Vector3& point) const {
  const Vector3 at = me.position();
  uint8_t keys = 0;
  if (point.x - at.x > kHumanStandTolerance) keys |= bit(KeyDown);
  if (point.x - at.x < -kHumanStandTolerance) keys |= bit(KeyUp);
  if (point.z - at.z > kHumanStandTolerance) keys |= bit(KeyLeft);
  if (point.z - at.z < -kHumanStandTolerance) keys |= bit(KeyRight);
  return {keys, 0};
}

Vector3 HumanModel::home(const TennisPlayer& me) const {
  const bool netPlayer = me.hasPartner() && me.playerIndex() >= 2;
  const float depth = netPlayer ? kHumanNetPlayerX : kBaselineX - kHumanHomeInsideBaseline;
  return Vector3(me.onPlusSide() ? depth : -depth, 0.0f, 0.0f);
}

uint8_t HumanModel::strokeAimKeys(const TennisPlayer& me) {
  ++strokes;
  if (!(asked == ShotRequest{})) return askedAimKeys(me);
  const float myZ = me.position().z;
  const auto opponents = me.liveOpponents();
  const float sideZ = opponents.size() >= 2 ? kDoublesSideZ : kSinglesSideZ;
  if (skill.aim == AimHabit::Middle) {
    if (chance.nextInt(kHumanBeginnerSideAimEvery - 1) != 0) return 0;
    return bit(chance.nextInt(1) == 0 ? KeyLeft : KeyRight);
  }
  float opponentZ = 0.0f;
  float opponentDepth = kBaselineX;
  for (const auto& o : opponents) {
    opponentZ += o->position().z / static_cast<float>(opponents.size());
    opponentDepth = std::min(opponentDepth, std::fabs(o->position().x));
  }
  // The three columns (left key, none, right key) and their aim points.
  const PlayerKey keys[3] = {KeyLeft, KeyDown, KeyRight};
  const float aimZ[3] = {myZ + kStrokeColumnZ, std::clamp(myZ, -sideZ, sideZ), myZ - kStrokeColumnZ};
  int32_t column = 1;
  for (int32_t c = 0; c < 3; c += 2) {
    const float judgedZ = aimZ[c] + normal(skill.timingErrorMs) * kHumanReferenceSpeed;
    const bool judgedIn = std::fabs(judgedZ) <= sideZ;
    if (judgedIn && std::fabs(aimZ[c] - opponentZ) > std::fabs(aimZ[column] - opponentZ)) column = c;
  }
  uint8_t chosen = column == 1 ? 0 : bit(keys[column]);
  if (skill.aim == AimHabit::AwayAndDrive) {
    chosen |= bit(opponentDepth < kServiceLineX ? awayFromNet(me) : towardNet(me));
  }
  return chosen;
}

uint8_t HumanModel::askedAimKeys(const TennisPlayer& me) const {
  uint8_t chosen = 0;
  if (asked.side == AskedSide::Left) chosen |= bit(KeyLeft);
  if (asked.side == AskedSide::Right) chosen |= bit(KeyRight);
  if (asked.stroke == AskedStroke::Drive) chosen |= bit(towardNet(me));
  if (asked.stroke == AskedStroke::Lob) chosen |= bit(awayFromNet(me));
  return chosen;
}

uint8_t HumanModel::serveAimKeys(const TennisPlayer& me) {
  if (skill.aim == AimHabit::Middle) return 0;
  const int32_t column = chance.nextInt(2);
  uint8_t chosen = column == 0 ? bit(KeyLeft) : (column == 2 ? bit(KeyRight) : 0);
  if (skill.aim == AimHabit::AwayAndDrive) chosen |= bit(towardNet(me));
  return chosen;
}
