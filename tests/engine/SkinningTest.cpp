// Deformation of skinned meshes on the processor, checked against values
// worked out by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "MathExpect.h"
#include "SceneTestSupport.h"
#include "engine/AnimatedGroup.h"
#include "engine/SkinnedObject.h"

namespace {
const float kHalfRoot2 = 0.70710678f;

// A bone placed directly by its world matrix.
std::shared_ptr<BoneObject> boneAt(const Matrix& world) {
  auto bone = std::make_shared<BoneObject>();
  bone->setWorldMatrix(world);
  return bone;
}
}  // namespace

TEST(SkinBindCopies, TakeTheWorldAtTheTimeOfTheCallAndFollowComputedNormals) {
  SkinnedObject skin;
  skin.setWorldMatrix(translate(Matrix(), 0, 0, 5));
  skin.setVertices({{1, 2, 3}});
  skin.setWorldMatrix(scale(Matrix(), 2, 1, 1));
  skin.setNormals({{1, 1, 0}});
  EXPECT_TRUE(skin.bindVertices()[0] == Vector3(1, 2, 8));
  // Normals go through transpose(inverse(world)), not normalised.
  EXPECT_TRUE(vectorNear(skin.bindNormals()[0], Vector3(0.5f, 1, 0)));

  SkinnedObject computed;
  computed.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
  computed.setFaces({{0, 1, 2}});
  computed.computeNormals();
  ASSERT_EQ(computed.bindNormals().size(), 3u);
  EXPECT_TRUE(vectorNear(computed.bindNormals()[1], Vector3(0, 0, 1)));
}

TEST(SkinWeights, SetBoneWeightFillsTheFirstFreeSlotGrowsAndRefusesAbsurdVertices) {
  SkinnedObject skin;
  skin.setBoneWeight(1, 2, 0.5f);
  skin.setBoneWeight(1, 3, 0.25f);
  ASSERT_EQ(skin.boneWeights().size(), 8u);
  EXPECT_EQ(skin.boneWeights()[0], 0.0f);
  EXPECT_EQ(skin.boneIndices()[4], 2);
  EXPECT_EQ(skin.boneIndices()[5], 3);
  EXPECT_EQ(skin.boneWeights()[5], 0.25f);
  for (int i = 0; i < 4; ++i) skin.setBoneWeight(1, uint16_t(10 + i), 0.1f);
  EXPECT_EQ(skin.boneIndices()[6], 10);
  EXPECT_EQ(skin.boneIndices()[7], 11);
  EXPECT_EQ(skin.boneWeights().size(), 8u);
  skin.setBoneWeight(4000000000u, 1, 1.0f);
  EXPECT_EQ(skin.boneWeights().size(), 8u);
}

TEST(SkinDeformation, EachVertexFollowsItsWeightedBonesAndBrokenSlotsAreSkipped) {
  // Bone 0 is the skin itself, moved 3 along x (after its bind copies were
  // taken). Bone 1 is raised 10 along y, bone 2 is a quarter turn about z,
  // bone 3 stretches x by 2, bone 4 flattens z away.
  auto skin = std::make_shared<SkinnedObject>("Body");
  auto raised = boneAt(translate(Matrix(), 0, 10, 0));
  auto turned = boneAt(rotate(Matrix(), 90, 0, 0, 1));
  auto stretched = boneAt(scale(Matrix(), 2, 1, 1));
  auto flat = boneAt(scale(Matrix(), 1, 1, 0));
  const float r5 = std::sqrt(5.0f);
  const struct {
    const char* what;
    Vector3 vertex, normal;
    std::vector<std::pair<uint16_t, float>> slots;
    Vector3 position, skinnedNormal;
  } vertices[] = {
      // 0.5 * (1, 10, 0) + 0.5 * (0, 1, 0); normals (1, 0, 0) and (0, 1, 0).
      {"two bones blend", {1, 0, 0}, {1, 0, 0}, {{1, 0.5f}, {2, 0.5f}}, {0.5f, 5.5f, 0}, {kHalfRoot2, kHalfRoot2, 0}},
      {"one turned bone", {0, 1, 0}, {0, 0, 1}, {{2, 1.0f}}, {-1, 0, 0}, {0, 0, 1}},
      {"no slot rides on the skin", {0, 0, 2}, {0, 0, 1}, {}, {3, 0, 2}, {0, 0, 1}},
      // (1, 1, 0) / sqrt 2 through diag(1/2, 1, 1) is along (1, 2, 0).
      {"stretch bends the normal", {1, 1, 0}, {kHalfRoot2, kHalfRoot2, 0}, {{3, 1.0f}}, {2, 1, 0}, {1 / r5, 2 / r5, 0}},
      {"missing bone and NaN skipped", {2, 0, 0}, {0, 1, 0}, {{9, 1.0f}, {2, NAN}, {1, 0.5f}}, {1, 5, 0}, {0, 1, 0}},
      {"only a missing bone", {1, 0, 0}, {1, 0, 0}, {{40000, 1.0f}}, {4, 0, 0}, {1, 0, 0}},
      // (4 + 1 + 0 + 2, 0 + 10 + 1 + 0, 0) / 4; normals (1, 0, 0) twice,
      // (0, 1, 0) and (1/2, 0, 0).
      {"four bones", {1, 0, 0}, {1, 0, 0}, {{0, 0.25f}, {1, 0.25f}, {2, 0.25f}, {3, 0.25f}}, {1.75f, 2.75f, 0},
       {2.5f / std::sqrt(7.25f), 1 / std::sqrt(7.25f), 0}},
      // A singular bone's normal matrix is its adjugate scaled by 1e7: diag(0, 0, 1e7).
      {"flattened bone", {1, 0, 3}, {0, 2, 5}, {{4, 1.0f}}, {1, 0, 0}, {0, 0, 1}},
  };
  std::vector<Vector3> positions, normals;
  for (const auto& v : vertices) {
    positions.push_back(v.vertex);
    normals.push_back(v.normal);
  }
  skin->setVertices(positions);
  skin->setNormals(normals);
  skin->setWorldMatrix(translate(Matrix(), 3, 0, 0));
  skin->addBone(skin.get());
  for (const auto& bone : {raised, turned, stretched, flat}) skin->addBone(bone.get());
  for (uint32_t i = 0; i < std::size(vertices); ++i) {
    for (const auto& [bone, weight] : vertices[i].slots) skin->setBoneWeight(i, bone, weight);
  }
  skin->skin();
  for (size_t i = 0; i < std::size(vertices); ++i) {
    SCOPED_TRACE(vertices[i].what);
    EXPECT_TRUE(vectorNear(skin->skinnedVertices()[i], vertices[i].position));
    EXPECT_TRUE(vectorNear(skin->skinnedNormals()[i], vertices[i].skinnedNormal));
  }
}

TEST(SkinDeformation, WithoutBonesTheMeshStaysAtItsBindPose) {
  SkinnedObject skin;
  skin.setWorldMatrix(translate(Matrix(), 0, 4, 0));
  skin.setVertices({{1, 0, 0}});
  skin.setNormals({{0, 1, 0}});
  skin.setBoneWeight(0, 3, 1.0f);
  skin.skin();
  EXPECT_TRUE(skin.skinnedVertices()[0] == Vector3(1, 4, 0));
  EXPECT_TRUE(skin.skinnedNormals()[0] == Vector3(0, 1, 0));
}

TEST(SkinDeformation, BonesAtTheirBindPoseLeaveTheMeshWhereItWas) {
  // As loaded: each node's clip base is its local transform and its pivot
  // the inverse of its file transform; the skin's vertices are stored in
  // its own space and its bind copies in scene space.
  const Matrix skinFile = translate(rotate(Matrix(), 20, 1, 0, 0), 0, 5, 0);
  const Matrix boneFile = translate(rotate(Matrix(), 60, 0, 0, 1), 1, 2, 3);
  auto root = std::make_shared<AnimatedGroup>();
  auto skin = std::make_shared<SkinnedObject>("Body");
  auto bone = std::make_shared<BoneObject>("Bip01");
  skin->animator().addAnimation(clipWithBase(skinFile));
  bone->animator().addAnimation(clipWithBase(boneFile));
  bone->setPivot(inverse(boneFile));
  skin->setPivot(inverse(skinFile));
  skin->setWorldMatrix(skinFile);
  const std::vector<Vector3> scenePoints = {{1, 2, 3}, {-4, 0, 2}};
  std::vector<Vector3> local;
  for (const Vector3& p : scenePoints) local.push_back(transformPoint(p, inverse(skinFile)));
  skin->setVertices(local);
  skin->setNormals({{0, 1, 0}, {0, 1, 0}});
  skin->addBone(skin.get());
  skin->addBone(bone.get());
  skin->setBoneWeight(0, 1, 1.0f);
  skin->setBoneWeight(1, 0, 0.25f);
  skin->setBoneWeight(1, 1, 0.75f);
  root->addChild(bone);
  root->addChild(skin);

  root->updateTree(16, Matrix(), 0);
  skin->skin();
  for (size_t i = 0; i < scenePoints.size(); ++i) {
    EXPECT_TRUE(vectorNear(skin->skinnedVertices()[i], scenePoints[i], 1e-4f)) << i;
  }
}

TEST(SkinBuildMesh, CopiesCarryTheSlotsAndBindDataOfTheirSource) {
  SkinnedObject skin("Body");
  skin.setWorldMatrix(translate(Matrix(), 0, 0, 1));
  skin.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
  skin.setNormals({{0, 0, 1}, {0, 0, 1}, {0, 0, 1}});
  skin.setTexCoords({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f, 0.5f, 0}});
  skin.setFaces({{0, 1, 2}, {2, 1, 0}});
  skin.setTexFaces({{0, 1, 2}, {2, 1, 3}});
  skin.setBoneWeight(0, 1, 0.75f);
  skin.setBoneWeight(0, 2, 0.25f);
  skin.setBoneWeight(1, 3, 1.0f);
  skin.setBoneWeight(2, 1, 1.0f);
  skin.buildMesh();
  ASSERT_EQ(skin.vertices().size(), 4u);
  ASSERT_EQ(skin.boneWeights().size(), 16u);
  EXPECT_EQ(skin.boneIndices()[12], 1);
  EXPECT_EQ(skin.boneIndices()[13], 2);
  EXPECT_EQ(skin.boneWeights()[12], 0.75f);
  EXPECT_EQ(skin.boneWeights()[13], 0.25f);
  EXPECT_TRUE(skin.bindVertices()[3] == Vector3(0, 0, 1));
  EXPECT_TRUE(skin.bindNormals()[3] == Vector3(0, 0, 1));
  EXPECT_TRUE(skin.faces()[1] == Face(2, 1, 3));
}
