#pragma once
// One match played by two games over the network. A match is a function of
// its set-up, its random seed and one input a step, so each game sends the
// commands of the slots its own people play and both simulate the same
// match from the same inputs; computer slots need nothing sent, they follow
// from the seed.
//
// The host chooses the match (mode, length, slots, seed) and which slots the
// joiner plays, and measures the round trip. The command sampled while a
// game plays step n is the one for step n + d (the input delay, kRollbackInputDelay
// unless the host forces another). The session only carries the commands:
// each game sends, unreliably, every step, all of its commands the other has
// not yet said it holds, with the first of the other's it lacks and the step
// it plays next; what to play meanwhile (a prediction, or waiting) is
// NetRollback's. A wait longer than kStallMs ends the match. Every
// kStepsPerStateHash steps each game sends the hash of its match after a
// step both have played with every real command; a hash that differs ends
// the match on both, naming the step.
//
// Every packet is read by decodeNetMessage (NetPacket.h) and checked
// against what may come at that moment: a packet that is not right ends the
// connection with one line. Every way the match can end badly prints one
// line on standard output, once, and tells the other game why.
//
// The session is driven from the frame loop (pump once a frame); its clock
// is the real one, which the simulation never sees.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/match/StepInput.h"
#include "app/net/NetLink.h"
#include "app/net/NetPacket.h"
#include "engine/Log.h"

// A stall of the match longer than this ends it.
constexpr uint32_t kStallMs = 5000;
// Steps between a command's sampling and its step over the network: short
// enough to feel at once, whatever the round trip; the rest is predicted.
constexpr int32_t kRollbackInputDelay = 2;
// The other game's commands are kept from this many steps back, and taken
// up to this many steps ahead of what is held: more is not the other game.
constexpr int64_t kRemoteWindowSteps = 256;
// With nothing new to send, the commands are sent again this often (ms), so
// that acknowledgements keep flowing.
constexpr uint32_t kInputsResendMs = 50;
// Steps between two hashes of the match: about a second.
constexpr int64_t kStepsPerStateHash = 62;
// Round trips measured before the match; their median is the round trip.
constexpr int32_t kRoundTripSamples = 5;
// After its match, a game waits this long at most for the other to say goodbye.
constexpr uint32_t kLingerMs = 3000;

// Waiting for the other game; Greeting: saying hello and measuring the round
// trip; Greeted: the host may offer the match; Ready: the match is agreed.
enum class NetPhase { Waiting, Greeting, Greeted, Ready, Ended };

class NetSession {
 public:
  // Listens for one other game. Nothing after one line.
  static std::unique_ptr<NetSession> host(const NetAddress& address);
  static std::unique_ptr<NetSession> join(const NetAddress& address);

  // Handles what arrived, waiting at most `waitMs` for the first event, and
  // sends what is queued.
  void pump(uint32_t waitMs = 0);
  NetPhase phase() const { return state; }
  bool hosting() const { return isHost; }
  // The host's match for both, once Greeted; its input delay is chosen
  // from the round trip unless `forcedDelay` is above 0.
  void offer(const NetSetup& wanted, int32_t forcedDelay = 0);
  // This game's choice of the match on its menus, before the host offers
  // it: sent whenever it changes (its revision and the other side's last
  // one seen here are the session's to fill in).
  void shareChoice(const NetChoice& mine);
  // The other game's choice that arrived since the last call, if any.
  std::optional<NetChoice> takeOtherChoice();
  // The other game has taken in this game's latest choice.
  bool otherSeesMyChoice() const { return shared && otherSeen == sentChoice.revision; }
  // The match, once Ready.
  const NetSetup& setup() const { return agreed; }
  // The slots this game's people play (a bit a slot).
  uint8_t localSlots() const;

  // The command sampled now, for the next step that has none yet: one
  // call a step played. Only this game's slots and its match keys are kept.
  void sendLocal(const StepInput& input);
  int64_t nextLocalStep() const { return localBase + static_cast<int64_t>(local.size()); }
  // This game's command for a step it has sampled and not yet let go.
  std::optional<StepInput> localInput(int64_t step) const;
  // The other game's command for a step, when it has come: only its slots
  // and its match keys are set.
  std::optional<StepInput> remoteInput(int64_t step) const;
  // The first step whose command from the other game is not here yet:
  // every step before it is (the first d steps have none to wait for).
  int64_t remoteContiguous() const { return remoteBase + static_cast<int64_t>(remoteHeld); }
  // The other game's commands before `step` are no longer needed.
  void forgetRemoteBefore(int64_t step);
  // The step the other game plays next, as it last said, and whether its
  // player is on the pause screen.
  int64_t remoteStepNow() const { return otherStepNow; }
  bool remotePaused() const { return otherPaused; }
  // This game's step and pause screen, told with the next commands sent.
  void setLocalStatus(int64_t stepNow, bool paused);
  // How far ahead of the other game this game sees itself (steps), told
  // with the commands, and the other's own view of the same.
  void setAhead(double steps) { aheadNow = steps; }
  double remoteAhead() const { return otherAhead; }
  // The match waits for the other game's commands (or waits no more); after
  // kStallMs of waiting the session ends.
  void noteWaiting(bool waitingNow, int64_t step);
  // The hash of the match after the step; a hash of the other game for the
  // same step that differs ends the session.
  void checkState(int64_t step, uint64_t hash);
  // This game's match is over (played out or left): the other game is told
  // and the link closes once it has everything.
  void finish(NetByeReason reason, int64_t step);
  // Nothing more will come or go: the link is closed or given up.
  bool closed() const;
  int32_t roundTripMs() const { return agreed.roundTripMs; }
  uint16_t localPort() const { return link->localPort(); }
  // Why the session ended, when it ended badly; empty otherwise.
  const std::string& endMessage() const { return ended; }
  NetByeReason endReason() const { return whyEnded; }

  uint64_t bytesSent() const { return link ? link->bytesSent() : 0; }
  uint64_t bytesReceived() const { return link ? link->bytesReceived() : 0; }

 private:
  NetSession(std::unique_ptr<NetLink> link, bool hosting) : link(std::move(link)), isHost(hosting) {}

  void handle(const NetEvent& event);
  void handleMessage(const NetMessage& message);
  void onHello(const NetHello& hello);
  void onPong(const NetPong& pong);
  void onSetup(const NetSetup& setup);
  void onInputs(const NetInputs& inputs);
  void onStateHash(const NetStateHash& state);
  void onBye(const NetBye& bye);
  void onChoice(const NetChoice& choice);
  void compareHashes(int64_t step);
  void sendMessage(const NetMessage& message);
  // The commands the other game lacks, when there is news for it or it is
  // time to say them again.
  void sendInputs(bool force);
  void sendPing();
  // Ends the session badly: one line, and the other game told why.
  void fail(NetByeReason reason, int64_t step, const std::string& message, bool tellOther = true);
  uint8_t remoteSlots() const;
  uint32_t now() const;

  std::unique_ptr<NetLink> link;
  bool isHost;
  NetPhase state = NetPhase::Waiting;
  NetSetup agreed;
  bool helloChecked = false;
  std::vector<int32_t> roundTrips;

  // The menus' choices: the last sent from here, the other's newest.
  NetChoice sentChoice;
  bool shared = false;
  uint32_t otherSeen = 0;
  uint32_t otherRevision = 0;
  std::optional<NetChoice> otherChoice;

  // This game's commands from step localBase on, kept until the other game
  // holds them and this game has played them.
  std::deque<StepInput> local;
  int64_t localBase = 0;
  // The first of this game's commands the other game lacks.
  int64_t otherHolds = 0;
  // The other game's commands from step remoteBase: the first remoteHeld
  // are all here, later ones may have come out of order.
  std::deque<std::optional<StepInput>> remote;
  int64_t remoteBase = 0;
  size_t remoteHeld = 0;
  int64_t otherStepNow = 0;
  bool otherPaused = false;
  double aheadNow = 0.0;
  double otherAhead = 0.0;
  int64_t stepNow = 0;
  bool paused = false;
  bool inputsNews = false;
  uint32_t inputsSentAt = 0;
  bool waiting = false;
  uint32_t waitingSince = 0;

  std::map<int64_t, uint64_t> localHashes;
  std::map<int64_t, uint64_t> remoteHashes;

  bool finished = false;
  bool otherFinished = false;
  bool linkGone = false;
  uint32_t finishedAt = 0;
  std::string ended;
  NetByeReason whyEnded = NetByeReason::Finished;
};
