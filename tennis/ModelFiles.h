#pragma once
// The model files of a match and the clips inside them, as the game reads
// them and as the content program writes them: both include this header, so
// a file name or a clip number is written here once. Paths are relative to
// the run folder.
//
// A character's folder ("models/<folder>/", CharacterRoster) holds its model
// with clip 0, the thirteen clip files that become clips 1, 2, ... in the
// order of kCharacterClipFiles, and its scoreboard portrait. The umpire's
// greeting is its clip 1, read from a second file beside its model.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

inline constexpr const char* kStadiumFile = "models/stadium/pista.ASZ";
inline constexpr const char* kBallModelFile = "models/ball/pelota.ASE";
inline constexpr const char* kIntroSinglesFile = "models/IntroSingles.ASE";
inline constexpr const char* kIntroDoublesFile = "models/IntroDoubles.ASE";
inline constexpr const char* kDustEffectFile = "models/polvo.ASZ";
inline constexpr const char* kHitFlashEffectFile = "models/zas.ASZ";
inline constexpr const char* kBlurEffectFile = "models/ballblur.ASZ";
// The lessons' ball machine, and the marks they show on the court.
inline constexpr const char* kBallMachineFile = "models/training/maquina.ASZ";
inline constexpr const char* kCourtMarksFile = "models/training/marcas.ASZ";

inline constexpr const char* kBirdyModelFile = "models/Birdy/birdy.ASE";
inline constexpr const char* kBirdyIntroClipFile = "models/Birdy/BirdyIntroSingles.ASE";
// The umpire's clips: its own, and its part in the introduction.
constexpr uint32_t kUmpireClipPlay = 0;
constexpr uint32_t kUmpireClipIntro = 1;

// The trophies of the tournament's three cups, from the first cup to the
// last (bronze, silver, gold): one still model each, standing on its own
// pedestal with its foot at the model's origin, shown beside the winner of
// a cup's final.
inline constexpr std::array<const char*, 3> kTrophyFiles = {"models/trophy/bronce.ASE", "models/trophy/plata.ASE",
                                                            "models/trophy/oro.ASE"};

// Clip numbers of every character model.
enum PlayerClip : uint32_t {
  ClipStanding = 0,
  ClipWalking = 1,
  ClipForehand = 2,
  ClipBackhand = 3,
  ClipServeWait = 4,    // ready to serve, looped
  ClipServeToss = 5,    // the hand takes the ball up
  ClipServeBallUp = 6,  // the ball in the air, falling back to the hand
  ClipServeCatch = 7,   // the ball caught again when no swing came
  ClipServeSwing = 8,
  ClipWon = 9,
  ClipLost = 10,
  ClipDiveStart = 11,
  ClipDiveAir = 12,
  ClipDiveLand = 13,
  ClipCount = 14
};

// How long each clip plays, in frames of kClipFrameMs; a clip of N frames
// lasts (N - 1) frames. The play is timed to these lengths (a stroke's
// swing, the toss and the serve, the ceremonies), so a clip the game cannot
// read still lasts this long, the model holding its rest pose through it.
inline constexpr uint32_t kClipFrameMs = 32;
inline constexpr std::array<uint32_t, ClipCount> kCharacterClipFrames = {56, 18, 20, 20, 40, 14, 34,
                                                                         16, 21, 79, 79, 7,  10, 16};

inline constexpr uint32_t characterClipMs(uint32_t clip) { return (kCharacterClipFrames[clip] - 1) * kClipFrameMs; }

inline constexpr const char* kCharacterModelFile = "normal.ASZ";
inline constexpr const char* kCharacterPortraitFile = "Icon.bmp";
// Clips 1 to 13, beside kCharacterModelFile.
inline constexpr std::array<const char*, ClipCount - 1> kCharacterClipFiles = {
    "andando.ASZ", "golpe.ASZ",   "reves.ASZ",   "saque00.ASZ",    "saque01.ASZ",    "saque02.ASZ",    "saque03.ASZ",
    "saque04.ASZ", "ganando.ASZ", "perdiendo.ASZ", "saltando00.ASZ", "saltando01.ASZ", "saltando02.ASZ"};

// The file of a character's clip, beside its model.
inline constexpr const char* characterClipFile(uint32_t clip) {
  return clip == ClipStanding ? kCharacterModelFile : kCharacterClipFiles[clip - 1];
}

// The clip files read beside a model, by the model's file name (no folder):
// what the game, the viewer and ase-info load, so a tool never shows a clip
// the game would not.
inline std::vector<std::string> gameClipFilesFor(const std::string& modelFileName) {
  if (modelFileName == kCharacterModelFile) return {kCharacterClipFiles.begin(), kCharacterClipFiles.end()};
  if (modelFileName == std::filesystem::path(kBirdyModelFile).filename())
    return {std::filesystem::path(kBirdyIntroClipFile).filename().string()};
  return {};
}
