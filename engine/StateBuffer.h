#pragma once
// A simulation's state as plain bytes: what a steppable game writes when it
// is saved and reads back, in the same order, when it is restored. The bytes
// hold values only (numbers, flags, matrices, short texts), never pointers:
// a link between two objects is written as an index both sides agree on.
// Copying the bytes copies the state; hashing them tells two states apart.
//
// Values are written one field at a time, so no padding of a struct ever
// reaches the bytes and the same state always gives the same bytes. The
// writer keeps its buffer's capacity from one save to the next, so a saved
// state reused for the next save allocates nothing once it has grown.
//
// A reader that runs past the end, or finds a count it cannot take, stops:
// every later read gives zero and ok() answers false. A state is only ever
// restored from bytes the same program saved, but a mistake there must not
// read past the buffer.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/Matrix.h"
#include "engine/Quaternion.h"
#include "engine/Vector3.h"

// Texts and lists longer than this are not state a match keeps.
constexpr uint32_t kMaxStateCount = 1u << 16;

class StateWriter {
 public:
  // Writes over `bytes` from its start; their capacity is kept.
  explicit StateWriter(std::vector<uint8_t>& bytes) : out(bytes) { out.clear(); }

  template <typename T>
  void put(const T& value) {
    static_assert(std::is_arithmetic_v<T> || std::is_enum_v<T>, "write a struct field by field");
    const size_t at = out.size();
    out.resize(at + sizeof value);
    std::memcpy(out.data() + at, &value, sizeof value);
  }
  void put(bool value) { put(static_cast<uint8_t>(value ? 1 : 0)); }
  void put(const Vector3& v) {
    put(v.x);
    put(v.y);
    put(v.z);
  }
  void put(const Quaternion& q) {
    put(q.x);
    put(q.y);
    put(q.z);
    put(q.w);
  }
  void put(const Matrix& m) {
    for (float value : m.m) put(value);
  }
  void put(const std::string& text) {
    putCount(text.size());
    const size_t at = out.size();
    out.resize(at + text.size());
    if (!text.empty()) std::memcpy(out.data() + at, text.data(), text.size());
  }
  void putCount(size_t count) { put(static_cast<uint32_t>(count)); }

  size_t size() const { return out.size(); }

 private:
  std::vector<uint8_t>& out;
};

class StateReader {
 public:
  explicit StateReader(const std::vector<uint8_t>& bytes) : in(bytes) {}

  template <typename T>
  void get(T& value) {
    static_assert(std::is_arithmetic_v<T> || std::is_enum_v<T>, "read a struct field by field");
    if (!take(sizeof value)) {
      value = T{};
      return;
    }
    std::memcpy(&value, in.data() + at - sizeof value, sizeof value);
  }
  void get(bool& value) {
    uint8_t byte = 0;
    get(byte);
    value = byte != 0;
  }
  void get(Vector3& v) {
    get(v.x);
    get(v.y);
    get(v.z);
  }
  void get(Quaternion& q) {
    get(q.x);
    get(q.y);
    get(q.z);
    get(q.w);
  }
  void get(Matrix& m) {
    for (float& value : m.m) get(value);
  }
  void get(std::string& text) {
    const size_t count = getCount();
    text.clear();
    if (count == 0 || !take(count)) return;
    text.assign(reinterpret_cast<const char*>(in.data() + at - count), count);
  }
  // A count written by putCount; 0, and the reader stopped, when it is larger
  // than kMaxStateCount or than the bytes left.
  size_t getCount() {
    uint32_t count = 0;
    get(count);
    if (count > kMaxStateCount || count > in.size() - at) {
      failed = true;
      return 0;
    }
    return count;
  }
  // Stops the reader: what it read does not fit what it is restored into.
  void fail() { failed = true; }

  // Every read so far was in the bytes, and none was refused.
  bool ok() const { return !failed; }
  // Every byte was read, and nothing failed.
  bool finished() const { return ok() && at == in.size(); }

 private:
  bool take(size_t size) {
    if (failed || size > in.size() - at) {
      failed = true;
      return false;
    }
    at += size;
    return true;
  }

  const std::vector<uint8_t>& in;
  size_t at = 0;
  bool failed = false;
};

// FNV-1a over the bytes: two saves of the same state hash alike.
uint64_t hashState(const std::vector<uint8_t>& bytes);
