#pragma once
// GLSL programs named by materials ("[cartoon]" and the like). A program is
// built from "./shaders/" + name + ".vs" and ".fs" and cached by name for the
// life of the process; handle 0 means "no program": the material then draws
// with the fixed-function pipeline.
//
// For now this is the seam only: every name gives 0, so the model reader and
// its tools run without an OpenGL context. Compiling and linking the sources
// comes with the shader loader.

#include <cstdint>
#include <string>

uint32_t loadShaderProgram(const std::string& name);
