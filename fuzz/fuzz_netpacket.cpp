// Feeds arbitrary bytes to the network packet reader. What it accepts must
// write back to the same bytes, and never be longer than a packet may be.
#include <cstdio>
#include <string>

#include "app/net/NetPacket.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string why;
  const std::optional<NetMessage> message = decodeNetMessage(bytes, why);
  if (!message) {
    if (why.empty()) __builtin_trap();
    return 0;
  }
  if (bytes.size() > kMaxPacketBytes) __builtin_trap();
  if (encodeNetMessage(*message) != bytes) __builtin_trap();
  return 0;
}
