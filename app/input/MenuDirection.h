#pragma once
// The four ways a menu's highlight moves, as the arrow keys and a pad's
// d-pad or stick push it.

#include <cstdint>

enum MenuDirection : int32_t { Up = 0, Down = 1, Right = 2, Left = 3 };
constexpr int kMenuDirectionCount = 4;
