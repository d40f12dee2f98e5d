#include "GlTestContext.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <cstdlib>
#include <ostream>

namespace {

bool started = false;
std::string failure;
GLuint framebuffer = 0;

void drawNothing() {}

void startOnce() {
  if (!std::getenv("DISPLAY")) {
    failure = "no DISPLAY: run the GL tests through tests/with-display.sh";
    return;
  }
  int argc = 1;
  char name[] = "test_gl";
  char* argv[] = {name, nullptr};
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGBA | GLUT_ALPHA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(GlTestContext::kWidth, GlTestContext::kHeight);
  glutCreateWindow("zumbolo gl tests");
  glutDisplayFunc(drawNothing);
  glutHideWindow();
  if (glewInit() != GLEW_OK || (!GLEW_VERSION_3_0 && !GLEW_ARB_framebuffer_object)) {
    failure = "no GLEW or no framebuffer objects";
    return;
  }
  ilInit();
  iluInit();
  ilutRenderer(ILUT_OPENGL);

  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  const struct {
    GLenum format, attachment;
  } buffers[] = {{GL_RGBA8, GL_COLOR_ATTACHMENT0}, {GL_DEPTH_COMPONENT24, GL_DEPTH_ATTACHMENT}};
  for (const auto& buffer : buffers) {
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    glRenderbufferStorage(GL_RENDERBUFFER, buffer.format, GlTestContext::kWidth, GlTestContext::kHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, buffer.attachment, GL_RENDERBUFFER, name);
  }
  started = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (!started) failure = "offscreen framebuffer incomplete";
}

}  // namespace

bool GlTestContext::start(std::string& whyNot) {
  [[maybe_unused]] static const bool once = (startOnce(), true);
  whyNot = failure;
  return started;
}

void GlTestContext::bindTarget() { glBindFramebuffer(GL_FRAMEBUFFER, framebuffer); }

void GlTestContext::beginOverlayFrame() {
  bindTarget();
  glViewport(0, 0, kWidth, kHeight);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  for (GLenum state : {GL_CULL_FACE, GL_LIGHTING, GL_DEPTH_TEST, GL_BLEND, GL_TEXTURE_2D}) glDisable(state);
  for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY}) glDisableClientState(array);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glDepthRange(0.0, 1.0);
  glDepthFunc(GL_LESS);
  glLineWidth(1.0f);
  glBindTexture(GL_TEXTURE_2D, 0);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  for (GLenum matrix : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
    glMatrixMode(matrix);
    glLoadIdentity();
    if (matrix == GL_PROJECTION) gluOrtho2D(0, kWidth, 0, kHeight);
  }
  glColor4f(1, 1, 1, 1);
}

Rgba GlTestContext::pixel(int x, int y) {
  glFinish();
  Rgba out;
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &out);
  return out;
}

void GlTest::drawTextured(const std::function<void()>& draw) {
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glColor3f(1, 1, 1);
  draw();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
}

void fillRect(float x0, float y0, float x1, float y1, Rgba colour) {
  glDisable(GL_TEXTURE_2D);
  glColor4ub(colour.r, colour.g, colour.b, 255);
  glRectf(x0, y0, x1, y1);
}

void expectPixels(std::initializer_list<Probe> probes, int tolerance) {
  for (const Probe& p : probes) {
    EXPECT_TRUE(colourNear(GlTestContext::pixel(p.x, p.y), p.colour, tolerance)) << "at (" << p.x << ", " << p.y << ")";
  }
}

::testing::AssertionResult colourNear(const Rgba& got, const Rgba& want, int tolerance) {
  const auto off = [tolerance](int a, int b) { return a - b > tolerance || b - a > tolerance; };
  if (off(got.r, want.r) || off(got.g, want.g) || off(got.b, want.b)) {
    return ::testing::AssertionFailure() << "got (" << int{got.r} << ", " << int{got.g} << ", " << int{got.b}
                                         << "), want (" << int{want.r} << ", " << int{want.g} << ", "
                                         << int{want.b} << ")";
  }
  return ::testing::AssertionSuccess();
}
