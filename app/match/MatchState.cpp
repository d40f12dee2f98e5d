#include "app/match/MatchState.h"

#include <GL/gl.h>

#include <algorithm>
#include <sstream>
#include <utility>

#include "engine/CachingTextureFactory.h"
#include "engine/BroadcastCamera.h"
#include "engine/Random.h"
#include "engine/Sound.h"
#include "engine/TrackingCamera.h"
#include "tennis/TennisPlayerHolder.h"

namespace {

std::shared_ptr<TextureFactory> matchTextures;

}  // namespace

void setMatchTextureFactory(std::shared_ptr<TextureFactory> textures) { matchTextures = std::move(textures); }

std::shared_ptr<TextureFactory> matchTextureFactory() {
  if (matchTextures) return matchTextures;
  return gameTextures();
}

TimedMessage::TimedMessage(std::shared_ptr<TextureFactory> textures)
    : font(std::make_shared<Font>(kMessageFontPath, kMessageSpacing, std::move(textures))) {}

void TimedMessage::show(std::string text, int32_t ms) {
  shown = std::move(text);
  countdown = ms;
}

void TimedMessage::draw2D() {
  if (!visible()) return;
  if (font->hasAlpha()) {
    glEnable(GL_BLEND);
  } else {
    glDisable(GL_BLEND);
  }
  glEnable(GL_TEXTURE_2D);
  glColor3f(1.0f, 1.0f, 1.0f);
  font->drawText(shown, kMessageX, kMessageY, 1.0f);
  glDisable(GL_BLEND);
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

namespace {

// FNV-1a, 64 bits.
class StateHasher {
 public:
  void bytes(const void* data, size_t size) {
    const auto* at = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) value = (value ^ at[i]) * 1099511628211ull;
  }
  template <typename T>
  void add(T number) {
    bytes(&number, sizeof number);
  }
  void add(const Vector3& point) {
    add(point.x);
    add(point.y);
    add(point.z);
  }
  uint64_t value = 14695981039346656037ull;
};

}  // namespace

uint64_t MatchState::stateHash() const {
  StateHasher hash;
  hash.add(parts.ball->position());
  hash.add(parts.ball->bounceCount());
  hash.add(parts.ball->hitCount());
  for (int32_t side = 0; side < 2; ++side) {
    for (const std::shared_ptr<TennisPlayer>& player : playersOf(side)) {
      hash.add(player->position());
      hash.add(player->facingAngle());
      hash.add(static_cast<int32_t>(player->state()));
    }
  }
  const std::string score = describeScore(*parts.scoreboard);
  hash.bytes(score.data(), score.size());
  hash.add(referee.phase);
  hash.add(randomState());
  return hash.value;
}

MatchState::MatchState(MatchParts shared, float halfWidth) : parts(std::move(shared)), referee(halfWidth) {}

void MatchState::begin() {
  // The fader is opaque black when new: the picture fades in.
  parts.fader->startFade(0.0f, 0.0f, 0.0f, 0.0f, kIntroFadeSeconds);
  startIntro();
  referee.phase = IntroPlaying;
  parts.scene->setCamera(kIntroCameraName);
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

void MatchState::aimCameraAt(int32_t side) {
  if (const auto camera = std::dynamic_pointer_cast<TrackingCamera>(parts.scene->camera())) {
    const std::vector<std::shared_ptr<TennisPlayer>> players = playersOf(side);
    if (players.size() == 1) {
      camera->setTarget(players[0]);
    } else {
      camera->setTargets(players[0], players[1]);
    }
  }
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
        parts.scene->setCamera(kBroadcastCameraName);
      }
      break;
    case SetLoserShown:
      if (animationDone(loser)) {
        parts.scene->setCamera(kFixedCameraName);
        aimCameraAt(winner);
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

void MatchState::leaveIntro() {
  if (parts.fader->isFading()) return;
  if (introScene) {
    for (int i = 0; i < 4; ++i) {
      const std::string name = playerHolderName(i);
      if (const auto holder = std::dynamic_pointer_cast<TennisPlayerHolder>(introScene->findReadNode(name))) {
        holder->giveModelBack();
      }
    }
    parts.scene->remove(introScene);
    introScene.reset();
  }
  parts.fader->startFade(1.0f, 1.0f, 1.0f, 0.0f, kIntroFadeSeconds);
  referee.phase = ServeInFlight;
  setUpServe();
  playMusic(kInGameMusic);
  resumeMusic();
  parts.scene->setCamera(kBroadcastCameraName);
  if (parts.umpire) {
    parts.umpire->root()->setAnimation(kUmpireClipPlay);
    parts.umpire->setHeadTracking(true);
  }
}

void MatchState::refereeRally() {
  BallReading reading;
  reading.bounceCount = parts.ball->bounceCount();
  reading.bounceX = parts.ball->lastBounce().x;
  reading.bounceZ = parts.ball->lastBounce().z;
  reading.direction = parts.ball->direction();
  const int32_t server = referee.servingSide;
  const RefereeCall call = referee.judge(reading);
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
      parts.scene->setCamera(kFixedCameraName);
      aimCameraAt(loser);
      setPlayerState(loser, PlayerState::Lost);
      referee.tieBreak = false;
      referee.phase = SetLoserShown;
      break;
    case kMatchWon:
      parts.scene->setCamera(kFixedRotateCameraName);
      aimCameraAt(winner);
      show(winnerText(winner), kWinnerMessageMs);
      setPlayerState(loser, PlayerState::Lost);
      setPlayerState(winner, PlayerState::Won);
      playMusic(kWinnerMusic);
      resumeMusic();
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
  if (outcome.kind != kMatchWon) playEffect(kRandomCheerSound);
  reportRally(endedRally);
}
