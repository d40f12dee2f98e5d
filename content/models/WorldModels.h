#pragma once
// The world's models: the stadium with its broadcast camera, the ball with
// its shadow, the three play effects and the cups' trophies, each described
// for the model writer together with the pictures that go beside it.

#include <filesystem>
#include <string>
#include <vector>

#include "content/ContentFiles.h"
#include "content/models/AseWriter.h"
#include "tennis/ModelFiles.h"
#include "tennis/NodeNames.h"

struct ModelTexture {
  std::string file;  // beside the model, as its material names it
  Pixels pixels;
  bool alpha = false;
};

struct ModelAsset {
  std::string path;  // in the run folder, e.g. "models/stadium/pista.ASZ"
  AseScene scene;
  // Run-folder paths of clips 1, 2, ... (none for a model with one clip).
  std::vector<std::string> clipPaths;
  std::vector<ModelTexture> textures;
};

// "models/stadium/pista.ASZ": court, lines, net, posts, umpire's chair,
// advertising boards, stands with their crowd, sky, and "Camera01".
ModelAsset stadiumModel();
// "models/ball/pelota.ASE": the ball and its shadow "Sombra".
ModelAsset ballModel();
// "models/polvo.ASZ", "models/zas.ASZ", "models/ballblur.ASZ".
std::vector<ModelAsset> effectModels();
// The tournament's trophies, one a cup, in the order of kTrophyFiles.
std::vector<ModelAsset> trophyModels();

// Writes the model, its clips and its pictures into the run folder.
void writeModelAsset(const std::filesystem::path& runDir, const ModelAsset& asset);

// Where the umpire's seat is, for whoever seats the umpire on it.
inline constexpr float kUmpireSeatY = 183.0f;

// The middle of the umpire's seat top (y = kUmpireSeatY); the chair's back
// is on its -z side, so whoever sits there faces the court (+z).
Vector3 umpireSeat();
// The broadcast camera's transform in the stadium (it looks along its local
// -z), for views that must end where the match's camera starts.
Matrix broadcastCameraView();
