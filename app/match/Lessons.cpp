#include "app/match/Lessons.h"

#include <array>

#include "tennis/Court.h"

namespace {

// A fed ball lands on this spot of the near half and comes up to the
// baseline at a comfortable height; a player waits a little inside it.
constexpr Vector3 kGroundFeed{700.0f, kBallRadius, 0.0f};
constexpr float kGroundFeedSpread = 120.0f;
constexpr float kGroundFeedSpeed = 1.2f;
constexpr Vector3 kBaselineWait{kBaselineX - 60.0f, 0.0f, 0.0f};
// A ball fed wide for a dive: past the player still in the air, out of a
// walk's reach, one side then the other.
constexpr Vector3 kWideFeed{930.0f, 45.0f, 250.0f};
constexpr float kWideFeedSpeed = 1.5f;
constexpr Vector3 kDiveWait{930.0f, 0.0f, 0.0f};
// A lob for a smash: it lands short, between the net and the service line,
// and bounces up a little over head height, where it hangs long enough for
// the overhead swing; it comes down from there inside the baseline. (A lob
// from the machine's distance met before it bounces falls through the
// smash's heights in about two steps: too short for a person's timing.)
constexpr Vector3 kHighFeed{350.0f, kBallRadius, 0.0f};
constexpr float kHighFeedSpread = 60.0f;
constexpr float kHighFeedSpeed = 0.9f;
constexpr Vector3 kSmashWait{760.0f, 0.0f, 0.0f};

constexpr FeedPlan kGroundFeeds{kGroundFeed, kGroundFeedSpread, false, kGroundFeedSpeed};
// Aiming is learnt on balls fed closer to the middle.
constexpr float kAimFeedSpread = 40.0f;
constexpr FeedPlan kAimFeeds{kGroundFeed, kAimFeedSpread, false, kGroundFeedSpeed};
constexpr FeedPlan kNoFeed{};

constexpr std::array<LessonRules, kLessonCount> kLessons{{
    {LessonId::Serve, "saque", 3, LessonStart::PersonServes, {}, kNoFeed},
    {LessonId::Stroke, "golpe", 5, LessonStart::MachineFeeds, kBaselineWait, kGroundFeeds},
    {LessonId::Aim, "direccion", 6, LessonStart::MachineFeeds, kBaselineWait, kAimFeeds},
    {LessonId::Drive, "drive", 3, LessonStart::MachineFeeds, kBaselineWait, kGroundFeeds},
    {LessonId::Lob, "globo", 3, LessonStart::MachineFeeds, kBaselineWait, kGroundFeeds},
    {LessonId::Dive, "plongeon", 3, LessonStart::MachineFeeds, kDiveWait, {kWideFeed, 0.0f, true, kWideFeedSpeed}},
    {LessonId::Smash, "remate", 3, LessonStart::MachineFeeds, kSmashWait,
     {kHighFeed, kHighFeedSpread, false, kHighFeedSpeed}},
    {LessonId::Point, "punto", 3, LessonStart::PointPlayed, {}, kNoFeed},
}};

}  // namespace

const LessonRules& lessonRules(LessonId id) { return kLessons[static_cast<size_t>(lessonIndex(id))]; }

int32_t lessonIndex(LessonId id) {
  const auto index = static_cast<int32_t>(id);
  return index >= 0 && index < kLessonCount ? index : 0;
}

LessonId lessonAt(int32_t index) {
  return kLessons[static_cast<size_t>(index >= 0 && index < kLessonCount ? index : 0)].id;
}

std::optional<LessonId> findLesson(std::string_view name) {
  for (const LessonRules& lesson : kLessons) {
    if (name == lesson.name) return lesson.id;
  }
  return std::nullopt;
}

std::optional<LessonId> lessonAfter(LessonId id) {
  const int32_t next = lessonIndex(id) + 1;
  if (next >= kLessonCount) return std::nullopt;
  return lessonAt(next);
}

ShotRequest lessonAsk(LessonId id, int32_t successes) {
  switch (id) {
    case LessonId::Aim:
      return {AskedStroke::Any, successes < lessonRules(id).goal / 2 ? AskedSide::Left : AskedSide::Right};
    case LessonId::Drive: return {AskedStroke::Drive, AskedSide::Any};
    case LessonId::Lob: return {AskedStroke::Lob, AskedSide::Any};
    case LessonId::Dive: return {AskedStroke::Dive, AskedSide::Any};
    case LessonId::Smash: return {AskedStroke::Smash, AskedSide::Any};
    default: return {};
  }
}
