#pragma once
// The four playable characters: each a skinned cartoon body with a racket
// ("Golpe" at the centre of its strings) and a ball in the left hand
// ("Pelota"), its fourteen clips and its scoreboard portrait.

#include <vector>

#include "content/models/WorldModels.h"

// "models/<Name>/normal.ASZ", the thirteen clip files beside it, and "Icon.bmp".
std::vector<ModelAsset> characterModels();
// Writes the characters and their portraits into the run folder.
void writeCharacters(const std::filesystem::path& runDir);
