#include "content/models/IntroModels.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "content/models/CourtLayout.h"

namespace {

constexpr double kDegrees = 57.29577951308232;

// Nine seconds of 32 ms frames. The match fades to white when two seconds
// are left, so everything worth seeing is over by then.
constexpr uint32_t kIntroFrames = 283;

// The players walk at the speed their running clip is made for (units a
// millisecond), and turn on the spot at the game's turning rate (degrees a
// millisecond) to face the net.
constexpr float kWalkSpeed = 0.5f;
constexpr float kTurnRate = 1.0f;

// The flying camera's lens; its planes are in tenths of a scene unit.
constexpr float kIntroFovY = 40.0f;
constexpr float kIntroNear = 2.0f;
constexpr float kIntroFar = 1500.0f;

// Where a player stands for the match's first serve: player 0 serves from
// the -z court, the others stand as the match places them for that point.
// Facing in degrees about y (0 looks along +z, 90 along +x).
constexpr float kServeCourtZ = 200.0f;
struct Walk {
  Vector3 gate;       // where the player waits to walk out
  Vector3 place;      // where it ends
  float facing;       // once there
  uint32_t startMs;   // when it sets off
};

std::vector<Walk> walks(IntroKind kind) {
  // The gate is in the +z run-off beside the net, opposite the umpire.
  if (kind == IntroKind::Singles) {
    return {{{140, 0, 860}, {kBaselineX, 0, -kServeCourtZ}, -90, 1200},
            {{-140, 0, 860}, {-kBaselineX, 0, kServeCourtZ}, 90, 1400}};
  }
  return {{{110, 0, 900}, {kBaselineX, 0, -kServeCourtZ}, -90, 1300},
          {{-110, 0, 900}, {-kBaselineX, 0, kServeCourtZ}, 90, 1300},
          {{220, 0, 840}, {kServiceLineX, 0, kServeCourtZ}, -90, 900},
          {{-220, 0, 840}, {-kServiceLineX, 0, -kServeCourtZ}, 90, 900}};
}

// The facing that looks from `from` towards `to`.
float heading(const Vector3& from, const Vector3& to) {
  return static_cast<float>(std::atan2(to.x - from.x, to.z - from.z) * kDegrees);
}

// The turn from one facing to another the short way round, in (-180, 180].
float turnBetween(float from, float to) {
  float d = std::fmod(to - from, 360.0f);
  if (d > 180.0f) d -= 360.0f;
  if (d <= -180.0f) d += 360.0f;
  return d;
}

Matrix standing(const Vector3& at, float facing) { return rotate(translate(Matrix(), at), facing, 0, 1, 0); }

// The holder waits at the gate facing its way, walks straight to its place,
// then turns to face the net.
Matrix holderAt(const Walk& walk, uint32_t timeMs) {
  const Vector3 path = walk.place - walk.gate;
  const float walkMs = length(path) / kWalkSpeed;
  const float way = heading(walk.gate, walk.place);
  const float turn = turnBetween(way, walk.facing);
  const float turnMs = std::fabs(turn) / kTurnRate;
  const float t = static_cast<float>(timeMs) - static_cast<float>(walk.startMs);
  if (t <= 0) return standing(walk.gate, way);
  if (t < walkMs) return standing(walk.gate + path * (t / walkMs), way);
  // The turn waits for the next frame's key, so that no frame both walks
  // and turns (the game would see a step sideways).
  const auto frame = static_cast<float>(kAseMsPerFrame);
  const float turnFrom = std::ceil((walk.startMs + walkMs) / frame) * frame - walk.startMs;
  const float turned = std::clamp((t - turnFrom) / turnMs, 0.0f, 1.0f);
  return standing(walk.place, way + turn * turned);
}

// A camera at `eye` looking at `target`, level (no roll), as cameras look:
// along their local -z with y up.
Matrix lookAt(const Vector3& eye, const Vector3& target) {
  const Vector3 f = normalise(target - eye);
  const float yaw = static_cast<float>(std::atan2(-f.x, -f.z) * kDegrees);
  const float pitch = static_cast<float>(std::asin(std::clamp(f.y, -1.0f, 1.0f)) * kDegrees);
  return rotate(rotate(translate(Matrix(), eye), yaw, 0, 1, 0), pitch, 1, 0, 0);
}

struct CameraKey {
  float timeMs;
  Vector3 eye;
  Vector3 target;
};

// The flight through the keys: a smooth curve through each key, setting off
// and coming to rest gently at the first and last.
struct Flight {
  std::vector<CameraKey> keys;

  Vector3 slope(size_t k, Vector3 CameraKey::*value) const {
    if (k == 0 || k + 1 == keys.size()) return {};
    return (keys[k + 1].*value - keys[k - 1].*value) * (1.0f / (keys[k + 1].timeMs - keys[k - 1].timeMs));
  }

  Vector3 at(float t, Vector3 CameraKey::*value) const {
    if (t <= keys.front().timeMs) return keys.front().*value;
    if (t >= keys.back().timeMs) return keys.back().*value;
    size_t k = 0;
    while (t > keys[k + 1].timeMs) ++k;
    const float span = keys[k + 1].timeMs - keys[k].timeMs;
    const float u = (t - keys[k].timeMs) / span;
    const float u2 = u * u, u3 = u2 * u;
    return keys[k].*value * (2 * u3 - 3 * u2 + 1) + slope(k, value) * (span * (u3 - 2 * u2 + u)) +
           keys[k + 1].*value * (-2 * u3 + 3 * u2) + slope(k + 1, value) * (span * (u3 - u2));
  }

  Matrix mount(uint32_t timeMs) const {
    const auto t = static_cast<float>(timeMs);
    if (t >= keys.back().timeMs) return finalMount;
    return lookAt(at(t, &CameraKey::eye), at(t, &CameraKey::target));
  }

  Matrix finalMount;
};

// The last key is the broadcast camera itself, where the match goes on.
Flight flight(IntroKind kind) {
  const Matrix broadcast = broadcastCameraView();
  const Vector3 eye = translation(broadcast);
  const Vector3 forward(-broadcast[8], -broadcast[9], -broadcast[10]);
  const Vector3 onCourt = eye + forward * (eye.y / -forward.y);
  const Vector3 umpireHead = umpireSeat() + Vector3(0, 80, 0);
  Flight f;
  f.finalMount = broadcast;
  if (kind == IntroKind::Singles) {
    // From high over the far corner down past the umpire's greeting, up
    // behind the players' gate as they walk out, and round to the broadcast
    // view.
    f.keys = {{0, {-2400, 1500, 2500}, {0, 100, 0}},
              {2300, {-420, 330, -260}, umpireHead},
              {3800, {150, 1150, 2300}, {0, 0, -150}},
              {6200, eye, onCourt}};
  } else {
    // From high over the umpire's end, low past the -x end and along the
    // four players' walk, round to the broadcast view.
    f.keys = {{0, {2500, 1700, -2600}, {0, 0, 0}},
              {2500, {-1700, 650, -900}, {0, 100, 250}},
              {4600, {-650, 480, 1450}, {200, 60, 400}},
              {6600, eye, onCourt}};
  }
  return f;
}

}  // namespace

ModelAsset introModel(IntroKind kind) {
  ModelAsset asset;
  asset.path = kind == IntroKind::Singles ? kIntroSinglesFile : kIntroDoublesFile;
  AseScene& scene = asset.scene;
  scene.clipFrames = {kIntroFrames};

  AseNode camera;
  camera.name = kIntroCameraName;
  camera.kind = AseNodeKind::Camera;
  camera.nearPlane = kIntroNear;
  camera.farPlane = kIntroFar;
  camera.fovYDegrees = kIntroFovY;
  camera.motion = [path = flight(kind)](size_t, uint32_t timeMs) { return path.mount(timeMs); };
  scene.addNode(camera);

  const std::vector<Walk> paths = walks(kind);
  for (size_t player = 0; player < paths.size(); ++player) {
    AseNode holder;
    holder.name = playerHolderName(player);
    holder.motion = [walk = paths[player]](size_t, uint32_t timeMs) { return holderAt(walk, timeMs); };
    scene.addNode(holder);
  }
  return asset;
}
