#include "content/ContentFiles.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace {

void putLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putPixel(std::string& out, uint32_t argb, bool withAlpha) {
  out.push_back(static_cast<char>(argb & 0xFF));
  out.push_back(static_cast<char>((argb >> 8) & 0xFF));
  out.push_back(static_cast<char>((argb >> 16) & 0xFF));
  if (withAlpha) out.push_back(static_cast<char>(argb >> 24));
}

// TGA packets hold 1 to 128 pixels and, for the readers' sake, never run
// past the end of a row.
constexpr int kMaxPacket = 128;

void encodeRow(std::string& out, const uint32_t* row, int width, bool withAlpha) {
  const uint32_t mask = withAlpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
  int x = 0;
  while (x < width) {
    int run = 1;
    while (x + run < width && run < kMaxPacket && (row[x + run] & mask) == (row[x] & mask)) ++run;
    if (run >= 2) {
      out.push_back(static_cast<char>(0x80 | (run - 1)));
      putPixel(out, row[x], withAlpha);
      x += run;
      continue;
    }
    // A raw packet lasts until the next pair of equal pixels.
    int raw = 1;
    while (x + raw < width && raw < kMaxPacket &&
           !(x + raw + 1 < width && (row[x + raw] & mask) == (row[x + raw + 1] & mask))) {
      ++raw;
    }
    out.push_back(static_cast<char>(raw - 1));
    for (int i = 0; i < raw; ++i) putPixel(out, row[x + i], withAlpha);
    x += raw;
  }
}

}  // namespace

std::string tgaFile(const Pixels& pixels, bool withAlpha) {
  std::string out;
  out.push_back(0);   // no image id
  out.push_back(0);   // no colour map
  out.push_back(10);  // run-length true colour
  out.append(5, '\0');
  putLittleEndian(out, 0, 2);
  putLittleEndian(out, 0, 2);
  putLittleEndian(out, static_cast<uint32_t>(pixels.width), 2);
  putLittleEndian(out, static_cast<uint32_t>(pixels.height), 2);
  out.push_back(static_cast<char>(withAlpha ? 32 : 24));
  // Alpha bits; origin bit clear: the bottom row comes first.
  out.push_back(static_cast<char>(withAlpha ? 8 : 0));
  for (int row = pixels.height - 1; row >= 0; --row) {
    encodeRow(out, pixels.argb.data() + static_cast<size_t>(row) * static_cast<size_t>(pixels.width), pixels.width,
              withAlpha);
  }
  return out;
}

std::string wavFile(const std::vector<float>& left, const std::vector<float>& right, int rate) {
  const size_t frames = std::min(left.size(), right.size());
  constexpr uint32_t kChannels = 2;
  constexpr uint32_t kBytesPerSample = 2;
  const auto dataBytes = static_cast<uint32_t>(frames * kChannels * kBytesPerSample);
  std::string out = "RIFF";
  putLittleEndian(out, 36 + dataBytes, 4);
  out += "WAVEfmt ";
  putLittleEndian(out, 16, 4);
  putLittleEndian(out, 1, 2);  // PCM
  putLittleEndian(out, kChannels, 2);
  putLittleEndian(out, static_cast<uint32_t>(rate), 4);
  putLittleEndian(out, static_cast<uint32_t>(rate) * kChannels * kBytesPerSample, 4);
  putLittleEndian(out, kChannels * kBytesPerSample, 2);
  putLittleEndian(out, kBytesPerSample * 8, 2);
  out += "data";
  putLittleEndian(out, dataBytes, 4);
  out.reserve(out.size() + dataBytes);
  for (size_t i = 0; i < frames; ++i) {
    for (const float sample : {left[i], right[i]}) {
      const float clamped = std::clamp(sample, -1.0f, 1.0f);
      const auto value = static_cast<int16_t>(std::lround(clamped * 32767.0f));
      putLittleEndian(out, static_cast<uint16_t>(value), 2);
    }
  }
  return out;
}

void writeContentFile(const std::filesystem::path& runDir, const std::string& relative, const std::string& bytes) {
  const std::filesystem::path file = runDir / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("no se pudo escribir " + file.string());
}
