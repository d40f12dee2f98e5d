#include "app/play/CupCeremony.h"

#include <cmath>
#include <utility>

#include "app/tournament/MatchOutcome.h"
#include "assets/AseReader.h"
#include "tennis/ModelFiles.h"

namespace {

// Long enough for any ceremony: the label goes with the match.
constexpr int32_t kCupNameMs = 24 * 60 * 60 * 1000;

bool ceremonyPhase(int32_t phase) { return phase >= MatchWonMessage && phase <= MatchFinished; }

// Beside a lone winner, towards the middle of the court; between two.
Vector3 trophyPlaceFor(const std::vector<std::shared_ptr<TennisPlayer>>& winners) {
  if (winners.empty()) return {};
  if (winners.size() >= 2) {
    const Vector3 between = (winners[0]->position() + winners[1]->position()) * 0.5f;
    return {between.x, 0.0f, between.z};
  }
  const Vector3 at = winners[0]->position();
  return {at.x, 0.0f, at.z - std::copysign(kTrophyBeside, at.z)};
}

}  // namespace

CupCeremony::CupCeremony(int32_t cup, std::string cupName, std::shared_ptr<TextureFactory> textures)
    : cupIndex(cup), name(std::move(cupName)), textures(std::move(textures)) {}

CupCeremony::~CupCeremony() { leave(); }

void CupCeremony::follow(const MatchSimulation& match) {
  const MatchState& state = *match.state();
  const MatchOutcome outcome = outcomeOf(state);
  const bool won = outcome.decided && outcome.winnerTeam == 0 && ceremonyPhase(state.phase());
  if (won && !trophy) stand(match);
  if (!won && trophy) leave();
}

void CupCeremony::stand(const MatchSimulation& match) {
  scene = match.scene();
  trophy = AseReader(kTrophyFiles[cupIndex], textures).load();
  const MatchState& state = *match.state();
  place = trophyPlaceFor(state.playersOf(state.lastWinner()));
  if (trophy && trophy->root) {
    trophy->root->setTransform(translate(Matrix(), place.x, place.y, place.z));
    scene->addModel(trophy);
  }
  auto shownName = std::make_shared<TimedMessage>(textures, kCupNameX, kCupNameY);
  shownName->show(name, kCupNameMs);
  // Under the match's fade, which takes it away with the rest.
  scene->addOverlayBefore(shownName, state.shared().fader.get());
  label = std::move(shownName);
}

void CupCeremony::leave() {
  if (scene && trophy && trophy->root) scene->remove(trophy->root);
  if (scene && label) scene->removeOverlay(label);
  trophy.reset();
  label.reset();
  scene.reset();
}
