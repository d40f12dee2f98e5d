#pragma once
// The score of a match and the scoreboard that shows it. MatchScore keeps
// the two sides' points, games and sets, applies the rules of games, sets,
// the tie-break and the match, and draws the score line (icons, the two
// numbers flipping over when they change, "DEUCE", "ADV") and, at the end,
// the set-by-set table.
//
// It does not referee: the match decides who lost each rally, calls
// pointLostBy, acts on the returned code, clears the points after a game,
// changes ends and starts the display countdown. Side A is drawn on the
// left and side B on the right; changeEnds swaps them with their scores.
//
// Rules as this game plays them: a set needs gamesInSet games and two clear;
// the tie-break comes one game past the set length (7-7 with six games a
// set, 3-3 with two) and is won by the first side to seven points, so from
// six all the next point decides. Once the match is won the score is final:
// later points change nothing, and every drawing stays within the five sets.
//
// What is drawn is first laid out as a list of ScoreboardItem, so that the
// board's content and its flip timing can be checked without a display.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Font.h"
#include "engine/Overlay.h"
#include "engine/StateBuffer.h"
#include "engine/Texture.h"
#include "tennis/RoundedPanel.h"
#include "tennis/ScoreboardPlayer.h"
#include "tennis/TeamScore.h"

// Results of pointLostBy: positive when side A won the game, set or match,
// negative when side B did. A starting tie-break has no sign.
constexpr int32_t kPointPlayed = 0;
constexpr int32_t kGameWon = 1;
constexpr int32_t kSetWon = 2;
constexpr int32_t kMatchWon = 3;
constexpr int32_t kTieBreakStarts = 4;

// The argument of pointLostBy: the side that lost the rally.
constexpr int32_t kSideA = 0;
constexpr int32_t kSideB = 1;

// Which numbers the score line shows, and flips.
enum class ShownKind : int32_t { Points = 0, Games = 1, Sets = 3 };

// Where the match draws the board in the overlay space.
constexpr float kScoreLineX = 512;
constexpr float kScoreLineY = 384;
constexpr float kTableX = 512;
constexpr float kTableY = 100;

constexpr const char* kScoreFontPath = "fonts/toon.fnz";
constexpr float kScoreFontSpacing = 0;

// The flip, on the display countdown: the old number tips away from 1400 ms
// to 1000 ms, the new one tips back in from 1000 ms to 600 ms.
constexpr int32_t kFlipOutFromMs = 1400;
constexpr int32_t kFlipSwapAtMs = 1000;
constexpr int32_t kFlipInUntilMs = 600;
constexpr float kFlipDegreesPerMs = 0.225f;

// One thing the scoreboard draws: a text centred on (x, y), or an icon
// centred there. A flipping text is turned about the horizontal axis
// through its centre by flipDegrees.
struct ScoreboardItem {
  std::string text;
  std::shared_ptr<Texture> icon;
  float x = 0;
  float y = 0;
  float scale = 1;
  float flipDegrees = 0;
};

class MatchScore : public Overlay {
 public:
  // firstA, firstB: the first player of each side. doubles only widens the
  // score panel. setsInMatch is 1, 3 or 5 in the game (larger values are
  // taken as 5, the sets the board keeps); gamesInSet 2 or 6. Without a
  // font the board loads kScoreFontPath, which needs OpenGL.
  MatchScore(std::shared_ptr<ScoreboardPlayer> firstA, std::shared_ptr<ScoreboardPlayer> firstB, bool doubles,
             int32_t setsInMatch, int32_t gamesInSet, std::shared_ptr<Font> font = nullptr);

  // side is the side that lost the rally (kSideA or kSideB; anything else
  // adds no point). Returns one of the k... codes above, signed by winner.
  int32_t pointLostBy(int32_t side);
  void changeEnds();
  // Both sides' points back to 0, as the match does after every game.
  void clearPoints();
  bool matchOver() const { return over; }

  void update(uint32_t dtMs) override;
  // The score, which end each side plays and what the board shows.
  void saveState(StateWriter& out) const;
  void restoreState(StateReader& in);
  void draw2D() override { draw(); }
  // The panel and score line while the countdown runs, the table when asked.
  void draw() const;
  // The two parts on their own, at any centre (the pause screen uses them):
  // each sets its own blending, texturing and colour.
  void drawScoreLine(float x, float y) const;
  void drawTable(float x, float y) const;

  std::vector<ScoreboardItem> scoreLine(float x, float y) const;
  std::vector<ScoreboardItem> table(float x, float y) const;

  const TeamScore& sideA() const { return *teamA; }
  const TeamScore& sideB() const { return *teamB; }
  int32_t shownA() const { return oldA; }
  int32_t shownB() const { return oldB; }
  ShownKind shownKind() const { return kind; }
  int32_t currentSet() const { return setIndex; }
  int32_t setsInMatch() const { return sets; }
  int32_t gamesInSet() const { return games; }

  int32_t timerMs() const { return timer; }
  void setTimerMs(int32_t ms) { timer = ms; }
  bool showTable() const { return tableShown; }
  void setShowTable(bool show) { tableShown = show; }

  const RoundedPanel& scorePanel() const { return scoreBacking; }
  const RoundedPanel& tablePanel() const { return tableBacking; }

 private:
  int32_t gameWonBy(int32_t winner);
  // Games of the set being played; after a five-set match, of the last set.
  int32_t currentGames(const TeamScore& team) const;
  int32_t shownValue(const TeamScore& team) const;
  ScoreboardItem number(const TeamScore& team, int32_t shown, float x, float y) const;
  void addIcons(std::vector<ScoreboardItem>& items, const TeamScore& team, float x, float y, float step) const;
  void drawItems(const std::vector<ScoreboardItem>& items) const;

  std::shared_ptr<TeamScore> teamA;
  std::shared_ptr<TeamScore> teamB;
  int32_t oldA = 0;
  int32_t oldB = 1;
  int32_t timer = 0;
  int32_t sets;
  int32_t games;
  int32_t setIndex = 0;
  ShownKind kind = ShownKind::Points;
  bool tableShown = false;
  bool over = false;
  // The sides have swapped ends an odd number of times.
  bool endsChanged = false;
  RoundedPanel scoreBacking;
  RoundedPanel tableBacking;
  std::shared_ptr<Font> font;
};
