#pragma once
// The settings the game keeps in "config.ini" (in the run folder, or in the
// user's configuration folder when installed: GameFolders.h): the language,
// the full-screen resolution, the windowed flag, the six keys of each of the
// four keyboard players, and optionally the volumes of the music and of the
// effects (MUSIC_VOLUME, EFFECTS_VOLUME, 0 to 10), how gamepads take key sets
// (PAD_KEYS, the key sets pads take in the order they are plugged in,
// numbered 1 to 4 like P1_KEYS..P4_KEYS) and whether their hit and dive
// buttons swap (PAD_SWAP_HIT_DIVE 1), and the hints in a match (HINTS 0 turns
// them off). A file without those five plays at the
// loudest volumes, with pads taking 1 2 3 4, unswapped. Read once at start,
// before the window exists; when the file cannot be opened the defaults are
// used and written back. The options screens change the settings while the
// game runs and have them saved when the player leaves them.
//
// The file is a stream of blank-separated tokens; line structure does not
// matter. A key word is followed by its values (LANG by one word, the others
// by decimal integers); unknown tokens are skipped one by one; a key word that
// appears twice takes the later values. A value that is not an integer stops
// the reading there: what was read before stays, the rest keeps its earlier
// values. A setting missing from an existing file stays zero (or empty): the
// defaults fill in only for a file that cannot be opened.
//
// Saving writes the seven lines the file has always had, then each optional
// setting that is not at its default (so a file of defaults is those seven
// lines, byte for byte), then the lines of the old file that hold nothing
// the game reads (a comment, a setting of another version), as they stood.
// The whole file goes to a temporary file beside it that is then renamed
// over it: a crash or a full disk leaves the old file or the new one, never
// half of either.

#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>

#include "app/match/MatchSetup.h"
#include "engine/Sound.h"
#include "tennis/PlayerCommand.h"

// Which way each of a key set's six codes moves or acts, in file order.
enum KeyRole { KeyRoleDown, KeyRoleUp, KeyRoleLeft, KeyRoleRight, KeyRoleHit, KeyRoleDive };
constexpr int kKeysPerSet = kPlayerKeyCount;

struct Resolution {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;
  int32_t refreshRate = 0;
};

struct SettingsValues {
  std::string language;  // LANG: names the file "lang/" + language + ".data"
  Resolution resolution;
  bool windowed = false;
  std::array<KeySet, kKeySetCount> keySets{};
  // Key set indices (0 for P1_KEYS) in the order pads take them.
  std::array<int32_t, kKeySetCount> padKeySets{0, 1, 2, 3};
  bool padSwapHitAndDive = false;
  // 0 (silent) to kLoudestVolume.
  int32_t musicVolume = kLoudestVolume;
  int32_t effectsVolume = kLoudestVolume;
  // HINTS 0 turns the hints in a match off (the keys card, the serve's
  // keys, a fault's reason); on when the line is not there.
  bool hints = true;
};

// The process-wide settings; all zero and empty until Settings::load.
extern SettingsValues settings;

class Settings {
 public:
  static constexpr const char* kFileName = "config.ini";
  // The longest word kept from the file; a longer one is cut (no key word or
  // language name comes near it), so a hostile file cannot make it grow.
  static constexpr size_t kMaxWordLength = 255;

  // Reads the file into `settings`; if it cannot be opened, applies the
  // defaults and saves them there. Without a file (no folder to keep it
  // in) the defaults are used and said to be.
  void load(const std::filesystem::path& file = kFileName);
  // Writes every setting to the file (see above), making its folder if need
  // be. A failure to write is said in one line and leaves the old file as it
  // was; the game runs on what it has. True when the file was written.
  bool save(const std::filesystem::path& file = kFileName);

  // The reading itself, from any stream; fileName only names it in messages.
  void read(std::istream& in, const std::string& fileName);
  // The lines of a settings file that hold no token of a setting the game
  // reads (the key words and their values), in order, each with its line end.
  static std::string linesKeptOnSave(std::istream& in);
  // The file's contents as save() writes them, before the kept lines.
  static std::string formatted(const SettingsValues& values);
  static SettingsValues defaults();
};
