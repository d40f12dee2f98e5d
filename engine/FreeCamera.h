#pragma once
// The free camera ("Camera0") steered from the numeric keypad and the page
// keys while a match is built: it circles the point above its parent's
// origin. The engine does not know the keyboard: the game hands the camera
// the function that tells whether a key (the game's key codes) is held; with
// none, no key ever is.

#include <cstdint>
#include <functional>

#include "engine/Camera.h"

constexpr const char* kFreeCameraName = "Camera0";
constexpr float kFreeCameraFarPlane = 10000.0f;
constexpr float kFreeCameraStartDistance = 200.0f;
constexpr float kFreeCameraStartHeight = 60.0f;

// The key codes it reads: characters as typed, GLUT special keys at 256 + k.
constexpr int kFreeCameraPitchLessKey = '8';
constexpr int kFreeCameraPitchMoreKey = '2';
constexpr int kFreeCameraYawLessKey = '6';
constexpr int kFreeCameraYawMoreKey = '4';
constexpr int kFreeCameraCloserKey = 256 + 104;   // Page Up
constexpr int kFreeCameraFartherKey = 256 + 105;  // Page Down
constexpr int kFreeCameraRaiseKey = 256 + 106;    // Home
constexpr int kFreeCameraLowerKey = 256 + 107;    // End

using KeyQuery = std::function<bool(int code)>;

class FreeCamera : public Camera {
 public:
  explicit FreeCamera(KeyQuery isKeyDown = {});
  ~FreeCamera() override = default;

  // Turns and moves by the held keys for dtMs (its time is the step's length:
  // the camera is a parentless object of the scene), then places the eye:
  // up by `height`, turned by `yaw` about y and `pitch` about x, back by
  // `distance`.
  void update(uint32_t dtMs, const Matrix& parentWorld, uint32_t* animationIndex) override;

  void setKeyQuery(KeyQuery isKeyDown) { keyDown = std::move(isKeyDown); }
  float yaw() const { return yawDegrees; }
  float pitch() const { return pitchDegrees; }
  float distance() const { return eyeDistance; }
  float height() const { return eyeHeight; }

 private:
  bool held(int code) const { return keyDown && keyDown(code); }

  KeyQuery keyDown;
  float yawDegrees = 0.0f;
  float pitchDegrees = 0.0f;
  float eyeDistance = kFreeCameraStartDistance;
  float eyeHeight = kFreeCameraStartHeight;
};
