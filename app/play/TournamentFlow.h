#pragma once
// The tournament for one player, from the main menu's TORNEO to the cup's
// end: the tournament's screens (TournamentMenu), the cup being played
// (CupRun) with its draw, the round's other matches played without a window
// a slice of each frame while the bracket shows (OtherMatches), the
// player's match of each round in the window, the ceremony of a final won
// (CupCeremony) and the progress kept in the user's data folder
// (CupProgress), read when the tournament opens and written when a cup is
// won.
//
// Each cup's draw follows from a seed drawn from the game's own generator
// when the cup is picked, and every match of it from the seed the draw gave
// it: the same seed, and the same play of the player, give the same cup.
// The wall clock only says how much of a frame the other matches may take.
//
// The flow owns the screens, the cup, its other matches and the ceremony;
// what it needs of the game around it (a scene for its screens, a match
// built and started, the main menu) it asks through TournamentStage.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "app/play/CupCeremony.h"
#include "app/input/Gamepads.h"
#include "app/match/MatchSetup.h"
#include "app/match/MatchSimulation.h"
#include "app/match/MatchTexts.h"
#include "app/menus/TournamentMenu.h"
#include "app/tournament/CupProgress.h"
#include "app/tournament/CupRun.h"
#include "app/tournament/OtherMatches.h"
#include "engine/TextureFactory.h"

// The round's other matches take at most this much of a frame, in slices
// of this many steps.
constexpr int32_t kOtherMatchesMsPerFrame = 8;
constexpr int64_t kOtherMatchesSliceSteps = 200;

// What the tournament asks of the game it runs in.
class TournamentStage {
 public:
  virtual ~TournamentStage() = default;
  // The tournament's screens, in the menus, in a scene of their own.
  virtual void showTournamentScreens(const std::shared_ptr<TournamentMenu>& screens) = 0;
  // Builds the match of `setup` from the random generator's state `seed`
  // and starts it; the flow hears of its end through matchLeft.
  virtual void startTournamentMatch(const MatchSetup& setup, uint32_t seed) = 0;
  // Back to the main menu.
  virtual void leaveTournament() = 0;
};

class TournamentFlow {
 public:
  explicit TournamentFlow(TournamentStage& stage) : stage(stage) {}

  // Where the progress is kept; empty (the default) keeps none.
  void setProgressFile(std::filesystem::path file) { progressFile = std::move(file); }
  // From the main menu: the progress read and the entry screen shown.
  void open(MatchTexts texts, std::shared_ptr<TextureFactory> textures);
  // The tournament's screens are up (in the menus).
  bool showing() const { return screens != nullptr && !inMatch; }
  // A cup's match is being played.
  bool playingMatch() const { return inMatch; }
  // Grows whenever the screens may show something new.
  uint64_t revision() const { return screens ? screens->revision() : 0; }
  // The frame's keys and pad presses, on the screens.
  void followKeys(const PadMenuPresses& presses);
  // Once a frame while showing: the screens' requests, then the round's
  // other matches for a slice of the frame.
  void followFrame();
  // Once a frame of the cup's match: the ceremony of a final won.
  void followMatch(const MatchSimulation& match);
  // The cup's match is over or was left: its result goes into the cup, a
  // cup won into the progress, and the bracket shows again.
  void matchLeft(const MatchSimulation& match);

  const std::shared_ptr<const CupRun> currentCup() const { return cup; }
  const CupProgress& currentProgress() const { return progress; }
  const std::shared_ptr<TournamentMenu>& currentScreens() const { return screens; }
  const CupCeremony* ceremony() const { return cupCeremony.get(); }

 private:
  void startCup(int32_t cupIndex);
  void playRound();
  void playOtherMatches();
  void close();

  TournamentStage& stage;
  std::filesystem::path progressFile;
  MatchTexts matchWords;
  std::shared_ptr<TextureFactory> textureFactory;
  std::shared_ptr<TournamentMenu> screens;
  CupProgress progress;
  // The entry as last chosen, kept for the next time the tournament opens.
  CupEntry lastEntry;
  bool entryChosen = false;
  std::shared_ptr<CupRun> cup;
  std::unique_ptr<OtherMatches> others;
  std::unique_ptr<CupCeremony> cupCeremony;
  bool inMatch = false;
};
