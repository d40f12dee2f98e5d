#pragma once
// A mesh deformed by bones on the processor. Bone 0 is the skinned object
// itself; each vertex has up to kMaxBonesPerVertex (bone, weight) slots, the
// list ending at the first zero weight. The bind copies hold the vertices and
// normals in scene space at load time (through `world` when they are set).
//
// skin() deforms every vertex from the bones' current world matrices into
// skinnedVertices/skinnedNormals; draw skins and then draws those arrays in
// scene space (OpenGL). Bad skin data never reads out of bounds: a slot whose
// bone does not exist or whose weight is not a finite number is skipped, and a
// vertex left with no usable slot follows bone 0 (or stays at its bind
// position when there are no bones).

#include <cstdint>
#include <vector>

#include "engine/BoneObject.h"

constexpr int kMaxBonesPerVertex = 4;

class SkinnedObject : public BoneObject {
 public:
  using BoneObject::BoneObject;
  ~SkinnedObject() override = default;

  // Stores v and rebuilds the bind positions as v * world.
  void setVertices(std::vector<Vector3> vertices) override;
  // Stores n and rebuilds the bind normals through transpose(inverse(world)).
  void setNormals(std::vector<Vector3> normals) override;
  // As SceneObject's, and every new vertex copies the bone slots, the bind
  // position and the bind normal of its source vertex.
  void buildMesh() override;
  // skin(), then (when visible) the skinned arrays with the view alone as
  // model-view.
  void draw(const Matrix& view) override;
  // The silhouette of the arrays the last draw skinned.
  void drawOutline(const Matrix& view) override;

  // Deforms the bind copies by the bones' current world matrices.
  void skin();

  void addBone(BoneObject* bone) {
    boneList.push_back(bone);
    influencesDirty = true;
  }
  const std::vector<BoneObject*>& bones() const { return boneList; }
  // Puts (bone, weight) into the vertex's first slot whose weight is 0,
  // growing the slot arrays to hold the vertex; nothing when all four are
  // taken.
  void setBoneWeight(uint32_t vertex, uint16_t bone, float weight);
  const std::vector<int32_t>& boneIndices() const { return slotBones; }
  const std::vector<float>& boneWeights() const { return slotWeights; }
  const std::vector<Vector3>& bindVertices() const { return bindPositions; }
  const std::vector<Vector3>& bindNormals() const { return bindNormalList; }
  const std::vector<Vector3>& skinnedVertices() const { return skinnedPositions; }
  const std::vector<Vector3>& skinnedNormals() const { return skinnedNormalList; }

 protected:
  bool updateOnlyPoses() const override;

 private:
  std::vector<BoneObject*> boneList;
  std::vector<int32_t> slotBones;
  std::vector<float> slotWeights;
  std::vector<Vector3> bindPositions;
  std::vector<Vector3> bindNormalList;
  // Rebuilds the skinning table from the slots when they or the bones changed.
  void compileInfluences();

  // Kept between frames so that skinning allocates nothing per frame.
  std::vector<Vector3> skinnedPositions;
  std::vector<Vector3> skinnedNormalList;
  // Four floats that the compiler keeps in one SIMD register.
  typedef float Lane __attribute__((vector_size(16)));
  // Per bone (plus an identity and a zero entry at the end) kLanesPerRow
  // lanes: rows 0-2 and the translation of the world matrix, then rows 0-2
  // of the normal matrix.
  std::vector<Lane> boneMatrices;
  // The slots checked once: four entries per vertex, each a row of
  // boneMatrices and its weight; unused entries point at the zero row.
  std::vector<uint32_t> influenceRows;
  std::vector<float> influenceWeights;
  bool influencesDirty = true;
};
