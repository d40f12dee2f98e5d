#include "app/tournament/MatchOutcome.h"

namespace {

// The team whose first player heads this side of the scoreboard.
int32_t teamOf(const TeamScore& side, const MatchState& match) {
  const std::shared_ptr<ScoreboardPlayer> head = side.player.lock();
  for (const int32_t slot : {0, 2}) {
    const std::shared_ptr<TennisPlayer> player = match.slotPlayer(slot);
    if (player && head.get() == static_cast<const ScoreboardPlayer*>(player.get())) return 0;
  }
  return 1;
}

}  // namespace

MatchOutcome outcomeOf(const MatchState& match) {
  MatchOutcome outcome;
  const MatchScore& score = *match.shared().scoreboard;
  std::array<int32_t, 2> sets{};
  for (const TeamScore* side : {&score.sideA(), &score.sideB()}) {
    const int32_t team = teamOf(*side, match);
    outcome.games[team] = side->games[0];
    sets[team] = side->sets;
  }
  outcome.decided = score.matchOver();
  if (outcome.decided) outcome.winnerTeam = sets[0] > sets[1] ? 0 : 1;
  return outcome;
}
