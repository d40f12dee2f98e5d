#include "app/play/MatchPresentation.h"

#include <algorithm>

#include "app/input/Keyboard.h"
#include "engine/BroadcastCamera.h"
#include "engine/FreeCamera.h"
#include "engine/OrbitCamera.h"
#include "engine/Sound.h"
#include "engine/TrackingCamera.h"
#include "tennis/NodeNames.h"

void MatchPresentation::attach(const MatchSimulation& match) {
  Scene& scene = *match.scene();
  auto freeCamera = std::make_shared<FreeCamera>(isKeyDown);
  scene.addObject(freeCamera);
  scene.setCamera(freeCamera->name());
  shot = CameraShot{freeCamera->name(), kNoSide};
  const std::shared_ptr<Model>& stadium = match.stadium();
  if (stadium && stadium->root) {
    if (const auto source = std::dynamic_pointer_cast<Camera>(stadium->root->findReadNode(kStadiumCameraName))) {
      scene.addObject(std::make_shared<BroadcastCamera>(match.state()->shared().ball, *source));
      scene.setCamera(kBroadcastCameraName);
      shot = CameraShot{kBroadcastCameraName, kNoSide};
    }
  }
  scene.addObject(std::make_shared<TrackingCamera>(nullptr, kFixedCameraName));
  scene.addObject(std::make_shared<OrbitCamera>(nullptr, kFixedRotateCameraName));
  // Where the match's own message stood: over the score, under the fade.
  const MatchParts& parts = match.state()->shared();
  shownMessage = std::make_shared<TimedMessage>(parts.textures);
  scene.addOverlayBefore(shownMessage, parts.fader.get());
}

void MatchPresentation::showAsItIs(const MatchSimulation& match) {
  const TimedMessage& message = *match.state()->shared().message;
  if (shownMessage) shownMessage->show(message.text(), message.countdownMs());
}

void MatchPresentation::carryOut(const std::vector<PlayEvent>& events, const MatchSimulation& match) {
  for (const PlayEvent& event : events) carryOutOne(event, match, nullptr);
}

bool MatchPresentation::atOnce(const PlayEvent& event) {
  return event.kind == PlayEventKind::Sound || event.kind == PlayEventKind::Shot;
}

void MatchPresentation::carryOutPlayed(const PlayedStep& played, const MatchSimulation& match) {
  const int64_t step = played.outcome.step;
  std::vector<Heard> before = played.again ? std::move(heard[step]) : std::vector<Heard>{};
  std::vector<Heard> now;
  std::vector<PlayEvent> waiting;
  for (const PlayEvent& event : played.outcome.events) {
    if (!atOnce(event)) {
      waiting.push_back(event);
      continue;
    }
    // Heard already when the step was first played: it goes on as it is.
    const auto same = std::find_if(before.begin(), before.end(), [&](const Heard& h) { return h.event == event; });
    if (same != before.end()) {
      now.push_back(*same);
      before.erase(same);
      continue;
    }
    Heard fresh{event, kNoVoice};
    carryOutOne(event, match, &fresh.voice);
    now.push_back(fresh);
  }
  // What the corrected step no longer has is not left playing.
  for (const Heard& gone : before) {
    if (gone.event.kind == PlayEventKind::Sound && gone.event.value >= 0) {
      soundOutput().stopSample(gone.voice, static_cast<size_t>(gone.event.value));
    }
  }
  heard[step] = std::move(now);
  waitingForCertain[step] = std::move(waiting);
}

void MatchPresentation::carryOutCertain(int64_t certainSteps, const MatchSimulation& match) {
  // A step's outcome is numbered by the steps taken after it.
  while (!waitingForCertain.empty() && waitingForCertain.begin()->first <= certainSteps) {
    for (const PlayEvent& event : waitingForCertain.begin()->second) carryOutOne(event, match, nullptr);
    waitingForCertain.erase(waitingForCertain.begin());
  }
  while (!heard.empty() && heard.begin()->first <= certainSteps) heard.erase(heard.begin());
}

void MatchPresentation::carryOutOne(const PlayEvent& event, const MatchSimulation& match, int32_t* voice) {
  switch (event.kind) {
    case PlayEventKind::Sound:
      if (!silent && event.value >= 0) {
        const int32_t played = soundOutput().playSample(static_cast<size_t>(event.value));
        if (voice) *voice = played;
      }
      break;
    case PlayEventKind::Music:
      if (!silent) {
        playMusic(event.name);
        resumeMusic();
      }
      break;
    case PlayEventKind::Camera: lookThrough(CameraShot{event.name, event.value}, match); break;
    case PlayEventKind::Shot:
      if (onStrike && match.person(event.value)) onStrike(event.value);
      break;
    case PlayEventKind::Message:
      if (shownMessage) shownMessage->show(event.name, event.value);
      break;
  }
}

void MatchPresentation::lookThrough(const CameraShot& wanted, const MatchSimulation& match) {
  shot = wanted;
  Scene& scene = *match.scene();
  scene.setCamera(wanted.name);
  const int32_t side = wanted.side;
  if (side == kNoSide) return;
  if (const auto framing = std::dynamic_pointer_cast<TrackingCamera>(scene.camera())) {
    const std::vector<std::shared_ptr<TennisPlayer>> players = match.state()->playersOf(side);
    if (players.size() == 1) {
      framing->setTarget(players[0]);
    } else if (players.size() == 2) {
      framing->setTargets(players[0], players[1]);
    }
  }
}
