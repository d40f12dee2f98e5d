#pragma once
// The messages two games exchange to play one match over the network, and
// their bytes. Encoding and decoding are pure functions of the bytes, apart
// from the transport (NetLink) and from the lockstep rules (NetSession), so
// that the decoder can be fed anything (fuzz/fuzz_netpacket.cpp).
//
// Every packet starts with its kind (one byte); numbers are little-endian.
//
//   Hello      "ZNET", protocol version, the game's version (length byte,
//              at most kMaxVersionBytes, then the text). Its layout never
//              changes, so that any two versions can tell each other apart.
//   Ping/Pong  a stamp (4 bytes) the other side sends back as it came.
//   Setup      from the host: 1 for doubles, sets, games per set, the four
//              slots (character, controller), the random generator's state
//              (4 bytes), the input delay in steps, the joiner's slots (a
//              bit a slot), the round trip the host measured (ms, 2 bytes).
//   Inputs     the sender's slots (a bit a slot), flags (bit 0: its player
//              is on the pause screen), the first step of the receiver's
//              commands that the sender does not hold yet (4 bytes), the step
//              the sender plays next (4 bytes), how far ahead of the
//              receiver the sender sees itself (quarter steps, a signed
//              byte), the first step of the
//              commands carried (4 bytes), their number (0 to
//              kMaxStepsPerPacket), then for each step the match keys byte
//              and, for each of the sender's slots in slot order, the held
//              and the pressed controls. Sent unreliably, unsequenced, every
//              step: each carries every command the other side has not yet
//              said it holds, so that a packet lost costs nothing.
//   StateHash  a step (4 bytes) and the hash of the match after it (8 bytes).
//   Bye        why the sender ends the match (NetByeReason) and a step.
//   Choice     either side's match as its menus show it, before the host
//              offers it: a revision (4 bytes) that grows with every change,
//              the other side's last revision seen here (4 bytes), 1 for
//              doubles, sets, games per set and the four slots (character,
//              controller). The other side takes only what the sender
//              chooses: the host's mode, length and slots, the joiner's slots.
//
// A packet is at most kMaxPacketBytes long; anything else about it that is
// out of range (an unknown kind, a value beyond its field, bytes missing or
// left over) makes it no packet at all.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/match/StepInput.h"
#include "app/match/MatchSetup.h"

constexpr uint8_t kNetProtocolVersion = 3;
constexpr size_t kMaxVersionBytes = 16;
constexpr size_t kMaxPacketBytes = 512;
constexpr int32_t kMaxStepsPerPacket = 32;
// Steps between a command's sampling and its step: at most this many.
constexpr int32_t kMaxInputDelay = 120;

enum class NetKind : uint8_t {
  Hello = 1,
  Ping = 2,
  Pong = 3,
  Setup = 4,
  Inputs = 5,
  StateHash = 6,
  Bye = 7,
  Choice = 8,
};

enum class NetByeReason : uint8_t {
  Finished = 0,  // the match was played to its end
  Left = 1,      // the player left it from the pause screen
  Stalled = 2,   // the other side's commands stopped coming
  Desync = 3,    // the two matches differ from the step given
  BadPacket = 4, // a packet could not be read
  Refused = 5,   // versions that cannot play together
};
constexpr uint8_t kLastByeReason = static_cast<uint8_t>(NetByeReason::Refused);

struct NetHello {
  uint8_t protocol = kNetProtocolVersion;
  std::string version;
  bool operator==(const NetHello&) const = default;
};

struct NetPing {
  uint32_t stamp = 0;
  bool operator==(const NetPing&) const = default;
};

struct NetPong {
  uint32_t stamp = 0;
  bool operator==(const NetPong&) const = default;
};

// The match both games play, as the host chose it.
struct NetSetup {
  bool doubles = false;
  int32_t setsToPlay = 1;
  int32_t gamesPerSet = 2;
  std::array<PlayerSlot, kPlayerSlotCount> slots{};
  uint32_t seed = 1;
  int32_t inputDelay = 2;
  uint8_t joinerSlots = 0;  // bit k: the joiner plays slot k
  int32_t roundTripMs = 0;
  bool operator==(const NetSetup&) const = default;
};

struct NetInputs {
  uint8_t slots = 0;  // bit k: the sender's slot k, in every step
  bool paused = false;
  // The first step of the receiver's commands the sender does not hold.
  uint32_t ack = 0;
  // The step the sender plays next, and how far ahead of the receiver it
  // sees itself (quarter steps): the two games keep level by them.
  uint32_t stepNow = 0;
  int8_t aheadQuarters = 0;
  uint32_t firstStep = 0;
  // Each step's input; only the sender's slots and its match keys are set.
  std::vector<StepInput> steps;
  bool operator==(const NetInputs&) const = default;
};

struct NetStateHash {
  uint32_t step = 0;
  uint64_t hash = 0;
  bool operator==(const NetStateHash&) const = default;
};

struct NetBye {
  NetByeReason reason = NetByeReason::Finished;
  uint32_t step = 0;
  bool operator==(const NetBye&) const = default;
};

// One side's choice of the match on its menus, before the host offers it.
struct NetChoice {
  uint32_t revision = 0;
  uint32_t seen = 0;  // the other side's revision this side has taken in
  bool doubles = false;
  int32_t setsToPlay = 1;
  int32_t gamesPerSet = 2;
  std::array<PlayerSlot, kPlayerSlotCount> slots{};
  bool operator==(const NetChoice&) const = default;
};

using NetMessage =
    std::variant<NetHello, NetPing, NetPong, NetSetup, NetInputs, NetStateHash, NetBye, NetChoice>;

constexpr uint8_t kAllSlotsMask = (1u << kPlayerSlotCount) - 1;

std::string encodeNetMessage(const NetMessage& message);
// The message in `bytes`, or nothing, with `why` (Spanish, no accents) saying
// what was wrong.
std::optional<NetMessage> decodeNetMessage(std::string_view bytes, std::string& why);
