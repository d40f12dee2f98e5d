#include "app/NetMatchFlow.h"

#include <vector>

#include "app/match/MatchSetup.h"
#include "app/menus/Language.h"
#include "engine/Random.h"

namespace {

// Language texts of network play.
constexpr int32_t kTextNetWaiting = 30;
constexpr int32_t kTextNetNoAnswer = 31;
constexpr int32_t kTextNetDesync = 32;
constexpr int32_t kTextNetClosed = 33;
constexpr int32_t kTextNetLeft = 34;
constexpr int32_t kTextNetVersions = 35;
constexpr int32_t kTextNetDelay = 36;
constexpr int32_t kTextNetChoose = 42;
constexpr int32_t kTextNetHostChoosing = 43;
constexpr int32_t kNetNoticeMs = 5000;
constexpr int32_t kNetDelayNoticeMs = 4000;
// In singles the joiner plays the far end; in doubles the far pair.
constexpr uint8_t kJoinerSlots = 0x2 | 0x8;

int32_t noticeFor(NetByeReason reason) {
  switch (reason) {
    case NetByeReason::Stalled: return kTextNetNoAnswer;
    case NetByeReason::Desync: return kTextNetDesync;
    case NetByeReason::Left: return kTextNetLeft;
    case NetByeReason::Refused: return kTextNetVersions;
    default: return kTextNetClosed;
  }
}

// The language file's text is data: its "%d" marks are filled in by hand,
// never handed to printf.
std::string filledIn(std::string shown, std::initializer_list<int32_t> values) {
  for (const int32_t value : values) {
    const size_t mark = shown.find("%d");
    if (mark != std::string::npos) shown.replace(mark, 2, std::to_string(value));
  }
  return shown;
}

}  // namespace

NetMatchFlow::~NetMatchFlow() {
  if (net) net->finish(NetByeReason::Left, netStep);
}

void NetMatchFlow::noteReport(const NetSession& session) {
  Report noted{session.setup().inputDelay, session.roundTripMs(), session.bytesSent(), session.bytesReceived(),
               session.endMessage()};
  while (!noted.ended.empty() && noted.ended.back() == '\n') noted.ended.pop_back();
  report = std::move(noted);
}

void NetMatchFlow::waitForNetwork(uint32_t ms) {
  if (net) {
    net->pump(ms);
    noteReport(*net);
  } else if (pendingNet) {
    pendingNet->pump(ms);
  } else if (lingeringNet) {
    lingeringNet->pump(ms);
    noteReport(*lingeringNet);
    if (lingeringNet->closed()) lingeringNet.reset();
  }
}

const NetSession* NetMatchFlow::session() const {
  if (net) return net.get();
  if (lingeringNet) return lingeringNet.get();
  return pendingNet.get();
}

void NetMatchFlow::awaitMatch(std::unique_ptr<NetSession> session) {
  pendingNet = std::move(session);
  stage.showNotice(text(kTextNetWaiting), kNetNoticeMs);
}

void NetMatchFlow::followSessions() {
  if (net) {
    net->pump();
    noteReport(*net);
  }
  if (lingeringNet) {
    lingeringNet->pump();
    noteReport(*lingeringNet);
    if (lingeringNet->closed()) lingeringNet.reset();
  }
  if (!pendingNet) {
    pendingSeen = nullptr;
    shareChoice();
    return;
  }
  // The phase may also have moved on while the loop waited for the network.
  const NetPhase before = pendingNet.get() == pendingSeen ? pendingSeenPhase : NetPhase::Waiting;
  pendingNet->pump();
  pendingSeen = pendingNet.get();
  pendingSeenPhase = pendingNet->phase();
  Menu& menu = stage.currentMenus();
  const bool waitingScreen = menu.screen() == HostWaiting || menu.screen() == JoinWaiting;
  if (pendingNet->phase() == NetPhase::Ended) {
    stage.showNotice(text(noticeFor(pendingNet->endReason())), kNetNoticeMs);
    pendingNet.reset();
    if (waitingScreen) menu.goToScreen(NetworkMenu);
  } else if (pendingNet->phase() == NetPhase::Greeted && before != NetPhase::Greeted) {
    // The other game is there: the host chooses the match; the joiner its
    // people, first each on its own keys.
    if (!pendingNet->hosting()) {
      int32_t keySet = 0;
      for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
        if (kJoinerSlots >> slot & 1u) matchSetup.slots[slot].controller = keySet++;
      }
    }
    if (pendingNet->hosting() && waitingScreen) {
      menu.goToScreen(MatchOptions);
      stage.showNotice(text(kTextNetChoose), kNetNoticeMs);
    } else if (waitingScreen) {
      menu.setNetworkLines({menu.typedAddress(), text(kTextNetHostChoosing)});
    }
  } else if (pendingNet->phase() == NetPhase::Ready && !stage.playingMatch()) {
    startMatch(std::move(pendingNet));
  }
  shareChoice();
}

void NetMatchFlow::shareChoice() {
  const bool choosing = pendingNet && pendingNet->phase() == NetPhase::Greeted && !stage.playingMatch();
  Menu& menu = stage.currentMenus();
  if (!choosing) {
    menu.setNetworkPlay(0, false, true);
    return;
  }
  const bool hosting = pendingNet->hosting();
  const uint8_t others = hosting ? kJoinerSlots : static_cast<uint8_t>(kAllSlotsMask & ~kJoinerSlots);
  bool changed = false;
  if (const std::optional<NetChoice> theirs = pendingNet->takeOtherChoice()) {
    if (!hosting) {
      changed = matchSetup.doublesFlag != (theirs->doubles ? 1 : 0) || matchSetup.setsToPlay != theirs->setsToPlay ||
                matchSetup.gamesPerSet != theirs->gamesPerSet;
      matchSetup.doublesFlag = theirs->doubles ? 1 : 0;
      matchSetup.setsToPlay = theirs->setsToPlay;
      matchSetup.gamesPerSet = theirs->gamesPerSet;
    }
    for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
      if ((others >> slot & 1u) == 0 || matchSetup.slots[slot] == theirs->slots[slot]) continue;
      matchSetup.slots[slot] = theirs->slots[slot];
      changed = true;
    }
    // The joiner's picture opens once it knows the host's mode.
    if (!hosting && menu.screen() != PlayerSelect && menu.screen() != PlayerSetup) {
      menu.setNetworkPlay(others, true, false);
      menu.goToScreen(PlayerSelect);
    }
  }
  pendingNet->shareChoice(NetChoice{0, 0, matchSetup.doublesFlag != 0, matchSetup.setsToPlay, matchSetup.gamesPerSet,
                                    matchSetup.slots});
  menu.setNetworkPlay(others, !hosting, hosting && pendingNet->otherSeesMyChoice());
  if (changed) menu.refreshPlayerSelect();
}

bool NetMatchFlow::offerMatch(bool doubles) {
  if (!pendingNet) return false;
  if (pendingNet->hosting() && pendingNet->phase() == NetPhase::Greeted && pendingNet->otherSeesMyChoice()) {
    NetSetup offered{doubles, matchSetup.setsToPlay, matchSetup.gamesPerSet, matchSetup.slots, randomState(), 0,
                     kJoinerSlots, 0};
    pendingNet->offer(offered, forcedInputDelay);
    startMatch(std::move(pendingNet));
  } else {
    stage.currentMenus().goToScreen(PlayerSelect);
    stage.showNotice(text(kTextNetWaiting), kNetNoticeMs);
  }
  return true;
}

void NetMatchFlow::startMatch(std::unique_ptr<NetSession> session) {
  const NetSetup& agreed = session->setup();
  matchSetup.slots = agreed.slots;
  matchSetup.doublesFlag = agreed.doubles ? 1 : 0;
  matchSetup.setsToPlay = agreed.setsToPlay;
  matchSetup.gamesPerSet = agreed.gamesPerSet;
  setRandomState(agreed.seed);
  stage.startAgreedMatch(agreed.doubles, session->localSlots());
  net = std::move(session);
  netStep = 0;
  stage.showNotice(filledIn(text(kTextNetDelay), {agreed.inputDelay, agreed.roundTripMs}), kNetDelayNoticeMs);
}

bool NetMatchFlow::nextInput(StepInput& input, const std::function<StepInput()>& sampleLocal) {
  if (net->phase() != NetPhase::Ready) return false;
  // This game's people, sampled once a step played, for the step one delay on.
  while (net->nextLocalStep() <= netStep + net->setup().inputDelay) net->sendLocal(sampleLocal());
  return net->inputFor(netStep, input);
}

void NetMatchFlow::afterStep(const std::function<uint64_t()>& stateHash) {
  if ((netStep + 1) % kStepsPerStateHash == 0) net->checkState(netStep, stateHash());
  ++netStep;
}

std::string NetMatchFlow::endMatch(bool finished) {
  if (!net) return {};
  std::string reason;
  if (net->phase() == NetPhase::Ended) {
    reason = text(noticeFor(net->endReason()));
  } else {
    net->finish(finished ? NetByeReason::Finished : NetByeReason::Left, netStep);
  }
  lingeringNet = std::move(net);
  return reason;
}

void NetMatchFlow::followMenus() {
  Menu& menu = stage.currentMenus();
  switch (menu.screen()) {
    case HostRequest: {
      if (!pendingNet) pendingNet = NetSession::host(NetAddress{"", kDefaultNetPort});
      if (!pendingNet) {
        menu.goToScreen(NetworkMenu);
        stage.showNotice(text(kTextNetClosed), kNetNoticeMs);
        break;
      }
      std::vector<std::string> lines;
      for (const std::string& address : localAddresses()) lines.push_back(address + ":" + std::to_string(kDefaultNetPort));
      lines.push_back(text(kTextNetWaiting));
      menu.goToScreen(HostWaiting);
      menu.setNetworkLines(std::move(lines));
      break;
    }
    case JoinRequest: {
      const std::string typed = menu.typedAddress();
      const std::optional<NetAddress> address = parseNetAddress(typed, "");
      pendingNet.reset();
      if (address) pendingNet = NetSession::join(*address);
      if (!pendingNet) {
        menu.goToScreen(JoinAddress);
        stage.showNotice(text(kTextNetClosed), kNetNoticeMs);
        break;
      }
      menu.goToScreen(JoinWaiting);
      menu.setNetworkLines({typed, text(kTextNetWaiting)});
      break;
    }
    case NetCancel:
      pendingNet.reset();
      menu.goToScreen(NetworkMenu);
      break;
    default: break;
  }
}
