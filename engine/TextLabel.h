#pragma once
// An overlay that shows one fixed string with its own font, centred on a
// point of the 1024 x 768 overlay space: titles and captions that never
// change. It blends only when the font's image has alpha.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/Font.h"
#include "engine/Overlay.h"

class TextLabel : public Overlay {
 public:
  // Loads Font(fontPath, spacing, textures); see Font for the defaults.
  TextLabel(const std::string& fontPath, std::string text, float x, float y, float spacing,
            std::shared_ptr<TextureFactory> textures = nullptr);

  void draw2D() override;
  void update(uint32_t) override {}

  const std::shared_ptr<Font>& font() const { return labelFont; }
  const std::string& text() const { return labelText; }
  float x() const { return centreX; }
  float y() const { return centreY; }

 private:
  std::shared_ptr<Font> labelFont;
  float centreX;
  float centreY;
  std::string labelText;
};
