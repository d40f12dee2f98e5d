#pragma once
// A match of two players a side. Each side keeps its pair in serving order:
// `first` serves (or receives) the coming point, `second` is the partner.
// The serving side passes the serve between its partners from game to
// game; the receiving side takes the serve in turns from point to point.

#include <array>
#include <memory>
#include <vector>

#include "app/match/MatchState.h"

struct DoublesSide {
  std::shared_ptr<TennisPlayer> first;
  std::shared_ptr<TennisPlayer> second;
  std::shared_ptr<TennisPlayer> lastServer;
  std::shared_ptr<TennisPlayer> fixedReceiver;
};

// placeForPoint's player index by side and place in the pair: side 0 plays
// on +x (indices 0 and 2), side 1 on -x (1 and 3).
constexpr int32_t kDoublesPlace[2][2] = {{0, 2}, {1, 3}};

class DoublesMatch : public MatchState {
 public:
  // The players of slots 0 to 3: slots 0 and 2 start on side 0, slots 3 and
  // 1 (in that order) on side 1. Opens the introduction.
  DoublesMatch(MatchParts parts, std::array<std::shared_ptr<TennisPlayer>, 4> players);

  // Besides the common end of a game: the serving pair hands the serve to the
  // partner who did not serve the last game, and the receiving pair puts its
  // fixed receiver second.
  void afterGame() override;
  void startIntro() override;
  void setUpServe() override;
  void changeEnds() override;

  const DoublesSide& side(int32_t index) const { return sides[index & 1]; }

 protected:
  void savePositions(StateWriter& out) const override;
  void restorePositions(StateReader& in) override;

 public:
  std::vector<std::shared_ptr<TennisPlayer>> playersOf(int32_t index) const override {
    return {side(index).first, side(index).second};
  }

 private:
  std::array<DoublesSide, 2> sides;
};
