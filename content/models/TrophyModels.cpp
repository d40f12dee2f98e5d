// The tournament's trophies, one a cup: a toon-shaded cup with two handles
// on a dark pedestal banded with the cup's metal, its foot at the model's
// origin. The three share the
// shape and differ in metal and size, and the gold one carries a lid with a
// ball on top: bronze the smallest, gold the tallest.

#include <cmath>
#include <vector>

#include "content/models/CharacterShapes.h"
#include "content/models/MeshShapes.h"
#include "content/models/WorldModels.h"

namespace {

constexpr float kTwoPi = 6.2831853f;

struct TrophyLook {
  uint32_t metal;  // 0xRRGGBB
  float size;      // the cup's scale
  bool lid;
};
// In the order of kTrophyFiles.
constexpr TrophyLook kLooks[] = {{0xC7772E, 0.85f, false}, {0xC9D2DC, 0.95f, false}, {0xF4C23C, 1.08f, true}};

constexpr uint32_t kPedestalColour = 0x4A2E1E;
constexpr float kPedestalHalfWidth = 24;
constexpr float kPedestalHeight = 52;
// A band of the cup's metal round the pedestal, a little below its top.
constexpr float kBandLow = 38;
constexpr float kBandHigh = 45;
constexpr float kBandStandOut = 0.8f;

// The cup's outline from its foot up the outside, over the rim and down the
// inside of the bowl: (radius, height) in scene units before the look's size.
struct ProfilePoint {
  float radius;
  float height;
};
constexpr ProfilePoint kProfile[] = {
    {17, 0},  {17, 4},  {13, 6},  {6, 10},  {4, 12},  {4, 24},    {7, 27},  {4, 30},  {6, 33},
    {14, 37}, {20, 44}, {23, 54}, {24, 62}, {25, 66}, {23.5f, 68}, {22, 64}, {20, 54}, {16, 45}, {8, 40},
};
constexpr float kInsideBottom = 39;
constexpr int kSegments = 24;
// The handles: loops on either side of the bowl, clear of its hollow.
constexpr float kHandleCentreX = 27.5f;
constexpr float kHandleCentreY = 52;
constexpr float kHandleHalfWidth = 7.5f;
constexpr float kHandleHalfHeight = 11;
constexpr float kHandleTube = 2.2f;
// The gold cup's lid, resting on the rim, and the ball on it.
constexpr float kLidRadius = 24;
constexpr float kLidHeight = 9;
constexpr float kLidY = 67;
constexpr float kBallRadius = 5;

AseMaterial metalMaterial(const std::string& name, uint32_t hex) {
  const Vector3 c(((hex >> 16) & 0xFF) / 255.0f, ((hex >> 8) & 0xFF) / 255.0f, (hex & 0xFF) / 255.0f);
  return {.name = name + " [cartoon]", .ambient = c * 0.9f, .diffuse = c * 0.7f, .specular = {0.6f, 0.6f, 0.55f}, .bitmap = ""};
}

AseMesh cupMesh(const TrophyLook& look) {
  const std::vector<ProfilePoint> profile(std::begin(kProfile), std::end(kProfile));
  AseMesh cup = gridSurface(
                    static_cast<int>(profile.size()), kSegments,
                    [&](int ring, int segment) {
                      const float around = kTwoPi * static_cast<float>(segment) / kSegments;
                      const ProfilePoint& p = profile[static_cast<size_t>(ring)];
                      return Vector3(p.radius * std::cos(around), p.height, p.radius * std::sin(around));
                    },
                    Vector3(0, 0, 0), Vector3(0, kInsideBottom, 0))
                    .mesh;
  for (const float side : {-1.0f, 1.0f}) {
    cup.append(ringMesh({side * kHandleCentreX, kHandleCentreY, 0}, {1, 0, 0}, {0, 1, 0}, kHandleHalfWidth,
                        kHandleHalfHeight, kHandleTube, 16, 8));
  }
  if (look.lid) {
    cup.append(ellipsoidMesh({0, kLidY, 0}, {kLidRadius, kLidHeight, kLidRadius}, 20, 8));
    cup.append(ellipsoidMesh({0, kLidY + kLidHeight + kBallRadius - 1, 0}, {kBallRadius, kBallRadius, kBallRadius}, 12, 8));
  }
  for (Vector3& p : cup.positions) p = p * look.size + Vector3(0, kPedestalHeight, 0);
  return cup;
}

ModelAsset trophyModel(const char* path, const TrophyLook& look) {
  ModelAsset asset;
  asset.path = path;
  AseScene& scene = asset.scene;
  const int metal = scene.addMaterial(metalMaterial("Trofeo", look.metal));
  const int wood = scene.addMaterial(metalMaterial("Pedestal", kPedestalColour));

  AseNode pedestal;
  pedestal.name = "Pedestal";
  pedestal.material = wood;
  pedestal.mesh = boxMesh({-kPedestalHalfWidth, 0, -kPedestalHalfWidth},
                          {kPedestalHalfWidth, kPedestalHeight, kPedestalHalfWidth});
  scene.addNode(pedestal);

  AseNode band;
  band.name = "Placa";
  band.material = metal;
  const float out = kPedestalHalfWidth + kBandStandOut;
  band.mesh = boxMesh({-out, kBandLow, -out}, {out, kBandHigh, out});
  scene.addNode(band);

  AseNode cup;
  cup.name = "Copa";
  cup.material = metal;
  cup.mesh = cupMesh(look);
  scene.addNode(cup);
  return asset;
}

}  // namespace

std::vector<ModelAsset> trophyModels() {
  std::vector<ModelAsset> trophies;
  for (size_t cup = 0; cup < kTrophyFiles.size(); ++cup) trophies.push_back(trophyModel(kTrophyFiles[cup], kLooks[cup]));
  return trophies;
}
