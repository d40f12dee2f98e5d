#pragma once
// What a step of play asks to be heard or shown beyond the scene itself: a
// sound, a piece of music, a camera to look through, a person's strike (their
// pad rumbles), a message. The match and its players add events as the step
// runs; whoever presents the match takes them after the step and carries
// them out, or drops them (a step played again after a rollback makes its
// own). Nothing in the simulation reads them back.
//
// Chance is drawn when an event is made (which of the three hit sounds), so
// a match played without sound, or without anyone taking its events, draws
// the same numbers.

#include <cstdint>
#include <string>
#include <vector>

enum class PlayEventKind : uint8_t {
  // `value`: the effect sound's index (engine/Sound.h), chosen already.
  Sound,
  // `name`: the music file, played from its start as a loop.
  Music,
  // `name`: the camera to look through; `value`: the side of the court its
  // framing follows, or kNoSide to keep what it frames.
  Camera,
  // `value`: the player slot whose swing or dive struck the ball; `detail`:
  // the ShotKind.
  Shot,
  // `name`: a message shown in the middle of the screen for `value` ms.
  Message,
};

constexpr int32_t kNoSide = -1;

// How a stroke was played: a serve, a dive volley, or a stroke from behind
// the service line (the baseline) or from inside it (at the net).
enum class ShotKind : int32_t { Serve, Baseline, Net, Dive };

struct PlayEvent {
  PlayEventKind kind = PlayEventKind::Sound;
  int32_t value = 0;
  std::string name;
  int32_t detail = 0;

  bool operator==(const PlayEvent&) const = default;
};

// The events of the step under way.
class PlayEventLog {
 public:
  void add(PlayEventKind kind, int32_t value, std::string name = {}, int32_t detail = 0) {
    events.push_back(PlayEvent{kind, value, std::move(name), detail});
  }
  const std::vector<PlayEvent>& all() const { return events; }
  // A new step begins with none.
  void clear() { events.clear(); }

 private:
  std::vector<PlayEvent> events;
};
