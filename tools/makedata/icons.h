// SPDX-License-Identifier: GPL-3.0-or-later
// The game's icon: a chicken's head on a round piece of sky behind a crosshair, drawn at every
// size the desktop asks for (PNG 16 to 256 and an SVG for the hicolor theme), and a 64 × 64 BMP
// with alpha that the game sets as its window's icon.
#pragma once

#include <filesystem>
#include <string>

namespace makedata {

inline constexpr int icon_sizes[] = {16, 24, 32, 48, 64, 128, 256};

// Writes DIR/grumboldx-N.png for every size, DIR/grumboldx.svg and DIR/grumboldx.bmp.
bool write_icons(const std::filesystem::path& dir, std::string& error);

}  // namespace makedata
