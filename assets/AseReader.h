#pragma once
// The model reader: turns one ".ASE"/".ASZ" file (3ds Max ASCII scene export;
// both extensions are the same plain text) into a tree of scene objects under
// a fresh AnimatedGroup, with the materials (textures, shader programs) and
// the cameras, and hands the three back as a Model (engine/Model.h; its
// objects are the cameras, in file order). loadAnimation then reads
// further files of the same format as extra clips of that tree (a
// character's "andando.ASZ", "golpe.ASZ" ... on top of "normal.ASZ").
//
// Geometry in the file lies in the file's world space with Z up. Each object
// keeps its file transform as its world matrix while loading and its mesh in
// its own space; the clip's base matrix is the local transform (relative to
// the parent, or with the axis change to the game's Y-up space at the top).
//
// The game's entity builders (ball, umpire, intro holders) derive from this
// class: they may replace root before load, and override readNodeName (how a
// node name is read and which object it makes) or createObject (which object
// an object block fills). Textures come from a TextureFactory, so that tests
// and tools read models without an OpenGL context.
//
// A broken file never stops the game: every problem the reader meets gets one
// line on standard output naming the file and line, and the model that comes
// back is always safe to update and draw (indices checked, clips with at
// least one frame of at least 1 ms, every mesh with one normal per vertex).
// The reader relies on the exporter's order of blocks and keywords (a parent
// before its children, *NODE_TM before *MESH and *TM_ANIMATION).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/AseTokenizer.h"
#include "engine/AnimatedGroup.h"
#include "engine/Animation.h"
#include "engine/Material.h"
#include "engine/Matrix.h"
#include "engine/Model.h"
#include "engine/SceneObject.h"
#include "engine/TextureFactory.h"

class BoneObject;
class Camera;
class SkinnedObject;

// The object blocks of a model file.
enum class AseObjectKind { Geometry, Bone, Skinned, Camera };

// The exporter's default of 30 frames a second, used for a file that gives
// none (or an unusable one).
constexpr int32_t kDefaultTicksPerFrame = 160;
// Ticks per millisecond: the exporter counts 4800 ticks a second.
constexpr int32_t kTicksPerMs = 5;
// Bounds that keep a clip's length (ms per frame x frames) well inside u32.
constexpr int32_t kMaxTicksPerFrame = 4800;
constexpr int64_t kMaxFrames = 1000000;
// Objects named with this first character get their normals merged with the
// parent's at coincident vertices, within this distance.
constexpr char kSeamPrefix = ';';
constexpr float kSeamEpsilon = 0.001f;
// Deepest chain of parents the reader builds; the tree's walks recurse.
constexpr size_t kMaxTreeDepth = 1000;
// Objects named with this first character face the viewer.
constexpr char kBillboardPrefix = '&';

class AseReader {
 public:
  // Reads nothing yet. Without a texture factory, textures are only recorded
  // (RecordingTextureFactory).
  explicit AseReader(const std::string& path = {}, std::shared_ptr<TextureFactory> textures = nullptr);
  virtual ~AseReader() = default;
  AseReader(const AseReader&) = delete;
  AseReader& operator=(const AseReader&) = delete;

  // Sets the path and the folder that textures are looked for in.
  void setPath(const std::string& path);
  // Reads the whole model file. A file that cannot be opened is named in one
  // line and gives an empty model.
  std::shared_ptr<Model> load();
  // Reads one more file as the next clip of root; nothing while root is empty.
  void loadAnimation(const std::string& path);
  // The same two from text in memory; `name` stands for the file in messages.
  std::shared_ptr<Model> loadText(std::string text);
  void loadAnimationText(std::string text, const std::string& name);

  const std::string& path() const { return filePath; }
  const std::string& directory() const { return textureDirectory; }
  const std::shared_ptr<AnimatedGroup>& root() const { return rootGroup; }
  void setRoot(std::shared_ptr<AnimatedGroup> root) { rootGroup = std::move(root); }
  const std::vector<std::shared_ptr<Material>>& materials() const { return materialList; }
  const std::vector<std::shared_ptr<SceneObject>>& objects() const { return objectList; }
  // Of the most recent *SCENE block (after the reader's corrections).
  int32_t ticksPerFrame() const { return sceneTicksPerFrame; }
  int32_t frameCount() const { return sceneFrameCount; }
  int32_t msPerFrame() const { return sceneTicksPerFrame / kTicksPerMs; }
  TextureFactory& textureFactory() const { return *textures; }

 protected:
  // Reads the quoted node name of an object block and may replace `object`
  // by another one for that name. The base version makes a BillboardObject
  // for a geometry object whose name begins with '&'. Returns the name to
  // give the object.
  virtual std::string readNodeName(AseTokenizer& tokens, std::shared_ptr<SceneObject>& object);
  // The empty object that an object block fills. A Bone or Skinned block
  // needs a BoneObject or SkinnedObject and a Camera block a Camera for their
  // extra data; other objects are still read as meshes.
  virtual std::shared_ptr<SceneObject> createObject(AseObjectKind kind);

  std::shared_ptr<AnimatedGroup> rootGroup;

 private:
  void readModel(AseTokenizer& tokens);
  void readScene(AseTokenizer& tokens);
  // Gives the file a default clip when an object comes before any *SCENE.
  void ensureScene(AseTokenizer& tokens);
  std::shared_ptr<Animation> newAnimation() const;
  void readMaterialList(AseTokenizer& tokens);
  void readMaterial(AseTokenizer& tokens);
  std::shared_ptr<Material> makeMaterial(const std::string& name) const;
  void readMapDiffuse(AseTokenizer& tokens, Material& material);
  std::shared_ptr<SceneObject> readObject(AseTokenizer& tokens, AseObjectKind kind);
  void attachToParent(AseTokenizer& tokens, const std::shared_ptr<SceneObject>& object, bool reportMissing);
  void finishObject(AseTokenizer& tokens, const std::shared_ptr<SceneObject>& object, AseObjectKind kind);
  void readCamera(AseTokenizer& tokens);
  // True when the object hangs below another object (not below the root).
  bool hasObjectParent(const SceneObject& object) const;
  void readTransform(AseTokenizer& tokens, SceneObject& object, Animation& animation);
  void readMesh(AseTokenizer& tokens, SceneObject& object);
  void readSkin(AseTokenizer& tokens, SkinnedObject& skin);
  void readSkinTable(AseTokenizer& tokens, SkinnedObject& skin);
  void finishSkin(AseTokenizer& tokens, SkinnedObject& skin);
  void readAnimation(AseTokenizer& tokens, SceneObject& object, Animation& animation);
  void readClip(AseTokenizer& tokens);

  std::string filePath;
  std::string textureDirectory;
  std::vector<std::shared_ptr<Material>> materialList;
  std::vector<std::shared_ptr<SceneObject>> objectList;
  std::shared_ptr<TextureFactory> textures;
  int32_t sceneTicksPerFrame = 0;
  int32_t sceneFrameCount = 0;
  // Whether the file being read has given its clip yet.
  bool sceneRead = false;
};
