// The tournament on the game's own data: the round's other matches played
// without a window come out the same however their steps are spread over
// frames or mixed with another cup's; a cup picked from the main menu plays
// its round's match in the game, and a match left ends the cup; a final won
// puts the cup's trophy beside the winner; the simulator's cup is the game's.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/play/CupCeremony.h"
#include "app/CupSimulator.h"
#include "app/Settings.h"
#include "app/input/Keyboard.h"
#include "app/menus/Language.h"
#include "app/tournament/OtherMatches.h"
#include "engine/Random.h"
#include "engine/TextureFactory.h"
#include "support/TempDirectory.h"
#include "tennis/Character.h"

namespace {

const char* builtRunFolder() {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  const bool built = run && std::filesystem::is_regular_file(std::filesystem::path(run) / "models/stadium/pista.ASZ");
  return built ? run : nullptr;
}

// One-game sets: the shortest matches that still play every phase.
constexpr CupEntry kShortSingles{false, 1, 0, 1};

class TournamentPlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    run = builtRunFolder();
    if (!run) GTEST_SKIP() << "the game's data is not built";
    inside.emplace(run);
    settings = Settings::defaults();
    matchSetup = MatchSetup{};
    releaseAllKeys();
    stepAccumulator = 0;
  }
  void TearDown() override {
    app.reset();
    setMenuTextureFactory(nullptr);
    setMatchTextureFactory(nullptr);
    releaseAllKeys();
  }

  void frames(int count, uint32_t ms = 17) {
    for (int i = 0; i < count; ++i) {
      clock->advance(ms);
      app->frame();
    }
  }
  // Taps the keys, a frame each way: u d l r for the arrows, e for Enter.
  void press(const std::string& keys) {
    for (const char key : keys) {
      const int code = key == 'e' ? kKeyEnter : key == 'u' ? kKeyUp : key == 'd' ? kKeyDown : kKeyRight;
      code == kKeyEnter ? pressCharacterKey(kKeyEnter) : pressSpecialKey(code - kSpecialKeyBase);
      frames(1, 0);
      releaseAllKeys();
      frames(1, 0);
    }
  }

  const char* run = nullptr;
  std::optional<ScopedWorkingDirectory> inside;
  TempDirectory folder;
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(0);
  std::unique_ptr<Application> app;
};

// Each match starts from the seed of its place in the draw and keeps its
// generator to itself: played in one go, a few steps at a time, or in turn
// with the matches of another cup, the results are the same.
TEST_F(TournamentPlayTest, OtherMatchesComeOutTheSameHoweverTheirStepsAreSpread) {
  CupRun whole(BronzeCup, kShortSingles, 21);
  OtherMatches(matchTexts()).playAll(whole);
  CupRun sliced(BronzeCup, kShortSingles, 21);
  CupRun beside(SilverCup, kShortSingles, 8);
  OtherMatches slices(matchTexts());
  OtherMatches besideSlices(matchTexts());
  bool done = false;
  for (int i = 0; i < 100'000 && !done; ++i) {
    done = slices.play(sliced, 97);
    besideSlices.play(beside, 131);
  }
  EXPECT_EQ(sliced.bracket(), whole.bracket());
  // Real matches, one set of one game won by two clear or a tie-break.
  for (int32_t index = 0; index < matchesInRound(QuarterFinal); ++index) {
    const BracketMatch& match = whole.bracket().match(QuarterFinal, index);
    if (index == whole.playerMatch()) continue;
    ASSERT_TRUE(match.played()) << index;
    EXPECT_GT(match.games[match.winner], match.games[1 - match.winner]) << index;
  }
  EXPECT_EQ(whole.nextOtherMatch(), -1);
}

// From the main menu's TORNEO to the bracket, its round's match played as
// a match of the game, with the cup's players; left from the pause screen,
// the match is lost and the bracket shows where the cup ended.
TEST_F(TournamentPlayTest, ACupsMatchIsPlayedFromItsBracketAndLeavingItEndsTheCup) {
  const auto textures = std::make_shared<RecordingTextureFactory>();
  setMenuTextureFactory(textures);
  setMatchTextureFactory(textures);
  // Shown in a window, as the game does: a cup's match has the hints of any other.
  app = std::make_unique<Application>(clock);
  app->offerKeysCards(true);
  const std::filesystem::path progressFile = folder.path() / "zumbolo" / "cups.txt";
  app->setProgressFile(progressFile);
  testing::internal::CaptureStdout();
  press("de");
  const std::string said = testing::internal::GetCapturedStdout();
  EXPECT_NE(said.find(progressFile.string()), std::string::npos) << "no progress yet: " << said;
  const TournamentFlow& flow = app->tournamentFlow();
  ASSERT_TRUE(flow.showing());
  ASSERT_EQ(flow.currentScreens()->screen(), TournamentScreen::Entry);
  const int32_t games = flow.currentScreens()->entry().gamesPerSet;
  press("de");
  EXPECT_NE(flow.currentScreens()->entry().gamesPerSet, games) << "Enter on the games changes them";
  press("e");
  EXPECT_EQ(flow.currentScreens()->entry().gamesPerSet, games);
  press("ddde" "e");  // next, then the bronze cup
  ASSERT_EQ(flow.currentScreens()->screen(), TournamentScreen::Bracket);
  const std::shared_ptr<const CupRun> cup = flow.currentCup();
  ASSERT_TRUE(cup);
  // The other matches play while the bracket shows, a slice of each frame.
  for (int i = 0; i < 20'000 && cup->nextOtherMatch() >= 0; ++i) frames(1);
  EXPECT_EQ(cup->nextOtherMatch(), -1);

  press("e");
  ASSERT_EQ(app->currentPhase(), InMatch);
  const MatchSetup expected = cup->setupOf(cup->playerMatch());
  EXPECT_EQ(app->currentSimulation()->randomStateNow(), cup->seedOf(cup->playerMatch()));
  EXPECT_TRUE(app->currentSimulation()->person(0));
  EXPECT_EQ(app->slotPlayer(1)->name(), characterName(characterIdentifier(expected.slots[1].character)));
  EXPECT_EQ(matchSetup.setsToPlay, 1);
  // The person's first match of the run: their keys card shows.
  EXPECT_TRUE(app->showingKeysCard());
  EXPECT_TRUE(app->matchHints());

  app->currentMenu()->goToScreen(QuitMatch);
  frames(1);
  EXPECT_EQ(app->currentPhase(), InMenus);
  ASSERT_TRUE(flow.showing());
  EXPECT_EQ(flow.currentScreens()->screen(), TournamentScreen::Bracket);
  EXPECT_EQ(cup->standing(), CupStanding::Out);
  EXPECT_EQ(cup->round(), QuarterFinal);
  EXPECT_FALSE(std::filesystem::exists(progressFile)) << "nothing won, nothing written";

  // Back to the cups, the entry, and out to the main menu.
  press("re" "d" "e" "ddddre");
  EXPECT_FALSE(flow.showing());
  EXPECT_EQ(app->currentMenu()->screen(), MainMenu);
}

// Played to its end, a final whose player's team won stands the cup's
// trophy beside the winner, with the cup's name; put back to before the
// last point, the trophy goes again.
TEST_F(TournamentPlayTest, AFinalWonStandsTheTrophyBesideTheWinnerUntilTheMatchIsPutBack) {
  MatchSetup setup;
  setup.setsToPlay = 1;
  setup.gamesPerSet = 1;
  setup.slots[0] = {1, kKeySetCount + 5};
  setup.slots[1] = {4, kKeySetCount + 0};
  setRandomState(3);
  MatchSimulation match(setup, MatchMaking{SceneDisplay::None, std::make_shared<RecordingTextureFactory>(),
                                           matchTexts(), nullptr, settings.keySets, std::nullopt});
  CupCeremony ceremony(GoldCup, "COPA", std::make_shared<RecordingTextureFactory>());
  MatchSnapshot beforeLastPoint;
  for (int i = 0; i < 200'000 && match.state()->phase() != MatchWonMessage; ++i) {
    StepInput input;
    if (match.state()->phase() == IntroPlaying && i > 0) input.matchKeys = kMatchKeyEnter;
    if (match.state()->phase() == ServeInFlight) match.save(beforeLastPoint);
    match.step(input);
    if (match.state()->phase() == MatchWonMessage) break;
    ceremony.follow(match);
    ASSERT_FALSE(ceremony.standing()) << "before the match is won";
  }
  ASSERT_EQ(match.state()->phase(), MatchWonMessage);
  ASSERT_EQ(outcomeOf(*match.state()).winnerTeam, 0);
  const size_t entitiesInPlay = match.scene()->entities().size();
  ceremony.follow(match);
  ASSERT_TRUE(ceremony.standing());
  EXPECT_EQ(match.scene()->entities().size(), entitiesInPlay + 1);
  const Vector3 winner = match.slotPlayer(0)->position();
  const Vector3 trophy = ceremony.trophyPlace();
  EXPECT_EQ(trophy.y, 0.0f);
  EXPECT_NEAR(std::hypot(trophy.x - winner.x, trophy.z - winner.z), kTrophyBeside, 0.01f);

  ASSERT_TRUE(match.restore(beforeLastPoint));
  ceremony.follow(match);
  EXPECT_FALSE(ceremony.standing());
  EXPECT_EQ(match.scene()->entities().size(), entitiesInPlay);
}

// The simulator plays the draw and the other matches the game plays from
// the same seed: given the player's results, the game's bracket is the
// simulator's, round for round.
TEST_F(TournamentPlayTest, TheSimulatorsCupIsTheGames) {
  SimulatedCup wanted;
  wanted.cup = BronzeCup;
  wanted.entry = kShortSingles;
  wanted.seed = 5;
  wanted.person = findHumanSkill("expert");
  std::vector<Bracket> rounds;
  const CupResult result = simulateCup(wanted, [&](const PlayedCupRound& played) {
    EXPECT_EQ(played.round, static_cast<int32_t>(rounds.size()));
    rounds.push_back(played.cup.bracket());
  });
  ASSERT_FALSE(rounds.empty());
  EXPECT_TRUE(result.finished);
  EXPECT_EQ(result.roundsWon + (result.standing == CupStanding::Out ? 1 : 0), static_cast<int32_t>(rounds.size()));

  CupRun game(BronzeCup, kShortSingles, 5);
  OtherMatches others(matchTexts());
  for (const Bracket& simulated : rounds) {
    others.playAll(game);
    const int32_t round = game.round();
    const BracketMatch& own = simulated.match(round, simulated.playerMatch(round));
    const int32_t you = simulated.entrant(own.entrants[0]).player ? 0 : 1;
    MatchOutcome outcome;
    outcome.decided = true;
    outcome.winnerTeam = own.winner == you ? 0 : 1;
    outcome.games = {own.games[you], own.games[1 - you]};
    game.record(game.playerMatch(), outcome);
    EXPECT_EQ(game.bracket(), simulated) << "round " << round;
  }
  EXPECT_EQ(game.standing(), result.standing);
}

}  // namespace
