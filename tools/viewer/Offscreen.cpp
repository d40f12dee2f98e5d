#include "Offscreen.h"

#include <GL/glew.h>
#include <IL/il.h>

Offscreen::~Offscreen() {
  if (framebuffer) glDeleteFramebuffers(1, &framebuffer);
  if (colour) glDeleteRenderbuffers(1, &colour);
  if (depth) glDeleteRenderbuffers(1, &depth);
}

bool Offscreen::create(int w, int h, std::string& problem) {
  if (!GLEW_VERSION_3_0 && !GLEW_ARB_framebuffer_object) {
    problem = "the OpenGL driver has no framebuffer objects";
    return false;
  }
  GLint largest = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
  if (w > largest || h > largest) {
    problem = "the picture may be at most " + std::to_string(largest) + " pixels on a side";
    return false;
  }
  width = w;
  height = h;
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glGenRenderbuffers(1, &colour);
  glBindRenderbuffer(GL_RENDERBUFFER, colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  glGenRenderbuffers(1, &depth);
  glBindRenderbuffer(GL_RENDERBUFFER, depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    problem = "the OpenGL driver cannot draw a " + std::to_string(w) + "x" + std::to_string(h) + " picture";
    return false;
  }
  glViewport(0, 0, w, h);
  return true;
}

std::vector<uint8_t> Offscreen::read() const {
  std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 3);
  glFinish();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

bool Offscreen::writePng(const std::string& path, std::string& problem) const {
  std::vector<uint8_t> pixels = read();
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  // DevIL takes rows bottom first, as OpenGL reads them, and turns them over
  // for the file.
  bool written = ilTexImage(ILuint(width), ILuint(height), 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data());
  if (written) {
    ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
    ilEnable(IL_FILE_OVERWRITE);
    written = ilSave(IL_PNG, path.c_str());
  }
  const ILenum error = ilGetError();
  ilDeleteImages(1, &image);
  if (!written) {
    problem = "cannot write " + path + " (DevIL error " + std::to_string(error) + ")";
    return false;
  }
  return true;
}
