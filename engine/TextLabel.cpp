#include "engine/TextLabel.h"

#include <utility>

TextLabel::TextLabel(const std::string& fontPath, std::string text, float x, float y, float spacing,
                     std::shared_ptr<TextureFactory> textures)
    : labelFont(std::make_shared<Font>(fontPath, spacing, std::move(textures))),
      centreX(x),
      centreY(y),
      labelText(std::move(text)) {}

void TextLabel::draw2D() {
  labelFont->beginDrawing();
  labelFont->drawText(labelText, centreX, centreY, 1.0f);
  Font::finishDrawing();
}
