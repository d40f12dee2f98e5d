// The crowd, fragment stage: the lit colour times the card's picture. The
// cards of a mesh are drawn in one go rather than sorted one by one, so the
// clear space round the spectators is dropped instead of blended: it would
// otherwise hide, through the depth test, a card drawn after it behind it.
#version 110

uniform sampler2D picture;

void main() {
  vec4 colour = gl_Color * texture2D(picture, gl_TexCoord[0].st);
  if (colour.a < 0.02) discard;
  gl_FragColor = colour;
}
