#pragma once
// "Watch the point again", from the pause screen: the live match is saved as
// it stands, put back to the state of a moment before the last point's first
// serve was struck, and played from its own recording to a little after the
// point's call, with a label that says it is a replay and that Enter skips
// it; then the live match is restored just as it paused. Nothing of the
// live match is played again but that point, and nothing is recorded.

#include <cstdint>
#include <optional>

#include "app/match/MatchRecording.h"
#include "app/match/MatchSimulation.h"
#include "app/match/PointStarts.h"

// How long a point shown again goes on after its call: the call's message.
constexpr int64_t kStepsAfterPointCall = 2000 / kFixedStepMs;

class PointReplay {
 public:
  // Sets the live match aside and takes up the last decided point; false
  // (and the match untouched) when no point has been decided yet.
  bool start(MatchSimulation& match, const PointStarts& points, const MatchRecording& recording);
  bool showing() const { return live.has_value(); }
  // The input of the point's next step; false once it has been shown.
  bool nextInput(const MatchSimulation& match, StepInput& input);
  // The live match back where it paused.
  void finish(MatchSimulation& match);

 private:
  std::optional<MatchSnapshot> live;
  std::optional<MatchRecording> shown;
  std::optional<RecordingCursor> cursor;
  int64_t lastStep = 0;
};
