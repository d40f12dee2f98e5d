#include "app/tournament/Bracket.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/Random.h"

namespace {

// The characters as set-up indices, 1..kCharacterCount.
using Characters = std::array<int32_t, kCharacterCount>;

// An index below `count` from the sequence.
int32_t below(RandomSequence& chance, int32_t count) { return chance.next() % count; }

template <typename List>
void shuffle(List& list, RandomSequence& chance) {
  for (int32_t i = static_cast<int32_t>(list.size()) - 1; i > 0; --i) std::swap(list[i], list[below(chance, i + 1)]);
}

Characters shuffledCharacters(RandomSequence& chance) {
  Characters order{};
  for (int32_t i = 0; i < kCharacterCount; ++i) order[i] = i + 1;
  shuffle(order, chance);
  return order;
}

// Every pair of two different characters, in a drawn order.
std::vector<std::array<int32_t, 2>> shuffledPairs(RandomSequence& chance) {
  std::vector<std::array<int32_t, 2>> pairs;
  for (int32_t a = 1; a <= kCharacterCount; ++a) {
    for (int32_t b = a + 1; b <= kCharacterCount; ++b) pairs.push_back({a, b});
  }
  shuffle(pairs, chance);
  return pairs;
}

// Fifteen bits a draw: two draws make a seed of thirty.
uint32_t drawSeed(RandomSequence& chance) {
  const auto high = static_cast<uint32_t>(chance.next());
  return high << 15 | static_cast<uint32_t>(chance.next());
}

}  // namespace

std::string entrantName(const Entrant& entrant) {
  std::string name;
  for (const int32_t character : entrant.characters) {
    if (character < 1 || character > kCharacterCount) continue;
    name += (name.empty() ? "" : "/") + std::string(kCharacters[character - 1].shownName);
  }
  if (!entrant.player) name += " " + std::to_string(entrant.level);
  return name;
}

Bracket::Bracket(int32_t cup, bool doubles, int32_t playerCharacter, uint32_t seed) {
  RandomSequence chance(seed);
  const CupRules& rules = kCups[std::clamp(cup, 0, kCupCount - 1)];
  player = below(chance, kEntrantCount);

  // By level, the positions that level holds: the player's opponent, the
  // other pair of the player's half, the other half.
  const int32_t pairStart = player & ~1;
  const int32_t otherPair = pairStart ^ 2;
  const int32_t otherHalf = (player & ~3) ^ 4;
  const std::array<std::vector<int32_t>, kRoundCount> positions{{
      {player ^ 1},
      {otherPair, otherPair + 1},
      {otherHalf, otherHalf + 1, otherHalf + 2, otherHalf + 3},
  }};

  Entrant& you = entrants[player];
  you.player = true;
  you.characters[0] = playerCharacter;
  you.level = partnerLevel(cup);
  if (doubles) {
    for (const int32_t partner : shuffledCharacters(chance)) {
      if (partner == playerCharacter) continue;
      you.characters[1] = partner;
      break;
    }
  }
  for (int32_t round = 0; round < kRoundCount; ++round) {
    // Within a level every entrant is another character, or another pair.
    const Characters singles = shuffledCharacters(chance);
    const std::vector<std::array<int32_t, 2>> pairs = shuffledPairs(chance);
    for (size_t k = 0; k < positions[round].size(); ++k) {
      Entrant& computer = entrants[positions[round][k]];
      computer.level = rules.levels[round];
      computer.characters = doubles ? pairs[k] : std::array<int32_t, 2>{singles[k], kNoCharacter};
    }
  }

  for (int32_t index = 0; index < matchesInRound(QuarterFinal); ++index) {
    matches[matchNumber(QuarterFinal, index)].entrants = {2 * index, 2 * index + 1};
  }
  for (BracketMatch& match : matches) match.seed = drawSeed(chance);
}

int32_t Bracket::matchNumber(int32_t round, int32_t index) {
  const int32_t at = std::clamp(round, 0, kRoundCount - 1);
  const int32_t first = kEntrantCount - (kEntrantCount >> at);
  return first + std::clamp(index, 0, matchesInRound(at) - 1);
}

void Bracket::record(int32_t round, int32_t index, int32_t winner, const std::array<int32_t, 2>& games) {
  BracketMatch& played = matches[matchNumber(round, index)];
  if (!played.ready() || winner < 0 || winner > 1) return;
  played.winner = winner;
  played.games = games;
  if (round + 1 >= kRoundCount) return;
  matches[matchNumber(round + 1, index / 2)].entrants[index % 2] = played.entrants[winner];
}
