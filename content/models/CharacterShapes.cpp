#include "content/models/CharacterShapes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 2 * kPi;

// Two unit vectors across `axis`.
void across(const Vector3& axis, Vector3& u, Vector3& v) {
  const Vector3 other = std::fabs(axis.y) < 0.9f ? Vector3(0, 1, 0) : Vector3(1, 0, 0);
  u = normalise(cross(other, axis));
  v = cross(axis, u);
}

float signedVolume(const AseMesh& mesh) {
  double volume = 0;
  for (const Face& f : mesh.faces) {
    const Vector3& a = mesh.positions[f[0]];
    const Vector3& b = mesh.positions[f[1]];
    const Vector3& c = mesh.positions[f[2]];
    volume += dot(a, cross(b, c));
  }
  return static_cast<float>(volume / 6.0);
}

}  // namespace

void smoothNormals(AseMesh& mesh) {
  std::vector<Vector3> sums(mesh.positions.size());
  for (const Face& f : mesh.faces) {
    const Vector3 n = cross(mesh.positions[f[1]] - mesh.positions[f[0]], mesh.positions[f[2]] - mesh.positions[f[0]]);
    for (int corner = 0; corner < 3; ++corner) sums[f[corner]] += n;
  }
  mesh.normals.resize(mesh.positions.size());
  for (size_t i = 0; i < sums.size(); ++i) mesh.normals[i] = normalise(sums[i]);
}

Grid gridSurface(int rings, int segments, const std::function<Vector3(int ring, int segment)>& point,
                 const Vector3& startPole, const Vector3& endPole) {
  Grid grid;
  AseMesh& mesh = grid.mesh;
  mesh.positions.push_back(startPole);
  grid.vertexRing.push_back(-1);
  for (int i = 0; i < rings; ++i) {
    for (int j = 0; j < segments; ++j) {
      mesh.positions.push_back(point(i, j));
      grid.vertexRing.push_back(static_cast<float>(i));
    }
  }
  const auto end = static_cast<uint32_t>(mesh.positions.size());
  mesh.positions.push_back(endPole);
  grid.vertexRing.push_back(static_cast<float>(rings));
  auto at = [segments](int i, int j) { return static_cast<uint32_t>(1 + i * segments + (j % segments)); };
  auto addFace = [&](uint32_t a, uint32_t b, uint32_t c, float ring, float segment) {
    mesh.faces.emplace_back(a, b, c);
    grid.faceRing.push_back(ring);
    grid.faceSegment.push_back(segment);
  };
  for (int j = 0; j < segments; ++j) addFace(0, at(0, j + 1), at(0, j), -0.5f, static_cast<float>(j) + 0.5f);
  for (int i = 0; i + 1 < rings; ++i) {
    for (int j = 0; j < segments; ++j) {
      const float ring = static_cast<float>(i) + 0.5f;
      const float segment = static_cast<float>(j) + 0.5f;
      addFace(at(i, j), at(i, j + 1), at(i + 1, j + 1), ring, segment);
      addFace(at(i, j), at(i + 1, j + 1), at(i + 1, j), ring, segment);
    }
  }
  for (int j = 0; j < segments; ++j) {
    addFace(at(rings - 1, j), at(rings - 1, j + 1), end, static_cast<float>(rings) - 0.5f,
            static_cast<float>(j) + 0.5f);
  }
  if (signedVolume(mesh) < 0) {
    for (Face& f : mesh.faces) std::swap(f[1], f[2]);
  }
  smoothNormals(mesh);
  return grid;
}

AseMesh roundedBoxMesh(const Vector3& centre, const Vector3& radii, float squareness, int slices, int stacks) {
  const float power = 1.0f - squareness;
  auto shape = [power](float c) { return std::copysign(std::pow(std::fabs(c), power), c); };
  return gridSurface(
             stacks - 1, slices,
             [&](int ring, int segment) {
               const float polar = -kPi / 2 + kPi * static_cast<float>(ring + 1) / static_cast<float>(stacks);
               const float around = kTwoPi * static_cast<float>(segment) / static_cast<float>(slices);
               const float x = shape(std::cos(polar)) * shape(std::cos(around));
               const float z = shape(std::cos(polar)) * shape(std::sin(around));
               const float y = shape(std::sin(polar));
               return centre + Vector3(x * radii.x, y * radii.y, z * radii.z);
             },
             centre - Vector3(0, radii.y, 0), centre + Vector3(0, radii.y, 0))
      .mesh;
}

AseMesh ellipsoidMesh(const Vector3& centre, const Vector3& radii, int slices, int stacks) {
  return roundedBoxMesh(centre, radii, 0.0f, slices, stacks);
}

AseMesh capsuleMesh(const Vector3& from, const Vector3& to, float r0, float r1, int segments) {
  const Vector3 axis = normalise(to - from);
  Vector3 u;
  Vector3 v;
  across(axis, u, v);
  // Rings: a half dome at each end (3 rings each) around the straight part.
  struct Ring {
    Vector3 centre;
    float radius;
  };
  std::vector<Ring> rings;
  const int dome = 2;
  for (int k = 1; k <= dome; ++k) {
    const float a = kPi / 2 * static_cast<float>(k) / static_cast<float>(dome + 1);
    if (r0 > 0) rings.push_back({from - axis * (r0 * std::cos(a)), r0 * std::sin(a)});
  }
  rings.push_back({from, r0});
  rings.push_back({to, r1});
  for (int k = dome; k >= 1; --k) {
    const float a = kPi / 2 * static_cast<float>(k) / static_cast<float>(dome + 1);
    if (r1 > 0) rings.push_back({to + axis * (r1 * std::cos(a)), r1 * std::sin(a)});
  }
  if (r1 <= 0) rings.pop_back();
  const Vector3 start = from - axis * r0;
  const Vector3 end = to + axis * r1;
  return gridSurface(
             static_cast<int>(rings.size()), segments,
             [&](int ring, int segment) {
               const float a = kTwoPi * static_cast<float>(segment) / static_cast<float>(segments);
               return rings[ring].centre + (u * std::cos(a) + v * std::sin(a)) * rings[ring].radius;
             },
             start, end)
      .mesh;
}

AseMesh coneMesh(const Vector3& base, const Vector3& tip, float radius, int segments) {
  const Vector3 axis = normalise(tip - base);
  Vector3 u;
  Vector3 v;
  across(axis, u, v);
  const float len = length(tip - base);
  return gridSurface(
             3, segments,
             [&](int ring, int segment) {
               const float a = kTwoPi * static_cast<float>(segment) / static_cast<float>(segments);
               const float r = ring == 0 ? radius * 0.6f : ring == 1 ? radius : radius * 0.5f;
               const float along = ring == 0 ? 0.0f : ring == 1 ? 0.04f * len : 0.55f * len;
               return base + axis * along + (u * std::cos(a) + v * std::sin(a)) * r;
             },
             base - axis * 0.01f, tip)
      .mesh;
}

AseMesh ringMesh(const Vector3& centre, const Vector3& u, const Vector3& v, float a, float b, float r, int segments,
                 int tubeSegments) {
  // A torus is not a grid with poles: it is built here directly.
  AseMesh mesh;
  const Vector3 w = normalise(cross(u, v));
  for (int i = 0; i < segments; ++i) {
    const float t = kTwoPi * static_cast<float>(i) / static_cast<float>(segments);
    const Vector3 onRing = centre + u * (a * std::cos(t)) + v * (b * std::sin(t));
    const Vector3 out = normalise(u * (b * std::cos(t)) + v * (a * std::sin(t)));
    for (int k = 0; k < tubeSegments; ++k) {
      const float s = kTwoPi * static_cast<float>(k) / static_cast<float>(tubeSegments);
      mesh.positions.push_back(onRing + (out * std::cos(s) + w * std::sin(s)) * r);
    }
  }
  auto at = [&](int i, int k) { return static_cast<uint32_t>((i % segments) * tubeSegments + (k % tubeSegments)); };
  for (int i = 0; i < segments; ++i) {
    for (int k = 0; k < tubeSegments; ++k) {
      mesh.faces.emplace_back(at(i, k), at(i + 1, k), at(i + 1, k + 1));
      mesh.faces.emplace_back(at(i, k), at(i + 1, k + 1), at(i, k + 1));
    }
  }
  // Outwards: the first face's normal must point away from the tube's axis.
  const Face& f = mesh.faces[0];
  const Vector3 n = cross(mesh.positions[f[1]] - mesh.positions[f[0]], mesh.positions[f[2]] - mesh.positions[f[0]]);
  const Vector3 axisPoint = centre + u * a;
  if (dot(n, mesh.positions[f[0]] - axisPoint) < 0) {
    for (Face& face : mesh.faces) std::swap(face[1], face[2]);
  }
  smoothNormals(mesh);
  return mesh;
}

void planarTexCoords(AseMesh& mesh, int drop, const Vector3& low, const Vector3& high) {
  mesh.texCoords.clear();
  auto pick = [drop](const Vector3& p, int which) {
    const float c[3] = {p.x, p.y, p.z};
    int k = -1;
    for (int axis = 0; axis < 3; ++axis) {
      if (axis == drop) continue;
      if (++k == which) return c[axis];
    }
    return 0.0f;
  };
  for (const Vector3& p : mesh.positions) {
    const float u = (pick(p, 0) - pick(low, 0)) / (pick(high, 0) - pick(low, 0));
    const float v = (pick(p, 1) - pick(low, 1)) / (pick(high, 1) - pick(low, 1));
    mesh.texCoords.emplace_back(u, v, 0);
  }
}
