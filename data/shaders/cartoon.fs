// Cartoon shading, fragment stage: the lighting of OpenGL's light 0 and the
// front material (set by the game, never by this program), with the diffuse
// term cut into a few flat bands and the specular term into a hard spot,
// multiplied by the bound texture. Untextured materials are drawn with
// texture 0 bound, which the game makes one white texel, so they keep their
// colour.
#version 110

uniform sampler2D picture;

varying vec3 eyeNormal;
varying vec3 eyePosition;

// Surfaces turned fully to the light get the whole diffuse colour; the dark
// side keeps a quarter of it so that shapes still read.
float band(float lambert) {
  if (lambert > 0.8) return 1.0;
  if (lambert > 0.45) return 0.7;
  if (lambert > 0.15) return 0.45;
  return 0.25;
}

void main() {
  vec3 normal = normalize(eyeNormal);
  vec4 lightPosition = gl_LightSource[0].position;
  vec3 toLight = lightPosition.w == 0.0 ? normalize(lightPosition.xyz)
                                        : normalize(lightPosition.xyz - eyePosition);
  float diffuse = band(max(dot(normal, toLight), 0.0));
  float shine = pow(max(dot(normal, normalize(gl_LightSource[0].halfVector.xyz)), 0.0),
                    max(gl_FrontMaterial.shininess, 1.0));
  float highlight = shine > 0.5 ? 1.0 : 0.0;

  vec4 colour = gl_FrontLightModelProduct.sceneColor + gl_FrontLightProduct[0].ambient +
                gl_FrontLightProduct[0].diffuse * diffuse + gl_FrontLightProduct[0].specular * highlight;
  colour = clamp(colour, 0.0, 1.0);
  colour.a = gl_FrontMaterial.diffuse.a;
  gl_FragColor = colour * texture2D(picture, gl_TexCoord[0].st);
}
