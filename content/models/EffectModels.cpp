// The play effects: each one camera-facing card whose picture steps through
// a sprite sheet (one cell a frame) by its texture-offset track. The game
// draws the first object of the first material at the spawning entity's
// place and drops the effect when its clip has played once.

#include <algorithm>

#include "content/models/MeshShapes.h"
#include "content/models/ModelTextures.h"
#include "content/models/WorldModels.h"
#include "tennis/ModelFiles.h"

namespace {

constexpr int kSheetCells = 8;

struct EffectLook {
  const char* path;
  const char* name;     // the card's node name ('&': it faces the camera)
  const char* picture;  // the sprite sheet beside the model
  uint32_t frames;      // clip length in frames of 32 ms
  float size;           // the card's side in scene units
  float lift;           // the card's centre above the spawning entity's origin, scene units
  Pixels (*sheet)(int cells, int cellSize);
  int cellSize;  // a sheet cell's side in pixels
};

ModelAsset effect(const EffectLook& look) {
  ModelAsset asset;
  asset.path = look.path;
  AseScene& scene = asset.scene;
  scene.clipFrames = {look.frames};
  // Bright enough that the headlight leaves the sheet's own colours.
  scene.addMaterial({.name = look.name + 1,
                     .ambient = {1.2f, 1.2f, 1.2f},
                     .diffuse = {1, 1, 1},
                     .specular = {0, 0, 0},
                     .bitmap = look.picture});
  AseNode card;
  card.name = look.name;
  card.material = 0;
  const float half = look.size / 2;
  card.mesh = quadMesh({-half, -half, 0}, {look.size, 0, 0}, {0, look.size, 0}, {0, 0, 0},
                       {1.0f / kSheetCells, 1, 0});
  card.rest = translate(Matrix(), 0, look.lift, 0);
  const uint32_t lastCell = kSheetCells - 1;
  card.textureMotion = [lastCell](size_t, uint32_t frame) {
    return Vector3(static_cast<float>(std::min(frame, lastCell)) / kSheetCells, 0, 0);
  };
  scene.addNode(card);
  asset.textures = {{.file = look.picture, .pixels = look.sheet(kSheetCells, look.cellSize), .alpha = true}};
  return asset;
}

}  // namespace

std::vector<ModelAsset> effectModels() {
  // Dust under a walking player's feet; a flash where the racket meets the
  // ball; a fading ghost of a fast ball, one each 16 ms step, so that the
  // trail is as long as the clip divided by the step.
  static const EffectLook kLooks[] = {
      {.path = kDustEffectFile,
       .name = "&Polvo",
       .picture = "polvo.tga",
       .frames = 9,
       .size = 70,
       .lift = 28,
       .sheet = dustSheet,
       .cellSize = 64},
      {.path = kHitFlashEffectFile,
       .name = "&Zas",
       .picture = "zas.tga",
       .frames = 8,
       .size = 90,
       .lift = 0,
       .sheet = flashSheet,
       .cellSize = 128},
      {.path = kBlurEffectFile,
       .name = "&Estela",
       .picture = "estela.tga",
       .frames = 6,
       .size = 40,
       .lift = 0,
       .sheet = blurSheet,
       .cellSize = 32},
  };
  std::vector<ModelAsset> effects;
  for (const EffectLook& look : kLooks) effects.push_back(effect(look));
  return effects;
}
