#pragma once
// The lessons of training, in the order they are taught, written once: what
// each asks of the person, how many successes pass it, how its tries begin
// (the person serves, the ball machine feeds a ball, or a point is played
// against the computer at level 0), where the person stands for a fed ball
// and where the machine sends it. The lesson match plays this table, the
// menus list it, the progress file and the simulator name lessons by it.
//
// Positions are those of a person on the near half (+x); the machine feeds
// from behind the far baseline (tennis/TrainingCourt.h).

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/Vector3.h"
#include "tennis/ShotRequest.h"

enum class LessonId : int32_t { Serve = 0, Stroke, Aim, Drive, Lob, Dive, Smash, Point };
constexpr int32_t kLessonCount = 8;

enum class LessonStart : int32_t { PersonServes, MachineFeeds, PointPlayed };

// Where the machine sends its balls: through `aim` (the ball's centre at
// aim.y), the aim's z drawn within +-zSpread of it and, when alternating,
// mirrored every other feed; at `speed` units per ms.
struct FeedPlan {
  Vector3 aim;
  float zSpread = 0.0f;
  bool alternateSides = false;
  float speed = 0.0f;
};

struct LessonRules {
  LessonId id;
  // Lower case, without accents: the simulator's name and the progress file's.
  const char* name;
  int32_t goal;  // successes that pass the lesson
  LessonStart start;
  // Where the person waits for a fed ball (y unused).
  Vector3 personAt;
  FeedPlan feed;
};

const LessonRules& lessonRules(LessonId id);
LessonId lessonAt(int32_t index);
int32_t lessonIndex(LessonId id);
std::optional<LessonId> findLesson(std::string_view name);
// The lesson taught after this one; none after the last.
std::optional<LessonId> lessonAfter(LessonId id);
// What the lesson asks of the next shot once `successes` are done: the aim
// lesson asks for the left corner until half its goal, then the right.
ShotRequest lessonAsk(LessonId id, int32_t successes);
