#pragma once
// GLSL programs named by materials ("[cartoon]" and the like). A program is
// built from the shader folder ("./shaders/" beside the game) + name + ".vs"
// and ".fs" through the ARB shader-object entry points, and cached by name
// for the life of the process: two materials naming "cartoon" share one
// program, and its sources are read and compiled once. Handle 0 means "no
// program": the material then draws with the fixed-function pipeline.
// Binding a program is the material's business (useProgram in
// engine/ShaderSupport.h); the programs set no uniform and no attribute, so
// the shaders see only OpenGL's own state: lights, material colours, the
// bound texture.
//
// Without shader support (shaderSupport false) every request gives 0 and
// makes no OpenGL call and opens no file. A program that does not build
// prints its message (and the compiler's log) each time it is asked for:
// failures are not remembered.
//
// Untextured materials. A shader samples whatever texture is bound, and a
// program cannot see whether GL_TEXTURE_2D is enabled. So when the first
// program is built, texture object 0 gets a single white texel: a material
// drawn with texture 0 bound comes out in its lit colour, as it would with
// fixed function. The scene's untextured pass must therefore have texture 0
// bound (a texture from an earlier pass or frame would show through).

#include <cstdint>
#include <string>

// Room for a compiler log, its terminating zero included: longer logs are cut.
constexpr int kShaderLogSize = 1000;
// Where the game looks for its shader sources.
constexpr const char* kDefaultShaderFolder = "./shaders/";

// The program for `name`, or 0 (messages on standard output). Needs a
// current OpenGL context with GLEW started when shaderSupport is true.
uint32_t loadShaderProgram(const std::string& name);

// Deletes every cached program while the context that built them is still
// current (the game calls it as it ends); later requests build them anew.
void releaseShaderPrograms();

// The whole file as text, or an empty text when it cannot be opened.
std::string readTextFile(const std::string& path);

// The folder the sources are read from; a missing trailing '/' is added.
// Tools and tests point it elsewhere; the game keeps kDefaultShaderFolder.
// Programs already cached stay as they are.
void setShaderFolder(const std::string& folder);
const std::string& shaderFolder();
