#pragma once
// The viewer's own eye: it circles a target point at a distance, turned by
// yaw about the vertical and pitched above or below the horizon. Yaw 0 looks
// at the model's front: from the game's +z towards -z (the exporter's front
// view, along its +Y axis), with the game's +x to the right of the picture.
// `frame` places it so that a box of the posed model fills the picture.
//
// The view has no scale of its own (the game's cameras show the world at one
// tenth); near and far planes follow the distance so that depth precision
// does not depend on the size of the model.

#include "engine/Matrix.h"
#include "engine/Vector3.h"

// An axis-aligned box; empty until a point is added.
struct Bounds {
  Vector3 low;
  Vector3 high;
  bool empty = true;

  void add(const Vector3& p);
  Vector3 centre() const { return (low + high) * 0.5f; }
  // Half the diagonal: the radius of a sphere that holds the box.
  float radius() const;
};

class OrbitView {
 public:
  static constexpr float kFovYDegrees = 45.0f;
  // "Slightly above": the eye looks down by this much at first.
  static constexpr float kFramePitchDegrees = 15.0f;

  // Looks at the box from the front and slightly above, far enough for the
  // sphere around it to fit the picture of the given aspect (width / height).
  void frame(const Bounds& bounds, double aspect);

  void orbit(float yawDegrees, float pitchDegrees);
  // Factor < 1 comes closer.
  void zoom(float factor);
  // Moves the target across the picture by a fraction of the visible height.
  void pan(float right, float up);

  // The eye's world matrix (rows: right, up, backwards, position) and the
  // view matrix, its inverse.
  Matrix world() const;
  Matrix view() const { return inverse(world()); }
  // Loads the perspective projection (OpenGL) for a picture of `aspect`.
  void applyProjection(double aspect) const;

  float yaw() const { return yawDegrees; }
  float pitch() const { return pitchDegrees; }
  float distance() const { return eyeDistance; }
  const Vector3& target() const { return targetPoint; }

 private:
  Vector3 eyePosition() const;

  Vector3 targetPoint;
  float yawDegrees = 0;
  float pitchDegrees = kFramePitchDegrees;
  float eyeDistance = 500;
  // The size of what is looked at, for the depth planes.
  float modelRadius = 100;
};
