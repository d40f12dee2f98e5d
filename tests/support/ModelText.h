#pragma once
// Helpers of the model reader's tests: model text built from short pieces,
// read with a recording texture factory while capturing what the reader
// prints, nodes found by name and class, comparisons with a tolerance.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "assets/AseReader.h"
#include "assets/ModelProbe.h"
#include "engine/Face.h"
#include "engine/Matrix.h"
#include "engine/TextureFactory.h"
#include "engine/Vector3.h"

struct LoadedModel {
  std::shared_ptr<RecordingTextureFactory> textures = std::make_shared<RecordingTextureFactory>();
  std::unique_ptr<AseReader> reader;
  std::shared_ptr<Model> model;
  // What the reader printed on standard output.
  std::string output;

  // Reads a clip file's text into the same model; returns what was printed.
  std::string addClip(const std::string& text, const std::string& name = "models/clip.ASE") {
    testing::internal::CaptureStdout();
    reader->loadAnimationText(text, name);
    return testing::internal::GetCapturedStdout();
  }

  template <typename T = SceneObject>
  std::shared_ptr<T> find(const std::string& name) const {
    return std::dynamic_pointer_cast<T>(model->root->findNode(name));
  }
};

// Reads model text, or with `fromFile` the file at `path` and then the clip
// files `clips`.
inline LoadedModel loadAse(const std::string& text, const std::string& path = "models/test.ASE",
                           bool fromFile = false, const std::vector<std::string>& clips = {}) {
  LoadedModel loaded;
  loaded.reader = std::make_unique<AseReader>(path, loaded.textures);
  testing::internal::CaptureStdout();
  loaded.model = fromFile ? loaded.reader->load() : loaded.reader->loadText(text);
  for (const std::string& clip : clips) loaded.reader->loadAnimation(clip);
  loaded.output = testing::internal::GetCapturedStdout();
  return loaded;
}

// The model keeps the reader's promises, and posing and skinning it in
// every clip (and one clip beyond) works.
inline void expectSafe(const LoadedModel& loaded) {
  const std::vector<std::string> problems = findModelProblems(*loaded.model);
  EXPECT_TRUE(problems.empty()) << problems.front();
  for (uint32_t clip = 0; clip <= loaded.model->root->animationCount(); ++clip) {
    for (uint32_t time : {0u, 16u, 500u, 100000u}) poseModel(*loaded.model->root, clip, time);
  }
}

// Every object of the tree below `node`, depth first.
inline void forEachObject(const SceneNode& node, const std::function<void(const SceneObject&)>& visit) {
  for (const auto& child : node.children()) {
    if (const auto* object = dynamic_cast<const SceneObject*>(child.get())) visit(*object);
    forEachObject(*child, visit);
  }
}

// A scene block of frames first..last at `ticks` ticks per frame.
inline std::string sceneBlock(int first = 0, int last = 10, int ticks = 160) {
  return "*SCENE {\n *SCENE_FILENAME \"test.max\"\n *SCENE_FIRSTFRAME " + std::to_string(first) +
         "\n *SCENE_LASTFRAME " + std::to_string(last) + "\n *SCENE_FRAMESPEED 30\n *SCENE_TICKSPERFRAME " +
         std::to_string(ticks) + "\n}\n";
}

// A *NODE_TM block with the given rows (rows 0-2 the axes, row 3 the place).
inline std::string nodeTm(const std::string& row0, const std::string& row1, const std::string& row2,
                          const std::string& row3) {
  return " *NODE_TM {\n  *INHERIT_POS 0 0 0\n  *TM_ROW0 " + row0 + "\n  *TM_ROW1 " + row1 + "\n  *TM_ROW2 " + row2 +
         "\n  *TM_ROW3 " + row3 + "\n  *TM_POS 0 0 0\n }\n";
}

inline std::string nodeTmAt(const std::string& position) { return nodeTm("1 0 0", "0 1 0", "0 0 1", position); }

// An object block of `keyword`: its name, its parent (when not empty), its
// transform, then `body`.
inline std::string objectBlock(const std::string& keyword, const std::string& name, const std::string& body = "",
                               const std::string& parent = "", const std::string& tm = nodeTmAt("0 0 0")) {
  return keyword + " {\n *NODE_NAME \"" + name + "\"\n" + (parent.empty() ? "" : " *NODE_PARENT \"" + parent + "\"\n") +
         tm + body + "}\n";
}

inline std::string geom(const std::string& name, const std::string& body = "", const std::string& parent = "",
                        const std::string& tm = nodeTmAt("0 0 0")) {
  return objectBlock("*GEOMOBJECT", name, body, parent, tm);
}

// A *MESH block whose counts are those of its lists: points as "x y z",
// faces as vertex indices; `extra` (normals) goes before its closing brace.
inline std::string meshBlock(const std::vector<std::string>& vertices, const std::vector<Face>& faces,
                             const std::vector<std::string>& texCoords = {}, const std::vector<Face>& texFaces = {},
                             const std::string& extra = "") {
  const auto count = [](size_t n) { return std::to_string(n); };
  std::string text = " *MESH {\n  *TIMEVALUE 0\n  *MESH_NUMVERTEX " + count(vertices.size()) + "\n  *MESH_NUMFACES " +
                     count(faces.size()) + "\n  *MESH_VERTEX_LIST {\n";
  for (size_t i = 0; i < vertices.size(); ++i) text += "   *MESH_VERTEX " + count(i) + " " + vertices[i] + "\n";
  text += "  }\n  *MESH_FACE_LIST {\n";
  for (size_t i = 0; i < faces.size(); ++i) {
    text += "   *MESH_FACE " + count(i) + ": A: " + count(faces[i][0]) + " B: " + count(faces[i][1]) +
            " C: " + count(faces[i][2]) + " AB: 1 BC: 1 CA: 1 *MESH_SMOOTHING 1 *MESH_MTLID 0\n";
  }
  text += "  }\n";
  if (!texCoords.empty()) {
    text += "  *MESH_NUMTVERTEX " + count(texCoords.size()) + "\n  *MESH_TVERTLIST {\n";
    for (size_t i = 0; i < texCoords.size(); ++i) text += "   *MESH_TVERT " + count(i) + " " + texCoords[i] + "\n";
    text += "  }\n";
  }
  if (!texFaces.empty()) {
    text += "  *MESH_NUMTVFACES " + count(texFaces.size()) + "\n  *MESH_TFACELIST {\n";
    for (size_t i = 0; i < texFaces.size(); ++i) {
      text += "   *MESH_TFACE " + count(i) + " " + count(texFaces[i][0]) + " " + count(texFaces[i][1]) + " " +
              count(texFaces[i][2]) + "\n";
    }
    text += "  }\n";
  }
  return text + extra + " }\n";
}

inline std::string triangle(const std::string& a = "0 0 0", const std::string& b = "1 0 0",
                            const std::string& c = "0 1 0") {
  return meshBlock({a, b, c}, {{0, 1, 2}});
}

// A material list: each entry is the body of one *MATERIAL block.
inline std::string materialList(const std::vector<std::string>& materials) {
  std::string text = "*MATERIAL_LIST {\n *MATERIAL_COUNT " + std::to_string(materials.size()) + "\n";
  for (size_t i = 0; i < materials.size(); ++i) {
    text += " *MATERIAL " + std::to_string(i) + " {\n  " + materials[i] + "\n }\n";
  }
  return text + "}\n";
}

// `text` with the first `from` replaced by `to`.
inline std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at == std::string::npos) {
    ADD_FAILURE() << "no \"" << from << "\" to replace";
    return text;
  }
  return text.replace(at, from.size(), to);
}

// Numbers and points as text, rounded to 1e-4: a list compared in one line.
inline std::string numbersText(const std::vector<float>& numbers) {
  std::ostringstream text;
  for (float v : numbers) text << (text.tellp() > 0 ? " " : "") << std::round(v * 1e4f) / 1e4f + 0.0f;
  return text.str();
}

inline std::string pointsText(const std::vector<Vector3>& points) {
  std::string text;
  for (const Vector3& p : points) text += (text.empty() ? "(" : " (") + numbersText({p.x, p.y, p.z}) + ")";
  return text;
}

inline void expectNear(const Matrix& actual, const Matrix& expected, float tolerance = 1e-4f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

inline size_t lineCount(const std::string& output) {
  return static_cast<size_t>(std::count(output.begin(), output.end(), '\n'));
}
