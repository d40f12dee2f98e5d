#include "app/net/NetSession.h"

#include <algorithm>
#include <chrono>

#include "engine/Log.h"

#ifndef ZUMBOLO_VERSION
#define ZUMBOLO_VERSION "0"
#endif

namespace {

// More hashes than this waiting for their pair is not the other game.
constexpr size_t kMaxWaitingHashes = 64;
constexpr int32_t kMaxRoundTripMs = 65535;

}  // namespace

std::unique_ptr<NetSession> NetSession::host(const NetAddress& address) {
  std::unique_ptr<NetLink> link = NetLink::listen(address);
  if (!link) return nullptr;
  return std::unique_ptr<NetSession>(new NetSession(std::move(link), true));
}

std::unique_ptr<NetSession> NetSession::join(const NetAddress& address) {
  std::unique_ptr<NetLink> link = NetLink::connect(address);
  if (!link) return nullptr;
  return std::unique_ptr<NetSession>(new NetSession(std::move(link), false));
}

uint32_t NetSession::now() const {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint8_t NetSession::localSlots() const {
  const uint8_t playing = agreed.doubles ? kAllSlotsMask : 0x3;
  return static_cast<uint8_t>(playing & (isHost ? ~agreed.joinerSlots : agreed.joinerSlots));
}

uint8_t NetSession::remoteSlots() const {
  const uint8_t playing = agreed.doubles ? kAllSlotsMask : 0x3;
  return static_cast<uint8_t>(playing & ~localSlots());
}

void NetSession::pump(uint32_t waitMs) {
  sendInputs(false);
  for (NetEvent event = link->poll(waitMs); event.kind != NetEventKind::None; event = link->poll(0)) {
    handle(event);
    if (linkGone) break;
  }
  sendInputs(false);
}

void NetSession::handle(const NetEvent& event) {
  switch (event.kind) {
    case NetEventKind::Connected:
      state = NetPhase::Greeting;
      sendMessage(NetHello{kNetProtocolVersion, ZUMBOLO_VERSION});
      break;
    case NetEventKind::Disconnected:
      linkGone = true;
      if (state == NetPhase::Ended || finished) break;
      fail(NetByeReason::Stalled, stepNow,
           state == NetPhase::Waiting && !isHost ? "No hay respuesta del otro juego: no se pudo conectar\n"
                                                 : "Se ha perdido la conexion con el otro juego\n",
           false);
      break;
    case NetEventKind::Received: {
      if (state == NetPhase::Ended) break;
      std::string why;
      const std::optional<NetMessage> message = decodeNetMessage(event.bytes, why);
      if (!message) {
        fail(NetByeReason::BadPacket, stepNow,
             "Paquete de red no valido (" + std::to_string(event.bytes.size()) + " bytes: " + why +
                 "): se cierra la conexion\n");
        break;
      }
      handleMessage(*message);
      break;
    }
    case NetEventKind::None: break;
  }
}

void NetSession::handleMessage(const NetMessage& message) {
  // The handshake comes first, and in its order: anything else then is a
  // game that does not follow the protocol.
  const bool greeting = std::holds_alternative<NetHello>(message);
  if (!helloChecked && !greeting) {
    fail(NetByeReason::BadPacket, stepNow, "El otro juego no ha saludado como se espera: se cierra la conexion\n");
    return;
  }
  if (const auto* hello = std::get_if<NetHello>(&message)) return onHello(*hello);
  if (const auto* ping = std::get_if<NetPing>(&message)) return sendMessage(NetPong{ping->stamp});
  if (const auto* pong = std::get_if<NetPong>(&message)) return onPong(*pong);
  if (const auto* setup = std::get_if<NetSetup>(&message)) return onSetup(*setup);
  if (const auto* inputs = std::get_if<NetInputs>(&message)) return onInputs(*inputs);
  if (const auto* hash = std::get_if<NetStateHash>(&message)) return onStateHash(*hash);
  if (const auto* bye = std::get_if<NetBye>(&message)) return onBye(*bye);
  if (const auto* choice = std::get_if<NetChoice>(&message)) return onChoice(*choice);
}

void NetSession::onChoice(const NetChoice& choice) {
  // A choice overtaken by the host's offer is of no more use.
  if (state == NetPhase::Ready) return;
  if (choice.revision < otherRevision || choice.seen > sentChoice.revision) {
    fail(NetByeReason::BadPacket, stepNow, "Eleccion de partido fuera de orden: se cierra la conexion\n");
    return;
  }
  otherRevision = choice.revision;
  otherSeen = choice.seen;
  otherChoice = choice;
}

void NetSession::shareChoice(const NetChoice& mine) {
  if (state != NetPhase::Greeted) return;
  NetChoice next = mine;
  next.revision = sentChoice.revision;
  next.seen = otherRevision;
  const bool changed = !shared || next.doubles != sentChoice.doubles || next.setsToPlay != sentChoice.setsToPlay ||
                       next.gamesPerSet != sentChoice.gamesPerSet || next.slots != sentChoice.slots;
  if (changed) ++next.revision;
  if (!changed && next.seen == sentChoice.seen) return;
  sentChoice = next;
  shared = true;
  sendMessage(next);
}

std::optional<NetChoice> NetSession::takeOtherChoice() {
  std::optional<NetChoice> taken = std::move(otherChoice);
  otherChoice.reset();
  return taken;
}

void NetSession::onHello(const NetHello& hello) {
  if (helloChecked) {
    fail(NetByeReason::BadPacket, stepNow, "El otro juego ha saludado dos veces: se cierra la conexion\n");
    return;
  }
  helloChecked = true;
  if (hello.protocol != kNetProtocolVersion || hello.version != ZUMBOLO_VERSION) {
    fail(NetByeReason::Refused, 0,
         "El otro juego es la version " + hello.version + " (protocolo " + std::to_string(hello.protocol) +
             ") y este la " ZUMBOLO_VERSION " (protocolo " + std::to_string(kNetProtocolVersion) +
             "): no pueden jugar juntos\n",
         false);
    return;
  }
  if (isHost) {
    sendPing();
  } else {
    state = NetPhase::Greeted;
  }
}

void NetSession::sendPing() { sendMessage(NetPing{now()}); }

void NetSession::onPong(const NetPong& pong) {
  if (!isHost || state != NetPhase::Greeting) {
    fail(NetByeReason::BadPacket, stepNow, "Respuesta de red que nadie ha pedido: se cierra la conexion\n");
    return;
  }
  roundTrips.push_back(static_cast<int32_t>(std::min<uint32_t>(now() - pong.stamp, kMaxRoundTripMs)));
  if (static_cast<int32_t>(roundTrips.size()) < kRoundTripSamples) return sendPing();
  std::sort(roundTrips.begin(), roundTrips.end());
  agreed.roundTripMs = roundTrips[roundTrips.size() / 2];
  state = NetPhase::Greeted;
}

void NetSession::offer(const NetSetup& wanted, int32_t forcedDelay) {
  if (!isHost || state != NetPhase::Greeted) return;
  const int32_t roundTrip = agreed.roundTripMs;
  agreed = wanted;
  agreed.roundTripMs = roundTrip;
  agreed.inputDelay = forcedDelay > 0 ? std::min(forcedDelay, kMaxInputDelay) : kRollbackInputDelay;
  agreed.joinerSlots &= agreed.doubles ? kAllSlotsMask : 0x3;
  sendMessage(agreed);
  localBase = remoteBase = otherHolds = agreed.inputDelay;
  state = NetPhase::Ready;
}

void NetSession::onSetup(const NetSetup& setup) {
  if (isHost || state != NetPhase::Greeted) {
    fail(NetByeReason::BadPacket, stepNow, "Eleccion de partido fuera de lugar: se cierra la conexion\n");
    return;
  }
  agreed = setup;
  localBase = remoteBase = otherHolds = agreed.inputDelay;
  state = NetPhase::Ready;
}

void NetSession::onInputs(const NetInputs& inputs) {
  // The host's first commands may overtake its set-up, which comes on the
  // reliable channel: they are sent again.
  if (!isHost && state == NetPhase::Greeted) return;
  const int64_t first = inputs.firstStep;
  const int64_t last = first + static_cast<int64_t>(inputs.steps.size());
  const bool fits = state == NetPhase::Ready && inputs.slots == remoteSlots() && inputs.ack <= nextLocalStep() &&
                    last <= remoteContiguous() + kRemoteWindowSteps;
  if (!fits) {
    fail(NetByeReason::BadPacket, stepNow,
         "Ordenes de red fuera de lugar (paso " + std::to_string(first) + "): se cierra la conexion\n");
    return;
  }
  for (int64_t step = std::max(first, remoteBase); step < last; ++step) {
    const StepInput& sent = inputs.steps[static_cast<size_t>(step - first)];
    const size_t at = static_cast<size_t>(step - remoteBase);
    if (remote.size() <= at) remote.resize(at + 1);
    // Every copy of a step's commands is the same, or one was changed on the way.
    if (remote[at] && *remote[at] != sent) {
      fail(NetByeReason::BadPacket, stepNow,
           "Dos ordenes de red distintas para el paso " + std::to_string(step) + ": se cierra la conexion\n");
      return;
    }
    remote[at] = sent;
  }
  while (remoteHeld < remote.size() && remote[remoteHeld]) ++remoteHeld;
  otherHolds = std::max<int64_t>(otherHolds, inputs.ack);
  // Packets may come out of order: the newest says where the other game is.
  if (static_cast<int64_t>(inputs.stepNow) >= otherStepNow) {
    otherStepNow = inputs.stepNow;
    otherPaused = inputs.paused;
    otherAhead = inputs.aheadQuarters / 4.0;
  }
  while (!local.empty() && localBase < std::min(otherHolds, stepNow)) local.pop_front(), ++localBase;
}

void NetSession::forgetRemoteBefore(int64_t step) {
  while (remoteHeld > 0 && remoteBase < step) {
    remote.pop_front();
    --remoteHeld;
    ++remoteBase;
  }
}

std::optional<StepInput> NetSession::remoteInput(int64_t step) const {
  if (step < remoteBase || step >= remoteBase + static_cast<int64_t>(remote.size())) return std::nullopt;
  return remote[static_cast<size_t>(step - remoteBase)];
}

std::optional<StepInput> NetSession::localInput(int64_t step) const {
  if (step < localBase || step >= nextLocalStep()) return std::nullopt;
  return local[static_cast<size_t>(step - localBase)];
}

void NetSession::setLocalStatus(int64_t step, bool onPause) {
  inputsNews = inputsNews || onPause != paused;
  stepNow = step;
  paused = onPause;
  while (!local.empty() && localBase < std::min(otherHolds, stepNow)) local.pop_front(), ++localBase;
}

void NetSession::noteWaiting(bool waitingNow, int64_t step) {
  if (!waitingNow || state != NetPhase::Ready) {
    waiting = false;
    return;
  }
  const uint32_t at = now();
  if (!waiting) {
    waiting = true;
    waitingSince = at;
  } else if (at - waitingSince > kStallMs) {
    fail(NetByeReason::Stalled, step,
         "Las ordenes del otro juego no llegan desde hace " + std::to_string(kStallMs / 1000) + " segundos (paso " +
             std::to_string(step) + "): la partida termina\n");
  }
}

void NetSession::onStateHash(const NetStateHash& stateHash) {
  if (state != NetPhase::Ready || remoteHashes.size() >= kMaxWaitingHashes) {
    fail(NetByeReason::BadPacket, stepNow, "Resumen de partido fuera de lugar: se cierra la conexion\n");
    return;
  }
  remoteHashes[stateHash.step] = stateHash.hash;
  compareHashes(stateHash.step);
}

void NetSession::onBye(const NetBye& bye) {
  const std::string step = std::to_string(bye.step);
  switch (bye.reason) {
    case NetByeReason::Finished:
      otherFinished = true;
      if (finished) link->close();
      break;
    case NetByeReason::Left: fail(bye.reason, bye.step, "El otro jugador ha dejado el partido\n", false); break;
    case NetByeReason::Stalled:
      fail(bye.reason, bye.step, "El otro juego dejo de recibir ordenes en el paso " + step + ": la partida termina\n",
           false);
      break;
    case NetByeReason::Desync:
      fail(bye.reason, bye.step,
           "Los dos juegos ya no juegan el mismo partido desde el paso " + step + ": la partida termina\n", false);
      break;
    case NetByeReason::BadPacket:
      fail(bye.reason, bye.step, "El otro juego recibio un paquete no valido: se cierra la conexion\n", false);
      break;
    case NetByeReason::Refused:
      fail(bye.reason, bye.step, "El otro juego no acepta esta version\n", false);
      break;
  }
}

void NetSession::compareHashes(int64_t step) {
  const auto mine = localHashes.find(step);
  const auto theirs = remoteHashes.find(step);
  if (mine == localHashes.end() || theirs == remoteHashes.end()) return;
  const bool same = mine->second == theirs->second;
  localHashes.erase(mine);
  remoteHashes.erase(theirs);
  if (!same) {
    fail(NetByeReason::Desync, step,
         "Los dos juegos ya no juegan el mismo partido desde el paso " + std::to_string(step) +
             ": la partida termina\n");
  }
}

void NetSession::sendLocal(const StepInput& input) {
  if (state != NetPhase::Ready || finished) return;
  StepInput own;
  own.matchKeys = input.matchKeys;
  const uint8_t slots = localSlots();
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    if (slots >> slot & 1u) own.slots[slot] = input.slots[slot];
  }
  local.push_back(own);
  inputsNews = true;
}

void NetSession::sendInputs(bool force) {
  // Still after this game's end: the other may need its last commands to
  // reach the same end.
  if (state != NetPhase::Ready) return;
  const uint32_t at = now();
  if (!force && !inputsNews && at - inputsSentAt < kInputsResendMs) return;
  NetInputs inputs;
  inputs.slots = localSlots();
  inputs.paused = paused;
  inputs.ack = static_cast<uint32_t>(remoteContiguous());
  inputs.stepNow = static_cast<uint32_t>(stepNow);
  inputs.aheadQuarters = static_cast<int8_t>(std::clamp(aheadNow * 4.0, -127.0, 127.0));
  const int64_t first = std::max(otherHolds, localBase);
  inputs.firstStep = static_cast<uint32_t>(first);
  for (int64_t step = first; step < nextLocalStep() && inputs.steps.size() < size_t(kMaxStepsPerPacket); ++step) {
    inputs.steps.push_back(local[static_cast<size_t>(step - localBase)]);
  }
  link->sendQuick(encodeNetMessage(inputs));
  inputsNews = false;
  inputsSentAt = at;
}

void NetSession::checkState(int64_t step, uint64_t hash) {
  if (state != NetPhase::Ready) return;
  localHashes[step] = hash;
  sendMessage(NetStateHash{static_cast<uint32_t>(step), hash});
  compareHashes(step);
  // A hash the other game never pairs (it ended first) is not kept forever.
  while (localHashes.size() > kMaxWaitingHashes) localHashes.erase(localHashes.begin());
}

void NetSession::finish(NetByeReason reason, int64_t step) {
  if (state == NetPhase::Ended || finished) return;
  sendInputs(true);
  finished = true;
  finishedAt = now();
  sendMessage(NetBye{reason, static_cast<uint32_t>(step)});
  if (reason != NetByeReason::Finished || otherFinished) {
    link->close();
  }
  link->flush();
}

bool NetSession::closed() const {
  if (linkGone) return true;
  return (finished || state == NetPhase::Ended) && now() - finishedAt > kLingerMs;
}

void NetSession::sendMessage(const NetMessage& message) { link->send(encodeNetMessage(message)); }

void NetSession::fail(NetByeReason reason, int64_t step, const std::string& message, bool tellOther) {
  if (state == NetPhase::Ended) return;
  state = NetPhase::Ended;
  ended = message;
  whyEnded = reason;
  printMessage("%s", message.c_str());
  if (!finished) finishedAt = now();
  if (tellOther) sendMessage(NetBye{reason, static_cast<uint32_t>(step)});
  link->close();
  link->flush();
}
