// The fixed OpenGL state and the reshape box, read back from the driver.

#include <GL/glew.h>

#include "app/Window.h"
#include "GlTestContext.h"

namespace {

// The driver keeps its matrices in single precision.
constexpr double kMatrixPrecision = 1e-6;

class WindowStateTest : public GlTest {
 protected:
  void TearDown() override {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  // The box that reshape's glOrtho set up: a point maps to clip x = -1 at 0
  // and +1 at the box width, so the width is 2 / m[0], the height 2 / m[5].
  static void reshapeBox(int width, int height, double& boxWidth, double& boxHeight) {
    glMatrixMode(GL_MODELVIEW);
    reshapeWindow(width, height);
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    boxWidth = 2.0 / m[0];
    boxHeight = 2.0 / m[5];
  }
};

TEST_F(WindowStateTest, ReshapeBoxHasAShortSideOf250AndTakesZeroHeightAsOne) {
  const struct {
    int width, height;
    double boxWidth, boxHeight;
  } windows[] = {{1000, 500, 500, 250}, {300, 600, 250, 500}, {640, 0, 640 * 250, 250}};
  for (const auto& window : windows) {
    double w = 0, h = 0;
    reshapeBox(window.width, window.height, w, h);
    EXPECT_NEAR(w, window.boxWidth, window.boxWidth * kMatrixPrecision) << window.width << " x " << window.height;
    EXPECT_NEAR(h, window.boxHeight, window.boxHeight * kMatrixPrecision) << window.width << " x " << window.height;
  }
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[3], 1);
  glViewport(0, 0, GlTestContext::kWidth, GlTestContext::kHeight);
}

TEST_F(WindowStateTest, FixedStateHasOneDirectionalLightAlongZ) {
  setFixedGlState();
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
  GLint frontFace = 0;
  glGetIntegerv(GL_FRONT_FACE, &frontFace);
  EXPECT_EQ(frontFace, GL_CCW);
  GLfloat position[4], diffuse[4], shininess = 0;
  glGetLightfv(GL_LIGHT0, GL_POSITION, position);  // eye space at the time it was set
  glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
  EXPECT_EQ(position[3], 0.0f);  // directional
  EXPECT_GT(position[2], 0.0f);
  EXPECT_FLOAT_EQ(diffuse[0], 0.7f);
  EXPECT_FLOAT_EQ(shininess, 128.0f);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
}

}  // namespace
