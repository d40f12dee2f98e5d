// The scene's bookkeeping, without OpenGL: the draw order of the material
// groups, what adding a model and removing a subtree do to every list, what
// one step advances, and the order and lifetime of the blended passes'
// objects and effects (objects here log their draws instead of drawing).

#include "engine/Scene.h"

#include <gtest/gtest.h>

#include <iterator>

#include "MathExpect.h"
#include "SceneTestSupport.h"
#include "engine/Camera.h"

namespace {

std::vector<std::string> namesOf(const MaterialList& materials) {
  std::vector<std::string> names;
  for (const auto& material : materials) names.push_back(material->name());
  return names;
}

// Where a group starts, as a count of materials before it.
long positionOf(const Scene& scene, MaterialList::const_iterator start) {
  return std::distance(scene.materials().begin(), start);
}

using Names = std::vector<std::string>;

// --- Construction ------------------------------------------------------------

TEST(SceneConstructionTest, WithoutAnOpenGlContextItSaysSoAndIsStillBuilt) {
  testing::internal::CaptureStdout();
  Scene scene;
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Error al iniciar la scena. Debe iniciar antes una ventana de OpenGl");
  EXPECT_TRUE(scene.materials().empty());
  EXPECT_EQ(scene.texturedBegin(), scene.materials().end());
  EXPECT_EQ(scene.alphaBegin(), scene.materials().end());
  EXPECT_FALSE(scene.camera());
}

class SceneTest : public testing::Test {
 protected:
  void SetUp() override {
    testing::internal::CaptureStdout();  // the missing context's message
    scene = std::make_unique<Scene>();
    testing::internal::GetCapturedStdout();
  }
  std::unique_ptr<Scene> scene;
  std::shared_ptr<std::vector<std::string>> log = std::make_shared<std::vector<std::string>>();
};

// --- The order of the material groups ----------------------------------------

TEST_F(SceneTest, GroupsAreUntexturedThenOpaqueTexturedThenAlpha) {
  scene->addMaterial(untexturedMaterial("plain"));
  scene->addMaterial(texturedMaterial("opaque"));
  scene->addMaterial(alphaMaterial("glass"));
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain", "opaque", "glass"}));
  EXPECT_EQ(positionOf(*scene, scene->texturedBegin()), 1);
  EXPECT_EQ(positionOf(*scene, scene->alphaBegin()), 2);
}

TEST_F(SceneTest, GroupsKeepTheirPlaceWhateverTheOrderOfAdding) {
  scene->addMaterial(alphaMaterial("glass"));
  scene->addMaterial(texturedMaterial("opaque"));
  scene->addMaterial(untexturedMaterial("plain"));
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain", "opaque", "glass"}));
  EXPECT_EQ(positionOf(*scene, scene->texturedBegin()), 1);
  EXPECT_EQ(positionOf(*scene, scene->alphaBegin()), 2);
}

TEST_F(SceneTest, WithinAGroupTheLatestAddedComesFirst) {
  scene->addMaterial(untexturedMaterial("plain1"));
  scene->addMaterial(untexturedMaterial("plain2"));
  scene->addMaterial(texturedMaterial("opaque1"));
  scene->addMaterial(texturedMaterial("opaque2"));
  scene->addMaterial(alphaMaterial("glass1"));
  scene->addMaterial(alphaMaterial("glass2"));
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain2", "plain1", "opaque2", "opaque1", "glass2", "glass1"}));
  EXPECT_EQ(positionOf(*scene, scene->texturedBegin()), 2);
  EXPECT_EQ(positionOf(*scene, scene->alphaBegin()), 4);
}

TEST_F(SceneTest, AlphaMaterialsBeforeAnyOpaqueTexturedOneMoveBothStarts) {
  scene->addMaterial(untexturedMaterial("plain"));
  scene->addMaterial(alphaMaterial("glass1"));
  scene->addMaterial(alphaMaterial("glass2"));
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain", "glass2", "glass1"}));
  EXPECT_EQ(positionOf(*scene, scene->texturedBegin()), 1);
  EXPECT_EQ(positionOf(*scene, scene->alphaBegin()), 1);

  scene->addMaterial(texturedMaterial("opaque"));
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain", "opaque", "glass2", "glass1"}));
  EXPECT_EQ(positionOf(*scene, scene->texturedBegin()), 1);
  EXPECT_EQ(positionOf(*scene, scene->alphaBegin()), 2);
}

TEST_F(SceneTest, OnlyUntexturedMaterialsLeaveBothStartsAtTheEnd) {
  scene->addMaterial(untexturedMaterial("a"));
  scene->addMaterial(untexturedMaterial("b"));
  EXPECT_EQ(scene->texturedBegin(), scene->materials().end());
  EXPECT_EQ(scene->alphaBegin(), scene->materials().end());
}

TEST_F(SceneTest, AnAlphaMaterialsObjectsJoinTheBlendedPassAndOthersDoNot) {
  auto glass = alphaMaterial("glass");
  auto pane = objectWith<SceneObject>(glass, "pane");
  auto opaque = texturedMaterial("opaque");
  auto wall = objectWith<SceneObject>(opaque, "wall");
  scene->addMaterial(glass);
  scene->addMaterial(opaque);
  ASSERT_EQ(scene->transparentObjects().size(), 1u);
  EXPECT_EQ(scene->transparentObjects().front(), pane);
}

// --- Adding a model ------------------------------------------------------------

TEST_F(SceneTest, AModelBringsItsMaterialsFindableObjectsAndRoot) {
  auto model = std::make_shared<Model>();
  model->root = std::make_shared<AnimatedGroup>("Estadio");
  model->materials = {untexturedMaterial("grass"), untexturedMaterial("lines"), alphaMaterial("net")};
  auto camera = std::make_shared<Camera>("Camera01");
  model->root->addChild(camera);
  model->objects = {camera};
  scene->addModel(model);

  // Each material went through addMaterial in file order, so the later of two
  // untextured ones is drawn first.
  EXPECT_EQ(namesOf(scene->materials()), (Names{"lines", "grass", "net"}));
  ASSERT_EQ(scene->objects().size(), 1u);
  EXPECT_EQ(scene->objects().front(), camera);
  ASSERT_EQ(scene->entities().size(), 1u);
  EXPECT_EQ(scene->entities().front(), model->root);
}

// --- Removing a subtree -------------------------------------------------------

TEST_F(SceneTest, ARemovedObjectLeavesItsParentAndItsMaterial) {
  auto root = std::make_shared<AnimatedGroup>("root");
  auto plain = untexturedMaterial("plain");
  auto kept = objectWith<SceneObject>(plain, "kept");
  auto gone = objectWith<SceneObject>(plain, "gone");
  root->addChild(kept);
  root->addChild(gone);
  scene->addMaterial(plain);
  scene->addEntity(root);

  scene->remove(gone);
  EXPECT_EQ(gone->parent(), nullptr);
  ASSERT_EQ(root->children().size(), 1u);
  EXPECT_EQ(root->children().front(), kept);
  ASSERT_EQ(plain->objectCount(), 1u);
  EXPECT_EQ(plain->objects()->front(), kept);
  // The material still has an object, so it stays.
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain"}));
}

TEST_F(SceneTest, AMaterialLeftWithoutObjectsLeavesAndTheGroupStartsAreFoundAgain) {
  auto plain = untexturedMaterial("plain");
  auto opaque = texturedMaterial("opaque");
  auto glass = alphaMaterial("glass");
  auto ground = objectWith<SceneObject>(plain, "ground");
  auto wall = objectWith<SceneObject>(opaque, "wall");
  auto pane = objectWith<SceneObject>(glass, "pane");
  scene->addMaterial(plain);
  scene->addMaterial(opaque);
  scene->addMaterial(glass);

  scene->remove(wall);
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain", "glass"}));
  EXPECT_EQ(positionOf(*scene, scene->texturedBegin()), 1);
  EXPECT_EQ(positionOf(*scene, scene->alphaBegin()), 1);

  scene->remove(pane);
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain"}));
  EXPECT_EQ(scene->texturedBegin(), scene->materials().end());
  EXPECT_EQ(scene->alphaBegin(), scene->materials().end());
  EXPECT_TRUE(scene->transparentObjects().empty());

  scene->remove(ground);
  EXPECT_TRUE(scene->materials().empty());
}

TEST_F(SceneTest, RemovingTheFirstMaterialOfAGroupKeepsTheOtherGroupsInPlace) {
  auto plain = untexturedMaterial("plain");
  auto opaque1 = texturedMaterial("opaque1");
  auto opaque2 = texturedMaterial("opaque2");
  auto glass = alphaMaterial("glass");
  auto ground = objectWith<SceneObject>(plain, "ground");
  auto wall1 = objectWith<SceneObject>(opaque1, "wall1");
  auto wall2 = objectWith<SceneObject>(opaque2, "wall2");
  auto pane = objectWith<SceneObject>(glass, "pane");
  for (const auto& material : {plain, opaque1, opaque2, glass}) scene->addMaterial(material);
  ASSERT_EQ(namesOf(scene->materials()), (Names{"plain", "opaque2", "opaque1", "glass"}));

  scene->remove(wall2);
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain", "opaque1", "glass"}));
  EXPECT_EQ(positionOf(*scene, scene->texturedBegin()), 1);
  EXPECT_EQ(positionOf(*scene, scene->alphaBegin()), 2);
}

TEST_F(SceneTest, ARemovedObjectOfASharedAlphaMaterialIsNoLongerDrawnBlended) {
  auto glass = alphaMaterial("glass");
  auto pane1 = objectWith<LoggingObject>(glass, "pane1", log);
  auto pane2 = objectWith<LoggingObject>(glass, "pane2", log);
  scene->addMaterial(glass);
  ASSERT_EQ(scene->transparentObjects().size(), 2u);

  scene->remove(pane1);
  EXPECT_EQ(namesOf(scene->materials()), (Names{"glass"}));
  ASSERT_EQ(scene->transparentObjects().size(), 1u);
  scene->render(Matrix());
  EXPECT_EQ(*log, (Names{"pane2"}));
}

TEST_F(SceneTest, RemovingASubtreeEmptiesItAndEveryMaterialOfIt) {
  auto model = std::make_shared<Model>();
  model->root = std::make_shared<AnimatedGroup>("Intro");
  auto body = untexturedMaterial("body");
  auto glass = alphaMaterial("glass");
  auto holder = objectWith<SceneObject>(body, "TennisPlayerHolder[0]");
  auto arm = objectWith<SceneObject>(body, "arm");
  auto hand = objectWith<SceneObject>(glass, "hand");
  auto introCamera = std::make_shared<Camera>("CameraIntro");
  model->root->addChild(holder);
  holder->addChild(arm);
  arm->addChild(hand);
  model->root->addChild(introCamera);
  model->materials = {body, glass};
  model->objects = {introCamera};
  scene->addModel(model);

  scene->remove(model->root);
  EXPECT_TRUE(model->root->children().empty());
  EXPECT_TRUE(holder->children().empty());
  EXPECT_TRUE(arm->children().empty());
  EXPECT_EQ(hand->parent(), nullptr);
  EXPECT_TRUE(scene->materials().empty());
  EXPECT_TRUE(scene->transparentObjects().empty());
  EXPECT_TRUE(scene->objects().empty());  // the camera left the findable objects
  EXPECT_TRUE(scene->entities().empty());  // and the root is no longer updated
}

TEST_F(SceneTest, ARemovedCameraLeavesTheObjectsButOtherObjectsStay) {
  auto root = std::make_shared<AnimatedGroup>("root");
  auto camera = std::make_shared<Camera>("Camera01");
  auto plain = untexturedMaterial("plain");
  auto marker = objectWith<SceneObject>(plain, "marker");
  root->addChild(camera);
  root->addChild(marker);
  scene->addObject(camera);
  scene->addObject(marker);
  scene->addMaterial(plain);

  scene->remove(camera);
  scene->remove(marker);
  ASSERT_EQ(scene->objects().size(), 1u);
  EXPECT_EQ(scene->objects().front(), marker);
  EXPECT_TRUE(scene->materials().empty());

  // Parentless now, the object is updated on its own with the step.
  auto recorder = std::make_shared<StepRecordingObject>("recorder");
  root->addChild(recorder);
  scene->addObject(recorder);
  scene->update(16);
  EXPECT_TRUE(recorder->times.empty());
  scene->remove(recorder);
  scene->update(16);
  EXPECT_EQ(recorder->times, (std::vector<uint32_t>{16}));
}

TEST_F(SceneTest, ANodeOwnedOnlyByItsParentSurvivesItsOwnRemoval) {
  auto root = std::make_shared<AnimatedGroup>("root");
  auto plain = untexturedMaterial("plain");
  root->addChild(objectWith<SceneObject>(plain, "only"));
  std::weak_ptr<SceneNode> watched = root->children().front();
  root->children().front()->addChild(objectWith<SceneObject>(plain, "child"));
  scene->addMaterial(plain);

  // The argument is the parent's own list entry, which the removal erases.
  scene->remove(root->children().front());
  EXPECT_TRUE(root->children().empty());
  EXPECT_TRUE(watched.expired());
  EXPECT_TRUE(scene->materials().empty());
}

// --- One step --------------------------------------------------------------------

TEST_F(SceneTest, AStepAdvancesRootsLoneObjectsEffectsAndOverlays) {
  auto root = std::make_shared<AnimatedGroup>("root");
  root->setTransform(placedAt(5, 0, 0));
  auto child = std::make_shared<StepRecordingObject>("child");
  root->addChild(child);
  scene->addEntity(root);
  auto lone = std::make_shared<StepRecordingObject>("lone");
  scene->addObject(lone);
  auto overlay = std::make_shared<CountingOverlay>();
  scene->addOverlay(overlay);
  scene->addEffectTemplate(std::make_shared<Model>());
  scene->spawnEffect(0, Matrix());

  scene->update(16);
  scene->update(16);
  EXPECT_EQ(root->clockMs(), 32u);
  // Below a root: the root's clock and its transform.
  EXPECT_EQ(child->times, (std::vector<uint32_t>{16, 32}));
  EXPECT_TRUE(matrixNear(child->parentWorlds.back(), placedAt(5, 0, 0)));
  // Alone: the step itself, from the identity.
  EXPECT_EQ(lone->times, (std::vector<uint32_t>{16, 16}));
  EXPECT_TRUE(matrixNear(lone->parentWorlds.back(), Matrix()));
  EXPECT_EQ(scene->effects().front().timeMs, 32u);
  EXPECT_EQ(overlay->steps, (std::vector<uint32_t>{16, 16}));
}

// An entity that adds another root to the scene during its own update, as a
// game entity may spawn one.
class SpawningGroup : public AnimatedGroup {
 public:
  SpawningGroup(Scene& scene) : AnimatedGroup("spawner"), scene(scene) {}
  void update(uint32_t, const Matrix&, uint32_t*) override {
    if (!spawned) scene.addEntity(spawned = std::make_shared<AnimatedGroup>("spawned"));
  }
  std::shared_ptr<AnimatedGroup> spawned;

 private:
  Scene& scene;
};

TEST_F(SceneTest, RootsAddedDuringAStepAreUpdatedFromTheNextStep) {
  auto spawner = std::make_shared<SpawningGroup>(*scene);
  scene->addEntity(spawner);
  scene->update(16);
  ASSERT_TRUE(spawner->spawned);
  EXPECT_EQ(spawner->spawned->clockMs(), 0u);
  scene->update(16);
  EXPECT_EQ(spawner->spawned->clockMs(), 16u);
}

// --- Cameras by name --------------------------------------------------------------

TEST_F(SceneTest, SetCameraTakesTheFirstCameraOfThatNameAndKeepsItForUnknownNames) {
  auto first = std::make_shared<Camera>("Camera01");
  auto second = std::make_shared<Camera>("Camera01");
  auto other = std::make_shared<Camera>("Camera0");
  scene->addObject(first);
  scene->addObject(second);
  scene->addObject(other);

  scene->setCamera("Camera01");
  EXPECT_EQ(scene->camera(), first);
  scene->setCamera("Camera0");
  EXPECT_EQ(scene->camera(), other);
  scene->setCamera("CameraIntro");
  EXPECT_EQ(scene->camera(), other);
  // Same bytes and same length: a prefix is not a match.
  scene->setCamera("Camera");
  EXPECT_EQ(scene->camera(), other);
}

TEST_F(SceneTest, AnObjectThatIsNotACameraIsNeverLookedThrough) {
  auto decoy = std::make_shared<SceneObject>("Camera01");
  auto camera = std::make_shared<Camera>("Camera01");
  scene->addObject(decoy);
  scene->addObject(camera);
  scene->setCamera("Camera01");
  EXPECT_EQ(scene->camera(), camera);
}

// --- Draw order of the blended passes ---------------------------------------------

TEST_F(SceneTest, TransparentObjectsAreDrawnFarthestFirstWhateverTheirInsertionOrder) {
  auto glass = alphaMaterial("glass");
  auto nearPane = objectWith<LoggingObject>(glass, "near", log);
  auto farPane = objectWith<LoggingObject>(glass, "far", log);
  auto middlePane = objectWith<LoggingObject>(glass, "middle", log);
  nearPane->setWorldMatrix(placedAt(0, 0, -100));
  farPane->setWorldMatrix(placedAt(0, 0, -300));
  middlePane->setWorldMatrix(placedAt(0, 0, -200));
  scene->addMaterial(glass);

  scene->render(Matrix());
  EXPECT_EQ(*log, (Names{"far", "middle", "near"}));
  // Sorting does not move anything.
  EXPECT_TRUE(matrixNear(nearPane->worldMatrix(), placedAt(0, 0, -100)));
  EXPECT_TRUE(matrixNear(farPane->worldMatrix(), placedAt(0, 0, -300)));
}

TEST_F(SceneTest, TransparentDepthIsMeasuredFromTheCamera) {
  auto glass = alphaMaterial("glass");
  auto a = objectWith<LoggingObject>(glass, "a", log);
  auto b = objectWith<LoggingObject>(glass, "b", log);
  a->setWorldMatrix(placedAt(0, 0, -100));
  b->setWorldMatrix(placedAt(0, 0, -300));
  scene->addMaterial(glass);

  // A camera at z = -400 looking back along +z sees b nearer than a.
  auto camera = std::make_shared<Camera>("back");
  camera->setWorldMatrix(multiply(rotate(Matrix(), 180, 0, 1, 0), placedAt(0, 0, -400)));
  scene->render(camera->viewMatrix());
  EXPECT_EQ(*log, (Names{"a", "b"}));
}

// An effect template: a root with one clip of `clipMs` and one object of
// one material.
std::shared_ptr<Model> effectModel(uint32_t clipMs, std::shared_ptr<SceneObject>& object,
                                   const std::shared_ptr<std::vector<std::string>>& log, const std::string& name) {
  auto model = std::make_shared<Model>();
  model->root = std::make_shared<AnimatedGroup>(name);
  model->root->addAnimation(clipMs);
  model->materials = {alphaMaterial(name)};
  object = objectWith<LoggingObject>(model->materials.front(), name, log);
  model->root->addChild(object);
  return model;
}

TEST_F(SceneTest, AnEffectIsDrawnUntilItsClipHasRunOnceAndThenRemovedUndrawn) {
  std::shared_ptr<SceneObject> flash;
  const uint32_t index = scene->addEffectTemplate(effectModel(500, flash, log, "zas"));
  EXPECT_EQ(index, 0u);
  scene->spawnEffect(index, placedAt(0, 0, -50));

  int frames = 0;
  for (; frames < 100 && !scene->effects().empty(); ++frames) {
    scene->update(100);
    const size_t before = log->size();
    scene->render(Matrix());
    const bool drawn = log->size() > before;
    // Drawn at 100, 200 ... 500 ms; at 600 ms the clip has run once.
    EXPECT_EQ(drawn, scene->effects().size() == 1) << "frame " << frames;
  }
  EXPECT_EQ(frames, 6);
  EXPECT_EQ(log->size(), 5u);
  EXPECT_TRUE(scene->effects().empty());
}

TEST_F(SceneTest, AnEffectIsDrawnAtItsPlacementWithTheTemplatesClockAtItsAge) {
  std::shared_ptr<SceneObject> dust;
  auto model = effectModel(500, dust, log, "polvo");
  scene->addEffectTemplate(model);
  scene->spawnEffect(0, placedAt(10, 0, -50));
  scene->update(16);
  scene->update(16);
  const Matrix view = scale(Matrix(), 0.1f);
  scene->render(view);
  ASSERT_EQ(log->size(), 1u);
  EXPECT_TRUE(matrixNear(static_cast<LoggingObject&>(*dust).lastView, multiply(placedAt(10, 0, -50), view)));
  EXPECT_EQ(model->root->clockMs(), 32u);
}

TEST_F(SceneTest, EffectsAreDrawnFarthestFirstAndEachEndsByItsOwnAge) {
  std::shared_ptr<SceneObject> nearObject, farObject;
  const uint32_t nearTemplate = scene->addEffectTemplate(effectModel(300, nearObject, log, "near"));
  const uint32_t farTemplate = scene->addEffectTemplate(effectModel(300, farObject, log, "far"));
  EXPECT_EQ(farTemplate, 1u);
  scene->spawnEffect(nearTemplate, placedAt(0, 0, -10));
  scene->update(200);
  scene->spawnEffect(farTemplate, placedAt(0, 0, -90));
  scene->update(100);
  scene->render(Matrix());
  EXPECT_EQ(*log, (Names{"far", "near"}));

  // The first one is now 400 ms old, past its clip; the second is 200.
  log->clear();
  scene->update(100);
  scene->render(Matrix());
  EXPECT_EQ(*log, (Names{"far"}));
  EXPECT_EQ(scene->effects().size(), 1u);
}

TEST_F(SceneTest, AnEffectOfAMissingOrEmptyTemplateGoesWithoutHarm) {
  scene->spawnEffect(7, Matrix());  // no template 7
  scene->addEffectTemplate(std::make_shared<Model>());  // no root, nothing to time it
  scene->spawnEffect(0, Matrix());
  auto bare = std::make_shared<Model>();
  bare->root = std::make_shared<AnimatedGroup>("bare");
  bare->root->addAnimation(100);
  scene->spawnEffect(scene->addEffectTemplate(bare), Matrix());  // no material to draw

  scene->update(16);
  scene->render(Matrix());
  EXPECT_EQ(scene->effects().size(), 1u);
  scene->update(100);
  scene->render(Matrix());
  EXPECT_TRUE(scene->effects().empty());
}

TEST_F(SceneTest, OverlaysAreDrawnInTheOrderAdded) {
  struct Named : Overlay {
    Named(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}
    void draw2D() override { log.push_back(name); }
    void update(uint32_t) override {}
    std::string name;
    std::vector<std::string>& log;
  };
  scene->addOverlay(std::make_shared<Named>("scoreboard", *log));
  scene->addOverlay(std::make_shared<Named>("fade", *log));
  scene->addOverlay(std::make_shared<Named>("menu", *log));
  scene->draw();
  EXPECT_EQ(*log, (Names{"scoreboard", "fade", "menu"}));
}

}  // namespace
