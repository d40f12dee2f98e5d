#pragma once
// Whether the graphics driver offers GLSL shader objects, and the one place
// that makes a shader program current. The answer is asked once at start,
// after GLEW is initialised; without support every program switch is skipped
// and materials with a shader name keep the fixed-function look. Building
// programs from their sources belongs to the shader program loader.

#include <cstdint>

extern bool shaderSupport;

// Asks GLEW for GL_ARB_shader_objects, GL_ARB_vertex_shader and
// GL_ARB_fragment_shader in that order, stopping at the first one missing,
// records the answer in shaderSupport and returns it.
bool checkShaderSupport();

// Makes program `id` current (0: fixed function); nothing, and no OpenGL call
// at all, while shaderSupport is false.
void useProgram(uint32_t id);
