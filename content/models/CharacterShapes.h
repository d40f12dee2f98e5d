#pragma once
// Closed, smooth meshes the characters are modelled from: a grid of rings
// (each ring a loop of points) closed at both ends, and the shapes made from
// it. Every mesh is closed and wound counter-clockwise seen from outside (the
// cartoon outline draws back faces), with smooth normals averaged over the
// faces; none has texture coordinates unless it says so.

#include <functional>
#include <vector>

#include "content/models/AseWriter.h"

// A surface of `rings` rings of `segments` points each (point(ring,
// segment)), the ring loops closed, the first and last rings joined to the
// pole points. The faces are turned to face outwards.
struct Grid {
  AseMesh mesh;
  // For each vertex its ring (the poles -1 and `rings`); for each face the
  // ring and segment at its middle (fractions).
  std::vector<float> vertexRing;
  std::vector<float> faceRing;
  std::vector<float> faceSegment;
};
Grid gridSurface(int rings, int segments, const std::function<Vector3(int ring, int segment)>& point,
                 const Vector3& startPole, const Vector3& endPole);

// An ellipsoid around `centre` with the radii along x, y and z.
AseMesh ellipsoidMesh(const Vector3& centre, const Vector3& radii, int slices, int stacks);
// The same, squarer: each point's direction pushed towards the box by
// `squareness` (0 an ellipsoid, up to about 0.6).
AseMesh roundedBoxMesh(const Vector3& centre, const Vector3& radii, float squareness, int slices, int stacks);
// A round tube from `from` to `to`, radius r0 at the start and r1 at the
// end (0 for a point), its ends closed by half domes of their radius.
AseMesh capsuleMesh(const Vector3& from, const Vector3& to, float r0, float r1, int segments);
// A cone from a base disc (closed) to its tip.
AseMesh coneMesh(const Vector3& base, const Vector3& tip, float radius, int segments);
// A ring around `centre` in the plane of the unit vectors u and v, with the
// half axes a (along u) and b (along v), its tube of radius r.
AseMesh ringMesh(const Vector3& centre, const Vector3& u, const Vector3& v, float a, float b, float r, int segments,
                 int tubeSegments);

// Texture coordinates for a mesh seen along -axis `drop` (0 x, 1 y, 2 z):
// the other two coordinates mapped from [low, high] to [0, 1].
void planarTexCoords(AseMesh& mesh, int drop, const Vector3& low, const Vector3& high);

// Smooth normals: for each vertex the area-weighted average of its faces'.
void smoothNormals(AseMesh& mesh);
