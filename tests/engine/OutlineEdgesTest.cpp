// The outline's edges: which ones a viewer sees on the silhouette of a closed
// box and on the border of an open square, from several places and through
// a mirroring transform.

#include "engine/OutlineEdges.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

namespace {

using EdgeSet = std::set<std::pair<uint32_t, uint32_t>>;

// Corner i of the cube from -1 to 1 has x from bit 0, y from bit 1, z from bit 2.
std::vector<Vector3> cubeCorners() {
  std::vector<Vector3> corners;
  for (int i = 0; i < 8; ++i) corners.emplace_back(i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f);
  return corners;
}

// Two counter-clockwise triangles a face, seen from outside.
std::vector<Face> cubeFaces() {
  const uint32_t quads[6][4] = {{4, 5, 7, 6}, {0, 2, 3, 1}, {1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}};
  std::vector<Face> faces;
  for (const auto& q : quads) {
    faces.emplace_back(q[0], q[1], q[2]);
    faces.emplace_back(q[0], q[2], q[3]);
  }
  return faces;
}

EdgeSet edgesOf(const std::vector<uint32_t>& lines) {
  EdgeSet edges;
  for (size_t i = 0; i + 1 < lines.size(); i += 2) edges.emplace(std::minmax(lines[i], lines[i + 1]));
  return edges;
}

TEST(OutlineEdgesTest, OnlyEdgesBetweenFacesTurnedTowardsAndAwayOrOnTheBorderOfOnesTurnedAway) {
  const std::vector<Vector3> square{{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
  const std::vector<Face> squareFaces{{0, 1, 2}, {0, 2, 3}};
  const EdgeSet squareBorder{{0, 1}, {1, 2}, {2, 3}, {0, 3}};
  const struct {
    const char* what;
    std::vector<Vector3> positions;
    std::vector<Face> faces;
    Vector3 eye;
    bool mirrored;
    EdgeSet expected;
  } cases[] = {
      {"box seen from the front: the front face's rim", cubeCorners(), cubeFaces(), {0, 0, 10}, false,
       {{4, 5}, {5, 7}, {6, 7}, {4, 6}}},
      {"box seen from a corner: a hexagon", cubeCorners(), cubeFaces(), {10, 10, 10}, false,
       {{1, 5}, {4, 5}, {4, 6}, {2, 6}, {2, 3}, {1, 3}}},
      {"square seen from the front: nothing", square, squareFaces, {0, 0, 5}, false, {}},
      {"square seen from behind: its border", square, squareFaces, {0, 0, -5}, false, squareBorder},
      {"square from the front through a mirror: its border", square, squareFaces, {0, 0, 5}, true, squareBorder},
      {"positions fewer than the faces index: nothing", {{0, 0, 0}}, squareFaces, {0, 0, -5}, false, {}},
  };
  for (const auto& c : cases) {
    OutlineEdges outline;
    outline.build(c.faces);
    EXPECT_EQ(edgesOf(outline.silhouette(c.positions, c.eye, c.mirrored)), c.expected) << c.what;
  }
}

}  // namespace
