// ase-info: loads a scene file (".ASE"/".ASZ") through the game's own model
// reader, then the clip files the game loads on top of it, and prints a JSON
// summary of what the reader made. The reader's messages go to standard
// error, so standard output holds the JSON alone.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "assets/AseReader.h"
#include "assets/ModelProbe.h"
#include "engine/BillboardObject.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "engine/SkinnedObject.h"
#include "engine/TextureFactory.h"
#include "engine/ToonMaterial.h"
#include "tennis/ModelFiles.h"
#include "tools/JsonWriter.h"

namespace {

const char* kHelp = R"(Usage: ase-info [options] MODEL

Loads MODEL (a 3ds Max ASCII scene export, ".ASE" or ".ASZ") with the game's
model reader, then the clip files the game loads on top of it from the same
folder, in the game's order:
  normal.ASZ  ->  andando.ASZ golpe.ASZ reves.ASZ saque00.ASZ .. saque04.ASZ
                  ganando.ASZ perdiendo.ASZ saltando00.ASZ .. saltando02.ASZ
  birdy.ASE   ->  BirdyIntroSingles.ASE
A listed clip file that does not exist is left out (and named on standard
error), so clip numbers follow the files that were found.

Options:
  --clip FILE          also read FILE as the next clip (after the ones above;
                       may be given more than once)
  --no-clips           do not look for the game's clip files
  --pose CLIP TIME_MS  pose the tree with clip CLIP at TIME_MS milliseconds of
                       the model clock (without the blend from a previous
                       clip) and print every node's world matrix
  --help               this text

Standard output is one JSON object:
  "file":       the model path as given
  "clipFiles":  the clip files read, in clip order (clip 0 is the model)
  "materials":  [{"name", "class" ("Material" or "ToonMaterial"),
                  "shader" (the name in brackets, or null),
                  "texture" (the texture path the reader asked for, or null)}]
  "nodes":      every node in pre-order, the root first:
                [{"name", "class" ("AnimatedGroup", "SceneObject",
                  "BillboardObject", "BoneObject", "SkinnedObject", "Camera"),
                  "parent" (name, null for the root), "vertices", "faces",
                  "texCoords" (counts after the reader's post-steps),
                  "material" (index into "materials", -1 for none),
                  "animations" (clips the node holds)}]
  "clipDurations": the root's clip lengths in milliseconds
  "cameras":    [{"name", "near", "far", "fov" (vertical, degrees)}]
  "pose":       with --pose only: {"clip", "timeMs", "worlds": [{"name",
                  "matrix" (16 numbers, OpenGL order: rows of a row-vector
                  transform, translation in 12..14)}]} in node order
Names are byte strings of the file; bytes outside printable ASCII are written
as \u00XX escapes (Latin-1). Numbers are written with up to 9 significant
digits.

Exit status: 0 when the model was read (even with messages), 1 when the file
cannot be opened, 2 for a bad command line.
)";

const char* className(const SceneNode& node) {
  if (dynamic_cast<const Camera*>(&node)) return "Camera";
  if (dynamic_cast<const SkinnedObject*>(&node)) return "SkinnedObject";
  if (dynamic_cast<const BoneObject*>(&node)) return "BoneObject";
  if (dynamic_cast<const BillboardObject*>(&node)) return "BillboardObject";
  if (dynamic_cast<const SceneObject*>(&node)) return "SceneObject";
  if (dynamic_cast<const AnimatedGroup*>(&node)) return "AnimatedGroup";
  return "SceneNode";
}

std::vector<const SceneNode*> preOrder(const SceneNode& root) {
  std::vector<const SceneNode*> nodes{&root};
  std::function<void(const SceneNode&)> walk = [&](const SceneNode& node) {
    for (const auto& child : node.children()) {
      nodes.push_back(child.get());
      walk(*child);
    }
  };
  walk(root);
  return nodes;
}

bool parseNumber(const char* text, unsigned long& value) {
  char* end = nullptr;
  value = std::strtoul(text, &end, 10);
  return end != text && *end == '\0' && text[0] != '-';
}

int usage(const char* problem) {
  std::fprintf(stderr, "ase-info: %s\n(ase-info --help for the usage)\n", problem);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string modelPath;
  std::vector<std::string> extraClips;
  bool gameClips = true;
  bool pose = false;
  unsigned long poseClip = 0;
  unsigned long poseTime = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (argument == "--clip") {
      if (i + 1 >= argc) return usage("--clip needs a file");
      extraClips.push_back(argv[++i]);
    } else if (argument == "--no-clips") {
      gameClips = false;
    } else if (argument == "--pose") {
      if (i + 2 >= argc || !parseNumber(argv[i + 1], poseClip) || !parseNumber(argv[i + 2], poseTime) ||
          poseClip > UINT32_MAX || poseTime > UINT32_MAX) {
        return usage("--pose needs a clip number and a time in milliseconds");
      }
      pose = true;
      i += 2;
    } else if (!argument.empty() && argument[0] == '-') {
      return usage(("unknown option " + argument).c_str());
    } else if (modelPath.empty()) {
      modelPath = argument;
    } else {
      return usage("only one model file");
    }
  }
  if (modelPath.empty()) return usage("no model file");

  // The reader writes its messages on standard output, as the game does;
  // here they go to standard error and the JSON to the real output.
  std::FILE* jsonOut = takeStandardOutputForJson();
  if (!jsonOut) {
    std::perror("ase-info");
    return 1;
  }

  if (!std::filesystem::is_regular_file(modelPath)) {
    std::fprintf(stderr, "ase-info: cannot open %s\n", modelPath.c_str());
    return 1;
  }
  auto textures = std::make_shared<RecordingTextureFactory>();
  AseReader reader(modelPath, textures);
  const std::shared_ptr<Model> model = reader.load();

  std::vector<std::string> clipFiles;
  if (gameClips) {
    const std::filesystem::path modelFile(modelPath);
    for (const std::string& name : gameClipFilesFor(modelFile.filename().string())) {
      const std::filesystem::path clip = modelFile.parent_path() / name;
      if (std::filesystem::is_regular_file(clip)) {
        clipFiles.push_back(clip.string());
      } else {
        std::fprintf(stderr, "ase-info: no clip file %s\n", clip.string().c_str());
      }
    }
  }
  clipFiles.insert(clipFiles.end(), extraClips.begin(), extraClips.end());
  for (const std::string& clip : clipFiles) reader.loadAnimation(clip);

  for (const std::string& problem : findModelProblems(*model)) {
    std::fprintf(stderr, "ase-info: problem: %s\n", problem.c_str());
  }
  if (pose) poseModel(*model->root, static_cast<uint32_t>(poseClip), static_cast<uint32_t>(poseTime));
  std::fflush(stdout);

  Json json(jsonOut);
  json.raw("{\n  ");
  json.key("file");
  json.string(modelPath);
  json.raw(",\n  ");
  json.key("clipFiles");
  json.raw("[");
  for (size_t i = 0; i < clipFiles.size(); ++i) {
    if (i) json.raw(", ");
    json.string(clipFiles[i]);
  }
  json.raw("],\n  ");

  json.key("materials");
  json.raw("[");
  for (size_t i = 0; i < model->materials.size(); ++i) {
    const Material& material = *model->materials[i];
    json.raw(i ? ",\n    {" : "\n    {");
    json.key("name");
    json.string(material.name());
    json.raw(", ");
    json.key("class");
    json.string(dynamic_cast<const ToonMaterial*>(&material) ? "ToonMaterial" : "Material");
    json.raw(", ");
    json.key("shader");
    const size_t open = material.name().find('[');
    const size_t close = material.name().find(']');
    if (open != std::string::npos && close != std::string::npos && open < close) {
      json.string(material.name().substr(open + 1, close - open - 1));
    } else {
      json.raw("null");
    }
    json.raw(", ");
    json.key("texture");
    if (material.hasTexture()) {
      json.string(material.texture()->path());
    } else {
      json.raw("null");
    }
    json.raw("}");
  }
  json.raw(model->materials.empty() ? "],\n  " : "\n  ],\n  ");

  const std::vector<const SceneNode*> nodes = preOrder(*model->root);
  json.key("nodes");
  json.raw("[");
  for (size_t i = 0; i < nodes.size(); ++i) {
    const SceneNode& node = *nodes[i];
    const auto* object = dynamic_cast<const SceneObject*>(&node);
    json.raw(i ? ",\n    {" : "\n    {");
    json.key("name");
    json.string(node.name());
    json.raw(", ");
    json.key("class");
    json.string(className(node));
    json.raw(", ");
    json.key("parent");
    if (node.parent()) {
      json.string(node.parent()->name());
    } else {
      json.raw("null");
    }
    long long materialIndex = -1;
    if (object && object->material()) {
      for (size_t m = 0; m < model->materials.size(); ++m) {
        if (model->materials[m] == object->material()) materialIndex = static_cast<long long>(m);
      }
    }
    json.raw(", ");
    json.key("vertices");
    json.integer(object ? static_cast<long long>(object->vertices().size()) : 0);
    json.raw(", ");
    json.key("faces");
    json.integer(object ? static_cast<long long>(object->faces().size()) : 0);
    json.raw(", ");
    json.key("texCoords");
    json.integer(object ? static_cast<long long>(object->texCoords().size()) : 0);
    json.raw(", ");
    json.key("material");
    json.integer(materialIndex);
    json.raw(", ");
    json.key("animations");
    json.integer(object ? static_cast<long long>(object->animator().animationCount()) : 0);
    json.raw("}");
  }
  json.raw("\n  ],\n  ");

  json.key("clipDurations");
  json.raw("[");
  const auto& durations = model->root->animationDurations();
  for (size_t i = 0; i < durations.size(); ++i) {
    if (i) json.raw(", ");
    json.integer(durations[i]);
  }
  json.raw("],\n  ");

  json.key("cameras");
  json.raw("[");
  bool firstCamera = true;
  for (const auto& object : model->objects) {
    const auto* camera = dynamic_cast<const Camera*>(object.get());
    if (!camera) continue;
    json.raw(firstCamera ? "\n    {" : ",\n    {");
    firstCamera = false;
    json.key("name");
    json.string(camera->name());
    json.raw(", ");
    json.key("near");
    json.number(camera->nearPlane());
    json.raw(", ");
    json.key("far");
    json.number(camera->farPlane());
    json.raw(", ");
    json.key("fov");
    json.number(camera->fovY());
    json.raw("}");
  }
  json.raw(firstCamera ? "]" : "\n  ]");

  if (pose) {
    json.raw(",\n  ");
    json.key("pose");
    json.raw("{");
    json.key("clip");
    json.integer(static_cast<long long>(poseClip));
    json.raw(", ");
    json.key("timeMs");
    json.integer(static_cast<long long>(poseTime));
    json.raw(", ");
    json.key("worlds");
    json.raw("[");
    bool firstWorld = true;
    for (const SceneNode* node : nodes) {
      const auto* entity = dynamic_cast<const SceneEntity*>(node);
      if (!entity) continue;
      json.raw(firstWorld ? "\n    {" : ",\n    {");
      firstWorld = false;
      json.key("name");
      json.string(node->name());
      json.raw(", ");
      json.key("matrix");
      json.raw("[");
      const Matrix& world = entity->worldMatrix();
      for (int e = 0; e < 16; ++e) {
        if (e) json.raw(", ");
        json.number(world[e]);
      }
      json.raw("]}");
    }
    json.raw("\n  ]}");
  }
  json.raw("\n}\n");
  std::fclose(jsonOut);
  return 0;
}
