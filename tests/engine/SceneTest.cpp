// The scene's bookkeeping without OpenGL (the draw order of the material
// groups, what adding a model and removing a node do to every list, what one
// step advances, the blended effects) and the cameras as plain maths: the
// framing and orbiting eyes, the match camera's pitch, the free camera's keys.

#include "engine/Scene.h"

#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/BroadcastCamera.h"
#include "engine/FreeCamera.h"
#include "engine/OrbitCamera.h"
#include "engine/TrackingCamera.h"

namespace {

using Objects = std::list<std::shared_ptr<SceneObject>>;

Vector3 eyeOf(const Camera& camera) { return translation(camera.worldMatrix()); }
// A camera looks along its own -z axis.
Vector3 lookOf(const Camera& camera) { return transformVector(Vector3(0, 0, -1), camera.worldMatrix()); }

void step(SceneEntity& entity, uint32_t dtMs) { entity.updateTree(dtMs, Matrix(), 0); }

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
  // A model whose root has one clip of `clipMs` and the named materials.
  std::shared_ptr<Model> model(const Names& materials, uint32_t clipMs = 100) {
    auto result = std::make_shared<Model>();
    result->root = std::make_shared<AnimatedGroup>("root");
    result->root->addAnimation(clipMs);
    for (const std::string& name : materials) result->materials.push_back(materialNamed(name));
    return result;
  }
  // A logging object of the model's material `index`, below its root.
  std::shared_ptr<LoggingObject> add(Model& to, size_t index, const std::string& name) {
    auto object = objectWith<LoggingObject>(to.materials[index], name, log);
    to.root->addChild(object);
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
  };
  for (const auto& [added, order] : cases) {
    SetUp();
    for (const std::string& name : added) scene->addMaterial(materialNamed(name));
    EXPECT_EQ(drawOrder(), order);
  }
}

TEST_F(SceneTest, AModelBringsItsListsAndCamerasAndEachRemovedNodeLeavesThemWithMaterialsLeftEmpty) {
  auto stadium = model({"p", "o1", "o2", "g"});
  auto ground = add(*stadium, 0, "ground"), gone = add(*stadium, 0, "gone"), wall1 = add(*stadium, 1, "wall1"),
       wall2 = add(*stadium, 2, "wall2"), pane1 = add(*stadium, 3, "pane1"), pane2 = add(*stadium, 3, "pane2");
  auto arm = objectWith(stadium->materials[0], "arm");
  ground->addChild(arm);
  // The camera is the first camera of exactly that name.
  auto camera = std::make_shared<Camera>("Camera01");
  stadium->root->addChild(camera);
  stadium->objects = {std::make_shared<SceneObject>("Camera01"), camera, std::make_shared<Camera>("Camera01"),
                      std::make_shared<Camera>("Camera0")};
  scene->addModel(stadium);
  for (const char* name : {"Camera01", "Camera", "CameraIntro"}) {
    scene->setCamera(name);
    EXPECT_EQ(scene->camera(), camera) << name;  // unknown names keep the camera
  }
  // The materials come in file order, each added first in its group.
  EXPECT_EQ(drawOrder(), "p |o2 o1 |g ");
  EXPECT_EQ(scene->entities(), std::list<std::shared_ptr<SceneEntity>>{stadium->root});
  EXPECT_EQ(scene->transparentObjects(), (Objects{pane1, pane2}));
  const std::pair<std::shared_ptr<SceneObject>, std::string> steps[] = {
      {gone, "p |o2 o1 |g "},
      {camera, "p |o2 o1 |g "},
      {wall2, "p |o1 |g "},  // the first material of a group leaves; the others keep their place
      {pane1, "p |o1 |g "},  // a shared alpha material stays
      {wall1, "p ||g "},
  };
  for (const auto& [object, order] : steps) {
    scene->remove(object);
    EXPECT_EQ(drawOrder(), order) << object->name();
    if (object == pane1) scene->render(Matrix());
  }
  EXPECT_TRUE(gone->parent() == nullptr && scene->objects().size() == 3);
  EXPECT_EQ(*stadium->materials[0]->objects(), (Objects{ground, arm}));
  EXPECT_EQ(*log, (Names{"ground", "wall1", "pane2"}));
  // A removed node takes its whole subtree out of every list.
  scene->remove(stadium->root);
  EXPECT_EQ(drawOrder(), "||");
  EXPECT_TRUE(stadium->root->children().empty() && ground->children().empty() && arm->parent() == nullptr);
  EXPECT_TRUE(scene->entities().empty() && scene->transparentObjects().empty());
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

TEST_F(SceneTest, AStepAdvancesRootsLoneObjectsAndOverlaysAndRootsAddedDuringItFromTheNextStep) {
  auto root = std::make_shared<AnimatedGroup>("root");
  root->setTransform(placedAt(5, 0, 0));
  auto child = std::make_shared<LoggingObject>("child"), lone = std::make_shared<LoggingObject>("lone");
  root->addChild(child);
  auto overlay = std::make_shared<CountingOverlay>();
  // An entity that adds another root to the scene during its own update.
  auto spawner = std::make_shared<ScriptedGroup>();
  std::shared_ptr<AnimatedGroup> spawned;
  spawner->onUpdate = [&](ScriptedGroup&, uint32_t) {
    if (!spawned) scene->addEntity(spawned = std::make_shared<AnimatedGroup>());
  };
  scene->addEntity(root);
  scene->addEntity(spawner);
  for (const auto& object : Objects{lone, child}) scene->addObject(object);  // the child is updated by its parent only
  scene->addOverlay(overlay);
  scene->update(16);
  ASSERT_TRUE(spawned);
  EXPECT_EQ(spawned->clockMs(), 0u);
  scene->update(16);
  EXPECT_EQ(spawned->clockMs(), 16u);
  // Below a root: the root's clock and its transform; alone: the step itself, from the identity.
  EXPECT_EQ(child->times, (std::vector<uint32_t>{16, 32}));
  EXPECT_TRUE(matrixNear(child->parentWorlds.back(), placedAt(5, 0, 0)));
  EXPECT_EQ(lone->times, (std::vector<uint32_t>{16, 16}));
  EXPECT_TRUE(matrixNear(lone->parentWorlds.back(), Matrix()));
  EXPECT_EQ(overlay->steps, (std::vector<uint32_t>{16, 16}));
  // A removed child stays findable and is then updated alone.
  scene->remove(child);
  EXPECT_EQ(scene->objects(), (Objects{lone, child}));
  scene->update(16);
  EXPECT_EQ(child->times.back(), 16u);
}

TEST_F(SceneTest, EffectsAreDrawnFarthestFirstEachEndsByItsOwnAgeDrawnOrNotAndBrokenOnesGoWithoutHarm) {
  const auto effect = [this](uint32_t clipMs, const std::string& name) {
    auto made = model({name}, clipMs);
    add(*made, 0, name);
    return scene->addEffectTemplate(made);
  };
  scene->spawnEffect(effect(300, "near"), placedAt(0, 0, -10));
  scene->update(200);
  scene->spawnEffect(effect(300, "far"), placedAt(0, 0, -90));
  // A missing template, one without a root and one without a material.
  scene->spawnEffect(7, Matrix());
  scene->spawnEffect(scene->addEffectTemplate(std::make_shared<Model>()), Matrix());
  scene->spawnEffect(scene->addEffectTemplate(model({}, 150)), Matrix());
  scene->update(100);
  scene->render(Matrix());
  EXPECT_EQ(scene->effects().size(), 3u);
  // A camera at z = -100 looking back along +z sees the order reversed.
  Camera back("back");
  back.setWorldMatrix(multiply(rotate(Matrix(), 180, 0, 1, 0), placedAt(0, 0, -100)));
  scene->render(back.viewMatrix());
  // Drawing sorts on the side: the list keeps the order of the steps.
  EXPECT_EQ(scene->effects().front().matrix.m[14], -10.0f);
  // The first one is now 400 ms old, past its clip; the second is 200.
  scene->update(100);
  scene->render(Matrix());
  EXPECT_EQ(*log, (Names{"far", "near", "near", "far", "far"}));
  EXPECT_EQ(scene->effects().size(), 1u);
  // The step drops them, drawn or not.
  scene->update(200);
  EXPECT_TRUE(scene->effects().empty());
}

// A stand-in for a player: a group at a place, on a side of the court.
class Target : public AnimatedGroup {
 public:
  Target(float x, float z, int32_t side) : AnimatedGroup("target"), side(side) { setTransform(placedAt(x, 0, z)); }
  int32_t courtSide() const override { return side; }

 private:
  int32_t side;
};

std::shared_ptr<Target> at(float x, float z, int32_t side = 0) { return std::make_shared<Target>(x, z, side); }

TEST(FramingTest, OneOrTwoTargetsAreFramedFromTheNetsSideAtLeastFourHundredAwayAndTheOrbitTurnsRoundThem) {
  TrackingCamera camera(nullptr, "FixedCamera");
  auto spot = at(5, 5);
  // The eye is `distance` from the point 100 above the focus, at right angles
  // to the line between two targets (yaw atan(dz / dx)), looking at it.
  const struct {
    std::shared_ptr<Target> a, b;
    Vector3 focus, eye;
  } cases[] = {
      {at(0, -500), at(0, 500), {0, 0, 0}, {-1207.1f, 100, 0}},  // half the gap over tan(22.5 degrees)
      {at(0, 0), at(60, 80), {30, 0, 40}, {-290, 100, 280}},
      {spot, spot, {5, 0, 5}, {5, 100, 405}},
      {at(1000, 0, 0), nullptr, {1000, 0, 0}, {600, 100, 0}},
      {at(-1000, 0, 1), nullptr, {-1000, 0, 0}, {-600, 100, 0}},  // from the other side for side 1
      {nullptr, nullptr, {0, 0, 0}, {0, 100, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    c.b ? camera.setTargets(c.a, c.b) : camera.setTarget(c.a);
    step(camera, 16);
    EXPECT_TRUE(vectorNear(eyeOf(camera), c.eye, 0.05f));
    if (!c.a) continue;
    EXPECT_TRUE(vectorNear(normalise(c.focus + Vector3(0, 100, 0) - c.eye), lookOf(camera), 1e-4f));
  }
  EXPECT_FALSE(camera.targetB());

  // The orbit: 5400 ms of 18 ms steps is half way round, heading 180.
  OrbitCamera orbit(at(1000, 0), "FixedRotateCamera");
  for (int i = 0; i < 300; ++i) step(orbit, 18);
  EXPECT_EQ(orbit.orbitDegrees(), 5400.0f);
  EXPECT_TRUE(vectorNear(eyeOf(orbit), Vector3(1000, 100, -400), 1e-2f));
  EXPECT_TRUE(vectorNear(lookOf(orbit), Vector3(0, 0, 1)));
}

TEST(CameraKindsTest, TheMatchCameraCopiesTheStadiumsAndPitchesInPlaceForTheBallAndTheFreeCameraAnswersTheKeys) {
  for (auto [x, tilt] : {std::pair{-550.0f, 1.5f}, {500, 0}, {-2000, 3}, {2000, 0}}) {
    EXPECT_NEAR(broadcastTilt(x), tilt, 1e-5f) << x;
  }
  // Looking down the court from above one end.
  const Matrix mount = rotate(translate(Matrix(), 2000, 800, 0), 60, 0, 1, 0);
  Camera source("Camera01");
  source.setNearPlane(2.5f);
  source.setFarPlane(20000.0f);
  source.setFovY(38.5f);
  source.animator().addAnimation(clipWithBase(mount));
  auto ball = std::make_shared<AnimatedGroup>("Pelota");
  BroadcastCamera camera(ball, source);
  EXPECT_TRUE(camera.nearPlane() == 2.5 && camera.farPlane() == 20000 && camera.fovY() == 38.5);
  EXPECT_TRUE(matrixNear(camera.mount(), mount));
  ball->setTransform(placedAt(-2000, 50, 0));
  step(camera, 16);
  EXPECT_TRUE(vectorNear(eyeOf(camera), translation(mount), 1e-3f));
  EXPECT_NEAR(dot(lookOf(camera), transformVector(Vector3(0, 0, -1), mount)), std::cos(3.0 * M_PI / 180.0), 1e-6);
  // The side axis stays as it was.
  EXPECT_TRUE(vectorNear(transformVector(Vector3(1, 0, 0), camera.worldMatrix()), transformVector(Vector3(1, 0, 0), mount)));
  ball->setTransform(placedAt(500, 50, 0));
  step(camera, 16);
  EXPECT_TRUE(matrixNear(camera.worldMatrix(), mount, 1e-4f));
  const Matrix last = camera.worldMatrix();
  ball.reset();
  step(camera, 16);
  EXPECT_TRUE(matrixNear(camera.worldMatrix(), last, 0));

  // The free camera starts behind and above its parent; each key moves one value at its rate.
  FreeCamera still;
  step(still, 16);
  EXPECT_TRUE(vectorNear(eyeOf(still), Vector3(0, 60, 200)));
  EXPECT_TRUE(vectorNear(lookOf(still), Vector3(0, 0, -1)));
  int held = 0;
  const auto keys = [&held](int code) { return code == held; };
  const struct {
    int code;
    float yaw, pitch, distance, height;
  } keyCases[] = {
      {'8', 0, -3.2f, 200, 60},   {'2', 0, 3.2f, 200, 60},    {'6', -3.2f, 0, 200, 60},
      {'4', 3.2f, 0, 200, 60},    {256 + 104, 0, 0, 184, 60}, {256 + 105, 0, 0, 216, 60},
      {256 + 107, 0, 0, 200, 52}, {256 + 106, 0, 0, 200, 68}, {'5', 0, 0, 200, 60},
  };
  for (const auto& c : keyCases) {
    FreeCamera free(keys);
    held = c.code;
    step(free, 16);
    EXPECT_TRUE(allNear<4>({free.yaw(), free.pitch(), free.distance(), free.height()},
                           {c.yaw, c.pitch, c.distance, c.height}, 1e-5f)) << c.code;
  }
}

}  // namespace
