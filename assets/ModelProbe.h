#pragma once
// Looking at a loaded model from outside the game: the promises the reader
// makes about every model (checked by the tests, the fuzzer and ase-info) and
// a settled pose of one clip at one time.

#include <cstdint>
#include <string>
#include <vector>

#include "assets/AseReader.h"

// What is wrong with the model, one line a problem; empty for a model that
// is safe to update and draw: a tree without loops, every face and texture
// face inside its lists, one normal per vertex, every object with a clip of
// at least one frame of at least 1 ms, every skinned vertex with weights on
// existing bones.
std::vector<std::string> findModelProblems(const Model& model);

// Poses the tree under root with clip `clip` at `timeMs` on its clock,
// without the blend from the previous pose: the blend is started a full blend
// time earlier (on the wrapping u32 clock), so it is over at timeMs. Then
// every skinned mesh is skinned.
void poseModel(AnimatedGroup& root, uint32_t clip, uint32_t timeMs);
