// Feeds arbitrary bytes to the pad script reader, which plugs, presses and
// unplugs SDL's virtual pads as the lines say.
#include <SDL.h>

#include <cstdio>
#include <string_view>

#include "app/input/PadScript.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader's messages would slow every run down.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  // Held for the whole run, so that each script does not start SDL's
  // joystick subsystem anew.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_InitSubSystem(SDL_INIT_JOYSTICK);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    PadScript script;
    script.take(std::string_view(reinterpret_cast<const char*>(data), size));
  }
  // Every pad the script plugged in went with it.
  if (SDL_NumJoysticks() != 0) __builtin_trap();
  return 0;
}
