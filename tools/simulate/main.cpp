// simulate: whole matches between computer players and modelled people on
// the game's own code and data, without a window, a sound card or a person,
// as fast as the processor allows. One JSON line per point, then one summary
// line per match, or tables of many matches (the ladder of the computer
// levels, the difficulty curve of each skill against each level), or whole
// cups of the tournament. Run with --help for the command line.

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/GameFolders.h"
#include "app/MatchSimulator.h"
#include "app/net/NetSession.h"
#include "app/Settings.h"
#include "engine/Log.h"
#include "tennis/Character.h"
#include "tools/JsonWriter.h"
#include "tools/simulate/CupTables.h"
#include "tools/simulate/MatchTables.h"

namespace {

constexpr const char* kUsage = R"(usage: simulate [options] [PLAYER...]

Plays whole matches between computer players and modelled people on the
game's own code and data (the real Application, match set-up, referee and
phase machine) with a manual
clock, one 16 ms step a frame, nothing drawn and nothing heard. Needs no
display: textures are named, never decoded or uploaded.

PLAYER is CHARACTER:LEVEL or CHARACTER:SKILL for slots 0, 1 (and 2, 3 in
doubles), in the order of the player set-up screen. CHARACTER is a name
(Vazuvodod, Roveriru, Revirade, Doredu) or its set-up index 1..4; LEVEL is
the computer level 0..5; SKILL is beginner, regular or expert: a modelled
person who plays with the keys of the slot's own key set (reaction time,
misjudgement and timing error of a person of that skill). Slots not given
play Vazuvodod:5, Doredu:5, Roveriru:5, Revirade:5. Over the network the
host's PLAYERs choose the match; each side gives the same list, and models
the people of its own slots with their SKILL (the joiner plays slot 1, and
3 in doubles).

options:
  --doubles        a doubles match (slots 0 and 2 against 1 and 3)
  --sets N         sets in the match, 1..5 (default 1)
  --games N        games in a set, 1..6 (default 6)
  --seed N         the random generator's state at the start (default 1);
                   the same players, options and seed give the same match
  --matches N      play N matches in a row, the seed growing by one each
  --ladder         play every pairing of two different levels 0..5 (slot 0's
                   level against slot 1's; in doubles each team's two players
                   share it), --matches each, so each two levels meet in both
                   orders, and print the table of how often the higher level
                   won, with the count of matches and the 95% interval
  --curve          play each skill (beginner, regular, expert; slot 0, and
                   slot 2 in doubles) against each computer level until
                   --points points are played, and print the table of the
                   share of points the person won, with its 95% interval
  --points N       points a cell of --curve plays at least (default 400,
                   about +-5 in the interval at worst)
  --cup NAME PLAYER
                   play a whole cup of the tournament (NAME bronce, plata or
                   oro) with PLAYER as the player (CHARACTER:SKILL, or
                   CHARACTER:LEVEL for the computer in the player's place;
                   in doubles the partner is the computer at the cup's top
                   level), its bracket drawn from --seed, each match one set
                   of --games games, the others played as the game plays
                   them while its bracket shows
  --cups N         play N cups in a row, the seed growing by one each
  --cup-table      play each skill in each cup --cups times (default 50,
                   the same seeds for every skill and cup) and print the
                   table of how often the person won the cup, with its 95%
                   interval and the rounds won on average
  --jobs N         play the tables' matches in N processes (default 1); the
                   tables are the same for any N
  --step-limit N   give a match up after N steps of 16 ms (default 2000000,
                   about nine hours of play); it then counts as unfinished
  --quiet          print only the summaries
  --pose-all       pose every node of the models, as the drawn game does,
                   not only those the match reads: slower, the same match
  --data DIR       the game's data folder (default: the run folder this
                   program sits in, or the installed data)
  --replay FILE    play a match the game recorded (a .zrec file from the
                   replay folder) step for step, people included; it brings
                   its own players, options and seed
  --host [ADDRESS:]PORT
                   play one match over the network with the game or
                   simulator that joins: this side chooses the players,
                   options and seed, and listens on PORT (on ADDRESS only,
                   when given) until one joins
  --join ADDRESS[:PORT]
                   play the match of the one hosting at ADDRESS (port 7777
                   unless given)
  --input-delay N  as host, the steps between a command and its step
                   (default 2; the other side's commands are predicted
                   until they come, and corrected)
  --wait SECONDS   how long to wait for the other side (default 30)
  --real-time      pace the steps by the real clock, as the game does
  --steps-per-frame N
                   steps a frame plays, 1..10 (default 1); over the network
                   the commands of a frame's steps travel in one packet
  --record-to DIR  write the match's recording into DIR when it ends
  --lesson NAME    take a lesson of training instead of a match: saque,
                   golpe, direccion, drive, globo, plongeon, remate or
                   punto, by the modelled person of the first PLAYER
                   (CHARACTER:SKILL) on key set 1, who follows what the
                   lesson's instruction asks; --matches N takes it N times,
                   the seed growing by one each. One line each: {"lesson",
                   "skill", "seed", "passed", "tries", "successes",
                   "seconds" (of game time)}; given up after 100 tries
  --rollback-test K
                   play the match twice: straight, and with every step put
                   back K steps (1..64) to the state saved then and those
                   steps played again from their recorded input before it
                   goes on; prints one line saying whether the hash of the
                   whole state after every step, the points, the final
                   score and the recording came out the same

One JSON object per line on standard output:
  a point:   {"point", "server", "winner", "end" ("out", "net",
              "second_bounce", "double_fault"), "lastShot" (how the last
              hit was made: "serve", "baseline", "net" for a stroke from
              inside the service line, "dive"), "faults" (first faults
              before it), "shots" (hits, serve included), "score"}
             "score" reads "NAME SETS [GAMES OF EACH SET] POINTS - ..." with
             the scoreboard's left side first; points count 0 15 30 40 50
             (advantage), or 0..5 and 40 (the sixth point) in a tie-break.
  a match:   {"summary", "levels" (a modelled person's skill by name),
              "seed", "finished", "winner", "loser", "points", "pointsWon"
              (by slot 0's team and by slot 1's), "ends" (points by end and
              last shot: "second_bounce_dive" counts the points won by a
              dive volley the other side did not reach), "meanRally",
              "faults", "doubleFaults", "gameMinutes",
              "steps", "score" (as in a point's line, where the match ended
              or was given up), "residentKb" (the process's resident memory
              after the match, to watch for growth over --matches)}
             and over the network also "stateHash" (the match's hash where
             it ended, in hexadecimal), "inputDelay", "roundTripMs",
             "bytesSent", "bytesReceived" (ENet's, headers included),
             "seconds" (real time of play), "rollbacks" (corrections of
             a prediction), "rollbacksPerSecond" (of play), "meanRollbackDepth"
             and "longestRollback" (steps played again), "waitedSeconds"
             (real time the match waited for the other side), "frameP99Ms"
             (the 99th percentile of the real time between two frames that
             moved the match) and "netEnd" (the line that ended the match
             early, else empty)
The game's own messages (Spanish, one line each) go to standard error.
  a cup's round: {"cup", "round" ("quarterfinal", "semifinal", "final"),
              "seed", "player", "opponent" (named as the bracket names
              them, a computer with its level), "level", "won", "score"
              (the player's games first), "finished", "gameMinutes",
              "matches" (every match of the round: "winner", "loser",
              "score" with the winner's games first)}
  a cup:     {"cup", "seed", "player", "skill" (or the level), "doubles",
              "games", "roundsWon", "reached" (the last round played),
              "won"}
With --ladder, --curve or --cup-table only the table is printed, as Markdown.

Exit status: 0 when every match finished (with --replay: when the replay
ends at the score the game recorded, finished or not), 1 when one was given
up or a replay went elsewhere, 2 for a bad command line or a recording that
cannot be read.
)";

struct Options {
  SimulatedMatch match;
  int32_t matches = 1;
  bool ladder = false;
  bool curve = false;
  int32_t points = 400;
  int32_t jobs = 1;
  bool quiet = false;
  std::filesystem::path data;
  std::filesystem::path replay;
  std::optional<NetAddress> host;
  std::optional<NetAddress> join;
  int32_t inputDelay = 0;
  int32_t waitSeconds = 30;
  int32_t rollbackTest = 0;
  // The cup of --cup (-1 for none), and of --cup-table how many cups a cell.
  int32_t cup = -1;
  int32_t cups = 1;
  bool cupsGiven = false;
  bool cupTable = false;
  std::optional<LessonId> lesson;
};

bool parseNumber(const char* text, int64_t low, int64_t high, int64_t& value) {
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, value);
  return error == std::errc() && stop == end && value >= low && value <= high;
}

int32_t characterIndex(const std::string& text) {
  for (int32_t index = 1; index <= kCharacterCount; ++index) {
    if (text == characterName(characterIdentifier(index)) || text == std::to_string(index)) return index;
  }
  return -1;
}

// CHARACTER:LEVEL for the computer, CHARACTER:SKILL for a modelled person.
bool parsePlayer(const char* text, int32_t slot, SimulatedMatch& match) {
  const char* colon = std::strchr(text, ':');
  if (!colon) return false;
  int64_t level = 0;
  PlayerSlot& chosen = match.slots[slot];
  chosen.character = characterIndex(std::string(text, colon));
  if (chosen.character <= 0) return false;
  match.people[slot] = findHumanSkill(colon + 1);
  if (match.people[slot]) {
    chosen.controller = slot;
    return true;
  }
  if (!parseNumber(colon + 1, 0, kComputerLevelCount - 1, level)) return false;
  chosen.controller = kKeySetCount + static_cast<int32_t>(level);
  return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
  options.match.slots = {{{1, kKeySetCount + 5}, {4, kKeySetCount + 5}, {2, kKeySetCount + 5}, {3, kKeySetCount + 5}}};
  int32_t players = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    int64_t value = 0;
    if (arg == "--doubles") {
      options.match.doubles = true;
    } else if (arg == "--cup" && hasValue && findCup(argv[i + 1]) >= 0) {
      options.cup = findCup(argv[++i]);
    } else if (arg == "--cups" && hasValue && parseNumber(argv[++i], 1, 100'000, value)) {
      options.cups = static_cast<int32_t>(value);
      options.cupsGiven = true;
    } else if (arg == "--cup-table") {
      options.cupTable = true;
    } else if (arg == "--ladder") {
      options.ladder = true;
    } else if (arg == "--curve") {
      options.curve = true;
    } else if (arg == "--points" && hasValue && parseNumber(argv[++i], 1, 1'000'000, value)) {
      options.points = static_cast<int32_t>(value);
    } else if (arg == "--jobs" && hasValue && parseNumber(argv[++i], 1, 64, value)) {
      options.jobs = static_cast<int32_t>(value);
    } else if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--pose-all") {
      options.match.poseEverything = true;
    } else if (arg == "--sets" && hasValue && parseNumber(argv[++i], 1, kMaxSets, value)) {
      options.match.setsToPlay = static_cast<int32_t>(value);
    } else if (arg == "--games" && hasValue && parseNumber(argv[++i], 1, 6, value)) {
      options.match.gamesPerSet = static_cast<int32_t>(value);
    } else if (arg == "--seed" && hasValue && parseNumber(argv[++i], 0, UINT32_MAX, value)) {
      options.match.seed = static_cast<uint32_t>(value);
    } else if (arg == "--matches" && hasValue && parseNumber(argv[++i], 1, 1'000'000, value)) {
      options.matches = static_cast<int32_t>(value);
    } else if (arg == "--step-limit" && hasValue && parseNumber(argv[++i], 1, INT32_MAX, value)) {
      options.match.stepLimit = value;
    } else if (arg == "--data" && hasValue) {
      options.data = argv[++i];
    } else if (arg == "--replay" && hasValue) {
      options.replay = std::filesystem::absolute(argv[++i]);
    } else if (arg == "--host" && hasValue && (options.host = parseNetAddress(argv[++i], ""))) {
    } else if (arg == "--join" && hasValue && (options.join = parseNetAddress(argv[++i], ""))) {
    } else if (arg == "--input-delay" && hasValue && parseNumber(argv[++i], 1, kMaxInputDelay, value)) {
      options.inputDelay = static_cast<int32_t>(value);
    } else if (arg == "--wait" && hasValue && parseNumber(argv[++i], 1, 3600, value)) {
      options.waitSeconds = static_cast<int32_t>(value);
    } else if (arg == "--steps-per-frame" && hasValue && parseNumber(argv[++i], 1, kMaxStepsPerFrame, value)) {
      options.match.frameMs = {static_cast<uint32_t>(value) * kFixedStepMs + 1};
    } else if (arg == "--real-time") {
      options.match.realTime = true;
    } else if (arg == "--rollback-test" && hasValue && parseNumber(argv[++i], 1, 64, value)) {
      options.rollbackTest = static_cast<int32_t>(value);
    } else if (arg == "--lesson" && hasValue && (options.lesson = findLesson(argv[++i]))) {
    } else if (arg == "--record-to" && hasValue) {
      options.match.recordingFolder = std::filesystem::absolute(argv[++i]).string();
    } else if (arg[0] != '-' && players < kPlayerSlotCount && parsePlayer(argv[i], players, options.match)) {
      ++players;
    } else {
      std::fprintf(stderr, "simulate: bad argument \"%s\" (see --help)\n", argv[i]);
      return false;
    }
  }
  return true;
}

long residentKilobytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

const char* endName(const RallyReport& rally) {
  switch (rally.call) {
    case RefereeCall::DoubleFault: return "double_fault";
    case RefereeCall::SecondBounce: return "second_bounce";
    case RefereeCall::Out: return rally.net ? "net" : "out";
    default: return "other";
  }
}

class Printer {
 public:
  Printer(std::FILE* out, bool quiet) : out(out), json(out), quiet(quiet) {}

  void rally(const SimulatedRally& ended) {
    const RallyReport& rally = ended.rally;
    if (rally.winner < 0) {
      ++faultsInPoint;
      return;
    }
    ++points;
    ++ends[std::string(endName(rally)) + "_" + lastShotName(ended.lastShot)];
    if (!quiet) {
      json.raw("{");
      json.key("point"), json.integer(points), json.raw(", ");
      json.key("server"), json.string(rally.serverName), json.raw(", ");
      json.key("winner"), json.string(rally.winnerName), json.raw(", ");
      json.key("end"), json.string(endName(rally)), json.raw(", ");
      json.key("lastShot"), json.string(lastShotName(ended.lastShot)), json.raw(", ");
      json.key("faults"), json.integer(faultsInPoint), json.raw(", ");
      json.key("shots"), json.integer(rally.shots), json.raw(", ");
      json.key("score"), json.string(ended.score), json.raw("}\n");
      std::fflush(out);
    }
    faultsInPoint = 0;
  }

  void summary(const SimulatedMatch& match, const SimulationResult& result) {
    json.raw("{");
    json.key("summary"), json.raw("true, ");
    json.key("levels"), json.raw("[");
    const int32_t slots = match.doubles ? kPlayerSlotCount : 2;
    for (int32_t slot = 0; slot < slots; ++slot) {
      const int32_t controller = match.slots[slot].controller;
      json.raw(slot ? ", " : "");
      if (match.people[slot]) {
        json.string(match.people[slot]->name);
      } else {
        controller < kKeySetCount ? json.raw("null") : json.integer(controller - kKeySetCount);
      }
    }
    json.raw("], ");
    json.key("seed"), json.integer(match.seed), json.raw(", ");
    json.key("finished"), json.raw(result.finished ? "true, " : "false, ");
    json.key("winner"), json.string(result.winnerName), json.raw(", ");
    json.key("loser"), json.string(result.loserName), json.raw(", ");
    json.key("points"), json.integer(result.points), json.raw(", ");
    json.key("pointsWon"), json.raw("["), json.integer(result.pointsWonByTeam[0]), json.raw(", ");
    json.integer(result.pointsWonByTeam[1]), json.raw("], ");
    json.key("ends"), json.raw("{");
    const char* comma = "";
    for (const auto& [end, count] : ends) {
      json.raw(comma), json.key(end.c_str()), json.integer(count);
      comma = ", ";
    }
    json.raw("}, ");
    json.key("meanRally"), json.number(result.points ? double(result.shots) / result.points : 0.0), json.raw(", ");
    json.key("faults"), json.integer(result.faults), json.raw(", ");
    json.key("doubleFaults"), json.integer(result.doubleFaults), json.raw(", ");
    json.key("gameMinutes"), json.number(double(result.steps) * kFixedStepMs / 60000.0), json.raw(", ");
    json.key("steps"), json.integer(result.steps), json.raw(", ");
    json.key("score"), json.string(result.finalScore), json.raw(", ");
    if (result.network) {
      const SimulationResult::Network& network = *result.network;
      char hash[24];
      std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(result.stateHash));
      json.key("stateHash"), json.string(hash), json.raw(", ");
      json.key("inputDelay"), json.integer(network.inputDelay), json.raw(", ");
      json.key("roundTripMs"), json.integer(network.roundTripMs), json.raw(", ");
      json.key("bytesSent"), json.integer(static_cast<int64_t>(network.bytesSent)), json.raw(", ");
      json.key("bytesReceived"), json.integer(static_cast<int64_t>(network.bytesReceived)), json.raw(", ");
      json.key("seconds"), json.number(network.seconds), json.raw(", ");
      json.key("rollbacks"), json.integer(network.rollbacks), json.raw(", ");
      json.key("rollbacksPerSecond"),
          json.number(network.steps ? double(network.rollbacks) * 1000.0 / (double(network.steps) * kFixedStepMs) : 0.0),
          json.raw(", ");
      json.key("meanRollbackDepth"),
          json.number(network.rollbacks ? double(network.stepsPlayedAgain) / double(network.rollbacks) : 0.0),
          json.raw(", ");
      json.key("longestRollback"), json.integer(network.deepestRollback), json.raw(", ");
      json.key("heldSteps"), json.integer(network.heldSteps), json.raw(", ");
      json.key("waitedSeconds"), json.number(network.waitedSeconds), json.raw(", ");
      json.key("frameP99Ms"), json.number(network.frameP99Ms), json.raw(", ");
      json.key("netEnd"), json.string(network.ended), json.raw(", ");
    }
    json.key("residentKb"), json.integer(residentKilobytes()), json.raw("}\n");
    std::fflush(out);
    points = 0;
    faultsInPoint = 0;
    ends.clear();
  }

 private:
  std::FILE* out;
  Json json;
  bool quiet;
  int32_t points = 0;
  int32_t faultsInPoint = 0;
  std::map<std::string, int32_t> ends;
};

bool playMatches(SimulatedMatch match, int32_t count, Printer& printer) {
  bool allFinished = true;
  const uint32_t firstSeed = match.seed;
  for (int32_t i = 0; i < count; ++i) {
    match.seed = firstSeed + static_cast<uint32_t>(i);
    const SimulationResult result =
        simulateMatch(match, [&printer](const SimulatedRally& rally) { printer.rally(rally); });
    printer.summary(match, result);
    allFinished = allFinished && result.finished;
  }
  return allFinished;
}

// A recording played again must end where the game left it.
bool replayMatch(const SimulatedMatch& match, Printer& printer) {
  const SimulationResult result =
      simulateMatch(match, [&printer](const SimulatedRally& rally) { printer.rally(rally); });
  printer.summary(match, result);
  const std::string& recorded = match.replay->finalScore;
  if (recorded.empty() || recorded == result.finalScore) return true;
  std::fprintf(stderr, "simulate: the replay ended at \"%s\", the game at \"%s\"\n", result.finalScore.c_str(),
               recorded.c_str());
  return false;
}

std::string fileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The match played straight, then with every step rolled back `steps` steps
// and played again: the same match, step for step, or a state that was
// left out of the save.
bool rollbackTest(SimulatedMatch match, int32_t steps, std::FILE* out) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("zumbolo-rollback-" + std::to_string(getpid()));
  SimulationResult results[2];
  std::vector<std::string> points[2];
  std::string recordings[2];
  for (int run = 0; run < 2; ++run) {
    const fs::path into = folder / (run ? "rolled" : "straight");
    std::error_code error;
    fs::remove_all(into, error);
    fs::create_directories(into, error);
    match.rollbackSteps = run ? steps : 0;
    match.hashEveryStep = true;
    match.frameMs = {kFixedStepMs};
    match.recordingFolder = into.string();
    results[run] = simulateMatch(match, [&told = points[run]](const SimulatedRally& ended) {
      told.push_back(std::to_string(ended.step) + " " + ended.rally.winnerName + " " +
                     std::to_string(int(ended.rally.call)) + " " + std::to_string(ended.rally.shots) + " " +
                     lastShotName(ended.lastShot) + " " + ended.score);
    });
    for (const auto& file : fs::directory_iterator(into, error)) recordings[run] = fileText(file.path());
  }
  std::error_code error;
  fs::remove_all(folder, error);
  const std::vector<uint64_t>& straight = results[0].stepHashes;
  const std::vector<uint64_t>& rolled = results[1].stepHashes;
  int64_t firstDifferent = -1;
  for (size_t i = 0; i < std::max(straight.size(), rolled.size()) && firstDifferent < 0; ++i) {
    if (i >= straight.size() || i >= rolled.size() || straight[i] != rolled[i]) firstDifferent = int64_t(i) + 1;
  }
  const bool samePoints = points[0] == points[1];
  const bool sameScore = results[0].finalScore == results[1].finalScore;
  const bool sameRecording = !recordings[0].empty() && recordings[0] == recordings[1];
  Json json(out);
  json.raw("{");
  json.key("rollbackTest"), json.integer(steps), json.raw(", ");
  json.key("seed"), json.integer(match.seed), json.raw(", ");
  json.key("doubles"), json.raw(match.doubles ? "true, " : "false, ");
  json.key("finished"), json.raw(results[1].finished ? "true, " : "false, ");
  json.key("steps"), json.integer(int64_t(straight.size())), json.raw(", ");
  json.key("points"), json.integer(int64_t(points[0].size())), json.raw(", ");
  json.key("firstDifferentStep"), json.integer(firstDifferent), json.raw(", ");
  json.key("restored"), json.raw(results[1].restoreFailed ? "false, " : "true, ");
  json.key("samePoints"), json.raw(samePoints ? "true, " : "false, ");
  json.key("sameScore"), json.raw(sameScore ? "true, " : "false, ");
  json.key("sameRecording"), json.raw(sameRecording ? "true" : "false"), json.raw("}\n");
  std::fflush(out);
  return results[0].finished && results[1].finished && firstDifferent < 0 && !results[1].restoreFailed &&
         samePoints && sameScore && sameRecording;
}

MatchTally tallyOf(const SimulationResult& result) {
  MatchTally tally;
  tally.matches = 1;
  if (!result.finished || result.winnerTeam < 0) tally.unfinished = 1;
  else ++tally.matchesWon[result.winnerTeam];
  tally.pointsWon[0] = result.pointsWonByTeam[0];
  tally.pointsWon[1] = result.pointsWonByTeam[1];
  return tally;
}

void setLevel(SimulatedMatch& match, int32_t team, int32_t level) {
  // Teams: slots 0 and 2 against 1 and 3.
  for (int32_t slot = team; slot < kPlayerSlotCount; slot += 2) {
    match.slots[slot].controller = kKeySetCount + level;
    match.people[slot] = nullptr;
  }
}

std::string cellText(const Share& s, int32_t trials) {
  char text[96];
  std::snprintf(text, sizeof text, "%.0f%% (%.0f-%.0f) n=%d", s.percent, s.low, s.high, trials);
  return text;
}

// A Markdown table's first two lines: the corner's name, then columns
// named `column` 0 .. columns - 1.
void printTableHead(std::FILE* out, const char* corner, const char* column, int32_t columns) {
  std::fprintf(out, "| %s |", corner);
  for (int32_t c = 0; c < columns; ++c) std::fprintf(out, " %s %d |", column, c);
  std::fprintf(out, "\n|---|");
  for (int32_t c = 0; c < columns; ++c) std::fprintf(out, "---|");
  std::fprintf(out, "\n");
}

// Each two different levels meet `count` times in each order; the table
// says how often the higher level won.
bool playLadder(SimulatedMatch match, int32_t count, int32_t jobs, std::FILE* out) {
  const int32_t levels = kComputerLevelCount;
  const int32_t pairings = levels * (levels - 1);
  const auto pairing = [levels](int32_t index, int32_t& a, int32_t& b) {
    a = index / (levels - 1);
    b = index % (levels - 1);
    if (b >= a) ++b;
  };
  const std::vector<MatchTally> tallies = playItems(pairings * count, jobs, [&](int32_t item) {
    SimulatedMatch played = match;
    int32_t a = 0;
    int32_t b = 0;
    pairing(item / count, a, b);
    setLevel(played, 0, a);
    setLevel(played, 1, b);
    played.seed = match.seed + static_cast<uint32_t>(item % count);
    return tallyOf(simulateMatch(played));
  });
  if (tallies.empty()) return false;
  // won[h][l]: matches the higher level h won against l, of played[h][l].
  std::vector<std::vector<int32_t>> won(levels, std::vector<int32_t>(levels, 0));
  std::vector<std::vector<int32_t>> played(levels, std::vector<int32_t>(levels, 0));
  bool allFinished = true;
  for (int32_t item = 0; item < pairings * count; ++item) {
    int32_t a = 0;
    int32_t b = 0;
    pairing(item / count, a, b);
    const MatchTally& t = tallies[item];
    allFinished = allFinished && t.unfinished == 0;
    const int32_t high = std::max(a, b);
    const int32_t low = std::min(a, b);
    played[high][low] += t.matches - t.unfinished;
    won[high][low] += t.matchesWon[a > b ? 0 : 1];
  }
  std::fprintf(out, "%s ladder: share of matches the higher level won, both orders, 95%% interval, matches\n\n",
               match.doubles ? "Doubles" : "Singles");
  printTableHead(out, "level", "against", levels - 1);
  for (int32_t high = 1; high < levels; ++high) {
    std::fprintf(out, "| %d |", high);
    for (int32_t low = 0; low < levels - 1; ++low) {
      const bool shown = low < high;
      std::fprintf(out, " %s |",
                   shown ? cellText(shareOf(won[high][low], played[high][low]), played[high][low]).c_str() : "");
    }
    std::fprintf(out, "\n");
  }
  return allFinished;
}

// Each skill against each level, until the cell has played `points` points.
bool playCurve(SimulatedMatch match, int32_t points, int32_t jobs, std::FILE* out) {
  const int32_t skills = static_cast<int32_t>(kHumanSkills.size());
  const std::vector<MatchTally> tallies = playItems(skills * kComputerLevelCount, jobs, [&](int32_t item) {
    SimulatedMatch played = match;
    setLevel(played, 1, item % kComputerLevelCount);
    for (int32_t slot = 0; slot < kPlayerSlotCount; slot += 2) {
      played.people[slot] = &kHumanSkills[item / kComputerLevelCount];
      played.slots[slot].controller = slot;
    }
    MatchTally cell;
    for (uint32_t i = 0; cell.pointsWon[0] + cell.pointsWon[1] < points; ++i) {
      played.seed = match.seed + i;
      const MatchTally one = tallyOf(simulateMatch(played));
      cell += one;
      // A match without a point (no data to play on) would never fill the cell.
      if (one.pointsWon[0] + one.pointsWon[1] == 0) break;
    }
    return cell;
  });
  if (tallies.empty()) return false;
  std::fprintf(out, "%s difficulty: share of points the person won, 95%% interval, points played\n\n",
               match.doubles ? "Doubles" : "Singles");
  printTableHead(out, "skill", "level", kComputerLevelCount);
  bool allFinished = true;
  for (int32_t skill = 0; skill < skills; ++skill) {
    std::fprintf(out, "| %s |", kHumanSkills[skill].name);
    for (int32_t level = 0; level < kComputerLevelCount; ++level) {
      const MatchTally& t = tallies[skill * kComputerLevelCount + level];
      allFinished = allFinished && t.unfinished == 0;
      const int32_t total = t.pointsWon[0] + t.pointsWon[1];
      std::fprintf(out, " %s |", cellText(shareOf(t.pointsWon[0], total), total).c_str());
    }
    std::fprintf(out, "\n");
  }
  return allFinished;
}

// --cup and --cup-table: the player is slot 0's PLAYER (Vazuvodod when none
// is given, whose skill the table does not use).
bool playTournament(const Options& options, std::FILE* out) {
  CupOptions cups;
  const SimulatedMatch& match = options.match;
  cups.cup.cup = std::max(options.cup, 0);
  cups.cup.entry.doubles = match.doubles;
  cups.cup.entry.character = match.slots[0].character;
  cups.cup.entry.gamesPerSet = match.gamesPerSet;
  cups.cup.seed = match.seed;
  cups.cup.stepLimit = match.stepLimit;
  cups.cup.person = match.people[0];
  cups.cup.level = std::max(match.slots[0].controller - kKeySetCount, 0);
  cups.jobs = options.jobs;
  constexpr int32_t kTableCups = 50;
  cups.cups = options.cupTable && !options.cupsGiven ? kTableCups : options.cups;
  return options.cupTable ? playCupTable(cups, out) : playCups(cups, out);
}

// Connects with the other side and agrees on the match: the host offers
// its own; nothing after one line when the other side does not come.
std::unique_ptr<NetSession> agreeNetMatch(const Options& options) {
  const bool hosting = options.host.has_value();
  std::unique_ptr<NetSession> session = hosting ? NetSession::host(*options.host) : NetSession::join(*options.join);
  if (!session) return nullptr;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.waitSeconds);
  constexpr uint32_t kWaitMs = 20;
  while (session->phase() != NetPhase::Ready && session->phase() != NetPhase::Ended &&
         std::chrono::steady_clock::now() < deadline) {
    session->pump(kWaitMs);
    if (hosting && session->phase() == NetPhase::Greeted) {
      const SimulatedMatch& match = options.match;
      // The joiner plays the far end (and its partner): computers here.
      session->offer(NetSetup{match.doubles, match.setsToPlay, match.gamesPerSet, match.slots, match.seed, 0,
                              0x2 | 0x8, 0},
                     options.inputDelay);
    }
  }
  if (session->phase() == NetPhase::Ready) return session;
  if (session->phase() != NetPhase::Ended) {
    printMessage("Nadie ha respondido en %d segundos: no hay partida en red\n", options.waitSeconds);
  }
  return nullptr;
}

// The lesson, --matches times, each a line; true when every one was passed.
bool takeLessons(const Options& options, std::FILE* out) {
  const HumanSkill* skill = options.match.people[0];
  if (!skill) {
    std::fprintf(stderr, "simulate: --lesson needs a modelled person (CHARACTER:SKILL)\n");
    return false;
  }
  bool allPassed = true;
  for (int32_t taken = 0; taken < options.matches; ++taken) {
    SimulatedLesson lesson;
    lesson.lesson = *options.lesson;
    lesson.character = options.match.slots[0].character;
    lesson.skill = skill;
    lesson.seed = options.match.seed + static_cast<uint32_t>(taken);
    const LessonResult result = simulateLesson(lesson);
    allPassed = allPassed && result.passed;
    Json json(out);
    std::fputs("{\"lesson\":", out);
    json.string(lessonRules(lesson.lesson).name);
    std::fputs(",\"skill\":", out);
    json.string(skill->name);
    std::fputs(",\"seed\":", out);
    json.integer(lesson.seed);
    std::fputs(",\"passed\":", out);
    std::fputs(result.passed ? "true" : "false", out);
    std::fputs(",\"tries\":", out);
    json.integer(result.tries);
    std::fputs(",\"successes\":", out);
    json.integer(result.successes);
    std::fputs(",\"seconds\":", out);
    json.number(result.seconds);
    std::fputs("}\n", out);
    std::fflush(out);
  }
  return allPassed;
}

// The game's data as the game itself finds it; the working folder when
// there is none (the simulator then plays without models, as the game would).
std::filesystem::path defaultDataFolder() {
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  const std::optional<GameFolders> folders = findGameFolders(executablePath(), here);
  return folders ? folders->data : here;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  Options options;
  if (!parseOptions(argc, argv, options)) return 2;
  std::error_code error;
  std::filesystem::current_path(options.data.empty() ? defaultDataFolder() : options.data, error);
  if (error) {
    std::fprintf(stderr, "simulate: no data folder \"%s\"\n", options.data.c_str());
    return 2;
  }
  // The game's messages go to standard output: they are moved to standard
  // error, and the JSON lines keep the real standard output to themselves.
  std::FILE* json = takeStandardOutputForJson();
  if (!json) {
    std::fprintf(stderr, "simulate: cannot set up the output\n");
    return 2;
  }
  // The defaults, without reading or writing the run folder's config.ini.
  settings = Settings::defaults();
  // No sound card is needed: the simulator hears nothing.
  setenv("SDL_AUDIODRIVER", "dummy", 0);

  if (!options.replay.empty()) {
    options.match.replay = loadRecording(options.replay);
    if (!options.match.replay) return 2;
    const MatchRecording& recorded = *options.match.replay;
    options.match.slots = recorded.slots;
    options.match.doubles = recorded.doubles;
    options.match.seed = recorded.randomState;
  }
  Printer printer(json, options.quiet);
  bool finished = false;
  if (options.host || options.join) {
    std::unique_ptr<NetSession> session = agreeNetMatch(options);
    if (session) {
      options.match.seed = session->setup().seed;
      options.match.slots = session->setup().slots;
      options.match.doubles = session->setup().doubles;
      const SimulationResult result = simulateNetMatch(
          std::move(session), options.match, [&printer](const SimulatedRally& rally) { printer.rally(rally); });
      printer.summary(options.match, result);
      finished = result.finished;
    }
  } else if (options.match.replay) {
    finished = replayMatch(options.match, printer);
  } else if (options.lesson) {
    finished = takeLessons(options, json);
  } else if (options.rollbackTest > 0) {
    finished = rollbackTest(options.match, options.rollbackTest, json);
  } else if (options.cup >= 0 || options.cupTable) {
    finished = playTournament(options, json);
  } else if (options.ladder) {
    finished = playLadder(options.match, options.matches, options.jobs, json);
  } else if (options.curve) {
    finished = playCurve(options.match, options.points, options.jobs, json);
  } else {
    finished = playMatches(options.match, options.matches, printer);
  }
  std::fclose(json);
  return finished ? 0 : 1;
}
