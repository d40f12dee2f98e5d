#include "content/models/AseWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <stdexcept>

namespace {

// The reader turns file (x, y, z) into game (x, z, -y); the writer goes back.
const Matrix kFileToGame(1, 0, 0, 0, 0, -1, 0, 1, 0, 0, 0, 0);
const Matrix kGameToFile(1, 0, 0, 0, 0, 1, 0, -1, 0, 0, 0, 0);

// The reader turns a track angle into degrees with this single-precision
// 1 / (2 pi), and reverses its sign.
constexpr float kInverseTwoPi = 0.15915494f;
constexpr double kPi = 3.14159265358979323846;

// Decimals of each kind of number: axes and angles need more than positions
// in scene units.
constexpr int kPositionDecimals = 4;
constexpr int kAxisDecimals = 6;
constexpr int kTexCoordDecimals = 5;
constexpr int kWeightDecimals = 5;
constexpr int kColourDecimals = 4;

// Below these a track does not move at all and is left out.
constexpr float kStillOffset = 1e-5f;
constexpr double kStillRotation = 1e-7;

// Fixed decimals without trailing zeros, and never "-0".
std::string number(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string s = text;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

// The value the reader gets back from the text of number(value, decimals).
float reread(double value, int decimals) { return std::strtof(number(value, decimals).c_str(), nullptr); }

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

const char* blockKeyword(AseNodeKind kind) {
  switch (kind) {
    case AseNodeKind::Bone: return "*BONEOBJECT";
    case AseNodeKind::Skinned: return "*GEOMOBJECTWITHBONES";
    case AseNodeKind::Camera: return "*CAMERAOBJECT";
    case AseNodeKind::Geometry: break;
  }
  return "*GEOMOBJECT";
}

void fail(const std::string& what) { throw std::invalid_argument("modelo mal descrito: " + what); }

void validate(const AseScene& scene) {
  if (scene.clipFrames.empty()) fail("sin clips");
  for (uint32_t frames : scene.clipFrames) {
    if (frames == 0) fail("clip sin fotogramas");
  }
  std::set<std::string> names;
  for (size_t i = 0; i < scene.nodes.size(); ++i) {
    const AseNode& node = scene.nodes[i];
    if (node.name.empty() || node.name.find('"') != std::string::npos) fail("nombre no valido \"" + node.name + "\"");
    if (!names.insert(node.name).second) fail("nombre repetido " + node.name);
    if (node.parent >= static_cast<int>(i)) fail(node.name + " va antes que su padre");
    if (node.name.front() == '&' && node.kind != AseNodeKind::Geometry)
      fail(node.name + ": solo una malla es billboard");
    if (node.material >= static_cast<int>(scene.materials.size())) fail(node.name + ": material inexistente");
    const AseMesh& mesh = node.mesh;
    if (mesh.normals.size() != mesh.positions.size()) fail(node.name + ": una normal por vertice");
    if (!mesh.texCoords.empty() && mesh.texCoords.size() != mesh.positions.size()) {
      fail(node.name + ": una coordenada de textura por vertice");
    }
    for (const Face& face : mesh.faces) {
      for (int corner = 0; corner < 3; ++corner) {
        if (face[corner] >= mesh.positions.size()) fail(node.name + ": cara fuera de los vertices");
      }
    }
    if (node.material >= 0 && !scene.materials[node.material].bitmap.empty() && !mesh.faces.empty()) {
      if (mesh.texCoords.empty()) fail(node.name + ": material con textura y malla sin coordenadas");
      // The reader unifies a textured mesh's indexing through its faces and
      // warns about every vertex that no face uses.
      std::vector<bool> used(mesh.positions.size(), false);
      for (const Face& face : mesh.faces) {
        for (int corner = 0; corner < 3; ++corner) used[face[corner]] = true;
      }
      if (std::find(used.begin(), used.end(), false) != used.end()) fail(node.name + ": vertice sin cara");
    }
    if (node.kind == AseNodeKind::Camera && !mesh.positions.empty()) fail(node.name + ": una camara no tiene malla");
    if (node.kind == AseNodeKind::Skinned) {
      for (size_t bone : node.bones) {
        if (bone >= i || scene.nodes[bone].kind != AseNodeKind::Bone) fail(node.name + ": hueso no valido");
      }
      if (node.weights.size() != mesh.positions.size()) fail(node.name + ": pesos de cada vertice");
      for (const auto& vertex : node.weights) {
        if (vertex.size() > 4) fail(node.name + ": mas de 4 huesos en un vertice");
        for (const AseBoneWeight& w : vertex) {
          if (w.bone >= node.bones.size() || !(w.weight > 0)) fail(node.name + ": peso no valido");
        }
      }
    } else if (!node.bones.empty() || !node.weights.empty()) {
      fail(node.name + ": pesos en un objeto sin piel");
    }
  }
}

// Hamilton product in double: a (x) b applies b first, then a.
struct Quat {
  double x = 0, y = 0, z = 0, w = 1;
};
Quat product(const Quat& a, const Quat& b) {
  return {a.y * b.z - a.z * b.y + b.x * a.w + a.x * b.w, a.z * b.x - a.x * b.z + b.y * a.w + a.y * b.w,
          a.x * b.y - a.y * b.x + b.z * a.w + a.z * b.w, a.w * b.w - (a.x * b.x + a.y * b.y + a.z * b.z)};
}
Quat widen(const Quaternion& q) { return {q.x, q.y, q.z, q.w}; }

// What the reader holds for a node after its *NODE_TM: the file transform,
// the clip's base matrix and the reference that its tracks are read in.
struct ReadTransform {
  Matrix file;
  Matrix base;
  Matrix reference;
};

class AseText {
 public:
  explicit AseText(const AseScene& scene) : scene(scene), read(scene.nodes.size()) {}

  void header(size_t clip) {
    out += "*3DSMAX_ASCIIEXPORT\t200\n";
    out += "*COMMENT \"Zumbolo content\"\n";
    out += "*SCENE {\n";
    out += "\t*SCENE_FIRSTFRAME 0\n";
    out += "\t*SCENE_LASTFRAME " + std::to_string(scene.clipFrames[clip] - 1) + "\n";
    out += "\t*SCENE_FRAMESPEED 30\n";
    out += "\t*SCENE_TICKSPERFRAME " + std::to_string(kAseTicksPerFrame) + "\n";
    out += "}\n";
  }

  void materials() {
    out += "*MATERIAL_LIST {\n";
    out += "\t*MATERIAL_COUNT " + std::to_string(scene.materials.size()) + "\n";
    for (size_t i = 0; i < scene.materials.size(); ++i) {
      const AseMaterial& m = scene.materials[i];
      out += "\t*MATERIAL " + std::to_string(i) + " {\n";
      out += "\t\t*MATERIAL_NAME " + quoted(m.name) + "\n";
      out += "\t\t*MATERIAL_CLASS \"Standard\"\n";
      out += "\t\t*MATERIAL_AMBIENT " + colour(m.ambient) + "\n";
      out += "\t\t*MATERIAL_DIFFUSE " + colour(m.diffuse) + "\n";
      out += "\t\t*MATERIAL_SPECULAR " + colour(m.specular) + "\n";
      out += "\t\t*MATERIAL_SHINE 0\n";
      out += "\t\t*MATERIAL_TRANSPARENCY 0\n";
      if (!m.bitmap.empty()) {
        out += "\t\t*MAP_DIFFUSE {\n";
        out += "\t\t\t*MAP_NAME " + quoted(m.bitmap) + "\n";
        out += "\t\t\t*MAP_CLASS \"Bitmap\"\n";
        out += "\t\t\t*MAP_SUBNO 1\n";
        out += "\t\t\t*MAP_AMOUNT 1\n";
        out += "\t\t\t*BITMAP " + quoted(m.bitmap) + "\n";
        out += "\t\t\t*MAP_TYPE Screen\n";
        out += "\t\t}\n";
      }
      out += "\t}\n";
    }
    out += "}\n";
  }

  // One node's block. `model`: the model file (meshes, skins, materials,
  // camera settings) rather than a clip file (transform and tracks only).
  void node(size_t index, size_t clip, bool model) {
    const AseNode& n = scene.nodes[index];
    out += std::string(blockKeyword(n.kind)) + " {\n";
    out += "\t*NODE_NAME " + quoted(n.name) + "\n";
    if (n.parent >= 0) out += "\t*NODE_PARENT " + quoted(scene.nodes[n.parent].name) + "\n";
    if (n.kind == AseNodeKind::Camera) out += "\t*CAMERA_TYPE Free\n";
    transform(index, clip);
    if (model) {
      if (n.kind == AseNodeKind::Camera) {
        cameraSettings(n);
      } else {
        mesh(index);
        if (n.kind == AseNodeKind::Skinned) skin(n);
        if (n.material >= 0) out += "\t*MATERIAL_REF " + std::to_string(n.material) + "\n";
      }
    }
    tracks(index, clip);
    out += "}\n";
  }

  // The transforms that a clip file leaves alone stay as the model file
  // gave them: the reader takes a still parent's transform from there.
  void readModelTransforms() {
    for (size_t i = 0; i < scene.nodes.size(); ++i) transform(i, 0);
    out.clear();
  }

  // Other readers of the format (assimp) end the whole file at the close of
  // the first top-level block they do not know, such as a bone or a skin,
  // because they count braces character by character. One opening brace
  // inside a token that the game's reader ignores (it compares whole tokens)
  // keeps their count above zero to the end of the file.
  void keepOtherReadersGoing() { out += "*SKINNED_BLOCKS_FOLLOW {+\n"; }

  std::string text() const { return out; }

 private:
  static std::string colour(const Vector3& c) {
    return number(c.x, kColourDecimals) + "\t" + number(c.y, kColourDecimals) + "\t" + number(c.z, kColourDecimals);
  }
  static std::string triple(const Vector3& v, int decimals) {
    return number(v.x, decimals) + "\t" + number(v.y, decimals) + "\t" + number(v.z, decimals);
  }
  static Vector3 rereadTriple(const Vector3& v, int decimals) {
    return {reread(v.x, decimals), reread(v.y, decimals), reread(v.z, decimals)};
  }

  void transform(size_t index, size_t clip) {
    const AseNode& n = scene.nodes[index];
    const Matrix file = multiply(aseWorld(scene, index, clip, 0), kGameToFile);
    Matrix parsed;
    out += "\t*NODE_TM {\n";
    out += "\t\t*NODE_NAME " + quoted(n.name) + "\n";
    out += "\t\t*INHERIT_POS 0 0 0\n\t\t*INHERIT_ROT 0 0 0\n\t\t*INHERIT_SCL 0 0 0\n";
    for (int row = 0; row < 4; ++row) {
      const int decimals = row == 3 ? kPositionDecimals : kAxisDecimals;
      const Vector3 values(get(file, row, 0), get(file, row, 1), get(file, row, 2));
      out += "\t\t*TM_ROW" + std::to_string(row) + " " + triple(values, decimals) + "\n";
      const Vector3 back = rereadTriple(values, decimals);
      set(parsed, row, 0, back.x);
      set(parsed, row, 1, back.y);
      set(parsed, row, 2, back.z);
    }
    out += "\t\t*TM_POS " + triple(translation(file), kPositionDecimals) + "\n";
    out += "\t}\n";
    ReadTransform& r = read[index];
    r.file = parsed;
    if (n.parent >= 0) {
      r.base = multiply(parsed, inverse(read[n.parent].file));
      r.reference = r.base;
    } else {
      r.base = multiply(parsed, kFileToGame);
      r.reference = parsed;
    }
  }

  void cameraSettings(const AseNode& n) {
    out += "\t*CAMERA_SETTINGS {\n";
    out += "\t\t*TIMEVALUE 0\n";
    out += "\t\t*CAMERA_NEAR " + number(n.nearPlane, kPositionDecimals) + "\n";
    out += "\t\t*CAMERA_FAR " + number(n.farPlane, kPositionDecimals) + "\n";
    out += "\t\t*CAMERA_FOV " + number(n.fovYDegrees * kPi / 180.0, kAxisDecimals) + "\n";
    out += "\t\t*CAMERA_TDIST 100\n";
    out += "\t}\n";
  }

  // The model file stores texture coordinates at the first offset of the
  // texture track: the reader takes that offset off them again.
  Vector3 firstTextureOffset(const AseNode& n) const {
    if (!n.textureMotion) return {};
    return rereadTriple(n.textureMotion(0, 0), kTexCoordDecimals);
  }

  void mesh(size_t index) {
    const AseNode& n = scene.nodes[index];
    const AseMesh& m = n.mesh;
    const Matrix& file = read[index].file;
    std::vector<Vector3> positions(m.positions.size());
    for (size_t i = 0; i < positions.size(); ++i) positions[i] = transformPoint(m.positions[i], file);
    out += "\t*MESH {\n";
    out += "\t\t*TIMEVALUE 0\n";
    out += "\t\t*MESH_NUMVERTEX " + std::to_string(m.positions.size()) + "\n";
    out += "\t\t*MESH_NUMFACES " + std::to_string(m.faces.size()) + "\n";
    out += "\t\t*MESH_VERTEX_LIST {\n";
    for (size_t i = 0; i < positions.size(); ++i) {
      out += "\t\t\t*MESH_VERTEX " + std::to_string(i) + "\t" + triple(positions[i], kPositionDecimals) + "\n";
    }
    out += "\t\t}\n";
    out += "\t\t*MESH_FACE_LIST {\n";
    for (size_t i = 0; i < m.faces.size(); ++i) {
      const Face& f = m.faces[i];
      out += "\t\t\t*MESH_FACE " + std::to_string(i) + ": A: " + std::to_string(f[0]) + " B: " + std::to_string(f[1]) +
             " C: " + std::to_string(f[2]) + " AB: 1 BC: 1 CA: 1 *MESH_SMOOTHING 1 *MESH_MTLID 0\n";
    }
    out += "\t\t}\n";
    if (!m.texCoords.empty()) {
      const Vector3 shift = firstTextureOffset(n);
      out += "\t\t*MESH_NUMTVERTEX " + std::to_string(m.texCoords.size()) + "\n";
      out += "\t\t*MESH_TVERTLIST {\n";
      for (size_t i = 0; i < m.texCoords.size(); ++i) {
        out +=
            "\t\t\t*MESH_TVERT " + std::to_string(i) + "\t" + triple(m.texCoords[i] + shift, kTexCoordDecimals) + "\n";
      }
      out += "\t\t}\n";
      out += "\t\t*MESH_NUMTVFACES " + std::to_string(m.faces.size()) + "\n";
      out += "\t\t*MESH_TFACELIST {\n";
      for (size_t i = 0; i < m.faces.size(); ++i) {
        const Face& f = m.faces[i];
        out += "\t\t\t*MESH_TFACE " + std::to_string(i) + "\t" + std::to_string(f[0]) + "\t" + std::to_string(f[1]) +
               "\t" + std::to_string(f[2]) + "\n";
      }
      out += "\t\t}\n";
    }
    out += "\t\t*MESH_NUMCVERTEX 0\n";
    out += "\t\t*MESH_NORMALS {\n";
    for (size_t i = 0; i < m.faces.size(); ++i) {
      const Face& f = m.faces[i];
      const Vector3 faceNormal =
          normalise(cross(positions[f[1]] - positions[f[0]], positions[f[2]] - positions[f[0]]));
      out += "\t\t\t*MESH_FACENORMAL " + std::to_string(i) + "\t" + triple(faceNormal, kAxisDecimals) + "\n";
      for (int corner = 0; corner < 3; ++corner) {
        const Vector3 normal = normalise(transformVector(m.normals[f[corner]], file));
        out += "\t\t\t\t*MESH_VERTEXNORMAL " + std::to_string(f[corner]) + "\t" + triple(normal, kAxisDecimals) + "\n";
      }
    }
    out += "\t\t}\n";
    out += "\t}\n";
  }

  void skin(const AseNode& n) {
    out += "\t*SKIN_DATA {\n";
    out += "\t\t*SKIN_INFO {\n";
    for (size_t bone : n.bones) out += "\t\t\t*BONE_NAME " + quoted(scene.nodes[bone].name) + "\n";
    out += "\t\t}\n";
    // One entry a vertex: its number, the number of columns, then one weight
    // for each bone in *SKIN_INFO order.
    out += "\t\t*SKIN_TABLE {\n";
    std::vector<float> row(n.bones.size());
    for (size_t v = 0; v < n.weights.size(); ++v) {
      std::fill(row.begin(), row.end(), 0.0f);
      for (const AseBoneWeight& w : n.weights[v]) row[w.bone] += w.weight;
      out += "\t\t\t*BONE_WEIGHT " + std::to_string(v) + " " + std::to_string(row.size());
      for (float w : row) out += " " + number(w, kWeightDecimals);
      out += "\n";
    }
    out += "\t\t}\n";
    out += "\t}\n";
  }

  void tracks(size_t index, size_t clip) {
    const AseNode& n = scene.nodes[index];
    if (!n.moves()) return;
    const uint32_t frames = scene.clipFrames[clip];
    const ReadTransform& r = read[index];
    const Matrix toReference = inverse(r.reference);
    const Matrix fromBase = inverse(r.base);

    std::string positionTrack;
    std::string rotationTrack;
    std::string textureTrack;
    bool positionMoves = false;
    bool rotationMoves = false;
    if (n.motion) {
      // The rotation the reader has built up so far, in its own floats.
      Quaternion accumulated;
      for (uint32_t frame = 0; frame < frames; ++frame) {
        const int tick = static_cast<int>(frame) * kAseTicksPerFrame;
        // The key the reader needs: rotation and offset from the rest pose,
        // in the node's rest axes (local = rotation, then offset, then base).
        const Matrix delta = multiply(aseLocal(scene, index, clip, frame * kAseMsPerFrame), fromBase);
        const Vector3 offset = translation(delta);
        if (length(offset) > kStillOffset) positionMoves = true;
        const Vector3 sample = transformPoint(offset, r.reference);
        positionTrack +=
            "\t\t\t*CONTROL_POS_SAMPLE " + std::to_string(tick) + "\t" + triple(sample, kPositionDecimals) + "\n";

        const Quat target = widen(toQuaternion(delta));
        const Quat conjugate{-accumulated.x, -accumulated.y, -accumulated.z, accumulated.w};
        Quat step = product(target, conjugate);
        if (step.w < 0) step = {-step.x, -step.y, -step.z, -step.w};
        const double sine = std::sqrt(step.x * step.x + step.y * step.y + step.z * step.z);
        const double angle = 2.0 * std::atan2(sine, step.w);
        if (std::sqrt(target.x * target.x + target.y * target.y + target.z * target.z) > kStillRotation) {
          rotationMoves = true;
        }
        // The first sample is the rest pose itself, which the reader skips.
        Vector3 axis(0, 0, 1);
        double fileAngle = 0.0;
        if (frame > 0 && sine > 1e-12) {
          const Vector3 restAxis(static_cast<float>(step.x / sine), static_cast<float>(step.y / sine),
                                 static_cast<float>(step.z / sine));
          axis = normalise(transformVector(restAxis, r.reference));
          fileAngle = -(angle * 180.0 / kPi) / (360.0 * kInverseTwoPi);
        }
        rotationTrack += "\t\t\t*CONTROL_ROT_SAMPLE " + std::to_string(tick) + "\t" + triple(axis, kAxisDecimals) +
                         "\t" + number(fileAngle, kAxisDecimals) + "\n";
        if (frame > 0) {
          const Vector3 readAxis = transformVector(rereadTriple(axis, kAxisDecimals), toReference);
          const double degrees = reread(fileAngle, kAxisDecimals) * 360.0 * kInverseTwoPi * -1.0;
          accumulated = ::product(fromAxisAngle(static_cast<float>(degrees), readAxis), accumulated);
        }
      }
    }
    if (n.textureMotion) {
      for (uint32_t frame = 0; frame < frames; ++frame) {
        textureTrack += "\t\t\t*CONTROL_TXT_SAMPLE " + std::to_string(static_cast<int>(frame) * kAseTicksPerFrame) +
                        "\t" + triple(n.textureMotion(clip, frame), kTexCoordDecimals) + "\n";
      }
    }
    if (!positionMoves && !rotationMoves && textureTrack.empty()) return;
    out += "\t*TM_ANIMATION {\n";
    out += "\t\t*NODE_NAME " + quoted(n.name) + "\n";
    if (positionMoves) out += "\t\t*CONTROL_POS_TRACK {\n" + positionTrack + "\t\t}\n";
    if (rotationMoves) out += "\t\t*CONTROL_ROT_TRACK {\n" + rotationTrack + "\t\t}\n";
    if (!textureTrack.empty()) out += "\t\t*CONTROL_TXT_TRACK {\n" + textureTrack + "\t\t}\n";
    out += "\t}\n";
  }

  const AseScene& scene;
  std::vector<ReadTransform> read;
  std::string out;
};

}  // namespace

void AseMesh::append(const AseMesh& other) {
  const auto base = static_cast<uint32_t>(positions.size());
  positions.insert(positions.end(), other.positions.begin(), other.positions.end());
  normals.insert(normals.end(), other.normals.begin(), other.normals.end());
  texCoords.insert(texCoords.end(), other.texCoords.begin(), other.texCoords.end());
  for (const Face& f : other.faces) faces.emplace_back(f[0] + base, f[1] + base, f[2] + base);
}

void AseMesh::transform(const Matrix& m) {
  for (Vector3& p : positions) p = transformPoint(p, m);
  for (Vector3& n : normals) n = normalise(transformVector(n, m));
}

int AseScene::addMaterial(AseMaterial material) {
  materials.push_back(std::move(material));
  return static_cast<int>(materials.size()) - 1;
}

int AseScene::addNode(AseNode node) {
  nodes.push_back(std::move(node));
  return static_cast<int>(nodes.size()) - 1;
}

int AseScene::find(const std::string& name) const {
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

Matrix aseLocal(const AseScene& scene, size_t node, size_t clip, uint32_t timeMs) {
  const AseNode& n = scene.nodes.at(node);
  return n.motion ? n.motion(clip, timeMs) : n.rest;
}

Matrix aseWorld(const AseScene& scene, size_t node, size_t clip, uint32_t timeMs) {
  const Matrix local = aseLocal(scene, node, clip, timeMs);
  const int parent = scene.nodes.at(node).parent;
  return parent < 0 ? local : multiply(local, aseWorld(scene, static_cast<size_t>(parent), clip, timeMs));
}

std::string writeAseModel(const AseScene& scene) {
  validate(scene);
  AseText text(scene);
  text.header(0);
  text.materials();
  bool skinned = false;
  for (size_t i = 0; i < scene.nodes.size(); ++i) {
    const AseNodeKind kind = scene.nodes[i].kind;
    if (!skinned && (kind == AseNodeKind::Bone || kind == AseNodeKind::Skinned)) {
      skinned = true;
      text.keepOtherReadersGoing();
    }
    text.node(i, 0, true);
  }
  return text.text();
}

std::string writeAseClip(const AseScene& scene, size_t clip) {
  validate(scene);
  if (clip == 0 || clip >= scene.clipFrames.size()) fail("clip " + std::to_string(clip) + " no existe");
  AseText text(scene);
  text.readModelTransforms();
  text.header(clip);
  for (size_t i = 0; i < scene.nodes.size(); ++i) {
    if (scene.nodes[i].moves()) text.node(i, clip, false);
  }
  return text.text();
}
