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
      NetCommands{0x5, 1234, {withSlot(0, 0x3f, 0x10, kMatchKeyEnter), withSlot(2, 1, 0)}},
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
  const std::string commands = encodeNetMessage(NetCommands{0x1, 9, {withSlot(0, 1, 0)}});
  const std::string setup = encodeNetMessage(NetSetup{});
  const std::string choice = encodeNetMessage(NetChoice{});
  const std::vector<std::string> broken{
      "",
      std::string(kMaxPacketBytes + 1, '\x02'),
      "\x09",                                            // no such kind
      "\x01ZNEX\x01\x01" "a",                            // not a hello
      "\x01ZNET\x01\x11" + std::string(17, 'v'),         // a version too long
      commands + "x",                                    // bytes left over
      commands.substr(0, commands.size() - 1),           // bytes missing
      std::string("\x05\x01\x09\0\0\0\0", 7),            // no steps
      std::string("\x05\x10\x09\0\0\0\x01\0", 8),        // a fifth slot
      std::string("\x05\x01\x09\0\0\0\x01\0\x40\0", 10), // a seventh control
      std::string("\x05\x01\x09\0\0\0\x01\x04\0\0", 10), // an unknown match key
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

TEST(NetPlayTest, InputDelayCoversHalfTheRoundTripAndAFrame) {
  EXPECT_EQ(chooseInputDelay(0), kMinInputDelay);
  EXPECT_EQ(chooseInputDelay(60), 4);
  EXPECT_EQ(chooseInputDelay(150), 7);
  EXPECT_EQ(chooseInputDelay(1'000'000), kMaxInputDelay);
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
  StepInput hostStep = withSlot(0, playerKeyBit(KeyHit), playerKeyBit(KeyHit));
  hostStep.slots[1] = {0x3f, 0x3f};
  host->sendLocal(hostStep);
  joiner->sendLocal(withSlot(1, playerKeyBit(KeyLeft), 0, kMatchKeyEnter));
  StepInput input;
  for (int64_t step = 0; step < 3; ++step) ASSERT_TRUE(host->inputFor(step, input));
  EXPECT_EQ(input, StepInput{});
  ASSERT_TRUE(pumpUntil({host.get(), joiner.get()}, [&] { return host->inputFor(3, input); }));
  StepInput expected = withSlot(0, playerKeyBit(KeyHit), playerKeyBit(KeyHit), kMatchKeyEnter);
  expected.slots[1] = {playerKeyBit(KeyLeft), 0};
  EXPECT_EQ(input, expected);
  EXPECT_FALSE(host->inputFor(4, input));  // not sent yet: the match waits

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
