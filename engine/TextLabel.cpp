#include "engine/TextLabel.h"

#include <GL/gl.h>

#include <utility>

TextLabel::TextLabel(const std::string& fontPath, std::string text, float x, float y, float spacing,
                     std::shared_ptr<TextureFactory> textures)
    : labelFont(std::make_shared<Font>(fontPath, spacing, std::move(textures))),
      centreX(x),
      centreY(y),
      labelText(std::move(text)) {}

void TextLabel::draw2D() {
  if (labelFont->hasAlpha()) {
    glEnable(GL_BLEND);
  } else {
    glDisable(GL_BLEND);
  }
  glEnable(GL_TEXTURE_2D);
  glColor3f(1.0f, 1.0f, 1.0f);
  labelFont->drawText(labelText, centreX, centreY, 1.0f);
  glDisable(GL_BLEND);
}
