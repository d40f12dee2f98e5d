// Mesh preparation (the split of vertices used with several texture
// coordinates, smooth normals, the seam merge between glued parts) and the
// deformation of skinned meshes on the processor, checked against values
// worked out by hand.

#include <gtest/gtest.h>

#include <iterator>

#include "MathExpect.h"
#include "SceneTestSupport.h"
#include "engine/SkinnedObject.h"

namespace {
const float kHalfRoot2 = 0.70710678f;

// Builds the mesh and returns what it printed.
std::string build(SceneObject& mesh) {
  testing::internal::CaptureStdout();
  mesh.buildMesh();
  return testing::internal::GetCapturedStdout();
}

TEST(MeshSplit, OnlyTheChainHeadIsComparedWithATextureIndexAnUnusedVertexWarnsAndBadIndicesAreNotFollowed) {
  SceneObject mesh("Suelo");
  mesh.setVertices({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {9, 9, 9}});
  mesh.setNormals({{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 4}, {0, 0, 5}});
  mesh.setTexCoords({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}, {6, 0, 0}});
  // Vertex 0 is used with texture indices 0, 5, 0, 5: the second face makes
  // a copy (5), the third matches the head, the fourth differs from the head
  // (texture 0) and makes yet another copy (6) although copy 5 has texture 5.
  mesh.setFaces({{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {0, 1, 3}});
  mesh.setTexFaces({{0, 1, 2}, {5, 2, 3}, {0, 3, 1}, {5, 1, 3}});
  EXPECT_EQ(build(mesh), "WARNING: Objeto: Suelo vertice no usado 4\n");
  const Face faces[] = {{0, 1, 2}, {5, 2, 3}, {0, 3, 1}, {6, 1, 3}};
  for (int f = 0; f < 4; ++f) EXPECT_TRUE(mesh.faces()[f] == faces[f]) << f;
  EXPECT_TRUE(vectorsNear(mesh.normals(), {{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 4}, {0, 0, 5}, {0, 0, 1}, {0, 0, 1}}));
  // The unused vertex takes the first coordinate.
  EXPECT_TRUE(vectorsNear(mesh.texCoords(), {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {1, 0, 0}, {6, 0, 0}, {6, 0, 0}}));
  EXPECT_TRUE(mesh.texFaces().empty());

  SceneObject broken("broken");
  broken.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
  broken.setNormals({{0, 0, 1}});
  broken.setTexCoords({{0, 0, 0}});
  broken.setFaces({{0, 1, 2}, {0, 7, 2}, {1, 2, 0}});
  broken.setTexFaces({{0, 0, 9}});
  EXPECT_NE(build(broken).find("broken"), std::string::npos);
  EXPECT_EQ(broken.vertices().size() + broken.normals().size() + broken.texCoords().size(), 9u);
  EXPECT_TRUE(broken.faces()[1] == Face(0, 7, 2));
}

TEST(MeshNormals, SharedCornersAverageUnitFaceNormalsAndSeamsShareTheirAverageInEachOwnSpace) {
  // Two faces folded at 90 degrees along the x axis (the big face must not
  // outweigh the small one), a vertex no face uses, and a face that points
  // past the vertices.
  SceneObject fold;
  fold.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 5, 0}, {0, 0, 1}, {4, 4, 4}});
  fold.setFaces({{0, 1, 2}, {0, 3, 1}, {0, 1, 99}});
  fold.computeNormals();
  const float h = kHalfRoot2;
  EXPECT_TRUE(vectorsNear(fold.normals(), {{0, h, h}, {0, h, h}, {0, 0, 1}, {0, 1, 0}, {0, 0, 0}}));

  // The part is turned a quarter about z and placed at (1, 0, 0) by clip 0:
  // its normal (1, 0, 0) is (0, 1, 0) in the body's space. Both partners of
  // its vertex take the average, exactly epsilon away is not a partner, and
  // back in the part's space the average turns the other way.
  auto body = std::make_shared<SceneObject>("body");
  body->setVertices({{1, 0, 0}, {1, 0, 0}, {5, 5, 5}, {1.5f, 0, 0}});
  body->setNormals({{1, 0, 0}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}});
  auto part = std::make_shared<SceneObject>(";part");
  part->animator().addAnimation(clipWithBase(multiply(rotate(Matrix(), 90, 0, 0, 1), placedAt(1, 0, 0))));
  part->setVertices({{0, 0, 0}});
  part->setNormals({{1, 0, 0}});
  body->addChild(part);
  part->mergeSeamNormals(0.5f);
  EXPECT_TRUE(vectorsNear(body->normals(), {{h, h, 0}, {h, h, 0}, {0, 0, 1}, {0, 0, 1}}));
  EXPECT_TRUE(vectorsNear(part->normals(), {{h, -h, 0}}));
  // Without a mesh above it nothing changes.
  auto root = std::make_shared<SceneNode>("root");
  auto loose = std::make_shared<SceneObject>(";loose");
  loose->setNormals({{1, 0, 0}});
  root->addChild(loose);
  loose->mergeSeamNormals(0.001f);
  EXPECT_TRUE(vectorsNear(loose->normals(), {{1, 0, 0}}));
}

TEST(SkinnedMesh, BindCopiesTakeTheWorldOfTheCallAndWeightsFillTheFirstFreeOfFourSlots) {
  SkinnedObject skin;
  skin.setWorldMatrix(translate(Matrix(), 0, 0, 5));
  skin.setVertices({{1, 2, 3}});
  skin.setWorldMatrix(scale(Matrix(), 2, 1, 1));
  skin.setNormals({{1, 1, 0}});
  // Normals go through transpose(inverse(world)), not normalised.
  EXPECT_TRUE(vectorsNear(skin.bindVertices(), {{1, 2, 8}}));
  EXPECT_TRUE(vectorsNear(skin.bindNormals(), {{0.5f, 1, 0}}));
  for (uint16_t bone : {2, 3, 10, 11, 12}) skin.setBoneWeight(1, bone, bone / 100.0f);
  skin.setBoneWeight(4000000000u, 1, 1.0f);
  EXPECT_EQ(skin.boneIndices(), (std::vector<int>{0, 0, 0, 0, 2, 3, 10, 11}));
  EXPECT_EQ(skin.boneWeights(), (std::vector<float>{0, 0, 0, 0, 0.02f, 0.03f, 0.1f, 0.11f}));
  skin.setFaces({{0, 0, 0}});
  skin.computeNormals();
  EXPECT_TRUE(vectorsNear(skin.bindNormals(), {{0, 0, 0}}));
}

TEST(SkinnedMesh, EachVertexFollowsItsWeightedBonesAndBrokenSlotsAreSkipped) {
  // Bone 0 is the skin itself, moved 3 along x (after its bind copies were
  // taken). Bone 1 is raised 10 along y, bone 2 is a quarter turn about z,
  // bone 3 stretches x by 2, bone 4 flattens z away.
  auto skin = std::make_shared<SkinnedObject>("Body");
  std::vector<std::shared_ptr<BoneObject>> bones;
  for (const Matrix& world : {translate(Matrix(), 0, 10, 0), rotate(Matrix(), 90, 0, 0, 1), scale(Matrix(), 2, 1, 1),
                              scale(Matrix(), 1, 1, 0)}) {
    bones.push_back(std::make_shared<BoneObject>());
    bones.back()->setWorldMatrix(world);
  }
  const float h = kHalfRoot2, r5 = std::sqrt(5.0f), r7 = std::sqrt(7.25f);
  const struct {
    const char* what;
    Vector3 vertex, normal;
    std::vector<std::pair<uint16_t, float>> slots;
    Vector3 position, skinnedNormal;
  } vertices[] = {
      // 0.5 * (1, 10, 0) + 0.5 * (0, 1, 0); normals (1, 0, 0) and (0, 1, 0).
      {"two bones blend", {1, 0, 0}, {1, 0, 0}, {{1, 0.5f}, {2, 0.5f}}, {0.5f, 5.5f, 0}, {h, h, 0}},
      {"no slot rides on the skin", {0, 0, 2}, {0, 0, 1}, {}, {3, 0, 2}, {0, 0, 1}},
      // (1, 1, 0) / sqrt 2 through diag(1/2, 1, 1) is along (1, 2, 0).
      {"stretch bends the normal", {1, 1, 0}, {h, h, 0}, {{3, 1.0f}}, {2, 1, 0}, {1 / r5, 2 / r5, 0}},
      {"missing bone and NaN skipped", {2, 0, 0}, {0, 1, 0}, {{9, 1.0f}, {2, NAN}, {1, 0.5f}}, {1, 5, 0}, {0, 1, 0}},
      {"only a missing bone", {1, 0, 0}, {1, 0, 0}, {{40000, 1.0f}}, {4, 0, 0}, {1, 0, 0}},
      // (4 + 1 + 0 + 2, 0 + 10 + 1 + 0, 0) / 4; normals (1, 0, 0) twice,
      // (0, 1, 0) and (1/2, 0, 0).
      {"four bones", {1, 0, 0}, {1, 0, 0}, {{0, 0.25f}, {1, 0.25f}, {2, 0.25f}, {3, 0.25f}}, {1.75f, 2.75f, 0},
       {2.5f / r7, 1 / r7, 0}},
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
  for (const auto& bone : bones) skin->addBone(bone.get());
  for (uint32_t i = 0; i < std::size(vertices); ++i) {
    for (const auto& [bone, weight] : vertices[i].slots) skin->setBoneWeight(i, bone, weight);
  }
  skin->skin();
  for (size_t i = 0; i < std::size(vertices); ++i) {
    EXPECT_TRUE(vectorNear(skin->skinnedVertices()[i], vertices[i].position)) << vertices[i].what;
    EXPECT_TRUE(vectorNear(skin->skinnedNormals()[i], vertices[i].skinnedNormal)) << vertices[i].what;
  }
  // Without bones the mesh stays at its bind pose.
  SkinnedObject boneless;
  boneless.setWorldMatrix(translate(Matrix(), 0, 4, 0));
  boneless.setVertices({{1, 0, 0}});
  boneless.setNormals({{0, 1, 0}});
  boneless.setBoneWeight(0, 3, 1.0f);
  boneless.skin();
  EXPECT_TRUE(vectorsNear(boneless.skinnedVertices(), {{1, 4, 0}}));
  EXPECT_TRUE(vectorsNear(boneless.skinnedNormals(), {{0, 1, 0}}));
}

TEST(SkinnedMesh, BonesAtTheirBindPoseLeaveTheMeshWhereItWasAndCopiesOfVerticesCarryTheirSlots) {
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
  const std::vector<Vector3> scenePoints = {{1, 2, 3}, {-4, 0, 2}, {0, 1, 0}};
  std::vector<Vector3> local;
  for (const Vector3& p : scenePoints) local.push_back(transformPoint(p, inverse(skinFile)));
  skin->setVertices(local);
  skin->setNormals({{0, 1, 0}, {0, 1, 0}, {0, 1, 0}});
  skin->setTexCoords({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f, 0.5f, 0}});
  // Vertex 2 is used with two texture coordinates: build makes copy 3.
  skin->setFaces({{0, 1, 2}, {2, 1, 0}});
  skin->setTexFaces({{0, 1, 2}, {3, 1, 0}});
  skin->addBone(skin.get());
  skin->addBone(bone.get());
  skin->setBoneWeight(0, 1, 1.0f);
  skin->setBoneWeight(1, 0, 0.25f);
  skin->setBoneWeight(1, 1, 0.75f);
  skin->setBoneWeight(2, 0, 0.5f);
  skin->setBoneWeight(2, 1, 0.5f);
  skin->buildMesh();
  EXPECT_TRUE(skin->faces()[1] == Face(3, 1, 0));
  root->addChild(bone);
  root->addChild(skin);
  root->updateTree(16, Matrix(), 0);
  skin->skin();
  EXPECT_TRUE(vectorsNear(skin->skinnedVertices(), {scenePoints[0], scenePoints[1], scenePoints[2], scenePoints[2]}, 1e-4f));
  EXPECT_EQ(std::vector<float>(skin->boneWeights().begin() + 12, skin->boneWeights().end()),
            (std::vector<float>{0.5f, 0.5f, 0, 0}));
  // The bone's world, pivot included, is the identity.
  EXPECT_TRUE(matrixNear(bone->worldMatrix(), Matrix()));
}

}  // namespace
