// The bytes of a saved state: what is written reads back in order, and a
// reader given bytes that end too soon or hold a count too large stops,
// reading zeros, instead of running past them.

#include "engine/StateBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(StateBufferTest, WhatIsWrittenReadsBackAndShortOrWrongBytesStopTheReader) {
  std::vector<uint8_t> bytes;
  StateWriter out(bytes);
  out.put(int32_t{-7});
  out.put(true);
  out.put(Vector3(1.0f, 2.0f, 3.0f));
  out.put(std::string("Vazuvodod"));
  out.put(3.5f);
  const size_t whole = bytes.size();
  EXPECT_EQ(whole, 4u + 1u + 12u + 4u + 9u + 4u);

  const struct {
    const char* what;
    size_t keep;  // bytes left of the whole
    uint32_t count;  // written over the text's count; 0 leaves it
    bool finished;
  } cases[] = {
      {"whole", whole, 0, true},
      {"ends inside the text", whole - 8, 0, false},
      {"a count beyond the bytes", whole, 200, false},
      {"a count beyond any state", whole, kMaxStateCount + 1, false},
      {"nothing", 0, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> given(bytes.begin(), bytes.begin() + static_cast<long>(c.keep));
    if (c.count) std::memcpy(given.data() + 17, &c.count, sizeof c.count);
    StateReader in(given);
    int32_t number = 0;
    bool flag = false;
    Vector3 point;
    std::string name;
    float last = 1.0f;
    in.get(number);
    in.get(flag);
    in.get(point);
    in.get(name);
    in.get(last);
    EXPECT_EQ(in.finished(), c.finished);
    EXPECT_EQ(name, c.finished ? "Vazuvodod" : "");
    EXPECT_EQ(last, c.finished ? 3.5f : 0.0f);
  }
  // The writer starts afresh over the same bytes.
  StateWriter again(bytes);
  again.put(uint8_t{9});
  EXPECT_EQ(bytes, std::vector<uint8_t>{9});
  EXPECT_NE(hashState(bytes), hashState(std::vector<uint8_t>{8}));
}

}  // namespace
