#pragma once
// The one OpenGL context of the GL test program. freeglut starts only once per
// process, so the first test creates a hidden window that later tests share;
// libraries start in the game's order: window, GLEW, DevIL, ILU, ILUT. Tests
// draw into a 1024 x 768 offscreen framebuffer with a depth buffer, so that
// reading pixels back never depends on the window being mapped or its size.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "support/TempDirectory.h"

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
};

class GlTestContext {
 public:
  static constexpr int kWidth = 1024;
  static constexpr int kHeight = 768;
  // Starts everything on the first call; false (with the reason in
  // `whyNot`) when there is no display or no usable OpenGL.
  static bool start(std::string& whyNot);
  static void bindTarget();
  // Clears the offscreen picture to opaque black and undoes whatever the
  // last test left: no culling, depth test, lighting, texturing, blending or
  // client arrays, filled polygons, the full depth range, identity texture
  // and model-view matrices, and the projection of the scene's 2D pass (one
  // overlay unit = one pixel, y up).
  static void beginOverlayFrame();
  // The pixel at (x, y) of the offscreen picture, y counted from the bottom.
  static Rgba pixel(int x, int y);
};

// Fills the rectangle from (x0, y0) to (x1, y1) with a flat colour.
void fillRect(float x0, float y0, float x1, float y1, Rgba colour);

// Whether `got` is `want` within `tolerance` on each of red, green and blue.
::testing::AssertionResult colourNear(const Rgba& got, const Rgba& want, int tolerance = 24);
// Expects the pixel at each (x, y) to be its colour within `tolerance`.
struct Probe {
  int x, y;
  Rgba colour;
};
void expectPixels(std::initializer_list<Probe> probes, int tolerance = 24);

// Base of the GL test fixtures: fails the test when there is no context and
// starts each test on a fresh overlay frame, with a folder for its files.
class GlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string whyNot;
    ASSERT_TRUE(GlTestContext::start(whyNot)) << whyNot;
    GlTestContext::beginOverlayFrame();
  }
  static Rgba pixel(int x, int y) { return GlTestContext::pixel(x, y); }
  // Draws with texturing and blending on, as the menus draw their pictures and text.
  static void drawTextured(const std::function<void()>& draw);
  TempDirectory folder;
};
