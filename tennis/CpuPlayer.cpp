#include "tennis/CpuPlayer.h"

#include <algorithm>
#include <cmath>

#include "engine/Matrix.h"
#include "engine/Random.h"
#include "tennis/Pelota.h"

namespace {

// hitChoice, noFaceNet, sideStep, aimChoice, recovery, serveChoice by level.
constexpr int32_t kLevelTable[6][6] = {
    {0, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0}, {3, 0, 0, 1, 1, 2},
    {3, 0, 0, 1, 1, 2}, {3, 0, 1, 1, 2, 1}, {3, 0, 1, 2, 2, 1},
};

bool finitePoint(const Vector3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

float degreesToward(float dx, float dz) { return std::trunc(static_cast<float>(std::atan2(dx, dz) / kDegreesToRadians)); }

struct TrialShot {
  int32_t aim;
  Vector3 landing;
  float nearestOpponent;
};

}  // namespace

CpuPlayer::CpuPlayer(float walkSpeed, float hitSpeed, std::weak_ptr<Pelota> ball, std::weak_ptr<Scene> effects)
    : TennisPlayer(walkSpeed, hitSpeed, std::move(ball), std::move(effects)) {}

void CpuPlayer::setLevel(int32_t level, bool doubles) {
  if (level < 0 || level > kCpuMaxLevel) level = kCpuMaxLevel;
  const int32_t* row = kLevelTable[level];
  hitChoice = row[0];
  noFaceNet = row[1];
  sideStep = row[2];
  aimChoice = row[3];
  recovery = row[4];
  serveChoice = row[5];
  aimScatter = doubles ? kCpuDoublesAimScatter[level] : kCpuAimScatter[level];
  strayGrowth = kCpuStrayGrowthPerShot[level];
  strokePace = doubles ? kCpuDoublesStrokePace[level] : kCpuStrokePace[level];
  steadyShots = doubles ? kCpuDoublesSteadyShots[level] : kCpuSteadyShots[level];
  serveStray = kCpuServeSwingStray[level];
  openCourtShare = kCpuOpenCourtShare[level];
  aimInside = kCpuAimInside[level];
  netPlayerX = kCpuNetPlayerX[level];
}

void CpuPlayer::saveState(StateWriter& out) const {
  TennisPlayer::saveState(out);
  out.put(moveTarget);
  out.put(timeToHit);
  out.put(planned);
  out.put(serveDelayMs);
  out.put(serveAim);
  out.put(serveSwingStray);
}

void CpuPlayer::restoreState(StateReader& in) {
  TennisPlayer::restoreState(in);
  in.get(moveTarget);
  in.get(timeToHit);
  in.get(planned);
  in.get(serveDelayMs);
  in.get(serveAim);
  in.get(serveSwingStray);
}

void CpuPlayer::setState(PlayerState s) {
  TennisPlayer::setState(s);
  if (s == PlayerState::Serving) {
    serveDelayMs = static_cast<int32_t>(randomFloat(kCpuMaxServeDelayMs));
    planned = false;
  } else if (s == PlayerState::Moving) {
    planned = false;
  }
}

float CpuPlayer::horizontalDistance(const Vector3& p) const { return std::hypot(p.x - x, p.z - z); }

bool CpuPlayer::canReach(const Vector3& point, float timeMs) const {
  return horizontalDistance(point) / walkSpeed <= timeMs;
}

bool CpuPlayer::canReachAcross(const Vector3& point, float timeMs) const {
  return std::fabs(point.z - z) / walkSpeed <= timeMs;
}

float CpuPlayer::homeX() const {
  if (!hasPartner()) return onPlusSide() ? kCpuHomeX : -kCpuHomeX;
  const float xs[4] = {kBaselineX, -kBaselineX, netPlayerX, -netPlayerX};
  return xs[index];
}

bool CpuPlayer::moveToward(uint32_t dtMs) {
  targetFacing = degreesToward(moveTarget.x - x, moveTarget.z - z);
  const float d = horizontalDistance(moveTarget);
  if (static_cast<float>(dtMs) * walkSpeed < d) {
    walk(true, dtMs);
    return false;
  }
  if (d > kCpuArrivedDistance) move(moveTarget.x - x, moveTarget.z - z);
  else {
    previousX = x;
    previousZ = z;
  }
  if (noFaceNet == 0) {
    targetFacing = netFacing();
    turnToward(dtMs);
  }
  return true;
}

std::vector<HitCandidate> CpuPlayer::candidates() const {
  std::vector<HitCandidate> list;
  const std::shared_ptr<Pelota> b = ball.lock();
  if (b) {
    Vector3 points[3];
    float times[3];
    const int count = b->predictCrossings(kCpuHitHeight, points, times);
    for (int i = 0; i < count && i < 3; ++i) {
      // A rebound that never reaches the hitting height gives no point to go to.
      if (!finitePoint(points[i]) || !std::isfinite(times[i])) continue;
      // Nor does a point beyond where a player may stand: walking there
      // ends at the limit, with the ball going by.
      if (std::fabs(points[i].x) > kPlayerLimitX || std::fabs(points[i].z) > kPlayerLimitZ) continue;
      if (sideStep == 0) {
        list.push_back({points[i], times[i], kCpuUnscored});
      } else {
        list.push_back({Vector3(points[i].x, points[i].y, points[i].z - kCpuSideStep), times[i], kCpuUnscored});
        list.push_back({Vector3(points[i].x, points[i].y, points[i].z + kCpuSideStep), times[i], kCpuUnscored});
      }
    }
  }
  if (hasPartner()) {
    const float zones[4][2] = {{kCpuZoneSplitX, kCpuZoneFarX},
                               {-kCpuZoneFarX, -kCpuZoneSplitX},
                               {0.0f, kCpuZoneSplitX},
                               {-kCpuZoneSplitX, 0.0f}};
    const float low = zones[index][0];
    const float high = zones[index][1];
    std::erase_if(list, [&](const HitCandidate& c) { return c.point.x < low || c.point.x > high; });
  }
  if (list.empty()) list.push_back({Vector3(x, 0.0f, z), 0.0f, kCpuUnscored});
  return list;
}

HitCandidate CpuPlayer::chooseHitPoint(std::vector<HitCandidate> list) const {
  if (list.empty()) return {Vector3(x, 0.0f, z), 0.0f, kCpuUnscored};
  const auto pickAtRandom = [](const std::vector<HitCandidate>& from) {
    const int32_t last = static_cast<int32_t>(from.size()) - 1;
    // randomInt(n) gives n itself once in 32768 draws.
    return from[std::clamp(randomInt(last), 0, last)];
  };
  switch (hitChoice) {
    case 0: return pickAtRandom(list);
    case 1: return list.size() >= 2 ? list[1] : list[0];
    default: break;
  }
  for (auto& c : list) c.score = horizontalDistance(c.point);
  std::stable_sort(list.begin(), list.end(), [](const HitCandidate& a, const HitCandidate& b) { return a.score < b.score; });
  if (hitChoice == 2) return list[0];
  std::vector<HitCandidate> reachable;
  for (const auto& c : list)
    if (canReach(c.point, c.timeMs)) reachable.push_back(c);
  if (reachable.empty()) reachable.push_back(list[0]);
  return pickAtRandom(reachable);
}

void CpuPlayer::play(uint32_t dtMs) {
  switch (ballHeading()) {
    case 0: {
      if (!planned) {
        const HitCandidate chosen = chooseHitPoint(candidates());
        moveTarget = chosen.point;
        timeToHit = chosen.timeMs;
        planned = true;
      }
      moveToward(dtMs);
      timeToHit -= static_cast<float>(dtMs);
      if (timeToHit > 0.0f && timeToHit < kCpuStrokeLeadMs) {
        targetFacing = netFacing();
        phase = 1;
        turnToward(dtMs);
      }
      // The dive carries the player across the court only, while the ball
      // keeps coming along x past its hitting point: a point that is merely
      // farther up or down the court is met by walking on and swinging.
      if (timeToHit > 0.0f && timeToHit < kCpuDiveLeadMs && !canReachAcross(moveTarget, timeToHit)) {
        setState(PlayerState::Diving);
        targetFacing = z >= moveTarget.z ? kFacingMinusZ : kFacingPlusZ;
        turnToward(dtMs);
      }
      break;
    }
    case 1: {
      planned = false;
      if (recovery == 0) {
        moveTarget = Vector3(x, 0.0f, z);
      } else if (recovery == 1) {
        moveTarget = Vector3(homeX(), 0.0f, z);
      } else {
        const auto others = liveOpponents();
        float sumZ = 0.0f;
        for (const auto& o : others) sumZ += o->position().z;
        moveTarget = Vector3(homeX(), 0.0f, others.empty() ? z : sumZ / static_cast<float>(others.size()));
      }
      moveToward(dtMs);
      break;
    }
    default:
      planned = false;
      moveTarget = Vector3(x, 0.0f, z);
      moveToward(dtMs);
      break;
  }
}

void CpuPlayer::positionForServe(uint32_t dtMs) {
  const float face = netFacing();
  serveDelayMs = std::max<int32_t>(0, serveDelayMs - static_cast<int32_t>(dtMs));
  if (serveDelayMs > 0) return;
  if (!planned) moveTarget = Vector3(x, 0.0f, z);
  if (!moveToward(dtMs)) return;
  targetFacing = face;
  turnToward(dtMs);
  if (facing == face) {
    phase = 1;
    resetClock();
    if (serveChoice == 0) serveAim = 4;
    else if (serveChoice == 1) serveAim = std::clamp(randomInt(8), 0, 8);
    else serveAim = (onPlusSide() ? 0 : 6) + std::clamp(randomInt(2), 0, 2);
    serveSwingStray = randomFloat(2.0f * serveStray) - serveStray;
  }
}

void CpuPlayer::awaitServeSwing(uint32_t) {
  const int32_t row = serveAim / 3;
  const bool shortServe = (index == 1 && row == 0) || (index == 0 && row == 2);
  const float swingHeight = shortServe ? kCpuSwingShortY : (row == 1 ? kCpuSwingMiddleY : kCpuSwingDeepY);
  if (timeBeyondEnd(1) > 0) {
    takeBallForServe();
    phase = 3;
    resetClock();
    return;
  }
  const std::shared_ptr<Pelota> b = ball.lock();
  if (b && b->position().y < swingHeight + serveSwingStray && b->descending() == 1) {
    setState(PlayerState::ServeSwing);
    phase = 0;
    resetClock();
  }
}

void CpuPlayer::chooseAim() {
  if (playerState == PlayerState::ServeSwing) {
    phase = serveAim;
    return;
  }
  phase = 4;
  const float stray = drawAimScatter();
  if (aimChoice == 0) return;
  const std::shared_ptr<Pelota> b = ball.lock();
  if (!b) return;
  prepareTargets();
  const BallFlight saved = b->flight();
  const auto others = liveOpponents();
  const bool diving = playerState == PlayerState::Diving;
  std::vector<TrialShot> shots;
  for (int32_t k = diving ? 3 : 0; k <= (diving ? 5 : 8); ++k) {
    if (diving) hit(aimTarget(k), hitSpeed * rowSpeedFactor(k), false);
    else hit(pacedAim(aimTarget(k)), pacedSpeed(k), false);
    Vector3 points[3];
    float times[3];
    b->predictCrossings(kBallRadius, points, times);
    const Vector3 landing(points[0].x, 0.0f, points[0].z);
    float nearest = kCpuUnscored;
    for (const auto& o : others) {
      const Vector3 at = o->position();
      nearest = std::min(nearest, distance(landing, Vector3(at.x, 0.0f, at.z)));
    }
    shots.push_back({k, landing, nearest});
    b->restoreFlight(saved);
  }
  const float sideStrays = aimChoice >= 2 ? kCpuStraysInsideSideLines : 0.0f;
  const float sideZ = (others.size() >= 2 ? kDoublesSideZ : kSinglesSideZ) - aimInside - sideStrays * stray;
  const float deepX = kBaselineX - kCpuStraysInsideBaseline * stray;
  std::vector<TrialShot> inCourt;
  for (const auto& s : shots)
    if (std::fabs(s.landing.x) <= deepX && std::fabs(s.landing.z) <= sideZ) inCourt.push_back(s);
  if (inCourt.empty()) inCourt.push_back(shots[shots.size() / 2]);
  const bool openCourt = aimChoice >= 2 && (openCourtShare >= 1.0f || randomFloat(1.0f) < openCourtShare);
  if (!openCourt) {
    const int32_t last = static_cast<int32_t>(inCourt.size()) - 1;
    phase = inCourt[std::clamp(randomInt(last), 0, last)].aim;
    return;
  }
  const TrialShot* best = &inCourt[0];
  for (const auto& s : inCourt)
    if (s.nearestOpponent > best->nearestOpponent) best = &s;
  phase = best->aim;
}

float CpuPlayer::drawAimScatter() {
  const std::shared_ptr<Pelota> b = ball.lock();
  const float shots = b ? static_cast<float>(b->hitCount()) : 0.0f;
  const float spread = aimScatter * (1.0f + std::max(0.0f, shots - steadyShots) * strayGrowth);
  const float dz = randomFloat(2.0f * spread) - spread;
  // Never below the ground at the aim point: a ball aimed into the ground
  // would not fly at all.
  const float dy = std::max(randomFloat(2.0f * spread) - spread, kBallRadius - kLowestStrokeAimY);
  aimOffset = Vector3(0.0f, dy, dz);
  return spread;
}

void CpuPlayer::diveHit(uint32_t) {
  const int32_t divePhase = phase;
  chooseAim();
  const int32_t aim = phase;
  phase = divePhase;
  hit(aimTarget(aim) + aimOffset, hitSpeed * kDiveShotFactor, true);
}

void CpuPlayer::strikeStroke() { hit(pacedAim(aimTarget(phase) + aimOffset), pacedSpeed(phase), true); }

Vector3 CpuPlayer::pacedAim(const Vector3& aim) const {
  const std::shared_ptr<Pelota> b = ball.lock();
  const float contactY = b ? b->position().y : aim.y;
  return Vector3(aim.x, contactY + (aim.y - contactY) / strokePace, aim.z);
}

float CpuPlayer::pacedSpeed(int32_t aim) const { return hitSpeed * rowSpeedFactor(aim) * strokePace; }
