#pragma once
// The clip files the game reads on top of a model file, in the order they
// become clips 1, 2, ... after the model's own clip 0: a character's
// thirteen beside its "normal.ASZ", and the umpire's greeting beside
// "birdy.ASE". The game, the viewer, ase-info and the content tests share
// this one list, so a tool never shows a clip the game would not load.

#include <array>
#include <string>
#include <vector>

inline constexpr std::array<const char*, 13> kCharacterClipFiles = {
    "andando.ASZ", "golpe.ASZ",   "reves.ASZ",   "saque00.ASZ",    "saque01.ASZ",    "saque02.ASZ",    "saque03.ASZ",
    "saque04.ASZ", "ganando.ASZ", "perdiendo.ASZ", "saltando00.ASZ", "saltando01.ASZ", "saltando02.ASZ"};

inline constexpr const char* kCharacterModelFile = "normal.ASZ";
inline constexpr const char* kUmpireModelFile = "birdy.ASE";
inline constexpr const char* kUmpireGreetingFile = "BirdyIntroSingles.ASE";

// The clip files read beside a model, by the model's file name (no folder).
inline std::vector<std::string> gameClipFilesFor(const std::string& modelFileName) {
  if (modelFileName == kCharacterModelFile) return {kCharacterClipFiles.begin(), kCharacterClipFiles.end()};
  if (modelFileName == kUmpireModelFile) return {kUmpireGreetingFile};
  return {};
}
