// One frame of a doubles match's size, on the processor: four skinned
// characters of 5,000 vertices (30 animated bones each, toon-outlined) and
// 20,000 static triangles, at 1024 x 768. The fixed step (update), the
// skinning and the draw submission are measured apart; the frame with the
// driver's rasterising (glFinish) is measured too, since on a machine without
// a GPU that work is the processor's as well. Drawing needs a display: run
// under the virtual one (tests/with-display.sh bench_engine_scene).

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/Animation.h"
#include "engine/Camera.h"
#include "engine/Scene.h"
#include "engine/SkinnedObject.h"
#include "engine/ToonMaterial.h"

namespace {
constexpr int kCharacters = 4;
constexpr int kGridColumns = 50;
constexpr int kGridRows = 100;  // 5,000 vertices, 9,702 triangles a character
constexpr int kBonesPerSkeleton = 30;
constexpr int kStaticObjects = 10;
constexpr int kStaticTrianglesEach = 2000;

struct Lcg {
  uint32_t state = 7;
  float next(float lo, float hi) {
    state = state * 1664525u + 1013904223u;
    return lo + (hi - lo) * float(state >> 8) / float(1u << 24);
  }
};

// A columns x rows sheet of vertices bent into a tube, with its triangles.
void tube(SceneObject& object, int columns, int rows, float radius, float height) {
  std::vector<Vector3> vertices, normals;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const float a = 6.2831853f * c / columns;
      const Vector3 n(std::cos(a), 0, std::sin(a));
      normals.push_back(n);
      vertices.push_back(Vector3(n.x * radius, height * r / rows, n.z * radius));
    }
  }
  std::vector<Face> faces;
  for (int r = 0; r + 1 < rows; ++r) {
    for (int c = 0; c + 1 < columns; ++c) {
      const uint32_t i = uint32_t(r * columns + c);
      faces.emplace_back(i, i + uint32_t(columns), i + 1);
      faces.emplace_back(i + 1, i + uint32_t(columns), i + uint32_t(columns) + 1);
    }
  }
  object.setVertices(std::move(vertices));
  object.setNormals(std::move(normals));
  object.setFaces(std::move(faces));
}

// A clip that swings the object about a random axis: three rotation keys.
void swing(SceneObject& object, Lcg& random) {
  auto clip = std::make_shared<Animation>(30, 33);
  const Vector3 axis = normalise(Vector3(random.next(-1, 1), random.next(-1, 1), random.next(-1, 1)));
  RotationKeys keys;
  keys.emplace_back(0, fromAxisAngle(0, axis));
  keys.emplace_back(15, fromAxisAngle(random.next(10, 40), axis));
  keys.emplace_back(29, fromAxisAngle(0, axis));
  clip->setRotationKeys(std::move(keys));
  clip->setMatrix(translate(Matrix(), random.next(-20, 20), random.next(0, 150), random.next(-20, 20)));
  object.animator().addAnimation(clip);
}

struct Match {
  std::unique_ptr<Scene> scene;
  std::vector<std::shared_ptr<SkinnedObject>> skins;
  Matrix view;
};

bool openWindow();

Match buildMatch() {
  openWindow();  // the scene is made after the window, as in the game
  Match match;
  Lcg random;
  match.scene = std::make_unique<Scene>();
  for (int p = 0; p < kCharacters; ++p) {
    auto model = std::make_shared<Model>();
    model->root = std::make_shared<AnimatedGroup>("Player");
    model->root->addAnimation(990);
    model->root->setTransform(translate(Matrix(), p % 2 ? -800.0f : 800.0f, 0, p < 2 ? -200.0f : 200.0f));
    auto material = std::make_shared<ToonMaterial>();
    auto skin = std::make_shared<SkinnedObject>("Body");
    tube(*skin, kGridColumns, kGridRows, 30, 160);
    skin->setMaterial(material);
    material->addObject(skin);
    model->root->addChild(skin);
    skin->addBone(skin.get());
    for (int b = 0; b < kBonesPerSkeleton; ++b) {
      auto bone = std::make_shared<BoneObject>("Bone");
      swing(*bone, random);
      skin->addChild(bone);
      skin->addBone(bone.get());
    }
    for (uint32_t v = 0; v < uint32_t(kGridColumns * kGridRows); ++v) {
      const int influences = 1 + int(v % 4);
      float left = 1.0f;
      for (int k = 0; k < influences; ++k) {
        const float w = k + 1 == influences ? left : left * random.next(0.3f, 0.7f);
        left -= w;
        skin->setBoneWeight(v, uint16_t(1 + (v / 50 + uint32_t(k) * 5) % kBonesPerSkeleton), w);
      }
    }
    model->materials = {material};
    match.scene->addModel(model);
    match.skins.push_back(skin);
  }
  auto stadium = std::make_shared<Model>();
  stadium->root = std::make_shared<AnimatedGroup>("Estadio");
  stadium->root->addAnimation(1000);
  auto stands = std::make_shared<Material>();
  stands->setDiffuse({0.3f, 0.6f, 0.3f});
  for (int i = 0; i < kStaticObjects; ++i) {
    auto part = std::make_shared<SceneObject>("Grada");
    tube(*part, 21, kStaticTrianglesEach / 40 + 1, 1500.0f + 100.0f * i, 300);
    part->setMaterial(stands);
    stands->addObject(part);
    stadium->root->addChild(part);
  }
  stadium->materials = {stands};
  match.scene->addModel(stadium);

  auto camera = std::make_shared<Camera>("Camera01");
  camera->setFarPlane(10000);
  camera->setWorldMatrix(multiply(rotate(Matrix(), -20, 1, 0, 0), translate(Matrix(), 0, 900, 2500)));
  match.scene->addObject(camera);
  match.scene->setCamera("Camera01");
  match.scene->update(16);
  match.view = camera->viewMatrix();
  return match;
}

bool openWindow() {
  static const bool open = [] {
    if (!std::getenv("DISPLAY")) return false;
    int argc = 1;
    char name[] = "bench";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 768);
    glutCreateWindow("bench");
    if (glewInit() != GLEW_OK) return false;
    glViewport(0, 0, 1024, 768);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    return true;
  }();
  return open;
}

void sceneUpdate(benchmark::State& state) {
  Match match = buildMatch();
  for (auto _ : state) match.scene->update(16);
}
BENCHMARK(sceneUpdate)->Unit(benchmark::kMicrosecond);

void skinning(benchmark::State& state) {
  Match match = buildMatch();
  for (auto _ : state) {
    for (const auto& skin : match.skins) skin->skin();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(skinning)->Unit(benchmark::kMicrosecond);

// The passes as submitted, skinning included (the skinned draw skins first).
void render(benchmark::State& state) {
  if (!openWindow()) {
    state.SkipWithError("no display");
    return;
  }
  Match match = buildMatch();
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    match.scene->draw();
    state.PauseTiming();
    glFinish();
    state.ResumeTiming();
  }
}
BENCHMARK(render)->Unit(benchmark::kMicrosecond);

void frameToThePixel(benchmark::State& state) {
  if (!openWindow()) {
    state.SkipWithError("no display");
    return;
  }
  Match match = buildMatch();
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    match.scene->update(16);
    match.scene->draw();
    glFinish();
  }
}
BENCHMARK(frameToThePixel)->Unit(benchmark::kMillisecond);

}  // namespace
