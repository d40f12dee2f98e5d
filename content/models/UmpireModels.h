#pragma once
// The umpire bird on its chair and the match introductions: the bird's idle
// and greeting clips, and the two intro scenes with their flying camera
// "CameraIntro" and the holders that walk the players to their places.

#include <vector>

#include "content/models/WorldModels.h"

// The bird's model (idle clip 0) and the clip file of its greeting (clip 1).
inline constexpr const char* kBirdyModelPath = "models/Birdy/birdy.ASE";
inline constexpr const char* kBirdyGreetingPath = "models/Birdy/BirdyIntroSingles.ASE";
// The node the game turns to follow the ball.
inline constexpr const char* kBirdyHeadName = "Cabeza";

// "models/Birdy/birdy.ASE", "models/Birdy/BirdyIntroSingles.ASE",
// "models/IntroSingles.ASE", "models/IntroDoubles.ASE".
std::vector<ModelAsset> umpireAndIntroModels();
