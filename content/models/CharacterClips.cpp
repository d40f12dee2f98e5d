#include "content/models/CharacterClips.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

// The lengths are the game's, which times its play to them.
const std::array<CharacterClipInfo, ClipCount> kCharacterClips = {{
    {.frames = kCharacterClipFrames[ClipStanding], .loops = true},
    {.frames = kCharacterClipFrames[ClipWalking], .loops = true},
    {.frames = kCharacterClipFrames[ClipForehand], .loops = false},
    {.frames = kCharacterClipFrames[ClipBackhand], .loops = false},
    {.frames = kCharacterClipFrames[ClipServeWait], .loops = true},
    {.frames = kCharacterClipFrames[ClipServeToss], .loops = false},
    {.frames = kCharacterClipFrames[ClipServeBallUp], .loops = false},
    {.frames = kCharacterClipFrames[ClipServeCatch], .loops = false},
    {.frames = kCharacterClipFrames[ClipServeSwing], .loops = false},
    {.frames = kCharacterClipFrames[ClipWon], .loops = false},
    {.frames = kCharacterClipFrames[ClipLost], .loops = false},
    {.frames = kCharacterClipFrames[ClipDiveStart], .loops = false},
    {.frames = kCharacterClipFrames[ClipDiveAir], .loops = false},
    {.frames = kCharacterClipFrames[ClipDiveLand], .loops = false},
}};

uint32_t clipDurationMs(size_t clip) { return characterClipMs(static_cast<uint32_t>(clip)); }

float serveCatchHeight() {
  // The ball's flight in metres and seconds, s after the toss.
  const float s = static_cast<float>(clipDurationMs(ClipServeBallUp)) / 1000.0f;
  return kUnitsPerMetre * (kTossOffsetY / kUnitsPerMetre + kTossSpeed * s - kGravity * s * s / 2);
}

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 2 * kPi;

float radians(float degrees) { return degrees * kPi / 180.0f; }

// ---------------------------------------------------------------------------
// Keyframed poses: cubic Hermite through the keys, the tangents from the
// neighbours (zero at the ends of a clip that does not loop and at keys
// that hold).

struct Key {
  float time;
  CharacterPose pose;
  bool hold = false;
};

class Keyed {
 public:
  Keyed(std::vector<Key> keys, bool loops, float period) : keys(std::move(keys)), loops(loops), period(period) {
    if (this->keys.empty()) throw std::invalid_argument("clip without keys");
    for (size_t i = 1; i < this->keys.size(); ++i) {
      if (!(this->keys[i].time > this->keys[i - 1].time)) throw std::invalid_argument("keys out of order");
    }
  }

  CharacterPose operator()(float t) const {
    const size_t n = keys.size();
    if (n == 1) return keys[0].pose;
    if (loops) {
      t = std::fmod(t, period);
      if (t < 0) t += period;
    } else {
      t = std::clamp(t, keys.front().time, keys.back().time);
    }
    // Segment [i, i + 1], wrapping for loops.
    size_t i = 0;
    while (i + 1 < n && keys[i + 1].time <= t) ++i;
    if (!loops && i + 1 >= n) return keys.back().pose;
    const Key& a = keys[i];
    const size_t j = (i + 1) % n;
    const float tb = (i + 1 < n) ? keys[j].time : keys[j].time + period;
    const Key& b = keys[j];
    const float span = tb - a.time;
    const float s = (t - a.time) / span;
    const float h00 = 2 * s * s * s - 3 * s * s + 1;
    const float h10 = s * s * s - 2 * s * s + s;
    const float h01 = -2 * s * s * s + 3 * s * s;
    const float h11 = s * s * s - s * s;
    CharacterPose out = scaledPose(a.pose, h00);
    addPose(out, b.pose, h01);
    addTangent(out, i, h10 * span);
    addTangent(out, i + 1, h11 * span);
    return out;
  }

 private:
  // Adds weight x the tangent at key k (k may be n for a loop's wrap).
  void addTangent(CharacterPose& out, size_t k, float weight) const {
    const size_t n = keys.size();
    const size_t at = k % n;
    if (keys[at].hold) return;
    float before = 0;
    float after = 0;
    const CharacterPose* prev = nullptr;
    const CharacterPose* next = nullptr;
    if (at > 0) {
      prev = &keys[at - 1].pose;
      before = keys[at - 1].time;
    } else if (loops) {
      prev = &keys[n - 1].pose;
      before = keys[n - 1].time - period;
    }
    if (at + 1 < n) {
      next = &keys[at + 1].pose;
      after = keys[at + 1].time;
    } else if (loops) {
      next = &keys[0].pose;
      after = keys[0].time + period;
    }
    if (!prev || !next) return;
    const float w = weight / (after - before);
    addPose(out, *next, w);
    addPose(out, *prev, -w);
  }

  std::vector<Key> keys;
  bool loops;
  float period;
};

// ---------------------------------------------------------------------------
// The character's landmarks, which every pose is written against.

struct Marks {
  CharacterProportions b;
  float foot, hip, hipX, leg, sh, shX, arm, ballArm, g, front, pelvis, chestY;
  // The ankle's height when the foot stands on its toes, tucked under.
  float tuckedAnkle;

  explicit Marks(const CharacterBuild& build)
      : b(build.body),
        foot(b.footHeight),
        hip(b.hipHeight()),
        hipX(b.hipX),
        leg(b.thigh + b.shin),
        sh(b.shoulderHeight()),
        shX(b.shoulderX),
        arm(b.upperArm + b.forearm),
        ballArm(b.upperArm + b.forearm + length(ballInHand(b))),
        g(build.girth),
        front(build.belly),
        pelvis(b.pelvisHeight()),
        chestY(b.chestHeight()),
        tuckedAnkle(0.85f * build.footLength + 2) {}
};

LimbPose racketAt(const Vector3& golpe, const Vector3& dir, const Vector3& face, const Vector3& pole) {
  return {golpe, pole, dir, face};
}

LimbPose racketFromWrist(const Marks& m, const Vector3& wrist, const Vector3& dir, const Vector3& face,
                         const Vector3& pole) {
  return {wrist + transformVector(racketStringsInHand(m.b), racketHandAxes(dir, face)), pole, dir, face};
}

// Where the right wrist is for a racket limb.
Vector3 wristOf(const Marks& m, const LimbPose& racket) {
  return racket.target - transformVector(racketStringsInHand(m.b), racketHandAxes(racket.dir, racket.face));
}

LimbPose ballAt(const Vector3& pelota, const Vector3& pole) { return {pelota, pole, {0, 0, 1}, {1, 0, 0}}; }

LimbPose footAt(const Vector3& ankle, const Vector3& toes, const Vector3& up, const Vector3& knee) {
  return {ankle, knee, toes, up};
}

// A point `distance` from `from`, offset (dx, ?, dz), hanging below it.
Vector3 hangBelow(const Vector3& from, float dx, float dz, float distance) {
  const float dy = std::sqrt(std::max(distance * distance - dx * dx - dz * dz, 1.0f));
  return from + Vector3(dx, -dy, dz);
}

// The racket's shaft turned `angle` degrees forward from straight up, in
// the body's middle plane, and the strings facing forward at 0.
Vector3 overheadDir(float angle) { return {0, std::cos(radians(angle)), std::sin(radians(angle))}; }
Vector3 overheadFace(float angle) { return {0, -std::sin(radians(angle)), std::cos(radians(angle))}; }

void setFeet(CharacterPose& p, const Marks& m, float spread, float rightZ, float leftZ) {
  p.leg[0] = footAt({-(m.hipX + spread), m.foot, rightZ}, {-0.15f, 0, 1}, {0, 1, 0}, {-0.12f, 0, 1});
  p.leg[1] = footAt({m.hipX + spread, m.foot, leftZ}, {0.15f, 0, 1}, {0, 1, 0}, {0.12f, 0, 1});
}

// Heels up by `lift` (toes staying down while they can) or the feet off
// the ground, toes pointing down.
void raiseFeet(CharacterPose& p, float lift) {
  if (lift <= 0) return;
  for (LimbPose& leg : p.leg) {
    leg.target.y += lift;
    const float down = std::min(lift / 12.0f, 0.85f);
    Vector3 toes = leg.dir;
    toes.y = 0;
    toes = normalise(toes) * std::sqrt(1 - down * down);
    toes.y = -down;
    leg.dir = toes;
    leg.face = {0, 1, 0};
  }
}

CharacterPose stand(const Marks& m) {
  CharacterPose p;
  p.pelvisShift = {0, -1.5f, 0};
  setFeet(p, m, 1.5f, 0.5f, 0.5f);
  const float out = std::max(3.0f, m.g + 4 - m.shX);
  const Vector3 rightShoulder(-m.shX, m.sh - 1.5f, 0);
  const Vector3 leftShoulder(m.shX, m.sh - 1.5f, 0);
  p.arm[0] = racketFromWrist(m, hangBelow(rightShoulder, -out, 8, 0.9f * m.arm), {-0.2f, -0.3f, 1}, {1, 0, 0.2f},
                             {-0.4f, -0.2f, -1});
  p.arm[1] = ballAt(hangBelow(leftShoulder, out, 5, 0.93f * m.ballArm), {0.4f, -0.2f, -1});
  p.tailTurn[0] = {50, 0, 0};
  p.tailTurn[1] = {32, 0, 0};
  return p;
}

// The racket held up in front, the ball hand under its throat: the stance
// before a serve, side-on to the net.
CharacterPose serveStance(const Marks& m) {
  CharacterPose p = stand(m);
  p.pelvisShift = {0, -3, 0};
  p.pelvisTurn = {0, -22, 0};
  p.chestTurn = {2, -8, 0};
  p.leg[0] = footAt({-(m.hipX + 5), m.foot, -8}, {-0.75f, 0, 0.65f}, {0, 1, 0}, {-0.5f, 0, 1});
  p.leg[1] = footAt({m.hipX + 2, m.foot, 8}, {0.3f, 0, 1}, {0, 1, 0}, {0.2f, 0, 1});
  p.arm[0] = racketFromWrist(m, {-(m.g * 0.55f + 5), m.hip + 12, m.front + 9}, {0.25f, 0.5f, 1}, {1, 0, -0.25f},
                             {-0.6f, -0.6f, -0.4f});
  p.arm[1] = ballAt({2, m.hip + 14, m.front + 17}, {0.6f, -0.5f, -0.5f});
  return p;
}

// The trophy position: the ball hand up at the ball, the racket cocked
// behind the head, the knees bent.
CharacterPose trophy(const Marks& m, float knees) {
  CharacterPose p = serveStance(m);
  p.pelvisShift = {0, -knees, -2};
  p.pelvisTurn = {0, -28, 0};
  p.chestTurn = {-10, -18, 4};
  p.neckTurn = {-18, 22, 0};
  p.arm[0] =
      racketFromWrist(m, {-(m.shX + 16), m.sh + 10, -10}, {-0.15f, 0.7f, -0.7f}, {-1, 0, -0.15f}, {-1, -0.3f, 0.1f});
  p.arm[1] = ballAt({-6, 124, 14}, {1, 0, -0.3f});
  return p;
}

// A pose's limbs given in another space: `toSpace` maps the pose's current
// space into the new one.
void limbsInto(LimbPose& limb, const Matrix& toSpace) {
  limb.target = transformPoint(limb.target, toSpace);
  limb.pole = transformVector(limb.pole, toSpace);
  limb.dir = transformVector(limb.dir, toSpace);
  limb.face = transformVector(limb.face, toSpace);
}

// The pose with its arms in chest space (from character space).
CharacterPose armsToChest(const Marks& m, CharacterPose p) {
  const BoneMatrices w = poseWorlds(m.b, p, {});
  const Matrix toChest = inverse(w[kChest]);
  for (LimbPose& arm : p.arm) limbsInto(arm, toChest);
  return p;
}

// The pose (legs in pelvis space, arms in chest space) with every limb in
// character space.
CharacterPose limbsToCharacter(const Marks& m, CharacterPose p, const LimbSpaces& spaces) {
  const BoneMatrices w = poseWorlds(m.b, p, spaces);
  if (spaces.arms == LimbSpace::Parent) {
    for (LimbPose& arm : p.arm) limbsInto(arm, w[kChest]);
  }
  if (spaces.legs == LimbSpace::Parent) {
    for (LimbPose& leg : p.leg) limbsInto(leg, w[kPelvis]);
  }
  return p;
}

// Lifts the body (and the feet with it, beyond what the legs can stretch)
// far enough for the arm to reach its target.
float liftForArm(const Marks& m, CharacterPose& p, int arm, float straightness, float slack) {
  const float lift = liftToReach(m.b, p, {}, arm, straightness);
  p.pelvisShift.y += lift;
  raiseFeet(p, std::max(0.0f, p.pelvisShift.y - slack));
  return lift;
}

// ---------------------------------------------------------------------------
// The clips.

using PoseOfTime = std::function<CharacterPose(float)>;

float periodOf(size_t clip) { return static_cast<float>(kCharacterClips[clip].frames * kClipFrameMs); }

void swayTail(CharacterPose& p, float t, float period, float amount) {
  p.tailTurn[0].y += amount * std::sin(kTwoPi * t / period);
  p.tailTurn[1].y += amount * 1.3f * std::sin(kTwoPi * t / period - 0.9f);
}

PoseOfTime idleClip(const Marks& m) {
  const float period = periodOf(ClipStanding);
  return [m, period](float t) {
    CharacterPose p = stand(m);
    const float s1 = std::sin(kTwoPi * t / period);
    const float s2 = std::sin(2 * kTwoPi * t / period);
    const float dip = 0.5f * (1 - std::cos(2 * kTwoPi * t / period));
    p.pelvisShift += Vector3(1.2f * s1, -0.8f * dip, 0);
    p.pelvisTurn += Vector3(0, 3 * s1, -1.5f * s1);
    p.chestTurn += Vector3(2 * s2, -2 * s1, 1.5f * s1);
    p.neckTurn += Vector3(-2 * s2, 9 * std::sin(kTwoPi * t / period + 0.0f), 0);
    // The racket bobs in the hand.
    const Vector3 wrist = wristOf(m, p.arm[0]) + Vector3(0.6f * s1, 1.2f * s2, 0);
    const Vector3 dir = p.arm[0].dir + Vector3(0.1f * s1, 0.2f * s2, 0);
    p.arm[0] = racketFromWrist(m, wrist, dir, p.arm[0].face, p.arm[0].pole);
    p.arm[1].target += Vector3(0.8f * s1, 1.5f * dip, 0.8f * s2);
    swayTail(p, t, period, 14);
    return p;
  };
}

PoseOfTime runClip(const Marks& m) {
  const float period = periodOf(ClipWalking);
  return [m, period](float t) {
    CharacterPose p = stand(m);
    const float phase = t / period;
    const float stance = 0.28f;
    const float stride = 0.42f * m.leg;
    const float lift = 0.3f * m.leg;
    for (int side = 0; side < 2; ++side) {
      float f = phase + 0.5f * static_cast<float>(side);
      f -= std::floor(f);
      const float sign = side == 0 ? -1.0f : 1.0f;
      float z = 0;
      float y = m.foot;
      Vector3 toes(sign * 0.1f, 0, 1);
      if (f < stance) {
        z = stride * (1 - 2 * f / stance);
      } else {
        const float u = (f - stance) / (1 - stance);
        z = -stride + 2 * stride * 0.5f * (1 - std::cos(kPi * u));
        y += lift * std::sin(kPi * u);
        toes.y = -0.7f * std::sin(kPi * u) * (1 - u) + 0.2f * std::sin(kPi * u) * u;
      }
      p.leg[side] = footAt({sign * (m.hipX + 0.5f), y, z}, toes, {0, 1, 0}, {sign * 0.1f, 0.1f, 1});
    }
    const float c1 = std::cos(kTwoPi * phase);
    const float bob = std::cos(2 * kTwoPi * (phase - stance / 2));
    p.pelvisShift = {0, -3.5f - 2.5f * bob, 2};
    p.pelvisTurn = {9, 12 * c1, 0};
    p.waistTurn = {3, -6 * c1, 0};
    p.chestTurn = {5, -10 * c1, 0};
    p.neckTurn = {-12, 4 * c1, 0};
    const float out = std::max(4.0f, m.g + 3 - m.shX);
    p.arm[1] = ballAt({m.shX + out, m.sh - 0.55f * m.ballArm + 3 * bob, 8 + 0.4f * m.arm * c1}, {0.5f, -0.4f, -1});
    p.arm[0] = racketFromWrist(m, {-(m.shX + out), m.sh - 0.55f * m.arm + 2 * bob, 8 - 0.3f * m.arm * c1},
                               {-0.15f, 0.55f, 1}, {1, 0, 0.1f}, {-0.5f, -0.4f, -1});
    p.tailTurn[0] = {30, 0, 0};
    p.tailTurn[1] = {22, 0, 0};
    swayTail(p, t, period, 18);
    return p;
  };
}

// A swing of the racket round the body at the hitting height: `angle` 0
// with the racket pointing back, 90 pointing out to the side, 180 forwards.
// `side` -1 for the forehand (the right), +1 for the backhand (the left).
LimbPose swingRacket(float side, const Vector3& centre, float angle, float rise, float tilt) {
  const float a = radians(angle);
  const Vector3 dir(side * std::sin(a), tilt, -std::cos(a));
  const Vector3 face(side * std::cos(a), 0, std::sin(a));
  const float reach = 38.0f;
  const Vector3 golpe = centre + Vector3(side * std::sin(a), 0, -std::cos(a)) * reach + Vector3(0, rise, 0);
  return racketAt(golpe, dir, face, side < 0 ? Vector3(-0.5f, -0.8f, -0.4f) : Vector3(-0.1f, -1, 0.3f));
}

constexpr float kZoneHeight = 50.0f;

PoseOfTime strokeClip(const Marks& m, bool backhand) {
  const float side = backhand ? 1.0f : -1.0f;
  const Vector3 centre = backhand ? Vector3(m.g * 0.6f + 4, kZoneHeight, 8) : Vector3(-(m.g + 4), kZoneHeight, 4);
  const CharacterPose rest = stand(m);
  auto key = [&](float angle, float rise, float tilt, float turn, float crouch) {
    CharacterPose p = rest;
    p.pelvisShift = {0, -crouch, 0};
    p.pelvisTurn = {4, -side * turn * 0.5f, 0};
    p.chestTurn = {8, -side * turn * 0.5f, 0};
    p.neckTurn = {-6, side * turn * 0.6f, 0};
    p.leg[0] = footAt({-(m.hipX + 6), m.foot, -3}, {-0.3f, 0, 1}, {0, 1, 0}, {-0.3f, 0, 1});
    p.leg[1] = footAt({m.hipX + 6, m.foot, 4}, {0.3f, 0, 1}, {0, 1, 0}, {0.3f, 0, 1});
    p.arm[0] = swingRacket(side, centre, angle, rise, tilt);
    if (backhand) {
      // Both hands on the handle: the left fist just below the right.
      const Vector3 wrist = wristOf(m, p.arm[0]);
      const Matrix hand = racketHandAxes(p.arm[0].dir, p.arm[0].face);
      p.arm[1] = ballAt(wrist + transformVector({0, -m.b.handLength, -15}, hand), {0.3f, -1, -0.2f});
    } else {
      p.arm[1] = ballAt({m.shX + 10, m.sh - 0.45f * m.ballArm, 0.55f * m.ballArm}, {0.6f, -0.5f, -0.6f});
    }
    return p;
  };
  std::vector<Key> keys;
  // The first third: the racket low, coming round into the ball and
  // through it in front of the body.
  keys.push_back({0, key(40, 6, 0.1f, 55, 7)});
  keys.push_back({64, key(88, 2, 0.02f, 38, 7)});
  keys.push_back({128, key(135, -2, 0.0f, 5, 7)});
  keys.push_back({192, key(190, 4, 0.05f, -25, 6)});
  // Follow-through up over the other shoulder.
  {
    CharacterPose p = key(238, 22, 0.35f, -45, 5);
    keys.push_back({256, p});
  }
  {
    CharacterPose p = key(275, 48, 0.9f, -55, 4);
    if (!backhand) p.arm[1] = ballAt({m.g + 6, m.sh - 0.6f * m.ballArm, -4}, {0.6f, -0.5f, -0.6f});
    keys.push_back({336, p});
  }
  {
    // Back to the stand, the racket coming down in front.
    CharacterPose p = rest;
    p.pelvisShift = {0, -3, 0};
    p.pelvisTurn = {2, side * 10, 0};
    p.chestTurn = {4, side * 8, 0};
    const Vector3 wrist = (wristOf(m, rest.arm[0]) + wristOf(m, keys.back().pose.arm[0])) * 0.5f + Vector3(0, 4, 8);
    p.arm[0] = racketFromWrist(m, wrist, {-0.1f, 0.3f, 1}, {1, 0, 0.1f}, {-0.5f, -0.5f, -0.6f});
    keys.push_back({464, p});
  }
  keys.push_back({clipDurationMs(ClipForehand) * 1.0f, rest});
  return Keyed(std::move(keys), false, 0);
}

PoseOfTime serveReadyClip(const Marks& m) {
  const float period = periodOf(ClipServeWait);
  const CharacterPose stance = serveStance(m);
  CharacterPose low = stance;
  low.pelvisShift.y -= 2.5f;
  low.chestTurn.x += 3;
  low.arm[1].target += Vector3(0, -2, 1);
  low.arm[0].target += Vector3(0, -1.5f, 0);
  low.neckTurn.x -= 3;
  Keyed keyed({{0, stance}, {period / 2, low}}, true, period);
  return [keyed, period](float t) {
    CharacterPose p = keyed(t);
    swayTail(p, t, period, 12);
    return p;
  };
}

CharacterPose tossEnd(const Marks& m) {
  CharacterPose p = serveStance(m);
  p.pelvisShift = {0, -4, -2};
  p.pelvisTurn = {0, -28, 0};
  p.chestTurn = {-9, -16, 5};
  p.neckTurn = {-22, 22, 0};
  p.arm[1] = ballAt(kServeTossPoint, {1, 0, -0.3f});
  p.arm[0] = racketAt({-(m.g + 14), m.sh + 2, -24}, {-0.3f, 0.45f, -0.85f}, {-1, 0, 0.3f}, {-1, -0.4f, 0.2f});
  liftForArm(m, p, 1, 0.985f, 3);
  return p;
}

PoseOfTime serveTossClip(const Marks& m) {
  const CharacterPose start = serveStance(m);
  CharacterPose dip = start;
  dip.pelvisShift = {0, -5, -3};
  dip.arm[1] = ballAt({2, m.hip + 5, m.front + 11}, {0.6f, -0.5f, -0.5f});
  dip.arm[0] = racketFromWrist(m, {-(m.g * 0.55f + 7), m.hip + 5, m.front + 6}, {0.2f, 0.3f, 1}, {1, 0, -0.2f},
                               {-0.6f, -0.6f, -0.4f});
  CharacterPose rising = tossEnd(m);
  rising.pelvisShift = {0, -5, -3};
  rising.leg[0] = start.leg[0];
  rising.leg[1] = start.leg[1];
  rising.arm[1] = ballAt({-2, m.sh + 8, 15}, {1, -0.2f, -0.3f});
  rising.arm[0] = racketAt({-(m.g + 16), m.hip + 4, -12}, {-0.35f, -0.5f, -0.8f}, {-1, 0, 0.4f}, {-1, -0.4f, 0});
  return Keyed(
      {{0, start}, {128, dip}, {256, rising}, {static_cast<float>(clipDurationMs(ClipServeToss)), tossEnd(m)}}, false,
      0);
}

// Standing back from the falling ball, the ball hand reaching out under it.
CharacterPose catchPose(const Marks& m) {
  CharacterPose p = serveStance(m);
  const float back = m.front + 8;
  p.pelvisShift = {0, -6, -back};
  p.pelvisTurn = {0, -25, 0};
  p.chestTurn = {-4, -10, 0};
  p.neckTurn = {18, 15, 0};
  p.leg[0].target.z -= back * 0.8f;
  p.leg[1].target.z -= back * 0.8f;
  p.arm[1] = ballAt({kServeTossPoint.x, serveCatchHeight(), kServeTossPoint.z}, {0.8f, -0.6f, -0.4f});
  p.arm[0] =
      racketFromWrist(m, {-(m.g + 6), m.hip + 4, -back + 10}, {-0.2f, 0.2f, 1}, {1, 0, 0.2f}, {-0.6f, -0.5f, -0.6f});
  return p;
}

PoseOfTime serveBallUpClip(const Marks& m) {
  const CharacterPose start = tossEnd(m);
  CharacterPose high = trophy(m, 8);
  CharacterPose deep = trophy(m, 10);
  CharacterPose still = trophy(m, 9.5f);
  still.arm[1].target += Vector3(0, -2, 2);
  CharacterPose back = catchPose(m);
  back.arm[1] = ballAt({kServeTossPoint.x, 112, kServeTossPoint.z + 4}, {1, -0.3f, -0.3f});
  back.neckTurn = {-10, 15, 0};
  return Keyed({{0, start},
                {224, high},
                {480, deep},
                {800, still},
                {960, back},
                {static_cast<float>(clipDurationMs(ClipServeBallUp)), catchPose(m)}},
               false, 0);
}

PoseOfTime serveCatchClip(const Marks& m) {
  const CharacterPose caught = catchPose(m);
  CharacterPose pulled = caught;
  pulled.arm[1] = ballAt({0, m.hip + 8, 6 - m.front * 0.5f}, {0.6f, -0.5f, -0.5f});
  pulled.pelvisShift.y = -4;
  pulled.neckTurn = {5, 10, 0};
  CharacterPose forward = serveStance(m);
  forward.pelvisShift = {0, -4, -m.front * 0.3f};
  return Keyed({{0, caught},
                {176, pulled},
                {336, forward},
                {static_cast<float>(clipDurationMs(ClipServeCatch)), serveStance(m)}},
               false, 0);
}

PoseOfTime serveSwingClip(const Marks& m) {
  const CharacterPose start = trophy(m, 10);
  const CharacterPose rest = stand(m);
  auto swingKey = [&](float pelvisY, const LimbPose& racket, const Vector3& ball) {
    CharacterPose p = start;
    p.pelvisShift.y = pelvisY;
    p.arm[0] = racket;
    p.arm[1] = ballAt(ball, {1, -0.5f, -0.2f});
    return p;
  };
  // The racket drops behind the back while the legs push.
  CharacterPose drop = swingKey(
      -3, racketFromWrist(m, {-(m.shX + 5), m.sh + 8, -10}, overheadDir(-165), {-0.1f, 0.3f, -1}, {-1, -0.1f, 0.2f}),
      {2, m.sh + 6, 20});
  drop.chestTurn = {-12, -15, 4};
  drop.neckTurn = {-25, 15, 0};
  CharacterPose rise = swingKey(
      0, racketFromWrist(m, {-(m.shX + 1), m.sh + 16, -8}, overheadDir(-100), overheadFace(-100), {-1, 0, 0.2f}),
      {6, m.sh - 2, 18});
  rise.chestTurn = {-8, -10, 0};
  rise.pelvisTurn = {0, -18, 0};
  std::vector<Key> keys = {{0, start}, {80, drop}};
  // Up through the ball above the head: a jump, as high as the arm needs
  // to reach (a parabola over the hitting window).
  struct Hit {
    float time;
    Vector3 golpe;
    float angle;
  };
  const Hit hits[] = {
      {160, {-11, 157, 2}, -15}, {208, {-9, 168, 11}, 12}, {256, {-6, 162, 22}, 40}, {320, {-3, 155, 26}, 55}};
  auto jump = [](float t) {
    const float u = (t - 250.0f) / 200.0f;
    return std::max(0.0f, 1 - u * u);
  };
  std::vector<CharacterPose> up;
  float peak = 0;
  for (const Hit& hit : hits) {
    CharacterPose p = swingKey(0, racketAt(hit.golpe, overheadDir(hit.angle), overheadFace(hit.angle), {-1, 0, 0.3f}),
                               {10, m.sh - 12, 14});
    p.pelvisTurn = {4, -6 + hit.angle * 0.15f, 0};
    // Leaning to the left raises the hitting shoulder.
    p.waistTurn = {0, 0, -6};
    p.chestTurn = {-4 + hit.angle * 0.25f, -4 + hit.angle * 0.2f, -10};
    p.neckTurn = {-25 + hit.angle * 0.2f, 5, 8};
    peak = std::max(peak, liftToReach(m.b, p, {}, 0, 0.985f) / jump(hit.time));
    up.push_back(p);
  }
  auto inTheAir = [&](CharacterPose& p, float t, bool tuck) {
    p.pelvisShift.y = peak * jump(t);
    raiseFeet(p, std::max(0.0f, p.pelvisShift.y - 4));
    // The feet tucked up behind.
    if (tuck) {
      for (LimbPose& leg : p.leg) {
        if (leg.target.y > m.foot + 1) leg.target += Vector3(0, 5, -6);
      }
    }
  };
  inTheAir(rise, 128, false);
  keys.push_back({128, rise});
  for (size_t i = 0; i < up.size(); ++i) {
    inTheAir(up[i], hits[i].time, true);
    keys.push_back({hits[i].time, up[i]});
  }
  // Over and down across the body, landing.
  CharacterPose over = swingKey(0, racketAt({8, m.sh + 10, 38}, overheadDir(125), overheadFace(125), {-1, -0.5f, 0.3f}),
                                {m.g + 4, m.hip + 6, 6});
  over.pelvisTurn = {6, 12, 0};
  over.chestTurn = {18, 12, 0};
  over.neckTurn = {0, 0, 0};
  inTheAir(over, 400, false);
  keys.push_back({400, over});
  CharacterPose land =
      swingKey(-7, racketAt({m.g + 14, m.hip - 6, 6}, {0.45f, -0.75f, -0.35f}, {0.3f, -0.3f, -1}, {-0.5f, -1, 0.5f}),
               {m.g + 6, m.hip, -2});
  land.pelvisTurn = {8, 18, 0};
  land.chestTurn = {14, 16, 0};
  land.neckTurn = {0, -10, 0};
  setFeet(land, m, 4, -2, 4);
  CharacterPose touch = land;
  touch.pelvisShift.y = -1;
  keys.push_back({448, touch});
  keys.push_back({480, land});
  CharacterPose recover = rest;
  recover.pelvisShift = {0, -3.5f, 0};
  recover.chestTurn = {5, 6, 0};
  recover.pelvisTurn = {2, 6, 0};
  keys.push_back({560, recover});
  keys.push_back({static_cast<float>(clipDurationMs(ClipServeSwing)), rest});
  return Keyed(std::move(keys), false, 0);
}

CharacterPose armsUp(const Marks& m, float pelvisY, float height) {
  CharacterPose p = stand(m);
  p.pelvisShift = {0, pelvisY, 0};
  p.chestTurn = {-8, 0, 0};
  p.neckTurn = {-18, 0, 0};
  p.arm[0] = racketFromWrist(m, {-(m.shX + 0.45f * m.arm), m.sh + height * m.arm, 3}, {-0.3f, 1, 0.15f}, {0, 0, 1},
                             {-1, -0.3f, -0.3f});
  p.arm[1] = ballAt({m.shX + 0.5f * m.ballArm, m.sh + height * m.ballArm, 3}, {1, -0.3f, -0.3f});
  return p;
}

CharacterPose fistsDown(const Marks& m, float pelvisY) {
  CharacterPose p = stand(m);
  p.pelvisShift = {0, pelvisY, 0};
  p.chestTurn = {12, 0, 0};
  p.neckTurn = {6, 0, 0};
  p.arm[0] = racketFromWrist(m, {-(m.shX + 8), m.sh - 0.45f * m.arm, 14}, {-0.3f, 0.9f, 0.3f}, {0, 0, 1},
                             {-0.6f, -0.8f, -0.2f});
  p.arm[1] = ballAt({m.shX + 8, m.sh - 0.3f * m.ballArm, 16}, {0.6f, -0.8f, -0.2f});
  return p;
}

PoseOfTime wonClip(const Marks& m) {
  const CharacterPose rest = stand(m);
  CharacterPose crouch = fistsDown(m, -9);
  crouch.chestTurn = {18, 0, 0};
  CharacterPose jump = armsUp(m, 22, 0.85f);
  raiseFeet(jump, 18);
  CharacterPose land = armsUp(m, -6, 0.75f);
  CharacterPose up = armsUp(m, -1, 0.9f);
  CharacterPose pump = fistsDown(m, -4);
  CharacterPose last = armsUp(m, -1, 0.95f);
  last.chestTurn = {-10, 0, 0};
  raiseFeet(last, 3);
  last.pelvisShift.y += 3;
  CharacterPose lastSettle = last;
  lastSettle.neckTurn = {-20, 0, 0};
  return Keyed({{0, rest},
                {224, crouch},
                {448, jump},
                {704, land},
                {896, pump},
                {1088, up},
                {1280, pump},
                {1472, up},
                {1664, pump},
                {1920, last},
                {2200, lastSettle},
                {static_cast<float>(clipDurationMs(ClipWon)), last, true}},
               false, 0);
}

CharacterPose slump(const Marks& m, float headYaw, float headDown, float chestDown) {
  CharacterPose p = stand(m);
  p.pelvisShift = {0, -2.5f, 0};
  p.chestTurn = {chestDown, 0, 0};
  p.neckTurn = {headDown, headYaw, 0};
  const float out = std::max(3.0f, m.g + 3 - m.shX);
  // The racket hangs from the limp hand, its head resting short of the
  // ground.
  const Vector3 wrist = hangBelow({-m.shX, m.sh - 3, 3}, -out, 8, 0.97f * m.arm);
  const float down = std::clamp((wrist.y - m.b.handLength - 3) / (kRacketReach + 24), 0.0f, 0.97f);
  p.arm[0] = racketFromWrist(m, wrist, {-0.05f, -down, std::sqrt(1 - down * down)}, {1, 0, 0}, {-0.4f, 0, -1});
  p.arm[1] = ballAt(hangBelow({m.shX, m.sh - 3, 3}, out, 8, 0.97f * m.ballArm), {0.4f, 0, -1});
  return p;
}

CharacterPose kneel(const Marks& m, float sag) {
  CharacterPose p = slump(m, 0, 38 + sag, 24);
  const float hipUp = 4 + m.b.thigh;
  p.pelvisShift = {0, hipUp - m.hip - sag * 0.3f, -2};
  p.pelvisTurn = {6, 0, 0};
  for (int side = 0; side < 2; ++side) {
    const float sign = side == 0 ? -1.0f : 1.0f;
    // On the knees, the toes tucked under.
    p.leg[side] = footAt({sign * (m.hipX + 1), m.tuckedAnkle, -(m.b.shin - 5)}, {0, -0.85f, 0.5f}, {0, 0.5f, 0.85f},
                         {0, -1, 0.6f});
  }
  p.arm[0] = racketFromWrist(m, {-(m.g + 3), 7, 14}, {-0.35f, -0.05f, 1}, {0, 1, 0}, {-0.5f, 0, -1});
  p.arm[1] = ballAt({m.g * 0.7f + 2, 12, 18}, {0.5f, 0, -1});
  return p;
}

PoseOfTime lostClip(const Marks& m) {
  const CharacterPose rest = stand(m);
  CharacterPose half = slump(m, 0, 30, 18);
  half.pelvisShift = {0, -0.45f * m.b.shin, -1};
  half.leg[0].pole = {-0.2f, 0, 1};
  half.leg[1].pole = {0.2f, 0, 1};
  return Keyed({{0, rest},
                {288, slump(m, -24, 4, 4)},
                {512, slump(m, 24, 6, 6)},
                {736, slump(m, -18, 10, 8)},
                {960, slump(m, 0, 30, 16)},
                {1280, slump(m, 0, 34, 22)},
                {1600, half},
                {1920, kneel(m, 0)},
                {2240, kneel(m, 4)},
                {static_cast<float>(clipDurationMs(ClipLost)), kneel(m, 5), true}},
               false, 0);
}

// Diving: the player turns to face where it dives before it flies, so
// every dive goes forwards: a take-off, a flat flight with the racket
// reaching ahead, a belly landing and getting up.
CharacterPose reachAhead(const Marks& m, float pelvisHeight, float pitch, float forward) {
  CharacterPose p = stand(m);
  p.pelvisShift = {0, pelvisHeight - m.pelvis, forward};
  p.pelvisTurn = {pitch, 0, 0};
  p.chestTurn = {4, 0, 0};
  p.neckTurn = {-50, 0, 0};
  const float top = m.b.shoulderY;
  // The racket ahead, flat (its strings facing the ground in the flight).
  p.arm[0] = racketAt({-9, top + m.arm + 34, -2}, {-0.05f, 1, -0.1f}, {0, 0, 1}, {-1, 0, -0.3f});
  p.arm[1] = ballAt({m.shX - 3, top + 0.95f * m.ballArm, -1}, {1, 0, -0.3f});
  for (int side = 0; side < 2; ++side) {
    const float sign = side == 0 ? -1.0f : 1.0f;
    p.leg[side] =
        footAt({sign * (m.hipX - 1), -(m.b.hipDrop + 0.97f * m.leg), -6}, {0, -1, -0.3f}, {0, -0.3f, 1}, {0, 0.2f, 1});
  }
  p.tailTurn[0] = {-70, 0, 0};
  p.tailTurn[1] = {-10, 0, 0};
  return p;
}

PoseOfTime diveTakeOffClip(const Marks& m) {
  const CharacterPose start = armsToChest(m, stand(m));
  CharacterPose crouch = stand(m);
  crouch.pelvisShift = {0, -10, 2};
  crouch.pelvisTurn = {22, 0, 0};
  crouch.chestTurn = {12, 0, 0};
  crouch.neckTurn = {-20, 0, 0};
  crouch.arm[0] = racketFromWrist(m, {-(m.g + 4), m.hip - 2, -4}, {-0.2f, 0.4f, 1}, {1, 0, 0.2f}, {-0.5f, -0.2f, -1});
  crouch.arm[1] = ballAt({m.g + 4, m.hip - 6, -6}, {0.5f, -0.2f, -1});
  crouch = armsToChest(m, crouch);
  CharacterPose launch = reachAhead(m, m.pelvis - 6, 55, 12);
  launch.leg[0] = footAt({-(m.hipX + 1), m.foot + 10, -18}, {0, -0.6f, 0.8f}, {0, 1, 0}, {0, 0, 1});
  launch.leg[1] = footAt({m.hipX + 1, m.foot + 5, -10}, {0, -0.4f, 0.9f}, {0, 1, 0}, {0, 0, 1});
  launch.neckTurn = {-35, 0, 0};
  crouch.leg[0] = footAt({-(m.hipX + 1.5f), m.foot, 0}, {-0.1f, 0, 1}, {0, 1, 0}, {-0.1f, 0, 1});
  crouch.leg[1] = footAt({m.hipX + 1.5f, m.foot, 0}, {0.1f, 0, 1}, {0, 1, 0}, {0.1f, 0, 1});
  return Keyed({{0, start}, {96, crouch}, {static_cast<float>(clipDurationMs(ClipDiveStart)), launch}}, false, 0);
}

PoseOfTime diveFlightClip(const Marks& m) {
  const float end = static_cast<float>(clipDurationMs(ClipDiveAir));
  return Keyed({{0, reachAhead(m, m.pelvis - 10, 72, 8)},
                {end * 0.5f, reachAhead(m, m.pelvis - 6, 84, 4)},
                {end, reachAhead(m, m.front + 16, 88, 0)}},
               false, 0);
}

PoseOfTime diveLandingClip(const Marks& m) {
  const LimbSpaces flight{LimbSpace::Parent, LimbSpace::Parent};
  const CharacterPose start = limbsToCharacter(m, reachAhead(m, m.front + 16, 88, 0), flight);
  // Belly on the ground, arms ahead.
  CharacterPose down = limbsToCharacter(m, reachAhead(m, m.front * 0.8f + 6, 90, 0), flight);
  for (LimbPose& leg : down.leg) leg.target.y = m.foot + 3;
  // Pushing up: the hands under the shoulders, the knees coming under.
  CharacterPose push = stand(m);
  push.pelvisShift = {0, 0.5f * m.hip + 2 - m.pelvis, -6};
  push.pelvisTurn = {55, 0, 0};
  push.chestTurn = {10, 0, 0};
  push.neckTurn = {-35, 0, 0};
  const float reachZ = m.b.waist + m.b.chest + 4;
  push.arm[1] = ballAt({m.shX + 6, 6, reachZ}, {1, 0.2f, -0.3f});
  push.arm[0] = racketFromWrist(m, {-(m.shX + 6), 5, reachZ}, {-0.3f, 0, 1}, {0, -1, 0}, {-1, 0.2f, -0.3f});
  // The feet come up on to their toes (tucked under) before the knees.
  CharacterPose toes = scaledPose(down, 0.5f);
  addPose(toes, push, 0.5f);
  for (int side = 0; side < 2; ++side) {
    const float sign = side == 0 ? -1.0f : 1.0f;
    toes.leg[side] = footAt({sign * (m.hipX + 1), m.tuckedAnkle, -0.85f * m.leg}, {0, -0.75f, -0.65f},
                            {0, -0.65f, 0.75f}, {0, -1, 0.3f});
    push.leg[side] = footAt({sign * (m.hipX + 1), m.tuckedAnkle, -0.8f * m.leg}, {0, -0.85f, 0.5f}, {0, 0.53f, 0.85f},
                            {0, -1, 0.3f});
  }
  // Crouching, about to stand.
  CharacterPose crouch = stand(m);
  crouch.pelvisShift = {0, -0.3f * m.leg, -2};
  crouch.pelvisTurn = {25, 0, 0};
  crouch.chestTurn = {10, 0, 0};
  crouch.neckTurn = {-20, 0, 0};
  setFeet(crouch, m, 2, 2, -2);
  crouch.arm[0] =
      racketFromWrist(m, {-(m.g + 4), m.hip * 0.6f, 16}, {-0.2f, 0.4f, 1}, {1, 0, 0.2f}, {-0.5f, -0.3f, -1});
  crouch.arm[1] = ballAt({m.g + 4, m.hip * 0.5f, 18}, {0.5f, -0.3f, -1});
  return Keyed({{0, start},
                {96, down},
                {160, toes},
                {224, push},
                {352, crouch},
                {static_cast<float>(clipDurationMs(ClipDiveLand)), stand(m)}},
               false, 0);
}

}  // namespace

CharacterMotion::CharacterMotion(const CharacterBuild& build) : shape(build) {
  const Marks m(build);
  const LimbSpaces character;
  const LimbSpaces chestArms{LimbSpace::Parent, LimbSpace::Character};
  const LimbSpaces flight{LimbSpace::Parent, LimbSpace::Parent};
  clips.resize(ClipCount);
  clips[ClipStanding] = {character, idleClip(m), {}};
  clips[ClipWalking] = {character, runClip(m), {}};
  clips[ClipForehand] = {character, strokeClip(m, false), {}};
  clips[ClipBackhand] = {character, strokeClip(m, true), {}};
  clips[ClipServeWait] = {character, serveReadyClip(m), {}};
  clips[ClipServeToss] = {character, serveTossClip(m), {}};
  clips[ClipServeBallUp] = {character, serveBallUpClip(m), {}};
  clips[ClipServeCatch] = {character, serveCatchClip(m), {}};
  clips[ClipServeSwing] = {character, serveSwingClip(m), {}};
  clips[ClipWon] = {character, wonClip(m), {}};
  clips[ClipLost] = {character, lostClip(m), {}};
  clips[ClipDiveStart] = {chestArms, diveTakeOffClip(m), {}};
  clips[ClipDiveAir] = {flight, diveFlightClip(m), {}};
  clips[ClipDiveLand] = {character, diveLandingClip(m), {}};
  for (size_t clip = 0; clip < ClipCount; ++clip) {
    Clip& c = clips[clip];
    for (uint32_t frame = 0; frame < kCharacterClips[clip].frames; ++frame) {
      c.frameLocals.push_back(
          localsFromWorlds(poseWorlds(build.body, c.pose(static_cast<float>(frame * 32)), c.spaces)));
    }
  }
}

CharacterPose CharacterMotion::pose(size_t clip, uint32_t timeMs) const {
  return clips.at(clip).pose(static_cast<float>(timeMs));
}

Matrix CharacterMotion::local(int bone, size_t clip, uint32_t timeMs) const {
  const Clip& c = clips.at(clip);
  if (timeMs % 32 == 0 && timeMs / 32 < c.frameLocals.size()) return c.frameLocals[timeMs / 32][bone];
  return localsFromWorlds(worlds(clip, timeMs))[bone];
}

BoneMatrices CharacterMotion::worlds(size_t clip, uint32_t timeMs) const {
  const Clip& c = clips.at(clip);
  return poseWorlds(shape.body, c.pose(static_cast<float>(timeMs)), c.spaces);
}
