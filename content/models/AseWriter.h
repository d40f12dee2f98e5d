#pragma once
// The model writer: a scene described in C++ (materials, nodes with meshes,
// bones and skins, cameras, and clips whose motion is a function of time)
// written in the 3ds Max ASCII scene format exactly as the game's reader
// (assets/AseReader.h) reads it back. Clip 0 goes into the model file; every
// further clip into a clip file of its own, which the game reads with
// loadAnimation in clip order.
//
// The description is in the game's axes: y up, scene units (70 to the metre).
// The files are Z-up: the writer turns game (x, y, z) into file (x, -z, y),
// the reverse of the reader's axis change. Meshes are given in their node's
// own space; a billboard (a name beginning with '&') shows its local x to the
// right and its local y up, whatever its rotation.
//
// Motion: a node's transform relative to its parent (for a top node, to the
// model's root) is a function of clip and time. Every frame of a clip is
// sampled (160 ticks a frame, 32 ms). A node's *NODE_TM holds its transform at
// the clip's first frame: in the model file this is also the bind pose of the
// skinned meshes, so clip 0 must start in the bind pose. Position samples are
// offsets from that pose and rotation samples the increments the reader
// accumulates; the writer follows the reader's own float arithmetic, so the
// rounding of the text does not add up over a long clip. Transforms must be
// rigid (rotation and translation): the reader's tracks hold no scale.
//
// A node that moves (a motion or a texture track) is written into every clip
// file, since the reader numbers a node's clips by the files that name it;
// still nodes are written in the model file only.
//
// Output is deterministic: numbers have a fixed number of decimals, so the
// same description always gives the same bytes. A description the reader
// could not take back as meant (a parent after its child, a bone after its
// skin, a name used twice, five weights on a vertex) throws
// std::invalid_argument.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/Face.h"
#include "engine/Matrix.h"
#include "engine/Vector3.h"

// Ticks a frame and milliseconds a frame of every written clip.
constexpr int kAseTicksPerFrame = 160;
constexpr uint32_t kAseMsPerFrame = 32;

struct AseMaterial {
  // "[cartoon]" anywhere in the name draws the material toon-shaded and
  // outlined; a bracketed other name picks that shader program.
  std::string name;
  Vector3 ambient{0.7f, 0.7f, 0.7f};
  Vector3 diffuse{0.7f, 0.7f, 0.7f};
  Vector3 specular{0.0f, 0.0f, 0.0f};
  // Image file beside the model (TGA or BMP); empty for none. An image with
  // an alpha channel sorts the material's objects as transparent.
  std::string bitmap;
};

// An indexed triangle mesh as OpenGL draws it: one normal and one texture
// coordinate for each position, faces counter-clockwise seen from the front.
struct AseMesh {
  std::vector<Vector3> positions;
  std::vector<Vector3> normals;
  // Empty, or one for each position (u, v, w; v = 0 is the image's bottom).
  std::vector<Vector3> texCoords;
  std::vector<Face> faces;

  // Adds another mesh's vertices and faces after this one's.
  void append(const AseMesh& other);
  // Each position, normal moved through a rigid transform.
  void transform(const Matrix& m);
};

enum class AseNodeKind { Geometry, Bone, Skinned, Camera };

// Local transform of a node (relative to its parent) at a time of a clip.
using AseMotion = std::function<Matrix(size_t clip, uint32_t timeMs)>;
// Texture offset (added to every texture coordinate) at a frame of a clip.
using AseTextureMotion = std::function<Vector3(size_t clip, uint32_t frame)>;

struct AseBoneWeight {
  size_t bone = 0;  // index into the skin's `bones`
  float weight = 0;
};

struct AseNode {
  std::string name;
  AseNodeKind kind = AseNodeKind::Geometry;
  // Index of the parent node in the scene, which must come earlier; -1 for
  // a node directly under the model's root.
  int parent = -1;
  // The local transform while `motion` is empty.
  Matrix rest;
  AseMotion motion;
  AseTextureMotion textureMotion;
  // Index into the scene's materials, -1 for none.
  int material = -1;
  AseMesh mesh;
  // Skinned meshes: the bone nodes (scene indices, earlier in the scene), one
  // weight column each, and for every vertex at most four weights. A vertex
  // without weights follows the skinned node itself.
  std::vector<size_t> bones;
  std::vector<std::vector<AseBoneWeight>> weights;
  // Cameras look along their local -z with y up. The planes are in the
  // camera's own units, ten scene units each (the game draws the world at
  // one tenth); the field of view is vertical.
  float nearPlane = 1.0f;
  float farPlane = 1000.0f;
  float fovYDegrees = 45.0f;

  bool moves() const { return static_cast<bool>(motion) || static_cast<bool>(textureMotion); }
};

struct AseScene {
  std::vector<AseMaterial> materials;
  std::vector<AseNode> nodes;
  // Frames of each clip (at least one each); clip 0 is the model file's.
  std::vector<uint32_t> clipFrames{1};

  // Append and return the new index.
  int addMaterial(AseMaterial material);
  int addNode(AseNode node);
  // Index of the node with that name, -1 when there is none.
  int find(const std::string& name) const;
};

// Local transform of node `node` at `timeMs` of `clip`, as described.
Matrix aseLocal(const AseScene& scene, size_t node, size_t clip, uint32_t timeMs);
// World transform in the game's axes (the model's root at the identity).
Matrix aseWorld(const AseScene& scene, size_t node, size_t clip, uint32_t timeMs);

// The model file's text (materials, every node with its mesh, clip 0).
std::string writeAseModel(const AseScene& scene);
// The clip file's text for clip `clip` (1 or more): the scene block and every
// moving node's transform and tracks.
std::string writeAseClip(const AseScene& scene, size_t clip);
