#pragma once
// Helpers of the model reader's tests: read a model from text with a
// recording texture factory, capture what the reader prints, find nodes by
// name and class, compare matrices and vectors with a tolerance.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "assets/AseReader.h"
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

  template <typename T = SceneNode>
  std::shared_ptr<T> find(const std::string& name) const {
    return std::dynamic_pointer_cast<T>(model->root->findNode(name));
  }
};

inline LoadedModel loadAse(const std::string& text, const std::string& path = "models/test.ASE") {
  LoadedModel loaded;
  loaded.reader = std::make_unique<AseReader>(path, loaded.textures);
  testing::internal::CaptureStdout();
  loaded.model = loaded.reader->loadText(text);
  loaded.output = testing::internal::GetCapturedStdout();
  return loaded;
}

// A scene block of frames first..last at `ticks` ticks per frame.
inline std::string sceneBlock(int first = 0, int last = 10, int ticks = 160) {
  return "*SCENE {\n  *SCENE_FILENAME \"test.max\"\n  *SCENE_FIRSTFRAME " + std::to_string(first) +
         "\n  *SCENE_LASTFRAME " + std::to_string(last) + "\n  *SCENE_FRAMESPEED 30\n  *SCENE_TICKSPERFRAME " +
         std::to_string(ticks) + "\n}\n";
}

// A *NODE_TM block with the given rows.
inline std::string nodeTm(const std::string& name, const std::string& row0, const std::string& row1,
                          const std::string& row2, const std::string& row3) {
  return "  *NODE_TM {\n    *NODE_NAME \"" + name + "\"\n    *INHERIT_POS 0 0 0\n    *TM_ROW0 " + row0 +
         "\n    *TM_ROW1 " + row1 + "\n    *TM_ROW2 " + row2 + "\n    *TM_ROW3 " + row3 +
         "\n    *TM_POS 0 0 0\n  }\n";
}

// An identity *NODE_TM at `position`.
inline std::string nodeTmAt(const std::string& name, const std::string& position) {
  return nodeTm(name, "1 0 0", "0 1 0", "0 0 1", position);
}

inline void expectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-4f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline void expectNear(const Matrix& actual, const Matrix& expected, float tolerance = 1e-4f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

// Number of lines in captured output.
inline size_t lineCount(const std::string& output) {
  size_t lines = 0;
  for (char c : output) lines += c == '\n';
  return lines;
}

inline bool contains(const std::string& output, const std::string& part) {
  return output.find(part) != std::string::npos;
}
