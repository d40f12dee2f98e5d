#include "engine/OutlineEdges.h"

#include <algorithm>
#include <unordered_map>

namespace {

uint64_t edgeKey(uint32_t a, uint32_t b) {
  return a < b ? (uint64_t(a) << 32) | b : (uint64_t(b) << 32) | a;
}

// Counts stop at their top rather than wrap round on an edge shared by very
// many faces.
void countUp(uint8_t& count) {
  if (count < UINT8_MAX) ++count;
}

}  // namespace

void OutlineEdges::build(const std::vector<Face>& faces) {
  edges.clear();
  faceList = faces;
  faceEdges.clear();
  vertexLimit = 0;
  std::unordered_map<uint64_t, uint32_t> found;
  found.reserve(faces.size() * 2);
  for (const Face& face : faces) {
    vertexLimit = std::max<size_t>(vertexLimit, size_t(std::max({face[0], face[1], face[2]})) + 1);
    for (int corner = 0; corner < 3; ++corner) {
      const uint32_t a = face[corner], b = face[(corner + 1) % 3];
      const auto [it, added] = found.try_emplace(edgeKey(a, b), uint32_t(edges.size()));
      if (added) edges.push_back({a, b});
      faceEdges.push_back(it->second);
    }
  }
}

const std::vector<uint32_t>& OutlineEdges::silhouette(const std::vector<Vector3>& positions, const Vector3& eye,
                                                      bool mirrored) {
  lines.clear();
  if (positions.size() < vertexLimit) return lines;
  away.assign(edges.size(), 0);
  towards.assign(edges.size(), 0);
  for (size_t f = 0; f < faceList.size(); ++f) {
    const Vector3& p0 = positions[faceList[f][0]];
    const Vector3 normal = cross(positions[faceList[f][1]] - p0, positions[faceList[f][2]] - p0);
    // Counter-clockwise on the screen is towards the viewer, as OpenGL decides it.
    const bool facesViewer = (dot(normal, eye - p0) > 0.0f) != mirrored;
    std::vector<uint8_t>& side = facesViewer ? towards : away;
    for (int k = 0; k < 3; ++k) countUp(side[faceEdges[f * 3 + k]]);
  }
  for (size_t e = 0; e < edges.size(); ++e) {
    // One face alone is a border: nothing on the far side hides it.
    if (away[e] > 0 && (towards[e] > 0 || away[e] == 1)) {
      lines.push_back(edges[e].a);
      lines.push_back(edges[e].b);
    }
  }
  return lines;
}
