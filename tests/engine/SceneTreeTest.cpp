// The scene tree: ownership links, lookup by name, and how a model root's
// clock and clip reach every mesh below it.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "MathExpect.h"
#include "SceneTestSupport.h"
#include "engine/AnimatedGroup.h"
#include "engine/SceneNode.h"
#include "engine/SceneObject.h"

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
}  // namespace

TEST(SceneNodeFind, IsPreOrderByWholeNamesAndNeverReturnsTheStartingNode) {
  auto root = node("Pelota");
  auto first = node("first");
  auto grandchild = node("Camera01");
  auto later = node("Camera01");
  root->addChild(first);
  first->addChild(grandchild);
  root->addChild(later);
  EXPECT_EQ(root->findNode("Camera01"), grandchild);
  EXPECT_EQ(root->findNode("Pelota"), nullptr);
  EXPECT_EQ(root->findNode("Camera0"), nullptr);
  EXPECT_EQ(root->findNode("camera01"), nullptr);
  const std::string withNul("A\0B", 3);
  auto odd = node(withNul);
  root->addChild(odd);
  EXPECT_EQ(root->findNode("A"), nullptr);
  EXPECT_EQ(root->findNode(withNul), odd);
}

TEST(SceneNodeLinks, ChildrenKeepOrderAndParentLinksThroughAddRemoveAndTheParentsEnd) {
  auto root = node("root");
  auto a = node("a");
  auto b = node("b");
  root->addChild(a);
  root->addChild(b);
  EXPECT_EQ(a->parent(), root.get());
  ASSERT_EQ(root->children().size(), 2u);
  EXPECT_EQ(root->children().front(), a);
  root->removeChild(node("stranger").get());
  EXPECT_EQ(root->children().size(), 2u);
  root->removeChild(a.get());
  ASSERT_EQ(root->children().size(), 1u);
  EXPECT_EQ(root->children().front(), b);
  EXPECT_EQ(a->parent(), nullptr);
  root.reset();
  EXPECT_EQ(b->parent(), nullptr);
}

TEST(AnimatedGroupClips, IgnoresMissingClipsAndCountsWholePlays) {
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

TEST(AnimatedGroupUpdate, ChildrenGetTheAccumulatedClockTheClipAndTheOwnTransformAfterTheGroupsUpdate) {
  auto group = std::make_shared<MovingGroup>();
  group->addAnimation(100);
  group->addAnimation(100);
  group->setAnimation(1);
  // Clip 1 lifts the child 7 along z; clip 0 would move it 100 along x.
  auto child = std::make_shared<StepRecordingObject>("child");
  child->animator().addAnimation(clipWithBase(translate(Matrix(), 100, 0, 0)));
  child->animator().addAnimation(clipWithBase(translate(Matrix(), 0, 0, 7)));
  group->addChild(child);
  group->addChild(node("plain node"));
  const Matrix elsewhere = translate(Matrix(), 0, 50, 0);
  // Past the 100 ms blend from the pose before the clip change.
  group->updateTree(200, elsewhere, 0);
  group->updateTree(200, elsewhere, 0);
  EXPECT_EQ(group->steps, (std::vector<uint32_t>{200, 200}));
  EXPECT_EQ(child->times, (std::vector<uint32_t>{200, 400}));
  // The group's transform is absolute: the world handed in is not combined.
  EXPECT_TRUE(vectorNear(translation(child->parentWorlds.back()), Vector3(2, 0, 0), 0.0f));
  EXPECT_TRUE(vectorNear(translation(child->worldMatrix()), Vector3(2, 0, 7), 0.0f));
}

TEST(SceneObjectUpdate, LocalPoseComesFirstThenTheParentWorldAndTheTextureMatrixStartsAfresh) {
  auto parent = std::make_shared<SceneObject>("parent");
  parent->animator().addAnimation(clipWithBase(rotate(Matrix(), 90, 0, 0, 1)));
  auto child = std::make_shared<SceneObject>("child");
  child->animator().addAnimation(clipWithBase(translate(Matrix(), 1, 0, 0)));
  parent->addChild(child);
  parent->updateTree(0, translate(Matrix(), 0, 0, 3), 0);
  // Child origin: (1, 0, 0) locally, turned onto y by the parent, then raised.
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(), child->worldMatrix()), Vector3(0, 1, 3)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 0, 0), parent->worldMatrix()), Vector3(0, 1, 3)));

  auto scrolling = std::make_shared<Animation>(2, 100);
  scrolling->setTextureOffsetKeys({PositionKey(0, Vector3(0.5f, 0, 0)), PositionKey(1, Vector3(0.75f, 0, 0))});
  SceneObject object;
  object.animator().addAnimation(scrolling);
  object.update(0, Matrix(), nullptr);
  object.update(150, Matrix(), nullptr);
  EXPECT_TRUE(vectorNear(translation(object.textureMatrix()), Vector3(0.75f, 0, 0), 0.0f));
}
