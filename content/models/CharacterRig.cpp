#include "content/models/CharacterRig.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kBoneNames[kCharacterBoneCount] = {
    "Cadera", "Cintura", "Pecho",   "Cuello", "BrazoD", "AntebrazoD", "ManoD", "BrazoI", "AntebrazoI",
    "ManoI",  "MusloD",  "PiernaD", "PieD",   "MusloI", "PiernaI",    "PieI",  "Cola",   "PuntaCola"};

constexpr int kBoneParents[kCharacterBoneCount] = {
    -1,           kPelvis, kWaist,      kChest,     kChest,  kRightUpperArm, kRightForearm, kChest,  kLeftUpperArm,
    kLeftForearm, kPelvis, kRightThigh, kRightShin, kPelvis, kLeftThigh,     kLeftShin,     kPelvis, kTailBase};

// Held ball: its centre past the fist, in the fingers.
constexpr float kBallPastFist = 8.5f;

Matrix frame(const Vector3& x, const Vector3& y, const Vector3& z, const Vector3& origin) {
  return Matrix(x.x, x.y, x.z, y.x, y.y, y.z, z.x, z.y, z.z, origin.x, origin.y, origin.z);
}

Matrix at(const Vector3& p) { return translate(Matrix(), p); }

Matrix withOrigin(Matrix m, const Vector3& origin) {
  m[12] = origin.x;
  m[13] = origin.y;
  m[14] = origin.z;
  return m;
}

// A unit vector across `u`, for when a pole lies along the limb.
Vector3 anyAcross(const Vector3& u) {
  const Vector3 other = std::fabs(u.z) < 0.9f ? Vector3(0, 0, 1) : Vector3(1, 0, 0);
  return normalise(cross(u, other));
}

// Axes from a main direction along `zAxis` and a second one towards `xHint`.
Matrix axesZX(const Vector3& zAxis, const Vector3& xHint) {
  const Vector3 z = normalise(zAxis);
  Vector3 x = xHint - z * dot(xHint, z);
  x = length(x) < 1e-4f ? anyAcross(z) : normalise(x);
  return frame(x, cross(z, x), z, {});
}

// Axes from a main direction along `zAxis` and a second one towards `yHint`.
Matrix axesZY(const Vector3& zAxis, const Vector3& yHint) {
  const Vector3 z = normalise(zAxis);
  Vector3 y = yHint - z * dot(yHint, z);
  y = length(y) < 1e-4f ? anyAcross(z) : normalise(y);
  return frame(cross(y, z), y, z, {});
}

struct TwoBoneSolution {
  Matrix upper;  // world frames, their origins at the root and the middle joint
  Matrix lower;
  Vector3 middle;
  Vector3 end;
};

// Two bones from `root` towards `target`, lengths a and b, the middle joint
// bending towards `pole`. Each bone's +y runs back up the limb; its x axis
// is the hinge, `xSign` choosing which way round.
TwoBoneSolution solveTwoBones(const Vector3& root, const Vector3& target, float a, float b, const Vector3& pole,
                              float xSign) {
  Vector3 toTarget = target - root;
  float d = length(toTarget);
  const Vector3 u = d > 1e-4f ? toTarget * (1.0f / d) : Vector3(0, -1, 0);
  d = std::clamp(d, std::fabs(a - b) + 0.5f, (a + b) * 0.9995f);
  Vector3 v = pole - u * dot(pole, u);
  v = length(v) < 1e-4f ? anyAcross(u) : normalise(v);
  const float cosine = std::clamp((a * a + d * d - b * b) / (2 * a * d), -1.0f, 1.0f);
  const float sine = std::sqrt(std::max(0.0f, 1 - cosine * cosine));
  TwoBoneSolution s;
  s.middle = root + (u * cosine + v * sine) * a;
  s.end = root + u * d;
  const Vector3 hinge = normalise(cross(u, v)) * xSign;
  auto boneFrame = [&](const Vector3& from, const Vector3& to) {
    const Vector3 y = normalise(from - to);
    const Vector3 x = normalise(hinge - y * dot(hinge, y));
    return frame(x, y, cross(x, y), from);
  };
  s.upper = boneFrame(root, s.middle);
  s.lower = boneFrame(s.middle, s.end);
  return s;
}

LimbPose inSpace(const LimbPose& limb, const Matrix& space) {
  return {transformPoint(limb.target, space), transformVector(limb.pole, space), transformVector(limb.dir, space),
          transformVector(limb.face, space)};
}

// Zero-pose offset of a bone from its parent's joint.
Vector3 zeroOffset(const CharacterProportions& body, int bone) {
  const int parent = kBoneParents[bone];
  return parent < 0 ? zeroJoint(body, bone) : zeroJoint(body, bone) - zeroJoint(body, parent);
}

Matrix fk(const Vector3& turn, const Vector3& offset, const Matrix& parent) {
  return multiply(multiply(turnMatrix(turn), at(offset)), parent);
}

// The point the arm's two bones must reach and the lower bone's length to
// it: the wrist for the right arm (from "Golpe" and the racket's axes), the
// held ball for the left arm (its forearm running on through the fist).
struct ArmReach {
  Vector3 point;
  float lower = 0;
  Matrix hand;  // right hand's axes
};

ArmReach armReach(const CharacterProportions& body, const LimbPose& limb, int side) {
  ArmReach reach;
  if (side == 0) {
    reach.hand = axesZX(limb.dir, limb.face);
    reach.point = limb.target - transformVector(racketStringsInHand(body), reach.hand);
    reach.lower = body.forearm;
  } else {
    reach.point = limb.target;
    reach.lower = body.forearm + body.handLength + kBallPastFist;
  }
  return reach;
}

void addScaled(Vector3& sum, const Vector3& v, float w) { sum += v * w; }

template <typename F>
void zipLimb(LimbPose& a, const LimbPose& b, F f) {
  f(a.target, b.target);
  f(a.pole, b.pole);
  f(a.dir, b.dir);
  f(a.face, b.face);
}

template <typename F>
void zipPose(CharacterPose& a, const CharacterPose& b, F f) {
  f(a.pelvisShift, b.pelvisShift);
  f(a.pelvisTurn, b.pelvisTurn);
  f(a.waistTurn, b.waistTurn);
  f(a.chestTurn, b.chestTurn);
  f(a.neckTurn, b.neckTurn);
  for (int i = 0; i < 2; ++i) {
    zipLimb(a.arm[i], b.arm[i], f);
    zipLimb(a.leg[i], b.leg[i], f);
    f(a.tailTurn[i], b.tailTurn[i]);
  }
}

}  // namespace

const char* characterBoneName(int bone) { return kBoneNames[bone]; }
int characterBoneParent(int bone) { return kBoneParents[bone]; }

Vector3 racketStringsInHand(const CharacterProportions& body) { return {0, -body.handLength, kRacketReach}; }
Vector3 ballInHand(const CharacterProportions& body) { return {0, -(body.handLength + kBallPastFist), 0}; }

Matrix racketHandAxes(const Vector3& dir, const Vector3& face) { return axesZX(dir, face); }

Vector3 zeroJoint(const CharacterProportions& body, int bone) {
  const float shoulder = body.shoulderHeight();
  switch (bone) {
    case kPelvis: return {0, body.pelvisHeight(), 0};
    case kWaist: return {0, body.pelvisHeight() + body.waist, 0};
    case kChest: return {0, body.chestHeight(), 0};
    case kNeck: return {0, body.neckHeight(), 0};
    case kRightUpperArm: return {-body.shoulderX, shoulder, 0};
    case kRightForearm: return {-body.shoulderX, shoulder - body.upperArm, 0};
    case kRightHand: return {-body.shoulderX, shoulder - body.upperArm - body.forearm, 0};
    case kLeftUpperArm: return {body.shoulderX, shoulder, 0};
    case kLeftForearm: return {body.shoulderX, shoulder - body.upperArm, 0};
    case kLeftHand: return {body.shoulderX, shoulder - body.upperArm - body.forearm, 0};
    case kRightThigh: return {-body.hipX, body.hipHeight(), 0};
    case kRightShin: return {-body.hipX, body.footHeight + body.shin, 0};
    case kRightFoot: return {-body.hipX, body.footHeight, 0};
    case kLeftThigh: return {body.hipX, body.hipHeight(), 0};
    case kLeftShin: return {body.hipX, body.footHeight + body.shin, 0};
    case kLeftFoot: return {body.hipX, body.footHeight, 0};
    case kTailBase: return zeroJoint(body, kPelvis) + body.tailRoot;
    case kTailTip: return zeroJoint(body, kTailBase) + Vector3(0, 0, -body.tailLength * 0.5f);
    default: return {};
  }
}

CharacterPose scaledPose(const CharacterPose& pose, float weight) {
  CharacterPose out = pose;
  zipPose(out, pose, [weight](Vector3& a, const Vector3& b) { a = b * weight; });
  return out;
}

void addPose(CharacterPose& sum, const CharacterPose& pose, float weight) {
  zipPose(sum, pose, [weight](Vector3& a, const Vector3& b) { addScaled(a, b, weight); });
}

Matrix turnMatrix(const Vector3& turn) {
  Matrix m = rotate(Matrix(), turn.y, 0, 1, 0);
  m = rotate(m, turn.x, 1, 0, 0);
  return rotate(m, turn.z, 0, 0, 1);
}

BoneMatrices poseWorlds(const CharacterProportions& body, const CharacterPose& pose, const LimbSpaces& spaces) {
  BoneMatrices w;
  w[kPelvis] = multiply(turnMatrix(pose.pelvisTurn), at(zeroJoint(body, kPelvis) + pose.pelvisShift));
  w[kWaist] = fk(pose.waistTurn, zeroOffset(body, kWaist), w[kPelvis]);
  w[kChest] = fk(pose.chestTurn, zeroOffset(body, kChest), w[kWaist]);
  w[kNeck] = fk(pose.neckTurn, zeroOffset(body, kNeck), w[kChest]);
  w[kTailBase] = fk(pose.tailTurn[0], zeroOffset(body, kTailBase), w[kPelvis]);
  w[kTailTip] = fk(pose.tailTurn[1], zeroOffset(body, kTailTip), w[kTailBase]);

  for (int side = 0; side < 2; ++side) {
    const int upper = side == 0 ? kRightUpperArm : kLeftUpperArm;
    const Vector3 shoulder = transformPoint(zeroOffset(body, upper), w[kChest]);
    const LimbPose limb = spaces.arms == LimbSpace::Parent ? inSpace(pose.arm[side], w[kChest]) : pose.arm[side];
    const ArmReach reach = armReach(body, limb, side);
    const TwoBoneSolution arm = solveTwoBones(shoulder, reach.point, body.upperArm, reach.lower, limb.pole, 1.0f);
    w[upper] = arm.upper;
    w[upper + 1] = arm.lower;
    if (side == 0) {
      w[upper + 2] = withOrigin(reach.hand, arm.end);
    } else {
      const Vector3 along = normalise(arm.end - arm.middle);
      w[upper + 2] = withOrigin(arm.lower, arm.middle + along * body.forearm);
    }
  }
  for (int side = 0; side < 2; ++side) {
    const int thigh = side == 0 ? kRightThigh : kLeftThigh;
    const Vector3 hip = transformPoint(zeroOffset(body, thigh), w[kPelvis]);
    const LimbPose limb = spaces.legs == LimbSpace::Parent ? inSpace(pose.leg[side], w[kPelvis]) : pose.leg[side];
    const TwoBoneSolution leg = solveTwoBones(hip, limb.target, body.thigh, body.shin, limb.pole, -1.0f);
    w[thigh] = leg.upper;
    w[thigh + 1] = leg.lower;
    w[thigh + 2] = withOrigin(axesZY(limb.dir, limb.face), leg.end);
  }
  return w;
}

BoneMatrices localsFromWorlds(const BoneMatrices& worlds) {
  BoneMatrices locals;
  for (int bone = 0; bone < kCharacterBoneCount; ++bone) {
    const int parent = kBoneParents[bone];
    locals[bone] = parent < 0 ? worlds[bone] : multiply(worlds[bone], inverse(worlds[parent]));
  }
  return locals;
}

float liftToReach(const CharacterProportions& body, const CharacterPose& pose, const LimbSpaces& spaces, int arm,
                  float straightness) {
  if (spaces.arms == LimbSpace::Parent) return 0;
  const BoneMatrices w = poseWorlds(body, pose, spaces);
  const int upper = arm == 0 ? kRightUpperArm : kLeftUpperArm;
  const Vector3 shoulder = translation(w[upper]);
  const ArmReach reach = armReach(body, pose.arm[arm], arm);
  const float r = straightness * (body.upperArm + reach.lower);
  const Vector3 d = reach.point - shoulder;
  const float across = d.x * d.x + d.z * d.z;
  if (across >= r * r) return std::max(0.0f, d.y);
  return std::max(0.0f, d.y - std::sqrt(r * r - across));
}
