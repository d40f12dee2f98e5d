#pragma once
// Opening the game's window and setting the OpenGL state that never changes
// afterwards. Full screen uses GLUT's game mode when the display can switch to
// the configured mode, and otherwise a full-screen window of the configured
// size without a cursor; WINDOWED 1 opens an ordinary window.

#include <string>

#include "app/Settings.h"

constexpr const char* kWindowTitle = "Zumbolo";
constexpr unsigned int kDisplayMode = 18;  // GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH

// "1024x768:32@60": width x height : bits per pixel @ refresh rate.
std::string gameModeString(const Resolution& resolution);

// Needs glutInit to have run.
void openWindow(const SettingsValues& values);

// While the game runs: a window of the size given, or the whole screen in a
// full-screen window without a cursor. A game that started in the display's
// own full-screen mode keeps it (leaving it would take the OpenGL context
// and everything loaded into it): the change waits for the next start.
// True when the game now shows in a window.
bool showScreen(bool windowed, const Resolution& windowSize);

// Depth test, counter-clockwise front faces, back-face culling, one white
// directional light along +z, black clear colour, normalised normals.
void setFixedGlState();

// The GLUT reshape callback: an orthographic box whose shorter side is 250
// units (the drawing code sets its own projections; nothing reads this box).
void reshapeWindow(int width, int height);
