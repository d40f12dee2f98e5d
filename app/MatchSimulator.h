#pragma once
// Plays whole matches without a person, a window or a sound card: the real
// Application, its match set-up and phase machine, driven by a manual clock
// (one fixed step a frame unless another pacing is asked for). Enter is held where the match waits for a person
// (the introduction, the final table); the scene is never drawn and textures
// are only recorded, so no OpenGL context is needed.
//
// The same slots, options and seed give the same match, step for step, at
// any pacing of the frames: the simulator is how the game's determinism and
// the computer levels are checked.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/match/Lessons.h"
#include "app/match/MatchRecording.h"
#include "app/match/MatchSetup.h"
#include "app/match/MatchState.h"
#include "engine/Vector3.h"
#include "tennis/HumanModel.h"

struct SimulatedMatch {
  std::array<PlayerSlot, kPlayerSlotCount> slots{};
  bool doubles = false;
  int32_t setsToPlay = 1;
  int32_t gamesPerSet = 6;
  // The random generator's state when the match starts.
  uint32_t seed = 1;
  // A match still unfinished after this many fixed steps is given up.
  int64_t stepLimit = 2'000'000;
  // Real time between two displayed frames, in milliseconds, taken in turn.
  std::vector<uint32_t> frameMs{kFixedStepMs};
  // Slots played by a modelled person (HumanModel) of this skill: the slot
  // plays on the key set of its own number, whatever its controller says,
  // and the model presses that key set's keys before every step, as a person
  // at the keyboard would.
  std::array<const HumanSkill*, kPlayerSlotCount> people{};
  // A recorded match to play again: it brings its own set-up and random
  // state, and its people's input; the fields above are then not used.
  std::optional<MatchRecording> replay;
  // Poses every node of the models, as a drawn scene does, instead of only
  // those the game reads: slower, for checking that the match is the same.
  bool poseEverything = false;
  // Where the match's recording is written when it ends; empty for none.
  std::string recordingFolder;
  // Frames paced by the real clock, as the game plays them, rather than as
  // fast as the processor allows.
  bool realTime = false;
  // After every step the match is put back this many steps, to the state
  // saved then, and plays them again from their recorded input before it
  // goes on, as network play that corrects a prediction does: every step.
  // 0 never. A live match only, one step a frame.
  int32_t rollbackSteps = 0;
  // The hash of the whole saved state after every step goes into the result.
  bool hashEveryStep = false;
};

// Who made the last hit of a rally, and from where.
enum class LastShot : int32_t { None, Serve, Baseline, Net, Dive };
// Behind the service line is the baseline; a stroke from inside it is at the net.
const char* lastShotName(LastShot shot);

// A rally's end with the score that followed it.
struct SimulatedRally {
  RallyReport rally;
  // The team that won the point: 0 for slot 0's (and slot 2's), 1 for slot
  // 1's (and 3's); -1 after a first fault. The rally's `winner` is a side of
  // the court, and the teams change ends.
  int32_t winnerTeam = -1;
  LastShot lastShot = LastShot::None;
  std::string score;
  // The fixed step of the match (from 1) in which the call was made.
  int64_t step = 0;
};

struct SimulationResult {
  // The match was played to its end (not given up, nor a recording that
  // stopped before it).
  bool finished = false;
  // Fixed steps of the match, from its first to the one that ended it.
  int64_t steps = 0;
  // Side and names of the match's winner (empty when unfinished).
  int32_t winner = -1;
  // The winner as a team of slots (see SimulatedRally).
  int32_t winnerTeam = -1;
  std::array<int32_t, 2> pointsWonByTeam{};
  // Games of the first set, by team.
  std::array<int32_t, 2> gamesWonByTeam{};
  std::string winnerName;
  std::string loserName;
  int32_t points = 0;
  int32_t shots = 0;
  int32_t faults = 0;
  int32_t doubleFaults = 0;
  // Where the ball was when the match ended or was given up, and the hits
  // of the rally then being played.
  Vector3 ballAtEnd;
  int32_t hitsAtEnd = 0;
  // The score then, as describeScore gives it.
  std::string finalScore;
  // The hash of the match's saved state where it ended.
  uint64_t stateHash = 0;
  // With hashEveryStep: the hash after each step, from the first.
  std::vector<uint64_t> stepHashes;
  // With rollbackSteps: a saved state could not be restored.
  bool restoreFailed = false;

  // A network match: how it went on the wire, as the game reports it.
  struct Network : Application::NetReport {
    // Real time from the first step to the last.
    double seconds = 0.0;
    // The 99th percentile of the real time between two frames that moved
    // the match (ms).
    double frameP99Ms = 0.0;
  };
  std::optional<Network> network;
};

// A lesson of training taken by a modelled person on key set 0, who reads
// the lesson's instruction as a person would (HumanModel::follow).
struct SimulatedLesson {
  LessonId lesson = LessonId::Serve;
  int32_t character = 1;
  const HumanSkill* skill = nullptr;
  uint32_t seed = 1;
  // Given up after this many tries, or this many steps.
  int32_t tryLimit = 100;
  int64_t stepLimit = 200'000;
};

struct LessonResult {
  bool passed = false;
  int32_t tries = 0;
  int32_t successes = 0;
  // Game time from the lesson's first step to the step it was passed (or
  // given up).
  double seconds = 0.0;
};

// Plays the lesson from the lesson list through the real Application and
// key path, until passed or given up. Nothing is kept of the progress.
LessonResult simulateLesson(const SimulatedLesson& lesson);

// Runs one match from the main menu to the main menu again. `onRally` hears
// every first fault and every point. Runs in the current working directory,
// which must hold the game's data.
SimulationResult simulateMatch(const SimulatedMatch& match,
                               const std::function<void(const SimulatedRally&)>& onRally = {});
// The same for the match a Ready network session agreed with another game:
// `pacing` gives only the frame times, the step limit, the recording folder
// and which of this side's slots modelled people play (and the seed of their
// chance). Returns once the session has said goodbye.
SimulationResult simulateNetMatch(std::unique_ptr<NetSession> session, const SimulatedMatch& pacing,
                                  const std::function<void(const SimulatedRally&)>& onRally = {});
