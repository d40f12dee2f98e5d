#pragma once
// A mesh that always faces the viewer (the model reader makes one for every
// object whose name begins with '&'): dust, flashes, glows. It keeps its
// position, drops its own rotation and scale, and shows its local XY plane to
// the camera at the view's scale.

#include "engine/SceneObject.h"

class BillboardObject : public SceneObject {
 public:
  using SceneObject::SceneObject;
  ~BillboardObject() override = default;

  // faceViewer(view), then the plain mesh draw.
  void draw(const Matrix& view) override;
  // world = inverse(view) with world's own translation kept, scaled by the
  // view's scale; stays until the next update.
  void faceViewer(const Matrix& view);

 protected:
  bool updateOnlyPoses() const override;
};
