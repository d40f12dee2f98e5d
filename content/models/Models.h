#pragma once
// The game's models (stadium, ball, characters, umpire, their animation
// clips and textures), written as scene files under "models/" in the run
// folder.

#include <filesystem>

void writeModels(const std::filesystem::path& runDir);
