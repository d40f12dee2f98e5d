// Cartoon shading, vertex stage. Hands the fragment stage the eye-space
// normal and position, so that the light bands are decided per pixel and
// stay flat, and the texture coordinate through the texture matrix (the
// clips' texture offsets live there). ftransform keeps the depth exactly
// that of the fixed-function outline pass drawn over it.
#version 110

varying vec3 eyeNormal;
varying vec3 eyePosition;

void main() {
  eyeNormal = gl_NormalMatrix * gl_Normal;
  vec4 position = gl_ModelViewMatrix * gl_Vertex;
  eyePosition = position.xyz / position.w;
  gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
  gl_Position = ftransform();
}
