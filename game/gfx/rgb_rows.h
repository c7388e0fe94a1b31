// SPDX-License-Identifier: GPL-3.0-or-later
// The colour rules of picture.h over whole rows of 8-bit triplets: the near-black lift, the key
// test, and the reduction to five bits per channel with running remainders. The loaders' two
// key tests have fast paths (sixteen pixels at a time where the processor has SSSE3); any other
// key test goes pixel by pixel. Every path gives the same pixels and leaves the dither generator
// in the same state.
#pragma once

#include <cstdint>

#include "game/gfx/picture.h"

namespace gfx {

enum class ChannelOrder { red_first, blue_first };  // JPEG rows, BMP rows

// Draws the row's three start remainders (red, green, blue) from the dither generator, then
// converts width pixels.
void convert_row(const std::uint8_t* px, int width, ChannelOrder order, bool (*key)(Rgb),
                 std::uint16_t* out);

}  // namespace gfx
