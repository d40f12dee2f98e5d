#include "app/CupSimulator.h"

#include "app/menus/Language.h"
#include "app/tournament/OtherMatches.h"

namespace {

SimulatedMatch playerMatchOf(const SimulatedCup& wanted, const CupRun& cup) {
  const int32_t index = cup.playerMatch();
  const MatchSetup setup = cup.setupOf(index);
  SimulatedMatch match;
  match.slots = setup.slots;
  match.doubles = setup.doublesFlag != 0;
  match.setsToPlay = setup.setsToPlay;
  match.gamesPerSet = setup.gamesPerSet;
  match.seed = cup.seedOf(index);
  match.stepLimit = wanted.stepLimit;
  if (wanted.person) {
    match.people[0] = wanted.person;
  } else {
    match.slots[0].controller = kKeySetCount + wanted.level;
  }
  return match;
}

// The player's match as the cup takes it: by team, slot 0's first.
MatchOutcome outcomeOf(const SimulationResult& played) {
  MatchOutcome outcome;
  outcome.decided = played.finished && played.winnerTeam >= 0;
  outcome.winnerTeam = played.winnerTeam;
  outcome.games = played.gamesWonByTeam;
  return outcome;
}

}  // namespace

CupResult simulateCup(const SimulatedCup& wanted, const std::function<void(const PlayedCupRound&)>& onRound) {
  CupRun cup(wanted.cup, wanted.entry, wanted.seed);
  OtherMatches others(matchTexts());
  CupResult result;
  while (cup.standing() == CupStanding::Playing) {
    const int32_t round = cup.round();
    // As on the bracket screen: the others first, then the player's.
    others.playAll(cup);
    const SimulationResult played = simulateMatch(playerMatchOf(wanted, cup));
    result.finished = result.finished && played.finished;
    cup.record(cup.playerMatch(), outcomeOf(played));
    if (played.finished && played.winnerTeam == 0) ++result.roundsWon;
    if (onRound) onRound(PlayedCupRound{cup, round, played});
  }
  result.standing = cup.standing();
  return result;
}
