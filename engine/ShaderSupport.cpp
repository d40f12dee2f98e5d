#include "engine/ShaderSupport.h"

#include <GL/glew.h>

bool shaderSupport = false;

bool checkShaderSupport() {
  shaderSupport = glewIsSupported("GL_ARB_shader_objects GL_ARB_vertex_shader GL_ARB_fragment_shader");
  return shaderSupport;
}
