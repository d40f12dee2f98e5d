// Deformation of skinned meshes on the processor, checked against values
// worked out by hand and against a plain per-vertex reference.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "MathExpect.h"
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

// Tiny deterministic generator for the reference comparison.
struct Lcg {
  uint32_t state = 12345;
  float next(float lo, float hi) {
    state = state * 1664525u + 1013904223u;
    return lo + (hi - lo) * float(state >> 8) / float(1u << 24);
  }
};
}  // namespace

TEST(SkinBindCopies, TakeTheWorldAtTheTimeOfTheCall) {
  SkinnedObject skin;
  skin.setWorldMatrix(translate(Matrix(), 0, 0, 5));
  skin.setVertices({{1, 2, 3}});
  skin.setWorldMatrix(scale(Matrix(), 2, 1, 1));
  skin.setNormals({{1, 1, 0}});
  EXPECT_TRUE(skin.bindVertices()[0] == Vector3(1, 2, 8));
  // Normals go through transpose(inverse(world)), not normalised.
  EXPECT_TRUE(vectorNear(skin.bindNormals()[0], Vector3(0.5f, 1, 0)));
}

TEST(SkinBindCopies, ComputedNormalsRefreshTheBindNormals) {
  SkinnedObject skin;
  skin.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
  skin.setFaces({{0, 1, 2}});
  skin.computeNormals();
  ASSERT_EQ(skin.bindNormals().size(), 3u);
  EXPECT_TRUE(vectorNear(skin.bindNormals()[1], Vector3(0, 0, 1)));
}

TEST(SkinWeights, SetBoneWeightFillsTheFirstFreeSlotAndGrows) {
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
}

TEST(SkinWeights, AbsurdVertexIndexAllocatesNothing) {
  SkinnedObject skin;
  skin.setBoneWeight(4000000000u, 1, 1.0f);
  EXPECT_TRUE(skin.boneWeights().empty());
}

// Bone 0 is the skin itself, moved 3 along x. Bone 1 is raised 10 along y,
// bone 2 is a quarter turn about z, bone 3 stretches x by 2.
class HandMadeSkin : public testing::Test {
 protected:
  void SetUp() override {
    skin = std::make_shared<SkinnedObject>("Body");
    skin->setVertices({{1, 0, 0}, {0, 1, 0}, {0, 0, 2}, {1, 1, 0}, {2, 0, 0}});
    skin->setNormals({{1, 0, 0}, {0, 0, 1}, {0, 0, 1}, {kHalfRoot2, kHalfRoot2, 0}, {0, 1, 0}});
    skin->setWorldMatrix(translate(Matrix(), 3, 0, 0));
    raised = boneAt(translate(Matrix(), 0, 10, 0));
    turned = boneAt(rotate(Matrix(), 90, 0, 0, 1));
    stretched = boneAt(scale(Matrix(), 2, 1, 1));
    skin->addBone(skin.get());
    skin->addBone(raised.get());
    skin->addBone(turned.get());
    skin->addBone(stretched.get());
  }

  std::shared_ptr<SkinnedObject> skin;
  std::shared_ptr<BoneObject> raised, turned, stretched;
};

TEST_F(HandMadeSkin, TwoBonesBlendPositionsAndNormals) {
  skin->setBoneWeight(0, 1, 0.5f);
  skin->setBoneWeight(0, 2, 0.5f);
  skin->skin();
  // 0.5 * (1, 10, 0) + 0.5 * (0, 1, 0).
  EXPECT_TRUE(vectorNear(skin->skinnedVertices()[0], Vector3(0.5f, 5.5f, 0)));
  // 0.5 * (1, 0, 0) + 0.5 * (0, 1, 0), normalised.
  EXPECT_TRUE(vectorNear(skin->skinnedNormals()[0], Vector3(kHalfRoot2, kHalfRoot2, 0)));
}

TEST_F(HandMadeSkin, FirstZeroWeightEndsTheList) {
  // Weights (1, 0, 0.5, 0.5): only the turn applies.
  skin->setBoneWeight(1, 2, 1.0f);
  skin->setBoneWeight(1, 1, 0.0f);
  skin->setBoneWeight(1, 1, 0.0f);
  skin->setBoneWeight(1, 1, 0.0f);
  skin->setBoneWeight(1, 1, 0.0f);
  ASSERT_EQ(skin->boneWeights()[5], 0.0f);
  ASSERT_EQ(skin->boneWeights()[4], 1.0f);
  skin->skin();
  EXPECT_TRUE(vectorNear(skin->skinnedVertices()[1], Vector3(-1, 0, 0)));
  EXPECT_TRUE(vectorNear(skin->skinnedNormals()[1], Vector3(0, 0, 1)));
}

TEST_F(HandMadeSkin, StretchedBoneBendsNormalsByTheInverseTranspose) {
  skin->setBoneWeight(3, 3, 1.0f);
  skin->skin();
  EXPECT_TRUE(vectorNear(skin->skinnedVertices()[3], Vector3(2, 1, 0)));
  // (1, 1, 0) / sqrt 2 through diag(1/2, 1, 1) is along (1, 2, 0).
  const float r5 = std::sqrt(5.0f);
  EXPECT_TRUE(vectorNear(skin->skinnedNormals()[3], Vector3(1 / r5, 2 / r5, 0)));
}

TEST_F(HandMadeSkin, VertexWithoutWeightsFollowsTheSkinItself) {
  skin->setBoneWeight(0, 1, 1.0f);
  skin->skin();
  // Vertex 2 has no entry in the table at all: bone 0, moved 3 along x.
  EXPECT_TRUE(vectorNear(skin->skinnedVertices()[2], Vector3(3, 0, 2)));
  EXPECT_TRUE(vectorNear(skin->skinnedNormals()[2], Vector3(0, 0, 1)));
}

TEST_F(HandMadeSkin, BrokenSlotsAreSkipped) {
  // Vertex 4: a bone that does not exist, a weight that is not a number,
  // then a real one.
  skin->setBoneWeight(4, 9, 1.0f);
  skin->setBoneWeight(4, 2, NAN);
  skin->setBoneWeight(4, 1, 0.5f);
  // Vertex 0: only a bone that does not exist, so it rides on bone 0.
  skin->setBoneWeight(0, 40000, 1.0f);
  skin->skin();
  EXPECT_TRUE(vectorNear(skin->skinnedVertices()[4], Vector3(1, 5, 0)));
  EXPECT_TRUE(vectorNear(skin->skinnedVertices()[0], Vector3(4, 0, 0)));
  for (const Vector3& v : skin->skinnedVertices()) EXPECT_TRUE(isFinite(v));
  for (const Vector3& n : skin->skinnedNormals()) EXPECT_TRUE(isFinite(n));
}

TEST_F(HandMadeSkin, SingularBoneStaysFinite) {
  auto flat = boneAt(scale(Matrix(), 1, 1, 0));
  skin->addBone(flat.get());
  skin->setBoneWeight(0, 4, 1.0f);
  skin->skin();
  EXPECT_TRUE(isFinite(skin->skinnedVertices()[0]));
  EXPECT_TRUE(isFinite(skin->skinnedNormals()[0]));
}

TEST(SkinWithoutBones, StaysAtTheBindPose) {
  SkinnedObject skin;
  skin.setWorldMatrix(translate(Matrix(), 0, 4, 0));
  skin.setVertices({{1, 0, 0}});
  skin.setNormals({{0, 1, 0}});
  skin.setBoneWeight(0, 3, 1.0f);
  skin.skin();
  EXPECT_TRUE(skin.skinnedVertices()[0] == Vector3(1, 4, 0));
  EXPECT_TRUE(skin.skinnedNormals()[0] == Vector3(0, 1, 0));
}

TEST(SkinBindPose, BonesAtTheirBindPoseLeaveTheMeshWhereItWas) {
  // As loaded: each node's clip base is its local transform and its pivot
  // the inverse of its file transform; the skin's vertices are stored in
  // its own space and its bind copies in scene space.
  const Matrix skinFile = translate(rotate(Matrix(), 20, 1, 0, 0), 0, 5, 0);
  const Matrix boneFile = translate(rotate(Matrix(), 60, 0, 0, 1), 1, 2, 3);
  auto root = std::make_shared<AnimatedGroup>();
  auto skin = std::make_shared<SkinnedObject>("Body");
  auto bone = std::make_shared<BoneObject>("Bip01");
  for (auto [object, file] : {std::pair<SceneObject*, Matrix>{skin.get(), skinFile}, {bone.get(), boneFile}}) {
    auto clip = std::make_shared<Animation>(1, 32);
    clip->setMatrix(file);
    object->animator().addAnimation(clip);
  }
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

TEST(SkinReference, MatchesThePlainFormulaOnARandomSkin) {
  Lcg random;
  SkinnedObject skin;
  std::vector<std::shared_ptr<BoneObject>> bones;
  skin.addBone(&skin);
  for (int b = 0; b < 6; ++b) {
    Matrix m = rotate(Matrix(), random.next(-180, 180), random.next(-1, 1), random.next(-1, 1), 1);
    m = scale(m, random.next(0.5f, 2), random.next(0.5f, 2), random.next(0.5f, 2));
    m = multiply(m, translate(Matrix(), random.next(-50, 50), random.next(-50, 50), random.next(-50, 50)));
    bones.push_back(boneAt(m));
    skin.addBone(bones.back().get());
  }
  std::vector<Vector3> vertices, normals;
  for (int v = 0; v < 300; ++v) {
    vertices.emplace_back(random.next(-100, 100), random.next(-100, 100), random.next(-100, 100));
    normals.push_back(normalise(Vector3(random.next(-1, 1), random.next(-1, 1), random.next(-1, 1))));
    const int influences = 1 + v % 4;
    for (int k = 0; k < influences; ++k) {
      skin.setBoneWeight(uint32_t(v), uint16_t(1 + (v + k) % 6), random.next(0.05f, 1.0f));
    }
  }
  skin.setVertices(vertices);
  skin.setNormals(normals);
  skin.skin();

  for (size_t v = 0; v < vertices.size(); ++v) {
    Vector3 position, normal;
    for (int k = 0; k < kMaxBonesPerVertex; ++k) {
      const float w = skin.boneWeights()[v * 4 + k];
      if (w == 0.0f) break;
      const Matrix& world = skin.bones()[size_t(skin.boneIndices()[v * 4 + k])]->worldMatrix();
      position += transformPoint(skin.bindVertices()[v], world) * w;
      normal += transformVector(skin.bindNormals()[v], transpose(inverse(world))) * w;
    }
    EXPECT_TRUE(vectorNear(skin.skinnedVertices()[v], position, 2e-3f)) << v;
    EXPECT_TRUE(vectorNear(skin.skinnedNormals()[v], normalise(normal), 1e-5f)) << v;
  }
}
