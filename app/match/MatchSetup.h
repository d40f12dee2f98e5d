#pragma once
// The match the players have chosen: who plays in each of the four slots
// (character and controller), singles or doubles, and how long the match is.
// One process-wide record: the menus write it, the match reads it when it is
// built. It outlives the menus and the matches: the players find the set-up
// of the last match as they left it, for as long as the game runs.

#include <array>
#include <cstdint>

#include "tennis/CharacterRoster.h"

constexpr int32_t kPlayerSlotCount = 4;
// The keyboard's key sets, P1 KEYS to P4 KEYS.
constexpr int32_t kKeySetCount = 4;

// Character index 0 means "not chosen yet"; 1..kCharacterCount are the
// characters of kCharacters in their order.
constexpr int32_t kNoCharacter = 0;
constexpr int32_t kCharacterCount = static_cast<int32_t>(kCharacters.size());

// Controllers: first the key sets (0..3), then the computer at levels 0..5
// (4..9).
constexpr int32_t kComputerLevelCount = 6;
constexpr int32_t kControllerCount = kKeySetCount + kComputerLevelCount;

struct PlayerSlot {
  int32_t character = kNoCharacter;
  int32_t controller = 0;
  bool operator==(const PlayerSlot&) const = default;
};

struct MatchSetup {
  // Each slot on its own key set until the players change it.
  std::array<PlayerSlot, kPlayerSlotCount> slots{
      {{kNoCharacter, 0}, {kNoCharacter, 1}, {kNoCharacter, 2}, {kNoCharacter, 3}}};
  int32_t doublesFlag = 0;
  int32_t setsToPlay = 3;
  int32_t gamesPerSet = 2;
};

extern MatchSetup matchSetup;

// The slots that play: 0 and 1 in singles, all four in doubles.
int32_t playingSlotCount();
// The identifier (kCharacters) of a slot's character index; an index outside
// 0..kCharacterCount plays as the one before any choice.
int32_t characterIdentifier(int32_t character);
