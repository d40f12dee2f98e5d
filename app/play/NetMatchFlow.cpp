#include "app/play/NetMatchFlow.h"

#include <vector>

#include "app/match/MatchSetup.h"
#include "app/menus/Language.h"
#include "app/menus/TextLines.h"
#include "engine/Random.h"

namespace {

constexpr int32_t kNetNoticeMs = 5000;
constexpr int32_t kQualityNoticeMs = 4000;
// Shown again every frame while the other player pauses: it goes soon after.
constexpr int32_t kPausedNoticeMs = 300;

// The connection as a player feels it: how much of the other game's play is
// predicted and corrected, from the round trip (ms).
struct Quality {
  int32_t belowRoundTripMs;
  int32_t textIndex;
};
constexpr Quality kQualities[] = {{100, kTextNetVeryGood}, {200, kTextNetGood}, {320, kTextNetFair}};

int32_t qualityText(int32_t roundTripMs) {
  for (const Quality& quality : kQualities) {
    if (roundTripMs < quality.belowRoundTripMs) return quality.textIndex;
  }
  return kTextNetSlow;
}
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

}  // namespace

NetMatchFlow::~NetMatchFlow() {
  if (net) net->finish(NetByeReason::Left, rollback ? rollback->certain() : 0);
}

void NetMatchFlow::noteReport(const NetSession& session) {
  Report noted{session.setup().inputDelay, session.roundTripMs(), session.bytesSent(), session.bytesReceived(),
               session.endMessage()};
  while (!noted.ended.empty() && noted.ended.back() == '\n') noted.ended.pop_back();
  if (rollback) {
    const NetRollback::Stats& stats = rollback->stats();
    noted.steps = rollback->certain();
    noted.rollbacks = stats.rollbacks;
    noted.stepsPlayedAgain = stats.stepsPlayedAgain;
    noted.deepestRollback = stats.deepest;
    noted.heldSteps = stats.heldSteps;
  } else if (report) {
    noted.steps = report->steps;
    noted.rollbacks = report->rollbacks;
    noted.stepsPlayedAgain = report->stepsPlayedAgain;
    noted.deepestRollback = report->deepestRollback;
    noted.heldSteps = report->heldSteps;
  }
  noted.waitedSeconds = waitedSeconds;
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
  const bool hosting = session->hosting();
  pendingNet = std::move(session);
  // Started from the command line: the screen says what is going on.
  Menu& menu = stage.currentMenus();
  menu.goToScreen(hosting ? HostWaiting : JoinWaiting);
  std::vector<std::string> lines;
  if (hosting) {
    for (const std::string& address : localAddresses()) {
      lines.push_back(address + ":" + std::to_string(pendingNet->localPort()));
    }
  }
  lines.push_back(text(kTextNetWaiting));
  menu.setNetworkLines(std::move(lines));
}

void NetMatchFlow::followSessions() {
  if (net) {
    net->pump();
    noteReport(*net);
    if (net->remotePaused()) stage.showNotice(text(kTextNetOtherPaused), kPausedNoticeMs);
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
    if (pendingNet->hosting()) {
      // Whatever menu shows: a host started from the command line waits on
      // the title, and the other game is here now.
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
  rollback = std::make_unique<NetRollback>(*net, stage.playedMatch());
  uncertain.clear();
  waitingSince.reset();
  waitedSeconds = 0.0;
  stage.showNotice(text(qualityText(agreed.roundTripMs)), kQualityNoticeMs);
}

bool NetMatchFlow::playStep(const std::function<StepInput()>& sampleLocal,
                            const std::function<void(const PlayedStep&)>& onCertain) {
  if (net->phase() != NetPhase::Ready) return false;
  net->setLocalStatus(stage.playedMatch().stepsTaken(), stage.currentMenus().screen() == Paused);
  played.clear();
  const NetRollback::Advance advanced = rollback->advance(sampleLocal, played);
  MatchPresentation& presentation = stage.matchPresentation();
  for (const PlayedStep& step : played) {
    presentation.carryOutPlayed(step, stage.playedMatch());
    uncertain[step.outcome.step] = step;
  }
  if (!played.empty() && !played.back().again) presentation.moveCameras(stage.playedMatch());
  tellCertain(onCertain);
  const auto now = std::chrono::steady_clock::now();
  if (advanced == NetRollback::Advance::Waiting) {
    if (!waitingSince) waitingSince = now;
    return false;
  }
  if (waitingSince) waitedSeconds += std::chrono::duration<double>(now - *waitingSince).count();
  waitingSince.reset();
  return true;
}

void NetMatchFlow::tellCertain(const std::function<void(const PlayedStep&)>& onCertain) {
  const int64_t certain = rollback->certain();
  stage.matchPresentation().carryOutCertain(certain, stage.playedMatch());
  while (!uncertain.empty() && uncertain.begin()->first <= certain) {
    if (onCertain) onCertain(uncertain.begin()->second);
    uncertain.erase(uncertain.begin());
  }
}

std::string NetMatchFlow::endMatch(bool finished) {
  if (!net) return {};
  std::string reason;
  const int64_t step = rollback ? rollback->certain() : 0;
  if (net->phase() == NetPhase::Ended) {
    reason = text(noticeFor(net->endReason()));
  } else {
    net->finish(finished ? NetByeReason::Finished : NetByeReason::Left, step);
  }
  noteReport(*net);
  rollback.reset();
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
