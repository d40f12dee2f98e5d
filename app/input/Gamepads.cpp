#include "app/input/Gamepads.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>

#include "engine/Log.h"

namespace {

const PadControls kNoControls;

constexpr uint32_t buttonBit(int32_t button) { return 1u << button; }

// The d-pad buttons in MenuDirection order (up, down, right, left).
constexpr std::array<SDL_GameControllerButton, kMenuDirectionCount> kDpadByMenuDirection{
    SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
    SDL_CONTROLLER_BUTTON_DPAD_LEFT};
// The player's controls in MenuDirection order.
constexpr std::array<PlayerKey, kMenuDirectionCount> kKeyByMenuDirection{KeyUp, KeyDown, KeyRight, KeyLeft};

// One stick axis: the direction toward its negative end and toward its
// positive end turn on beyond kStickEngage and off inside kStickRelease.
uint8_t axisDirections(uint8_t held, int16_t value, PlayerKey negative, PlayerKey positive) {
  const auto follow = [&](PlayerKey key, int32_t reach) {
    const uint8_t bit = playerKeyBit(key);
    if (reach > kStickEngage) held |= bit;
    if (reach < kStickRelease) held &= static_cast<uint8_t>(~bit);
  };
  follow(negative, -static_cast<int32_t>(value));
  follow(positive, value);
  return held;
}

}  // namespace

Gamepads::Gamepads(const std::array<int32_t, kKeySetCount>& keySetOrder, bool swapHitAndDive)
    : order(keySetOrder), swapped(swapHitAndDive) {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The game's window is GLUT's, not SDL's: SDL must not wait for a window
  // of its own to have the focus before it reports the pads.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    printMessage("No se pudieron iniciar los mandos: %s; se juega con el teclado\n", SDL_GetError());
    return;
  }
  started = true;
}

Gamepads::~Gamepads() {
  if (!started) return;
  for (Pad& pad : pads) SDL_GameControllerClose(pad.controller);
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

void Gamepads::poll() {
  if (!started) return;
  SDL_Event event;
  while (SDL_PollEvent(&event) == 1) {
    switch (event.type) {
      case SDL_JOYDEVICEADDED:
        if (!SDL_IsGameController(event.jdevice.which)) {
          const char* name = SDL_JoystickNameForIndex(event.jdevice.which);
          printMessage("Mando desconocido, no se usa: %s\n", name ? name : "(sin nombre)");
        }
        break;
      case SDL_CONTROLLERDEVICEADDED:
        open(event.cdevice.which);
        break;
      case SDL_CONTROLLERDEVICEREMOVED:
        close(event.cdevice.which);
        break;
      case SDL_CONTROLLERBUTTONDOWN:
      case SDL_CONTROLLERBUTTONUP:
        if (Pad* pad = find(event.cbutton.which)) setButton(*pad, event.cbutton.button, event.cbutton.state == SDL_PRESSED);
        break;
      case SDL_CONTROLLERAXISMOTION:
        if (Pad* pad = find(event.caxis.which)) setAxis(*pad, event.caxis.axis, event.caxis.value);
        break;
      default:
        break;
    }
  }
}

const PadControls& Gamepads::controls(int32_t keySet) const {
  return keySet >= 0 && keySet < kKeySetCount ? sets[keySet] : kNoControls;
}

bool Gamepads::anyHolds(SDL_GameControllerButton button) const {
  return std::any_of(pads.begin(), pads.end(), [&](const Pad& pad) { return (pad.buttons & buttonBit(button)) != 0; });
}

PadMenuPresses Gamepads::takeMenuPresses(uint32_t elapsedMs) {
  PadMenuPresses presses = pending;
  pending = {};
  for (Pad& pad : pads) {
    if (pad.menuDirection < 0) continue;
    // A push made this frame starts its hold now.
    if (pad.freshPush) {
      pad.freshPush = false;
      continue;
    }
    pad.menuHeldMs += elapsedMs;
    if (pad.menuHeldMs >= pad.nextRepeatMs) {
      presses.directions[pad.menuDirection] = true;
      // At most one repeat a frame, however long the frame.
      pad.nextRepeatMs = pad.menuHeldMs + kMenuRepeatIntervalMs;
    }
  }
  return presses;
}

void Gamepads::rumble(int32_t keySet) {
  for (const Pad& pad : pads) {
    // A pad without motors says so through the return value: nothing to do.
    if (pad.keySet == keySet) SDL_GameControllerRumble(pad.controller, kRumbleLow, kRumbleHigh, kRumbleMs);
  }
}

std::vector<ConnectedPad> Gamepads::connected() const {
  std::vector<ConnectedPad> list;
  for (const Pad& pad : pads) {
    const char* name = SDL_GameControllerName(pad.controller);
    list.push_back({name ? name : "", pad.keySet});
  }
  return list;
}

void Gamepads::configure(const std::array<int32_t, kKeySetCount>& keySetOrder, bool swapHitAndDive) {
  order = keySetOrder;
  swapped = swapHitAndDive;
  for (PadControls& set : sets) set.held = 0;
  for (Pad& pad : pads) pad.keySet = kNoPadKeySet;
  for (Pad& pad : pads) {
    pad.keySet = freeKeySet();
    // What is held stays held, under the new meaning of its buttons; it
    // counts as a press only once it goes down again.
    pad.controls = heldControls(pad);
    if (pad.keySet != kNoPadKeySet) sets[pad.keySet].held = pad.controls;
  }
}

void Gamepads::open(int32_t deviceIndex) {
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (!controller) {
    printMessage("No se pudo abrir el mando %d: %s\n", deviceIndex, SDL_GetError());
    return;
  }
  const SDL_JoystickID instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  if (find(instance)) {
    SDL_GameControllerClose(controller);  // announced twice: SDL counts the opens
    return;
  }
  Pad pad;
  pad.controller = controller;
  pad.instance = instance;
  pad.keySet = freeKeySet();
  if (pad.keySet == kNoPadKeySet) {
    const char* name = SDL_GameControllerName(controller);
    printMessage("El mando %s no tiene teclas libres: solo sirve en los menus\n", name ? name : "(sin nombre)");
  }
  pads.push_back(pad);
}

void Gamepads::close(SDL_JoystickID instance) {
  const auto unplugged = std::find_if(pads.begin(), pads.end(), [&](const Pad& pad) { return pad.instance == instance; });
  if (unplugged == pads.end()) return;
  if (unplugged->keySet != kNoPadKeySet) sets[unplugged->keySet].held = 0;
  SDL_GameControllerClose(unplugged->controller);
  pads.erase(unplugged);
}

Gamepads::Pad* Gamepads::find(SDL_JoystickID instance) {
  for (Pad& pad : pads) {
    if (pad.instance == instance) return &pad;
  }
  return nullptr;
}

int32_t Gamepads::freeKeySet() const {
  for (const int32_t keySet : order) {
    const bool valid = keySet >= 0 && keySet < kKeySetCount;
    if (valid && std::none_of(pads.begin(), pads.end(), [&](const Pad& pad) { return pad.keySet == keySet; })) {
      return keySet;
    }
  }
  return kNoPadKeySet;
}

void Gamepads::setButton(Pad& pad, uint8_t button, bool down) {
  if (button >= SDL_CONTROLLER_BUTTON_MAX) return;
  if (down) {
    pad.buttons |= buttonBit(button);
    if (button == SDL_CONTROLLER_BUTTON_A) pending.select = true;
    if (button == SDL_CONTROLLER_BUTTON_B) pending.back = true;
    if (button == SDL_CONTROLLER_BUTTON_START) pending.pause = true;
  } else {
    pad.buttons &= ~buttonBit(button);
  }
  updateControls(pad);
}

void Gamepads::setAxis(Pad& pad, uint8_t axis, int16_t value) {
  if (axis == SDL_CONTROLLER_AXIS_LEFTX) {
    pad.stickX = value;
    pad.stickDirections = axisDirections(pad.stickDirections, value, KeyLeft, KeyRight);
  } else if (axis == SDL_CONTROLLER_AXIS_LEFTY) {
    pad.stickY = value;  // SDL's y grows downwards
    pad.stickDirections = axisDirections(pad.stickDirections, value, KeyUp, KeyDown);
  } else {
    return;
  }
  updateControls(pad);
}

uint8_t Gamepads::heldControls(const Pad& pad) const {
  uint8_t controls = pad.stickDirections;
  for (int32_t direction = 0; direction < kMenuDirectionCount; ++direction) {
    if (pad.buttons & buttonBit(kDpadByMenuDirection[direction])) controls |= playerKeyBit(kKeyByMenuDirection[direction]);
  }
  const PlayerKey south = swapped ? KeyDive : KeyHit;
  const PlayerKey east = swapped ? KeyHit : KeyDive;
  if (pad.buttons & buttonBit(SDL_CONTROLLER_BUTTON_A)) controls |= playerKeyBit(south);
  if (pad.buttons & buttonBit(SDL_CONTROLLER_BUTTON_B)) controls |= playerKeyBit(east);
  return controls;
}

void Gamepads::updateControls(Pad& pad) {
  const uint8_t controls = heldControls(pad);
  if (pad.keySet != kNoPadKeySet) {
    PadControls& set = sets[pad.keySet];
    const uint8_t wentDown = controls & static_cast<uint8_t>(~pad.controls);
    for (int32_t key = 0; key < kPlayerKeyCount; ++key) {
      if (wentDown & playerKeyBit(static_cast<PlayerKey>(key))) ++set.presses[key];
    }
    set.held = controls;
  }
  pad.controls = controls;
  updateMenuDirection(pad);
}

void Gamepads::updateMenuDirection(Pad& pad) {
  const auto holds = [&](int32_t direction) {
    return (pad.controls & playerKeyBit(kKeyByMenuDirection[direction])) != 0;
  };
  // A direction already moving the menu keeps it while it is held, so that
  // a stick passing near a diagonal does not push a second direction.
  if (pad.menuDirection >= 0 && holds(pad.menuDirection)) return;
  int32_t chosen = -1;
  for (int32_t direction = 0; direction < kMenuDirectionCount && chosen < 0; ++direction) {
    if (pad.buttons & buttonBit(kDpadByMenuDirection[direction])) chosen = direction;
  }
  if (chosen < 0) {
    const bool upright = std::abs(pad.stickY) >= std::abs(pad.stickX);
    const std::array<int32_t, 2> byStrength = upright ? std::array<int32_t, 2>{Up, Right} : std::array<int32_t, 2>{Right, Up};
    for (const int32_t axisFirst : byStrength) {
      const int32_t negativeEnd = axisFirst == Up ? Up : Left;
      const int32_t positiveEnd = axisFirst == Up ? Down : Right;
      if (chosen < 0 && holds(negativeEnd)) chosen = negativeEnd;
      if (chosen < 0 && holds(positiveEnd)) chosen = positiveEnd;
    }
  }
  pad.menuDirection = chosen;
  if (chosen >= 0) {
    pending.directions[chosen] = true;
    pad.freshPush = true;
    pad.menuHeldMs = 0;
    pad.nextRepeatMs = kMenuRepeatDelayMs;
  }
}
