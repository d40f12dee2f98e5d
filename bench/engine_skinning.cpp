// Processor skinning at the size of a doubles match: four characters of
// 5,000 vertices each, every vertex with up to four bones out of a skeleton
// of 30, skinned once per displayed frame. The target is well under one
// millisecond for all four.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "engine/Matrix.h"
#include "engine/SkinnedObject.h"

namespace {
constexpr int kCharacters = 4;
constexpr int kVerticesPerCharacter = 5000;
constexpr int kBonesPerSkeleton = 30;

struct Character {
  std::shared_ptr<SkinnedObject> skin;
  std::vector<std::shared_ptr<BoneObject>> bones;
};

// Deterministic filler, not the game's generator: the numbers only need to be
// varied.
struct Lcg {
  uint32_t state = 7;
  float next(float lo, float hi) {
    state = state * 1664525u + 1013904223u;
    return lo + (hi - lo) * float(state >> 8) / float(1u << 24);
  }
};

Character makeCharacter(Lcg& random) {
  Character c;
  c.skin = std::make_shared<SkinnedObject>("Body");
  c.skin->addBone(c.skin.get());
  for (int b = 0; b < kBonesPerSkeleton; ++b) {
    auto bone = std::make_shared<BoneObject>();
    Matrix m = rotate(Matrix(), random.next(-90, 90), random.next(-1, 1), random.next(-1, 1), 1);
    m = multiply(m, translate(Matrix(), random.next(-50, 50), random.next(0, 150), random.next(-50, 50)));
    bone->setWorldMatrix(m);
    c.skin->addBone(bone.get());
    c.bones.push_back(bone);
  }
  std::vector<Vector3> vertices, normals;
  for (int v = 0; v < kVerticesPerCharacter; ++v) {
    vertices.emplace_back(random.next(-40, 40), random.next(0, 160), random.next(-20, 20));
    normals.push_back(normalise(Vector3(random.next(-1, 1), random.next(-1, 1), random.next(-1, 1))));
    // Most vertices of a character follow two or three bones.
    const int influences = 1 + v % 4;
    float left = 1.0f;
    for (int k = 0; k < influences; ++k) {
      const float w = k + 1 == influences ? left : left * random.next(0.3f, 0.7f);
      left -= w;
      c.skin->setBoneWeight(uint32_t(v), uint16_t(1 + (v / 7 + k * 5) % kBonesPerSkeleton), w);
    }
  }
  c.skin->setVertices(vertices);
  c.skin->setNormals(normals);
  return c;
}

void fourCharacters(benchmark::State& state) {
  Lcg random;
  std::vector<Character> characters;
  for (int i = 0; i < kCharacters; ++i) characters.push_back(makeCharacter(random));
  for (auto _ : state) {
    for (Character& c : characters) {
      c.skin->skin();
      benchmark::DoNotOptimize(c.skin->skinnedVertices().data());
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kCharacters * kVerticesPerCharacter);
}
BENCHMARK(fourCharacters)->Unit(benchmark::kMicrosecond);

// The yardstick: how fast one core moves bytes through memory, far beyond the
// caches. Skinning a vertex reads its bind position and normal (24 bytes) and
// four weights and bone slots (about 24 more) and writes a position and a
// normal (24): some 72 bytes a vertex, so bytes per second / 72 is the vertex
// rate that memory alone would allow.
constexpr size_t kStreamBytes = size_t(64) << 20;
constexpr size_t kSkinnedBytesPerVertex = 72;

void streamFromMemory(benchmark::State& state) {
  std::vector<float> source(kStreamBytes / sizeof(float), 1.0f), target(source.size());
  for (auto _ : state) {
    for (size_t i = 0; i < source.size(); ++i) target[i] = source[i] * 0.5f;
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(2 * kStreamBytes));
  state.counters["vertices_per_ms"] = benchmark::Counter(
      double(state.iterations()) * double(2 * kStreamBytes) / kSkinnedBytesPerVertex / 1000.0,
      benchmark::Counter::kIsRate);
}
BENCHMARK(streamFromMemory)->Unit(benchmark::kMillisecond);
}  // namespace
