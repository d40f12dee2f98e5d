#include "content/models/MeshShapes.h"

#include <cmath>
#include <vector>

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;
}  // namespace

AseMesh quadMesh(const Vector3& origin, const Vector3& u, const Vector3& v, const Vector3& uvMin,
                 const Vector3& uvMax) {
  AseMesh mesh;
  const Vector3 normal = normalise(cross(u, v));
  mesh.positions = {origin, origin + u, origin + u + v, origin + v};
  mesh.normals.assign(4, normal);
  mesh.texCoords = {{uvMin.x, uvMin.y, 0}, {uvMax.x, uvMin.y, 0}, {uvMax.x, uvMax.y, 0}, {uvMin.x, uvMax.y, 0}};
  mesh.faces = {{0, 1, 2}, {0, 2, 3}};
  return mesh;
}

AseMesh doubleQuadMesh(const Vector3& origin, const Vector3& u, const Vector3& v, const Vector3& uvMin,
                       const Vector3& uvMax) {
  AseMesh mesh = quadMesh(origin, u, v, uvMin, uvMax);
  // The back starts at the far corner, so its picture reads the same way
  // round from behind.
  mesh.append(quadMesh(origin + u, -u, v, uvMin, uvMax));
  return mesh;
}

AseMesh boxMesh(const Vector3& low, const Vector3& high) {
  const Vector3 size = high - low;
  const Vector3 x(size.x, 0, 0);
  const Vector3 y(0, size.y, 0);
  const Vector3 z(0, 0, size.z);
  AseMesh mesh;
  mesh.append(quadMesh(low, z, y));                                   // -x
  mesh.append(quadMesh(Vector3(high.x, low.y, high.z), -z, y));       // +x
  mesh.append(quadMesh(low, x, z));                                   // -y
  mesh.append(quadMesh(Vector3(low.x, high.y, high.z), x, -z));       // +y
  mesh.append(quadMesh(Vector3(high.x, low.y, low.z), -x, y));        // -z
  mesh.append(quadMesh(Vector3(low.x, low.y, high.z), x, y));         // +z
  return mesh;
}

AseMesh cylinderMesh(const Vector3& base, float radius, float height, int segments) {
  AseMesh mesh;
  for (int i = 0; i <= segments; ++i) {
    const double a = kTwoPi * i / segments;
    const Vector3 out(static_cast<float>(std::cos(a)), 0, static_cast<float>(-std::sin(a)));
    const float u = static_cast<float>(i) / static_cast<float>(segments);
    mesh.positions.push_back(base + out * radius);
    mesh.positions.push_back(base + out * radius + Vector3(0, height, 0));
    mesh.normals.push_back(out);
    mesh.normals.push_back(out);
    mesh.texCoords.emplace_back(u, 0, 0);
    mesh.texCoords.emplace_back(u, 1, 0);
  }
  for (int i = 0; i < segments; ++i) {
    const auto a = static_cast<uint32_t>(2 * i);
    mesh.faces.emplace_back(a, a + 2, a + 3);
    mesh.faces.emplace_back(a, a + 3, a + 1);
  }
  AseMesh cap = discMesh(radius, segments);
  cap.transform(translate(Matrix(), base.x, base.y + height, base.z));
  mesh.append(cap);
  return mesh;
}

namespace {

// The stacks of a sphere from `firstStack` (of `stacks` from the bottom pole
// to the top one) upwards; v runs from the bottom (0) to the top (1) whatever
// part is built.
AseMesh sphereBand(float radius, int slices, int stacks, int firstStack, bool inside) {
  AseMesh mesh;
  for (int j = firstStack; j <= stacks; ++j) {
    const double polar = kPi * j / stacks - kPi / 2;  // -90 to 90 degrees
    for (int i = 0; i <= slices; ++i) {
      const double around = kTwoPi * i / slices;
      const Vector3 out(static_cast<float>(std::cos(polar) * std::cos(around)), static_cast<float>(std::sin(polar)),
                        static_cast<float>(-std::cos(polar) * std::sin(around)));
      mesh.positions.push_back(out * radius);
      mesh.normals.push_back(inside ? -out : out);
      mesh.texCoords.emplace_back(static_cast<float>(i) / static_cast<float>(slices),
                                  static_cast<float>(j) / static_cast<float>(stacks), 0);
    }
  }
  const auto row = static_cast<uint32_t>(slices + 1);
  std::vector<bool> used(mesh.positions.size(), false);
  for (int j = firstStack; j < stacks; ++j) {
    for (int i = 0; i < slices; ++i) {
      const uint32_t a = static_cast<uint32_t>(j - firstStack) * row + static_cast<uint32_t>(i);
      const uint32_t b = a + 1;
      const uint32_t c = a + row + 1;
      const uint32_t d = a + row;
      // Seen from outside, going round with growing i and up with j is
      // counter-clockwise; inside it is the other way round.
      if (j > 0) {
        if (inside) {
          mesh.faces.emplace_back(a, c, b);
        } else {
          mesh.faces.emplace_back(a, b, c);
        }
      }
      if (j < stacks - 1) {
        if (inside) {
          mesh.faces.emplace_back(a, d, c);
        } else {
          mesh.faces.emplace_back(a, c, d);
        }
      }
    }
  }
  // Each pole's last copy (the seam's) is on no face; a textured mesh must
  // use every vertex, so it goes.
  for (const Face& f : mesh.faces) {
    for (int corner = 0; corner < 3; ++corner) used[f[corner]] = true;
  }
  AseMesh compact;
  std::vector<uint32_t> renumber(mesh.positions.size(), 0);
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    if (!used[i]) continue;
    renumber[i] = static_cast<uint32_t>(compact.positions.size());
    compact.positions.push_back(mesh.positions[i]);
    compact.normals.push_back(mesh.normals[i]);
    compact.texCoords.push_back(mesh.texCoords[i]);
  }
  for (const Face& f : mesh.faces) compact.faces.emplace_back(renumber[f[0]], renumber[f[1]], renumber[f[2]]);
  return compact;
}

}  // namespace

AseMesh sphereMesh(float radius, int slices, int stacks, bool inside) {
  return sphereBand(radius, slices, stacks, 0, inside);
}

AseMesh skyDomeMesh(float radius, float rimInnerRadius, float rimTexCoordV, int slices, int stacks) {
  AseMesh dome = sphereBand(radius, slices, 2 * stacks, stacks, true);
  // The rim: a ring facing up from rimInnerRadius out to the dome's foot,
  // whose positions and u it takes (the foot is the dome's first row, seam
  // copy included), so that no crack opens between them.
  AseMesh rim;
  const float inward = rimInnerRadius / radius;
  for (int i = 0; i <= slices; ++i) {
    const Vector3& foot = dome.positions[static_cast<size_t>(i)];
    const Vector3& footUv = dome.texCoords[static_cast<size_t>(i)];
    rim.positions.emplace_back(foot.x * inward, foot.y, foot.z * inward);
    rim.positions.push_back(foot);
    rim.normals.insert(rim.normals.end(), 2, Vector3(0, 1, 0));
    rim.texCoords.emplace_back(footUv.x, rimTexCoordV, 0);
    rim.texCoords.push_back(footUv);
  }
  for (int i = 0; i < slices; ++i) {
    const auto a = static_cast<uint32_t>(2 * i);
    // Counter-clockwise seen from above: inner, next inner, next outer.
    rim.faces.emplace_back(a, a + 3, a + 2);
    rim.faces.emplace_back(a, a + 1, a + 3);
  }
  dome.append(rim);
  return dome;
}

AseMesh discMesh(float radius, int segments) {
  AseMesh mesh;
  mesh.positions.emplace_back(0, 0, 0);
  mesh.normals.emplace_back(0, 1, 0);
  mesh.texCoords.emplace_back(0.5f, 0.5f, 0);
  for (int i = 0; i <= segments; ++i) {
    const double a = kTwoPi * i / segments;
    const auto c = static_cast<float>(std::cos(a));
    const auto s = static_cast<float>(std::sin(a));
    mesh.positions.emplace_back(c * radius, 0, -s * radius);
    mesh.normals.emplace_back(0, 1, 0);
    mesh.texCoords.emplace_back(0.5f + 0.5f * c, 0.5f + 0.5f * s, 0);
  }
  for (int i = 0; i < segments; ++i) {
    mesh.faces.emplace_back(0, static_cast<uint32_t>(i + 1), static_cast<uint32_t>(i + 2));
  }
  return mesh;
}
