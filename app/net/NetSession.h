#pragma once
// One match played by two games over the network, in lockstep. A match is a
// function of its set-up, its random seed and one input a step, so each game
// sends the commands of the slots its own people play and both simulate the
// same match from the same inputs; computer slots need nothing sent, they
// follow from the seed.
//
// The host chooses the match (mode, length, slots, seed) and which slots the
// joiner plays, measures the round trip and from it the input delay d: the
// command sampled while a game plays step n is the one for step n + d, so
// that it reaches the other game before that step is due there. A game
// plays step n only once it holds every slot's command for it (the first d
// steps have none); a late packet stalls the match instead of letting the
// two games differ, and a stall longer than kStallMs ends it. Every
// kStepsPerStateHash steps each game sends a hash of its match; a hash that
// differs ends the match on both, naming the step.
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

// A stall of the match longer than this ends it.
constexpr uint32_t kStallMs = 5000;
// Steps between two hashes of the match: about a second.
constexpr int64_t kStepsPerStateHash = 62;
// Round trips measured before the match; their median chooses the delay.
constexpr int32_t kRoundTripSamples = 5;
// Time for jitter and for the frame that samples the keys, beyond half the
// round trip, before a command is due on the other side.
constexpr int32_t kInputDelayMarginMs = 32;
constexpr int32_t kMinInputDelay = 2;
// After its match, a game waits this long at most for the other to say goodbye.
constexpr uint32_t kLingerMs = 3000;

// The input delay in steps for a round trip in milliseconds.
int32_t chooseInputDelay(int32_t roundTripMs);

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
  // call a step played, before inputFor.
  void sendLocal(const StepInput& input);
  int64_t nextLocalStep() const { return localBase + static_cast<int64_t>(local.size()); }
  // Every slot's command for the step, when the game holds them all; false
  // while the step waits (the match stalls), and after kStallMs of that the
  // session ends.
  bool inputFor(int64_t step, StepInput& input);
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
  void onCommands(const NetCommands& commands);
  void onStateHash(const NetStateHash& state);
  void onBye(const NetBye& bye);
  void onChoice(const NetChoice& choice);
  void compareHashes(int64_t step);
  void sendMessage(const NetMessage& message);
  void flushCommands();
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

  // Commands from step localBase (this game's) and remoteBase (the other's).
  std::deque<StepInput> local;
  int64_t localBase = 0;
  std::deque<StepInput> remote;
  int64_t remoteBase = 0;
  NetCommands outgoing;
  // Steps handed out so far by inputFor.
  int64_t consumed = 0;
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
