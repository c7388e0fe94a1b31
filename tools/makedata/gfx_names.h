// SPDX-License-Identifier: GPL-3.0-or-later
// Which animation pictures each edition loads, with their frame counts, from the catalogue.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace makedata {

struct PlannedAnimation {
    std::string name;           // archive base name, "data\gfx\chickenb"
    std::array<int, 3> rows{};  // frames in XS, XL, XXL; 0 = that edition does not load it
};

// Every animation picture (catalogue, menu buttons, loading screen, exit button), each name
// once, in load order.
std::vector<PlannedAnimation> planned_animations();

// Name and largest frame count of every animation (for the contact sheet).
std::vector<std::pair<std::string, int>> animation_frames();

}  // namespace makedata
