#include "content/models/CharacterModels.h"

std::vector<ModelAsset> characterModels() { return {}; }

void writeCharacters(const std::filesystem::path& runDir) {
  for (const ModelAsset& character : characterModels()) writeModelAsset(runDir, character);
}
