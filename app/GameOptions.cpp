#include "app/GameOptions.h"

#include <array>
#include <string_view>

#include "engine/Log.h"

const char* const kGameUsage =
    "Usage: zumbolo [OPTION]...\n"
    "A cartoon tennis game for one to four players on one keyboard and gamepads.\n"
    "\n"
    "  --windowed          play in a window this time, whatever config.ini says\n"
    "  --replay FILE       play a recorded match first, then go to the main menu\n"
    "  --pad-script FILE   follow virtual gamepads from FILE as it grows\n"
    "  --host [PORT]       wait for another game to join and play one match with\n"
    "                      it over the network (port 7777 unless given; ADDRESS:PORT\n"
    "                      listens on that address only); this game's menus\n"
    "                      choose the match, the other game plays the far end\n"
    "  --join ADDRESS[:PORT]\n"
    "                      play the match of the game hosting at ADDRESS\n"
    "  --stats             at the end, print the frames of matches a second, the\n"
    "                      50th and 99th percentile and longest frame times, the\n"
    "                      draw calls of a frame and the loading times; in a\n"
    "                      match, where each person's player stands, once a second\n"
    "  --help              show this help and end\n"
    "  --version           show the version and end\n"
    "\n"
    "X options such as -display NAME and -geometry WxH+X+Y are passed to GLUT.\n"
    "Settings: config.ini (see zumbolo(6)).\n";

namespace {

constexpr std::array<std::string_view, 2> kGlutOptionsWithValue{"-display", "-geometry"};
constexpr std::array<std::string_view, 5> kGlutFlags{"-iconic", "-direct", "-indirect", "-gldebug", "-sync"};

template <size_t N>
bool isOneOf(std::string_view option, const std::array<std::string_view, N>& options) {
  for (const std::string_view known : options) {
    if (option == known) return true;
  }
  return false;
}

}  // namespace

std::optional<GameOptions> parseGameOptions(int argc, const char* const* argv) {
  GameOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    const bool hasValue = i + 1 < argc;
    if (option == "--help" || option == "-h") {
      options.help = true;
    } else if (option == "--version") {
      options.version = true;
    } else if (option == "--windowed") {
      options.windowed = true;
    } else if (option == "--stats") {
      options.stats = true;
    } else if (option == "--host") {
      options.hosting = true;
      // The port is optional: a next word that is not an option is it.
      if (hasValue && argv[i + 1][0] != '-') options.host = argv[++i];
    } else if ((option == "--replay" || option == "--pad-script" || option == "--join" ||
                isOneOf(option, kGlutOptionsWithValue)) &&
               !hasValue) {
      printMessage("Falta el valor tras %s (zumbolo --help da el uso)\n", argv[i]);
      return std::nullopt;
    } else if (option == "--replay") {
      options.replay = argv[++i];
    } else if (option == "--pad-script") {
      options.padScript = argv[++i];
    } else if (option == "--join") {
      options.join = argv[++i];
    } else if (isOneOf(option, kGlutOptionsWithValue)) {
      ++i;
    } else if (!isOneOf(option, kGlutFlags)) {
      printMessage("Opcion desconocida: %s (zumbolo --help da el uso)\n", argv[i]);
      return std::nullopt;
    }
  }
  if (options.hosting && !options.join.empty()) {
    printMessage("--host y --join no van juntos (zumbolo --help da el uso)\n");
    return std::nullopt;
  }
  return options;
}
