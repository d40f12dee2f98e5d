#include "app/tournament/CupRun.h"

#include <algorithm>

namespace {

PlayerSlot computer(int32_t character, int32_t level) { return {character, kKeySetCount + level}; }

}  // namespace

CupRun::CupRun(int32_t cup, const CupEntry& entry, uint32_t seed)
    : cupIndex(std::clamp(cup, 0, kCupCount - 1)),
      entered(entry),
      drawSeed(seed),
      draw(cupIndex, entry.doubles, entry.character, seed) {}

CupStanding CupRun::standing() const {
  for (int32_t round = QuarterFinal; round <= currentRound; ++round) {
    const BracketMatch& played = draw.match(round, draw.playerMatch(round));
    if (!played.played()) return CupStanding::Playing;
    if (!draw.entrant(played.entrants[played.winner]).player) return CupStanding::Out;
  }
  return currentRound == Final ? CupStanding::Champion : CupStanding::Playing;
}

int32_t CupRun::nextOtherMatch() const {
  for (int32_t index = 0; index < matchesInRound(currentRound); ++index) {
    const BracketMatch& match = draw.match(currentRound, index);
    if (index != playerMatch() && match.ready() && !match.played()) return index;
  }
  return -1;
}

bool CupRun::roundComplete() const {
  for (int32_t index = 0; index < matchesInRound(currentRound); ++index) {
    if (!draw.match(currentRound, index).played()) return false;
  }
  return true;
}

bool CupRun::playerSecondIn(int32_t index) const {
  const BracketMatch& match = draw.match(currentRound, index);
  return match.entrants[1] >= 0 && draw.entrant(match.entrants[1]).player;
}

MatchSetup CupRun::setupOf(int32_t index) const {
  MatchSetup setup;
  setup.doublesFlag = entered.doubles ? 1 : 0;
  setup.setsToPlay = kCupSetsToPlay;
  setup.gamesPerSet = entered.gamesPerSet;
  const BracketMatch& match = draw.match(currentRound, index);
  const bool turned = playerSecondIn(index);
  for (int32_t team = 0; team < 2; ++team) {
    const Entrant& entrant = draw.entrant(match.entrants[turned ? 1 - team : team]);
    // Slots 0 and 1 are the two teams' first players, 2 and 3 their partners.
    setup.slots[team] = entrant.player ? PlayerSlot{entrant.characters[0], entered.keySet}
                                       : computer(entrant.characters[0], entrant.level);
    setup.slots[team + 2] = computer(entrant.characters[1], entrant.level);
  }
  return setup;
}

void CupRun::record(int32_t index, const MatchOutcome& outcome) {
  const BracketMatch& match = draw.match(currentRound, index);
  if (!match.ready() || match.played()) return;
  const bool turned = playerSecondIn(index);
  // Left before its end: the player's team (team 0) lost.
  const int32_t winnerTeam = outcome.decided ? outcome.winnerTeam : 1;
  const int32_t winner = turned ? 1 - winnerTeam : winnerTeam;
  const std::array<int32_t, 2> games = turned ? std::array<int32_t, 2>{outcome.games[1], outcome.games[0]}
                                              : outcome.games;
  draw.record(currentRound, index, winner, games);
  if (roundComplete() && standing() == CupStanding::Playing && currentRound < Final) ++currentRound;
}
