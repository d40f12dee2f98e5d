#pragma once
// A match as the Application runs it: the introduction, the refereeing of
// every point, and the staging between points, games, sets and at the end
// (messages, the score display, fades, cameras, music, cheers). MatchState
// holds what singles and doubles share and runs the phase machine once per
// displayed frame; SinglesMatch and DoublesMatch know their players: who
// serves, where everyone stands, who changes ends, whose name is shown.
//
// The match shares the ball, the score, the overlays and the umpire with the
// scene that the Application built for it; it never owns the scene's
// drawing or stepping. The rules of scoring are the MatchScore's; the
// judgement of each bounce is the MatchReferee's.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/GameState.h"
#include "app/MatchReferee.h"
#include "engine/Font.h"
#include "engine/Overlay.h"
#include "engine/Scene.h"
#include "engine/ScreenFade.h"
#include "engine/TextureFactory.h"
#include "tennis/Birdy.h"
#include "tennis/MatchScore.h"
#include "tennis/Pelota.h"
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

// Language texts of the match.
constexpr int32_t kTextFault = 21;
constexpr int32_t kTextOut = 22;
constexpr int32_t kTextGame = 23;
constexpr int32_t kTextTieBreak = 24;
constexpr int32_t kTextSet = 25;
constexpr int32_t kTextWinsSingles = 26;
constexpr int32_t kTextWinDoubles = 27;
constexpr int32_t kTextAnd = 28;

constexpr const char* kIntroMusic = "sounds/MatchIntro.mp3";
constexpr const char* kInGameMusic = "sounds/InGame.mp3";
constexpr const char* kWinnerMusic = "sounds/AndTheWinnerIs.mp3";

constexpr const char* kIntroCameraName = "CameraIntro";
constexpr const char* kFixedCameraName = "FixedCamera";
constexpr const char* kFixedRotateCameraName = "FixedRotateCamera";

constexpr const char* kStadiumFile = "models/stadium/pista.ASZ";
// The stadium's own camera, which the match camera follows play from.
constexpr const char* kStadiumCameraName = "Camera01";
constexpr const char* kIntroSinglesFile = "models/IntroSingles.ASE";
constexpr const char* kIntroDoublesFile = "models/IntroDoubles.ASE";

// Umpire clips: its own, and its part in the introduction.
constexpr uint32_t kUmpireClipPlay = 0;
constexpr uint32_t kUmpireClipIntro = 1;

// The match's textures (models, fonts, icons). Empty means the game's
// ImageTextureFactory; tests and tools without OpenGL set a recording one.
void setMatchTextureFactory(std::shared_ptr<TextureFactory> textures);
std::shared_ptr<TextureFactory> matchTextureFactory();

// A text in the middle of the screen for a while: shown while its countdown,
// lowered by every fixed step, is at least 1 ms.
class TimedMessage : public Overlay {
 public:
  explicit TimedMessage(std::shared_ptr<TextureFactory> textures = nullptr);

  void show(std::string text, int32_t ms);
  void draw2D() override;
  void update(uint32_t dtMs) override { countdown -= static_cast<int32_t>(dtMs); }

  const std::string& text() const { return shown; }
  int32_t countdownMs() const { return countdown; }
  bool visible() const { return countdown >= 1; }

 private:
  std::shared_ptr<Font> font;
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

class MatchState : public GameState {
 public:
  ~MatchState() override = default;

  void onFrame() override;
  bool isFinished() override { return referee.phase == MatchFinished; }

  virtual void afterGame() = 0;
  virtual std::string playerName(int32_t side) const = 0;
  virtual void setPlayerState(int32_t side, PlayerState state) = 0;
  virtual bool animationDone(int32_t side) const = 0;
  virtual void startIntro() = 0;
  virtual void setUpServe() = 0;
  virtual void changeEnds() = 0;
  virtual void aimCameraAt(int32_t side) = 0;
  virtual std::string winnerText(int32_t side) const = 0;

  int32_t phase() const { return referee.phase; }
  const MatchReferee& judge() const { return referee; }
  int32_t gamesPlayedSoFar() const { return gamesPlayed; }
  int32_t scoreDelayMs() const { return scoreDelay; }
  int32_t lastWinner() const { return winner; }
  int32_t lastLoser() const { return loser; }
  const std::shared_ptr<AnimatedGroup>& intro() const { return introScene; }
  const MatchParts& shared() const { return parts; }
  void setRallyListener(RallyListener listener) { rallyListener = std::move(listener); }

 protected:
  MatchState(MatchParts parts, float halfWidth);
  // The opening: fade in, the introduction and its camera, the umpire's
  // part. Called last by each variant's constructor, once its players are
  // in place, since it reaches them through the virtual operations.
  void begin();
  // What a game's end means for both variants: the serve passes or the ends
  // change, the points are cleared, the next serve is readied.
  void finishGame();
  // Reads the introduction file with the players carried by its holders.
  void loadIntro(const std::string& path, std::vector<std::shared_ptr<TennisPlayer>> players);

  MatchParts parts;
  std::shared_ptr<AnimatedGroup> introScene;
  MatchReferee referee;
  int32_t scoreDelay = 0;
  int32_t gamesPlayed = 0;
  int32_t winner = 0;
  int32_t loser = 1;

 private:
  void playIntro();
  void leaveIntro();
  void refereeRally();
  void endPoint();
  void show(const std::string& text, int32_t ms) { parts.message->show(text, ms); }
  std::string withCaption(int32_t side, int32_t textIndex) const;
  void reportRally(const RallyReport& report) const {
    if (rallyListener) rallyListener(report);
  }

  // Enter and Escape have both been up since the introduction began.
  bool introKeysReleased = false;
  RallyListener rallyListener;
  // The call that ended the rally being refereed, until its point is scored.
  RallyReport endedRally;
};
