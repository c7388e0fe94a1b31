// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzzed decoders need from the rest of the game: a fixed 565 pixel format, and a
// fatal exit without a platform to stop (libFuzzer reports a target that exits). The log goes
// nowhere: its path is empty, so every line is dropped at a failed open, without a write.
#include <cstdint>
#include <cstdlib>

#include "game/gfx/surfaces.h"
#include "game/resources/fatal.h"
#include "game/resources/log.h"

void res::fatal_exit(int code) { std::exit(code); }

namespace gfx {

int red_shift = 11, green_shift = 6, blue_shift = 0;

std::uint16_t pack_rgb(int r5, int g5, int b5) {
  return static_cast<std::uint16_t>((r5 << red_shift) | (g5 << green_shift) | (b5 << blue_shift));
}

}  // namespace gfx

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  res::debug_log_set_path("");
  return 0;
}
