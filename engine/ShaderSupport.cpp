#include "engine/ShaderSupport.h"

#include <GL/glew.h>

bool shaderSupport = false;

bool checkShaderSupport() {
  shaderSupport = glewIsSupported("GL_ARB_shader_objects") && glewIsSupported("GL_ARB_vertex_shader") &&
                  glewIsSupported("GL_ARB_fragment_shader");
  return shaderSupport;
}

void useProgram(uint32_t id) {
  if (shaderSupport) glUseProgramObjectARB(id);
}
