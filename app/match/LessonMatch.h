#pragma once
// A lesson of training played as a match variant: the person (slot 0) on the
// near half, and on the far side the ball machine, or for the point lesson
// the computer at level 0 (slot 1). Every ball is the match's own: the
// machine's feed is a hit of the ball toward a point of the lesson's plan,
// the person's strokes and serves are a match's, and every try is judged by
// the match's referee (MatchReferee: the serve's box, the fed ball's bounce
// and second bounce, the return's bounce in the far half) and explained by
// ShotVerdict (net, long, wide, too early, too late). On top of that a lesson
// asks for its own stroke (the drive, the lob, the smash, a dive) or corner,
// and counts a ball in without it as a miss.
//
// A try goes: the person placed (to serve, or waiting for the feed), the
// feed after a pause drawn from nothing but the step count, the ball judged,
// the verdict shown for a moment, a short fade, the next try. The point
// lesson is the match's own phase machine, point after point (the ends never
// change, the serve passes after every game), and counts the points won.
// When the goal is reached the lesson is passed, and after a moment it is
// over (isFinished).
//
// The lesson shows its marks on the court (the serve's box, the corner asked
// for); its words are the presentation's, read from score() and ask().

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/match/Lessons.h"
#include "app/match/MatchState.h"
#include "app/match/ShotVerdict.h"
#include "engine/Model.h"
#include "tennis/ShotRequest.h"

// How a lesson stands: what it counted so far.
struct LessonScore {
  int32_t successes = 0;
  int32_t tries = 0;
  // The last try's verdict (None before the first).
  ShotVerdict lastVerdict = ShotVerdict::None;
  bool passed = false;
  bool operator==(const LessonScore&) const = default;
};

// Before the first feed, between the person's placement and each feed, the
// verdict shown, the fade between two tries, the lesson passed shown.
constexpr int32_t kFirstFeedDelayMs = 1600;
constexpr int32_t kFeedDelayMs = 1000;
constexpr int32_t kVerdictMs = 1400;
constexpr float kTryFadeSeconds = 0.3f;
constexpr int32_t kPassedMs = 3000;
// A fed ball neither struck nor done with after this long is a try missed.
constexpr int32_t kLongestTryMs = 8000;

class LessonMatch : public MatchState {
 public:
  // `person` plays slot 0; `opponent` slot 1, only in the point lesson.
  // `marks` is the model of the court's marks, already in the scene.
  LessonMatch(MatchParts parts, std::shared_ptr<TennisPlayer> person, std::shared_ptr<TennisPlayer> opponent,
              LessonId lesson, std::shared_ptr<Model> marks);

  void onStep(const StepInput& input) override;
  bool isFinished() override { return phase == Phase::Over; }

  void afterGame() override;
  void startIntro() override {}
  void setUpServe() override;
  void changeEnds() override {}
  std::vector<std::shared_ptr<TennisPlayer>> playersOf(int32_t side) const override;
  void saveState(StateWriter& out) const override;
  void restoreState(StateReader& in) override;

  LessonId lesson() const { return rules.id; }
  const LessonScore& score() const { return counted; }
  // What the next shot should be, as the instruction says.
  ShotRequest ask() const { return lessonAsk(rules.id, counted.successes); }
  // The lesson is passed and its last moment is shown.
  bool showingPassed() const { return phase == Phase::Passed; }
  // The word on the last try is shown: a moment after each try, and in the
  // point lesson between two points.
  bool showingVerdict() const;

 protected:
  void savePositions(StateWriter&) const override {}
  void restorePositions(StateReader&) override {}
  void pointScored(const RallyReport& rally) override;

 private:
  enum class Phase : int32_t { Awaiting = 0, InPlay, Showing, Changing, Passed, Over };

  void setUpTry();
  void feed();
  void stepFedBall();
  void stepServe();
  void noteStrike();
  void judged(ShotVerdict verdict);
  // Whether a return that landed in is what the lesson asks for.
  ShotVerdict verdictOfGoodReturn() const;
  void showMarks();

  const LessonRules& rules;
  std::shared_ptr<TennisPlayer> person;
  std::shared_ptr<TennisPlayer> opponent;
  std::shared_ptr<Model> marks;
  Phase phase = Phase::Awaiting;
  int32_t timerMs = 0;
  LessonScore counted;
  int32_t feeds = 0;
  // The ball's hits once the try's ball was fed (or given to the server).
  int32_t hitsAtFeed = 0;
  bool returned = false;
  AskedStroke struckWith = AskedStroke::Any;
  bool swung = false;
  int32_t tryMs = 0;
};
