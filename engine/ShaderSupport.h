#pragma once
// Whether the graphics driver offers GLSL shader objects. Asked once at start,
// after GLEW is initialised; materials with a shader name fall back to the
// fixed-function look when it is false.

extern bool shaderSupport;

// Asks GLEW for GL_ARB_shader_objects, GL_ARB_vertex_shader and
// GL_ARB_fragment_shader, records the answer in shaderSupport and returns it.
bool checkShaderSupport();
