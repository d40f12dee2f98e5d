#pragma once
// How a match is seen and heard. It gives the match's scene its cameras (the
// free camera, the broadcast camera over the stadium's own, and the fixed and
// turning cameras that frame one side) and the message in the middle of the
// screen, and after every step it carries out the step's events: effect
// sounds, music, the camera to look through and whom it frames, a message, a
// rumble for a person's strike. It reads the simulation and never changes
// it; the cameras move once a step shown, never in a step played again.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/match/MatchSimulation.h"
#include "app/net/NetRollback.h"
#include "engine/Sound.h"
#include "tennis/PlayEvents.h"

// The camera looked through, and the side it frames (kNoSide: as it was).
struct CameraShot {
  std::string name;
  int32_t side = kNoSide;
};

class MatchPresentation {
 public:
  // Adds the cameras to the match's scene and looks through the free camera
  // until the match asks for another.
  void attach(const MatchSimulation& match);
  // The events of the step just taken (or of the match's build).
  void carryOut(const std::vector<PlayEvent>& events, const MatchSimulation& match);
  // Over the network, a step played, or played again after a correction:
  // its sounds and strikes at once (a sound the corrected step no longer
  // has is stopped, and none is heard twice); its music, cameras and
  // messages only once the step is certain (carryOutCertain).
  void carryOutPlayed(const PlayedStep& played, const MatchSimulation& match);
  // Steps before `certainSteps` are certain: what waited for them is done.
  void carryOutCertain(int64_t certainSteps, const MatchSimulation& match);
  // The cameras follow one step shown.
  void moveCameras(const MatchSimulation& match) const { match.scene()->updateLoneObjects(kFixedStepMs); }
  // After the match was put back (a point watched again, a replay's jump):
  // the message shown is the match's own again.
  void showAsItIs(const MatchSimulation& match);
  // Sounds and music are left out (a point shown again before its serve);
  // cameras and strikes still follow.
  void setSilent(bool quiet) { silent = quiet; }
  // Called for each person's strike with the person's slot: their pad rumbles.
  void setStrikeListener(std::function<void(int32_t)> listener) { onStrike = std::move(listener); }
  // The last camera the match asked for, to look through again after the
  // match was put back (a point shown again).
  const CameraShot& lastShot() const { return shot; }
  void lookThrough(const CameraShot& wanted, const MatchSimulation& match);

 private:
  struct Heard {
    PlayEvent event;
    int32_t voice = kNoVoice;
  };
  // What is heard or felt at once (a sound, a strike) rather than waiting
  // for its step to be certain.
  static bool atOnce(const PlayEvent& event);
  void carryOutOne(const PlayEvent& event, const MatchSimulation& match, int32_t* voice);

  bool silent = false;
  CameraShot shot;
  std::shared_ptr<TimedMessage> shownMessage;
  // By step (its outcome's number): the sounds and strikes carried out, and
  // the events that wait for the step to be certain.
  std::map<int64_t, std::vector<Heard>> heard;
  std::map<int64_t, std::vector<PlayEvent>> waitingForCertain;
  std::function<void(int32_t)> onStrike;
};
