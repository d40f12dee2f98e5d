#pragma once
// One triangle as three indices in winding order (counter-clockwise seen from
// the front). The same record holds vertex faces (indices into a mesh's
// positions) and texture faces (indices into its texture coordinates).

#include <cstdint>

struct Face {
  uint32_t index[3] = {0, 0, 0};

  constexpr Face() = default;
  constexpr Face(uint32_t a, uint32_t b, uint32_t c) : index{a, b, c} {}

  constexpr uint32_t& operator[](int corner) { return index[corner]; }
  constexpr uint32_t operator[](int corner) const { return index[corner]; }
};

constexpr bool operator==(const Face& a, const Face& b) {
  return a.index[0] == b.index[0] && a.index[1] == b.index[1] && a.index[2] == b.index[2];
}

// Faces go to glDrawElements as a packed array of unsigned ints.
static_assert(sizeof(Face) == 3 * sizeof(uint32_t));
