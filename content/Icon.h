#pragma once
// The game's icon for desktop menus: a tennis ball flying past a racket on
// a sky-blue rounded tile, drawn anew at each of the usual icon sizes (so the
// small ones stay sharp rather than being scaled down) and written as PNG
// files "<size>x<size>/apps/zumbolo.png", the layout of an icon theme.

#include <array>
#include <filesystem>

inline constexpr std::array<int, 6> kIconSizes{16, 32, 48, 64, 128, 256};

void writeIcons(const std::filesystem::path& themeFolder);
