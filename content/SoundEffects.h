#pragma once
// The match's effect sounds, synthesised: "sounds/ball00.wav" to
// "sounds/ball02.wav" (three racket hits, each a different string and
// frame) and "sounds/cheer00.wav" to "sounds/cheer02.wav" (a crowd cheering
// and clapping, 1.8 to 3 seconds). 16-bit stereo WAV at 44.1 kHz, peaks
// just under full scale; the game's mixer sets their share of the output.

#include <filesystem>

void writeSoundEffects(const std::filesystem::path& runDir);
