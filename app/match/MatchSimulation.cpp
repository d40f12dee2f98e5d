#include "app/match/MatchSimulation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/match/DoublesMatch.h"
#include "app/match/LessonMatch.h"
#include "app/match/SinglesMatch.h"
#include "assets/AseReader.h"
#include "engine/Random.h"
#include "tennis/BallModel.h"
#include "tennis/Birdy.h"
#include "tennis/Character.h"
#include "tennis/Court.h"
#include "tennis/CpuPlayer.h"
#include "tennis/ModelFiles.h"
#include "tennis/PlayEffects.h"

namespace {

// The slots that play, in the order the scene steps their players.
std::vector<int32_t> playingSlots(bool doubles, const std::optional<LessonId>& lesson) {
  if (lesson) {
    if (lessonRules(*lesson).start == LessonStart::PointPlayed) return {0, 1};
    return {0};
  }
  return doubles ? std::vector<int32_t>{2, 0, 1, 3} : std::vector<int32_t>{0, 1};
}

}  // namespace

MatchSimulation::MatchSimulation(const MatchSetup& setup, MatchMaking making) {
  const std::optional<LessonId> lesson = making.lesson;
  const bool doubles = setup.doublesFlag != 0 && !lesson;
  const std::shared_ptr<TextureFactory>& textures = making.textures;
  matchScene = std::make_shared<Scene>(making.display);
  loadPlayEffectTemplates(*matchScene, textures);

  stadiumModel = making.stadium ? std::move(making.stadium) : AseReader(kStadiumFile, textures).load();
  matchScene->addModel(stadiumModel);

  const auto ballModel = std::make_shared<BallModel>(matchScene, textures);
  matchScene->addModel(ballModel->model());
  ball = ballModel->ball();
  const auto umpire = std::make_shared<Birdy>(ball, textures);
  matchScene->addModel(umpire->model());
  umpireRoot = umpire->root();

  std::shared_ptr<Model> marks;
  if (lesson) {
    // The point is played against the computer: no ball machine stands behind it.
    if (lessonRules(*lesson).start != LessonStart::PointPlayed) {
      matchScene->addModel(AseReader(kBallMachineFile, textures).load());
    }
    marks = AseReader(kCourtMarksFile, textures).load();
    matchScene->addModel(marks);
  }

  // The order in which the players are built is the order the scene steps them.
  for (const int32_t slot : playingSlots(doubles, lesson)) {
    players[slot] = createPlayer(setup.slots[slot], making, doubles);
    people[slot] = std::dynamic_pointer_cast<HumanPlayer>(players[slot]);
  }

  const auto font = std::make_shared<Font>(kScoreFontPath, kScoreFontSpacing, textures);
  const auto scoreboard = std::make_shared<MatchScore>(players[1], players[doubles ? 2 : 0], doubles, setup.setsToPlay,
                                                       setup.gamesPerSet, font);
  // A lesson with the ball machine has no score to show.
  if (!lesson || players[1]) matchScene->addOverlay(scoreboard);
  // The message is the match's to count down and the presentation's to show
  // (MatchPresentation); only the score and the fade are drawn from here.
  message = std::make_shared<TimedMessage>();
  const auto fader = std::make_shared<ScreenFade>();
  matchScene->addOverlay(fader);

  MatchParts parts{ball, scoreboard, fader, message, umpire, matchScene, textures, std::move(making.texts), eventLog};
  if (lesson) {
    match = std::make_shared<LessonMatch>(parts, players[0], players[1], *lesson, std::move(marks));
  } else if (doubles) {
    match = std::make_shared<DoublesMatch>(parts, players);
  } else {
    match = std::make_shared<SinglesMatch>(parts, players[0], players[1]);
  }
  match->setRallyListener([this](const RallyReport& rally) { stepRallies.push_back(rally); });
  random = randomState();
}

std::shared_ptr<TennisPlayer> MatchSimulation::createPlayer(const PlayerSlot& chosen, const MatchMaking& making,
                                                            bool doubles) {
  const bool human = chosen.controller < kKeySetCount;
  Character built(characterIdentifier(chosen.character), human ? kHumanController : kCpuController, ball, matchScene,
                  making.textures);
  matchScene->addModel(built.model());
  const std::shared_ptr<TennisPlayer> player = built.player();
  if (!player) return nullptr;
  player->setEventLog(eventLog);
  if (human) {
    player->setKeys(making.keySets[std::max(chosen.controller, 0)]);
  } else if (const auto cpu = std::dynamic_pointer_cast<CpuPlayer>(player)) {
    cpu->setLevel(chosen.controller - kKeySetCount, doubles);
  }
  return player;
}

std::shared_ptr<TennisPlayer> MatchSimulation::slotPlayer(int32_t slot) const {
  return slot >= 0 && slot < kPlayerSlotCount ? players[slot] : nullptr;
}

std::shared_ptr<HumanPlayer> MatchSimulation::person(int32_t slot) const {
  return slot >= 0 && slot < kPlayerSlotCount ? people[slot] : nullptr;
}

namespace {

ShotKind shotOf(const TennisPlayer& hitter) {
  switch (hitter.state()) {
    case PlayerState::ServeSwing: return ShotKind::Serve;
    case PlayerState::Diving: return ShotKind::Dive;
    default: return std::fabs(hitter.position().x) < kServiceLineX ? ShotKind::Net : ShotKind::Baseline;
  }
}

}  // namespace

void MatchSimulation::step(const StepInput& input) {
  setRandomState(random);
  eventLog->clear();
  stepRallies.clear();
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    if (people[slot]) people[slot]->setCommand(input.slots[slot]);
  }
  const int32_t hitsBefore = ball->hitCount();
  matchScene->updateSimulation(kFixedStepMs);
  message->update(kFixedStepMs);
  ++steps;
  // A swing whose ball went the other way struck nothing.
  const bool ballStruck = ball->hitCount() > hitsBefore;
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    const bool struck = players[slot] && players[slot]->swingHasHit();
    if (struck && !swingStruck[slot] && ballStruck) {
      eventLog->add(PlayEventKind::Shot, slot, {}, static_cast<int32_t>(shotOf(*players[slot])));
    }
    swingStruck[slot] = struck;
  }
  match->onStep(input);
  random = randomState();
}

void MatchSimulation::save(MatchSnapshot& snapshot) const {
  StateWriter out(snapshot.bytes);
  out.put(steps);
  out.put(random);
  for (const bool struck : swingStruck) out.put(struck);
  // First the match: it puts the introduction's holders back, and with them
  // the shape of the players' trees.
  match->saveState(out);
  out.put(match->slotOf(ball->server()));
  ball->saveTreeState(out);
  for (const auto& player : players) {
    if (player) player->saveTreeState(out);
  }
  if (umpireRoot) umpireRoot->saveTreeState(out);
  if (stadiumModel && stadiumModel->root) stadiumModel->root->saveTreeState(out);
  matchScene->saveEffects(out);
}

bool MatchSimulation::restore(const MatchSnapshot& snapshot) {
  StateReader in(snapshot.bytes);
  in.get(steps);
  in.get(random);
  for (bool& struck : swingStruck) in.get(struck);
  match->restoreState(in);
  int32_t server = -1;
  in.get(server);
  ball->setServer(match->slotPlayer(server).get());
  ball->restoreTreeState(in);
  for (const auto& player : players) {
    if (player) player->restoreTreeState(in);
  }
  if (umpireRoot) umpireRoot->restoreTreeState(in);
  if (stadiumModel && stadiumModel->root) stadiumModel->root->restoreTreeState(in);
  matchScene->restoreEffects(in);
  eventLog->clear();
  stepRallies.clear();
  return in.finished();
}

uint64_t MatchSimulation::stateHash() const {
  MatchSnapshot snapshot;
  save(snapshot);
  return hashState(snapshot.bytes);
}
