#include "engine/Texture.h"

#include <GL/glew.h>
#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <filesystem>
#include <system_error>

#include "engine/DrawCalls.h"
#include "engine/Log.h"

namespace {

// DevIL keeps a stack of past errors; a failure must not leave them behind
// for the next image's checks.
void clearDevilErrors() {
  while (ilGetError() != IL_NO_ERROR) {
  }
}

float texelFraction(int size) { return size > 0 ? static_cast<float>(size) / static_cast<float>(size + 1) : 0.0f; }

void reportUnloadable(const std::string& path) { printMessage("No se pudo cargar la imagen %s\n", path.c_str()); }

}  // namespace

CenteredQuad centeredQuad(int width, int height, int x, int y, float scale) {
  CenteredQuad quad;
  quad.width = static_cast<float>(width) * scale;
  quad.height = static_cast<float>(height) * scale;
  quad.x0 = x + static_cast<int>(-0.5f * quad.width);
  quad.y0 = y + static_cast<int>(-0.5f * quad.height);
  quad.uMax = texelFraction(width);
  quad.vMax = texelFraction(height);
  return quad;
}

Texture::Texture(const std::string& path) : imagePath(path) {
  // A picture that is not there is never handed to DevIL: a match then also
  // builds where no image library was started.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    reportUnloadable(path);
    return;
  }
  ILuint name = 0;
  ilGenImages(1, &name);
  ilBindImage(name);
  if (!ilLoadImage(path.c_str())) {
    ilDeleteImages(1, &name);
    clearDevilErrors();
    reportUnloadable(path);
    return;
  }
  imageName = name;
  imageWidth = ilGetInteger(IL_IMAGE_WIDTH);
  imageHeight = ilGetInteger(IL_IMAGE_HEIGHT);
  imageBitsPerPixel = ilGetInteger(IL_IMAGE_BITS_PER_PIXEL);
  const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
  alpha = format == IL_RGBA || format == IL_BGRA;
  // The one place where row order is settled. DevIL keeps each file's own
  // order and records it as the image's origin; from here on row 0 is the
  // picture's bottom row, which ILUT uploads as t = 0. (ILUT would flip an
  // upper-left copy on every upload by itself; settling it here keeps the
  // DevIL image and the OpenGL texture alike and the rule in our hands.)
  if (ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_UPPER_LEFT) {
    iluFlipImage();
    ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
  }
  upload();
}

std::shared_ptr<Texture> Texture::undecoded(const std::string& path, int width, int height, bool hasAlpha) {
  return std::shared_ptr<Texture>(new Texture(Undecoded{}, path, width, height, hasAlpha));
}

Texture::Texture(Undecoded, const std::string& path, int width, int height, bool hasAlpha)
    : imagePath(path),
      imageWidth(width > 0 ? width : 0),
      imageHeight(height > 0 ? height : 0),
      alpha(hasAlpha),
      touchesOpenGl(false) {}

Texture::~Texture() {
  if (!touchesOpenGl) return;
  releaseGlTexture();
  if (imageName != kNoName) {
    ILuint name = imageName;
    ilDeleteImages(1, &name);
  }
}

void Texture::releaseGlTexture() {
  if (glName == kNoName) return;
  GLuint name = glName;
  glDeleteTextures(1, &name);
  glName = kNoName;
}

void Texture::upload() {
  if (!touchesOpenGl || imageName == kNoName) return;
  // A second upload replaces the texture rather than leaking the first.
  releaseGlTexture();
  ilBindImage(imageName);
  const GLuint name = ilutGLBindTexImage();
  if (name == 0) {
    clearDevilErrors();
    printMessage("No se pudo pasar la imagen %s a OpenGL\n", imagePath.c_str());
    return;
  }
  glName = name;
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  ilutGLBuildMipmaps();
}

void Texture::bind() {
  if (!touchesOpenGl) return;
  glBindTexture(GL_TEXTURE_2D, glTexture());
}

void Texture::drawCentered(int x, int y, float scale) {
  if (glName == kNoName) return;
  bind();
  const CenteredQuad quad = centeredQuad(imageWidth, imageHeight, x, y, scale);
  const float left = static_cast<float>(quad.x0);
  const float bottom = static_cast<float>(quad.y0);
  countDrawCall();
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(quad.uMax, quad.vMax);
  glVertex2f(left + quad.width, bottom + quad.height);
  glTexCoord2f(0.0f, quad.vMax);
  glVertex2f(left, bottom + quad.height);
  glTexCoord2f(quad.uMax, 0.0f);
  glVertex2f(left + quad.width, bottom);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(left, bottom);
  glEnd();
}
