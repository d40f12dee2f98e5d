#pragma once
// The pictures the world models are painted with, drawn by the program so
// that every build makes the same pixels. Each comes back as straight-alpha
// pixels, top row first (texture v = 0 is the picture's bottom row), ready
// for the TGA encoder; pictures used with alpha say so.

#include "content/ContentFiles.h"

// Sky all round: 512 x 256, u once around, v from straight down (0) to
// straight up (1), the horizon at v = 0.5. No alpha.
Pixels skyPicture();
// One tile of the net, 64 x 128: the white tape at the top, the mesh below
// with see-through holes. Alpha.
Pixels netPicture();
// The advertising boards: 1024 x 256, two columns of four boards, each
// 512 x 64 (8 : 1). No alpha.
Pixels boardsPicture();
constexpr int kBoardColumns = 2;
constexpr int kBoardRows = 4;
// The crowd: 1024 x 512, four columns of two rows of square cells, each with
// three cartoon spectators sitting side by side. Alpha.
Pixels crowdPicture();
constexpr int kCrowdColumns = 4;
constexpr int kCrowdRows = 2;
// The ball's felt: 256 x 128 around the ball (as sphereMesh maps it), optic
// yellow with the white seam. No alpha.
Pixels feltPicture();
// The ball's shadow: 64 x 64, black, soft-edged. Alpha.
Pixels shadowPicture();
// Sprite sheets of the play effects: `cells` square cells in one row, one per
// frame, each fading out towards the last. Alpha.
Pixels dustSheet(int cells, int cellSize);
Pixels flashSheet(int cells, int cellSize);
Pixels blurSheet(int cells, int cellSize);
