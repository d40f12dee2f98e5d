#pragma once
// A camera of the scene tree: a SceneObject without a mesh that is never
// drawn. Its world matrix is the eye; viewMatrix shows the world at one tenth
// of its file units. The projection is a perspective that shows at least
// what the camera shows at 4:3, undistorted in a window of any shape: a
// wider window sees more on the sides, a narrower one more above and below.
// The game's camera kinds derive from it.

#include <memory>

#include "engine/SceneObject.h"

constexpr double kCameraAspect = 1.3333333333333333;
// The view shows the world at this scale.
constexpr float kViewScale = 0.1f;

class Camera : public SceneObject {
 public:
  using SceneObject::SceneObject;
  ~Camera() override = default;

  bool isCamera() const override { return true; }
  void draw(const Matrix& view) override;

  // inverse(world) * diag(0.1, 0.1, 0.1, 1).
  Matrix viewMatrix() const;
  // Loads the perspective projection for the current viewport and resets
  // the model-view (OpenGL).
  void applyProjection() const;
  // The vertical field of view that keeps the 4:3 picture of `fovY` whole
  // in a picture of `aspect` (width over height).
  static double fittedFovY(double fovY, double aspect);

  double nearPlane() const { return nearDistance; }
  double farPlane() const { return farDistance; }
  double fovY() const { return fieldOfViewY; }
  void setNearPlane(float d) { nearDistance = d; }
  void setFarPlane(float d) { farDistance = d; }
  void setFovY(float degrees) { fieldOfViewY = degrees; }
  std::weak_ptr<SceneNode> target() const { return targetNode; }
  void setTarget(std::weak_ptr<SceneNode> node) { targetNode = std::move(node); }

 private:
  double nearDistance = 1.0;
  double farDistance = 1000.0;
  double fieldOfViewY = 45.0;
  std::weak_ptr<SceneNode> targetNode;
};
