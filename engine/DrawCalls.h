#pragma once
// A running count of the draw calls the game hands OpenGL: every indexed
// mesh draw and every immediate-mode strip or triangle list of the overlays.
// The scene reads it around each frame it renders, so that the number a
// frame costs can be shown (zumbolo --stats); counting is one increment.

#include <cstdint>

inline uint64_t drawCallsIssued = 0;

inline void countDrawCall() { ++drawCallsIssued; }
