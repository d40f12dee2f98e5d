#include "app/SinglesMatch.h"

#include <utility>

#include "app/Language.h"
#include "engine/TrackingCamera.h"
#include "tennis/Court.h"

SinglesMatch::SinglesMatch(MatchParts shared, std::shared_ptr<TennisPlayer> side0, std::shared_ptr<TennisPlayer> side1)
    : MatchState(std::move(shared), kSinglesSideZ), players{std::move(side0), std::move(side1)} {
  players[0]->addOpponent(players[1]);
  players[1]->addOpponent(players[0]);
  begin();
}

void SinglesMatch::afterGame() { finishGame(); }

std::string SinglesMatch::playerName(int32_t side) const { return player(side)->name(); }

void SinglesMatch::setPlayerState(int32_t side, PlayerState state) {
  player(side)->setState(state);
  player(side)->resetClock();
}

bool SinglesMatch::animationDone(int32_t side) const { return player(side)->timeBeyondEnd(1) >= 0; }

void SinglesMatch::startIntro() { loadIntro(kIntroSinglesFile, {players[0], players[1]}); }

void SinglesMatch::setUpServe() {
  referee.prepareServe();
  const int32_t server = referee.servingSide;
  const int32_t receiver = referee.receivingSide();
  player(server)->setState(PlayerState::Serving);
  player(server)->placeForPoint(server, referee.serveCourt);
  player(receiver)->setState(PlayerState::Moving);
  player(receiver)->placeForPoint(receiver, referee.receiverCourt());
  referee.ballSide = receiver;
  parts.ball->setServer(player(server).get());
  parts.ball->attachToServer();
  referee.recomputeBox();
}

void SinglesMatch::changeEnds() {
  std::swap(players[0], players[1]);
  parts.scoreboard->changeEnds();
}

void SinglesMatch::aimCameraAt(int32_t side) {
  if (const auto camera = std::dynamic_pointer_cast<TrackingCamera>(parts.scene->camera())) {
    camera->setTarget(player(side));
  }
}

std::string SinglesMatch::winnerText(int32_t side) const { return playerName(side) + " " + text(kTextWinsSingles); }
