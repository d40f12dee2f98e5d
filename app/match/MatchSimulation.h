#pragma once
// A match as one steppable simulation: built from a set-up, advanced one
// fixed step at a time from that step's commands alone, saved and restored
// as plain bytes. It owns the match's scene (stadium, ball, umpire, players,
// the score, the message, the fade, the effects) and its phase machine
// (SinglesMatch or DoublesMatch); whoever presents it adds cameras and menus
// to that scene and reads it, and carries out the events of each step
// (sounds, music, cameras, a person's strike, messages) itself. Nothing in
// here plays a sound, picks a camera or reads a device.
//
// Saving writes everything that decides the next steps: the random
// generator, the ball, each player with its controller, the pose of every
// node the match reads (the racket point, the held ball, the introduction's
// holders, the umpire's head), the referee, the score, the timed message and
// the fade the phases wait on, the live effects. Restoring a saved state and
// stepping on gives exactly what stepping on from the saved moment gave. The
// remembered poses of the animation players are a cache and are not saved;
// nor is what only the picture shows (a mesh no one reads, in the middle of
// its blend, shows its own pose for at most a blend's length).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/match/Lessons.h"
#include "app/match/MatchSetup.h"
#include "app/match/MatchState.h"
#include "app/match/MatchTexts.h"
#include "app/match/StepInput.h"
#include "engine/Model.h"
#include "engine/Scene.h"
#include "engine/TextureFactory.h"
#include "tennis/HumanPlayer.h"
#include "tennis/PlayEvents.h"
#include "tennis/TennisPlayer.h"

// A saved match: plain bytes, copied and compared as they are.
struct MatchSnapshot {
  std::vector<uint8_t> bytes;
};

// What one step told: its events and the rallies it ended.
struct StepOutcome {
  // The step's number (MatchSimulation::stepsTaken after it).
  int64_t step = 0;
  std::vector<PlayEvent> events;
  std::vector<RallyReport> rallies;
};

// What the match is built from besides its set-up.
struct MatchMaking {
  SceneDisplay display = SceneDisplay::Window;
  std::shared_ptr<TextureFactory> textures;
  MatchTexts texts;
  // The stadium read ahead (the scene takes its tree); empty reads it now.
  std::shared_ptr<Model> stadium;
  // The key codes of each key set, for the players people play.
  std::array<KeySet, kKeySetCount> keySets{};
  // A lesson of training instead of a match: slot 0 is the person, slot 1
  // the computer of the point lesson; the set-up's mode, sets and games are
  // not used.
  std::optional<LessonId> lesson;
};

class MatchSimulation {
 public:
  // Builds the match of `setup` (its slots, mode, sets and games); the random
  // generator's state at this moment is the match's. The introduction's
  // first events (its camera) wait in events() until the first step. The
  // match keeps its own generator's state: it draws from the game's
  // generator only inside its steps, so two matches may play side by side.
  MatchSimulation(const MatchSetup& setup, MatchMaking making);
  MatchSimulation(const MatchSimulation&) = delete;
  MatchSimulation& operator=(const MatchSimulation&) = delete;

  // One fixed step: each person's player takes its command, the scene steps,
  // the match judges what happened. events() then holds this step's events.
  void step(const StepInput& input);
  const std::vector<PlayEvent>& events() const { return eventLog->all(); }
  // The rallies this step ended (a first fault, a point), as the match
  // reports them.
  const std::vector<RallyReport>& rallies() const { return stepRallies; }
  StepOutcome outcome() const { return StepOutcome{steps, events(), stepRallies}; }

  void save(MatchSnapshot& snapshot) const;
  // False when the bytes are not a state of this match (then the match is
  // left as the bytes had it so far: a mistake of the caller's, never of a
  // player's).
  bool restore(const MatchSnapshot& snapshot);
  // Of the whole saved state: two simulations that hash alike play on alike.
  uint64_t stateHash() const;

  bool isFinished() const { return match->isFinished(); }
  // The generator's state the next step starts from; reseed sets it (a
  // recording's, before its first step).
  uint32_t randomStateNow() const { return random; }
  void reseed(uint32_t state) { random = state; }
  // Steps taken since the match was built (restoring puts it back too).
  int64_t stepsTaken() const { return steps; }
  const std::shared_ptr<Scene>& scene() const { return matchScene; }
  const std::shared_ptr<MatchState>& state() const { return match; }
  // The stadium as read, for the presentation's cameras.
  const std::shared_ptr<Model>& stadium() const { return stadiumModel; }
  // The player of a slot; empty for a slot that does not play.
  std::shared_ptr<TennisPlayer> slotPlayer(int32_t slot) const;
  // The player of a person's slot; empty for a computer's or an unused one.
  std::shared_ptr<HumanPlayer> person(int32_t slot) const;

 private:
  std::shared_ptr<TennisPlayer> createPlayer(const PlayerSlot& chosen, const MatchMaking& making, bool doubles);

  std::shared_ptr<PlayEventLog> eventLog = std::make_shared<PlayEventLog>();
  std::shared_ptr<Scene> matchScene;
  std::shared_ptr<Model> stadiumModel;
  std::shared_ptr<Pelota> ball;
  std::shared_ptr<AnimatedGroup> umpireRoot;
  std::array<std::shared_ptr<TennisPlayer>, kPlayerSlotCount> players;
  std::array<std::shared_ptr<HumanPlayer>, kPlayerSlotCount> people;
  std::shared_ptr<MatchState> match;
  std::shared_ptr<TimedMessage> message;
  std::vector<RallyReport> stepRallies;
  // Per slot: the player's swing had struck the ball at the step before.
  std::array<bool, kPlayerSlotCount> swingStruck{};
  int64_t steps = 0;
  uint32_t random = 0;
};
