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

using Objects = std::list<std::shared_ptr<SceneObject>>;

class SceneTest : public testing::Test {
 protected:
  void SetUp() override {
    testing::internal::CaptureStdout();
    scene = std::make_unique<Scene>();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error al iniciar la scena. Debe iniciar antes una ventana de OpenGl");
  }
  // The materials' names in draw order, with "|" where the opaque textured
  // and the alpha groups start.
  std::string drawOrder() const {
    std::string order;
    for (auto it = scene->materials().begin();; ++it) {
      if (it == scene->texturedBegin()) order += "|";
      if (it == scene->alphaBegin()) order += "|";
      if (it == scene->materials().end()) return order;
      order += (*it)->name() + " ";
    }
  }
  std::shared_ptr<LoggingObject> pane(const std::string& name, std::shared_ptr<Material> glass, float z) {
    auto object = objectWith<LoggingObject>(glass, name, log);
    object->setWorldMatrix(placedAt(0, 0, z));
    return object;
  }

  std::unique_ptr<Scene> scene;
  std::shared_ptr<Names> log = std::make_shared<Names>();
};

TEST_F(SceneTest, GroupsAreUntexturedThenOpaqueTexturedThenAlphaWithTheLatestAddedFirst) {
  const std::pair<Names, std::string> cases[] = {
      {{}, "||"},
      {{"g", "o", "p"}, "p |o |g "},
      {{"p1", "p2", "o1", "o2", "g1", "g2"}, "p2 p1 |o2 o1 |g2 g1 "},
      {{"p", "g1", "g2"}, "p ||g2 g1 "},  // alpha before any opaque textured one
      {{"p", "g1", "g2", "o"}, "p |o |g2 g1 "},
      {{"p1", "p2"}, "p2 p1 ||"},
  };
  for (const auto& [added, order] : cases) {
    SetUp();
    for (const std::string& name : added) scene->addMaterial(materialNamed(name));
    EXPECT_EQ(drawOrder(), order);
  }
  EXPECT_FALSE(scene->camera());
}

TEST_F(SceneTest, AModelBringsItsMaterialsInFileOrderItsFindableObjectsItsRootAndItsBlendedObjects) {
  auto model = std::make_shared<Model>();
  model->root = std::make_shared<AnimatedGroup>("Estadio");
  model->materials = {materialNamed("pgrass"), materialNamed("plines"), materialNamed("gnet"), materialNamed("owall")};
  auto mesh = objectWith(model->materials[2], "mesh");
  objectWith(model->materials[3], "bricks");
  auto camera = std::make_shared<Camera>("Camera01");
  model->root->addChild(camera);
  model->objects = {camera};
  scene->addModel(model);
  EXPECT_EQ(drawOrder(), "plines pgrass |owall |gnet ");
  EXPECT_EQ(scene->objects(), Objects{camera});
  EXPECT_EQ(scene->entities(), std::list<std::shared_ptr<SceneEntity>>{model->root});
  EXPECT_EQ(scene->transparentObjects(), Objects{mesh});

  // The whole subtree leaves every list.
  auto arm = objectWith(model->materials[0], "arm");
  mesh->addChild(arm);
  model->root->addChild(mesh);
  scene->remove(model->root);
  EXPECT_TRUE(model->root->children().empty());
  EXPECT_TRUE(mesh->children().empty());
  EXPECT_EQ(arm->parent(), nullptr);
  EXPECT_EQ(drawOrder(), "plines |owall |");  // emptied materials leave, the others stay
  EXPECT_TRUE(scene->transparentObjects().empty());
  EXPECT_TRUE(scene->objects().empty());
  EXPECT_TRUE(scene->entities().empty());
}

TEST_F(SceneTest, RemovedObjectsLeaveTheirParentAndMaterialAndMaterialsLeftEmptyLeave) {
  auto root = std::make_shared<AnimatedGroup>("root");
  const auto plain = materialNamed("p"), opaque1 = materialNamed("o1"), opaque2 = materialNamed("o2"),
             glass = materialNamed("g");
  auto ground = objectWith(plain, "ground");
  auto gone = objectWith(plain, "gone");
  auto wall1 = objectWith(opaque1, "wall1");
  auto wall2 = objectWith(opaque2, "wall2");
  auto pane1 = pane("pane1", glass, 0);
  auto pane2 = pane("pane2", glass, 0);
  for (const auto& object : Objects{ground, gone, wall1, wall2, pane1, pane2}) root->addChild(object);
  for (const auto& material : {plain, opaque1, opaque2, glass}) scene->addMaterial(material);
  scene->addEntity(root);
  scene->remove(gone);
  EXPECT_EQ(gone->parent(), nullptr);
  EXPECT_EQ(root->children().size(), 5u);
  EXPECT_EQ(*plain->objects(), std::list<std::shared_ptr<SceneObject>>{ground});
  const std::pair<std::shared_ptr<SceneObject>, std::string> steps[] = {
      {wall2, "p |o1 |g "},  // the first material of a group leaves; the others keep their place
      {pane1, "p |o1 |g "},  // a shared alpha material stays
      {wall1, "p ||g "},
      {pane2, "p ||"},
      {ground, "||"},
  };
  for (const auto& [object, order] : steps) {
    scene->remove(object);
    EXPECT_EQ(drawOrder(), order) << object->name();
    if (object == pane1) scene->render(Matrix());
  }
  EXPECT_EQ(*log, Names{"pane2"});
  EXPECT_TRUE(scene->transparentObjects().empty());
}

TEST_F(SceneTest, ANodeOwnedOnlyByItsParentSurvivesItsOwnRemoval) {
  auto root = std::make_shared<AnimatedGroup>("root");
  auto plain = materialNamed("plain");
  root->addChild(objectWith(plain, "only"));
  std::weak_ptr<SceneNode> watched = root->children().front();
  root->children().front()->addChild(objectWith(plain, "child"));
  scene->addMaterial(plain);
  // The argument is the parent's own list entry, which the removal erases.
  scene->remove(root->children().front());
  EXPECT_TRUE(root->children().empty());
  EXPECT_TRUE(watched.expired());
  EXPECT_TRUE(scene->materials().empty());
}

// An entity that adds another root to the scene during its own update, as a
// game entity may spawn one.
class SpawningGroup : public AnimatedGroup {
 public:
  SpawningGroup(Scene& scene) : scene(scene) {}
  void update(uint32_t, const Matrix&, uint32_t*) override {
    if (!spawned) scene.addEntity(spawned = std::make_shared<AnimatedGroup>());
  }
  Scene& scene;
  std::shared_ptr<AnimatedGroup> spawned;
};

TEST_F(SceneTest, AStepAdvancesRootsLoneObjectsEffectsAndOverlaysAndRootsAddedDuringItFromTheNextStep) {
  auto root = std::make_shared<AnimatedGroup>("root");
  root->setTransform(placedAt(5, 0, 0));
  auto child = std::make_shared<LoggingObject>("child"), lone = std::make_shared<LoggingObject>("lone");
  auto camera = std::make_shared<Camera>("Camera01");
  root->addChild(child);
  root->addChild(camera);
  auto overlay = std::make_shared<CountingOverlay>();
  auto spawner = std::make_shared<SpawningGroup>(*scene);
  for (const auto& entity : std::vector<std::shared_ptr<SceneEntity>>{root, spawner}) scene->addEntity(entity);
  for (const auto& object : Objects{camera, lone, child}) scene->addObject(object);  // the child is updated by its parent only
  scene->addOverlay(overlay);
  scene->addEffectTemplate(std::make_shared<Model>());
  scene->spawnEffect(0, Matrix());
  scene->update(16);
  ASSERT_TRUE(spawner->spawned);
  EXPECT_EQ(spawner->spawned->clockMs(), 0u);
  scene->update(16);
  EXPECT_EQ(spawner->spawned->clockMs(), 16u);
  // Below a root: the root's clock and its transform; alone: the step itself, from the identity.
  EXPECT_EQ(child->times, (std::vector<uint32_t>{16, 32}));
  EXPECT_TRUE(matrixNear(child->parentWorlds.back(), placedAt(5, 0, 0)));
  EXPECT_EQ(lone->times, (std::vector<uint32_t>{16, 16}));
  EXPECT_TRUE(matrixNear(lone->parentWorlds.back(), Matrix()));
  EXPECT_EQ(scene->effects().front().timeMs, 32u);
  EXPECT_EQ(overlay->steps, (std::vector<uint32_t>{16, 16}));
  // A removed camera leaves the findable objects; a removed child stays and is then updated alone.
  scene->remove(camera);
  scene->remove(child);
  EXPECT_EQ(scene->objects(), (Objects{lone, child}));
  scene->update(16);
  EXPECT_EQ(child->times.back(), 16u);
}

TEST_F(SceneTest, SetCameraTakesTheFirstCameraOfExactlyThatNameAndKeepsItForUnknownNames) {
  auto first = std::make_shared<Camera>("Camera01");
  auto other = std::make_shared<Camera>("Camera0");
  for (const auto& object : Objects{std::make_shared<SceneObject>("Camera01"), first,
                                    std::make_shared<Camera>("Camera01"), other}) {
    scene->addObject(object);
  }
  for (const auto& [name, camera] : {std::pair{"Camera01", first}, {"Camera0", other}, {"CameraIntro", other},
                                     {"Camera", other}}) {
    scene->setCamera(name);
    EXPECT_EQ(scene->camera(), camera) << name;
  }
}

// An effect template: a root with one clip of `clipMs` and, unless `name` is
// empty, one object of one material.
std::shared_ptr<Model> effectModel(uint32_t clipMs, const std::shared_ptr<Names>& log, const std::string& name) {
  auto model = std::make_shared<Model>();
  model->root = std::make_shared<AnimatedGroup>(name);
  model->root->addAnimation(clipMs);
  if (name.empty()) return model;
  model->materials = {materialNamed(name)};
  model->root->addChild(objectWith<LoggingObject>(model->materials.front(), name, log));
  return model;
}

TEST_F(SceneTest, EffectsAreDrawnFarthestFirstEachEndsByItsOwnAgeDrawnOrNotAndBrokenOnesGoWithoutHarm) {
  const uint32_t nearTemplate = scene->addEffectTemplate(effectModel(300, log, "near"));
  const uint32_t farTemplate = scene->addEffectTemplate(effectModel(300, log, "far"));
  EXPECT_EQ(farTemplate, 1u);
  scene->spawnEffect(nearTemplate, placedAt(0, 0, -10));
  scene->update(200);
  scene->spawnEffect(farTemplate, placedAt(0, 0, -90));
  // A missing template, one without a root and one without a material.
  scene->spawnEffect(7, Matrix());
  scene->spawnEffect(scene->addEffectTemplate(std::make_shared<Model>()), Matrix());
  scene->spawnEffect(scene->addEffectTemplate(effectModel(150, log, "")), Matrix());
  scene->update(100);
  scene->render(Matrix());
  EXPECT_EQ(scene->effects().size(), 3u);
  // A camera at z = -100 looking back along +z sees the order reversed.
  Camera back("back");
  back.setWorldMatrix(multiply(rotate(Matrix(), 180, 0, 1, 0), placedAt(0, 0, -100)));
  scene->render(back.viewMatrix());
  // The first one is now 400 ms old, past its clip; the second is 200.
  scene->update(100);
  scene->render(Matrix());
  EXPECT_EQ(*log, (Names{"far", "near", "near", "far", "far"}));
  EXPECT_EQ(scene->effects().size(), 1u);
  // A scene stepped without being drawn drops them too.
  scene->update(200);
  scene->dropFinishedEffects();
  EXPECT_TRUE(scene->effects().empty());
}

}  // namespace
