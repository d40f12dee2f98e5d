// The lessons' models: the ball machine behind the far baseline, a squat
// cartoon cart with a hopper full of balls and a barrel aimed down the court
// (the balls leave its mouth, kBallMachineMouth), and the marks a lesson
// lays on the court: the service box a serve must find and the two corner
// targets of the far half. Both stand where the game plays them
// (tennis/TrainingCourt.h): the game adds them to the scene as they are.

#include <algorithm>
#include <cmath>

#include "content/models/MeshShapes.h"
#include "content/models/TrainingModels.h"
#include "tennis/TrainingCourt.h"

namespace {

// The cart, in the machine's own frame (its centre on the ground, the
// barrel along +x).
constexpr float kBodyHalfLength = 45.0f;
constexpr float kBodyHalfWidth = 42.0f;
constexpr float kBodyBottom = 22.0f;
constexpr float kBodyTop = 96.0f;
constexpr float kHopperHalf = 58.0f;
constexpr float kHopperTop = 142.0f;
constexpr float kHopperWall = 5.0f;
constexpr float kBarrelRadius = 13.0f;
constexpr float kWheelRadius = 20.0f;
constexpr float kWheelWidth = 10.0f;
constexpr int kBallsInHopper = 9;

AseMaterial cartoon(const std::string& name, uint32_t hex) {
  const Vector3 c(((hex >> 16) & 0xFF) / 255.0f, ((hex >> 8) & 0xFF) / 255.0f, (hex & 0xFF) / 255.0f);
  return {.name = name + " [cartoon]",
          .ambient = c * 1.3f,
          .diffuse = c * 0.7f,
          .specular = {0.1f, 0.1f, 0.1f},
          .bitmap = ""};
}

int addMesh(AseScene& scene, const std::string& name, int material, const AseMesh& mesh) {
  AseNode node;
  node.name = name;
  node.material = material;
  node.mesh = mesh;
  // Everything stands where the machine stands on the court.
  node.rest = translate(Matrix(), kBallMachineX, 0, kBallMachineMouth.z);
  return scene.addNode(std::move(node));
}

AseMesh moved(AseMesh mesh, const Matrix& placement) {
  mesh.transform(placement);
  return mesh;
}

// An open box of four walls round the hopper's top.
AseMesh hopperWalls() {
  AseMesh walls;
  const float h = kHopperHalf;
  const float t = kHopperWall;
  walls.append(boxMesh({-h, kBodyTop, -h}, {h, kHopperTop, -h + t}));
  walls.append(boxMesh({-h, kBodyTop, h - t}, {h, kHopperTop, h}));
  walls.append(boxMesh({-h, kBodyTop, -h + t}, {-h + t, kHopperTop, h - t}));
  walls.append(boxMesh({h - t, kBodyTop, -h + t}, {h, kHopperTop, h - t}));
  walls.append(boxMesh({-h, kBodyTop, -h}, {h, kBodyTop + t, h}));
  return walls;
}

// The balls heaped in the hopper, their tops showing over its walls.
AseMesh hopperBalls() {
  AseMesh balls;
  const int perRow = 3;
  const float gap = (2 * kHopperHalf - 2 * kHopperWall) / perRow;
  for (int i = 0; i < kBallsInHopper; ++i) {
    const float x = -kHopperHalf + kHopperWall + gap * (static_cast<float>(i % perRow) + 0.5f);
    const float z = -kHopperHalf + kHopperWall + gap * (static_cast<float>(i / perRow) + 0.5f);
    const float y = kHopperTop - 6.0f + 5.0f * static_cast<float>((i * 7) % 3);
    balls.append(moved(sphereMesh(kBallRadius * 1.6f, 10, 8), translate(Matrix(), x, y, z)));
  }
  return balls;
}

// The barrel, from the body's front to the mouth, and a ring round its end.
AseMesh barrel() {
  const float length = kBallMachineMouth.x - kBallMachineX - kBodyHalfLength + 6.0f;
  const Matrix alongX = rotate(translate(Matrix(), kBodyHalfLength - 6.0f, kBallMachineMouth.y, 0), -90, 0, 0, 1);
  AseMesh tube = moved(cylinderMesh({0, 0, 0}, kBarrelRadius, length, 16), alongX);
  tube.append(moved(cylinderMesh({0, length - 8.0f, 0}, kBarrelRadius + 4.0f, 8.0f, 16), alongX));
  return tube;
}

AseMesh wheels() {
  AseMesh all;
  for (const float x : {-kBodyHalfLength + 12.0f, kBodyHalfLength - 12.0f}) {
    for (const float side : {-1.0f, 1.0f}) {
      const float z = side > 0 ? kBodyHalfWidth : -kBodyHalfWidth - kWheelWidth;
      all.append(moved(cylinderMesh({0, 0, 0}, kWheelRadius, kWheelWidth, 14),
                       rotate(translate(Matrix(), x, kWheelRadius, z), 90, 1, 0, 0)));
    }
  }
  return all;
}

// A flat rectangle on the court facing up, u along x and v along -z.
AseMesh courtRectangle(float x0, float x1, float z0, float z1) {
  return quadMesh({x0, kCourtMarkLift, z1}, {x1 - x0, 0, 0}, {0, 0, z0 - z1});
}

uint32_t argb(double r, double g, double b, double a) {
  const auto channel = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
  return channel(a) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

// How far (0 at the edge, 0.5 in the middle) a texel lies inside the picture.
double inside(int x, int y, int width, int height) {
  const double u = (x + 0.5) / width;
  const double v = (y + 0.5) / height;
  return std::min(std::min(u, 1 - u), std::min(v, 1 - v));
}

// The service box's mark: a bright rim, pale diagonal stripes inside.
Pixels boxPicture() {
  constexpr int kSize = 128;
  Pixels pixels{kSize, kSize, std::vector<uint32_t>(kSize * kSize)};
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const bool rim = inside(x, y, kSize, kSize) < 0.05;
      const bool stripe = ((x + y) / 12) % 2 == 0;
      const double alpha = rim ? 0.9 : (stripe ? 0.38 : 0.22);
      pixels.argb[static_cast<size_t>(y * kSize + x)] = argb(1.0, 0.86, 0.2, alpha);
    }
  }
  return pixels;
}

// A corner target: rings round the middle of a rimmed rectangle.
Pixels targetPicture() {
  constexpr int kSize = 128;
  Pixels pixels{kSize, kSize, std::vector<uint32_t>(kSize * kSize)};
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double r = std::hypot(x + 0.5 - kSize / 2.0, y + 0.5 - kSize / 2.0) / (kSize / 2.0);
      const bool rim = inside(x, y, kSize, kSize) < 0.05;
      const int ring = static_cast<int>(r * 4.0);
      double red = 1.0, green = 1.0, blue = 1.0, alpha = 0.25;
      if (rim) {
        alpha = 0.9;
      } else if (r < 1.0) {
        const bool redRing = ring % 2 == 0;
        red = redRing ? 0.93 : 1.0;
        green = redRing ? 0.22 : 1.0;
        blue = redRing ? 0.2 : 1.0;
        alpha = 0.6;
      }
      pixels.argb[static_cast<size_t>(y * kSize + x)] = argb(red, green, blue, alpha);
    }
  }
  return pixels;
}

AseMaterial markMaterial(const std::string& name, const std::string& bitmap) {
  return {.name = name, .ambient = {1.4f, 1.4f, 1.4f}, .diffuse = {0.4f, 0.4f, 0.4f}, .specular = {0, 0, 0},
          .bitmap = bitmap};
}

}  // namespace

ModelAsset ballMachineModel() {
  ModelAsset asset;
  asset.path = kBallMachineFile;
  AseScene& scene = asset.scene;
  const int body = scene.addMaterial(cartoon("Carcasa", 0xE8622C));
  const int metal = scene.addMaterial(cartoon("Metal", 0x3C4A5C));
  const int balls = scene.addMaterial(cartoon("Bolas", 0xD8F03A));
  const int rubber = scene.addMaterial(cartoon("Ruedas", 0x222428));

  addMesh(scene, "Carcasa", body,
          boxMesh({-kBodyHalfLength, kBodyBottom, -kBodyHalfWidth}, {kBodyHalfLength, kBodyTop, kBodyHalfWidth}));
  AseMesh frame = hopperWalls();
  frame.append(barrel());
  addMesh(scene, "Tolva", metal, frame);
  addMesh(scene, "Bolas", balls, hopperBalls());
  addMesh(scene, "Ruedas", rubber, wheels());
  return asset;
}

ModelAsset courtMarksModel() {
  ModelAsset asset;
  asset.path = kCourtMarksFile;
  AseScene& scene = asset.scene;
  const int box = scene.addMaterial(markMaterial("Cuadro", "cuadro.tga"));
  const int target = scene.addMaterial(markMaterial("Diana", "diana.tga"));
  const auto mark = [&scene](const char* name, int material, AseMesh mesh) {
    AseNode node;
    node.name = name;
    node.material = material;
    node.mesh = std::move(mesh);
    scene.addNode(std::move(node));
  };
  mark(kServeBoxMarkName, box,
       courtRectangle(kLessonServeBoxXMin, kLessonServeBoxXMax, kLessonServeBoxZMin, kLessonServeBoxZMax));
  mark(kLeftTargetMarkName, target,
       courtRectangle(-kBaselineX, kCornerTargetNearX, kCornerTargetInnerZ, kSinglesSideZ));
  mark(kRightTargetMarkName, target,
       courtRectangle(-kBaselineX, kCornerTargetNearX, -kSinglesSideZ, -kCornerTargetInnerZ));
  asset.textures = {{.file = "cuadro.tga", .pixels = boxPicture(), .alpha = true},
                    {.file = "diana.tga", .pixels = targetPicture(), .alpha = true}};
  return asset;
}
