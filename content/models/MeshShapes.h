#pragma once
// Simple meshes the world models are built from, in the game's axes (y up),
// each with flat or smooth normals and texture coordinates as noted. Faces
// are counter-clockwise seen from the side the normals point to.

#include "content/models/AseWriter.h"

// A parallelogram from `origin` along `u` and `v`, facing cross(u, v); the
// texture runs from uvMin at origin to uvMax at origin + u + v.
AseMesh quadMesh(const Vector3& origin, const Vector3& u, const Vector3& v, const Vector3& uvMin = {0, 0, 0},
                 const Vector3& uvMax = {1, 1, 0});
// The same quad seen from both sides (two faces back to back), its picture
// the right way round from either side.
AseMesh doubleQuadMesh(const Vector3& origin, const Vector3& u, const Vector3& v, const Vector3& uvMin = {0, 0, 0},
                       const Vector3& uvMax = {1, 1, 0});
// An axis-aligned box between two corners, flat-shaded, each face mapped 0..1.
AseMesh boxMesh(const Vector3& low, const Vector3& high);
// An upright cylinder on the ground plane of `base`, with its top cap.
AseMesh cylinderMesh(const Vector3& base, float radius, float height, int segments);
// A sphere around the origin, u around y from +x, v from the bottom (0) to
// the top (1). `inside` turns the faces and normals inwards (a sky).
AseMesh sphereMesh(float radius, int slices, int stacks, bool inside = false);
// A sky seen from inside: the upper half of such a sphere (`stacks` from its
// foot to the top, mapped as the upper half of the sphere's picture) on a
// flat rim facing up from rimInnerRadius to its foot, whose inner edge shows
// the picture's row rimTexCoordV. Under a ground that reaches past the rim's
// inner edge, it fills every view from inside as the whole sphere would,
// without drawing the half that the ground hides.
AseMesh skyDomeMesh(float radius, float rimInnerRadius, float rimTexCoordV, int slices, int stacks);
// A flat disc facing up, mapped onto the unit square.
AseMesh discMesh(float radius, int segments);
