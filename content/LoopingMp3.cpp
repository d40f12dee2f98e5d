#include "content/LoopingMp3.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// Samples of the loop's other end handed to the encoder before and after it.
constexpr size_t kLead = 2048;
// The LAME tag stores the delay and the padding in 12 bits each.
constexpr int kMaxTagValue = 4095;

// The LAME tag's checksum: CRC-16 with the reflected polynomial 0xA001.
uint16_t tagCrc(const unsigned char* bytes, size_t count) {
  uint16_t crc = 0;
  for (size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
  }
  return crc;
}

// Offsets inside the LAME extension, which follows the Xing/Info header.
constexpr size_t kXingToLame = 120;
constexpr size_t kLameDelays = 21;
constexpr size_t kLameTagCrc = 34;

// Rewrites the delay and padding of the tag frame at the start of `mp3`.
void setGaplessCut(std::string& mp3, int delay, int padding, int addDelay, int addPadding) {
  auto* bytes = reinterpret_cast<unsigned char*>(mp3.data());
  const size_t search = std::min<size_t>(mp3.size(), 64);
  size_t xing = std::string::npos;
  for (size_t i = 4; i + 4 <= search; ++i) {
    if (std::memcmp(bytes + i, "Info", 4) == 0 || std::memcmp(bytes + i, "Xing", 4) == 0) {
      xing = i;
      break;
    }
  }
  if (xing == std::string::npos) throw std::runtime_error("MP3 sin etiqueta LAME");
  const size_t lame = xing + kXingToLame;
  if (lame + kLameTagCrc + 2 > mp3.size() || std::memcmp(bytes + lame, "LAME", 4) != 0) {
    throw std::runtime_error("la trama de etiqueta del MP3 no trae la extension LAME");
  }
  unsigned char* cut = bytes + lame + kLameDelays;
  const int storedDelay = cut[0] << 4 | cut[1] >> 4;
  const int storedPadding = (cut[1] & 0x0F) << 8 | cut[2];
  const uint16_t storedCrc = static_cast<uint16_t>(bytes[lame + kLameTagCrc] << 8 | bytes[lame + kLameTagCrc + 1]);
  // The tag must be the one this code understands before anything in it is
  // changed: the encoder's own numbers and checksum, where they belong.
  if (storedDelay != delay || storedPadding != padding || storedCrc != tagCrc(bytes, lame + kLameTagCrc)) {
    throw std::runtime_error("etiqueta LAME con un formato inesperado");
  }
  const int newDelay = delay + addDelay;
  const int newPadding = padding + addPadding;
  if (newDelay > kMaxTagValue || newPadding > kMaxTagValue) {
    throw std::runtime_error("el relleno del bucle no cabe en la etiqueta LAME");
  }
  cut[0] = static_cast<unsigned char>(newDelay >> 4);
  cut[1] = static_cast<unsigned char>((newDelay & 0x0F) << 4 | newPadding >> 8);
  cut[2] = static_cast<unsigned char>(newPadding & 0xFF);
  const uint16_t crc = tagCrc(bytes, lame + kLameTagCrc);
  bytes[lame + kLameTagCrc] = static_cast<unsigned char>(crc >> 8);
  bytes[lame + kLameTagCrc + 1] = static_cast<unsigned char>(crc & 0xFF);
}

struct LameDeleter {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

}  // namespace

std::string encodeLoopingMp3(const Stereo& loop, int kilobitsPerSecond) {
  const size_t n = loop.frames();
  if (n < kLead) throw std::runtime_error("bucle mas corto que su relleno");
  std::unique_ptr<lame_global_flags, LameDeleter> lame(lame_init());
  lame_set_in_samplerate(lame.get(), kSampleRate);
  lame_set_out_samplerate(lame.get(), kSampleRate);
  lame_set_num_channels(lame.get(), 2);
  lame_set_mode(lame.get(), JOINT_STEREO);
  lame_set_brate(lame.get(), kilobitsPerSecond);
  lame_set_quality(lame.get(), 5);
  lame_set_bWriteVbrTag(lame.get(), 1);
  if (lame_init_params(lame.get()) < 0) throw std::runtime_error("LAME no acepta la configuracion");

  // End of the loop, the loop, start of the loop.
  std::vector<float> left, right;
  left.reserve(n + 2 * kLead);
  right.reserve(n + 2 * kLead);
  left.insert(left.end(), loop.left.end() - kLead, loop.left.end());
  right.insert(right.end(), loop.right.end() - kLead, loop.right.end());
  left.insert(left.end(), loop.left.begin(), loop.left.end());
  right.insert(right.end(), loop.right.begin(), loop.right.end());
  left.insert(left.end(), loop.left.begin(), loop.left.begin() + kLead);
  right.insert(right.end(), loop.right.begin(), loop.right.begin() + kLead);

  std::string mp3;
  std::vector<unsigned char> chunk;
  constexpr size_t kBlock = 8192;
  for (size_t at = 0; at < left.size(); at += kBlock) {
    const size_t count = std::min(kBlock, left.size() - at);
    chunk.resize(count * 5 / 4 + 7200);
    const int written = lame_encode_buffer_ieee_float(lame.get(), left.data() + at, right.data() + at,
                                                      static_cast<int>(count), chunk.data(),
                                                      static_cast<int>(chunk.size()));
    if (written < 0) throw std::runtime_error("LAME no pudo codificar");
    mp3.append(reinterpret_cast<const char*>(chunk.data()), static_cast<size_t>(written));
  }
  chunk.resize(7200);
  const int flushed = lame_encode_flush(lame.get(), chunk.data(), static_cast<int>(chunk.size()));
  if (flushed < 0) throw std::runtime_error("LAME no pudo terminar");
  mp3.append(reinterpret_cast<const char*>(chunk.data()), static_cast<size_t>(flushed));

  // The tag frame, written last by the encoder, goes over the blank frame it
  // reserved at the start.
  std::vector<unsigned char> tag(2880);
  const size_t tagSize = lame_get_lametag_frame(lame.get(), tag.data(), tag.size());
  if (tagSize == 0 || tagSize > tag.size() || tagSize > mp3.size()) {
    throw std::runtime_error("LAME no dio la trama de etiqueta");
  }
  std::memcpy(mp3.data(), tag.data(), tagSize);
  setGaplessCut(mp3, lame_get_encoder_delay(lame.get()), lame_get_encoder_padding(lame.get()),
                static_cast<int>(kLead), static_cast<int>(kLead));
  return mp3;
}
