#include "app/match/LessonMatch.h"

#include <utility>

#include "engine/BroadcastCamera.h"
#include "engine/Random.h"
#include "engine/SceneObject.h"
#include "engine/Sound.h"
#include "tennis/Court.h"
#include "tennis/TrainingCourt.h"

namespace {

// The stroke a swing that struck the ball played, as a lesson names it.
AskedStroke strokePlayed(const TennisPlayer& player) {
  if (player.state() == PlayerState::Diving) return AskedStroke::Dive;
  if (player.state() != PlayerState::Stroke) return AskedStroke::Any;
  if (player.isSmash()) return AskedStroke::Smash;
  const float factor = player.rowSpeedFactor(player.statePhase());
  if (factor == kLowShotFactor) return AskedStroke::Drive;
  if (factor == kLobFactor) return AskedStroke::Lob;
  return AskedStroke::Any;
}

bool swinging(const TennisPlayer& player) {
  return player.state() == PlayerState::Stroke || player.state() == PlayerState::Diving;
}

}  // namespace

LessonMatch::LessonMatch(MatchParts shared, std::shared_ptr<TennisPlayer> near, std::shared_ptr<TennisPlayer> far,
                         LessonId lesson, std::shared_ptr<Model> courtMarks)
    : MatchState(std::move(shared), kSinglesSideZ),
      rules(lessonRules(lesson)),
      person(std::move(near)),
      opponent(std::move(far)),
      marks(std::move(courtMarks)) {
  slots[0] = person;
  slots[1] = opponent;
  if (opponent) {
    person->addOpponent(opponent);
    opponent->addOpponent(person);
  }
  // The picture fades in on the court itself: a lesson has no introduction.
  parts.fader->startFade(0.0f, 0.0f, 0.0f, 0.0f, kIntroFadeSeconds);
  tell(PlayEventKind::Camera, kNoSide, kBroadcastCameraName);
  tell(PlayEventKind::Music, 0, kInGameMusic);
  if (parts.umpire) {
    parts.umpire->root()->setAnimation(kUmpireClipPlay);
    parts.umpire->setHeadTracking(true);
  }
  if (rules.start == LessonStart::PointPlayed) {
    referee.phase = ServeInFlight;
    setUpServe();
    hitsAtFeed = parts.ball->hitCount();
  } else {
    setUpTry();
    timerMs = kFirstFeedDelayMs;
  }
  showMarks();
}

std::vector<std::shared_ptr<TennisPlayer>> LessonMatch::playersOf(int32_t side) const {
  if ((side & 1) == 0) return {person};
  if (opponent) return {opponent};
  return {};
}

void LessonMatch::afterGame() {
  // The ends never change in a lesson: the serve passes after every game.
  ++gamesPlayed;
  referee.servingSide = 1 - referee.servingSide;
  parts.scoreboard->clearPoints();
  referee.startGame();
}

void LessonMatch::setUpServe() {
  if (rules.start != LessonStart::PointPlayed) {
    setUpTry();
    return;
  }
  referee.prepareServe();
  const int32_t server = referee.servingSide;
  const int32_t receiver = referee.receivingSide();
  TennisPlayer& serving = *slots[server];
  TennisPlayer& receiving = *slots[receiver];
  serving.setState(PlayerState::Serving);
  serving.placeForPoint(server, referee.serveCourt);
  receiving.setState(PlayerState::Moving);
  receiving.placeForPoint(receiver, referee.receiverCourt());
  giveServeTo(serving);
}

void LessonMatch::setUpTry() {
  returned = false;
  struckWith = AskedStroke::Any;
  swung = false;
  tryMs = 0;
  referee.faults = 0;
  referee.servingSide = 0;
  referee.serveCourt = kServeCourtPlusZ;
  Pelota& ball = *parts.ball;
  if (rules.start == LessonStart::PersonServes) {
    person->setState(PlayerState::Serving);
    person->placeForPoint(0, kServeCourtPlusZ);
    referee.phase = ServeInFlight;
    giveServeTo(*person);
    hitsAtFeed = 0;
    phase = Phase::InPlay;
    return;
  }
  person->setState(PlayerState::Moving);
  person->placeForPoint(0, kServeCourtPlusZ);
  person->setPosition(rules.personAt.x, rules.personAt.z);
  // The next ball waits in the machine, under its body.
  ball.release();
  ball.setServer(nullptr);
  ball.placeAt(kBallMachineX, kBallRadius, kBallMachineMouth.z);
  referee.phase = BallInPlay;
  phase = Phase::Awaiting;
  timerMs = kFeedDelayMs;
}

void LessonMatch::feed() {
  const FeedPlan& plan = rules.feed;
  Vector3 aim = plan.aim;
  if (plan.zSpread > 0.0f) aim.z += randomFloat(2.0f * plan.zSpread) - plan.zSpread;
  if (plan.alternateSides && feeds % 2 == 1) aim.z = -aim.z;
  ++feeds;
  Pelota& ball = *parts.ball;
  ball.placeAt(kBallMachineMouth.x, kBallMachineMouth.y, kBallMachineMouth.z);
  ball.hitToward(aim.x, aim.y, aim.z, plan.speed);
  hitsAtFeed = ball.hitCount();
  // The fed ball must land on the person's half, as an opponent's shot must.
  referee.phase = BallInPlay;
  referee.ballSide = 0;
  referee.recomputeBox();
  tell(PlayEventKind::Sound, effectIndex(kRandomBallSound));
  phase = Phase::InPlay;
  tryMs = 0;
}

void LessonMatch::noteStrike() {
  if (swinging(*person)) swung = true;
  if (returned || parts.ball->hitCount() <= hitsAtFeed) return;
  returned = true;
  struckWith = strokePlayed(*person);
}

void LessonMatch::stepFedBall() {
  tryMs += static_cast<int32_t>(kFixedStepMs);
  noteStrike();
  const RefereeCall call = referee.judge(readBall());
  if (!returned) {
    // The fed ball is done with unstruck: a second bounce, or out of play.
    if (call != RefereeCall::Nothing || tryMs > kLongestTryMs) {
      const bool early = swung && person->lastSwingMiss() == SwingMiss::TooEarly;
      judged(early ? ShotVerdict::TooEarly : ShotVerdict::TooLate);
    }
    return;
  }
  if (call == RefereeCall::Out) {
    judged(whyMissed(referee.box, *parts.ball, *person));
  } else if (referee.phase == AfterGoodBounce) {
    judged(verdictOfGoodReturn());
  } else if (tryMs > kLongestTryMs) {
    judged(ShotVerdict::Long);
  }
}

void LessonMatch::stepServe() {
  const RefereeCall call = referee.judge(readBall());
  if (call == RefereeCall::Fault || call == RefereeCall::DoubleFault) {
    judged(whyMissed(referee.box, *parts.ball, *person));
  } else if (referee.phase == AfterGoodBounce) {
    judged(ShotVerdict::Good);
  }
}

ShotVerdict LessonMatch::verdictOfGoodReturn() const {
  const ShotRequest wanted = ask();
  if (wanted.stroke != AskedStroke::Any && struckWith != wanted.stroke) return ShotVerdict::NotTheStroke;
  if (wanted.side != AskedSide::Any) {
    const Vector3& bounce = parts.ball->lastBounce();
    const bool deep = bounce.x < kCornerTargetNearX;
    const bool corner =
        wanted.side == AskedSide::Left ? bounce.z > kCornerTargetInnerZ : bounce.z < -kCornerTargetInnerZ;
    if (!deep || !corner) return ShotVerdict::OffTarget;
  }
  return ShotVerdict::Good;
}

void LessonMatch::judged(ShotVerdict verdict) {
  ++counted.tries;
  counted.lastVerdict = verdict;
  if (verdict == ShotVerdict::Good) {
    ++counted.successes;
    tell(PlayEventKind::Sound, effectIndex(kRandomCheerSound));
  }
  counted.passed = counted.successes >= rules.goal;
  phase = Phase::Showing;
  timerMs = kVerdictMs;
  showMarks();
}

void LessonMatch::pointScored(const RallyReport& rally) {
  ShotVerdict verdict = ShotVerdict::Good;
  if (rally.winner != 0) {
    const bool early = swung && person->lastSwingMiss() == SwingMiss::TooEarly;
    verdict = rally.call == RefereeCall::SecondBounce ? (early ? ShotVerdict::TooEarly : ShotVerdict::TooLate)
                                                      : whyMissed(referee.box, *parts.ball, *person);
  }
  ++counted.tries;
  counted.lastVerdict = verdict;
  if (verdict == ShotVerdict::Good) ++counted.successes;
  counted.passed = counted.successes >= rules.goal;
  if (counted.passed) {
    phase = Phase::Passed;
    timerMs = kPassedMs;
  }
}

void LessonMatch::onStep(const StepInput& input) {
  const int32_t step = static_cast<int32_t>(kFixedStepMs);
  if (rules.start == LessonStart::PointPlayed && phase != Phase::Passed && phase != Phase::Over) {
    // Whose swing a ball not returned was: the person's since the last hit.
    if (parts.ball->hitCount() != hitsAtFeed) {
      hitsAtFeed = parts.ball->hitCount();
      swung = false;
    }
    if (swinging(*person)) swung = true;
    MatchState::onStep(input);
    return;
  }
  switch (phase) {
    case Phase::Awaiting:
      timerMs -= step;
      if (timerMs <= 0) feed();
      break;
    case Phase::InPlay:
      if (rules.start == LessonStart::PersonServes) {
        stepServe();
      } else {
        stepFedBall();
      }
      break;
    case Phase::Showing:
      timerMs -= step;
      if (timerMs > 0) break;
      if (counted.passed) {
        phase = Phase::Passed;
        timerMs = kPassedMs;
      } else {
        parts.fader->startFade(0.0f, 0.0f, 0.0f, 1.0f, kTryFadeSeconds);
        phase = Phase::Changing;
      }
      break;
    case Phase::Changing:
      if (parts.fader->isFading()) break;
      setUpTry();
      parts.fader->startFade(0.0f, 0.0f, 0.0f, 0.0f, kTryFadeSeconds);
      break;
    case Phase::Passed:
      timerMs -= step;
      if (timerMs <= 0) phase = Phase::Over;
      break;
    case Phase::Over: break;
  }
}

bool LessonMatch::showingVerdict() const {
  if (counted.lastVerdict == ShotVerdict::None) return false;
  if (rules.start != LessonStart::PointPlayed) return phase == Phase::Showing;
  return referee.phase == ShowingMessage || referee.phase == ShowingScore || referee.phase == BetweenPoints;
}

void LessonMatch::showMarks() {
  if (!marks || !marks->root) return;
  const ShotRequest wanted = ask();
  const auto show = [this](const char* name, bool shown) {
    if (const auto mark = std::dynamic_pointer_cast<SceneObject>(marks->root->findNode(name))) mark->setVisible(shown);
  };
  show(kServeBoxMarkName, rules.start == LessonStart::PersonServes);
  show(kLeftTargetMarkName, wanted.side == AskedSide::Left);
  show(kRightTargetMarkName, wanted.side == AskedSide::Right);
}

void LessonMatch::saveState(StateWriter& out) const {
  MatchState::saveState(out);
  out.put(phase);
  out.put(timerMs);
  out.put(counted.successes);
  out.put(counted.tries);
  out.put(counted.lastVerdict);
  out.put(counted.passed);
  out.put(feeds);
  out.put(hitsAtFeed);
  out.put(returned);
  out.put(struckWith);
  out.put(swung);
  out.put(tryMs);
}

void LessonMatch::restoreState(StateReader& in) {
  MatchState::restoreState(in);
  in.get(phase);
  in.get(timerMs);
  in.get(counted.successes);
  in.get(counted.tries);
  in.get(counted.lastVerdict);
  in.get(counted.passed);
  in.get(feeds);
  in.get(hitsAtFeed);
  in.get(returned);
  in.get(struckWith);
  in.get(swung);
  in.get(tryMs);
  showMarks();
}
