#include "content/models/CharacterBody.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

#include "content/models/CharacterShapes.h"
#include "tennis/NodeNames.h"

namespace {

constexpr float kPi = 3.14159265f;

float smoothStep(float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

// Weights of a vertex on skeleton bones, and the joint it turns about when
// it hangs between two.
struct Weighting {
  std::vector<AseBoneWeight> weights;  // `bone` is a CharacterBone here
  Vector3 pivot;
};

Weighting single(int bone) { return {.weights = {{.bone = static_cast<size_t>(bone), .weight = 1.0f}}, .pivot = {}}; }

// Across a joint at `at`: `from` below, `to` above, blended over `half`
// either side; `pivot` is the joint.
Weighting across(float where, float at, float half, int before, int after, const Vector3& pivot) {
  const float t = smoothStep((where - (at - half)) / (2 * half));
  if (t <= 0) return single(before);
  if (t >= 1) return single(after);
  return {.weights = {{.bone = static_cast<size_t>(before), .weight = 1 - t},
                      {.bone = static_cast<size_t>(after), .weight = t}},
          .pivot = pivot};
}

struct SkinPiece {
  AseMesh mesh;
  std::vector<Weighting> weighting;
};

struct RigidPart {
  std::string name;
  int bone;
  int material;
  AseMesh mesh;    // in the bone's space, around `origin`
  Vector3 origin;  // the node's place in the bone's space
};

Pixels stringsPicture() {
  Pixels p;
  p.width = 64;
  p.height = 64;
  p.argb.resize(64 * 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool line = (x % 8) < 2 || (y % 8) < 2;
      p.argb[y * 64 + x] = line ? 0xFFF4F4EC : 0xFF8C9AA0;
    }
  }
  return p;
}

uint32_t channel(uint32_t rgb, int shift) { return (rgb >> shift) & 0xFF; }

AseMaterial toonMaterial(const std::string& name, uint32_t rgb) {
  const Vector3 c(channel(rgb, 16) / 255.0f, channel(rgb, 8) / 255.0f, channel(rgb, 0) / 255.0f);
  return {.name = name + " [cartoon]",
          .ambient = c * 1.0f,
          .diffuse = c * 0.75f,
          .specular = {0.12f, 0.12f, 0.12f},
          .bitmap = ""};
}

// Catmull-Rom through the trunk's rings, `sub` steps between two.
std::vector<TrunkRing> smoothRings(const std::vector<TrunkRing>& rings, int sub) {
  if (rings.size() < 2) return rings;
  std::vector<TrunkRing> out;
  auto get = [&](int i) { return rings[static_cast<size_t>(std::clamp(i, 0, static_cast<int>(rings.size()) - 1))]; };
  for (int i = 0; i + 1 < static_cast<int>(rings.size()); ++i) {
    for (int k = 0; k < sub; ++k) {
      const float t = static_cast<float>(k) / static_cast<float>(sub);
      auto cr = [t](float p0, float p1, float p2, float p3) {
        return 0.5f * (2 * p1 + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t +
                       (-p0 + 3 * p1 - 3 * p2 + p3) * t * t * t);
      };
      const TrunkRing a = get(i - 1), b = get(i), c = get(i + 1), d = get(i + 2);
      out.push_back({.y = b.y + (c.y - b.y) * t,
                     .halfWidth = cr(a.halfWidth, b.halfWidth, c.halfWidth, d.halfWidth),
                     .halfDepth = cr(a.halfDepth, b.halfDepth, c.halfDepth, d.halfDepth),
                     .forward = cr(a.forward, b.forward, c.forward, d.forward)});
    }
  }
  out.push_back(rings.back());
  return out;
}

// Limb rings with half domes added at both ends.
std::vector<LimbRing> domed(const std::vector<LimbRing>& rings) {
  std::vector<LimbRing> out;
  const LimbRing first = rings.front();
  const LimbRing last = rings.back();
  for (float a : {60.0f, 35.0f}) {
    const float r = a * kPi / 180;
    out.push_back({.along = first.along - first.radius * std::sin(r), .radius = first.radius * std::cos(r)});
  }
  out.insert(out.end(), rings.begin(), rings.end());
  for (float a : {35.0f, 60.0f}) {
    const float r = a * kPi / 180;
    out.push_back({.along = last.along + last.radius * std::sin(r), .radius = last.radius * std::cos(r)});
  }
  return out;
}

float ringValue(const std::vector<float>& values, float ring) {
  const int n = static_cast<int>(values.size());
  const float clamped = std::clamp(ring, 0.0f, static_cast<float>(n - 1));
  const int i = std::min(static_cast<int>(clamped), n - 2);
  const float t = clamped - static_cast<float>(i);
  return values[i] + (values[i + 1] - values[i]) * t;
}

}  // namespace

AseMesh mirrored(AseMesh mesh) {
  for (Vector3& p : mesh.positions) p.x = -p.x;
  for (Vector3& n : mesh.normals) n.x = -n.x;
  for (Face& f : mesh.faces) std::swap(f[1], f[2]);
  return mesh;
}

struct CharacterBuilder::State {
  std::string name;
  std::shared_ptr<CharacterMotion> motion;
  AseScene scene;
  std::vector<std::string> materialNames;
  std::map<int, SkinPiece> skin;
  std::vector<RigidPart> parts;
  std::vector<ModelTexture> textures;

  // Adds a grid's faces to the skin pieces of their paint, with the
  // weighting of each vertex.
  void addSkin(const Grid& grid, const std::vector<Weighting>& weighting,
               const std::function<int(size_t face)>& paint) {
    std::map<int, std::map<uint32_t, uint32_t>> remap;
    for (size_t f = 0; f < grid.mesh.faces.size(); ++f) {
      const int material = paint(f);
      SkinPiece& piece = skin[material];
      std::map<uint32_t, uint32_t>& indices = remap[material];
      Face face;
      for (int corner = 0; corner < 3; ++corner) {
        const uint32_t v = grid.mesh.faces[f][corner];
        auto found = indices.find(v);
        if (found == indices.end()) {
          const auto index = static_cast<uint32_t>(piece.mesh.positions.size());
          piece.mesh.positions.push_back(grid.mesh.positions[v]);
          piece.mesh.normals.push_back(grid.mesh.normals[v]);
          piece.weighting.push_back(weighting[v]);
          found = indices.emplace(v, index).first;
        }
        face[corner] = found->second;
      }
      piece.mesh.faces.push_back(face);
    }
  }
};

CharacterBuilder::CharacterBuilder(const std::string& name, const CharacterBuild& build) : state(new State) {
  state->name = name;
  state->motion = std::make_shared<CharacterMotion>(build);
  state->scene.clipFrames.clear();
  for (const CharacterClipInfo& clip : kCharacterClips) state->scene.clipFrames.push_back(clip.frames);
}

CharacterBuilder::~CharacterBuilder() = default;

const CharacterBuild& CharacterBuilder::build() const { return state->motion->build(); }

int CharacterBuilder::material(const std::string& name, uint32_t rgb) {
  state->materialNames.push_back(name);
  return state->scene.addMaterial(toonMaterial(state->name + name, rgb));
}

void CharacterBuilder::trunk(const std::vector<TrunkRing>& given, int segments, const Paint& paint) {
  const CharacterProportions& b = body();
  const std::vector<TrunkRing> rings = smoothRings(given, 2);
  const TrunkRing& first = rings.front();
  const TrunkRing& last = rings.back();
  const Vector3 bottom(0, first.y - 0.45f * std::min(first.halfWidth, first.halfDepth), first.forward);
  const Vector3 top(0, last.y + 0.45f * std::min(last.halfWidth, last.halfDepth), last.forward);
  const Grid grid = gridSurface(
      static_cast<int>(rings.size()), segments,
      [&](int ring, int segment) {
        const float a = 2 * kPi * static_cast<float>(segment) / static_cast<float>(segments);
        const TrunkRing& r = rings[ring];
        return Vector3(r.halfWidth * std::cos(a), r.y, r.forward + r.halfDepth * std::sin(a));
      },
      bottom, top);
  const float waistY = zeroJoint(b, kWaist).y;
  const float chestY = zeroJoint(b, kChest).y;
  const float neckY = zeroJoint(b, kNeck).y;
  const float half = std::min({5.0f, 0.45f * b.waist, 0.45f * b.chest, 0.45f * b.neck});
  std::vector<Weighting> weighting;
  for (const Vector3& p : grid.mesh.positions) {
    if (p.y < (waistY + chestY) / 2) {
      weighting.push_back(across(p.y, waistY, half, kPelvis, kWaist, zeroJoint(b, kWaist)));
    } else if (p.y < (chestY + neckY) / 2) {
      weighting.push_back(across(p.y, chestY, half, kWaist, kChest, zeroJoint(b, kChest)));
    } else {
      weighting.push_back(across(p.y, neckY, half, kChest, kNeck, zeroJoint(b, kNeck)));
    }
  }
  std::vector<float> heights;
  for (const TrunkRing& r : rings) heights.push_back(r.y);
  state->addSkin(grid, weighting, [&](size_t f) {
    const float y = ringValue(heights, grid.faceRing[f]);
    const float angle = 360.0f * grid.faceSegment[f] / static_cast<float>(segments);
    return paint(y, angle);
  });
}

namespace {

// One limb chain's tube: joints along -y from `root` (first joint), the
// middle joint `middle` down, the blend over `half`; `tip` bones follow the
// lower bone.
Grid limbGrid(const std::vector<LimbRing>& rings, int segments, const Vector3& root, const Vector3& down) {
  Vector3 u(1, 0, 0);
  Vector3 v = normalise(cross(u, down));
  if (std::fabs(dot(down, u)) > 0.9f) {
    u = Vector3(0, 1, 0);
    v = normalise(cross(u, down));
  }
  const LimbRing first = rings.front();
  const LimbRing last = rings.back();
  return gridSurface(
      static_cast<int>(rings.size()), segments,
      [&](int ring, int segment) {
        const float a = 2 * kPi * static_cast<float>(segment) / static_cast<float>(segments);
        const LimbRing& r = rings[ring];
        return root + down * r.along + (u * std::cos(a) - v * std::sin(a)) * r.radius;
      },
      root + down * (first.along - first.radius * 0.25f), root + down * (last.along + last.radius * 0.25f));
}

}  // namespace

void CharacterBuilder::arms(const std::vector<LimbRing>& given, int segments, const Paint& paint) {
  const CharacterProportions& b = body();
  const std::vector<LimbRing> rings = domed(given);
  std::vector<float> alongs;
  for (const LimbRing& r : rings) alongs.push_back(r.along);
  const float total = b.upperArm + b.forearm;
  for (int side = 0; side < 2; ++side) {
    const int upper = side == 0 ? kRightUpperArm : kLeftUpperArm;
    const Vector3 shoulder = zeroJoint(b, upper);
    const Grid grid = limbGrid(rings, segments, shoulder, {0, -1, 0});
    const float half = std::min(5.0f, 0.3f * std::min(b.upperArm, b.forearm));
    std::vector<Weighting> weighting;
    for (const Vector3& p : grid.mesh.positions) {
      weighting.push_back(across(shoulder.y - p.y, b.upperArm, half, upper, upper + 1, zeroJoint(b, upper + 1)));
    }
    state->addSkin(grid, weighting, [&](size_t f) {
      const float along = ringValue(alongs, grid.faceRing[f]);
      float angle = 360.0f * grid.faceSegment[f] / static_cast<float>(segments);
      if (side == 1) angle = std::fmod(540.0f - angle, 360.0f);
      return paint(along / total, angle);
    });
  }
}

void CharacterBuilder::legs(const std::vector<LimbRing>& given, int segments, const Paint& paint) {
  const CharacterProportions& b = body();
  const std::vector<LimbRing> rings = domed(given);
  std::vector<float> alongs;
  for (const LimbRing& r : rings) alongs.push_back(r.along);
  const float total = b.thigh + b.shin;
  for (int side = 0; side < 2; ++side) {
    const int thigh = side == 0 ? kRightThigh : kLeftThigh;
    const Vector3 hip = zeroJoint(b, thigh);
    const Grid grid = limbGrid(rings, segments, hip, {0, -1, 0});
    const float half = std::min(6.0f, 0.3f * std::min(b.thigh, b.shin));
    std::vector<Weighting> weighting;
    for (const Vector3& p : grid.mesh.positions) {
      weighting.push_back(across(hip.y - p.y, b.thigh, half, thigh, thigh + 1, zeroJoint(b, thigh + 1)));
    }
    state->addSkin(grid, weighting, [&](size_t f) {
      const float along = ringValue(alongs, grid.faceRing[f]);
      float angle = 360.0f * grid.faceSegment[f] / static_cast<float>(segments);
      if (side == 1) angle = std::fmod(540.0f - angle, 360.0f);
      return paint(along / total, angle);
    });
  }
}

void CharacterBuilder::tail(const std::vector<LimbRing>& given, int segments, const Paint& paint) {
  const CharacterProportions& b = body();
  if (!b.hasTail()) throw std::invalid_argument("a tail needs tailLength");
  const std::vector<LimbRing> rings = domed(given);
  std::vector<float> alongs;
  for (const LimbRing& r : rings) alongs.push_back(r.along);
  const Vector3 root = zeroJoint(b, kTailBase);
  const Grid grid = limbGrid(rings, segments, root, {0, 0, -1});
  const float middle = b.tailLength * 0.5f;
  std::vector<Weighting> weighting;
  for (const Vector3& p : grid.mesh.positions) {
    weighting.push_back(across(root.z - p.z, middle, 0.3f * middle, kTailBase, kTailTip, zeroJoint(b, kTailTip)));
  }
  state->addSkin(grid, weighting, [&](size_t f) {
    const float along = ringValue(alongs, grid.faceRing[f]);
    const float angle = 360.0f * grid.faceSegment[f] / static_cast<float>(segments);
    return paint(along / b.tailLength, angle);
  });
}

void CharacterBuilder::part(const std::string& name, int bone, int material, AseMesh mesh) {
  Vector3 centre;
  for (const Vector3& p : mesh.positions) centre += p;
  if (!mesh.positions.empty()) centre = centre * (1.0f / static_cast<float>(mesh.positions.size()));
  for (Vector3& p : mesh.positions) p = p - centre;
  state->parts.push_back({.name = name,
                          .bone = bone,
                          .material = material,
                          .mesh = std::move(mesh),
                          .origin = centre - zeroJoint(body(), bone)});
}

void CharacterBuilder::pairedPart(const std::string& rightName, const std::string& leftName, int rightBone,
                                  int material, const AseMesh& rightMesh) {
  part(rightName, rightBone, material, rightMesh);
  const int leftBone = rightBone == kRightHand       ? kLeftHand
                       : rightBone == kRightForearm  ? kLeftForearm
                       : rightBone == kRightUpperArm ? kLeftUpperArm
                       : rightBone == kRightFoot     ? kLeftFoot
                       : rightBone == kRightShin     ? kLeftShin
                       : rightBone == kRightThigh    ? kLeftThigh
                                                     : rightBone;
  part(leftName, leftBone, material, mirrored(rightMesh));
}

void CharacterBuilder::racketAndBall(uint32_t frameRgb, uint32_t handleRgb) {
  const CharacterProportions& b = body();
  const int frameMaterial = material("Raqueta", frameRgb);
  const int handleMaterial = material("Mango", handleRgb);
  AseScene& scene = state->scene;
  AseMaterial strings = toonMaterial(state->name + "Cuerdas", 0xFFFFFF);
  strings.bitmap = "cuerdas.tga";
  strings.ambient = {0.9f, 0.9f, 0.9f};
  strings.diffuse = {0.5f, 0.5f, 0.5f};
  const int stringsMaterial = scene.addMaterial(strings);
  state->materialNames.push_back("Cuerdas");
  const int ballMaterial = material("Pelota", 0xDDEE33);

  // In the right hand's space: the fist at (0, -handLength, 0), the shaft
  // along +z, the strings' plane x = 0.
  const Vector3 fist(0, -b.handLength, 0);
  const Vector3 strings0 = racketStringsInHand(b);
  AseMesh frame = ringMesh(strings0, {0, 0, 1}, {0, 1, 0}, 12.5f, 10.0f, 1.4f, 22, 5);
  for (float side : {-1.0f, 1.0f}) {
    frame.append(capsuleMesh(fist + Vector3(0, 0, 13), strings0 + Vector3(0, side * 5.5f, -11.0f), 1.1f, 1.1f, 6));
  }
  AseMesh handle = capsuleMesh(fist + Vector3(0, 0, -8), fist + Vector3(0, 0, 13), 1.9f, 1.5f, 8);
  state->parts.push_back(
      {.name = "Raqueta", .bone = kRightHand, .material = frameMaterial, .mesh = frame, .origin = {}});
  state->parts.push_back(
      {.name = "Mango", .bone = kRightHand, .material = handleMaterial, .mesh = handle, .origin = {}});

  AseMesh lens = ellipsoidMesh({}, {0.5f, 9.3f, 11.8f}, 16, 6);
  planarTexCoords(lens, 0, {0, -9.3f, -11.8f}, {0, 9.3f, 11.8f});
  state->parts.push_back(
      {.name = kRacketPointName, .bone = kRightHand, .material = stringsMaterial, .mesh = lens, .origin = strings0});

  state->parts.push_back({.name = kHeldBallName,
                          .bone = kLeftHand,
                          .material = ballMaterial,
                          .mesh = ellipsoidMesh({}, {kHeldBallRadius, kHeldBallRadius, kHeldBallRadius}, 10, 6),
                          .origin = ballInHand(b)});
  state->textures.push_back({.file = "cuerdas.tga", .pixels = stringsPicture(), .alpha = false});
}

// A rigid part that the game never looks up by name joins the skin piece of
// its material, wholly held by its bone: it moves exactly as it did as a node
// of its own, and the player costs one mesh (one draw, one outline) a
// material instead of one a part. Parts with a picture keep their nodes: the
// skin has no texture coordinates.
void CharacterBuilder::foldRigidPartsIntoSkin() {
  const CharacterProportions& b = body();
  std::vector<RigidPart> kept;
  for (RigidPart& part : state->parts) {
    const bool lookedUp = part.name == kRacketPointName || part.name == kHeldBallName;
    if (lookedUp || !part.mesh.texCoords.empty()) {
      kept.push_back(std::move(part));
      continue;
    }
    // The bone's space is the rest pose's moved to the joint.
    const Vector3 shift = part.origin + zeroJoint(b, part.bone);
    for (Vector3& p : part.mesh.positions) p = p + shift;
    SkinPiece& piece = state->skin[part.material];
    piece.mesh.append(part.mesh);
    piece.weighting.insert(piece.weighting.end(), part.mesh.positions.size(), single(part.bone));
  }
  state->parts = std::move(kept);
}

ModelAsset CharacterBuilder::finish() {
  const CharacterProportions& b = body();
  const CharacterMotion& motion = *state->motion;
  AseScene& scene = state->scene;
  ModelAsset asset;
  const std::string folder = "models/" + state->name + "/";
  asset.path = folder + characterClipFile(ClipStanding);
  for (uint32_t clip = 1; clip < ClipCount; ++clip) asset.clipPaths.push_back(folder + characterClipFile(clip));

  // Bones.
  std::vector<int> boneNode(kCharacterBoneCount, -1);
  for (int bone = 0; bone < kCharacterBoneCount; ++bone) {
    if ((bone == kTailBase || bone == kTailTip) && !b.hasTail()) continue;
    AseNode node;
    node.name = characterBoneName(bone);
    node.kind = AseNodeKind::Bone;
    const int parent = characterBoneParent(bone);
    node.parent = parent < 0 ? -1 : boneNode[static_cast<size_t>(parent)];
    std::shared_ptr<CharacterMotion> shared = state->motion;
    node.motion = [shared, bone](size_t clip, uint32_t timeMs) { return shared->local(bone, clip, timeMs); };
    boneNode[static_cast<size_t>(bone)] = scene.addNode(std::move(node));
  }

  foldRigidPartsIntoSkin();

  // The skin in the bind pose (the idle clip's first frame).
  const BoneMatrices bind = motion.worlds(ClipStanding, 0);
  std::array<Matrix, kCharacterBoneCount> fromZero;
  std::array<Quaternion, kCharacterBoneCount> turn;
  for (int bone = 0; bone < kCharacterBoneCount; ++bone) {
    fromZero[bone] = multiply(translate(Matrix(), -zeroJoint(b, bone)), bind[bone]);
    turn[bone] = toQuaternion(fromZero[bone]);
  }
  for (auto& [materialIndex, piece] : state->skin) {
    AseNode node;
    node.name = "Cuerpo" + state->materialNames[static_cast<size_t>(materialIndex)];
    node.kind = AseNodeKind::Skinned;
    node.material = materialIndex;
    std::map<size_t, size_t> column;
    for (const Weighting& w : piece.weighting) {
      for (const AseBoneWeight& bw : w.weights) column.emplace(bw.bone, 0);
    }
    for (auto& [bone, index] : column) {
      index = node.bones.size();
      node.bones.push_back(static_cast<size_t>(boneNode[bone]));
    }
    AseMesh mesh = piece.mesh;
    for (size_t v = 0; v < mesh.positions.size(); ++v) {
      const Weighting& w = piece.weighting[v];
      std::vector<AseBoneWeight> weights;
      for (const AseBoneWeight& bw : w.weights) weights.push_back({.bone = column[bw.bone], .weight = bw.weight});
      node.weights.push_back(weights);
      if (w.weights.size() == 1) {
        const Matrix& m = fromZero[w.weights[0].bone];
        mesh.positions[v] = transformPoint(mesh.positions[v], m);
        mesh.normals[v] = normalise(transformVector(mesh.normals[v], m));
      } else {
        // Turned about the joint by the blend of the two bones' turns.
        const size_t first = w.weights[0].bone;
        const size_t second = w.weights[1].bone;
        const float t = w.weights[1].weight / (w.weights[0].weight + w.weights[1].weight);
        const Matrix blend = toMatrix(slerp(turn[first], turn[second], t));
        const Vector3 pivot =
            transformPoint(w.pivot, fromZero[first]) * (1 - t) + transformPoint(w.pivot, fromZero[second]) * t;
        mesh.positions[v] = pivot + transformVector(mesh.positions[v] - w.pivot, blend);
        mesh.normals[v] = normalise(transformVector(mesh.normals[v], blend));
      }
    }
    node.mesh = std::move(mesh);
    scene.addNode(std::move(node));
  }

  // Rigid parts.
  for (const RigidPart& part : state->parts) {
    AseNode node;
    node.name = part.name;
    node.parent = boneNode[static_cast<size_t>(part.bone)];
    node.material = part.material;
    node.mesh = part.mesh;
    node.rest = translate(Matrix(), part.origin);
    scene.addNode(std::move(node));
  }
  asset.scene = scene;
  asset.textures = state->textures;
  return asset;
}
