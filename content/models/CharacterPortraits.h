#pragma once
// The scoreboard's portrait of a character ("Icon.bmp"): the
// character's own model drawn in its bind pose, head and shoulders seen
// from the front and a little from the side and above, toon-shaded with
// black outlines like the game draws it, on a round badge of its colour.

#include <cstdint>
#include <string>

#include "content/ContentFiles.h"
#include "content/models/AseWriter.h"

constexpr int kPortraitSize = 64;

// `centre` and `radius`: the part of the model (in the game's axes) that
// fills the picture.
Pixels characterPortrait(const AseScene& scene, const Vector3& centre, float radius, uint32_t badgeRgb);

// A 24-bit uncompressed BMP (bottom row first, rows padded to 4 bytes).
std::string bmpFile(const Pixels& pixels);
