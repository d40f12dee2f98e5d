#pragma once
// A match over the network, from the menus to its goodbye: hosting and
// joining from the network screens, the shared player set-up while both
// games are on the menus, the match the host offers, each step (played at
// once with this game's people two steps late and the other's predicted,
// corrected when their real commands come: NetRollback), what is shown and
// heard of it, the other player's pause, and the reason shown when a match
// ends badly.
//
// The flow owns the sessions: the one waiting for its other game, the one
// whose match is played, and one that has just ended while it says goodbye.
// What it needs of the game around it (the menus, the notices over them, the
// match to build) it asks through NetMatchStage.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/play/MatchPresentation.h"
#include "app/match/MatchSimulation.h"
#include "app/net/NetRollback.h"
#include "app/match/StepInput.h"
#include "app/menus/Menu.h"
#include "app/net/NetSession.h"

// What the network flow asks of the game it runs in.
class NetMatchStage {
 public:
  virtual ~NetMatchStage() = default;
  // The menu showing now (the in-game menu during a match).
  virtual Menu& currentMenus() = 0;
  virtual bool playingMatch() const = 0;
  // Builds the agreed match (its set-up and seed are in place) and starts it;
  // only the slots of `localSlots` are played from this game's keys.
  virtual void startAgreedMatch(bool doubles, uint8_t localSlots) = 0;
  // The match being played and its presentation.
  virtual MatchSimulation& playedMatch() = 0;
  virtual MatchPresentation& matchPresentation() = 0;
  // A line over the screen for a while.
  virtual void showNotice(const std::string& text, int32_t ms) = 0;
};

class NetMatchFlow {
 public:
  // How the last network match went on the wire, kept after its session.
  struct Report {
    int32_t inputDelay = 0;
    int32_t roundTripMs = 0;
    uint64_t bytesSent = 0;
    uint64_t bytesReceived = 0;
    // The line that ended it early, without its line end; else empty.
    std::string ended;
    // Steps played, corrections (rollbacks) and the steps they played again,
    // the deepest, and how long the match waited for the other game.
    int64_t steps = 0;
    int64_t rollbacks = 0;
    int64_t stepsPlayedAgain = 0;
    int32_t deepestRollback = 0;
    // Steps held back because this game ran ahead of the other.
    int64_t heldSteps = 0;
    double waitedSeconds = 0.0;
  };

  explicit NetMatchFlow(NetMatchStage& stage) : stage(stage) {}
  // The other game is told at once rather than left to wait for a stall.
  ~NetMatchFlow();
  NetMatchFlow(const NetMatchFlow&) = delete;
  NetMatchFlow& operator=(const NetMatchFlow&) = delete;

  // Once a frame, before the steps: every session answered, a waiting one
  // whose match is agreed started, the shared choice passed both ways.
  void followSessions();
  // Once a frame, after the steps, in the menus: the network screens'
  // requests (host, join, give up).
  void followMenus();
  // A request to start a match while a session waits: the host offers it
  // once the other game has seen its choice, a joiner waits. False when no
  // session waits, for the game to start a match of its own.
  bool offerMatch(bool doubles);
  // Plays the match a Ready session agreed, with the other game.
  void startMatch(std::unique_ptr<NetSession> session);
  // A session waiting for its other game.
  void awaitMatch(std::unique_ptr<NetSession> session);

  // A network match is being played.
  bool playing() const { return net != nullptr; }
  // Its session ended from the other side, or from the wire.
  bool ended() const { return net && net->phase() == NetPhase::Ended; }
  // One step of the match: played, with any corrected steps played again
  // before it (their sounds at once, the rest once certain); or waiting for
  // the other game (false), or held (true, no step: this game ran ahead).
  // `sampleLocal` reads this game's people; `onCertain` hears each step
  // (its outcome and its commands) once it is certain, in order.
  bool playStep(const std::function<StepInput()>& sampleLocal,
                const std::function<void(const PlayedStep&)>& onCertain);
  // The match is over at a step both games have played alike.
  bool overForCertain() const { return rollback && rollback->overForCertain(); }
  // Tells the other game the match is over (finished or left), unless the
  // session ended it; returns the line that says why it ended badly, or
  // empty.
  std::string endMatch(bool finished);

  // Handles the network, waiting at most `ms` for it.
  void waitForNetwork(uint32_t ms);
  // The session of the match being played, or of the one that has just
  // ended while it says goodbye, or the one waiting; else none.
  const NetSession* session() const;
  const std::optional<Report>& lastReport() const { return report; }
  // Forces the input delay the host offers (0: from the round trip).
  void setForcedInputDelay(int32_t steps) { forcedInputDelay = steps; }

 private:
  // While both games are on the menus, each sends its choice of the match
  // and takes the other's part of the other's; the menus show both.
  void shareChoice();
  void noteReport(const NetSession& session);
  // What waited for certain steps: their outcomes, and the presentation's.
  void tellCertain(const std::function<void(const PlayedStep&)>& onCertain);

  NetMatchStage& stage;
  std::unique_ptr<NetSession> net;
  std::unique_ptr<NetSession> pendingNet;
  std::unique_ptr<NetSession> lingeringNet;
  // The waiting session as followSessions last saw it.
  const NetSession* pendingSeen = nullptr;
  NetPhase pendingSeenPhase = NetPhase::Waiting;
  std::unique_ptr<NetRollback> rollback;
  std::vector<PlayedStep> played;
  // Steps played but not yet certain, by their outcome's number.
  std::map<int64_t, PlayedStep> uncertain;
  std::optional<std::chrono::steady_clock::time_point> waitingSince;
  double waitedSeconds = 0.0;
  std::optional<Report> report;
  int32_t forcedInputDelay = 0;
};
