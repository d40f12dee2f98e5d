#pragma once
// The game's real sound output, on SDL2_mixer: the music stream and the
// effect samples behind the SoundOutput seam of engine/Sound.h.
//
// initSound() opens the audio device and installs the mixer's output; until
// then, and for good when no device can be opened, the silent output takes
// every call, so the game never fails for want of sound. The output owns the
// one music and the loaded effect samples; which files play and when, and the
// random choice of the ball and cheer sounds, belong to engine/Sound and its
// callers.

// Opens the audio device (32 mixing channels) and routes the game's sound
// calls to it. Without a device it prints one line and leaves the game silent.
// A second call does nothing (the loading of the title opens the device
// early; the Application makes sure of it), until shutdownSound.
void initSound();

// Releases the music and the samples, closes the device and restores the
// silent output. Harmless when initSound() found no device.
void shutdownSound();
