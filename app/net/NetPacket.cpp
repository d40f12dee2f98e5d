#include "app/net/NetPacket.h"

namespace {

constexpr std::string_view kHelloMagic = "ZNET";
constexpr uint8_t kAllPlayerKeys = (1u << kPlayerKeyCount) - 1;
constexpr uint8_t kAllMatchKeys = kMatchKeyEnter | kMatchKeyEscape;
constexpr int kMaxSets = 5;
constexpr int kMaxGamesPerSet = 6;

class Writer {
 public:
  void byte(uint8_t value) { out += static_cast<char>(value); }
  void word(uint32_t value) {
    for (int i = 0; i < 4; ++i) byte(static_cast<uint8_t>(value >> (8 * i)));
  }
  void wide(uint64_t value) {
    for (int i = 0; i < 8; ++i) byte(static_cast<uint8_t>(value >> (8 * i)));
  }
  void text(const std::string& value) {
    const std::string kept = value.substr(0, kMaxVersionBytes);
    byte(static_cast<uint8_t>(kept.size()));
    out += kept;
  }
  std::string out;
};

// Reads in order; the first fault stops everything that follows.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes(bytes) {}

  bool failed() const { return !fault.empty(); }
  const std::string& why() const { return fault; }
  void fail(const std::string& reason) {
    if (!failed()) fault = reason;
  }
  uint8_t byte() {
    if (failed()) return 0;
    if (at >= bytes.size()) {
      fail("faltan bytes");
      return 0;
    }
    return static_cast<uint8_t>(bytes[at++]);
  }
  uint8_t byteIn(uint8_t min, uint8_t max) {
    const uint8_t value = byte();
    if (value < min || value > max) fail("valor fuera de rango en el byte " + std::to_string(at - 1));
    return value;
  }
  uint32_t word() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(byte()) << (8 * i);
    return value;
  }
  uint64_t wide() {
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value |= static_cast<uint64_t>(byte()) << (8 * i);
    return value;
  }
  std::string text() {
    const uint8_t length = byteIn(0, kMaxVersionBytes);
    std::string value;
    for (uint8_t i = 0; i < length && !failed(); ++i) value += static_cast<char>(byte());
    return value;
  }
  void expectEnd() {
    if (!failed() && at != bytes.size()) fail("sobran bytes");
  }

 private:
  std::string_view bytes;
  size_t at = 0;
  std::string fault;
};

struct Encoder {
  Writer& out;

  void operator()(const NetHello& hello) const {
    out.byte(static_cast<uint8_t>(NetKind::Hello));
    out.out += kHelloMagic;
    out.byte(hello.protocol);
    out.text(hello.version);
  }
  void operator()(const NetPing& ping) const {
    out.byte(static_cast<uint8_t>(NetKind::Ping));
    out.word(ping.stamp);
  }
  void operator()(const NetPong& pong) const {
    out.byte(static_cast<uint8_t>(NetKind::Pong));
    out.word(pong.stamp);
  }
  void match(bool doubles, int32_t sets, int32_t games, const std::array<PlayerSlot, kPlayerSlotCount>& slots) const {
    out.byte(doubles ? 1 : 0);
    out.byte(static_cast<uint8_t>(sets));
    out.byte(static_cast<uint8_t>(games));
    for (const PlayerSlot& slot : slots) {
      out.byte(static_cast<uint8_t>(slot.character));
      out.byte(static_cast<uint8_t>(slot.controller));
    }
  }
  void operator()(const NetSetup& setup) const {
    out.byte(static_cast<uint8_t>(NetKind::Setup));
    match(setup.doubles, setup.setsToPlay, setup.gamesPerSet, setup.slots);
    out.word(setup.seed);
    out.byte(static_cast<uint8_t>(setup.inputDelay));
    out.byte(setup.joinerSlots);
    out.byte(static_cast<uint8_t>(setup.roundTripMs));
    out.byte(static_cast<uint8_t>(setup.roundTripMs >> 8));
  }
  void operator()(const NetInputs& inputs) const {
    out.byte(static_cast<uint8_t>(NetKind::Inputs));
    out.byte(inputs.slots);
    out.byte(inputs.paused ? 1 : 0);
    out.word(inputs.ack);
    out.word(inputs.stepNow);
    out.byte(static_cast<uint8_t>(inputs.aheadQuarters));
    out.word(inputs.firstStep);
    out.byte(static_cast<uint8_t>(inputs.steps.size()));
    for (const StepInput& step : inputs.steps) {
      out.byte(step.matchKeys);
      for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
        if ((inputs.slots >> slot & 1u) == 0) continue;
        out.byte(step.slots[slot].held);
        out.byte(step.slots[slot].pressed);
      }
    }
  }
  void operator()(const NetStateHash& state) const {
    out.byte(static_cast<uint8_t>(NetKind::StateHash));
    out.word(state.step);
    out.wide(state.hash);
  }
  void operator()(const NetChoice& choice) const {
    out.byte(static_cast<uint8_t>(NetKind::Choice));
    out.word(choice.revision);
    out.word(choice.seen);
    match(choice.doubles, choice.setsToPlay, choice.gamesPerSet, choice.slots);
  }
  void operator()(const NetBye& bye) const {
    out.byte(static_cast<uint8_t>(NetKind::Bye));
    out.byte(static_cast<uint8_t>(bye.reason));
    out.word(bye.step);
  }
};

NetMessage readHello(Reader& in) {
  NetHello hello;
  std::string magic;
  for (size_t i = 0; i < kHelloMagic.size(); ++i) magic += static_cast<char>(in.byte());
  if (magic != kHelloMagic) in.fail("saludo sin la marca ZNET");
  hello.protocol = in.byte();
  hello.version = in.text();
  return hello;
}

// The mode, the length and the four slots, as Setup and Choice carry them.
template <typename Match>
void readMatch(Reader& in, Match& match) {
  match.doubles = in.byteIn(0, 1) == 1;
  match.setsToPlay = in.byteIn(1, kMaxSets);
  match.gamesPerSet = in.byteIn(1, kMaxGamesPerSet);
  for (PlayerSlot& slot : match.slots) {
    slot.character = in.byteIn(0, kCharacterCount);
    slot.controller = in.byteIn(0, kControllerCount - 1);
  }
}

NetMessage readChoice(Reader& in) {
  NetChoice choice;
  choice.revision = in.word();
  choice.seen = in.word();
  readMatch(in, choice);
  return choice;
}

NetMessage readSetup(Reader& in) {
  NetSetup setup;
  readMatch(in, setup);
  setup.seed = in.word();
  setup.inputDelay = in.byteIn(1, kMaxInputDelay);
  setup.joinerSlots = in.byteIn(0, kAllSlotsMask);
  setup.roundTripMs = in.byte();
  setup.roundTripMs |= in.byte() << 8;
  return setup;
}

NetMessage readInputs(Reader& in) {
  NetInputs inputs;
  inputs.slots = in.byteIn(0, kAllSlotsMask);
  inputs.paused = in.byteIn(0, 1) == 1;
  inputs.ack = in.word();
  inputs.stepNow = in.word();
  inputs.aheadQuarters = static_cast<int8_t>(in.byte());
  inputs.firstStep = in.word();
  const uint8_t count = in.byteIn(0, kMaxStepsPerPacket);
  for (uint8_t i = 0; i < count && !in.failed(); ++i) {
    StepInput step;
    step.matchKeys = in.byteIn(0, kAllMatchKeys);
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
      if ((inputs.slots >> slot & 1u) == 0) continue;
      step.slots[slot].held = in.byteIn(0, kAllPlayerKeys);
      step.slots[slot].pressed = in.byteIn(0, kAllPlayerKeys);
    }
    inputs.steps.push_back(step);
  }
  return inputs;
}

}  // namespace

std::string encodeNetMessage(const NetMessage& message) {
  Writer out;
  std::visit(Encoder{out}, message);
  return out.out;
}

std::optional<NetMessage> decodeNetMessage(std::string_view bytes, std::string& why) {
  if (bytes.size() > kMaxPacketBytes) {
    why = "paquete de " + std::to_string(bytes.size()) + " bytes, demasiado grande";
    return std::nullopt;
  }
  Reader in(bytes);
  const uint8_t kind = in.byte();
  NetMessage message;
  switch (static_cast<NetKind>(kind)) {
    case NetKind::Hello: message = readHello(in); break;
    case NetKind::Ping: message = NetPing{in.word()}; break;
    case NetKind::Pong: message = NetPong{in.word()}; break;
    case NetKind::Setup: message = readSetup(in); break;
    case NetKind::Inputs: message = readInputs(in); break;
    case NetKind::Choice: message = readChoice(in); break;
    case NetKind::StateHash: {
      NetStateHash state;
      state.step = in.word();
      state.hash = in.wide();
      message = state;
      break;
    }
    case NetKind::Bye: {
      NetBye bye;
      bye.reason = static_cast<NetByeReason>(in.byteIn(0, kLastByeReason));
      bye.step = in.word();
      message = bye;
      break;
    }
    default:
      if (!in.failed()) in.fail("tipo de paquete " + std::to_string(kind) + " desconocido");
      break;
  }
  in.expectEnd();
  if (in.failed()) {
    why = in.why();
    return std::nullopt;
  }
  return message;
}
