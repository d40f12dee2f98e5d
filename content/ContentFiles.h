#pragma once
// The file formats the content program writes by hand: uncompressed or
// run-length TGA pictures (what the game's image loader reads) and 16-bit
// PCM WAV sounds, plus writing a finished file into the run folder. Each
// encoder returns the file's bytes, so the same input always gives the same
// bytes and nothing depends on the time or the machine.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Pixels given top row first, each 0xAARRGGBB with straight (not
// premultiplied) alpha.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
};

// A TGA with 32 bits (8 of them alpha) or 24 bits per pixel, stored bottom
// row first, run-length encoded within each row.
std::string tgaFile(const Pixels& pixels, bool withAlpha);

// 16-bit stereo PCM at `rate`; samples are clamped to [-1, 1].
std::string wavFile(const std::vector<float>& left, const std::vector<float>& right, int rate);

// Writes the bytes to runDir / relative, creating its folders; throws
// std::runtime_error when the file cannot be written.
void writeContentFile(const std::filesystem::path& runDir, const std::string& relative, const std::string& bytes);
