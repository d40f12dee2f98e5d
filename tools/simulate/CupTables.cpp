#include "tools/simulate/CupTables.h"

#include <string>
#include <vector>

#include "tools/JsonWriter.h"
#include "tools/simulate/MatchTables.h"

namespace {

constexpr const char* kRoundNames[kRoundCount] = {"quarterfinal", "semifinal", "final"};

std::string gamesText(const BracketMatch& match, int32_t first) {
  return std::to_string(match.games[first]) + "-" + std::to_string(match.games[1 - first]);
}

void printMatch(Json& json, const Bracket& bracket, const BracketMatch& match) {
  json.raw("{");
  json.key("winner"), json.string(entrantName(bracket.entrant(match.entrants[match.winner]))), json.raw(", ");
  json.key("loser"), json.string(entrantName(bracket.entrant(match.entrants[1 - match.winner]))), json.raw(", ");
  json.key("score"), json.string(gamesText(match, match.winner)), json.raw("}");
}

void printRound(std::FILE* out, const SimulatedCup& wanted, const PlayedCupRound& played) {
  Json json(out);
  const Bracket& bracket = played.cup.bracket();
  const BracketMatch& own = bracket.match(played.round, bracket.playerMatch(played.round));
  const int32_t you = bracket.entrant(own.entrants[0]).player ? 0 : 1;
  const Entrant& opponent = bracket.entrant(own.entrants[1 - you]);
  json.raw("{");
  json.key("cup"), json.string(kCups[wanted.cup].key), json.raw(", ");
  json.key("round"), json.string(kRoundNames[played.round]), json.raw(", ");
  json.key("seed"), json.integer(wanted.seed), json.raw(", ");
  json.key("player"), json.string(entrantName(bracket.entrant(own.entrants[you]))), json.raw(", ");
  json.key("opponent"), json.string(entrantName(opponent)), json.raw(", ");
  json.key("level"), json.integer(opponent.level), json.raw(", ");
  json.key("won"), json.raw(own.winner == you ? "true, " : "false, ");
  json.key("score"), json.string(gamesText(own, you)), json.raw(", ");
  json.key("finished"), json.raw(played.playerMatch.finished ? "true, " : "false, ");
  json.key("gameMinutes"), json.number(double(played.playerMatch.steps) * kFixedStepMs / 60000.0), json.raw(", ");
  json.key("matches"), json.raw("[");
  const char* comma = "";
  for (int32_t index = 0; index < matchesInRound(played.round); ++index) {
    const BracketMatch& match = bracket.match(played.round, index);
    if (!match.played()) continue;
    json.raw(comma);
    printMatch(json, bracket, match);
    comma = ", ";
  }
  json.raw("]}\n");
  std::fflush(out);
}

void printCup(std::FILE* out, const SimulatedCup& wanted, const CupResult& result, int32_t lastRound) {
  Json json(out);
  json.raw("{");
  json.key("cup"), json.string(kCups[wanted.cup].key), json.raw(", ");
  json.key("seed"), json.integer(wanted.seed), json.raw(", ");
  json.key("player"), json.string(kCharacters[wanted.entry.character - 1].shownName), json.raw(", ");
  json.key("skill");
  wanted.person ? json.string(wanted.person->name) : json.integer(wanted.level);
  json.raw(", ");
  json.key("doubles"), json.raw(wanted.entry.doubles ? "true, " : "false, ");
  json.key("games"), json.integer(wanted.entry.gamesPerSet), json.raw(", ");
  json.key("roundsWon"), json.integer(result.roundsWon), json.raw(", ");
  json.key("reached"), json.string(kRoundNames[lastRound]), json.raw(", ");
  json.key("won"), json.raw(result.standing == CupStanding::Champion ? "true" : "false"), json.raw("}\n");
  std::fflush(out);
}

}  // namespace

bool playCups(const CupOptions& options, std::FILE* out) {
  bool allFinished = true;
  for (int32_t i = 0; i < options.cups; ++i) {
    SimulatedCup wanted = options.cup;
    wanted.seed = options.cup.seed + static_cast<uint32_t>(i);
    int32_t lastRound = QuarterFinal;
    const CupResult result = simulateCup(wanted, [&](const PlayedCupRound& played) {
      lastRound = played.round;
      printRound(out, wanted, played);
    });
    printCup(out, wanted, result, lastRound);
    allFinished = allFinished && result.finished;
  }
  return allFinished;
}

bool playCupTable(const CupOptions& options, std::FILE* out) {
  const int32_t skills = static_cast<int32_t>(kHumanSkills.size());
  const int32_t cellCups = options.cups;
  // An item is one cup; its tally counts the cup (matches), whether it was
  // won (matchesWon[0]), the player's matches won (pointsWon[0]) and whether
  // a match of the player's was given up (unfinished).
  const std::vector<MatchTally> tallies =
      playItems(skills * kCupCount * cellCups, options.jobs, [&](int32_t item) {
        SimulatedCup wanted = options.cup;
        wanted.person = &kHumanSkills[item / (kCupCount * cellCups)];
        wanted.cup = item / cellCups % kCupCount;
        wanted.seed = options.cup.seed + static_cast<uint32_t>(item % cellCups);
        const CupResult result = simulateCup(wanted);
        MatchTally tally;
        tally.matches = 1;
        tally.unfinished = result.finished ? 0 : 1;
        tally.matchesWon[0] = result.standing == CupStanding::Champion ? 1 : 0;
        tally.pointsWon[0] = result.roundsWon;
        return tally;
      });
  if (tallies.empty()) return false;
  std::fprintf(out, "%s cups, %d games a set: share of cups the person won, 95%% interval, cups; rounds won a cup\n\n",
               options.cup.entry.doubles ? "Doubles" : "Singles", options.cup.entry.gamesPerSet);
  std::fprintf(out, "| skill |");
  for (const CupRules& rules : kCups) std::fprintf(out, " %s |", rules.key);
  std::fprintf(out, "\n|---|");
  for (int32_t cup = 0; cup < kCupCount; ++cup) std::fprintf(out, "---|");
  std::fprintf(out, "\n");
  bool allFinished = true;
  for (int32_t skill = 0; skill < skills; ++skill) {
    std::fprintf(out, "| %s |", kHumanSkills[skill].name);
    for (int32_t cup = 0; cup < kCupCount; ++cup) {
      MatchTally cell;
      for (int32_t k = 0; k < cellCups; ++k) cell += tallies[(skill * kCupCount + cup) * cellCups + k];
      allFinished = allFinished && cell.unfinished == 0;
      const Share won = shareOf(cell.matchesWon[0], cell.matches);
      std::fprintf(out, " %.0f%% (%.0f-%.0f) n=%d, %.2f |", won.percent, won.low, won.high, cell.matches,
                   cell.matches ? double(cell.pointsWon[0]) / cell.matches : 0.0);
    }
    std::fprintf(out, "\n");
  }
  return allFinished;
}
