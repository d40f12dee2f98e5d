#pragma once
// STAND-IN until the render pipeline lands: a scene that holds only its 2D
// overlays. It has the interface the frame loop needs (update per fixed step,
// draw per frame, addOverlay) and will be replaced, not kept beside, by the
// real Scene with its models, cameras and passes.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Overlay.h"

class Scene {
 public:
  // Advances every overlay by ms milliseconds.
  void update(uint32_t ms);
  // Clears the frame and draws the overlays in a 1024 x 768 screen space.
  void draw();
  void addOverlay(std::shared_ptr<Overlay> overlay);

 private:
  std::vector<std::shared_ptr<Overlay>> overlays;
};
