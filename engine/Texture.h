#pragma once
// One image file, decoded by DevIL and uploaded to OpenGL with a full mipmap
// chain, for materials, fonts and the menus' 2D pictures. A Texture owns its
// DevIL image (kept for its whole life, so upload() can recreate the OpenGL
// texture) and its OpenGL texture, and releases both in its destructor. It
// keeps no cache: sharing one image among several users is up to the owners,
// through shared pointers.
//
// Row order. Every image, whatever order its file stores the rows in (a TGA
// may be stored bottom-up or top-down, a BMP is normally bottom-up), is
// brought into one convention before upload: texture coordinate t = 0 is the
// picture's bottom row, t = 1 its top. Pixel rows named by the game's data
// (the glyph rectangles of a font) count from the bottom row in the same
// way. Drawn in the overlay space, where y grows upwards, pictures come out
// upright.
//
// A file that is missing or cannot be decoded prints one line and leaves a
// texture with no image and no OpenGL name, size 0 and no alpha; binding it
// binds texture 0, so nothing stale or invalid is ever sampled (a missing
// file is not handed to DevIL at all).
//
// The caller owns the OpenGL and DevIL set-up: a current context, GLEW,
// ilInit, iluInit and ilutRenderer(ILUT_OPENGL), in that order.

#include <cstdint>
#include <memory>
#include <string>

// Marks a DevIL image or OpenGL texture name that does not exist.
constexpr uint32_t kNoName = 0xFFFFFFFFu;

// The rectangle drawCentered covers, in overlay units, and how far into the
// texture it samples.
struct CenteredQuad {
  int x0 = 0;
  int y0 = 0;
  float width = 0;
  float height = 0;
  float uMax = 0;
  float vMax = 0;
};

// Places a width x height picture centred on (x, y) at `scale`. The corner is
// x + int(-0.5 * scaled width) (truncated towards zero, so a 101 pixel image
// at scale 0.5 starts 25 units left of x), and texture coordinates stop one
// texel short of the far edges: width / (width + 1).
CenteredQuad centeredQuad(int width, int height, int x, int y, float scale);

class Texture {
 public:
  // Decodes the file and uploads it; never fails (see above).
  explicit Texture(const std::string& path);
  // A texture that names `path` but decodes and uploads nothing and makes no
  // OpenGL or DevIL call, ever: for readers run without a display (tests,
  // tools, the fuzzers). Its size and alpha flag are what the caller says.
  static std::shared_ptr<Texture> undecoded(const std::string& path, int width = 0, int height = 0,
                                            bool hasAlpha = false);

  virtual ~Texture();
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;

  // (Re)creates the OpenGL texture from the DevIL image, with mipmaps and
  // GL_LINEAR_MIPMAP_NEAREST minification. Nothing when there is no image.
  virtual void upload();
  // Binds the texture to GL_TEXTURE_2D; texture 0 when it has no OpenGL name.
  // An undecoded texture binds nothing.
  virtual void bind();

  // Draws the picture as a quad centred on (x, y) in overlay units (y up),
  // bound first. Texturing, blending and colour are the caller's.
  void drawCentered(int x, int y, float scale);

  const std::string& path() const { return imagePath; }
  // The OpenGL texture name, 0 when there is none (failed or undecoded).
  uint32_t glTexture() const { return glName == kNoName ? 0 : glName; }
  // The DevIL image name, kNoName when there is none.
  uint32_t image() const { return imageName; }
  int width() const { return imageWidth; }
  int height() const { return imageHeight; }
  int bitsPerPixel() const { return imageBitsPerPixel; }
  bool hasAlpha() const { return alpha; }

 protected:
  struct Undecoded {};
  Texture(Undecoded, const std::string& path, int width, int height, bool hasAlpha);

 private:
  void releaseGlTexture();

  std::string imagePath;
  uint32_t imageName = kNoName;
  uint32_t glName = kNoName;
  int imageWidth = 0;
  int imageHeight = 0;
  int imageBitsPerPixel = 0;
  bool alpha = false;
  // False for undecoded textures: they stay off OpenGL entirely.
  bool touchesOpenGl = true;
};
