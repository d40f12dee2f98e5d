#include "app/DisplayModes.h"

#include <SDL.h>

#include <algorithm>

std::vector<ScreenSize> displayModes() {
  std::vector<ScreenSize> modes;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return modes;
  constexpr int kFirstDisplay = 0;
  const int count = SDL_GetNumDisplayModes(kFirstDisplay);
  for (int index = 0; index < count; ++index) {
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayMode(kFirstDisplay, index, &mode) != 0) continue;
    // SDL lists the modes largest first, and a size's rates highest first.
    const auto sameSize = [&](const ScreenSize& size) { return size.width == mode.w && size.height == mode.h; };
    if (std::none_of(modes.begin(), modes.end(), sameSize)) modes.push_back({mode.w, mode.h, mode.refresh_rate});
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return modes;
}
