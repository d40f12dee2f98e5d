#pragma once
// The match introductions "models/IntroSingles.ASE" and
// "models/IntroDoubles.ASE": one clip of about nine seconds in which the
// camera "CameraIntro" flies in over the stadium and comes to rest at the
// broadcast view, while the holders "TennisPlayerHolder[i]" walk the players
// from the players' gate on the +z side of the court to where they stand for
// the first serve. The game hangs each player's model under its holder, so a
// holder is an upright frame of the game (y up, its +z the player's facing)
// that moves at the players' walking speed and stands still once there. The
// stadium and the umpire are the match's own models, not part of these.

#include <cstddef>
#include <string>

#include "content/models/WorldModels.h"
#include "tennis/ModelFiles.h"
#include "tennis/NodeNames.h"

enum class IntroKind { Singles, Doubles };

ModelAsset introModel(IntroKind kind);
