#pragma once
// A triangle mesh of the scene tree with its own clips. The model reader
// fills it (positions, faces, texture coordinates and texture faces as the
// file indexes them, normals, material, clips); buildMesh then gives it the one
// index per vertex that OpenGL needs. Every step, update recomputes `world`
// from the parent's world and the animation; draw sends the arrays to OpenGL.
//
// The mesh data and its update are plain processor code: nothing but draw
// touches OpenGL.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/AnimationPlayer.h"
#include "engine/Face.h"
#include "engine/Matrix.h"
#include "engine/OutlineEdges.h"
#include "engine/SceneEntity.h"
#include "engine/Vector3.h"

class Material;

// One entry of buildMesh's split list: output vertex i takes its position and
// normal from source vertex `vertex` and its texture coordinate from
// `texture` (-1: never seen with one). `next` chains the copies of one source
// vertex (-1 ends the chain).
struct SplitRecord {
  int32_t vertex;
  int32_t texture;
  int32_t next;
};


class SceneObject : public SceneEntity {
 public:
  using SceneEntity::SceneEntity;
  ~SceneObject() override = default;

  const Matrix& worldMatrix() const override { return world; }
  // world = parentWorld, textureMatrix = identity, then the animation
  // multiplies the local pose onto world.
  void update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) override;
  // update, then every SceneEntity child with the same time, this world and
  // the same clip.
  void updateTree(uint32_t timeMs, const Matrix& parentWorld, uint32_t animationIndex) override;
  // The world the last step left and the animation's blend.
  void saveState(StateWriter& out) const override;
  void restoreState(StateReader& in) override;
  virtual void setVertices(std::vector<Vector3> vertices);
  virtual void setNormals(std::vector<Vector3> normals);
  virtual bool isCamera() const { return false; }
  // Splits vertices used with more than one texture index so that positions,
  // normals and texture coordinates share one index; rewrites `faces` and
  // empties `texFaces`. Only for meshes with texture faces.
  virtual void buildMesh();
  // Draws the mesh with model-view world * view (OpenGL; a no-op when hidden).
  virtual void draw(const Matrix& view);
  // Draws the edges of the mesh's silhouette as seen through world * view,
  // as lines with the current line state (OpenGL; a no-op when hidden).
  // Called after draw in the same frame, with the same view.
  virtual void drawOutline(const Matrix& view);

  void setTexCoords(std::vector<Vector3> texCoords) { meshTexCoords = std::move(texCoords); }
  void setFaces(std::vector<Face> faces);
  void setTexFaces(std::vector<Face> texFaces) { meshTexFaces = std::move(texFaces); }
  void setWorldMatrix(const Matrix& m) { world = m; }
  std::shared_ptr<Material> material() const { return objectMaterial; }
  void setMaterial(std::shared_ptr<Material> material) { objectMaterial = std::move(material); }
  // Base matrix of clip i (the identity for a missing clip).
  Matrix animationMatrix(uint32_t i) const { return player.animationMatrix(i); }
  // Smooth normals: the normalised sum of the unit normals of the faces that
  // use each vertex, stored through setNormals.
  void computeNormals();
  // Averages the normals of this mesh with its parent mesh's normals where a
  // vertex (placed by clip 0's base matrix) lies within epsilon of a parent
  // vertex on every axis, so that a part glued onto a body shows no seam.
  // Nothing when the parent is not a SceneObject.
  void mergeSeamNormals(float epsilon);
  // Depth order for the transparent pass, with `world` holding eye-space
  // transforms: true when this object's z (element 14) is smaller.
  bool isFartherThan(const SceneObject& other) const;

  const std::vector<Vector3>& vertices() const { return meshVertices; }
  const std::vector<Vector3>& texCoords() const { return meshTexCoords; }
  const std::vector<Face>& faces() const { return meshFaces; }
  const std::vector<Face>& texFaces() const { return meshTexFaces; }
  const std::vector<Vector3>& normals() const { return meshNormals; }
  const Matrix& textureMatrix() const { return texMatrix; }
  AnimationPlayer& animator() { return player; }
  const AnimationPlayer& animator() const { return player; }
  bool visible() const { return isVisible; }
  void setVisible(bool visible) { isVisible = visible; }

 protected:
  // Only for plain meshes: a kind with more to its update says no by itself.
  bool updateOnlyPoses() const override;
  // Loads the texture matrix and modelView, then draws `faces` over the given
  // arrays (OpenGL). Shared by the mesh kinds that draw other arrays.
  void drawArrays(const Matrix& modelView, const std::vector<Vector3>& positions,
                  const std::vector<Vector3>& normals) const;
  // drawArrays's work for any primitive (a GLenum) and indices into the arrays.
  void drawElements(const Matrix& modelView, const std::vector<Vector3>& positions,
                    const std::vector<Vector3>& normals, unsigned mode, const uint32_t* indices, size_t count) const;
  // buildMesh's work on the arrays of every mesh kind; returns the split
  // records so that a kind with more per-vertex data can copy it along.
  std::vector<SplitRecord> splitMesh();
  // The lines of `outline` for these positions, drawn with the given
  // model-view (OpenGL).
  void drawOutlineOf(const Matrix& modelView, const std::vector<Vector3>& positions,
                     const std::vector<Vector3>& normals);

  std::vector<Vector3> meshVertices;
  std::vector<Vector3> meshTexCoords;
  std::vector<Face> meshFaces;
  std::vector<Face> meshTexFaces;
  std::vector<Vector3> meshNormals;
  std::shared_ptr<Material> objectMaterial;
  Matrix world;
  Matrix texMatrix;
  AnimationPlayer player;
  bool isVisible = true;
  // 1 + the largest vertex index of `faces`: arrays shorter than that are
  // never handed to OpenGL.
  size_t faceIndexLimit = 0;
  OutlineEdges outline;
  // The faces changed since `outline` was built.
  bool outlineStale = true;
};

// The split list of buildMesh for the given faces (rewritten in place to the
// new indices). Corners whose vertex index is outside [0, vertexCount) are
// left as they are; a face without a texture face is not split. Only the head
// of a chain is compared with a corner's texture index, so a corner that
// matches a later copy still gets a new one.
std::vector<SplitRecord> splitVertices(std::vector<Face>& faces, const std::vector<Face>& texFaces,
                                       size_t vertexCount);
