#pragma once
// The four playable characters: each a skinned cartoon body with a racket
// ("Golpe" at the centre of its strings) and a ball in the left hand
// ("Pelota"), its fourteen clips and its scoreboard portrait.

#include <vector>

#include "content/models/WorldModels.h"

// Each character's "models/<Name>/normal.ASZ" (the model with its idle clip),
// the thirteen clip files beside it and the racket strings' picture.
std::vector<ModelAsset> characterModels();
// Writes the characters and their portraits ("models/<Name>/Icon.bmp", 24-bit,
// 64 x 64) into the run folder.
void writeCharacters(const std::filesystem::path& runDir);
