// Gamepads as the game reads them, held through SDL's own virtual joysticks
// (plugged and pressed by a pad script), so that every event is one SDL made:
// which slot a pad's controls reach, the stick's dead zone, pads unplugged
// and plugged during play, and the menu pushes a held direction repeats.

#include "app/input/Gamepads.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/input/KeySampler.h"
#include "app/input/Keyboard.h"
#include "app/input/PadScript.h"

namespace {

constexpr uint8_t kHit = playerKeyBit(KeyHit);
constexpr uint8_t kDive = playerKeyBit(KeyDive);
constexpr uint8_t kUp = playerKeyBit(KeyUp);
constexpr uint8_t kDown = playerKeyBit(KeyDown);
constexpr uint8_t kLeft = playerKeyBit(KeyLeft);
constexpr uint8_t kRight = playerKeyBit(KeyRight);
constexpr uint32_t kFrameMs = 16;

class GamepadsTest : public ::testing::Test {
 protected:
  void SetUp() override { releaseAllKeys(); }

  void start(const std::array<int32_t, kKeySetCount>& order = {0, 1, 2, 3}, bool swap = false) {
    script.reset();
    pads = std::make_unique<Gamepads>(order, swap);
    script = std::make_unique<PadScript>();
    sampler = KeySampler(pads.get());
  }
  void feed(const std::string& orders) {
    script->take(orders);
    pads->poll();
  }
  // The commands of slots 0 to 3, played on key sets 0 to 3.
  StepInput sample() { return sampler.sample({0, 1, 2, 3}, keySets); }

  std::unique_ptr<Gamepads> pads;
  std::unique_ptr<PadScript> script;
  KeySampler sampler;
  std::array<KeySet, kKeySetCount> keySets{};  // no key bound: only the pads play
};

TEST_F(GamepadsTest, ButtonsAndStickBecomeTheControlsOfThePadsSlot) {
  const struct {
    std::string orders;
    bool swap;
    uint8_t slot0;
    uint8_t slot1;
    uint8_t matchKeys;
  } cases[] = {
      {"0 a 1", false, kHit, 0, kMatchKeyEnter},
      {"0 b 1", false, kDive, 0, 0},
      {"0 a 1", true, kDive, 0, kMatchKeyEnter},
      {"0 b 1", true, kHit, 0, 0},
      {"0 dpup 1\n0 dpleft 1", false, kUp | kLeft, 0, 0},
      {"0 dpdown 1\n0 dpright 1", false, kDown | kRight, 0, 0},
      {"0 leftx -20000\n0 lefty 20000", false, kLeft | kDown, 0, 0},
      {"0 leftx 32767\n0 lefty -32768", false, kRight | kUp, 0, 0},
      {"0 start 1\n0 x 1\n0 righty 30000", false, 0, 0, kMatchKeyEscape},
      {"1 a 1\n1 dpleft 1", false, 0, kHit | kLeft, kMatchKeyEnter},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.orders);
    start({0, 1, 2, 3}, c.swap);
    feed("0 plug\n1 plug\n");
    sample();
    feed(c.orders + "\n");
    const StepInput input = sample();
    EXPECT_EQ(input.slots[0], (PlayerCommand{c.slot0, c.slot0}));
    EXPECT_EQ(input.slots[1], (PlayerCommand{c.slot1, c.slot1}));
    EXPECT_EQ(input.matchKeys, c.matchKeys);
    EXPECT_EQ(input.slots[2], PlayerCommand{});
  }
}

TEST_F(GamepadsTest, TheStickTurnsADirectionOnBeyondItsDeadZoneAndOffOnlyInsideIt) {
  start();
  feed("0 plug\n");
  const struct {
    int32_t value;
    bool left;
  } tilts[] = {{-5000, false}, {-(kStickEngage + 1), true}, {-9000, true}, {-(kStickRelease - 1), false},
               {-9000, false}, {-32768, true},                {0, false},   {kStickEngage + 1, false}};
  for (const auto& tilt : tilts) {
    SCOPED_TRACE(tilt.value);
    feed("0 leftx " + std::to_string(tilt.value) + "\n");
    EXPECT_EQ(sample().slots[0].isHeld(KeyLeft), tilt.left);
  }
}

TEST_F(GamepadsTest, UnpluggedPadsLetGoAtOnceAndPadsPluggedLaterTakeTheFirstFreeKeySet) {
  start({1, 0, 2, 3});
  feed("0 plug\n1 plug\n");
  feed("0 a 1\n0 dpleft 1\n0 leftx 30000\n1 b 1\n");
  EXPECT_EQ(sample().slots[1].held, kHit | kLeft | kRight);  // the first pad takes the first set of the order
  feed("0 unplug\n");
  StepInput input = sample();
  EXPECT_EQ(input.slots[1], PlayerCommand{});
  EXPECT_EQ(input.slots[0].held, kDive);

  feed("2 plug\n3 plug\n");
  feed("2 dpup 1\n3 dpdown 1\n");
  input = sample();
  EXPECT_EQ(input.slots[1].held, kUp);
  EXPECT_EQ(input.slots[2].held, kDown);
  EXPECT_EQ(pads->padCount(), 3);

  // Four pads hold every key set: a fifth only moves the menus.
  testing::internal::CaptureStdout();
  script.reset();  // its pads unplugged
  pads->poll();
  script = std::make_unique<PadScript>();
  feed("0 plug\n1 plug\n2 plug\n3 plug\n");
  const std::unique_ptr<PadScript> fifth = std::make_unique<PadScript>();
  fifth->take("0 plug\n");
  pads->poll();
  const std::string said = testing::internal::GetCapturedStdout();
  EXPECT_EQ(said, "El mando Zumbolo virtual pad no tiene teclas libres: solo sirve en los menus\n");
  fifth->take("0 dpright 1\n");
  pads->poll();
  EXPECT_TRUE(pads->takeMenuPresses(kFrameMs).directions[Right]);

  // A device that SDL cannot read as a pad is named and left alone.
  SDL_VirtualJoystickDesc wheel{};
  wheel.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  wheel.type = SDL_JOYSTICK_TYPE_WHEEL;
  wheel.naxes = 2;
  wheel.nbuttons = 3;
  wheel.name = "Odd wheel";
  const int wheelIndex = SDL_JoystickAttachVirtualEx(&wheel);
  testing::internal::CaptureStdout();
  pads->poll();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Mando desconocido, no se usa: Odd wheel\n");
  EXPECT_EQ(pads->padCount(), 5);
  SDL_JoystickDetachVirtual(wheelIndex);
}

TEST_F(GamepadsTest, AStruckBallRumblesThePadOfItsKeySetOnly) {
  start();
  feed("0 plug\n1 plug\n");
  pads->rumble(1);
  pads->rumble(3);  // no pad: nothing
  EXPECT_EQ(script->rumbles(0), 0);
  EXPECT_EQ(script->rumbles(1), 1);
}

// One push moves the highlight once, whatever else the pads do in that
// frame; held, it repeats after a pause and then at a steady rate, one a
// frame at most.
TEST_F(GamepadsTest, AMenuDirectionPushedOnceMovesOnceAndHeldRepeatsAtItsRate) {
  start();
  feed("0 plug\n1 plug\n");
  pads->takeMenuPresses(kFrameMs);
  feed("0 lefty 30000\n1 dpdown 1\n");
  std::vector<uint32_t> pushedAtMs;
  for (uint32_t ms = 0; ms < 1000; ms += kFrameMs) {
    if (ms == 12 * kFrameMs) feed("0 lefty 9000\n");  // a stick wavering near the dead zone's edge
    if (ms == 13 * kFrameMs) feed("0 lefty 20000\n");
    if (ms == 20 * kFrameMs) feed("1 dpdown 0\n");
    if (pads->takeMenuPresses(kFrameMs).directions[Down]) pushedAtMs.push_back(ms);
  }
  ASSERT_GE(pushedAtMs.size(), 3u);
  EXPECT_EQ(pushedAtMs[0], 0u);
  EXPECT_GE(pushedAtMs[1], kMenuRepeatDelayMs);
  EXPECT_LT(pushedAtMs[1], kMenuRepeatDelayMs + kFrameMs);
  for (size_t i = 2; i < pushedAtMs.size(); ++i) {
    EXPECT_GE(pushedAtMs[i] - pushedAtMs[i - 1], kMenuRepeatIntervalMs);
    EXPECT_LT(pushedAtMs[i] - pushedAtMs[i - 1], kMenuRepeatIntervalMs + kFrameMs);
  }
  feed("0 lefty 0\n");
  EXPECT_FALSE(pads->takeMenuPresses(5000).directions[Down]);
  feed("0 dpdown 1\n");
  EXPECT_TRUE(pads->takeMenuPresses(5000).directions[Down]);
  EXPECT_FALSE(pads->takeMenuPresses(kMenuRepeatDelayMs - 1).directions[Down]);
  EXPECT_TRUE(pads->takeMenuPresses(5000).directions[Down]);

  feed("0 a 1\n0 b 1\n1 start 1\n");
  const PadMenuPresses buttons = pads->takeMenuPresses(kFrameMs);
  EXPECT_TRUE(buttons.select && buttons.back && buttons.pause);
  const PadMenuPresses after = pads->takeMenuPresses(kFrameMs);
  EXPECT_FALSE(after.select || after.back || after.pause);
}

TEST(PadScriptTest, OrdersItCannotFollowAreNamedByLineAndSkipped) {
  PadScript script;
  testing::internal::CaptureStdout();
  script.take("0 plug\n0 a 2\n0 leftx 40000\n9 plug\n0 jump 1\n" + std::string(200, '0') + "\n0 a 1\n0 unplug\n0 a");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "guion de mandos:2: orden de mando que no se entiende\n"
            "guion de mandos:3: orden de mando que no se entiende\n"
            "guion de mandos:4: orden de mando que no se entiende\n"
            "guion de mandos:5: orden de mando que no se entiende\n"
            "guion de mandos:6: linea demasiado larga, no se sigue\n");
  EXPECT_EQ(SDL_NumJoysticks(), 0);  // plugged, pressed and unplugged again
}

}  // namespace
