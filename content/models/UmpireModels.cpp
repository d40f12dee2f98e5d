// The umpire bird: a round yellow bird in a blue umpire's cap, sitting on the
// stadium's chair and facing the court (+z). It is made of rigid parts, all
// painted from one palette picture so that each part is one mesh with one
// toon material: the head "Cabeza" carries its eyes, beak and cap, because
// the game replaces the head's whole world matrix while it follows the ball.

#include "content/models/UmpireModels.h"

#include <cmath>
#include <string>

#include "content/models/IntroModels.h"
#include "content/models/MeshShapes.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

// The palette: kPaletteCells x kPaletteCells swatches of kSwatchSize pixels.
// A vertex takes the colour of its swatch through the swatch's centre.
constexpr int kPaletteCells = 4;
constexpr int kSwatchSize = 16;
enum Swatch : int { Feathers, Belly, Beak, EyeWhite, Pupil, Cap, Visor, Wing, Cheek, Whistle };
constexpr uint32_t kSwatchColours[] = {0xFFC93C, 0xFFF1C9, 0xFF8A1F, 0xFFFFFF, 0x1B1B24,
                                       0x2A5DB0, 0x1D3F7A, 0xF2A52B, 0xFF8C9A, 0xC8CDD6};

// Clip lengths in frames of 32 ms: a two-second idle breath, and the
// greeting the bird plays while the players walk in.
constexpr uint32_t kIdleFrames = 63;
constexpr uint32_t kGreetingFrames = 79;

// The head's pivot above the body's origin (the seat top), and the wings'
// shoulders; the bird's left is +x, since it faces +z.
const Vector3 kNeck(0, 64, 3);
const Vector3 kShoulder(24, 46, 1);
const Vector3 kHip(11, 9, 22);
const Vector3 kTailRoot(0, 18, -22);

Vector3 swatchUv(Swatch swatch) {
  const int column = swatch % kPaletteCells;
  const int row = swatch / kPaletteCells;
  return {(column + 0.5f) / kPaletteCells, 1.0f - (row + 0.5f) / kPaletteCells, 0};
}

Pixels palettePicture() {
  Pixels pixels;
  pixels.width = kPaletteCells * kSwatchSize;
  pixels.height = kPaletteCells * kSwatchSize;
  pixels.argb.assign(static_cast<size_t>(pixels.width) * pixels.height, 0xFF000000u | kSwatchColours[0]);
  for (size_t swatch = 0; swatch < std::size(kSwatchColours); ++swatch) {
    const int column = static_cast<int>(swatch) % kPaletteCells;
    const int row = static_cast<int>(swatch) / kPaletteCells;
    for (int y = row * kSwatchSize; y < (row + 1) * kSwatchSize; ++y) {
      for (int x = column * kSwatchSize; x < (column + 1) * kSwatchSize; ++x) {
        pixels.argb[static_cast<size_t>(y) * pixels.width + x] = 0xFF000000u | kSwatchColours[swatch];
      }
    }
  }
  return pixels;
}

// An ellipsoid around `centre` with the given radii, in one colour.
AseMesh ellipsoid(const Vector3& centre, const Vector3& radii, Swatch swatch, int slices = 14, int stacks = 10) {
  AseMesh mesh = sphereMesh(1.0f, slices, stacks);
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    const Vector3 p = mesh.positions[i];
    mesh.positions[i] = centre + Vector3(p.x * radii.x, p.y * radii.y, p.z * radii.z);
    mesh.normals[i] = normalise(Vector3(p.x / radii.x, p.y / radii.y, p.z / radii.z));
  }
  mesh.texCoords.assign(mesh.positions.size(), swatchUv(swatch));
  return mesh;
}

// A flat-shaded cone from a round base around `base` to `tip`.
AseMesh cone(const Vector3& base, const Vector3& tip, float radius, Swatch swatch, int segments = 10) {
  const Vector3 axis = normalise(tip - base);
  const Vector3 helper = std::fabs(axis.y) < 0.9f ? Vector3(0, 1, 0) : Vector3(1, 0, 0);
  const Vector3 u = normalise(cross(axis, helper));
  const Vector3 v = cross(axis, u);
  AseMesh mesh;
  auto rim = [&](int i) {
    const double a = kTwoPi * i / segments;
    return base + u * (radius * static_cast<float>(std::cos(a))) + v * (radius * static_cast<float>(std::sin(a)));
  };
  for (int i = 0; i < segments; ++i) {
    const Vector3 a = rim(i);
    const Vector3 b = rim(i + 1);
    const auto first = static_cast<uint32_t>(mesh.positions.size());
    // Side, then the base cap, each triangle with its own normal.
    const Vector3 side = normalise(cross(b - a, tip - a));
    mesh.positions.insert(mesh.positions.end(), {a, b, tip});
    mesh.normals.insert(mesh.normals.end(), {side, side, side});
    mesh.faces.emplace_back(first, first + 1, first + 2);
    mesh.positions.insert(mesh.positions.end(), {b, a, base});
    mesh.normals.insert(mesh.normals.end(), {-axis, -axis, -axis});
    mesh.faces.emplace_back(first + 3, first + 4, first + 5);
  }
  mesh.texCoords.assign(mesh.positions.size(), swatchUv(swatch));
  return mesh;
}

// Body, in the body's frame: origin on the seat top, y up, facing +z.
AseMesh bodyMesh() {
  // Its bottom a little above the seat, clear of it as the bird breathes.
  AseMesh body = ellipsoid({0, 34.5f, 0}, {27, 33, 25}, Feathers, 18, 12);
  body.append(ellipsoid({0, 30, 10}, {19, 23, 16}, Belly));
  // The umpire's whistle on its chest.
  body.append(ellipsoid({0, 49, 20}, {3.5f, 3.5f, 5}, Whistle, 8, 6));
  return body;
}

// Head, in its own frame: the neck at the origin, +y up and the beak along
// -z, as the game's head tracking expects.
AseMesh headMesh() {
  AseMesh head = ellipsoid({0, 20, 0}, {22, 21, 21}, Feathers, 18, 12);
  for (float side : {-1.0f, 1.0f}) {
    head.append(ellipsoid({side * 9, 25, -15}, {7, 9, 5}, EyeWhite, 10, 8));
    head.append(ellipsoid({side * 8.5f, 26, -19.5f}, {3.2f, 4, 2}, Pupil, 8, 6));
    head.append(ellipsoid({side * 15, 14, -12}, {4.5f, 3, 2.5f}, Cheek, 8, 6));
  }
  head.append(cone({0, 16, -17}, {0, 14, -36}, 7, Beak));
  head.append(cone({0, 12, -15}, {0, 10.5f, -27}, 4.5f, Beak));
  // The umpire's cap: a dome on the crown and a visor over the eyes.
  head.append(ellipsoid({0, 32, 1}, {21.5f, 11, 21.5f}, Cap, 16, 8));
  head.append(ellipsoid({0, 35, -17}, {15, 2.5f, 11}, Visor, 12, 6));
  head.append(ellipsoid({0, 45, 1}, {3.5f, 3.5f, 3.5f}, Visor, 8, 6));
  return head;
}

// A wing hanging from its shoulder at the origin; `side` +1 for the left.
AseMesh wingMesh(float side) {
  AseMesh wing = ellipsoid({side * 4, -15, -1}, {6.5f, 19, 13}, Wing);
  for (int f = 0; f < 3; ++f) {
    wing.append(ellipsoid({side * 4, -31, -7.0f + 6.0f * f}, {4, 7, 3.5f}, Wing, 8, 6));
  }
  return wing;
}

// A leg hanging over the seat's front edge from the hip at the origin.
AseMesh legMesh() {
  AseMesh leg = cone({0, 0, 0}, {0, -26, 8}, 3.2f, Beak, 8);
  leg.append(ellipsoid({0, -27, 13}, {5, 3, 9}, Beak, 10, 6));
  return leg;
}

AseMesh tailMesh() {
  AseMesh tail;
  for (int f = -1; f <= 1; ++f) {
    tail.append(ellipsoid({f * 7.0f, 8, -10}, {4, 4, 14}, Wing, 10, 6));
  }
  return tail;
}

Matrix offset(const Vector3& at) { return translate(Matrix(), at); }

double phase(uint32_t timeMs, uint32_t frames, double cycles = 1.0) {
  return kTwoPi * cycles * timeMs / ((frames - 1) * static_cast<double>(kAseMsPerFrame));
}

float wave(uint32_t timeMs, uint32_t frames, double cycles, double shift = 0.0) {
  return static_cast<float>(std::sin(phase(timeMs, frames, cycles) + shift));
}

// 0 at the start and end of the greeting, 1 in its middle.
float swell(uint32_t timeMs) {
  const float s = static_cast<float>(std::sin(phase(timeMs, kGreetingFrames) / 2));
  return s * s;
}

int addPart(AseScene& scene, const std::string& name, int parent, int material, AseMesh mesh, AseMotion motion) {
  AseNode node;
  node.name = name;
  node.parent = parent;
  node.material = material;
  node.mesh = std::move(mesh);
  node.motion = std::move(motion);
  return scene.addNode(std::move(node));
}

ModelAsset birdModel() {
  ModelAsset asset;
  asset.path = kBirdyModelFile;
  asset.clipPaths = {kBirdyIntroClipFile};
  AseScene& scene = asset.scene;
  scene.clipFrames = {kIdleFrames, kGreetingFrames};
  const int paint = scene.addMaterial({.name = "Birdy [cartoon]",
                                       .ambient = {1.0f, 1.0f, 1.0f},
                                       .diffuse = {0.55f, 0.55f, 0.55f},
                                       .specular = {0.15f, 0.15f, 0.15f},
                                       .bitmap = "birdy.tga"});
  const Vector3 seat = umpireSeat();

  // Idle: a slow breath and a sway; greeting: two hops on the seat.
  const int body = addPart(scene, "Cuerpo", -1, paint, bodyMesh(), [seat](size_t clip, uint32_t t) {
    if (clip == 0) {
      const Matrix at = offset(seat + Vector3(0, 1.2f * wave(t, kIdleFrames, 1), 0));
      return rotate(at, 2.0f * wave(t, kIdleFrames, 1, 1.0), 0, 0, 1);
    }
    const float hop = 9.0f * std::fabs(wave(t, kGreetingFrames, 2));
    return rotate(offset(seat + Vector3(0, hop, 0)), 5.0f * wave(t, kGreetingFrames, 1), 0, 0, 1);
  });

  // The head turns round half a turn so that its -z (the beak) faces +z.
  addPart(scene, kBirdyHeadName, body, paint, headMesh(), [](size_t clip, uint32_t t) {
    Matrix head = rotate(offset(kNeck), 180, 0, 1, 0);
    if (clip == 0) {
      head = rotate(head, 12.0f * wave(t, kIdleFrames, 1, 0.5), 0, 1, 0);
      return rotate(head, 4.0f * wave(t, kIdleFrames, 2), 1, 0, 0);
    }
    head = rotate(head, 14.0f * wave(t, kGreetingFrames, 2), 0, 0, 1);
    head = rotate(head, 20.0f * wave(t, kGreetingFrames, 1), 0, 1, 0);
    return rotate(head, -8.0f * std::fabs(wave(t, kGreetingFrames, 2)), 1, 0, 0);
  });

  for (float side : {1.0f, -1.0f}) {
    const std::string name = side > 0 ? "AlaIzquierda" : "AlaDerecha";
    addPart(scene, name, body, paint, wingMesh(side), [side](size_t clip, uint32_t t) {
      const Matrix shoulder = offset(Vector3(side * kShoulder.x, kShoulder.y, kShoulder.z));
      if (clip == 0) return rotate(shoulder, side * (6.0f + 3.0f * wave(t, kIdleFrames, 2)), 0, 0, 1);
      // The right wing waves high above the head; the left one flaps.
      if (side < 0) {
        const float raise = 150.0f * swell(t) + 25.0f * swell(t) * wave(t, kGreetingFrames, 8);
        return rotate(shoulder, -(6.0f + raise), 0, 0, 1);
      }
      return rotate(shoulder, 6.0f + 30.0f * std::fabs(wave(t, kGreetingFrames, 4)), 0, 0, 1);
    });
  }

  for (float side : {1.0f, -1.0f}) {
    const std::string name = side > 0 ? "PataIzquierda" : "PataDerecha";
    addPart(scene, name, body, paint, legMesh(), [side](size_t clip, uint32_t t) {
      const Matrix hip = offset(Vector3(side * kHip.x, kHip.y, kHip.z));
      const uint32_t frames = clip == 0 ? kIdleFrames : kGreetingFrames;
      const float swing = clip == 0 ? 14.0f : 28.0f;
      const double cycles = clip == 0 ? 1.0 : 4.0;
      return rotate(hip, swing * wave(t, frames, cycles, side > 0 ? 0.0 : kTwoPi / 2), 1, 0, 0);
    });
  }

  addPart(scene, "Cola", body, paint, tailMesh(), [](size_t clip, uint32_t t) {
    const Matrix root = rotate(offset(kTailRoot), 20, 1, 0, 0);
    if (clip == 0) return rotate(root, 8.0f * wave(t, kIdleFrames, 2), 0, 1, 0);
    return rotate(root, 18.0f * wave(t, kGreetingFrames, 6), 0, 1, 0);
  });

  asset.textures = {{.file = "birdy.tga", .pixels = palettePicture(), .alpha = false}};
  return asset;
}

}  // namespace

std::vector<ModelAsset> umpireAndIntroModels() {
  return {birdModel(), introModel(IntroKind::Singles), introModel(IntroKind::Doubles)};
}
