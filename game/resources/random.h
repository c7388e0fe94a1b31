// SPDX-License-Identifier: GPL-3.0-or-later
// The game's random numbers: one generator of its own, the same on every platform, so that a
// seed and the per-frame input decide a round completely.
#pragma once

#include <cstdint>

namespace res {

void random_seed(std::uint32_t seed);
// 0 .. n-1; random(0) and negative n give 0.
int random(int n);

}  // namespace res
