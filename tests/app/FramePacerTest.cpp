// When the pacer shows a finished frame, after runs of frames of known costs.

#include "app/FramePacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using Clock = FramePacer::Clock;

struct CostRun {
  int frames;
  double costMs;
};

struct PaceCase {
  const char* what;
  std::vector<CostRun> earlier;
  double lastCostMs;
  double shownAfterMs;  // from the last frame's start
};

microseconds inMicroseconds(double ms) { return microseconds(static_cast<int64_t>(ms * 1000)); }

TEST(FramePacerTest, AFrameIsShownJustPastWhatNearlyAllRecentFramesCostAndNeverHeldPastTheLimit) {
  const PaceCase cases[] = {
      {"even frames", {{119, 10}}, 6, 10.5},
      {"a late frame is shown when finished", {{119, 10}}, 13, 13},
      {"one frame in twenty costlier is left late", {{114, 8}, {6, 13}}, 8, 8.5},
      {"more than one in twenty sets the pace", {{113, 8}, {7, 13}}, 8, 13.5},
      {"the pace forgets frames older than two seconds", {{120, 13}, {119, 5}}, 5, 5.5},
      {"never held past the limit", {{119, 14.8}}, 9, 14},
      {"a frame beyond the limit is shown when finished", {{119, 20}}, 20, 20},
      {"the first frame sets its own pace", {}, 7, 7.5},
  };
  for (const PaceCase& c : cases) {
    SCOPED_TRACE(c.what);
    FramePacer pacer(milliseconds(14));
    Clock::time_point began{};
    for (const CostRun& run : c.earlier) {
      for (int frame = 0; frame < run.frames; ++frame) {
        pacer.showAt(began, began + inMicroseconds(run.costMs));
        began += milliseconds(16);
      }
    }
    const Clock::time_point shown = pacer.showAt(began, began + inMicroseconds(c.lastCostMs));
    EXPECT_EQ(shown - began, inMicroseconds(c.shownAfterMs));
  }
}

}  // namespace
