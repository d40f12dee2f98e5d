// Network play: the packet reader on good and broken packets, and two
// sessions in one process over 127.0.0.1 that agree on a match, combine
// their commands, and end on a hash that differs or on a hostile packet.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/net/NetPacket.h"
#include "app/net/NetSession.h"

namespace {

StepInput withSlot(int32_t slot, uint8_t held, uint8_t pressed, uint8_t matchKeys = 0) {
  StepInput input;
  input.slots[slot] = {held, pressed};
  input.matchKeys = matchKeys;
  return input;
}

TEST(NetPacketTest, EveryMessageReadsBackAsWritten) {
  const NetSetup setup{true, 5, 6, {{{1, 0}, {2, 4}, {3, 9}, {4, 1}}}, 0xdeadbeef, 7, 0xa, 156};
  const std::vector<NetMessage> messages{
      NetHello{kNetProtocolVersion, "1.0.0"}, NetPing{0x01020304}, NetPong{7}, setup,
      NetInputs{0x5, true, 77, 1300, -9, 1234, {withSlot(0, 0x3f, 0x10, kMatchKeyEnter), withSlot(2, 1, 0)}},
      NetInputs{0x2, false, 9, 12, 127, 10, {}},
      NetStateHash{61, 0x845bed3dee1cc9f2ull}, NetBye{NetByeReason::Desync, 4321},
      NetChoice{0x01020304, 70000, true, 3, 2, {{{0, 0}, {4, 9}, {1, 3}, {2, 4}}}}};
  for (const NetMessage& message : messages) {
    std::string why;
    const std::optional<NetMessage> read = decodeNetMessage(encodeNetMessage(message), why);
    ASSERT_TRUE(read) << why;
    EXPECT_EQ(*read, message);
  }
}

TEST(NetPacketTest, EveryBrokenPacketIsNoMessageAndSaysWhy) {
  // Kind, slots, flags, ack (4), the sender's step (4), how far ahead, the
  // first step (4), the count, then a step: match keys, held, pressed.
  const std::string inputs = encodeNetMessage(NetInputs{0x1, false, 9, 9, 0, 9, {withSlot(0, 1, 0)}});
  const auto changed = [&inputs](size_t at, char value) {
    std::string bytes = inputs;
    bytes[at] = value;
    return bytes;
  };
  const std::string setup = encodeNetMessage(NetSetup{});
  const std::string choice = encodeNetMessage(NetChoice{});
  const std::vector<std::string> broken{
      "",
      std::string(kMaxPacketBytes + 1, '\x02'),
      "\x09",                                            // no such kind
      "\x01ZNEX\x01\x01" "a",                            // not a hello
      "\x01ZNET\x01\x11" + std::string(17, 'v'),         // a version too long
      inputs + "x",                                      // bytes left over
      inputs.substr(0, inputs.size() - 1),               // bytes missing
      changed(1, '\x10'),                                // a fifth slot
      changed(2, '\x02'),                                // an unknown flag
      changed(16, static_cast<char>(kMaxStepsPerPacket + 1)),  // too many steps
      changed(17, '\x04'),                               // an unknown match key
      changed(18, '\x40'),                               // a seventh control
      setup.substr(0, 2) + '\x06' + setup.substr(3),     // six sets
      std::string("\x07\x06\0\0\0\0", 6),                // an unknown reason
      choice.substr(0, 13) + '\x0a' + choice.substr(14),  // a slot's eleventh controller
  };
  for (const std::string& bytes : broken) {
    std::string why;
    EXPECT_FALSE(decodeNetMessage(bytes, why)) << testing::PrintToString(bytes);
    EXPECT_FALSE(why.empty()) << testing::PrintToString(bytes);
  }
}

// Pumps until `done` or a bound of tries; the sessions run over the loopback.
bool pumpUntil(const std::vector<NetSession*>& sessions, const std::function<bool()>& done) {
  for (int tries = 0; tries < 1000; ++tries) {
    if (done()) return true;
    for (NetSession* session : sessions) session->pump(2);
  }
  return false;
}

NetAddress loopback(uint16_t port) { return NetAddress{"127.0.0.1", port}; }

TEST(NetPlayTest, TwoSessionsAgreeCombineTheirSlotsAndEndOnADifferentHash) {
  std::unique_ptr<NetSession> host = NetSession::host(loopback(0));
  ASSERT_TRUE(host);
  std::unique_ptr<NetSession> joiner = NetSession::join(loopback(host->localPort()));
  ASSERT_TRUE(joiner);
  ASSERT_TRUE(pumpUntil({host.get(), joiner.get()}, [&] { return host->phase() == NetPhase::Greeted; }));
  // The menus' choices cross until each side has seen the other's latest.
  const NetChoice hostChoice{0, 0, false, 1, 2, {{{1, 0}, {0, 1}, {0, 2}, {0, 3}}}};
  const NetChoice joinerChoice{0, 0, false, 3, 2, {{{0, 0}, {4, 0}, {0, 2}, {0, 1}}}};
  std::optional<NetChoice> seenByHost;
  ASSERT_TRUE(pumpUntil({host.get(), joiner.get()}, [&] {
    host->shareChoice(hostChoice);
    joiner->shareChoice(joinerChoice);
    if (std::optional<NetChoice> taken = host->takeOtherChoice()) seenByHost = taken;
    return host->otherSeesMyChoice() && joiner->otherSeesMyChoice();
  }));
  ASSERT_TRUE(seenByHost);
  EXPECT_EQ(seenByHost->slots, joinerChoice.slots);
  host->shareChoice(NetChoice{0, 0, true, 1, 2, hostChoice.slots});
  EXPECT_FALSE(host->otherSeesMyChoice());
  NetSetup offered{false, 1, 2, {{{1, 0}, {4, 0}, {0, 2}, {0, 3}}}, 99, 0, 0x2 | 0x8, 0};
  host->offer(offered, 3);
  ASSERT_TRUE(pumpUntil({host.get(), joiner.get()}, [&] { return joiner->phase() == NetPhase::Ready; }));
  EXPECT_EQ(joiner->setup().seed, 99u);
  EXPECT_EQ(joiner->setup().inputDelay, 3);
  EXPECT_EQ(host->localSlots(), 0x1);
  EXPECT_EQ(joiner->localSlots(), 0x2);

  // Each side's people at its own slots; the other side's slots ignored.
  // The first steps, one input delay, have no commands to wait for.
  EXPECT_EQ(host->remoteContiguous(), 3);
  StepInput hostStep = withSlot(0, playerKeyBit(KeyHit), playerKeyBit(KeyHit));
  hostStep.slots[1] = {0x3f, 0x3f};
  host->sendLocal(hostStep);
  joiner->sendLocal(withSlot(1, playerKeyBit(KeyLeft), 0, kMatchKeyEnter));
  ASSERT_TRUE(pumpUntil({host.get(), joiner.get()}, [&] { return host->remoteContiguous() == 4; }));
  EXPECT_EQ(host->localInput(3), withSlot(0, playerKeyBit(KeyHit), playerKeyBit(KeyHit)));
  EXPECT_EQ(host->remoteInput(3), withSlot(1, playerKeyBit(KeyLeft), 0, kMatchKeyEnter));
  EXPECT_FALSE(host->remoteInput(4));  // not sent yet
  // Each side hears where the other is and whether it paused.
  joiner->setLocalStatus(1, true);
  ASSERT_TRUE(pumpUntil({host.get(), joiner.get()}, [&] { return host->remotePaused(); }));
  EXPECT_EQ(host->remoteStepNow(), 1);

  testing::internal::CaptureStdout();
  host->checkState(61, 1);
  joiner->checkState(61, 2);
  pumpUntil({host.get(), joiner.get()},
            [&] { return host->phase() == NetPhase::Ended && joiner->phase() == NetPhase::Ended; });
  const std::string said = testing::internal::GetCapturedStdout();
  EXPECT_EQ(host->endReason(), NetByeReason::Desync);
  EXPECT_EQ(joiner->endReason(), NetByeReason::Desync);
  EXPECT_EQ(said, "Los dos juegos ya no juegan el mismo partido desde el paso 61: la partida termina\n"
                  "Los dos juegos ya no juegan el mismo partido desde el paso 61: la partida termina\n");
}

TEST(NetPlayTest, AHostilePeerEndsTheSessionWithOneLine) {
  struct Case {
    std::string sent;
    NetByeReason reason;
  };
  const std::vector<Case> cases{
      {"\xff garbage", NetByeReason::BadPacket},
      {encodeNetMessage(NetHello{kNetProtocolVersion, "0.9"}), NetByeReason::Refused},
      {encodeNetMessage(NetHello{kNetProtocolVersion + 1, "1.0.0"}), NetByeReason::Refused},
      {encodeNetMessage(NetPing{1}), NetByeReason::BadPacket},  // before any hello
  };
  for (const Case& hostile : cases) {
    std::unique_ptr<NetSession> host = NetSession::host(loopback(0));
    ASSERT_TRUE(host);
    std::unique_ptr<NetLink> raw = NetLink::connect(loopback(host->localPort()));
    ASSERT_TRUE(raw);
    testing::internal::CaptureStdout();
    bool sent = false;
    for (int tries = 0; tries < 1000 && host->phase() != NetPhase::Ended; ++tries) {
      host->pump(2);
      if (raw->poll(2).kind == NetEventKind::Connected || (raw->connected() && !sent)) {
        raw->send(hostile.sent);
        sent = true;
      }
    }
    const std::string said = testing::internal::GetCapturedStdout();
    ASSERT_EQ(host->phase(), NetPhase::Ended) << testing::PrintToString(hostile.sent);
    EXPECT_EQ(host->endReason(), hostile.reason);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
}

}  // namespace
