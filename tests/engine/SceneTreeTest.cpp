// The scene tree (ownership, lookup by name, how a root's clock and clip reach
// the meshes below it, bones, billboards), mesh preparation (split vertices,
// smooth normals, seams between glued pieces) and the skinning on the
// processor, against values worked out by hand.

#include <gtest/gtest.h>

#include <iterator>

#include "EngineTestSupport.h"
#include "engine/BillboardObject.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "engine/SkinnedObject.h"

namespace {
const float kHalfRoot2 = 0.70710678f;

std::shared_ptr<SceneNode> node(const std::string& name) { return std::make_shared<SceneNode>(name); }

TEST(SceneNodeTest, FindIsPreOrderByWholeNamesAndLinksFollowAddRemoveAndTheOwnersEnd) {
  auto root = node("Pelota"), first = node("first"), grandchild = node("Camera01");
  const std::string withNul("A\0B", 3);
  auto odd = node(withNul);
  root->addChild(first);
  first->addChild(grandchild);
  root->addChild(node("Camera01"));
  root->addChild(odd);
  for (const auto& [name, found] : {std::pair{std::string("Camera01"), grandchild}, {"Pelota", nullptr},
                                    {"Camera0", nullptr}, {"camera01", nullptr}, {"A", nullptr}, {withNul, odd}}) {
    EXPECT_EQ(root->findNode(name), found) << name;
  }
  EXPECT_EQ(first->parent(), root.get());
  root->removeChild(node("stranger").get());
  root->removeChild(first.get());
  EXPECT_EQ(first->parent(), nullptr);
  ASSERT_EQ(root->children().size(), 2u);
  EXPECT_EQ(root->children().back(), odd);
  root.reset();
  EXPECT_EQ(odd->parent(), nullptr);

  // A material lists its meshes in order, without keeping them alive.
  auto material = std::make_shared<Material>(3);
  std::vector<std::shared_ptr<SceneObject>> meshes = {objectWith(material, "a"), objectWith(material, "b"),
                                                      objectWith(material, "c")};
  material->removeObject(meshes[1].get());
  material->removeObject(meshes[1].get());
  EXPECT_EQ(*material->objects(), (std::list<std::shared_ptr<SceneObject>>{meshes[0], meshes[2]}));
  // The mesh holds its material, the material lists the mesh: no cycle.
  std::weak_ptr<SceneObject> meshLink = meshes[0];
  std::weak_ptr<Material> materialLink = material;
  material.reset();
  EXPECT_FALSE(materialLink.expired());
  meshes.clear();
  EXPECT_TRUE(meshLink.expired());
  EXPECT_TRUE(materialLink.expired());
}

TEST(AnimatedGroupTest, IgnoresMissingClipsCountsWholePlaysAndHandsItsClockClipAndTransformToItsChildren) {
  std::vector<uint32_t> steps;
  auto group = std::make_shared<ScriptedGroup>();
  group->onUpdate = [&steps](ScriptedGroup& self, uint32_t timeMs) {
    steps.push_back(timeMs);
    self.setTransform(translate(self.transform(), 1, 0, 0));
  };
  group->addAnimation(500);
  group->addAnimation(960);
  group->setAnimation(2);  // no such clip
  group->updateTree(300, Matrix(), 0);
  EXPECT_TRUE(group->currentAnimation() == 0 && group->timeBeyondEnd(1) == -200);
  group->updateTree(300, Matrix(), 0);
  EXPECT_TRUE(group->timeBeyondEnd(1) == 100 && group->timeBeyondEnd(2) == -400);
  group->setAnimation(1);
  EXPECT_EQ(group->timeBeyondEnd(1), -360);
  group->resetClock();
  EXPECT_EQ(group->timeBeyondEnd(1), -960);
  AnimatedGroup noClips;
  noClips.updateTree(16, Matrix(), 0);
  EXPECT_EQ(noClips.timeBeyondEnd(3), 16);

  // Children get the clock, the clip and the transform the group's own update
  // left. Clip 1 lifts the child 7 along z; clip 0 would move it 100 along x.
  auto child = std::make_shared<LoggingObject>("child");
  child->animator().addAnimation(clipWithBase(translate(Matrix(), 100, 0, 0)));
  child->animator().addAnimation(clipWithBase(translate(Matrix(), 0, 0, 7)));
  group->addChild(child);
  group->addChild(node("plain node"));
  group->updateTree(200, translate(Matrix(), 0, 50, 0), 0);
  group->updateTree(200, translate(Matrix(), 0, 50, 0), 0);
  EXPECT_EQ(steps, (std::vector<uint32_t>{300, 300, 200, 200}));
  EXPECT_EQ(child->times, (std::vector<uint32_t>{200, 400}));
  // The group's transform is absolute: the world handed in is not combined.
  EXPECT_TRUE(vectorNear(translation(child->parentWorlds.back()), Vector3(4, 0, 0), 0));
  EXPECT_TRUE(vectorNear(translation(child->worldMatrix()), Vector3(4, 0, 7), 0));
}

TEST(SceneObjectTest, LocalPoseComesBeforeTheParentWorldTextureMatricesStartAfreshPivotsComeLastAndBillboardsFaceTheCamera) {
  auto parent = std::make_shared<SceneObject>("parent");
  parent->animator().addAnimation(clipWithBase(rotate(Matrix(), 90, 0, 0, 1)));
  auto child = std::make_shared<SceneObject>("child");
  child->animator().addAnimation(clipWithBase(translate(Matrix(), 1, 0, 0)));
  parent->addChild(child);
  parent->updateTree(0, translate(Matrix(), 0, 0, 3), 0);
  // Child origin: (1, 0, 0) locally, turned onto y by the parent, then raised.
  EXPECT_TRUE(vectorNear(translation(child->worldMatrix()), Vector3(0, 1, 3)));
  auto scrolling = std::make_shared<Animation>(2, 100);
  scrolling->setTextureOffsetKeys({PositionKey(0, Vector3(0.5f, 0, 0)), PositionKey(1, Vector3(0.75f, 0, 0))});
  SceneObject object;
  object.animator().addAnimation(scrolling);
  object.update(0, Matrix(), nullptr);
  object.update(150, Matrix(), nullptr);
  EXPECT_TRUE(vectorNear(translation(object.textureMatrix()), Vector3(0.75f, 0, 0), 0));

  // A bone's pivot comes after its children saw the plain world.
  const Matrix bindPose = translate(rotate(Matrix(), 30, 0, 1, 0), 2, 3, 4);
  auto bone = std::make_shared<BoneObject>("Bip01");
  bone->animator().addAnimation(clipWithBase(bindPose));
  bone->setPivot(inverse(bindPose));
  auto hand = std::make_shared<SceneObject>("hand");
  bone->addChild(hand);
  bone->updateTree(0, Matrix(), 0);
  EXPECT_TRUE(matrixNear(bone->worldMatrix(), Matrix()));
  EXPECT_TRUE(matrixNear(hand->worldMatrix(), bindPose));

  // A billboard keeps its place; in eye space its axes are the screen's, at the view's scale.
  Camera camera;
  camera.setWorldMatrix(translate(rotate(Matrix(), 40, 0.70710678f, 0.70710678f, 0), 10, 20, 30));
  BillboardObject flash("&flash");
  flash.setWorldMatrix(multiply(scale(rotate(Matrix(), 70, 0, 0, 1), 3.0f), placedAt(5, 6, 7)));
  flash.faceViewer(camera.viewMatrix());
  EXPECT_TRUE(vectorNear(translation(flash.worldMatrix()), Vector3(5, 6, 7), 0));
  const Matrix eye = multiply(flash.worldMatrix(), camera.viewMatrix());
  EXPECT_TRUE(vectorNear(transformVector(Vector3(1, 0, 0), eye), Vector3(kViewScale, 0, 0)));
  EXPECT_TRUE(vectorNear(transformVector(Vector3(0, 1, 0), eye), Vector3(0, kViewScale, 0)));
}

std::string printedWhileBuilding(SceneObject& mesh) {
  testing::internal::CaptureStdout();
  mesh.buildMesh();
  return testing::internal::GetCapturedStdout();
}

TEST(MeshPreparation, SplitsCompareTheChainHeadOnlyBadIndicesAreNotFollowedAndNormalsAverageAcrossCornersAndSeams) {
  SceneObject mesh("Suelo");
  mesh.setVertices({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {9, 9, 9}});
  mesh.setNormals({{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 4}, {0, 0, 5}});
  mesh.setTexCoords({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}, {6, 0, 0}});
  // Vertex 0 is used with texture indices 0, 5, 0, 5: the second face makes
  // a copy (5), the third matches the head, the fourth differs from the head
  // (texture 0) and makes yet another copy (6) although copy 5 has texture 5.
  mesh.setFaces({{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {0, 1, 3}});
  mesh.setTexFaces({{0, 1, 2}, {5, 2, 3}, {0, 3, 1}, {5, 1, 3}});
  EXPECT_EQ(printedWhileBuilding(mesh), "WARNING: Objeto: Suelo vertice no usado 4\n");
  EXPECT_TRUE(mesh.faces() == (std::vector<Face>{{0, 1, 2}, {5, 2, 3}, {0, 3, 1}, {6, 1, 3}}));
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
  EXPECT_NE(printedWhileBuilding(broken).find("broken"), std::string::npos);
  EXPECT_EQ(broken.vertices().size() + broken.normals().size() + broken.texCoords().size(), 9u);
  EXPECT_TRUE(broken.faces()[1] == Face(0, 7, 2));

  // Shared corners average unit face normals; seams share their average, each in its own space.
  // Two faces folded at 90 degrees along x (the big one must not outweigh the
  // small one), a vertex no face uses and a face past the vertices.
  SceneObject fold;
  fold.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 5, 0}, {0, 0, 1}, {4, 4, 4}});
  fold.setFaces({{0, 1, 2}, {0, 3, 1}, {0, 1, 99}});
  fold.computeNormals();
  const float h = kHalfRoot2;
  EXPECT_TRUE(vectorsNear(fold.normals(), {{0, h, h}, {0, h, h}, {0, 0, 1}, {0, 1, 0}, {0, 0, 0}}));

  // Clip 0 turns the piece a quarter about z and places it at (1, 0, 0): its
  // normal (1, 0, 0) is (0, 1, 0) for the body. Both partners of its vertex take
  // the average (exactly epsilon away is no partner), turned back for the piece.
  auto body = std::make_shared<SceneObject>("body");
  body->setVertices({{1, 0, 0}, {1, 0, 0}, {5, 5, 5}, {1.5f, 0, 0}});
  body->setNormals({{1, 0, 0}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}});
  auto piece = std::make_shared<SceneObject>(";piece");
  piece->animator().addAnimation(clipWithBase(multiply(rotate(Matrix(), 90, 0, 0, 1), placedAt(1, 0, 0))));
  piece->setVertices({{0, 0, 0}});
  piece->setNormals({{1, 0, 0}});
  body->addChild(piece);
  piece->mergeSeamNormals(0.5f);
  EXPECT_TRUE(vectorsNear(body->normals(), {{h, h, 0}, {h, h, 0}, {0, 0, 1}, {0, 0, 1}}));
  EXPECT_TRUE(vectorsNear(piece->normals(), {{h, -h, 0}}));
  // Without a mesh above it nothing changes.
  SceneObject loose(";loose");
  loose.setNormals({{1, 0, 0}});
  loose.mergeSeamNormals(0.001f);
  EXPECT_TRUE(vectorsNear(loose.normals(), {{1, 0, 0}}));
}

TEST(SkinnedMesh, BindCopiesTakeTheWorldOfTheCallWeightsFillTheFirstFreeOfFourSlotsAndVertexCopiesCarryTheirs) {
  SkinnedObject skin;
  skin.setWorldMatrix(translate(Matrix(), 0, 0, 5));
  skin.setVertices({{1, 2, 3}, {0, 1, 0}, {0, 0, 1}});
  skin.setWorldMatrix(scale(Matrix(), 2, 1, 1));
  skin.setNormals({{1, 1, 0}, {0, 1, 0}, {0, 0, 1}});
  for (uint16_t bone : {2, 3, 10, 11, 12}) skin.setBoneWeight(1, bone, bone / 100.0f);
  skin.setBoneWeight(4000000000u, 1, 1.0f);
  EXPECT_EQ(skin.boneIndices(), (std::vector<int>{0, 0, 0, 0, 2, 3, 10, 11}));
  EXPECT_EQ(skin.boneWeights(), (std::vector<float>{0, 0, 0, 0, 0.02f, 0.03f, 0.1f, 0.11f}));
  // Vertex 1 is used with two texture coordinates: the build makes copy 3,
  // with its bind copies and its slots; vertex 2 has no slots. Normals go
  // through transpose(inverse(world)), not normalised.
  skin.setTexCoords({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f, 0.5f, 0}});
  skin.setFaces({{0, 1, 2}, {2, 1, 0}});
  skin.setTexFaces({{0, 1, 2}, {2, 3, 0}});
  skin.buildMesh();
  EXPECT_TRUE(skin.faces()[1] == Face(2, 3, 0));
  EXPECT_TRUE(vectorsNear(skin.bindVertices(), {{1, 2, 8}, {0, 1, 5}, {0, 0, 6}, {0, 1, 5}}));
  EXPECT_TRUE(vectorsNear(skin.bindNormals(), {{0.5f, 1, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 0}}));
  EXPECT_EQ(std::vector<float>(skin.boneWeights().begin() + 8, skin.boneWeights().end()),
            (std::vector<float>{0, 0, 0, 0, 0.02f, 0.03f, 0.1f, 0.11f}));
  skin.setFaces({{0, 0, 0}});
  skin.computeNormals();
  EXPECT_TRUE(vectorsNear(skin.bindNormals(), {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
}

TEST(SkinnedMesh, EachVertexFollowsItsWeightedBonesAndBrokenSlotsAreSkipped) {
  // Bone 0 is the skin itself, moved 3 along x (after its bind copies were
  // taken). Bone 1 is raised 10 along y, bone 2 is a quarter turn about z,
  // bone 3 stretches x by 2, bone 4 flattens z away.
  auto skin = std::make_shared<SkinnedObject>("Body");
  skin->addBone(skin.get());
  std::vector<std::shared_ptr<BoneObject>> bones;
  for (const Matrix& world : {translate(Matrix(), 0, 10, 0), rotate(Matrix(), 90, 0, 0, 1), scale(Matrix(), 2, 1, 1),
                              scale(Matrix(), 1, 1, 0)}) {
    bones.push_back(std::make_shared<BoneObject>());
    bones.back()->setWorldMatrix(world);
    skin->addBone(bones.back().get());
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
  for (uint32_t i = 0; i < std::size(vertices); ++i) {
    positions.push_back(vertices[i].vertex);
    normals.push_back(vertices[i].normal);
    for (const auto& [bone, weight] : vertices[i].slots) skin->setBoneWeight(i, bone, weight);
  }
  skin->setVertices(positions);
  skin->setNormals(normals);
  skin->setWorldMatrix(translate(Matrix(), 3, 0, 0));
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

}  // namespace
