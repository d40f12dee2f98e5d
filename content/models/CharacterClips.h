#pragma once
// The fourteen clips every character plays, written once for the shared
// skeleton (CharacterRig) and fitted to each character's proportions: the
// targets of the hands and feet follow its shoulders, hips and girth, and
// the body rises on its toes or jumps as far as its arms need to reach the
// serve's toss and smash.
//
// Timing is the game's (kClipFrameMs, kCharacterClipFrames): 32 ms a
// frame; a clip of N frames lasts (N - 1) x 32 ms and, looping, shows its
// last frame for one frame before the first comes back, so a looping clip
// is periodic over N x 32 ms. Every clip starts from its own first frame.

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "content/models/CharacterRig.h"
#include "tennis/Court.h"
#include "tennis/ModelFiles.h"

// How a character's clip is written; index = clip number (PlayerClip), the
// file name is characterClipFile's.
struct CharacterClipInfo {
  uint32_t frames;
  bool loops;
};

extern const std::array<CharacterClipInfo, ClipCount> kCharacterClips;

uint32_t clipDurationMs(size_t clip);

// Girth of the character's trunk, which the hands keep clear of.
struct CharacterBuild {
  CharacterProportions body;
  float girth = 14;  // half width of the trunk at its widest
  float belly = 12;  // how far the trunk reaches forward
  float footLength = 13;  // ankle to the tip of the toes
};

// The left hand brings the ball to the toss's start (kServeTossPoint) by the
// end of "saque01", and catches it again by the end of "saque02", when no
// swing came, at this height: where the tossed ball has fallen to by then.
float serveCatchHeight();

class CharacterMotion {
 public:
  explicit CharacterMotion(const CharacterBuild& build);

  const CharacterBuild& build() const { return shape; }
  LimbSpaces spaces(size_t clip) const { return clips.at(clip).spaces; }
  CharacterPose pose(size_t clip, uint32_t timeMs) const;
  // Bones relative to their parents (at frame times from a table made once).
  Matrix local(int bone, size_t clip, uint32_t timeMs) const;
  BoneMatrices worlds(size_t clip, uint32_t timeMs) const;

 private:
  struct Clip {
    LimbSpaces spaces;
    std::function<CharacterPose(float)> pose;
    std::vector<BoneMatrices> frameLocals;
  };
  CharacterBuild shape;
  std::vector<Clip> clips;
};
