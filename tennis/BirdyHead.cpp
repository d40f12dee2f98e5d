#include "tennis/BirdyHead.h"

#include <cmath>

#include "tennis/NodeNames.h"
#include "tennis/Pelota.h"

BirdyHead::BirdyHead(std::weak_ptr<Pelota> watched) : SceneObject(kBirdyHeadName), ball(std::move(watched)) {}

void BirdyHead::update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) {
  SceneObject::update(timeMs, parentWorld, animationIndex);
  if (!tracking) return;
  const std::shared_ptr<Pelota> watched = ball.lock();
  if (!watched) return;

  const Vector3 head = translation(world);
  const Vector3 forward = normalise(between(head, watched->position()));
  const Vector3 side = cross(forward, Vector3(0.0f, 1.0f, 0.0f));
  // A ball right above or below the head (or inside it) gives no side
  // direction: the head keeps its animated pose rather than collapse.
  const float sideLength = length(side);
  if (!(sideLength > 0.0f) || !std::isfinite(sideLength)) return;
  const Vector3 right = side * (1.0f / sideLength);
  const Vector3 up = normalise(cross(right, forward));
  world =
      Matrix(right.x, right.y, right.z, up.x, up.y, up.z, -forward.x, -forward.y, -forward.z, head.x, head.y, head.z);
}
