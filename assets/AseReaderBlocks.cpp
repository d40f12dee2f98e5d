// The blocks inside an object block of the model reader: *MESH (positions,
// faces, texture coordinates, normals), *SKIN_DATA (bones and per-vertex
// weights) and *TM_ANIMATION (position, rotation and texture tracks).
//
// Positions and normals in the file are in the file's world space; they are
// brought into the object's own space through the inverse of the object's
// file transform, which the *NODE_TM block has just stored as its world
// matrix. Every index is checked against the list it points into before the
// mesh reaches the engine.

#include <algorithm>

#include "assets/AseReader.h"
#include "engine/Log.h"
#include "engine/SkinnedObject.h"

namespace {

// Radians to degrees as the game converted track angles: 360 times this
// single-precision 1 / (2 pi).
constexpr float kInverseTwoPi = 0.15915494f;
// Bone indices are u16 in the skin's slots.
constexpr size_t kMaxBones = 65536;

// Consumes the "{" that must open a list or a track. Without one the list
// is not read (its keyword's other tokens are then ignored one by one).
bool openBlock(AseTokenizer& tokens, const char* keyword) {
  const std::string_view token = tokens.peek();
  if (token == "{") {
    std::string_view open;
    tokens.next(open);
    return true;
  }
  if (token.empty()) {
    tokens.reportEnd();
  } else {
    tokens.report("Error: falta \"{\" tras %s", keyword);
  }
  return false;
}

// A token whose text is not looked at (an entry's index, a face's corner
// labels). A brace or a keyword is left for the list reader. Inline for the
// same reason as the tokenizer's number reads.
[[gnu::always_inline]] inline bool skipLabel(AseTokenizer& tokens) { return tokens.skipToken(); }

// Room for `count` entries, but never more than the rest of the file could
// hold: a count from the file is not trusted with an allocation.
size_t reserveFor(const AseTokenizer& tokens, int32_t count, size_t minEntryBytes) {
  return std::min(static_cast<size_t>(std::max(count, 0)), tokens.remaining() / minEntryBytes);
}

// How the next entry of a list or track begins.
enum class EntryStart { Entry, Close, End };

// Consumes the keyword of the next entry: Entry for any token but "}" (it is
// nearly always `expected`, which is checked first in one compare), Close
// for the list's "}", End at the end of the input (reported).
template <size_t N>
EntryStart startEntry(AseTokenizer& tokens, const char (&expected)[N]) {
  if (tokens.nextIs(expected)) return EntryStart::Entry;
  std::string_view token;
  if (!tokens.next(token)) {
    tokens.reportEnd();
    return EntryStart::End;
  }
  return token == "}" ? EntryStart::Close : EntryStart::Entry;
}

// Reads the `count` entries of a list whose "{" has been read, each with its
// keyword token first, and the list's closing "}". A list that ends early or
// holds more entries than its count is reported; the extra entries are
// ignored. The entries' keyword is not looked at, but it is nearly always
// `entryKeyword`. readEntry gives false for a broken entry (reported), whose
// line is then passed over.
template <size_t N, typename ReadEntry>
void readEntries(AseTokenizer& tokens, int32_t count, const char* list, const char (&entryKeyword)[N],
                 ReadEntry readEntry) {
  std::string_view token;
  for (int32_t i = 0; i < count; ++i) {
    const EntryStart start = startEntry(tokens, entryKeyword);
    if (start == EntryStart::End) return;
    if (start == EntryStart::Close) {
      tokens.report("Error: %s tiene %d entradas y no %d", list, i, count);
      return;
    }
    if (!readEntry()) tokens.skipLine();
  }
  if (!tokens.next(token)) {
    tokens.reportEnd();
  } else if (token != "}") {
    tokens.report("Error: %s tiene mas de %d entradas; se ignoran las demas", list, count);
    tokens.skipToClose();
  }
}

int32_t readCount(AseTokenizer& tokens) {
  const int32_t count = tokens.readInt();
  if (count >= 0) return count;
  tokens.report("Error: numero de elementos negativo %d", count);
  return 0;
}

bool faceFits(const Face& face, size_t vertexCount) {
  return face[0] < vertexCount && face[1] < vertexCount && face[2] < vertexCount;
}

// A sample of a track: tick and `count` numbers. False for a broken sample,
// which is left out.
bool readSample(AseTokenizer& tokens, int32_t& tick, float* values, int count) {
  if (!tokens.readInt(tick)) return false;
  for (int i = 0; i < count; ++i) {
    if (!tokens.readFloat(values[i])) return false;
  }
  if (tick < 0) {
    tokens.report("Error: muestra de animacion en el tick negativo %d", tick);
    return false;
  }
  return true;
}

// Reads the samples of a track whose "{" has been read, up to its "}". The
// samples' keyword is not looked at, but it is nearly always `sampleKeyword`.
template <size_t N, typename AddSample>
void readSamples(AseTokenizer& tokens, const char (&sampleKeyword)[N], int count, AddSample addSample) {
  while (startEntry(tokens, sampleKeyword) == EntryStart::Entry) {
    int32_t tick = 0;
    float values[4] = {0, 0, 0, 0};
    if (readSample(tokens, tick, values, count)) {
      addSample(tick, values);
    } else {
      tokens.skipLine();
    }
  }
}

}  // namespace

void AseReader::readMesh(AseTokenizer& tokens, SceneObject& object) {
  int32_t vertexCount = 0;
  int32_t faceCount = 0;
  int32_t texVertexCount = 0;
  int32_t texFaceCount = 0;
  const Matrix toObject = inverse(object.worldMatrix());
  // Faces as the file lists them, and which of them the mesh kept; texture
  // face i belongs to file face i.
  std::vector<Face> fileFaces;
  std::vector<bool> faceKept;
  bool faceListRead = false;
  bool texFacesRead = false;
  std::vector<Face> texFaces;
  std::string_view token;
  // Blocks without a rule here (vertex colours, further mapping channels)
  // are skipped whole: their "}" would end the mesh early, and the object
  // would then lose its normals, material and animation.
  bool opened = false;
  while (tokens.nextInBlock(token, opened)) {
    if (token == "*MESH_NUMVERTEX") {
      vertexCount = readCount(tokens);
    } else if (token == "*MESH_NUMFACES") {
      faceCount = readCount(tokens);
    } else if (token == "*MESH_NUMTVERTEX") {
      texVertexCount = readCount(tokens);
    } else if (token == "*MESH_NUMTVFACES") {
      texFaceCount = readCount(tokens);
    } else if (token == "*MESH_VERTEX_LIST") {
      if (!openBlock(tokens, "*MESH_VERTEX_LIST")) continue;
      std::vector<Vector3> vertices;
      vertices.reserve(reserveFor(tokens, vertexCount, 16));
      readEntries(tokens, vertexCount, "*MESH_VERTEX_LIST", "*MESH_VERTEX", [&] {
        Vector3 p;
        const bool ok = skipLabel(tokens) && tokens.readFloat(p.x) && tokens.readFloat(p.y) && tokens.readFloat(p.z);
        vertices.push_back(transformPoint(p, toObject));
        return ok;
      });
      object.setVertices(std::move(vertices));
    } else if (token == "*MESH_FACE_LIST") {
      if (!openBlock(tokens, "*MESH_FACE_LIST")) continue;
      faceListRead = true;
      fileFaces.clear();
      fileFaces.reserve(reserveFor(tokens, faceCount, 24));
      std::vector<size_t> brokenFaces;
      if (!tokens.next(token)) {
        tokens.reportEnd();
        token = "}";
      }
      // The face lines end in edge flags, a smoothing group and a material
      // id of varying length: everything up to the next face is skipped.
      for (int32_t i = 0; i < faceCount; ++i) {
        if (token == "}") {
          tokens.report("Error: *MESH_FACE_LIST tiene %d caras y no %d", i, faceCount);
          break;
        }
        int32_t corners[3] = {-1, -1, -1};
        const bool ok = skipLabel(tokens) && skipLabel(tokens) && tokens.readInt(corners[0]) &&
                        skipLabel(tokens) && tokens.readInt(corners[1]) && skipLabel(tokens) &&
                        tokens.readInt(corners[2]);
        // A broken face line (already reported) keeps its place for the
        // texture faces but is left out.
        if (!ok) brokenFaces.push_back(fileFaces.size());
        fileFaces.emplace_back(static_cast<uint32_t>(corners[0]), static_cast<uint32_t>(corners[1]),
                               static_cast<uint32_t>(corners[2]));
        if (!tokens.nextOf("*MESH_FACE", token)) {
          tokens.reportEnd();
          token = "}";
        }
      }
      if (token != "}") {
        tokens.report("Error: *MESH_FACE_LIST tiene mas de %d caras; se ignoran las demas", faceCount);
        tokens.skipToClose();
      }
      // A face with a corner beyond the vertex list is dropped.
      const size_t vertexTotal = object.vertices().size();
      faceKept.assign(fileFaces.size(), true);
      for (size_t broken : brokenFaces) faceKept[broken] = false;
      std::vector<Face> faces;
      faces.reserve(fileFaces.size());
      size_t dropped = 0;
      for (size_t i = 0; i < fileFaces.size(); ++i) {
        if (!faceKept[i]) continue;
        if (faceFits(fileFaces[i], vertexTotal)) {
          faces.push_back(fileFaces[i]);
        } else {
          faceKept[i] = false;
          ++dropped;
        }
      }
      if (dropped > 0) {
        tokens.report("Error: %zu caras de %s usan vertices que no existen (hay %zu); se descartan", dropped,
                      object.name().c_str(), vertexTotal);
      }
      object.setFaces(std::move(faces));
      object.computeNormals();
    } else if (token == "*MESH_TVERTLIST") {
      if (!openBlock(tokens, "*MESH_TVERTLIST")) continue;
      std::vector<Vector3> texCoords;
      texCoords.reserve(reserveFor(tokens, texVertexCount, 16));
      readEntries(tokens, texVertexCount, "*MESH_TVERTLIST", "*MESH_TVERT", [&] {
        Vector3 uvw;
        const bool ok =
            skipLabel(tokens) && tokens.readFloat(uvw.x) && tokens.readFloat(uvw.y) && tokens.readFloat(uvw.z);
        texCoords.push_back(uvw);
        return ok;
      });
      object.setTexCoords(std::move(texCoords));
    } else if (token == "*MESH_TFACELIST") {
      if (!openBlock(tokens, "*MESH_TFACELIST")) continue;
      texFacesRead = true;
      texFaces.clear();
      texFaces.reserve(reserveFor(tokens, texFaceCount, 16));
      readEntries(tokens, texFaceCount, "*MESH_TFACELIST", "*MESH_TFACE", [&] {
        int32_t corners[3] = {0, 0, 0};
        const bool ok = skipLabel(tokens) && tokens.readInt(corners[0]) && tokens.readInt(corners[1]) &&
                        tokens.readInt(corners[2]);
        texFaces.emplace_back(static_cast<uint32_t>(corners[0]), static_cast<uint32_t>(corners[1]),
                              static_cast<uint32_t>(corners[2]));
        return ok;
      });
    } else if (token == "*MESH_NORMALS") {
      if (!openBlock(tokens, "*MESH_NORMALS")) continue;
      std::vector<Vector3> normals = object.normals();
      normals.resize(object.vertices().size());
      size_t missing = 0;
      int32_t firstMissing = 0;
      // Each face: its face normal (ignored), then one vertex normal for
      // each corner. A vertex listed again takes its last normal; the
      // exporter's unit normals stay as they are (not normalised again).
      bool closed = false;
      while (!closed) {
        if (startEntry(tokens, "*MESH_FACENORMAL") != EntryStart::Entry) break;
        for (int i = 0; i < 4; ++i) {
          if (!skipLabel(tokens)) break;
        }
        for (int corner = 0; corner < 3; ++corner) {
          if (startEntry(tokens, "*MESH_VERTEXNORMAL") != EntryStart::Entry) {
            closed = true;
            break;
          }
          int32_t vertex = 0;
          Vector3 n;
          if (!(tokens.readInt(vertex) && tokens.readFloat(n.x) && tokens.readFloat(n.y) && tokens.readFloat(n.z))) {
            tokens.skipLine();
            continue;
          }
          if (vertex < 0 || static_cast<size_t>(vertex) >= normals.size()) {
            if (missing++ == 0) firstMissing = vertex;
            continue;
          }
          normals[static_cast<size_t>(vertex)] = transformVector(n, toObject);
        }
      }
      if (missing > 0) {
        tokens.report("Error: %zu normales de %s son de vertices que no existen (el primero, %d); se ignoran",
                      missing, object.name().c_str(), firstMissing);
      }
      object.setNormals(std::move(normals));
    }
  }

  // Texture faces go with the faces by position: this block's list,
  // matched to this block's face list, or what the object had.
  std::vector<Face> texChecked;
  if (texFacesRead) {
    if (texFaces.size() > fileFaces.size()) {
      tokens.report("Error: %s tiene %zu caras de textura para %zu caras; sobran", object.name().c_str(),
                    texFaces.size(), fileFaces.size());
      texFaces.resize(fileFaces.size());
    }
    texChecked.reserve(texFaces.size());
    for (size_t i = 0; i < texFaces.size(); ++i) {
      if (faceKept[i]) texChecked.push_back(texFaces[i]);
    }
  } else if (!object.texFaces().empty()) {
    texChecked = object.texFaces();
    // A new face list makes the old texture faces meaningless.
    if (faceListRead || texChecked.size() > object.faces().size()) {
      tokens.report("Error: las caras de textura de %s no son de sus caras; se descartan", object.name().c_str());
      texChecked.clear();
    }
  }
  bool texChanged = texFacesRead || texChecked.size() != object.texFaces().size();

  // Faces whichever block gave them must fit the final vertex list (one read
  // again after the faces may have cut some off).
  const size_t vertexTotal = object.vertices().size();
  const std::vector<Face>& currentFaces = object.faces();
  if (std::any_of(currentFaces.begin(), currentFaces.end(), [&](const Face& f) { return !faceFits(f, vertexTotal); })) {
    tokens.report("Error: caras de %s fuera de sus %zu vertices; se descartan", object.name().c_str(), vertexTotal);
    std::vector<Face> faces;
    std::vector<Face> texKept;
    for (size_t i = 0; i < currentFaces.size(); ++i) {
      if (!faceFits(currentFaces[i], vertexTotal)) continue;
      faces.push_back(currentFaces[i]);
      if (i < texChecked.size()) texKept.push_back(texChecked[i]);
    }
    object.setFaces(std::move(faces));
    object.computeNormals();
    texChecked = std::move(texKept);
    texChanged = true;
  }

  const size_t texTotal = object.texCoords().size();
  size_t outside = 0;
  for (Face& face : texChecked) {
    for (int corner = 0; corner < 3; ++corner) {
      if (face[corner] >= texTotal) {
        ++outside;
        face[corner] = 0;
      }
    }
  }
  if (outside > 0 && texTotal == 0) {
    tokens.report("Error: %s tiene caras de textura pero no coordenadas; se descartan", object.name().c_str());
    texChecked.clear();
  } else if (outside > 0) {
    tokens.report("Error: %zu indices de textura de %s pasan de las %zu coordenadas; se usa la primera", outside,
                  object.name().c_str(), texTotal);
  }
  if (texChanged || outside > 0) object.setTexFaces(std::move(texChecked));

  if (object.normals().size() != vertexTotal) object.computeNormals();
}

void AseReader::readSkin(AseTokenizer& tokens, SkinnedObject& skin) {
  std::string_view token;
  while (tokens.nextInBlock(token)) {
    if (token == "*SKIN_INFO") {
      if (!openBlock(tokens, "*SKIN_INFO")) continue;
      // Bone 0 is the skin itself.
      if (skin.bones().empty()) skin.addBone(&skin);
      while (tokens.nextInBlock(token)) {
        if (token != "*BONE_NAME") continue;
        const std::string name = tokens.readQuoted();
        if (skin.bones().size() >= kMaxBones) {
          tokens.report("Error: %s tiene mas de %zu huesos; se ignora %s", skin.name().c_str(), kMaxBones - 1,
                        name.c_str());
          continue;
        }
        const std::shared_ptr<SceneNode> node = rootGroup->findNode(name);
        auto* bone = dynamic_cast<BoneObject*>(node.get());
        if (!node) {
          printMessage("No se encuentra el bone indicado!! %s \n", name.c_str());
        } else if (!bone) {
          tokens.report("Error: el nodo %s no es un hueso", name.c_str());
        }
        // A bone that cannot be found still takes its column of the weight
        // table, so the later columns keep their bones; its weight follows
        // the skin itself.
        skin.addBone(bone ? bone : &skin);
      }
    } else if (token == "*SKIN_TABLE") {
      if (!openBlock(tokens, "*SKIN_TABLE")) continue;
      readSkinTable(tokens, skin);
    }
  }
}

void AseReader::readSkinTable(AseTokenizer& tokens, SkinnedObject& skin) {
  if (skin.bones().empty()) skin.addBone(&skin);
  const size_t boneCount = skin.bones().size();
  std::string_view token;
  if (!tokens.next(token)) {
    tokens.reportEnd();
    return;
  }
  uint32_t vertex = 0;
  size_t outsideColumns = 0;
  // One entry a vertex: its keyword, two tokens that are not used, then one
  // weight a bone column (1, 2, ...; column 0 would be the skin itself).
  while (token != "}") {
    skipLabel(tokens);
    skipLabel(tokens);
    float weight[kMaxBonesPerVertex] = {0, 0, 0, 0};
    uint16_t bone[kMaxBonesPerVertex] = {0, 0, 0, 0};
    int count = 0;
    bool any = false;
    size_t column = 1;
    bool ended = false;
    while (true) {
      if (!tokens.next(token)) {
        tokens.reportEnd();
        ended = true;
        break;
      }
      if (token == "*BONE_WEIGHT" || token == "}") break;
      const double w = AseTokenizer::leadingDouble(token);
      if (column >= boneCount) {
        if (w != 0) ++outsideColumns;
      } else if (w == 0) {
      } else if (count < kMaxBonesPerVertex) {
        weight[count] = static_cast<float>(w);
        bone[count] = static_cast<uint16_t>(column);
        any = true;
        ++count;
      } else {
        // Only four bones a vertex: the smallest weight goes (the earliest
        // among equals) and is shared out evenly, so the sum stays.
        int smallest = 0;
        for (int i = 1; i < kMaxBonesPerVertex; ++i) {
          if (weight[i] < weight[smallest]) smallest = i;
        }
        double spread = w;
        if (w > weight[smallest]) {
          spread = weight[smallest];
          bone[smallest] = static_cast<uint16_t>(column);
          weight[smallest] = static_cast<float>(w);
        }
        for (float& kept : weight) kept = static_cast<float>(kept + spread * 0.25);
        ++count;
      }
      ++column;
    }
    if (any) {
      for (int i = 0; i < std::min(count, kMaxBonesPerVertex); ++i) skin.setBoneWeight(vertex, bone[i], weight[i]);
    } else {
      skin.setBoneWeight(vertex, 0, 1.0f);
    }
    if (count > kMaxBonesPerVertex) {
      printMessage("WARNING!!: El v\xE9rtice%u tiene asociados m\xE1s de 4 bones \n", vertex);
    }
    ++vertex;
    if (ended) break;
  }
  if (outsideColumns > 0) {
    tokens.report("Error: %zu pesos de %s son de columnas sin hueso (hay %zu huesos); se ignoran", outsideColumns,
                  skin.name().c_str(), boneCount - 1);
  }
}

void AseReader::finishSkin(AseTokenizer& tokens, SkinnedObject& skin) {
  if (skin.bones().empty()) skin.addBone(&skin);
  const size_t vertexTotal = skin.vertices().size();
  const size_t weighted = skin.boneWeights().size() / kMaxBonesPerVertex;
  if (weighted >= vertexTotal) return;
  // Every vertex needs its slots; one without follows the skin itself.
  tokens.report("Error: la tabla de pesos de %s cubre %zu de %zu vertices; el resto sigue al objeto",
                skin.name().c_str(), weighted, vertexTotal);
  for (size_t vertex = weighted; vertex < vertexTotal; ++vertex) {
    skin.setBoneWeight(static_cast<uint32_t>(vertex), 0, 1.0f);
  }
}

void AseReader::readAnimation(AseTokenizer& tokens, SceneObject& object, Animation& animation) {
  // Keys are relative to the node's rest pose: below another object, the
  // clip's base matrix (local to the parent); at the top, the file transform.
  const Matrix toReference = inverse(hasObjectParent(object) ? animation.matrix() : object.worldMatrix());
  const int32_t ticks = ticksPerFrame();
  std::vector<PositionKey> positions;
  std::vector<RotationKey> rotations;
  std::vector<PositionKey> textureOffsets;
  bool positionsRead = false;
  bool rotationsRead = false;
  bool textureOffsetsRead = false;
  std::string_view token;
  // Tracks of other controllers (Bezier, TCB) are skipped whole, so that
  // the tracks and the blocks after them are still read.
  bool opened = false;
  while (tokens.nextInBlock(token, opened)) {
    if (token == "*CONTROL_POS_TRACK") {
      if (!openBlock(tokens, "*CONTROL_POS_TRACK")) continue;
      positionsRead = true;
      positions.clear();
      // The rest pose is frame 0; a sample at frame 0 would repeat it.
      positions.emplace_back(0, Vector3());
      readSamples(tokens, "*CONTROL_POS_SAMPLE", 3, [&](int32_t tick, const float* v) {
        const int32_t frame = tick / ticks;
        if (frame == 0) return;
        positions.emplace_back(static_cast<uint32_t>(frame), transformPoint(Vector3(v[0], v[1], v[2]), toReference));
      });
    } else if (token == "*CONTROL_ROT_TRACK") {
      if (!openBlock(tokens, "*CONTROL_ROT_TRACK")) continue;
      rotationsRead = true;
      rotations.clear();
      rotations.emplace_back(0, Quaternion());
      // Each sample turns on from the one before: the keys accumulate them.
      readSamples(tokens, "*CONTROL_ROT_SAMPLE", 4, [&](int32_t tick, const float* v) {
        if (tick == 0) return;
        const Vector3 axis = transformVector(Vector3(v[0], v[1], v[2]), toReference);
        const double degrees = v[3] * 360.0 * kInverseTwoPi * -1.0;
        const Quaternion step = fromAxisAngle(static_cast<float>(degrees), axis);
        const Quaternion turned = product(step, rotations.back().value);
        rotations.emplace_back(static_cast<uint32_t>(tick / ticks), turned);
      });
    } else if (token == "*CONTROL_TXT_TRACK") {
      if (!openBlock(tokens, "*CONTROL_TXT_TRACK")) continue;
      textureOffsetsRead = true;
      textureOffsets.clear();
      readSamples(tokens, "*CONTROL_TXT_SAMPLE", 3, [&](int32_t tick, const float* v) {
        textureOffsets.emplace_back(static_cast<uint32_t>(tick / ticks), Vector3(v[0], v[1], v[2]));
      });
    }
  }
  if (positionsRead) animation.setPositionKeys(std::move(positions));
  if (rotationsRead) animation.setRotationKeys(std::move(rotations));
  if (textureOffsetsRead) {
    // In the model file the mesh is stored at the first texture offset; the
    // offsets then move it from there. Clip files leave the mesh alone.
    const bool modelFile = rootGroup->animationCount() == 1;
    const Vector3 first = textureOffsets.empty() ? Vector3() : textureOffsets.front().value;
    animation.setTextureOffsetKeys(std::move(textureOffsets));
    if (modelFile && !(first == Vector3())) {
      std::vector<Vector3> texCoords = object.texCoords();
      for (Vector3& uvw : texCoords) uvw = uvw - first;
      object.setTexCoords(std::move(texCoords));
    }
  }
}
