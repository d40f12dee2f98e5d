#pragma once
// The umpire bird on its chair and the match introductions: the bird's idle
// and greeting clips, and the two intro scenes with their flying camera
// "CameraIntro" and the holders that walk the players to their places.

#include <vector>

#include "content/models/WorldModels.h"
#include "tennis/ModelFiles.h"
#include "tennis/NodeNames.h"

// "models/Birdy/birdy.ASE", "models/Birdy/BirdyIntroSingles.ASE",
// "models/IntroSingles.ASE", "models/IntroDoubles.ASE".
std::vector<ModelAsset> umpireAndIntroModels();
