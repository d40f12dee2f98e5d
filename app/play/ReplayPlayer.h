#pragma once
// A recorded match played again in the window (zumbolo --replay) or by the
// simulator: the recording's input step by step in place of the keyboard,
// with a label that says it is a replay and names its keys. Held, Space (or
// a pad's south button) plays four steps a frame; Right (a pad's right) jumps
// to the next point, Left to the point before, or to the start of the
// current one when it began more than a moment ago. Escape leaves.
//
// Every point is taken up from the state saved a moment before its first
// serve (PointStarts), so that jumping back restores it at once; jumping
// forward plays the steps up to the next point unseen and unheard.

#include <cstdint>
#include <functional>
#include <memory>

#include "app/match/MatchRecording.h"
#include "app/match/MatchSimulation.h"
#include "app/match/PointStarts.h"
#include "engine/Overlay.h"
#include "engine/TextureFactory.h"

// Steps played a frame while the fast key is held.
constexpr int32_t kReplayFastSteps = 4;
// Jumping back from a point under way for longer than this (steps) goes to
// its own start; sooner, to the point before.
constexpr int64_t kReplayBackGraceSteps = 90;

// What the replay's label shows: that it is a replay, and its keys.
class ReplayLabel : public Overlay {
 public:
  // title: "REPETICIÓN"; keys: the lines naming the keys, drawn smaller.
  ReplayLabel(std::string title, std::vector<std::string> keys, std::shared_ptr<TextureFactory> textures);
  void draw2D() override;
  void update(uint32_t) override {}

  const std::string& title() const { return heading; }
  const std::vector<std::string>& keys() const { return keyLines; }

 private:
  std::shared_ptr<Font> font;
  std::string heading;
  std::vector<std::string> keyLines;
};

class ReplayPlayer {
 public:
  explicit ReplayPlayer(MatchRecording recorded) : recorded(std::move(recorded)) {}
  ReplayPlayer(const ReplayPlayer&) = delete;
  ReplayPlayer& operator=(const ReplayPlayer&) = delete;

  const MatchRecording& recording() const { return recorded; }
  // The input of the simulation's next step; false once the recording is over.
  bool nextInput(const MatchSimulation& match, StepInput& input);
  // After every step (and once when the match is built).
  void afterStep(const MatchSimulation& match) { starts.afterStep(match); }
  // Back to the start of the current point, or of the one before; false
  // when there is none to go to.
  bool jumpBack(MatchSimulation& match);
  // Plays on with `playStep` until the next point begins or the recording
  // ends; false when it ended.
  bool jumpForward(MatchSimulation& match, const std::function<bool()>& playStep);

 private:
  MatchRecording recorded;
  RecordingCursor cursor{recorded};
  PointStarts starts{true};
};
