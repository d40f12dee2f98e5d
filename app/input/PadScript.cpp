#include "app/input/PadScript.h"

#include <SDL.h>

#include <charconv>
#include <vector>

#include "engine/Log.h"

namespace {

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> found;
  size_t at = 0;
  while (at < line.size() && found.size() < 4) {
    const size_t begin = line.find_first_not_of(" \t\r", at);
    if (begin == std::string_view::npos) break;
    const size_t end = std::min(line.find_first_of(" \t\r", begin), line.size());
    found.push_back(line.substr(begin, end - begin));
    at = end;
  }
  return found;
}

bool readNumber(std::string_view word, int32_t& value) {
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  return error == std::errc() && end == word.data() + word.size();
}

int SDLCALL countRumble(void* count, Uint16, Uint16) {
  ++*static_cast<int32_t*>(count);
  return 0;
}

int32_t deviceIndexOf(SDL_Joystick* joystick) {
  const SDL_JoystickID instance = SDL_JoystickInstanceID(joystick);
  for (int32_t index = 0; index < SDL_NumJoysticks(); ++index) {
    if (SDL_JoystickGetDeviceInstanceID(index) == instance) return index;
  }
  return -1;
}

}  // namespace

PadScript::PadScript(const std::string& path) : name(path.empty() ? "guion de mandos" : path) {
  // The virtual pads live in SDL's joystick subsystem; this holds it open
  // for them whatever else starts or stops it.
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
    printMessage("No se pudieron crear los mandos de %s: %s\n", path.c_str(), SDL_GetError());
    return;
  }
  joystickStarted = true;
  if (path.empty()) return;
  file = std::fopen(path.c_str(), "rb");
  if (!file) printMessage("No se pudo abrir el guion de mandos %s\n", path.c_str());
}

PadScript::~PadScript() {
  for (int32_t pad = 0; pad < kScriptPadCount; ++pad) unplug(pad);
  if (file) std::fclose(file);
  if (joystickStarted) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void PadScript::follow() {
  if (!file) return;
  char chunk[4096];
  for (size_t got = std::fread(chunk, 1, sizeof chunk, file); got > 0; got = std::fread(chunk, 1, sizeof chunk, file)) {
    take(std::string_view(chunk, got));
  }
  // The end of the file so far: more may be written to it later.
  std::clearerr(file);
}

void PadScript::take(std::string_view text) {
  for (const char c : text) {
    if (c != '\n') {
      if (partial.size() < kMaxScriptLineLength) {
        partial.push_back(c);
      } else {
        skippingLongLine = true;
      }
      continue;
    }
    ++lineNumber;
    if (skippingLongLine) {
      printMessage("%s:%d: linea demasiado larga, no se sigue\n", name.c_str(), lineNumber);
    } else {
      followLine(partial);
    }
    partial.clear();
    skippingLongLine = false;
  }
}

void PadScript::followLine(std::string_view line) {
  const std::vector<std::string_view> found = words(line);
  if (found.empty()) return;
  int32_t pad = -1;
  int32_t value = 0;
  const std::string control(found.size() > 1 ? found[1] : std::string_view());
  const bool padRead = readNumber(found[0], pad) && pad >= 0 && pad < kScriptPadCount;
  if (padRead && found.size() == 2 && control == "plug") return plug(pad);
  if (padRead && found.size() == 2 && control == "unplug") return unplug(pad);
  if (padRead && found.size() == 3 && readNumber(found[2], value) && joysticks[pad]) {
    const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(control.c_str());
    const SDL_GameControllerAxis axis = SDL_GameControllerGetAxisFromString(control.c_str());
    if (button != SDL_CONTROLLER_BUTTON_INVALID && (value == 0 || value == 1)) {
      SDL_JoystickSetVirtualButton(joysticks[pad], button, static_cast<Uint8>(value));
      return;
    }
    if (axis != SDL_CONTROLLER_AXIS_INVALID && value >= SDL_JOYSTICK_AXIS_MIN && value <= SDL_JOYSTICK_AXIS_MAX) {
      SDL_JoystickSetVirtualAxis(joysticks[pad], axis, static_cast<Sint16>(value));
      return;
    }
  }
  printMessage("%s:%d: orden de mando que no se entiende\n", name.c_str(), lineNumber);
}

void PadScript::plug(int32_t pad) {
  if (joysticks[pad] || !joystickStarted) return;
  SDL_VirtualJoystickDesc description{};
  description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  description.naxes = SDL_CONTROLLER_AXIS_MAX;
  description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  description.name = "Zumbolo virtual pad";
  description.Rumble = countRumble;
  description.userdata = &rumbleCounts[pad];
  rumbleCounts[pad] = 0;
  const int32_t index = SDL_JoystickAttachVirtualEx(&description);
  if (index >= 0) joysticks[pad] = SDL_JoystickOpen(index);
  if (!joysticks[pad]) printMessage("%s:%d: no se pudo crear el mando %d: %s\n", name.c_str(), lineNumber, pad, SDL_GetError());
}

void PadScript::unplug(int32_t pad) {
  SDL_Joystick* joystick = joysticks[pad];
  if (!joystick) return;
  const int32_t index = deviceIndexOf(joystick);
  SDL_JoystickClose(joystick);
  if (index >= 0) SDL_JoystickDetachVirtual(index);
  joysticks[pad] = nullptr;
}
