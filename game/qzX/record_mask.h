// SPDX-License-Identifier: GPL-3.0-or-later
// The one fixed byte that hides the start time at the head of the replay text and of the event
// record. The game and the highscore server both read it from here.
#pragma once

#include <cstdint>

namespace qzx {
inline constexpr std::uint8_t record_mask = 0xA7;
}
