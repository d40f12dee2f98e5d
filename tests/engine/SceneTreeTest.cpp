// The scene tree: ownership links, lookup by name, how a model root's clock
// and clip reach every mesh below it, the kinds of object beyond the plain
// mesh (bones, billboards) and the material's list of its meshes.

#include <gtest/gtest.h>

#include "MathExpect.h"
#include "SceneTestSupport.h"
#include "engine/BillboardObject.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"

namespace {
// A group whose own update moves it, as the game's entities do.
class MovingGroup : public AnimatedGroup {
 public:
  void update(uint32_t timeMs, const Matrix&, uint32_t*) override {
    steps.push_back(timeMs);
    setTransform(translate(transform(), 1, 0, 0));
  }
  std::vector<uint32_t> steps;
};

std::shared_ptr<SceneNode> node(const std::string& name) { return std::make_shared<SceneNode>(name); }

TEST(SceneNodeTest, FindIsPreOrderByWholeNamesAndLinksFollowAddRemoveAndTheParentsEnd) {
  auto root = node("Pelota");
  auto first = node("first");
  auto grandchild = node("Camera01");
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
}

TEST(AnimatedGroupTest, IgnoresMissingClipsAndCountsWholePlays) {
  AnimatedGroup group;
  group.addAnimation(500);
  group.addAnimation(960);
  group.setAnimation(2);
  EXPECT_EQ(group.currentAnimation(), 0u);
  group.updateTree(300, Matrix(), 0);
  EXPECT_EQ(group.timeBeyondEnd(1), -200);
  group.updateTree(300, Matrix(), 0);
  EXPECT_EQ(group.timeBeyondEnd(1), 100);
  EXPECT_EQ(group.timeBeyondEnd(2), -400);
  group.setAnimation(1);
  EXPECT_EQ(group.timeBeyondEnd(1), -360);
  group.resetClock();
  EXPECT_EQ(group.timeBeyondEnd(1), -960);
  AnimatedGroup noClips;
  noClips.updateTree(16, Matrix(), 0);
  EXPECT_EQ(noClips.timeBeyondEnd(3), 16);
}

TEST(AnimatedGroupTest, ChildrenGetTheAccumulatedClockTheClipAndTheOwnTransformAfterTheGroupsUpdate) {
  auto group = std::make_shared<MovingGroup>();
  group->addAnimation(100);
  group->addAnimation(100);
  group->setAnimation(1);
  // Clip 1 lifts the child 7 along z; clip 0 would move it 100 along x.
  auto child = std::make_shared<LoggingObject>("child");
  child->animator().addAnimation(clipWithBase(translate(Matrix(), 100, 0, 0)));
  child->animator().addAnimation(clipWithBase(translate(Matrix(), 0, 0, 7)));
  group->addChild(child);
  group->addChild(node("plain node"));
  // Past the 100 ms blend from the pose before the clip change.
  group->updateTree(200, translate(Matrix(), 0, 50, 0), 0);
  group->updateTree(200, translate(Matrix(), 0, 50, 0), 0);
  EXPECT_EQ(group->steps, (std::vector<uint32_t>{200, 200}));
  EXPECT_EQ(child->times, (std::vector<uint32_t>{200, 400}));
  // The group's transform is absolute: the world handed in is not combined.
  EXPECT_TRUE(vectorNear(translation(child->parentWorlds.back()), Vector3(2, 0, 0), 0));
  EXPECT_TRUE(vectorNear(translation(child->worldMatrix()), Vector3(2, 0, 7), 0));
}

TEST(SceneObjectTest, LocalPoseComesFirstThenTheParentWorldAndTheTextureMatrixStartsAfresh) {
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
}

TEST(SceneObjectTest, ABonesPivotComesAfterItsChildrenSawThePlainWorld) {
  const Matrix bindPose = translate(rotate(Matrix(), 30, 0, 1, 0), 2, 3, 4);
  auto bone = std::make_shared<BoneObject>("Bip01");
  bone->animator().addAnimation(clipWithBase(bindPose));
  bone->setPivot(inverse(bindPose));
  auto child = std::make_shared<SceneObject>("hand");
  bone->addChild(child);
  bone->updateTree(0, Matrix(), 0);
  EXPECT_TRUE(matrixNear(bone->worldMatrix(), Matrix()));
  EXPECT_TRUE(matrixNear(child->worldMatrix(), bindPose));
}

TEST(SceneObjectTest, ABillboardKeepsItsPlaceAndShowsItsPlaneToTheCamera) {
  Camera camera;
  camera.setWorldMatrix(translate(rotate(Matrix(), 40, 0.70710678f, 0.70710678f, 0), 10, 20, 30));
  BillboardObject flash("&flash");
  flash.setWorldMatrix(translate(scale(rotate(Matrix(), 70, 0, 0, 1), 3.0f), 5, 6, 7));
  const Vector3 position = translation(flash.worldMatrix());
  flash.faceViewer(camera.viewMatrix());
  EXPECT_TRUE(vectorNear(translation(flash.worldMatrix()), position, 0));
  // In eye space the billboard's axes are the screen's, at the view's scale.
  const Matrix eye = multiply(flash.worldMatrix(), camera.viewMatrix());
  EXPECT_TRUE(vectorNear(transformVector(Vector3(1, 0, 0), eye), Vector3(kViewScale, 0, 0)));
  EXPECT_TRUE(vectorNear(transformVector(Vector3(0, 1, 0), eye), Vector3(0, kViewScale, 0)));
}

TEST(MaterialTest, AddAndRemoveKeepOrderWithoutKeepingEachOtherAlive) {
  auto material = std::make_shared<Material>(3);
  auto a = objectWith(material, "a");
  auto b = objectWith(material, "b");
  auto c = objectWith(material, "c");
  material->removeObject(b.get());
  material->removeObject(b.get());
  EXPECT_EQ(*material->objects(), (std::list<std::shared_ptr<SceneObject>>{a, c}));
  // Grey until coloured.
  EXPECT_TRUE(allNear<4>({material->ambient().x, material->diffuse().y, material->specular().z,
                          float(material->shaderProgram())}, {0.7f, 0.7f, 0.7f, 3}, 0));
  // The mesh holds its material, the material lists the mesh: no cycle.
  std::weak_ptr<SceneObject> meshLink = a;
  std::weak_ptr<Material> materialLink = material;
  material.reset();
  EXPECT_FALSE(materialLink.expired());
  a.reset();
  b.reset();
  c.reset();
  EXPECT_TRUE(meshLink.expired());
  EXPECT_TRUE(materialLink.expired());
}

}  // namespace
