#include "app/match/MatchState.h"

#include <algorithm>
#include <sstream>
#include <utility>

#include "engine/BroadcastCamera.h"
#include "engine/CachingTextureFactory.h"
#include "engine/Random.h"
#include "engine/Sound.h"
#include "tennis/TennisPlayerHolder.h"

namespace {

std::shared_ptr<TextureFactory> matchTextures;

}  // namespace

void setMatchTextureFactory(std::shared_ptr<TextureFactory> textures) { matchTextures = std::move(textures); }

std::shared_ptr<TextureFactory> matchTextureFactory() {
  if (matchTextures) return matchTextures;
  return gameTextures();
}

TimedMessage::TimedMessage(std::shared_ptr<TextureFactory> textures, float x, float y)
    : font(std::make_shared<Font>(kMessageFontPath, kMessageSpacing, std::move(textures))), centreX(x), centreY(y) {}

void TimedMessage::show(std::string text, int32_t ms) {
  shown = std::move(text);
  countdown = ms;
}

void TimedMessage::draw2D() {
  if (!visible() || !font) return;
  font->beginDrawing();
  font->drawText(shown, centreX, centreY, 1.0f);
  Font::finishDrawing();
}

namespace {

void describeTeam(std::ostringstream& out, const TeamScore& team, const MatchScore& score) {
  if (const std::shared_ptr<ScoreboardPlayer> player = team.player.lock()) {
    out << player->scoreboardName();
    for (const auto& partner : player->scoreboardPartners()) out << '/' << partner->scoreboardName();
  }
  out << ' ' << team.sets << " [";
  for (int32_t set = 0; set <= score.currentSet() && set < kMaxSets; ++set) {
    out << (set ? " " : "") << team.games[set];
  }
  out << "] " << team.points;
}

}  // namespace

std::string describeScore(const MatchScore& score) {
  std::ostringstream out;
  describeTeam(out, score.sideA(), score);
  out << " - ";
  describeTeam(out, score.sideB(), score);
  return out.str();
}

MatchState::MatchState(MatchParts shared, float halfWidth) : parts(std::move(shared)), referee(halfWidth) {}

std::shared_ptr<TennisPlayer> MatchState::slotPlayer(int32_t slot) const {
  return slot >= 0 && slot < kPlayerSlotCount ? slots[slot] : nullptr;
}

int32_t MatchState::slotOf(const SceneNode* player) const {
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    if (player && slots[slot].get() == player) return slot;
  }
  return -1;
}

void MatchState::saveState(StateWriter& out) const {
  for (const int32_t value : {referee.phase, referee.serveCourt, referee.servingSide, referee.ballSide, referee.faults,
                              referee.tieBreakPoints}) {
    out.put(value);
  }
  out.put(referee.tieBreak);
  for (const float bound : {referee.box.xMin, referee.box.xMax, referee.box.zMin, referee.box.zMax}) out.put(bound);
  for (const int32_t value : {scoreDelay, gamesPlayed, winner, loser}) out.put(value);
  out.put(introKeysReleased);
  for (const int32_t value : {endedRally.server, endedRally.shots, endedRally.winner, endedRally.kind}) out.put(value);
  out.put(endedRally.call);
  out.put(endedRally.net);
  out.put(endedRally.serverName);
  out.put(endedRally.winnerName);
  savePositions(out);
  out.put(introScene != nullptr);
  if (introScene) introScene->saveTreeState(out);
  parts.message->saveState(out);
  parts.fader->saveState(out);
  parts.scoreboard->saveState(out);
}

void MatchState::restoreState(StateReader& in) {
  for (int32_t* value : {&referee.phase, &referee.serveCourt, &referee.servingSide, &referee.ballSide, &referee.faults,
                         &referee.tieBreakPoints}) {
    in.get(*value);
  }
  in.get(referee.tieBreak);
  for (float* bound : {&referee.box.xMin, &referee.box.xMax, &referee.box.zMin, &referee.box.zMax}) in.get(*bound);
  for (int32_t* value : {&scoreDelay, &gamesPlayed, &winner, &loser}) in.get(*value);
  in.get(introKeysReleased);
  for (int32_t* value : {&endedRally.server, &endedRally.shots, &endedRally.winner, &endedRally.kind}) in.get(*value);
  in.get(endedRally.call);
  in.get(endedRally.net);
  in.get(endedRally.serverName);
  in.get(endedRally.winnerName);
  restorePositions(in);
  bool introShown = false;
  in.get(introShown);
  // The introduction is read again when the state goes back into it: its
  // holders take the players' models as they did at the start.
  if (introShown && !introScene) startIntro();
  if (!introShown) removeIntro();
  if (introShown && introScene) introScene->restoreTreeState(in);
  parts.message->restoreState(in);
  parts.fader->restoreState(in);
  parts.scoreboard->restoreState(in);
}

void MatchState::begin() {
  // The fader is opaque black when new: the picture fades in.
  parts.fader->startFade(0.0f, 0.0f, 0.0f, 0.0f, kIntroFadeSeconds);
  startIntro();
  referee.phase = IntroPlaying;
  tell(PlayEventKind::Camera, kNoSide, kIntroCameraName);
  tell(PlayEventKind::Music, 0, kIntroMusic);
  if (parts.umpire) {
    parts.umpire->root()->setAnimation(kUmpireClipIntro);
    parts.umpire->root()->resetClock();
    parts.umpire->setHeadTracking(false);
  }
}

void MatchState::loadIntro(const std::string& path, std::vector<std::shared_ptr<TennisPlayer>> players) {
  PlayerHolderReader reader(path, std::move(players), parts.textures);
  const std::shared_ptr<Model> model = reader.load();
  parts.scene->addModel(model);
  introScene = model->root;
}

void MatchState::afterGame() {
  ++gamesPlayed;
  if (endsChangeAfter(gamesPlayed)) {
    changeEnds();
  } else {
    referee.servingSide = 1 - referee.servingSide;
  }
  parts.scoreboard->clearPoints();
  referee.startGame();
}

std::string MatchState::playerName(int32_t side) const {
  const std::vector<std::shared_ptr<TennisPlayer>> players = playersOf(side);
  std::string names;
  for (size_t i = 0; i < players.size(); ++i) {
    if (i > 0) names += " " + parts.texts.joinNames + " ";
    names += players[i]->name();
  }
  return names;
}

void MatchState::setPlayerState(int32_t side, PlayerState state) {
  for (const std::shared_ptr<TennisPlayer>& player : playersOf(side)) player->setState(state);
}

bool MatchState::animationDone(int32_t side) const {
  const std::vector<std::shared_ptr<TennisPlayer>> players = playersOf(side);
  return std::all_of(players.begin(), players.end(),
                     [](const std::shared_ptr<TennisPlayer>& player) { return player->timeBeyondEnd(1) >= 0; });
}

void MatchState::tell(PlayEventKind kind, int32_t value, std::string name) const {
  if (parts.events) parts.events->add(kind, value, std::move(name));
}

void MatchState::show(const std::string& text, int32_t ms) {
  parts.message->show(text, ms);
  tell(PlayEventKind::Message, ms, text);
}

std::string MatchState::winnerText(int32_t side) const {
  const bool onePlayer = playersOf(side).size() == 1;
  return playerName(side) + " " + (onePlayer ? parts.texts.winsSingles : parts.texts.winDoubles);
}

void MatchState::giveServeTo(TennisPlayer& server) {
  referee.ballSide = referee.receivingSide();
  parts.ball->setServer(&server);
  parts.ball->attachToServer();
  referee.recomputeBox();
}

std::string MatchState::withCaption(int32_t side, const std::string& caption) const {
  return playerName(side) + " \n " + caption;
}

void MatchState::onStep(const StepInput& input) {
  switch (referee.phase) {
    case IntroPlaying: playIntro(input); break;
    case LeavingIntro: leaveIntro(); break;
    case ServeInFlight:
    case BallInPlay:
    case AfterGoodBounce: refereeRally(); break;
    case PointOver: endPoint(); break;
    case ShowingMessage:
      if (parts.message->countdownMs() <= 0) {
        parts.scoreboard->setTimerMs(scoreDelay);
        referee.phase = ShowingScore;
      }
      break;
    case ShowingScore:
      if (parts.scoreboard->timerMs() <= 0) {
        parts.fader->startFade(0.0f, 0.0f, 0.0f, 1.0f, kPointFadeSeconds);
        referee.phase = BetweenPoints;
      }
      break;
    case BetweenPoints:
      if (!parts.fader->isFading()) {
        parts.fader->startFade(0.0f, 0.0f, 0.0f, 0.0f, kPointFadeSeconds);
        referee.phase = ServeInFlight;
        setUpServe();
        tell(PlayEventKind::Camera, kNoSide, kBroadcastCameraName);
      }
      break;
    case SetLoserShown:
      if (animationDone(loser)) {
        tell(PlayEventKind::Camera, winner, kFixedCameraName);
        setPlayerState(winner, PlayerState::Won);
        referee.phase = SetWinnerShown;
      }
      break;
    case SetWinnerShown:
      if (animationDone(winner)) {
        show(withCaption(winner, parts.texts.set), kMessageMs);
        scoreDelay = kScoreDisplayMs;
        afterGame();
        referee.phase = ShowingMessage;
      }
      break;
    case MatchWonMessage:
      if (parts.message->countdownMs() <= 0) {
        parts.scoreboard->setShowTable(true);
        referee.phase = FinalScore;
      }
      break;
    case FinalScore:
      // Held, not pressed: a press between two steps must not skip the table.
      if (input.matchKeyHeld(kMatchKeyEnter)) {
        parts.fader->startFade(0.0f, 0.0f, 0.0f, 1.0f, kPointFadeSeconds);
        referee.phase = LeavingMatch;
      }
      break;
    case LeavingMatch:
      if (!parts.fader->isFading()) referee.phase = MatchFinished;
      break;
    default: break;
  }
}

void MatchState::playIntro(const StepInput& input) {
  bool ending = !introScene || introScene->timeBeyondEnd(1) > -kIntroTailMs;
  const bool keyHeld = input.matchKeyHeld(kMatchKeyEnter) || input.matchKeyHeld(kMatchKeyEscape);
  // The Enter that started the match may still be down: only a key pressed
  // after the introduction began skips it.
  const bool skipped = keyHeld && introKeysReleased;
  if (!keyHeld) introKeysReleased = true;
  if (ending || skipped) {
    parts.fader->startFade(1.0f, 1.0f, 1.0f, 1.0f, kIntroFadeSeconds);
    referee.phase = LeavingIntro;
  }
}

void MatchState::removeIntro() {
  if (!introScene) return;
  for (int i = 0; i < 4; ++i) {
    const std::string name = playerHolderName(i);
    if (const auto holder = std::dynamic_pointer_cast<TennisPlayerHolder>(introScene->findReadNode(name))) {
      holder->giveModelBack();
    }
  }
  parts.scene->remove(introScene);
  introScene.reset();
}

void MatchState::leaveIntro() {
  if (parts.fader->isFading()) return;
  removeIntro();
  parts.fader->startFade(1.0f, 1.0f, 1.0f, 0.0f, kIntroFadeSeconds);
  referee.phase = ServeInFlight;
  setUpServe();
  tell(PlayEventKind::Music, 0, kInGameMusic);
  tell(PlayEventKind::Camera, kNoSide, kBroadcastCameraName);
  if (parts.umpire) {
    parts.umpire->root()->setAnimation(kUmpireClipPlay);
    parts.umpire->setHeadTracking(true);
  }
}

BallReading MatchState::readBall() const {
  BallReading reading;
  reading.bounceCount = parts.ball->bounceCount();
  reading.bounceX = parts.ball->lastBounce().x;
  reading.bounceZ = parts.ball->lastBounce().z;
  reading.direction = parts.ball->direction();
  return reading;
}

void MatchState::refereeRally() {
  const int32_t server = referee.servingSide;
  const RefereeCall call = referee.judge(readBall());
  if (call != RefereeCall::Nothing) {
    endedRally = RallyReport{};
    endedRally.server = server;
    endedRally.call = call;
    endedRally.net = parts.ball->stoppedByNet();
    endedRally.shots = parts.ball->hitCount();
    endedRally.serverName = playerName(server);
    if (call == RefereeCall::Fault) reportRally(endedRally);
  }
  switch (call) {
    case RefereeCall::Fault:
      show(parts.texts.fault, kMessageMs);
      scoreDelay = 0;  // a second serve: no score to show
      break;
    case RefereeCall::DoubleFault: show(parts.texts.fault, kMessageMs); break;
    case RefereeCall::Out: show(parts.texts.out, kMessageMs); break;
    default: break;
  }
}

void MatchState::endPoint() {
  const int32_t code = parts.scoreboard->pointLostBy(referee.ballSide);
  const PointOutcome outcome = readPointCode(code);
  winner = outcome.winner;
  loser = outcome.loser;
  // A plain point's code carries no side; the referee leaves ballSide on
  // the side the point goes to.
  endedRally.winner = referee.ballSide;
  endedRally.winnerName = playerName(endedRally.winner);
  endedRally.kind = outcome.kind;
  switch (outcome.kind) {
    case kPointPlayed:
      scoreDelay = kScoreDisplayMs;
      referee.phase = ShowingMessage;
      break;
    case kGameWon:
      show(withCaption(winner, parts.texts.game), kMessageMs);
      scoreDelay = kScoreDisplayMs;
      setPlayerState(winner, PlayerState::Won);
      setPlayerState(loser, PlayerState::Lost);
      afterGame();
      referee.phase = ShowingMessage;
      break;
    case kSetWon:
      tell(PlayEventKind::Camera, loser, kFixedCameraName);
      setPlayerState(loser, PlayerState::Lost);
      referee.tieBreak = false;
      referee.phase = SetLoserShown;
      break;
    case kMatchWon:
      tell(PlayEventKind::Camera, winner, kFixedRotateCameraName);
      show(winnerText(winner), kWinnerMessageMs);
      setPlayerState(loser, PlayerState::Lost);
      setPlayerState(winner, PlayerState::Won);
      tell(PlayEventKind::Music, 0, kWinnerMusic);
      referee.phase = MatchWonMessage;
      break;
    case kTieBreakStarts:
      show(parts.texts.tieBreak, kMessageMs);
      scoreDelay = 0;
      referee.startTieBreak();
      referee.phase = ShowingMessage;
      break;
    default: referee.phase = ShowingMessage; break;
  }
  if (outcome.kind != kMatchWon) tell(PlayEventKind::Sound, effectIndex(kRandomCheerSound));
  reportRally(endedRally);
  pointScored(endedRally);
}
