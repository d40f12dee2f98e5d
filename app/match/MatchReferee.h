#pragma once
// The referee's judgement, kept apart from the match's staging so that it can
// be checked without a scene: the phases of a match, the box in which the
// next bounce must land, the calls on each bounce (fault, out, good bounce,
// second bounce), the order of serves (second serve, alternating courts, the
// tie-break's pairs of points) and the reading of the score's result codes.
//
// The referee only watches: it reads what the ball reports (bounce count,
// last bounce point, direction) and moves its own phase. Showing messages,
// asking the score and placing the players is the match's business.

#include <cstdint>

// The match's phases. The introduction comes first and is numbered apart.
enum MatchPhase : int32_t {
  ServeInFlight = 0,
  BallInPlay = 1,
  AfterGoodBounce = 2,
  PointOver = 3,
  ShowingMessage = 4,
  ShowingScore = 5,
  BetweenPoints = 6,
  SetLoserShown = 7,
  SetWinnerShown = 8,
  MatchWonMessage = 9,
  FinalScore = 10,
  LeavingMatch = 11,
  MatchFinished = 12,
  IntroPlaying = 200,
  LeavingIntro = 201
};

// The two service court values of placeForPoint: a serve from court 3 is
// made from the -z half; the receiver always stands in the other one.
constexpr int32_t kServeCourtPlusZ = 2;
constexpr int32_t kServeCourtMinusZ = 3;
constexpr int32_t kServeCourtSum = kServeCourtPlusZ + kServeCourtMinusZ;

constexpr int32_t kFaultsForDoubleFault = 2;

// Bounds are exclusive: a ball on a boundary value (a line, the net line or
// the centre line) is out.
struct TargetBox {
  float xMin = 0.0f;
  float xMax = 0.0f;
  float zMin = 0.0f;
  float zMax = 0.0f;
  bool contains(float x, float z) const { return xMin < x && x < xMax && zMin < z && z < zMax; }
};

// The receiver's service box. It is singles width in doubles too.
TargetBox serveTargetBox(int32_t servingSide, int32_t serveCourt);
// The whole half of side ballSide, as wide as halfWidth either way.
TargetBox rallyTargetBox(int32_t ballSide, float halfWidth);

// What the ball reports on one frame.
struct BallReading {
  int32_t bounceCount = 0;
  float bounceX = 0.0f;
  float bounceZ = 0.0f;
  // The side the ball flies towards; -1 while it does not move along x.
  int32_t direction = -1;
};

// What a judgement asks the match to show.
enum class RefereeCall : int32_t { Nothing, Fault, DoubleFault, Out, SecondBounce };

// Ends change after every even game played; after the odd ones the serve
// passes to the other side.
bool endsChangeAfter(int32_t gamesPlayed);

// A result code of the score read from the courts' point of view: a positive
// code is a win for side 1.
struct PointOutcome {
  int32_t winner = 0;
  int32_t loser = 1;
  int32_t kind = 0;  // the code without its sign (kPointPlayed ... kTieBreakStarts)
};
PointOutcome readPointCode(int32_t code);

class MatchReferee {
 public:
  explicit MatchReferee(float halfWidth) : halfWidth(halfWidth) {}

  // Moves the phase on from ServeInFlight, BallInPlay or AfterGoodBounce;
  // other phases are left alone. A fault or a ball out leaves ballSide on the
  // side the point goes to; so does a second bounce.
  RefereeCall judge(const BallReading& ball);
  // The box for the next bounce: the service box while a serve flies,
  // otherwise the half of side ballSide.
  void recomputeBox();
  // The courts and server of the next serve: a second serve keeps them; a
  // new point alternates the courts and, in a tie-break, passes the serve
  // after every odd-numbered point. Counts the tie-break's points.
  void prepareServe();
  // The first point of a tie-break is about to be played.
  void startTieBreak();
  // A new game: faults cleared, and the court set so that prepareServe's
  // alternation puts the server where the game's first point starts.
  void startGame();

  int32_t receiverCourt() const { return kServeCourtSum - serveCourt; }
  int32_t receivingSide() const { return 1 - servingSide; }

  int32_t phase = IntroPlaying;
  int32_t serveCourt = kServeCourtPlusZ;
  int32_t servingSide = 0;
  int32_t ballSide = 0;
  int32_t faults = 0;
  bool tieBreak = false;
  int32_t tieBreakPoints = 0;
  float halfWidth;
  TargetBox box;
};
