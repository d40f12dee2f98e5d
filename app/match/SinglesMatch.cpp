#include "app/match/SinglesMatch.h"

#include <utility>

#include "tennis/Court.h"

SinglesMatch::SinglesMatch(MatchParts shared, std::shared_ptr<TennisPlayer> side0, std::shared_ptr<TennisPlayer> side1)
    : MatchState(std::move(shared), kSinglesSideZ), players{std::move(side0), std::move(side1)} {
  slots[0] = players[0];
  slots[1] = players[1];
  players[0]->addOpponent(players[1]);
  players[1]->addOpponent(players[0]);
  begin();
}

void SinglesMatch::setPlayerState(int32_t side, PlayerState state) {
  MatchState::setPlayerState(side, state);
  player(side)->resetClock();
}

void SinglesMatch::startIntro() { loadIntro(kIntroSinglesFile, {players[0], players[1]}); }

void SinglesMatch::setUpServe() {
  referee.prepareServe();
  const int32_t server = referee.servingSide;
  const int32_t receiver = referee.receivingSide();
  player(server)->setState(PlayerState::Serving);
  player(server)->placeForPoint(server, referee.serveCourt);
  player(receiver)->setState(PlayerState::Moving);
  player(receiver)->placeForPoint(receiver, referee.receiverCourt());
  giveServeTo(*player(server));
}

void SinglesMatch::changeEnds() {
  std::swap(players[0], players[1]);
  parts.scoreboard->changeEnds();
}

void SinglesMatch::savePositions(StateWriter& out) const {
  for (const auto& player : players) out.put(slotOf(player.get()));
}

void SinglesMatch::restorePositions(StateReader& in) {
  for (auto& player : players) {
    int32_t slot = -1;
    in.get(slot);
    if (!slotPlayer(slot)) in.fail();
    if (in.ok()) player = slotPlayer(slot);
  }
}
