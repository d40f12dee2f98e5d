// The top level of the model reader: the file loop, the scene, material,
// object, transform and camera blocks, and the clip files. The mesh, skin and
// animation-track blocks are in AseReaderBlocks.cpp.

#include "assets/AseReader.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <unordered_map>

#include "assets/ShaderProgram.h"
#include "engine/BillboardObject.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "engine/Log.h"
#include "engine/SkinnedObject.h"
#include "engine/ToonMaterial.h"

namespace {

// The file's Z-up space to the game's Y-up space: (x, y, z) becomes (x, z, -y).
const Matrix kAxisChange(1, 0, 0, 0, 0, -1, 0, 1, 0, 0, 0, 0);

// Camera fields of view are radians in the file; the game keeps degrees and
// converted with this single-precision 1 / (2 pi).
constexpr float kInverseTwoPi = 0.15915494f;

const char* kindName(AseObjectKind kind) {
  switch (kind) {
    case AseObjectKind::Geometry: return "*GEOMOBJECT";
    case AseObjectKind::Bone: return "*BONEOBJECT";
    case AseObjectKind::Skinned: return "*GEOMOBJECTWITHBONES";
    case AseObjectKind::Camera: return "*CAMERAOBJECT";
  }
  return "";
}

// Consumes the "{" that opens a block the reader skips; a missing one is
// left alone (the block is then read token by token by its caller).
void skipOpenBlock(AseTokenizer& tokens) {
  if (tokens.peek() == "{") {
    std::string_view open;
    tokens.next(open);
    tokens.skipBlock();
  }
}

// ASCII letters only: other bytes of a name are compared as they are.
bool sameIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

// Windows exports often name a bitmap in another letter case than the file
// beside the model, which Linux would not find. A path that exists is kept
// as it is; otherwise the folder is searched for the name in any case (the
// first such file in byte order, so that every load picks the same one),
// and with none the path stays as built, for the texture factory to name.
std::string bitmapPath(const std::string& folder, const std::string& file) {
  namespace fs = std::filesystem;
  const std::string built = folder + file;
  std::error_code error;
  if (file.empty() || fs::exists(built, error)) return built;
  std::string found;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    std::error_code ignored;
    if (sameIgnoringCase(name, file) && entry->is_regular_file(ignored) && (found.empty() || name < found)) {
      found = name;
    }
  }
  return found.empty() ? built : folder + found;
}

}  // namespace

AseReader::AseReader(const std::string& path, std::shared_ptr<TextureFactory> textureFactory)
    : rootGroup(std::make_shared<AnimatedGroup>(path)), textures(std::move(textureFactory)) {
  if (!textures) textures = std::make_shared<RecordingTextureFactory>();
  setPath(path);
}

void AseReader::setPath(const std::string& path) {
  filePath = path;
  size_t cut = path.rfind('/');
  if (cut == std::string::npos) cut = path.rfind('\\');
  textureDirectory = cut == std::string::npos ? std::string("./") : path.substr(0, cut + 1);
}

std::shared_ptr<Model> AseReader::load() {
  AseTokenizer tokens;
  if (!tokens.open(filePath)) {
    printMessage("Error: no se puede abrir el fichero de modelo %s\n", filePath.c_str());
    if (!rootGroup) rootGroup = std::make_shared<AnimatedGroup>(filePath);
    return std::make_shared<Model>(Model{rootGroup, materialList, objectList});
  }
  readModel(tokens);
  return std::make_shared<Model>(Model{rootGroup, materialList, objectList});
}

std::shared_ptr<Model> AseReader::loadText(std::string text) {
  AseTokenizer tokens(std::move(text), filePath);
  readModel(tokens);
  return std::make_shared<Model>(Model{rootGroup, materialList, objectList});
}

void AseReader::loadAnimation(const std::string& path) {
  if (!rootGroup) return;
  AseTokenizer tokens;
  if (!tokens.open(path)) {
    printMessage("Error: no se puede abrir el fichero de animacion %s\n", path.c_str());
    return;
  }
  readClip(tokens);
}

void AseReader::loadAnimationText(std::string text, const std::string& name) {
  if (!rootGroup) return;
  AseTokenizer tokens(std::move(text), name);
  readClip(tokens);
}

void AseReader::readModel(AseTokenizer& tokens) {
  if (!rootGroup) rootGroup = std::make_shared<AnimatedGroup>(filePath);
  sceneRead = false;
  std::string_view token;
  while (tokens.next(token)) {
    if (token == "*SCENE") {
      readScene(tokens);
    } else if (token == "*MATERIAL_LIST") {
      readMaterialList(tokens);
    } else if (token == "*GEOMOBJECT") {
      finishObject(tokens, readObject(tokens, AseObjectKind::Geometry), AseObjectKind::Geometry);
    } else if (token == "*BONEOBJECT") {
      finishObject(tokens, readObject(tokens, AseObjectKind::Bone), AseObjectKind::Bone);
    } else if (token == "*GEOMOBJECTWITHBONES") {
      finishObject(tokens, readObject(tokens, AseObjectKind::Skinned), AseObjectKind::Skinned);
    } else if (token == "*CAMERAOBJECT") {
      readCamera(tokens);
    } else if (token == "{") {
      tokens.skipBlock();
    }
  }
  // Clip i of every object is clip i of the root, also for a file without
  // any *SCENE block.
  ensureScene(tokens);
}

void AseReader::readScene(AseTokenizer& tokens) {
  int32_t first = 0;
  int32_t last = 0;
  int32_t ticks = 0;
  std::string_view token;
  while (tokens.nextInBlock(token)) {
    if (token == "*SCENE_FIRSTFRAME") {
      tokens.readInt(first);
    } else if (token == "*SCENE_LASTFRAME") {
      tokens.readInt(last);
    } else if (token == "*SCENE_TICKSPERFRAME") {
      tokens.readInt(ticks);
    }
  }
  // A clip needs at least 1 ms per frame and one frame, and its length must
  // stay well inside the u32 clock.
  if (ticks < kTicksPerMs || ticks > kMaxTicksPerFrame) {
    tokens.report("Error: *SCENE_TICKSPERFRAME %d no valido; se usa %d", ticks, kDefaultTicksPerFrame);
    ticks = kDefaultTicksPerFrame;
  }
  int64_t frames = static_cast<int64_t>(last) - first + 1;
  if (frames < 1) {
    tokens.report("Error: el clip va del fotograma %d al %d; se usa un fotograma", first, last);
    frames = 1;
  } else if (frames > kMaxFrames) {
    tokens.report("Error: el clip tiene %lld fotogramas; se limita a %lld", static_cast<long long>(frames),
                  static_cast<long long>(kMaxFrames));
    frames = kMaxFrames;
  }
  sceneTicksPerFrame = ticks;
  sceneFrameCount = static_cast<int32_t>(frames);
  sceneRead = true;
  rootGroup->addAnimation(static_cast<uint32_t>(ticks / kTicksPerMs) * static_cast<uint32_t>(frames - 1));
}

void AseReader::ensureScene(AseTokenizer& tokens) {
  if (sceneRead) return;
  tokens.report("Error: falta el bloque *SCENE; se usa un clip de un fotograma");
  sceneTicksPerFrame = kDefaultTicksPerFrame;
  sceneFrameCount = 1;
  sceneRead = true;
  rootGroup->addAnimation(0);
}

std::shared_ptr<Animation> AseReader::newAnimation() const {
  return std::make_shared<Animation>(static_cast<uint32_t>(sceneFrameCount), static_cast<uint32_t>(msPerFrame()));
}

void AseReader::readMaterialList(AseTokenizer& tokens) {
  std::string_view token;
  while (tokens.nextInBlock(token)) {
    if (token == "*MATERIAL") readMaterial(tokens);
  }
}

std::shared_ptr<Material> AseReader::makeMaterial(const std::string& name) const {
  // "Skin [cartoon]" is drawn with the "cartoon" program and outlined; any
  // other bracketed name only picks a program.
  std::shared_ptr<Material> material;
  const size_t open = name.find('[');
  const size_t close = name.find(']');
  if (open != std::string::npos && close != std::string::npos && open < close) {
    const std::string shader = name.substr(open + 1, close - open - 1);
    if (shader == "cartoon") {
      material = std::make_shared<ToonMaterial>(loadShaderProgram(shader));
    } else {
      material = std::make_shared<Material>(loadShaderProgram(shader));
    }
  } else {
    material = std::make_shared<Material>(0);
  }
  material->setName(name);
  return material;
}

void AseReader::readMaterial(AseTokenizer& tokens) {
  std::shared_ptr<Material> material;
  auto current = [&]() -> Material& {
    if (!material) {
      tokens.report("Error: el material no empieza por *MATERIAL_NAME");
      material = makeMaterial("");
    }
    return *material;
  };
  auto readColour = [&]() {
    Vector3 colour;
    tokens.readFloat(colour.x);
    tokens.readFloat(colour.y);
    tokens.readFloat(colour.z);
    return colour;
  };
  std::string_view token;
  while (tokens.nextInBlock(token)) {
    if (token == "*MATERIAL_NAME") {
      material = makeMaterial(tokens.readQuoted());
    } else if (token == "*MATERIAL_AMBIENT") {
      current().setAmbient(readColour());
    } else if (token == "*MATERIAL_DIFFUSE") {
      current().setDiffuse(readColour());
    } else if (token == "*MATERIAL_SPECULAR") {
      current().setSpecular(readColour());
    } else if (token == "*MAP_DIFFUSE") {
      readMapDiffuse(tokens, current());
    }
  }
  // Even a broken material takes its place, so that *MATERIAL_REF numbers
  // keep pointing at the right entries.
  current();
  materialList.push_back(material);
}

void AseReader::readMapDiffuse(AseTokenizer& tokens, Material& material) {
  std::string bitmap;
  std::string_view token;
  while (tokens.nextInBlock(token)) {
    if (token == "*BITMAP") bitmap = tokens.readQuoted();
  }
  // The exporter writes the artist's Windows path; the game keeps images
  // beside the model, so only the file name counts.
  const size_t slash = bitmap.rfind('\\');
  const std::string file = slash == std::string::npos ? bitmap : bitmap.substr(slash + 1);
  material.setTexture(textures->create(bitmapPath(textureDirectory, file)));
}

std::shared_ptr<SceneObject> AseReader::createObject(AseObjectKind kind) {
  switch (kind) {
    case AseObjectKind::Bone: return std::make_shared<BoneObject>();
    case AseObjectKind::Skinned: return std::make_shared<SkinnedObject>();
    case AseObjectKind::Camera: return std::make_shared<Camera>();
    case AseObjectKind::Geometry: break;
  }
  return std::make_shared<SceneObject>();
}

std::string AseReader::readNodeName(AseTokenizer& tokens, std::shared_ptr<SceneObject>& object) {
  std::string name = tokens.readQuoted();
  if (!name.empty() && name.front() == kBillboardPrefix) {
    // Only a plain mesh may become a billboard: a bone or a skin would lose
    // its pivot and weights.
    if (dynamic_cast<BoneObject*>(object.get())) {
      tokens.report("Error: el hueso %s no puede ser un billboard", name.c_str());
    } else {
      object = std::make_shared<BillboardObject>();
    }
  }
  return name;
}

bool AseReader::hasObjectParent(const SceneObject& object) const {
  const SceneNode* parent = object.parent();
  return parent != nullptr && parent != rootGroup.get() && parent->name() != filePath;
}

void AseReader::attachToParent(AseTokenizer& tokens, const std::shared_ptr<SceneObject>& object,
                               bool reportMissing) {
  const std::string name = tokens.readQuoted();
  const std::shared_ptr<SceneNode> parent = rootGroup->findNode(name);
  if (!parent) {
    if (reportMissing) printMessage("Error: el objeto %s no encuentra a su padre \n", object->name().c_str());
    return;
  }
  // A node that names itself (or one of its own children) would make the
  // tree a loop; a chain deeper than kMaxTreeDepth would overflow the stack
  // of the tree's recursive walks. depth: the object's level below the root.
  size_t depth = 0;
  for (const SceneNode* node = parent.get(); node != nullptr; node = node->parent(), ++depth) {
    if (node == object.get()) {
      tokens.report("Error: el objeto %s no puede colgar de %s", object->name().c_str(), name.c_str());
      return;
    }
  }
  if (depth > kMaxTreeDepth) {
    tokens.report("Error: el objeto %s esta a mas de %zu niveles; se cuelga de la raiz", object->name().c_str(),
                  kMaxTreeDepth);
    return;
  }
  if (SceneNode* previous = object->parent()) previous->removeChild(object.get());
  parent->addChild(object);
}

std::shared_ptr<SceneObject> AseReader::readObject(AseTokenizer& tokens, AseObjectKind kind) {
  ensureScene(tokens);
  std::shared_ptr<SceneObject> object = createObject(kind);
  if (!object) object = AseReader::createObject(kind);
  const std::shared_ptr<Animation> animation = newAnimation();
  // The block's own "{": any later one opens a nested block to skip.
  std::string_view token;
  if (tokens.peek() == "{") tokens.next(token);
  while (tokens.nextInBlock(token)) {
    if (token == "*NODE_NAME") {
      std::shared_ptr<SceneObject> named = object;
      const std::string name = readNodeName(tokens, named);
      if (named && named != object) {
        // The replacement takes the place that the object already has.
        if (SceneNode* parent = object->parent()) {
          parent->removeChild(object.get());
          parent->addChild(named);
        }
        if (const std::shared_ptr<Material> material = object->material()) {
          material->removeObject(object.get());
          named->setMaterial(material);
          material->addObject(named);
        }
        object = named;
      }
      if (object->animator().animationCount() == 0) object->animator().addAnimation(animation);
      object->setName(name);
    } else if (token == "*NODE_PARENT") {
      attachToParent(tokens, object, true);
    } else if (token == "*NODE_TM") {
      readTransform(tokens, *object, *animation);
    } else if (token == "*MESH") {
      readMesh(tokens, *object);
    } else if (token == "*MATERIAL_REF") {
      const int32_t index = tokens.readInt();
      if (index < 0 || static_cast<size_t>(index) >= materialList.size()) {
        tokens.report("Error: *MATERIAL_REF %d fuera de la lista de %zu materiales", index, materialList.size());
      } else if (object->material() != materialList[index]) {
        if (const std::shared_ptr<Material> previous = object->material()) previous->removeObject(object.get());
        object->setMaterial(materialList[index]);
        materialList[index]->addObject(object);
      }
    } else if (token == "*TM_ANIMATION") {
      readAnimation(tokens, *object, *animation);
    } else if (token == "*SKIN_DATA") {
      if (auto* skin = dynamic_cast<SkinnedObject*>(object.get())) {
        readSkin(tokens, *skin);
      } else {
        tokens.report("Error: *SKIN_DATA en un objeto sin huesos (%s)", object->name().c_str());
        skipOpenBlock(tokens);
      }
    } else if (token == "*HAS_SHADOW") {
      tokens.readInt();
    } else if (token == "{") {
      tokens.skipBlock();
    }
  }
  if (object->animator().animationCount() == 0) {
    tokens.report("Error: bloque %s sin *NODE_NAME", kindName(kind));
    object->animator().addAnimation(animation);
  }
  if (!object->parent()) rootGroup->addChild(object);
  return object;
}

void AseReader::finishObject(AseTokenizer& tokens, const std::shared_ptr<SceneObject>& object, AseObjectKind kind) {
  if (kind != AseObjectKind::Geometry) {
    // A bone at its bind pose then has an identity world matrix.
    if (auto* bone = dynamic_cast<BoneObject*>(object.get())) bone->setPivot(inverse(bone->worldMatrix()));
  }
  if (kind == AseObjectKind::Skinned) {
    if (auto* skin = dynamic_cast<SkinnedObject*>(object.get())) finishSkin(tokens, *skin);
  }
  if (kind != AseObjectKind::Bone && !object->name().empty() && object->name().front() == kSeamPrefix) {
    object->mergeSeamNormals(kSeamEpsilon);
  }
  const std::shared_ptr<Material> material = object->material();
  if (material && material->hasTexture()) {
    if (object->texFaces().empty() || object->texCoords().empty()) {
      if (!object->faces().empty()) {
        tokens.report("Error: el objeto %s tiene textura pero no coordenadas de textura", object->name().c_str());
      }
    } else {
      object->buildMesh();
    }
  }
}

void AseReader::readTransform(AseTokenizer& tokens, SceneObject& object, Animation& animation) {
  float rows[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
  bool seen[4] = {false, false, false, false};
  static constexpr std::string_view kRowNames[4] = {"*TM_ROW0", "*TM_ROW1", "*TM_ROW2", "*TM_ROW3"};
  std::string_view token;
  while (tokens.nextInBlock(token)) {
    for (int row = 0; row < 4; ++row) {
      if (token == kRowNames[row]) {
        seen[row] = true;
        for (float& value : rows[row]) tokens.readFloat(value);
      }
    }
  }
  for (int row = 0; row < 4; ++row) {
    if (!seen[row]) {
      tokens.report("Error: a *NODE_TM de %s le falta *TM_ROW%d", object.name().c_str(), row);
      break;
    }
  }
  Matrix file(rows[0][0], rows[0][1], rows[0][2], rows[1][0], rows[1][1], rows[1][2], rows[2][0], rows[2][1],
              rows[2][2], rows[3][0], rows[3][1], rows[3][2]);
  // A mirrored node gets its three axes negated, so that its transform is a
  // proper rotation that the animation can decompose; the mesh is read
  // through the same transform, so it stays where the artist put it.
  if (determinant3(file) < 0) {
    for (int i = 0; i < 12; ++i) {
      if (i % 4 != 3) file.m[i] = -file.m[i];
    }
  }
  object.setWorldMatrix(file);
  Matrix local;
  if (hasObjectParent(object)) {
    const auto* parent = dynamic_cast<const SceneEntity*>(object.parent());
    local = multiply(file, inverse(parent ? parent->worldMatrix() : Matrix()));
  } else {
    local = multiply(file, kAxisChange);
  }
  animation.setMatrix(local);
}

void AseReader::readCamera(AseTokenizer& tokens) {
  ensureScene(tokens);
  std::shared_ptr<SceneObject> made = createObject(AseObjectKind::Camera);
  std::shared_ptr<Camera> camera = std::dynamic_pointer_cast<Camera>(made);
  if (!camera) camera = std::make_shared<Camera>();
  const std::shared_ptr<Animation> animation = newAnimation();
  camera->animator().addAnimation(animation);
  // A target camera writes a second *NODE_TM and *TM_ANIMATION for its
  // target; only the camera's own count.
  bool transformRead = false;
  bool animationRead = false;
  std::string_view token;
  while (tokens.nextInBlock(token)) {
    if (token == "*NODE_NAME") {
      camera->setName(tokens.readQuoted());
    } else if (token == "*NODE_PARENT") {
      attachToParent(tokens, camera, false);
    } else if (token == "*NODE_TM") {
      if (transformRead) {
        skipOpenBlock(tokens);
      } else {
        readTransform(tokens, *camera, *animation);
        transformRead = true;
      }
    } else if (token == "*CAMERA_SETTINGS") {
      while (tokens.nextInBlock(token)) {
        if (token == "*CAMERA_NEAR") {
          const float nearPlane = tokens.readFloat();
          camera->setNearPlane(nearPlane == 0.0f ? 1.0f : nearPlane);
        } else if (token == "*CAMERA_FAR") {
          camera->setFarPlane(tokens.readFloat());
        } else if (token == "*CAMERA_FOV") {
          const float radians = tokens.readFloat();
          camera->setFovY(static_cast<float>(radians * 360.0 * kInverseTwoPi));
        }
      }
    } else if (token == "*TM_ANIMATION") {
      if (animationRead) {
        skipOpenBlock(tokens);
      } else {
        readAnimation(tokens, *camera, *animation);
        animationRead = true;
      }
    }
  }
  if (!camera->parent()) rootGroup->addChild(camera);
  camera->setTarget(rootGroup);
  objectList.push_back(camera);
}

void AseReader::readClip(AseTokenizer& tokens) {
  std::string_view token;
  bool sceneFound = false;
  while (tokens.next(token)) {
    if (token == "*SCENE") {
      sceneFound = true;
      break;
    }
  }
  if (!sceneFound) {
    tokens.report("Error: el fichero de animacion no tiene bloque *SCENE; no se anade el clip");
    return;
  }
  readScene(tokens);
  const uint32_t clip = rootGroup->animationCount() - 1;
  // The animation each node got from this file, so that a node named twice
  // fills one clip instead of shifting its later clips.
  std::unordered_map<SceneObject*, std::shared_ptr<Animation>> made;
  std::shared_ptr<SceneObject> node;
  std::shared_ptr<Animation> animation;
  while (tokens.next(token)) {
    if (token == "*NODE_NAME") {
      const std::string name = tokens.readQuoted();
      const std::shared_ptr<SceneNode> found = rootGroup->findNode(name);
      // A clip file for another model: keep what it gave so far.
      if (!found) break;
      node = std::dynamic_pointer_cast<SceneObject>(found);
      animation = nullptr;
      if (!node) {
        tokens.report("Error: el nodo %s no se puede animar", name.c_str());
        continue;
      }
      if (auto previous = made.find(node.get()); previous != made.end()) {
        animation = previous->second;
        continue;
      }
      AnimationPlayer& player = node->animator();
      // A node that earlier clip files left out plays its first clip there,
      // as the player does for a clip it lacks; so clip numbers stay aligned.
      while (player.animationCount() < clip) {
        if (player.animationCount() == 0) {
          player.addAnimation(newAnimation());
        } else {
          player.addAnimation(player.animations().front());
        }
      }
      if (player.animationCount() != clip) {
        tokens.report("Error: el nodo %s ya tiene el clip %u", name.c_str(), clip);
        node = nullptr;
        continue;
      }
      animation = newAnimation();
      player.addAnimation(animation);
      made.emplace(node.get(), animation);
    } else if (token == "*NODE_TM") {
      if (node && animation) readTransform(tokens, *node, *animation);
    } else if (token == "*MESH") {
      skipOpenBlock(tokens);
    } else if (token == "*TM_ANIMATION") {
      if (node && animation) readAnimation(tokens, *node, *animation);
    }
  }
}
