// The scene tree: ownership links, lookup by name, and how a model root's
// clock and clip reach every mesh below it.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "MathExpect.h"
#include "engine/AnimatedGroup.h"
#include "engine/SceneNode.h"
#include "engine/SceneObject.h"

namespace {
// Remembers what its updateTree received.
class RecordingEntity : public SceneEntity {
 public:
  using SceneEntity::SceneEntity;
  const Matrix& worldMatrix() const override { return seenWorld; }
  void update(uint32_t, const Matrix&, uint32_t*) override {}
  void updateTree(uint32_t timeMs, const Matrix& parentWorld, uint32_t animationIndex) override {
    times.push_back(timeMs);
    clips.push_back(animationIndex);
    seenWorld = parentWorld;
  }
  std::vector<uint32_t> times;
  std::vector<uint32_t> clips;
  Matrix seenWorld;
};

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

TEST(SceneNodeFind, PrefersADeeperEarlierMatchOverALaterChild) {
  auto root = node("root");
  auto first = node("first");
  auto grandchild = node("target");
  auto later = node("target");
  root->addChild(first);
  first->addChild(grandchild);
  root->addChild(later);
  EXPECT_EQ(root->findNode("target"), grandchild);
  EXPECT_EQ(first->findNode("target"), grandchild);
}

TEST(SceneNodeFind, NeverReturnsTheNodeItStartsFrom) {
  auto root = node("Pelota");
  root->addChild(node("Sombra"));
  EXPECT_EQ(root->findNode("Pelota"), nullptr);
  EXPECT_EQ(root->findNode("Missing"), nullptr);
}

TEST(SceneNodeFind, ComparesWholeNamesByteForByte) {
  auto root = node("root");
  auto child = node("Camera01");
  root->addChild(child);
  EXPECT_EQ(root->findNode("Camera0"), nullptr);
  EXPECT_EQ(root->findNode("camera01"), nullptr);
  EXPECT_EQ(root->findNode("Camera01"), child);
  const std::string withNul("A\0B", 3);
  auto odd = node(withNul);
  root->addChild(odd);
  EXPECT_EQ(root->findNode("A"), nullptr);
  EXPECT_EQ(root->findNode(withNul), odd);
}

TEST(SceneNodeLinks, AddChildSetsTheParentAndKeepsOrder) {
  auto root = node("root");
  auto a = node("a");
  auto b = node("b");
  root->addChild(a);
  root->addChild(b);
  EXPECT_EQ(a->parent(), root.get());
  ASSERT_EQ(root->children().size(), 2u);
  EXPECT_EQ(root->children().front(), a);
  EXPECT_EQ(root->children().back(), b);
}

TEST(SceneNodeLinks, RemoveChildUnlinksOnlyThatChild) {
  auto root = node("root");
  auto a = node("a");
  auto b = node("b");
  auto stranger = node("stranger");
  root->addChild(a);
  root->addChild(b);
  root->removeChild(stranger.get());
  EXPECT_EQ(root->children().size(), 2u);
  root->removeChild(a.get());
  ASSERT_EQ(root->children().size(), 1u);
  EXPECT_EQ(root->children().front(), b);
  EXPECT_EQ(a->parent(), nullptr);
  EXPECT_EQ(b->parent(), root.get());
}

TEST(SceneNodeLinks, DestroyedParentClearsTheLinksOfSurvivingChildren) {
  auto child = node("child");
  {
    auto root = node("root");
    root->addChild(child);
    EXPECT_EQ(child->parent(), root.get());
  }
  EXPECT_EQ(child->parent(), nullptr);
}

TEST(AnimatedGroupClips, SetAnimationIgnoresClipsThatDoNotExist) {
  AnimatedGroup group;
  group.addAnimation(960);
  group.addAnimation(500);
  EXPECT_EQ(group.animationCount(), 2u);
  group.setAnimation(1);
  EXPECT_EQ(group.currentAnimation(), 1u);
  group.setAnimation(2);
  EXPECT_EQ(group.currentAnimation(), 1u);
}

TEST(AnimatedGroupClips, TimeBeyondEndCountsWholePlays) {
  AnimatedGroup group;
  group.addAnimation(500);
  group.updateTree(300, Matrix(), 0);
  EXPECT_EQ(group.timeBeyondEnd(1), -200);
  group.updateTree(300, Matrix(), 0);
  EXPECT_EQ(group.timeBeyondEnd(1), 100);
  EXPECT_EQ(group.timeBeyondEnd(2), -400);
  group.resetClock();
  EXPECT_EQ(group.clockMs(), 0u);
  EXPECT_EQ(group.timeBeyondEnd(1), -500);
}

TEST(AnimatedGroupClips, GroupWithoutClipsCountsZeroLength) {
  AnimatedGroup group;
  group.updateTree(16, Matrix(), 0);
  EXPECT_EQ(group.timeBeyondEnd(3), 16);
}

TEST(AnimatedGroupUpdate, ChildrenGetTheAccumulatedClockTheClipAndTheOwnTransform) {
  auto group = std::make_shared<MovingGroup>();
  group->addAnimation(100);
  group->addAnimation(100);
  group->setAnimation(1);
  auto child = std::make_shared<RecordingEntity>("child");
  group->addChild(child);
  group->addChild(node("plain node"));
  const Matrix elsewhere = translate(Matrix(), 0, 50, 0);
  group->updateTree(16, elsewhere, 0);
  group->updateTree(16, elsewhere, 0);
  EXPECT_EQ(group->steps, (std::vector<uint32_t>{16, 16}));
  EXPECT_EQ(child->times, (std::vector<uint32_t>{16, 32}));
  EXPECT_EQ(child->clips, (std::vector<uint32_t>{1, 1}));
  // The group's transform is absolute: the world handed in is not combined.
  EXPECT_TRUE(vectorNear(translation(child->seenWorld), Vector3(2, 0, 0), 0.0f));
}

TEST(SceneObjectUpdate, LocalPoseComesFirstThenTheParentWorld) {
  auto parentClip = std::make_shared<Animation>(1, 32);
  parentClip->setMatrix(rotate(Matrix(), 90, 0, 0, 1));
  auto childClip = std::make_shared<Animation>(1, 32);
  childClip->setMatrix(translate(Matrix(), 1, 0, 0));
  auto parent = std::make_shared<SceneObject>("parent");
  parent->animator().addAnimation(parentClip);
  auto child = std::make_shared<SceneObject>("child");
  child->animator().addAnimation(childClip);
  parent->addChild(child);

  parent->updateTree(0, translate(Matrix(), 0, 0, 3), 0);
  // Child origin: (1, 0, 0) locally, turned onto y by the parent, then raised.
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(), child->worldMatrix()), Vector3(0, 1, 3)));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(1, 0, 0), parent->worldMatrix()), Vector3(0, 1, 3)));
}

TEST(SceneObjectUpdate, TextureMatrixIsResetEveryUpdate) {
  auto clip = std::make_shared<Animation>(2, 100);
  PositionKeys offsets;
  offsets.push_back(std::make_shared<PositionKey>(0, Vector3(0.5f, 0, 0)));
  offsets.push_back(std::make_shared<PositionKey>(1, Vector3(0.75f, 0, 0)));
  clip->setTextureOffsetKeys(offsets);
  SceneObject object;
  object.animator().addAnimation(clip);
  object.update(0, Matrix(), nullptr);
  object.update(150, Matrix(), nullptr);
  EXPECT_TRUE(vectorNear(translation(object.textureMatrix()), Vector3(0.75f, 0, 0), 0.0f));
}
