// The crowd, vertex stage. The crowd of a stand is one mesh of cards; each
// card is turned here to face the viewer, as a billboard of its own would be:
// its centre is placed as usual and its corners are laid out in eye space,
// along the screen's axes, at the view's scale. Each corner's third texture
// coordinate is 4 times the card's half size plus the corner (0 to 3: +x is
// 1, +y is 2), its normal the way the card faces in the model (the right
// hand of a viewer in front is up x normal). The light is OpenGL's light 0
// and the front material, as the fixed pipeline lights a card that faces
// the viewer.
#version 110

void main() {
  float code = gl_MultiTexCoord0.z;
  float corner = mod(code, 4.0);
  float halfSize = (code - corner) / 4.0;
  vec2 side = vec2(mod(corner, 2.0) * 2.0 - 1.0, step(1.5, corner) * 2.0 - 1.0);
  vec3 facing = normalize(gl_Normal);
  vec3 right = normalize(cross(vec3(0.0, 1.0, 0.0), facing));
  vec3 centre = gl_Vertex.xyz - (right * side.x + vec3(0.0, side.y, 0.0)) * halfSize;
  vec4 eye = gl_ModelViewMatrix * vec4(centre, 1.0);
  eye.xy += side * halfSize * length(gl_ModelViewMatrix[0].xyz);
  gl_Position = gl_ProjectionMatrix * eye;

  vec4 lightPosition = gl_LightSource[0].position;
  vec3 toLight = lightPosition.w == 0.0 ? normalize(lightPosition.xyz) : normalize(lightPosition.xyz - eye.xyz);
  float diffuse = max(toLight.z, 0.0);
  float shine = diffuse > 0.0 ? pow(max(gl_LightSource[0].halfVector.z, 0.0), gl_FrontMaterial.shininess) : 0.0;
  vec4 colour = gl_FrontLightModelProduct.sceneColor + gl_FrontLightProduct[0].ambient +
                gl_FrontLightProduct[0].diffuse * diffuse + gl_FrontLightProduct[0].specular * shine;
  colour = clamp(colour, 0.0, 1.0);
  colour.a = gl_FrontMaterial.diffuse.a;
  gl_FrontColor = colour;
  gl_TexCoord[0] = gl_TextureMatrix[0] * vec4(gl_MultiTexCoord0.xy, 0.0, 1.0);
}
