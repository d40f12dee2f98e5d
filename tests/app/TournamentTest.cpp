// The tournament without a match played: the draw (who stands where, who
// meets whom in each round, the same bracket from the same seed), a cup's
// rounds as results come in, which cups open as cups are won, the progress
// file read, written and refused when damaged or missing, and the
// tournament's screens driven by the keys.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/input/Keyboard.h"
#include "app/menus/Language.h"
#include "app/menus/TextLines.h"
#include "app/menus/TournamentMenu.h"
#include "app/tournament/Bracket.h"
#include "app/tournament/CupProgress.h"
#include "app/tournament/CupRun.h"
#include "engine/TextureFactory.h"
#include "support/TempDirectory.h"
#include "tests/app/MenuKeys.h"

namespace {

constexpr uint32_t kSeeds[] = {1, 2, 77, 4096, 123456789};

// The menus' tests read a language whose every line names its own number.
std::string line(int32_t index) { return "T" + std::to_string(index); }

MatchOutcome wonBy(int32_t team, int32_t winnerGames = 6, int32_t loserGames = 3) {
  MatchOutcome outcome;
  outcome.decided = true;
  outcome.winnerTeam = team;
  outcome.games[team] = winnerGames;
  outcome.games[1 - team] = loserGames;
  return outcome;
}

// Every match of this round the player is not in, won by its first entrant.
void playOthers(CupRun& cup) {
  const int32_t round = cup.round();
  while (cup.round() == round && cup.nextOtherMatch() >= 0) cup.record(cup.nextOtherMatch(), wonBy(0));
}

// The levels the player meets round by round are the cup's, whoever wins
// the other matches: beside the player the first level, in the other pair
// of the player's half the second, in the other half the top one. Within a
// level no two entrants are the same character (or pair).
TEST(BracketTest, TheDrawPlacesTheCupsLevelsSoThatThePlayerMeetsThemInRisingOrder) {
  for (int32_t cup = 0; cup < kCupCount; ++cup) {
    for (const bool doubles : {false, true}) {
      for (const uint32_t seed : kSeeds) {
        SCOPED_TRACE(std::to_string(cup) + (doubles ? " doubles " : " singles ") + std::to_string(seed));
        const Bracket bracket(cup, doubles, 3, seed);
        const int32_t you = bracket.playerPosition();
        ASSERT_TRUE(bracket.entrant(you).player);
        EXPECT_EQ(bracket.entrant(you).characters[0], 3);
        std::set<std::array<int32_t, 2>> byLevel[kRoundCount];
        for (int32_t position = 0; position < kEntrantCount; ++position) {
          if (position == you) continue;
          const Entrant& entrant = bracket.entrant(position);
          EXPECT_FALSE(entrant.player);
          // The round in which the player can first meet this position.
          const int32_t round = position / 2 == you / 2 ? QuarterFinal : position / 4 == you / 4 ? SemiFinal : Final;
          EXPECT_EQ(entrant.level, kCups[cup].levels[round]) << position;
          EXPECT_TRUE(byLevel[round].insert(entrant.characters).second) << "twice the same at a level";
          if (doubles) {
            EXPECT_NE(entrant.characters[0], entrant.characters[1]);
          } else {
            EXPECT_EQ(entrant.characters[1], kNoCharacter);
          }
        }
        if (doubles) {
          EXPECT_NE(bracket.entrant(you).characters[1], 3) << "the partner is another character";
        }
        EXPECT_EQ(bracket, Bracket(cup, doubles, 3, seed));
      }
    }
  }
  // The seed moves the player and the others about.
  std::set<int32_t> places;
  for (uint32_t seed = 0; seed < 40; ++seed) places.insert(Bracket(0, false, 1, seed).playerPosition());
  EXPECT_EQ(places.size(), size_t(kEntrantCount));
}

// Quarter-final m is positions 2m and 2m + 1; its winner goes to semi-final
// m / 2, on the side of m's parity, and so on to the final.
TEST(BracketTest, WinnersMeetTheWinnersOfTheNeighbouringMatchInTheNextRound) {
  const struct {
    std::array<int32_t, 4> quarterWinners;  // 0 or 1 in each quarter-final
    std::array<int32_t, 2> semiWinners;
    std::array<int32_t, 2> semiFirst;  // the positions of semi-final 0
    std::array<int32_t, 2> semiSecond;
    std::array<int32_t, 2> finalists;
  } cases[] = {
      {{0, 0, 0, 0}, {0, 0}, {0, 2}, {4, 6}, {0, 4}},
      {{1, 1, 1, 1}, {1, 1}, {1, 3}, {5, 7}, {3, 7}},
      {{1, 0, 0, 1}, {1, 0}, {1, 2}, {4, 7}, {2, 4}},
  };
  for (const auto& c : cases) {
    Bracket bracket(1, false, 1, 5);
    for (int32_t m = 0; m < 4; ++m) bracket.record(QuarterFinal, m, c.quarterWinners[m], {6, 2});
    EXPECT_EQ(bracket.match(SemiFinal, 0).entrants, c.semiFirst);
    EXPECT_EQ(bracket.match(SemiFinal, 1).entrants, c.semiSecond);
    EXPECT_FALSE(bracket.match(Final, 0).ready());
    for (int32_t m = 0; m < 2; ++m) bracket.record(SemiFinal, m, c.semiWinners[m], {7, 5});
    EXPECT_EQ(bracket.match(Final, 0).entrants, c.finalists);
    EXPECT_EQ(bracket.match(SemiFinal, 1).games, (std::array<int32_t, 2>{7, 5}));
  }
  // A match whose entrants are not both known takes no result.
  Bracket early(1, false, 1, 5);
  early.record(Final, 0, 0, {6, 0});
  EXPECT_FALSE(early.match(Final, 0).played());
}

TEST(BracketTest, EntrantsAreNamedByCharacterAndComputersByLevelToo) {
  EXPECT_EQ(entrantName(Entrant{{4, kNoCharacter}, 3, false}), "DOREDU 3");
  EXPECT_EQ(entrantName(Entrant{{1, 2}, 5, false}), "VAZUVODOD/ROVERIRU 5");
  EXPECT_EQ(entrantName(Entrant{{3, 4}, 5, true}), "REVIRADE/DOREDU");
}

// The player's match of each round: the player on slot 0 with their key
// set (and the computer partner on slot 2), the opponent at the round's
// level; the round goes on only once every match of it is in.
TEST(CupRunTest, ThePlayerMeetsTheCupsLevelsRoundByRoundUntilBeatenOrTheCupIsWon) {
  for (const bool doubles : {false, true}) {
    for (const uint32_t seed : kSeeds) {
      SCOPED_TRACE(std::to_string(seed) + (doubles ? " doubles" : " singles"));
      CupRun cup(GoldCup, CupEntry{doubles, 2, 3, 2}, seed);
      for (int32_t round = QuarterFinal; round <= Final; ++round) {
        ASSERT_EQ(cup.round(), round);
        ASSERT_EQ(cup.standing(), CupStanding::Playing);
        const MatchSetup setup = cup.setupOf(cup.playerMatch());
        EXPECT_EQ(setup.slots[0], (PlayerSlot{2, 3}));
        EXPECT_EQ(setup.slots[1].controller, kKeySetCount + kCups[GoldCup].levels[round]);
        EXPECT_EQ(setup.setsToPlay, 1);
        EXPECT_EQ(setup.gamesPerSet, 2);
        EXPECT_EQ(setup.doublesFlag, doubles ? 1 : 0);
        if (doubles) {
          EXPECT_EQ(setup.slots[2].controller, kKeySetCount + partnerLevel(GoldCup));
          EXPECT_EQ(setup.slots[3].controller, setup.slots[1].controller);
        }
        cup.record(cup.playerMatch(), wonBy(0, 2, 1));
        if (round < Final) {
          EXPECT_EQ(cup.round(), round) << "the others are still to play";
        }
        playOthers(cup);
      }
      EXPECT_EQ(cup.standing(), CupStanding::Champion);
      const BracketMatch& final = cup.bracket().match(Final, 0);
      EXPECT_TRUE(cup.bracket().entrant(final.entrants[final.winner]).player);
    }
  }
}

TEST(CupRunTest, ALossOrAMatchLeftEndsTheCupInItsRound) {
  const struct {
    const char* what;
    int32_t roundsWon;
    MatchOutcome last;
  } cases[] = {
      {"beaten in the quarter-finals", 0, wonBy(1)},
      {"beaten in the final", 2, wonBy(1, 7, 6)},
      {"left the semi-final", 1, MatchOutcome{}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CupRun cup(BronzeCup, CupEntry{}, 9);
    for (int32_t round = 0; round < c.roundsWon; ++round) {
      playOthers(cup);
      cup.record(cup.playerMatch(), wonBy(0));
    }
    playOthers(cup);
    const int32_t index = cup.playerMatch();
    cup.record(index, c.last);
    EXPECT_EQ(cup.standing(), CupStanding::Out);
    EXPECT_EQ(cup.round(), c.roundsWon);
    const BracketMatch& lost = cup.bracket().match(c.roundsWon, index);
    EXPECT_FALSE(cup.bracket().entrant(lost.entrants[lost.winner]).player);
    EXPECT_EQ(cup.nextOtherMatch(), -1);
  }
}

// The player's games are team 0's, whichever side of the match the draw
// put them on.
TEST(CupRunTest, ThePlayersGamesStandBesideThePlayerInTheBracket) {
  for (const uint32_t seed : kSeeds) {
    CupRun cup(SilverCup, CupEntry{}, seed);
    const int32_t index = cup.playerMatch();
    cup.record(index, wonBy(0, 6, 4));
    const BracketMatch& played = cup.bracket().match(QuarterFinal, index);
    const int32_t you = cup.bracket().entrant(played.entrants[0]).player ? 0 : 1;
    EXPECT_EQ(played.winner, you);
    EXPECT_EQ(played.games[you], 6);
    EXPECT_EQ(played.games[1 - you], 4);
  }
}

// The first cup is always open; each further one once the cup before it
// is won in that mode, by any character.
TEST(CupProgressTest, EachCupOpensOnceTheOneBeforeIsWonInThatMode) {
  const struct {
    const char* what;
    std::vector<std::tuple<bool, int32_t, int32_t>> won;  // doubles, character, cup
    std::array<bool, kCupCount> openSingles;
    std::array<bool, kCupCount> openDoubles;
  } cases[] = {
      {"nothing won", {}, {true, false, false}, {true, false, false}},
      {"bronze in singles", {{false, 1, BronzeCup}}, {true, true, false}, {true, false, false}},
      {"bronze and silver in doubles by two characters",
       {{true, 2, BronzeCup}, {true, 4, SilverCup}},
       {true, false, false},
       {true, true, true}},
      {"silver alone", {{false, 3, SilverCup}}, {true, false, true}, {true, false, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CupProgress progress;
    for (const auto& [doubles, character, cup] : c.won) progress.markWon(doubles, character, cup);
    for (int32_t cup = 0; cup < kCupCount; ++cup) {
      EXPECT_EQ(progress.open(false, cup), c.openSingles[cup]) << cup;
      EXPECT_EQ(progress.open(true, cup), c.openDoubles[cup]) << cup;
    }
  }
  CupProgress progress;
  progress.markWon(false, 2, GoldCup);
  EXPECT_TRUE(progress.won(false, 2, GoldCup));
  EXPECT_FALSE(progress.won(false, 1, GoldCup)) << "another character";
  EXPECT_FALSE(progress.won(true, 2, GoldCup)) << "the other mode";
  progress.markWon(false, 0, BronzeCup);  // no such character
  EXPECT_FALSE(progress.open(false, SilverCup));
}

class ProgressFileTest : public ::testing::Test {
 protected:
  // What the reader said, and what it gave.
  std::optional<CupProgress> decode(const std::string& text, std::string& said) {
    testing::internal::CaptureStdout();
    std::optional<CupProgress> progress = decodeProgress(text, "cups.txt");
    said = testing::internal::GetCapturedStdout();
    return progress;
  }

  TempDirectory folder;
};

TEST_F(ProgressFileTest, CupsWonWriteAndReadBackTheSame) {
  CupProgress progress;
  progress.markWon(false, 1, BronzeCup);
  progress.markWon(false, 1, SilverCup);
  progress.markWon(true, 4, BronzeCup);
  const std::string text = encodeProgress(progress);
  EXPECT_EQ(text, "ZUMBOLO CUPS 1\nsingles Vazuvodod bronce plata\ndoubles Doredu bronce\n");
  std::string said;
  EXPECT_EQ(decode(text, said), progress);
  EXPECT_EQ(said, "");
  // Cups in any order, blanks and Windows line ends read the same.
  EXPECT_EQ(decode("ZUMBOLO CUPS 1\r\n\r\ndoubles  Doredu bronce\r\nsingles Vazuvodod plata\tbronce\r\n", said),
            progress);
  EXPECT_EQ(said, "");
}

// One line, naming the file and the line at fault; nothing read.
TEST_F(ProgressFileTest, ADamagedFileSaysWhereInOneLineAndGivesNothing) {
  const struct {
    std::string text;
    int32_t line;
  } cases[] = {
      {"", 1},
      {"ZUMBOLO CUPS 2\n", 1},
      {"singles Vazuvodod bronce\n", 1},
      {"ZUMBOLO CUPS 1\nsingle Vazuvodod bronce\n", 2},
      {"ZUMBOLO CUPS 1\nsingles Pepe bronce\n", 2},
      {"ZUMBOLO CUPS 1\nsingles\n", 2},
      {"ZUMBOLO CUPS 1\nsingles Doredu oro\n\nsingles Vazuvodod copa\n", 4},
      {"ZUMBOLO CUPS 1\nsingles Doredu oro oro\n", 2},
      {"ZUMBOLO CUPS 1\ndoubles Doredu oro\ndoubles Doredu plata\n", 3},
      {"ZUMBOLO CUPS 1\nsingles vazuvodod bronce\n", 2},
      {std::string("ZUMBOLO CUPS 1\n") + std::string(kMaxProgressBytes, ' '), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    std::string said;
    EXPECT_FALSE(decode(c.text, said).has_value());
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("cups.txt"), std::string::npos) << said;
    EXPECT_NE(said.find("linea " + std::to_string(c.line) + " "), std::string::npos) << said;
  }
}

TEST_F(ProgressFileTest, AMissingOrDamagedFileStartsAfreshWithOneLine) {
  for (const std::string& contents : {std::string(), std::string("ZUMBOLO CUPS 1\nsingles Doredu oro\nbasura\n")}) {
    const std::filesystem::path file = contents.empty() ? folder.path() / "none.txt" : folder.write("cups.txt", contents);
    testing::internal::CaptureStdout();
    const CupProgress progress = loadProgress(file);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(progress, CupProgress{});
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(file.string()), std::string::npos) << said;
  }
}

// Written whole: the file appears only complete, replaces the one before
// and leaves nothing beside it; a folder that cannot be written keeps what
// was there and says so.
TEST_F(ProgressFileTest, SavingReplacesTheFileWholeOrLeavesTheOldOne) {
  const std::filesystem::path file = folder.path() / "zumbolo" / "cups.txt";
  CupProgress progress;
  progress.markWon(true, 3, BronzeCup);
  ASSERT_TRUE(saveProgress(progress, file));
  progress.markWon(true, 3, SilverCup);
  ASSERT_TRUE(saveProgress(progress, file));
  testing::internal::CaptureStdout();
  EXPECT_EQ(loadProgress(file), progress);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()), {}), 1);

  // A folder where the file should be: the rename cannot replace it.
  const std::filesystem::path blocked = folder.path() / "blocked";
  std::filesystem::create_directories(blocked / "inside");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(saveProgress(progress, blocked));
  const std::string said = testing::internal::GetCapturedStdout();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
  EXPECT_FALSE(std::filesystem::exists(blocked.string() + ".new"));
}

class TournamentMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    releaseAllKeys();
    // Every language line names its own index.
    std::string lines;
    for (int32_t i = 0; i <= kTextCupsOpen; ++i) lines += line(i) + "\n";
    std::istringstream in(lines);
    readLanguage(in, "XX.data");
    menu.goToScreen(TournamentScreen::Entry);  // in these words
  }
  void TearDown() override { releaseAllKeys(); }

  void press(const std::string& keys) { pressMenuKeys(menu, keys); }
  std::string highlighted() const { return menu.selected() ? menu.selected()->text() : "(none)"; }
  std::vector<std::string> texts() const {
    std::vector<std::string> result;
    for (const auto& item : menu.items()) result.push_back(item->text());
    return result;
  }

  TournamentMenu menu{std::make_shared<RecordingTextureFactory>()};
};

TEST_F(TournamentMenuTest, TheEntryIsChosenWithTheKeysAndLockedCupsAreShownButNotOffered) {
  EXPECT_EQ(highlighted(), line(kTextMode));  // the mode
  press("e" "de" "dee" "deeeee");
  EXPECT_EQ(menu.entry(), (CupEntry{true, 3, 1, 2}));
  press("ll" "r");  // Left and Right step a value either way, coming round
  EXPECT_EQ(menu.entry(), (CupEntry{true, 3, 0, 2}));
  press("ur" "uuur");
  EXPECT_EQ(menu.entry(), (CupEntry{false, 4, 0, 2}));
  press("ddl" "dr");
  EXPECT_EQ(menu.entry(), (CupEntry{false, 3, 1, 2}));
  press("uuue" "ddd");
  EXPECT_EQ(menu.entry(), (CupEntry{true, 3, 1, 2}));
  CupProgress progress;
  progress.markWon(true, 3, BronzeCup);
  menu.setProgress(progress);
  press("dr" "e");  // back is right of next: still the entry
  EXPECT_EQ(menu.screen(), TournamentScreen::LeaveRequest);
  menu.goToScreen(TournamentScreen::Entry);
  press("ddddd" "e");
  ASSERT_EQ(menu.screen(), TournamentScreen::Cups);
  // Bronze and silver to pick, gold locked; the highlight on silver.
  EXPECT_EQ(texts(), (std::vector<std::string>{line(kTextFirstCup + BronzeCup), line(kTextFirstCup + SilverCup),
                                               line(kTextBack)}));
  EXPECT_EQ(highlighted(), line(kTextFirstCup + SilverCup));
  EXPECT_EQ(menu.cupLabel(BronzeCup), line(kTextWon));
  EXPECT_EQ(menu.cupLabel(SilverCup), "");
  EXPECT_EQ(menu.cupLabel(GoldCup), line(kTextLocked));
  menu.setEntry(CupEntry{false, 2, 0, 1});  // the match options' one-game sets are not offered
  EXPECT_EQ(menu.entry().gamesPerSet, 2);
  menu.setEntry(CupEntry{true, 3, 1, 2});
  menu.goToScreen(TournamentScreen::Cups);
  press("x");  // Escape goes back a screen, and from the entry to the main menu
  EXPECT_EQ(menu.screen(), TournamentScreen::Entry);
  press("x");
  EXPECT_EQ(menu.screen(), TournamentScreen::LeaveRequest);
  menu.goToScreen(TournamentScreen::Cups);
  press("e");
  EXPECT_EQ(menu.screen(), TournamentScreen::CupPicked);
  EXPECT_EQ(menu.pickedCup(), SilverCup);
}

// Before a round: play or leave the cup; once beaten: try again or back;
// once won: back. Beneath the bracket, how the cup stands.
TEST_F(TournamentMenuTest, TheBracketOffersWhatTheCupAllows) {
  auto cup = std::make_shared<CupRun>(BronzeCup, CupEntry{}, 3);
  menu.goToScreen(TournamentScreen::Bracket);
  menu.showCup(cup, true);
  EXPECT_EQ(texts(), (std::vector<std::string>{line(kTextPlay), line(kTextLeaveCup)}));
  EXPECT_EQ(menu.bracketStatus(), line(kTextOthersPlaying));
  menu.showCup(cup, false);
  EXPECT_EQ(menu.bracketStatus(), line(kTextFirstRound + QuarterFinal));
  press("r");
  playOthers(*cup);
  cup->record(cup->playerMatch(), wonBy(0));
  menu.showCup(cup, false);
  EXPECT_EQ(menu.bracketStatus(), line(kTextFirstRound + SemiFinal));
  EXPECT_EQ(highlighted(), line(kTextLeaveCup)) << "the highlight stays on its item";
  playOthers(*cup);
  cup->record(cup->playerMatch(), wonBy(1));
  menu.showCup(cup, false);
  EXPECT_EQ(texts(), (std::vector<std::string>{line(kTextDrawAgain), line(kTextBack)}));
  EXPECT_EQ(menu.bracketStatus(), line(kTextFirstBeaten + SemiFinal));
  press("le");
  EXPECT_EQ(menu.screen(), TournamentScreen::DrawAgainRequest);

  auto won = std::make_shared<CupRun>(BronzeCup, CupEntry{}, 3);
  for (int32_t round = 0; round < kRoundCount; ++round) {
    playOthers(*won);
    won->record(won->playerMatch(), wonBy(0));
  }
  menu.goToScreen(TournamentScreen::Bracket);
  menu.showCup(won, false);
  EXPECT_EQ(texts(), (std::vector<std::string>{line(kTextBack)}));
  EXPECT_EQ(menu.bracketStatus(), line(kTextCupWon));
}

// The player's entries are highlighted in every round they reached, the
// beaten dimmed, those still to come shown as "?".
TEST(BracketPictureTest, TheLayoutShowsEachRoundsEntrantsAndTheirGames) {
  CupRun cup(BronzeCup, CupEntry{false, 1, 0, 6}, 11);
  cup.record(cup.playerMatch(), wonBy(0, 6, 2));
  playOthers(cup);
  const BracketLayout layout = layoutBracket(cup.bracket(), false);
  int32_t player = 0;
  int32_t beaten = 0;
  int32_t unknown = 0;
  for (const BracketText& text : layout.texts) {
    player += text.player && text.text == "VAZUVODOD";
    beaten += text.beaten && text.text != kUnknownEntrant;
    unknown += text.text == kUnknownEntrant;
  }
  EXPECT_EQ(player, 2);
  EXPECT_EQ(beaten, 2 * 4);  // the four quarter-finals' losers, name and games
  EXPECT_EQ(unknown, 2 + 0);  // the final's two
  EXPECT_EQ(layout.lines.size(), size_t(4 * (4 + 2)));
}

}  // namespace
