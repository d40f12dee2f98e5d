#include "content/models/Models.h"

#include <filesystem>

#include "content/ContentFiles.h"
#include "content/models/CharacterModels.h"
#include "content/models/TrainingModels.h"
#include "content/models/UmpireModels.h"
#include "content/models/WorldModels.h"

void writeModelAsset(const std::filesystem::path& runDir, const ModelAsset& asset) {
  writeContentFile(runDir, asset.path, writeAseModel(asset.scene));
  for (size_t clip = 1; clip < asset.scene.clipFrames.size(); ++clip) {
    writeContentFile(runDir, asset.clipPaths.at(clip - 1), writeAseClip(asset.scene, clip));
  }
  const std::string folder = std::filesystem::path(asset.path).parent_path().generic_string();
  for (const ModelTexture& texture : asset.textures) {
    writeContentFile(runDir, folder + "/" + texture.file, tgaFile(texture.pixels, texture.alpha));
  }
}

void writeModels(const std::filesystem::path& runDir) {
  writeModelAsset(runDir, stadiumModel());
  writeModelAsset(runDir, ballModel());
  for (const ModelAsset& effect : effectModels()) writeModelAsset(runDir, effect);
  for (const ModelAsset& trophy : trophyModels()) writeModelAsset(runDir, trophy);
  writeCharacters(runDir);
  for (const ModelAsset& model : umpireAndIntroModels()) writeModelAsset(runDir, model);
  writeModelAsset(runDir, ballMachineModel());
  writeModelAsset(runDir, courtMarksModel());
}
