#pragma once
// What `zumbolo --stats` measures, read from the system's steady clock at
// each buffer swap (outside the simulation, which never sees it). The
// summary is three lines:
//   - the frames of matches: frames a second, the median and 99th
//     percentile of the time between one and the next (nearest rank) and the
//     longest, between two frames of a match only (the menus draw only when
//     they change, and a load lies between them and a match). Without a match
//     frame, every frame counts;
//   - the draw calls of a frame: the median and the most of a match frame,
//     and the most of a menu frame;
//   - the loads: from the launch to the first frame of the menus, and from
//     the frame that started a match (the last one) to the first frame of
//     the match, each with the longest time without a new frame while it
//     went on, a match's first frames included (a late hitch shows there; the quiet
//     title draws again only when the menu changes, which is no hitch).
//     Frames of the loading picture end a wait but not a load. The launch
//     also says when the window opened, and its longest wait counts from
//     there: nothing can be shown before.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a shown frame was a picture of.
enum class ShownScene { Loading, Menus, Match };

class FrameStats {
 public:
  using Clock = std::chrono::steady_clock;

  // Frames shown after a load still count as part of it: a hitch there is the load's.
  static constexpr int kFramesAfterLoad = 10;

  explicit FrameStats(Clock::time_point launched);

  // The window exists from `at` on: the launch's longest wait for a frame is
  // counted from there, nothing can be shown before.
  void windowOpened(Clock::time_point at);
  // A match is being built from `at` on (the start of the frame that asked for it).
  void matchRequested(Clock::time_point at);
  void frameShown(Clock::time_point at, ShownScene scene = ShownScene::Match, uint32_t drawCalls = 0);
  std::string summary() const;

 private:
  struct Load {
    Clock::time_point began;
    int framesToFollow = 0;  // after the first frame of what was loaded
    std::optional<float> toFirstFrameMs;
    float longestGapMs = 0;
    int framesAfter = 0;
    // Where the first gap starts when not at `began`.
    std::optional<Clock::time_point> gapsFrom;
  };
  std::string framesLine() const;
  std::string drawCallsLine() const;
  std::string loadsLine() const;
  void followLoad(Load& load, Clock::time_point at, ShownScene scene, ShownScene done);

  std::optional<Clock::time_point> last;
  ShownScene lastScene = ShownScene::Loading;
  // Every gap, and the match's own (both frames of one match).
  std::vector<float> allGapsMs;
  std::vector<float> matchGapsMs;
  double allSeconds = 0;
  double matchSeconds = 0;
  std::vector<uint32_t> matchDrawCalls;
  uint32_t mostMenuDrawCalls = 0;
  Load launch;
  std::optional<Load> matchLoad;  // the last one
};
