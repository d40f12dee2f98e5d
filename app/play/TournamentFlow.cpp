#include "app/play/TournamentFlow.h"

#include <chrono>
#include <utility>

#include "engine/Random.h"

void TournamentFlow::open(MatchTexts texts, std::shared_ptr<TextureFactory> textures) {
  matchWords = std::move(texts);
  textureFactory = std::move(textures);
  progress = progressFile.empty() ? CupProgress{} : loadProgress(progressFile);
  screens = std::make_shared<TournamentMenu>(textureFactory);
  if (!entryChosen) {
    // The first time, as the match options stand.
    lastEntry.doubles = matchSetup.doublesFlag != 0;
    lastEntry.gamesPerSet = matchSetup.gamesPerSet;
  }
  screens->setEntry(lastEntry);
  screens->setProgress(progress);
  stage.showTournamentScreens(screens);
}

void TournamentFlow::followKeys(const PadMenuPresses& presses) {
  if (!screens) return;
  screens->handleInput();
  for (int32_t direction = 0; direction < kMenuDirectionCount; ++direction) {
    if (presses.directions[direction]) screens->navigate(static_cast<MenuDirection>(direction));
  }
  if (presses.select) screens->select();
  if (presses.back) screens->goBack();
}

void TournamentFlow::followFrame() {
  if (!showing()) return;
  switch (screens->screen()) {
    case TournamentScreen::LeaveRequest:
      lastEntry = screens->entry();
      entryChosen = true;
      close();
      stage.leaveTournament();
      return;
    case TournamentScreen::CupPicked: startCup(screens->pickedCup()); break;
    case TournamentScreen::DrawAgainRequest: startCup(cup ? cup->cup() : 0); break;
    case TournamentScreen::PlayRequest: playRound(); return;
    case TournamentScreen::Bracket: break;
    default:
      // A cup given up is played no further.
      cup.reset();
      others.reset();
      break;
  }
  playOtherMatches();
}

void TournamentFlow::startCup(int32_t cupIndex) {
  lastEntry = screens->entry();
  entryChosen = true;
  // Fifteen bits a draw of the game's own generator.
  const auto high = static_cast<uint32_t>(nextRandom());
  const uint32_t seed = high << 15 | static_cast<uint32_t>(nextRandom());
  cup = std::make_shared<CupRun>(cupIndex, lastEntry, seed);
  others = std::make_unique<OtherMatches>(matchWords);
  screens->goToScreen(TournamentScreen::Bracket);
  screens->showCup(cup, cup->nextOtherMatch() >= 0);
}

void TournamentFlow::playOtherMatches() {
  if (!cup || !others || cup->nextOtherMatch() < 0) return;
  const Bracket before = cup->bracket();
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kOtherMatchesMsPerFrame);
  bool done = false;
  while (!done && std::chrono::steady_clock::now() < until) done = others->play(*cup, kOtherMatchesSliceSteps);
  // The screen changes only when a result came in.
  if (done || !(cup->bracket() == before)) screens->showCup(cup, !done);
}

void TournamentFlow::playRound() {
  const int32_t index = cup->playerMatch();
  cupCeremony.reset();
  if (cup->round() == Final) {
    cupCeremony = std::make_unique<CupCeremony>(cup->cup(), TournamentMenu::cupName(cup->cup()), textureFactory);
  }
  inMatch = true;
  stage.startTournamentMatch(cup->setupOf(index), cup->seedOf(index));
}

void TournamentFlow::followMatch(const MatchSimulation& match) {
  if (inMatch && cupCeremony) cupCeremony->follow(match);
}

void TournamentFlow::matchLeft(const MatchSimulation& match) {
  if (!inMatch || !cup) return;
  inMatch = false;
  cupCeremony.reset();
  cup->record(cup->playerMatch(), outcomeOf(*match.state()));
  if (cup->standing() == CupStanding::Champion) {
    progress.markWon(lastEntry.doubles, lastEntry.character, cup->cup());
    if (!progressFile.empty()) saveProgress(progress, progressFile);
    screens->setProgress(progress);
  }
  screens->goToScreen(TournamentScreen::Bracket);
  screens->showCup(cup, cup->nextOtherMatch() >= 0);
  stage.showTournamentScreens(screens);
}

void TournamentFlow::close() {
  screens.reset();
  cup.reset();
  others.reset();
  cupCeremony.reset();
  inMatch = false;
}
