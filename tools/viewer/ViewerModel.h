#pragma once
// One model file as the viewer shows it: read by the game's own reader with
// real textures and shader programs, then the clip files the game reads on
// top of it (a character's "normal.ASZ" brings "andando.ASZ", "golpe.ASZ"
// ...; the umpire's "birdy.ASE" brings "BirdyIntroSingles.ASE"), then any
// clip files asked for by hand.
//
// It is drawn by the game's Scene through its passes, so cartoon materials
// get their shader and outlines exactly as in a match. For the view without
// outlines a second Scene holds the same meshes with each cartoon material
// replaced by a plain twin (same colours, texture and program).
//
// Poses come from the clip and time the viewer asks for, without the blend
// from the previous pose, so any frame can be shown in any order.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "OrbitView.h"
#include "engine/Camera.h"
#include "engine/Matrix.h"
#include "engine/Model.h"
#include "engine/Scene.h"

struct ClipInfo {
  std::string file;
  uint32_t durationMs = 0;
  uint32_t msPerFrame = 1;
  // The length of one loop of the clip on the model's clock: its last frame
  // is held for one frame before the first comes back.
  uint32_t loopMs() const { return durationMs + msPerFrame; }
};

class ViewerModel {
 public:
  // Reads the model and its clips; needs the OpenGL context, GLEW and DevIL
  // started. False, with the reason in `problem`, when there is no model to
  // show. Notes about missing clip files go to `notes`.
  bool load(const std::string& path, bool withGameClips, const std::vector<std::string>& extraClips,
            std::string& problem, std::vector<std::string>& notes);

  const Model& model() const { return *loaded; }
  const std::vector<ClipInfo>& clips() const { return clipList; }
  // The model's cameras, in file order.
  std::vector<std::shared_ptr<Camera>> cameras() const;
  std::shared_ptr<Camera> findCamera(const std::string& name) const;
  // Materials that name a shader which did not build (while shaders are on).
  std::vector<std::string> materialsWithoutProgram() const;

  // Poses every node with `clip` at `timeMs` on the model's clock.
  void pose(uint32_t clip, uint32_t timeMs);
  // The box around every drawn vertex as posed.
  Bounds bounds() const;

  // Draws the scene's passes with `view` under the current projection. The
  // passes leave an orthographic projection behind.
  void draw(const Matrix& view, bool outlines);
  // Bones as lines from each bone to its parent bone, over everything.
  void drawBones(const Matrix& view) const;
  size_t boneCount() const;
  // Meshes the game would not draw for want of a material (shown in grey).
  size_t standInCount() const { return meshesWithoutMaterial; }

 private:
  std::shared_ptr<Model> loaded;
  std::vector<ClipInfo> clipList;
  // The model's materials, and the stand-in for meshes without one.
  std::vector<std::shared_ptr<Material>> drawnMaterials;
  size_t meshesWithoutMaterial = 0;
  std::unique_ptr<Scene> outlined;
  std::unique_ptr<Scene> plain;
};
