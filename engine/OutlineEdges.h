#pragma once
// The edges of a mesh for its cartoon outline. The outline is the edges of
// the faces turned away from the viewer, drawn as thick lines a little behind
// the shaded surface: only those on the silhouette (a face turned away beside
// one turned towards the viewer, or the mesh's open border) can show past the
// surface in front of them, so only those are drawn. Edges are shared by
// index: a seam where vertices are split for their texture coordinates counts
// as a border, and is drawn where its face is turned away, as the surface
// hides it.
//
// Plain processor code: the faces are read once (and again whenever they
// change), each frame asks which lines to draw from where the viewer stands.

#include <cstdint>
#include <vector>

#include "engine/Face.h"
#include "engine/Vector3.h"

class OutlineEdges {
 public:
  // Indexes the faces' edges.
  void build(const std::vector<Face>& faces);

  // Pairs of vertex indices (GL_LINES) of the silhouette and border edges
  // seen from `eye`, in the positions' own space. `mirrored` when the
  // positions are drawn through a transform that swaps the winding.
  // Positions fewer than the faces index give no line.
  const std::vector<uint32_t>& silhouette(const std::vector<Vector3>& positions, const Vector3& eye,
                                          bool mirrored);

 private:
  struct Edge {
    uint32_t a, b;
  };
  std::vector<Edge> edges;
  std::vector<Face> faceList;
  // The three edges of each kept face, by their place in `edges`.
  std::vector<uint32_t> faceEdges;
  // 1 + the largest vertex index of the faces.
  size_t vertexLimit = 0;
  // Per edge, each frame: how many faces beside it turn away and towards.
  std::vector<uint8_t> away, towards;
  std::vector<uint32_t> lines;
};
