#pragma once
// A person at the keyboard, as a model: it plays a HumanPlayer only through
// the six keys of a PlayerCommand, one command a fixed step, and knows no
// more than a person watching the screen does. It sees the ball only after
// a reaction time, judges where the ball can be met with an error that grows
// with the ball's speed, walks there with the direction keys (one per axis,
// so along the axes and the diagonals only), presses hit with a timing
// error, aims by holding a direction as the swing starts, dives with the
// dive key and a side, and serves by tossing and then hitting again. It
// never touches the player or the ball, it only reads them. Its chance comes
// from a sequence of its own (engine/Random.h), seeded with the match: the
// same seed plays the same match, and the game's own sequence runs as it
// would with a person, so a recording of the match replays without the model.
//
// Three skills, from the published figures on people's reaction and timing:
//
// | skill    | reaction | timing error | aims | dives |
// |----------|----------|--------------|------|-------|
// | beginner | 350 ms   | 60 ms        | the middle, one shot in four to a side | no |
// | regular  | 250 ms   | 35 ms        | a side away from the opponents, when it stays in | yes |
// | expert   | 150 ms   | 15 ms        | as the regular, with low drives (lobs over a net player) | yes |
//
// - Reaction (from the opponent's hit to the first step): where to go is a
//   choice among two to four directions, and choice reaction takes about
//   300 to 450 ms (Hick's law experiments): the beginner, in the middle of
//   that range. Simple visual reaction of young adults takes 200 to 250 ms
//   (Welford 1980; Kosinski's review): the regular, who knows the game well
//   enough to react rather than choose, at the top of it. A trained tennis
//   player starts within about 150 ms of the opponent's contact, the limit
//   below which a response is a guess (Triolet, Benguigui, Le Runigo and
//   Williams 2013): the expert.
// - Timing error (standard deviation of a press, and of the judged arrival
//   of the ball, against a ball flying at a plain stroke's speed,
//   kHumanReferenceSpeed): coincidence-anticipation errors are a few tens of
//   ms for adults, larger for novices and for faster stimuli (Benguigui and
//   Ripoll 1998); a skilled hit is within about 10 to 20 ms (Tresilian
//   2004). The press's error grows in proportion with the ball's speed.
//   Where to stand comes from the same misjudgement: the ball is expected as
//   far along its path, and as far off its line across the court, as it
//   flies in the skill's timing error, so that error in units grows with the
//   ball's speed too. The error is that of a person who watches the ball all
//   the way in (the task those figures measure), so watching longer does not
//   shrink it.
// - Aim slips: a side aim is taken when the aim point, as the person judges
//   it against the side line, is in. The judgement errs as that of a ball
//   flying at a plain stroke's speed, and the person goes by the aim point,
//   not by how much farther across the ball then carries: from near a side
//   line a shot to that side goes out now and then, as people's do.
// The keys add their own limits: one direction per axis at a time, a held
// key is one press, and a tap lasts at least one 16 ms step.
//
// In a lesson of training the person reads what the instruction asks
// (follow) and does it as told, whatever their habit: the side asked is the
// direction held as the swing starts, the drive toward the net and the lob
// away from it, a dive for a ball fed wide even by a beginner, and for a
// smash the ball is let bounce and met high as it comes down from the top of
// its bounce. Reaction, timing and misjudgement stay the skill's.

#include <array>
#include <cstdint>
#include <string_view>

#include "engine/Random.h"
#include "engine/Vector3.h"
#include "tennis/PlayerCommand.h"
#include "tennis/ShotRequest.h"

class TennisPlayer;
class Pelota;

enum class AimHabit : int32_t {
  // Mostly the middle; now and then a side, without looking.
  Middle,
  // A side away from the opponents when the shot stays in.
  Away,
  // As Away, and the low drive when the opponents stand deep.
  AwayAndDrive
};

struct HumanSkill {
  const char* name;
  float reactionMs;
  float timingErrorMs;
  AimHabit aim;
  bool dives;
};

inline constexpr std::array<HumanSkill, 3> kHumanSkills = {{
    {"beginner", 350.0f, 60.0f, AimHabit::Middle, false},
    {"regular", 250.0f, 35.0f, AimHabit::Away, true},
    {"expert", 150.0f, 15.0f, AimHabit::AwayAndDrive, true},
}};

// The skill of that name; nullptr for any other.
const HumanSkill* findHumanSkill(std::string_view name);

// Ball speed (units per ms) of a plain stroke: the timing errors above are
// for a ball this fast and grow in proportion with the speed.
constexpr float kHumanReferenceSpeed = 1.5f;
// The press comes this long (ms) before the ball reaches the hitting point,
// plus the time the player needs to turn to the net: the swing then meets a
// ball that is still coming.
constexpr float kHumanStrokeLeadMs = 180.0f;
// Where a person is ready to meet the ball: the ball's height (units)
// within these bounds, somewhere on its path in the next so many steps.
constexpr float kHumanMeetLowY = 25.0f;
constexpr float kHumanMeetHighY = 150.0f;
constexpr int32_t kHumanLookAheadSteps = 160;
constexpr float kHumanLookAheadStepMs = 16.0f;
// Closer than this (units) to where it wants to stand, a person stops walking.
constexpr float kHumanStandTolerance = 8.0f;
// Steps a tap lasts at most while the player has not yet taken it up.
constexpr int32_t kHumanTapSteps = 12;
// The serve: a pause before the toss (ms, drawn between the two), then the
// second press this long after the toss, when the ball comes down to a
// height the swing meets in time.
constexpr float kHumanServeReadyMinMs = 400.0f;
constexpr float kHumanServeReadyMaxMs = 1200.0f;
constexpr float kHumanServeSwingMs = 580.0f;
// The beginner aims at a side this often (once in so many strokes).
constexpr int32_t kHumanBeginnerSideAimEvery = 4;
// Where a person goes back to between shots: this far inside the baseline
// (or, as the net player in doubles, from the net), across at the middle.
constexpr float kHumanHomeInsideBaseline = 60.0f;
constexpr float kHumanNetPlayerX = 450.0f;
// Asked for a smash, a person waits to meet the ball this high (units).
constexpr float kHumanSmashLowY = 175.0f;
constexpr float kHumanSmashHighY = 215.0f;
// A smash is pressed later than a stroke: the overhead swing is only taken
// with the ball already close over the player.
constexpr float kHumanSmashLeadMs = 60.0f;

class HumanModel {
 public:
  HumanModel(const HumanSkill& skill, uint32_t seed);

  // The keys for the coming step of `me`, from what the person has seen of
  // the court so far.
  PlayerCommand next(const TennisPlayer& me, uint32_t dtMs);

  const HumanSkill& skillUsed() const { return skill; }
  // What the next shots should be, as a lesson's instruction asks; the
  // default asks nothing and the person plays by habit.
  void follow(const ShotRequest& request) { asked = request; }

 private:
  // A ball coming this way, once seen: where to meet it and when.
  struct Plan {
    bool made = false;
    Vector3 meetAt;
    float arriveMs = 0.0f;  // model time at which the ball reaches meetAt
    float pressErrorMs = 0.0f;
    float acrossError = 0.0f;
    float alongError = 0.0f;
    bool dive = false;
  };

  PlayerCommand serve(const TennisPlayer& me);
  PlayerCommand rally(const TennisPlayer& me, const Pelota& ball);
  void watchForHits(const TennisPlayer& me, const Pelota& ball);
  void makePlan(const TennisPlayer& me, const Pelota& ball);
  // The meeting point seen with this plan's misjudgement.
  Vector3 judgedPoint(const Pelota& ball, const Vector3& truePoint) const;
  bool partnerTakesIt(const TennisPlayer& me, const Vector3& point) const;
  PlayerCommand tap(uint8_t keys);
  PlayerCommand walkTo(const TennisPlayer& me, const Vector3& point) const;
  Vector3 home(const TennisPlayer& me) const;
  uint8_t strokeAimKeys(const TennisPlayer& me);
  uint8_t serveAimKeys(const TennisPlayer& me);
  uint8_t askedAimKeys(const TennisPlayer& me) const;
  // A normally distributed draw of this standard deviation.
  float normal(float deviation);
  float timingError(float speed) const;

  const HumanSkill& skill;
  RandomSequence chance;
  float nowMs = 0.0f;
  int32_t seenHits = -1;
  bool incoming = false;
  float seeAtMs = 0.0f;
  Plan plan;
  // A tap being held: its keys, and for how many more steps at most.
  uint8_t tapKeys = 0;
  int32_t tapSteps = 0;
  // The serve: when the person gets ready to toss, and when it swings.
  bool serveReady = false;
  float tossAtMs = 0.0f;
  float swingAtMs = 0.0f;
  int32_t servePhaseSeen = -1;
  uint8_t serveKeys = 0;
  int32_t strokes = 0;
  ShotRequest asked;
};
