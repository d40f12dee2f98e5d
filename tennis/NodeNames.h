#pragma once
// The names of the nodes the game looks up in its models, as the content
// program names them when it writes those models: a node renamed on one side
// only would silently lose the racket's reach, the ball's shadow or a camera.

#include <cstddef>
#include <string>

// In a character's model: the centre of the racket's strings, which must
// reach the ball, and the ball held in the left hand before a serve.
inline constexpr const char* kRacketPointName = "Golpe";
inline constexpr const char* kHeldBallName = "Pelota";
// The game's own name for the held ball once it has found it: the ball
// follows the node of this name in the server's hand.
inline constexpr const char* kServeBallHolderName = "Ball";

// In the umpire's model: the head that follows the ball.
inline constexpr const char* kBirdyHeadName = "Cabeza";
// In the ball's model: the shadow laid on the ground under it.
inline constexpr const char* kShadowNodeName = "Sombra";
// In the stadium: the broadcast camera the match camera starts from.
inline constexpr const char* kStadiumCameraName = "Camera01";
// In the lessons' marks: the service box a serve aims at and the two corner
// targets of the far half, left and right as the near player sees them.
inline constexpr const char* kServeBoxMarkName = "MarcaSaque";
inline constexpr const char* kLeftTargetMarkName = "DianaIzquierda";
inline constexpr const char* kRightTargetMarkName = "DianaDerecha";
// In the introductions: the flying camera, and the holders that walk the
// players in, "TennisPlayerHolder[i]" for the match's player i.
inline constexpr const char* kIntroCameraName = "CameraIntro";
inline constexpr const char* kPlayerHolderPrefix = "TennisPlayerHolder";

inline std::string playerHolderName(size_t player) {
  return std::string(kPlayerHolderPrefix) + "[" + std::to_string(player) + "]";
}
