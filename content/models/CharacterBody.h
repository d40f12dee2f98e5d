#pragma once
// What every character is built from: the bone nodes of the shared
// skeleton driven by the fourteen clips, the skinned trunk and limbs, rigid
// parts riding on bones (head, hands, shoes), the racket with its strings
// "Golpe" in the right hand and the ball "Pelota" in the left.
//
// Shapes are described in the zero pose (CharacterRig.h) in the character's
// space. The skinned surfaces are weighted to their bones (smoothly across
// the joints, two bones at most per vertex) and brought into the bind pose,
// the first frame of the idle clip, by turning each vertex about its joint
// with the blend of its bones' turns; rigid parts hang from their bone at
// their zero-pose place.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "content/models/CharacterClips.h"
#include "content/models/WorldModels.h"

// One ring of the trunk: at height y, half width and half depth, its middle
// moved forward by `forward`.
struct TrunkRing {
  float y;
  float halfWidth;
  float halfDepth;
  float forward = 0;
};

// One ring of a limb, `along` units down the limb from its first joint
// (shoulder or hip; negative above it), with its radius.
struct LimbRing {
  float along;
  float radius;
};

// Where a face of a surface lies, for painting it: trunk faces by height y
// and angle round (degrees: 0 the character's left, 90 the front, 180 the
// right, 270 the back); limb faces by how far down the limb (0 at the first
// joint, 1 at the wrist or ankle) and the same angle.
using Paint = std::function<int(float where, float angle)>;

class CharacterBuilder {
 public:
  CharacterBuilder(const std::string& name, const CharacterBuild& build);
  ~CharacterBuilder();

  const CharacterBuild& build() const;
  const CharacterProportions& body() const { return build().body; }

  // A cartoon material of that colour (0xRRGGBB); returns its index.
  int material(const std::string& name, uint32_t rgb);

  // The trunk, from the crotch (first ring) to the neck (last), closed at
  // both ends; weighted along the spine.
  void trunk(const std::vector<TrunkRing>& rings, int segments, const Paint& paint);
  // Both arms (side 0 right, 1 left) or both legs as tubes.
  void arms(const std::vector<LimbRing>& rings, int segments, const Paint& paint);
  void legs(const std::vector<LimbRing>& rings, int segments, const Paint& paint);
  // The tail as a tube from its root backwards (rings `along` it).
  void tail(const std::vector<LimbRing>& rings, int segments, const Paint& paint);

  // A rigid part on a bone, its mesh given in the zero pose.
  void part(const std::string& name, int bone, int material, AseMesh zeroPoseMesh);
  // The same part for both sides, given for the right one (x < 0) and
  // mirrored for the left; the bone given is the right one's.
  void pairedPart(const std::string& rightName, const std::string& leftName, int rightBone, int material,
                  const AseMesh& rightMesh);

  // The racket (frame and handle in these colours, the strings "Golpe") and
  // the held ball "Pelota".
  void racketAndBall(uint32_t frameRgb, uint32_t handleRgb);

  // The finished model and its clips, "models/<name>/normal.ASZ" and so on.
  ModelAsset finish();

 private:
  struct State;
  void foldRigidPartsIntoSkin();
  std::unique_ptr<State> state;
};

// Mirrors a mesh across x = 0 (keeping it outward-facing).
AseMesh mirrored(AseMesh mesh);
