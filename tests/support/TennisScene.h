#pragma once
// What the tennis suites share: the game's fixed step, a scene made without
// OpenGL, the ball (two saved flights compare with ==) and a side of the
// scoreboard.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/Matrix.h"
#include "engine/Scene.h"
#include "engine/Vector3.h"
#include "tennis/MatchScore.h"
#include "tennis/Pelota.h"

inline constexpr uint32_t kStep = 16;
// A heading along x: +x for a positive quarter turn, -x for a negative one.
inline constexpr float kQuarterTurn = 1.5707964f;

// Steps a ball or a player as the scene does: its tree, under the identity.
template <typename Node>
void step(Node& node, int steps = 1) {
  for (int i = 0; i < steps; ++i) node.updateTree(kStep, Matrix(), 0);
}

inline std::shared_ptr<Scene> makeScene() {
  testing::internal::CaptureStdout();  // no OpenGL here: the scene says so
  auto scene = std::make_shared<Scene>();
  testing::internal::GetCapturedStdout();
  return scene;
}

inline bool finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A scoreboard side with a name, perhaps an icon, and partners for doubles.
struct FakePlayer : ScoreboardPlayer {
  FakePlayer(std::string name, std::shared_ptr<Texture> icon) : name(std::move(name)), icon(std::move(icon)) {}
  std::shared_ptr<Texture> scoreboardIcon() const override { return icon; }
  std::string scoreboardName() const override { return name; }
  std::vector<std::shared_ptr<ScoreboardPlayer>> scoreboardPartners() const override { return partners; }
  std::string name;
  std::shared_ptr<Texture> icon;
  std::vector<std::shared_ptr<ScoreboardPlayer>> partners;
};
