#pragma once
// The skeleton that all four characters share, and how a pose turns into
// the bones' transforms.
//
// Everything is in the character's own space, the game's axes as the player
// sees them: y up, the ground at y = 0, facing +z, the character's right
// hand on -x. Scene units (70 to the metre).
//
// The zero pose stands straight with the arms hanging at the sides and the
// legs straight down; in it every bone's axes are the character's axes, so
// a bone's zero-pose transform is a translation to its joint. Meshes are
// made in the zero pose (CharacterBody) and a pose moves the bones from it.
//
// A pose (CharacterPose) holds the trunk as turns of its joints and the four
// limbs as targets solved with two-bone inverse kinematics: the right arm by
// the point "Golpe" (the centre of the racket's strings) and the racket's
// direction, the left arm by the point "Pelota" (the ball the left hand
// holds), each leg by its ankle and the foot's direction. Targets are given
// in the character's space or in the space of the limb's parent bone (the
// chest for arms, the pelvis for legs), as each clip chooses.

#include <array>
#include <string>

#include "engine/Matrix.h"
#include "engine/Vector3.h"
#include "tennis/Court.h"

// The bones, as indices of BoneMatrices.
constexpr int kPelvis = 0;
constexpr int kWaist = 1;
constexpr int kChest = 2;
constexpr int kNeck = 3;
constexpr int kRightUpperArm = 4;
constexpr int kRightForearm = 5;
constexpr int kRightHand = 6;
constexpr int kLeftUpperArm = 7;
constexpr int kLeftForearm = 8;
constexpr int kLeftHand = 9;
constexpr int kRightThigh = 10;
constexpr int kRightShin = 11;
constexpr int kRightFoot = 12;
constexpr int kLeftThigh = 13;
constexpr int kLeftShin = 14;
constexpr int kLeftFoot = 15;
constexpr int kTailBase = 16;
constexpr int kTailTip = 17;
constexpr int kCharacterBoneCount = 18;

// The node name of each bone and its parent (-1: the model's root). Parents
// come before their children.
const char* characterBoneName(int bone);
int characterBoneParent(int bone);

// Lengths of the skeleton, in scene units.
struct CharacterProportions {
  float footHeight = 5;  // ankle above the ground
  float shin = 20;
  float thigh = 20;
  float hipX = 8;     // hip joints either side of the middle
  float hipDrop = 3;  // hip joints below the pelvis bone
  float waist = 10;   // pelvis bone to the waist joint
  float chest = 14;   // waist joint to the chest joint
  float neck = 8;     // chest joint to the neck joint (the head's bone)
  float shoulderX = 13;
  float shoulderY = 7;  // shoulder joints above the chest joint
  float upperArm = 20;
  float forearm = 18;
  float handLength = 4.5f;  // wrist to the middle of the fist
  // Tail (none when tailLength is 0): its root behind the pelvis bone.
  Vector3 tailRoot{0, -2, -10};
  float tailLength = 0;

  float hipHeight() const { return footHeight + shin + thigh; }
  float pelvisHeight() const { return hipHeight() + hipDrop; }
  float chestHeight() const { return pelvisHeight() + waist + chest; }
  float shoulderHeight() const { return chestHeight() + shoulderY; }
  float neckHeight() const { return chestHeight() + neck; }
  bool hasTail() const { return tailLength > 0; }
};

// The racket and the held ball, in the hand bone's space (the wrist at the
// origin, the fist down its -y): the racket's shaft runs along +z through
// the fist and its strings face +x; the ball sits in the fingers.
Vector3 racketStringsInHand(const CharacterProportions& body);
Vector3 ballInHand(const CharacterProportions& body);
constexpr float kRacketReach = 30.0f;  // fist to the strings' centre
constexpr float kHeldBallRadius = kBallRadius;

// The right hand's axes when the racket's shaft runs along `dir` and its
// strings face `face` (made square to `dir`).
Matrix racketHandAxes(const Vector3& dir, const Vector3& face);

// Where a bone's joint is in the zero pose.
Vector3 zeroJoint(const CharacterProportions& body, int bone);

// One limb: the point it reaches for, where its elbow or knee points, and
// the orientation of its end. Arms: target is "Golpe" (right) or "Pelota"
// (left); dir is the racket's shaft (right hand only) and face the strings'
// normal. Legs: target is the ankle, dir the toes' direction and face the
// sole's up.
struct LimbPose {
  Vector3 target;
  Vector3 pole;
  Vector3 dir{0, 0, 1};
  Vector3 face{1, 0, 0};
};

// Turns are (pitch about x: + leans forward; yaw about y: + turns left;
// roll about z: + leans to the right), in degrees, applied roll first.
struct CharacterPose {
  Vector3 pelvisShift;  // from the zero pose's place, in character space
  Vector3 pelvisTurn;
  Vector3 waistTurn;
  Vector3 chestTurn;
  Vector3 neckTurn;
  LimbPose arm[2];  // 0 right, 1 left
  LimbPose leg[2];  // 0 right, 1 left
  Vector3 tailTurn[2];
};

// Weighted sums of poses (every vector field), for interpolation.
CharacterPose scaledPose(const CharacterPose& pose, float weight);
void addPose(CharacterPose& sum, const CharacterPose& pose, float weight);

// Which space limb targets are given in.
enum class LimbSpace { Character, Parent };
struct LimbSpaces {
  LimbSpace arms = LimbSpace::Character;
  LimbSpace legs = LimbSpace::Character;
};

using BoneMatrices = std::array<Matrix, kCharacterBoneCount>;

// The rotation turning roll, then pitch, then yaw (degrees, as above).
Matrix turnMatrix(const Vector3& turn);

// Every bone's world transform in character space for the pose.
BoneMatrices poseWorlds(const CharacterProportions& body, const CharacterPose& pose, const LimbSpaces& spaces);
// Every bone's transform relative to its parent.
BoneMatrices localsFromWorlds(const BoneMatrices& worlds);

// How far the whole body must rise (along y, 0 when it need not) for the
// arm's target to lie within `straightness` of the arm's full length: the
// clips lift the body on to its toes or into a jump to reach high points.
float liftToReach(const CharacterProportions& body, const CharacterPose& pose, const LimbSpaces& spaces, int arm,
                  float straightness);
