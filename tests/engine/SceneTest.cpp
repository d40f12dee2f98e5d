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

using Names = std::vector<std::string>;

Names namesOf(const MaterialList& materials) {
  Names names;
  for (const auto& material : materials) names.push_back(material->name());
  return names;
}

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
  void SetUp() override { freshScene(); }
  void freshScene() {
    testing::internal::CaptureStdout();  // the missing context's message
    scene = std::make_unique<Scene>();
    testing::internal::GetCapturedStdout();
  }
  // Where the opaque textured and the alpha groups start, as counts of
  // materials before them.
  std::pair<long, long> groupStarts() const {
    return {std::distance(scene->materials().begin(), scene->texturedBegin()),
            std::distance(scene->materials().begin(), scene->alphaBegin())};
  }

  std::unique_ptr<Scene> scene;
  std::shared_ptr<std::vector<std::string>> log = std::make_shared<std::vector<std::string>>();
};

// --- The order of the material groups ----------------------------------------

TEST_F(SceneTest, GroupsAreUntexturedThenOpaqueTexturedThenAlphaWithTheLatestAddedFirst) {
  // Names say the kind: p plain, o opaque textured, g alpha ("glass").
  const struct {
    Names added, order;
    long texturedBegin, alphaBegin;
  } cases[] = {
      {{"p", "o", "g"}, {"p", "o", "g"}, 1, 2},
      {{"g", "o", "p"}, {"p", "o", "g"}, 1, 2},
      {{"p1", "p2", "o1", "o2", "g1", "g2"}, {"p2", "p1", "o2", "o1", "g2", "g1"}, 2, 4},
      // Alpha materials before any opaque textured one move both starts.
      {{"p", "g1", "g2"}, {"p", "g2", "g1"}, 1, 1},
      {{"p", "g1", "g2", "o"}, {"p", "o", "g2", "g1"}, 1, 2},
      {{"p1", "p2"}, {"p2", "p1"}, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.added));
    freshScene();
    for (const std::string& name : c.added) {
      scene->addMaterial(name[0] == 'p'   ? untexturedMaterial(name)
                         : name[0] == 'o' ? texturedMaterial(name)
                                          : alphaMaterial(name));
    }
    EXPECT_EQ(namesOf(scene->materials()), c.order);
    EXPECT_EQ(groupStarts(), std::make_pair(c.texturedBegin, c.alphaBegin));
  }
}

TEST_F(SceneTest, AModelBringsItsMaterialsInFileOrderItsFindableObjectsItsRootAndItsBlendedObjects) {
  auto model = std::make_shared<Model>();
  model->root = std::make_shared<AnimatedGroup>("Estadio");
  auto net = alphaMaterial("net");
  auto wall = texturedMaterial("wall");
  model->materials = {untexturedMaterial("grass"), untexturedMaterial("lines"), net, wall};
  auto mesh = objectWith<SceneObject>(net, "mesh");
  objectWith<SceneObject>(wall, "bricks");
  auto camera = std::make_shared<Camera>("Camera01");
  model->root->addChild(camera);
  model->objects = {camera};
  scene->addModel(model);

  // The later of two untextured ones is drawn first.
  EXPECT_EQ(namesOf(scene->materials()), (Names{"lines", "grass", "wall", "net"}));
  EXPECT_EQ(scene->objects(), (std::list<std::shared_ptr<SceneObject>>{camera}));
  ASSERT_EQ(scene->entities().size(), 1u);
  EXPECT_EQ(scene->entities().front(), model->root);
  ASSERT_EQ(scene->transparentObjects().size(), 1u);
  EXPECT_EQ(scene->transparentObjects().front(), mesh);
}

// --- Removing a subtree -------------------------------------------------------

TEST_F(SceneTest, RemovedObjectsLeaveTheirParentAndMaterialAndMaterialsLeftEmptyLeave) {
  auto root = std::make_shared<AnimatedGroup>("root");
  auto plain = untexturedMaterial("plain");
  auto opaque1 = texturedMaterial("opaque1");
  auto opaque2 = texturedMaterial("opaque2");
  auto glass = alphaMaterial("glass");
  auto ground = objectWith<SceneObject>(plain, "ground");
  auto gone = objectWith<SceneObject>(plain, "gone");
  auto wall1 = objectWith<SceneObject>(opaque1, "wall1");
  auto wall2 = objectWith<SceneObject>(opaque2, "wall2");
  auto pane1 = objectWith<LoggingObject>(glass, "pane1", log);
  auto pane2 = objectWith<LoggingObject>(glass, "pane2", log);
  for (const auto& object : std::vector<std::shared_ptr<SceneObject>>{ground, gone, wall1, wall2, pane1, pane2}) {
    root->addChild(object);
  }
  for (const auto& material : {plain, opaque1, opaque2, glass}) scene->addMaterial(material);
  scene->addEntity(root);
  ASSERT_EQ(namesOf(scene->materials()), (Names{"plain", "opaque2", "opaque1", "glass"}));

  scene->remove(gone);
  EXPECT_EQ(gone->parent(), nullptr);
  EXPECT_EQ(root->children().size(), 5u);
  EXPECT_EQ(plain->objects()->front(), ground);
  EXPECT_EQ(plain->objects()->size(), 1u);
  // The first material of a group leaves; the other groups keep their place.
  scene->remove(wall2);
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain", "opaque1", "glass"}));
  EXPECT_EQ(groupStarts(), std::make_pair(1L, 2L));
  // A shared alpha material stays, but the removed object is no longer drawn.
  scene->remove(pane1);
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain", "opaque1", "glass"}));
  scene->render(Matrix());
  EXPECT_EQ(*log, (Names{"pane2"}));
  scene->remove(wall1);
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain", "glass"}));
  EXPECT_EQ(groupStarts(), std::make_pair(1L, 1L));
  scene->remove(pane2);
  EXPECT_EQ(namesOf(scene->materials()), (Names{"plain"}));
  EXPECT_EQ(scene->texturedBegin(), scene->materials().end());
  EXPECT_EQ(scene->alphaBegin(), scene->materials().end());
  EXPECT_TRUE(scene->transparentObjects().empty());
  scene->remove(ground);
  EXPECT_TRUE(scene->materials().empty());
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

TEST_F(SceneTest, ARemovedCameraLeavesTheObjectsButOtherObjectsStayAndAreUpdatedAlone) {
  auto root = std::make_shared<AnimatedGroup>("root");
  auto camera = std::make_shared<Camera>("Camera01");
  auto recorder = std::make_shared<StepRecordingObject>("recorder");
  root->addChild(camera);
  root->addChild(recorder);
  scene->addObject(camera);
  scene->addObject(recorder);
  scene->update(16);
  EXPECT_TRUE(recorder->times.empty());  // a child is updated by its parent

  scene->remove(camera);
  scene->remove(recorder);
  EXPECT_EQ(scene->objects(), (std::list<std::shared_ptr<SceneObject>>{recorder}));
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
  auto spawner = std::make_shared<SpawningGroup>(*scene);
  scene->addEntity(spawner);

  scene->update(16);
  // A root added during a step is updated from the next step on.
  ASSERT_TRUE(spawner->spawned);
  EXPECT_EQ(spawner->spawned->clockMs(), 0u);
  scene->update(16);
  EXPECT_EQ(spawner->spawned->clockMs(), 16u);
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

// --- Cameras by name --------------------------------------------------------------

TEST_F(SceneTest, SetCameraTakesTheFirstCameraOfExactlyThatNameAndKeepsItForUnknownNames) {
  auto decoy = std::make_shared<SceneObject>("Camera01");
  auto first = std::make_shared<Camera>("Camera01");
  auto other = std::make_shared<Camera>("Camera0");
  for (const auto& object : std::vector<std::shared_ptr<SceneObject>>{decoy, first,
                                                                       std::make_shared<Camera>("Camera01"), other}) {
    scene->addObject(object);
  }
  scene->setCamera("Camera01");
  EXPECT_EQ(scene->camera(), first);
  scene->setCamera("Camera0");
  EXPECT_EQ(scene->camera(), other);
  scene->setCamera("CameraIntro");
  EXPECT_EQ(scene->camera(), other);
  scene->setCamera("Camera");  // a prefix is not a match
  EXPECT_EQ(scene->camera(), other);
}

// --- Draw order of the blended passes ---------------------------------------------

TEST_F(SceneTest, TransparentObjectsAreDrawnFarthestFromTheCameraFirstWithoutBeingMoved) {
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
  EXPECT_TRUE(matrixNear(nearPane->worldMatrix(), placedAt(0, 0, -100)));
  EXPECT_TRUE(matrixNear(farPane->worldMatrix(), placedAt(0, 0, -300)));

  // A camera at z = -400 looking back along +z sees the order reversed.
  log->clear();
  Camera back("back");
  back.setWorldMatrix(multiply(rotate(Matrix(), 180, 0, 1, 0), placedAt(0, 0, -400)));
  scene->render(back.viewMatrix());
  EXPECT_EQ(*log, (Names{"near", "middle", "far"}));
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

}  // namespace
