#pragma once
// A picture drawn without a visible window: a framebuffer object of any size
// (colour and depth), read back and written as a PNG file with DevIL. Needs a
// current OpenGL context (a hidden window is enough) with GLEW and DevIL
// started.

#include <cstdint>
#include <string>
#include <vector>

class Offscreen {
 public:
  Offscreen() = default;
  ~Offscreen();
  Offscreen(const Offscreen&) = delete;
  Offscreen& operator=(const Offscreen&) = delete;

  // Makes and binds the target, with the viewport covering it. False, with
  // the reason in `problem`, when the driver cannot make one of that size.
  bool create(int width, int height, std::string& problem);
  // The picture as RGB rows, the bottom row first (OpenGL's order).
  std::vector<uint8_t> read() const;
  // Writes the picture as a PNG file; false with the reason in `problem`.
  bool writePng(const std::string& path, std::string& problem) const;

 private:
  int width = 0;
  int height = 0;
  uint32_t framebuffer = 0;
  uint32_t colour = 0;
  uint32_t depth = 0;
};
