#pragma once
// A match as the Application runs it: the introduction, the refereeing of
// every point, and the staging between points, games, sets and at the end
// (messages, the score display, fades, cameras, music, cheers). MatchState
// holds what singles and doubles share and runs the phase machine after every
// fixed step; it treats a side as its players, one or two, whose names,
// states, clips and camera framing go together. SinglesMatch and DoublesMatch
// know their players: who is on each side, who serves, where everyone stands,
// how the ends change.
//
// The match shares the ball, the score, the overlays and the umpire with the
// scene that the Application built for it; it never owns the scene's
// drawing or stepping. The rules of scoring are the MatchScore's; the
// judgement of each bounce is the MatchReferee's.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/match/GameState.h"
#include "app/match/StepInput.h"
#include "app/match/MatchReferee.h"
#include "app/match/MatchTexts.h"
#include "engine/Font.h"
#include "engine/Overlay.h"
#include "engine/Scene.h"
#include "engine/ScreenFade.h"
#include "engine/StateBuffer.h"
#include "engine/TextureFactory.h"
#include "tennis/Birdy.h"
#include "tennis/MatchScore.h"
#include "tennis/ModelFiles.h"
#include "tennis/NodeNames.h"
#include "tennis/Pelota.h"
#include "tennis/PlayEvents.h"
#include "tennis/TennisPlayer.h"

constexpr const char* kMessageFontPath = "fonts/menuFont.fnz";
constexpr float kMessageX = 512.0f;
constexpr float kMessageY = 384.0f;
constexpr float kMessageSpacing = -7.0f;

constexpr int32_t kMessageMs = 2000;
constexpr int32_t kWinnerMessageMs = 3000;
constexpr int32_t kScoreDisplayMs = 2000;
// The white fade out of the introduction starts this long before its end.
constexpr int64_t kIntroTailMs = 2000;
constexpr float kIntroFadeSeconds = 1.0f;
constexpr float kPointFadeSeconds = 0.5f;

constexpr const char* kIntroMusic = "sounds/MatchIntro.mp3";
constexpr const char* kInGameMusic = "sounds/InGame.mp3";
constexpr const char* kWinnerMusic = "sounds/AndTheWinnerIs.mp3";

// The match's own cameras (the models' cameras are named in tennis/NodeNames.h).
constexpr const char* kFixedCameraName = "FixedCamera";
constexpr const char* kFixedRotateCameraName = "FixedRotateCamera";

// The match's textures (models, fonts, icons). Empty means the game's
// ImageTextureFactory; tests and tools without OpenGL set a recording one.
void setMatchTextureFactory(std::shared_ptr<TextureFactory> textures);
std::shared_ptr<TextureFactory> matchTextureFactory();

// A text in the middle of the screen for a while: shown while its countdown,
// lowered by every fixed step, is at least 1 ms. Made without textures it
// keeps the text and the countdown only and draws nothing (the match's own,
// which its phases wait on; the presentation shows another).
class TimedMessage : public Overlay {
 public:
  TimedMessage() = default;
  // Centred on (x, y) of the overlay space: the middle of the screen unless
  // told otherwise.
  explicit TimedMessage(std::shared_ptr<TextureFactory> textures, float x = kMessageX, float y = kMessageY);

  void show(std::string text, int32_t ms);
  void draw2D() override;
  void update(uint32_t dtMs) override { countdown -= static_cast<int32_t>(dtMs); }

  const std::string& text() const { return shown; }
  int32_t countdownMs() const { return countdown; }
  bool visible() const { return countdown >= 1; }

  void saveState(StateWriter& out) const {
    out.put(shown);
    out.put(countdown);
  }
  void restoreState(StateReader& in) {
    in.get(shown);
    in.get(countdown);
  }

 private:
  std::shared_ptr<Font> font;
  float centreX = kMessageX;
  float centreY = kMessageY;
  std::string shown;
  int32_t countdown = 0;
};

// What a match shares with its scene.
struct MatchParts {
  std::shared_ptr<Pelota> ball;
  std::shared_ptr<MatchScore> scoreboard;
  std::shared_ptr<ScreenFade> fader;
  std::shared_ptr<TimedMessage> message;
  std::shared_ptr<Birdy> umpire;
  std::shared_ptr<Scene> scene;
  std::shared_ptr<TextureFactory> textures;
  MatchTexts texts;
  // Where the match tells what is to be heard and shown; none hears nothing.
  std::shared_ptr<PlayEventLog> events;
};

// How a rally ended, told to whoever follows the match without watching it
// (the simulator, tests): once for each first fault and once for each point.
struct RallyReport {
  int32_t server = 0;  // the serving side
  RefereeCall call = RefereeCall::Nothing;
  bool net = false;  // the last hit ended against the net
  int32_t shots = 0;  // hits of the ball, the serve included
  int32_t winner = -1;  // the side that won the point; -1 after a first fault
  int32_t kind = 0;  // for a point, the score's result (kPointPlayed ... kTieBreakStarts)
  // Names as the scoreboard gives them when the call is made: sides swap
  // with the ends.
  std::string serverName;
  std::string winnerName;
};
using RallyListener = std::function<void(const RallyReport&)>;

// The score as one line: each side's name, sets, games of every set played
// and points, side A (the left of the scoreboard) first.
std::string describeScore(const MatchScore& score);

class MatchState : public GameState {
 public:
  ~MatchState() override = default;

  void onStep(const StepInput& input) override;
  bool isFinished() override { return referee.phase == MatchFinished; }

  // What a game's end means: the serve passes or the ends change, the
  // points are cleared, the next serve is readied.
  virtual void afterGame();
  // The side's player names joined by " and " (in the language's words).
  std::string playerName(int32_t side) const;
  virtual void setPlayerState(int32_t side, PlayerState state);
  // Every player of the side is past the end of its current clip.
  bool animationDone(int32_t side) const;
  virtual void startIntro() = 0;
  virtual void setUpServe() = 0;
  virtual void changeEnds() = 0;
  // The verb agrees with the number of winners: "wins" for one, "win" for two.
  std::string winnerText(int32_t side) const;

  int32_t phase() const { return referee.phase; }
  const MatchReferee& judge() const { return referee; }
  int32_t gamesPlayedSoFar() const { return gamesPlayed; }
  int32_t scoreDelayMs() const { return scoreDelay; }
  int32_t lastWinner() const { return winner; }
  int32_t lastLoser() const { return loser; }
  const std::shared_ptr<AnimatedGroup>& intro() const { return introScene; }
  const MatchParts& shared() const { return parts; }
  void setRallyListener(RallyListener listener) { rallyListener = std::move(listener); }
  // The referee, the staging under way, who stands where, the introduction,
  // the message, the fade and the score. The players, the ball and the
  // umpire are saved by whoever saves the match (MatchSimulation).
  virtual void saveState(StateWriter& out) const;
  virtual void restoreState(StateReader& in);
  // The player of a slot (0..3); empty for a slot that does not play.
  std::shared_ptr<TennisPlayer> slotPlayer(int32_t slot) const;
  // The slot of a player of this match, or -1.
  int32_t slotOf(const SceneNode* player) const;
  // The players of a side (side & 1): one in singles, two in doubles, in the
  // side's own order.
  virtual std::vector<std::shared_ptr<TennisPlayer>> playersOf(int32_t side) const = 0;

 protected:
  MatchState(MatchParts parts, float halfWidth);
  // The opening: fade in, the introduction and its camera, the umpire's
  // part. Called last by each variant's constructor, once its players are
  // in place, since it reaches them through the virtual operations.
  void begin();
  // Who stands where, by slot: the variant's own order of its players.
  virtual void savePositions(StateWriter& out) const = 0;
  virtual void restorePositions(StateReader& in) = 0;
  // How every serve ends once the players stand in place: the ball goes to
  // the server's hand, the receiving side owns it and the referee draws the
  // service box.
  void giveServeTo(TennisPlayer& server);
  // Reads the introduction file with the players carried by its holders.
  void loadIntro(const std::string& path, std::vector<std::shared_ptr<TennisPlayer>> players);
  // A point was scored, as the rally's report tells it (a variant that
  // follows the points hears of each here; the match goes on as ever).
  virtual void pointScored(const RallyReport&) {}
  // What the referee reads of the ball this step.
  BallReading readBall() const;
  void show(const std::string& text, int32_t ms);
  void tell(PlayEventKind kind, int32_t value, std::string name = {}) const;

  MatchParts parts;
  // The match's players by slot, as the variant was given them.
  std::array<std::shared_ptr<TennisPlayer>, kPlayerSlotCount> slots;
  std::shared_ptr<AnimatedGroup> introScene;
  MatchReferee referee;
  int32_t scoreDelay = 0;
  int32_t gamesPlayed = 0;
  int32_t winner = 0;
  int32_t loser = 1;

 private:
  void playIntro(const StepInput& input);
  void leaveIntro();
  // The players' models back from the introduction's holders, and its scene
  // out of the match.
  void removeIntro();
  void refereeRally();
  void endPoint();
  std::string withCaption(int32_t side, const std::string& caption) const;
  void reportRally(const RallyReport& report) const {
    if (rallyListener) rallyListener(report);
  }

  // Enter and Escape have both been up since the introduction began.
  bool introKeysReleased = false;
  RallyListener rallyListener;
  // The call that ended the rally being refereed, until its point is scored.
  RallyReport endedRally;
};
