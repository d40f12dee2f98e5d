#include "assets/ShaderProgram.h"

#include <GL/glew.h>

#include <fstream>
#include <map>

#include "engine/Log.h"
#include "engine/ShaderSupport.h"

namespace {

std::map<std::string, uint32_t> programCache;
std::string sourceFolder = kDefaultShaderFolder;
bool defaultTextureWhite = false;

// Compiles one stage from its file; 0 after printing `failure` and the log.
GLhandleARB compileStage(GLenum stage, const std::string& path, const char* failure) {
  const GLhandleARB shader = glCreateShaderObjectARB(stage);
  const std::string source = readTextFile(path);
  const GLcharARB* text = source.c_str();
  glShaderSourceARB(shader, 1, &text, nullptr);
  glCompileShaderARB(shader);
  GLint compiled = 0;
  glGetObjectParameterivARB(shader, GL_OBJECT_COMPILE_STATUS_ARB, &compiled);
  if (compiled) return shader;

  printMessage("%s", failure);
  GLcharARB log[kShaderLogSize] = {};
  glGetInfoLogARB(shader, kShaderLogSize, nullptr, log);
  log[kShaderLogSize - 1] = '\0';
  printMessage("%s", log);
  glDeleteObjectARB(shader);
  return 0;
}

// See the header: texture 0 samples white, so untextured materials keep
// their colour under a program. The current binding is left as it was.
void makeDefaultTextureWhite() {
  if (defaultTextureWhite) return;
  defaultTextureWhite = true;
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  GLint unpackAlignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
  const GLubyte white[4] = {255, 255, 255, 255};
  glBindTexture(GL_TEXTURE_2D, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  // One level only: the default mipmapped filter would leave it incomplete.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
  glBindTexture(GL_TEXTURE_2D, GLuint(bound));
}

}  // namespace

uint32_t loadShaderProgram(const std::string& name) {
  if (!shaderSupport) return 0;
  const auto cached = programCache.find(name);
  if (cached != programCache.end()) return cached->second;

  // The fragment file is read only once the vertex shader has compiled.
  const GLhandleARB vertex =
      compileStage(GL_VERTEX_SHADER_ARB, sourceFolder + name + ".vs", "Error: El vertex shader no compila\n");
  if (!vertex) return 0;
  const GLhandleARB fragment =
      compileStage(GL_FRAGMENT_SHADER_ARB, sourceFolder + name + ".fs", "Error: El fragment shader no compila\n");
  if (!fragment) {
    glDeleteObjectARB(vertex);
    return 0;
  }

  const GLhandleARB program = glCreateProgramObjectARB();
  glAttachObjectARB(program, vertex);
  glAttachObjectARB(program, fragment);
  glLinkProgramARB(program);
  GLint linked = 0;
  glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
  if (!linked) {
    printMessage("Error: El programa no se ha podido linkar adecuadamente\n");
    glDeleteObjectARB(program);
    glDeleteObjectARB(vertex);
    glDeleteObjectARB(fragment);
    return 0;
  }
  makeDefaultTextureWhite();
  programCache[name] = uint32_t(program);
  return uint32_t(program);
}

void releaseShaderPrograms() {
  // Deleting a program also frees the shaders attached to it.
  for (const auto& [name, program] : programCache) glDeleteObjectARB(GLhandleARB(program));
  programCache.clear();
  defaultTextureWhite = false;
}

std::string readTextFile(const std::string& path) {
  std::ifstream file(path);
  std::string text;
  // Through the stream, not its buffer: a read error (the path is a folder)
  // then ends the text instead of throwing.
  char chunk[4096];
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0) text.append(chunk, size_t(file.gcount()));
  return text;
}

void setShaderFolder(const std::string& folder) {
  sourceFolder = folder;
  if (!sourceFolder.empty() && sourceFolder.back() != '/') sourceFolder += '/';
}

const std::string& shaderFolder() { return sourceFolder; }
