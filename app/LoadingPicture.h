#pragma once
// What the window shows while the title loads: black at first, then the
// title's background as soon as it is read, with a bar along the bottom that
// grows with the steps done, and after it a dot in each of the title's fonts
// read so far. The title then draws over it all. Drawing these also readies
// the driver for the title's own drawing (blended pictures and letters of
// each kind), which would otherwise hold up the title's first frame.
//
// An overlay like the others; it owns nothing but shares of the picture and
// fonts, whose pictures the game's texture cache keeps for the title.

#include <memory>
#include <vector>

#include "engine/Font.h"
#include "engine/Overlay.h"
#include "engine/Texture.h"

class LoadingPicture : public Overlay {
 public:
  void setBackground(std::shared_ptr<Texture> picture) { background = std::move(picture); }
  void addFont(std::shared_ptr<Font> font) { fonts.push_back(std::move(font)); }
  // The share of the loading done, 0 to 1.
  void setProgress(float done) { progress = done; }
  void draw2D() override;
  void update(uint32_t) override {}

 private:
  std::shared_ptr<Texture> background;
  std::vector<std::shared_ptr<Font>> fonts;
  float progress = 0.0f;
};
