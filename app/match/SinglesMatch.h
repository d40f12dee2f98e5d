#pragma once
// A match of one player a side. The side index is the player's index too:
// side 0 plays on +x. Changing ends swaps the two players between the sides
// (and the score's columns with them), so whoever is on side 0 plays on +x.

#include <array>
#include <memory>
#include <vector>

#include "app/match/MatchState.h"

class SinglesMatch : public MatchState {
 public:
  // side0, side1: the players of slots 0 and 1. Opens the introduction.
  SinglesMatch(MatchParts parts, std::shared_ptr<TennisPlayer> side0, std::shared_ptr<TennisPlayer> side1);

  // Also restarts the player's clip from its first frame, which a doubles
  // pair's clips never do.
  void setPlayerState(int32_t side, PlayerState state) override;
  void startIntro() override;
  void setUpServe() override;
  void changeEnds() override;

  const std::shared_ptr<TennisPlayer>& player(int32_t side) const { return players[side & 1]; }

 protected:
  void savePositions(StateWriter& out) const override;
  void restorePositions(StateReader& in) override;

 public:
  std::vector<std::shared_ptr<TennisPlayer>> playersOf(int32_t side) const override { return {player(side)}; }

 private:
  std::array<std::shared_ptr<TennisPlayer>, 2> players;
};
