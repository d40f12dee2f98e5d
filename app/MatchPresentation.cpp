#include "app/MatchPresentation.h"

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
  for (const PlayEvent& event : events) {
    switch (event.kind) {
      case PlayEventKind::Sound:
        if (!silent && event.value >= 0) soundOutput().playSample(static_cast<size_t>(event.value));
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
