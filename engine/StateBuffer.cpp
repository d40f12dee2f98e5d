#include "engine/StateBuffer.h"

uint64_t hashState(const std::vector<uint8_t>& bytes) {
  uint64_t value = 14695981039346656037ull;
  for (const uint8_t byte : bytes) value = (value ^ byte) * 1099511628211ull;
  return value;
}
