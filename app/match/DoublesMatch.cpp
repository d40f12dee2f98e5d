#include "app/match/DoublesMatch.h"

#include <utility>

#include "tennis/Court.h"

namespace {

const std::shared_ptr<TennisPlayer>& partnerOf(const DoublesSide& pair, const std::shared_ptr<TennisPlayer>& one) {
  return pair.first == one ? pair.second : pair.first;
}

}  // namespace

DoublesMatch::DoublesMatch(MatchParts shared, std::array<std::shared_ptr<TennisPlayer>, 4> players)
    : MatchState(std::move(shared), kDoublesSideZ) {
  slots = players;
  sides[0] = DoublesSide{players[0], players[2], players[0], players[2]};
  sides[1] = DoublesSide{players[3], players[1], players[3], players[1]};
  for (int s = 0; s < 2; ++s) {
    const DoublesSide& own = sides[s];
    const DoublesSide& other = sides[1 - s];
    own.first->setTeam(own.second, other.first, other.second);
    own.second->setTeam(own.first, other.first, other.second);
  }
  begin();
}

void DoublesMatch::afterGame() {
  MatchState::afterGame();
  DoublesSide& serving = sides[referee.servingSide];
  const std::shared_ptr<TennisPlayer> previousServer = serving.lastServer;
  serving.first = partnerOf(serving, previousServer);
  serving.second = previousServer;
  serving.lastServer = serving.first;
  DoublesSide& receiving = sides[referee.receivingSide()];
  receiving.first = partnerOf(receiving, receiving.fixedReceiver);
  receiving.second = receiving.fixedReceiver;
}

void DoublesMatch::startIntro() {
  // Holder i carries the player of slot i.
  loadIntro(kIntroDoublesFile, {sides[0].first, sides[1].second, sides[0].second, sides[1].first});
}

void DoublesMatch::setUpServe() {
  const bool newPoint = referee.faults != 1;
  referee.prepareServe();
  const int32_t serving = referee.servingSide;
  const int32_t receivingIndex = referee.receivingSide();
  DoublesSide& receiving = sides[receivingIndex];
  if (newPoint) std::swap(receiving.first, receiving.second);
  const DoublesSide& server = sides[serving];

  server.first->setState(PlayerState::Serving);
  server.second->setState(PlayerState::Moving);
  receiving.first->setState(PlayerState::Moving);
  receiving.second->setState(PlayerState::Moving);
  const int32_t court = referee.serveCourt;
  const int32_t other = referee.receiverCourt();
  server.first->placeForPoint(kDoublesPlace[serving][0], court);
  server.second->placeForPoint(kDoublesPlace[serving][1], other);
  receiving.first->placeForPoint(kDoublesPlace[receivingIndex][0], other);
  receiving.second->placeForPoint(kDoublesPlace[receivingIndex][1], court);

  giveServeTo(*server.first);
}

void DoublesMatch::changeEnds() {
  std::swap(sides[0], sides[1]);
  parts.scoreboard->changeEnds();
}

void DoublesMatch::savePositions(StateWriter& out) const {
  for (const DoublesSide& side : sides) {
    for (const auto* player : {&side.first, &side.second, &side.lastServer, &side.fixedReceiver}) {
      out.put(slotOf(player->get()));
    }
  }
}

void DoublesMatch::restorePositions(StateReader& in) {
  for (DoublesSide& side : sides) {
    for (auto* player : {&side.first, &side.second, &side.lastServer, &side.fixedReceiver}) {
      int32_t slot = -1;
      in.get(slot);
      if (!slotPlayer(slot)) in.fail();
      if (in.ok()) *player = slotPlayer(slot);
    }
  }
}
